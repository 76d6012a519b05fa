#include "ui/folder_lists.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "paths/paths.h"
#include "platform/win32/win32_platform.h"

namespace larkspur::ui {

namespace {

// Indexes into the system's small image list, which both lists share with
// Explorer (LVS_SHAREIMAGELISTS keeps the list view from destroying it).
struct ShellIcons {
    HIMAGELIST list = nullptr;
    int folder = 0;
    int openFolder = 0;
};

int IconOf(const wchar_t* path, DWORD attributes, UINT flags) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path, attributes, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags);
    return info.iIcon;
}

const ShellIcons& Icons() {
    static const ShellIcons icons = [] {
        ShellIcons i;
        SHFILEINFOW info{};
        // Asking by attributes alone never touches a disk.
        i.list = reinterpret_cast<HIMAGELIST>(
            SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                           SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
        i.folder = info.iIcon;
        i.openFolder =
            IconOf(L"folder", FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES | SHGFI_OPENICON);
        return i;
    }();
    return icons;
}

// Length of the root of a path: "C:\" or "\\server\share".
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        size_t end = path.find(L'\\', 2);
        end = end == std::wstring::npos ? end : path.find(L'\\', end + 1);
        return end == std::wstring::npos ? path.size() : end;
    }
    return std::min<size_t>(path.size(), 3);
}

bool LessByName(const std::wstring& a, const std::wstring& b) {
    // Explorer's order: letter case ignored, digits compared as numbers.
    const int order = CompareStringEx(
        LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE | SORT_DIGITSASNUMBERS, a.c_str(),
        static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), nullptr, nullptr, 0);
    if (order == 0) {
        return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
    return order == CSTR_LESS_THAN;
}

// The subfolders of folder that Explorer shows by default (no hidden ones),
// sorted; kNoError, or why the folder cannot be listed.
ErrorCode Subfolders(FileSystem& fs, const std::wstring& folder, std::vector<std::wstring>& names) {
    const std::wstring base = AddBackslash(folder);
    const uint32_t attributes = fs.Attributes(base);
    if (attributes != kInvalidAttributes && !(attributes & kAttrDirectory)) {
        return ERROR_DIRECTORY;
    }
    const ErrorCode error = fs.ListFolder(base, [&](std::wstring_view name, uint32_t entry,
                                                    uint64_t) {
        if ((entry & kAttrDirectory) && !(entry & kAttrHidden) && name != L"." && name != L"..") {
            names.emplace_back(name);
        }
    });
    if (error == kNoError && attributes == kInvalidAttributes) {
        return kErrorPathNotFound;  // nothing there, and so nothing listed
    }
    std::sort(names.begin(), names.end(), LessByName);
    return error;
}

std::wstring KindOfDrive(const wchar_t* root) {
    switch (GetDriveTypeW(root)) {
        case DRIVE_REMOVABLE:
            return L"Removable Disk";
        case DRIVE_REMOTE:
            return L"Network Drive";
        case DRIVE_CDROM:
            return L"CD Drive";
        case DRIVE_RAMDISK:
            return L"RAM Disk";
        default:
            return L"Local Disk";
    }
}

void AddItem(HWND list, const std::wstring& text, int icon, int indent) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = icon;
    item.iIndent = indent;
    ListView_InsertItem(list, &item);
}

}  // namespace

void DriveList::Attach(HWND control) {
    hwnd_ = control;
    SendMessageW(hwnd_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Icons().list));
    win32::NoCriticalErrorBoxes quiet;
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) {
            continue;
        }
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', L'\0'};
        SHFILEINFOW info{};
        SHGetFileInfoW(root, 0, &info, sizeof info,
                       SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        // The shell's name holds the volume label and the letter, "Data (D:)".
        // Wine leaves an unlabelled drive nameless, " (C:)", where Explorer
        // names the kind of drive.
        std::wstring text = info.szDisplayName;
        text.erase(0, text.find_first_not_of(L' '));
        if (text.empty() || text[0] == L'(') {
            text = KindOfDrive(root) + L" (" + std::wstring(root, 2) + L")";
        }
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
        item.iItem = -1;
        item.pszText = text.data();
        item.iImage = item.iSelectedImage = info.iIcon;
        item.lParam = root[0];
        SendMessageW(hwnd_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void DriveList::Select(wchar_t letter) {
    letter = static_cast<wchar_t>(towupper(letter));
    const LRESULT count = SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && letter != Selected(); ++i) {
        if (static_cast<wchar_t>(SendMessageW(hwnd_, CB_GETITEMDATA, i, 0)) == letter) {
            SendMessageW(hwnd_, CB_SETCURSEL, i, 0);
        }
    }
}

wchar_t DriveList::Selected() const {
    const LRESULT i = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? 0 : static_cast<wchar_t>(SendMessageW(hwnd_, CB_GETITEMDATA, i, 0));
}

void FolderList::Attach(HWND control, FileSystem& fs) {
    hwnd_ = control;
    fs_ = &fs;
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ListView_SetImageList(hwnd_, Icons().list, LVSIL_SMALL);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    ListView_InsertColumn(hwnd_, 0, &column);
    FitColumn();
}

void FolderList::FitColumn() {
    RECT client;
    GetClientRect(hwnd_, &client);
    ListView_SetColumnWidth(hwnd_, 0, client.right - GetSystemMetrics(SM_CXVSCROLL));
}

ErrorCode FolderList::Open(const std::wstring& folder) {
    // The form the list keeps: absolute, "." and ".." resolved, every name as
    // stored, no trailing backslash except at a drive's root.
    std::wstring path = folder.empty() ? folder : LongPath(*fs_, fs_->FullPath(folder));
    if (path.size() == 2 && path[1] == L':') {
        path += L'\\';
    }
    win32::NoCriticalErrorBoxes quiet;
    std::vector<std::wstring> names;
    if (const ErrorCode error = path.empty() ? kErrorPathNotFound : Subfolders(*fs_, path, names)) {
        return error;
    }

    std::vector<std::wstring> entries;
    std::vector<std::wstring> captions;
    const size_t root = RootLength(path);
    entries.push_back(path.substr(0, root));
    captions.push_back(entries.back());
    for (size_t start = root; start < path.size();) {
        if (path[start] == L'\\') {
            ++start;
            continue;
        }
        size_t end = path.find(L'\\', start);
        end = end == std::wstring::npos ? path.size() : end;
        entries.push_back(path.substr(0, end));
        captions.push_back(path.substr(start, end - start));
        start = end;
    }
    const size_t openEntry = entries.size() - 1;
    const std::wstring base = path.back() == L'\\' ? path : path + L'\\';
    for (const std::wstring& name : names) {
        entries.push_back(base + name);
        captions.push_back(name);
    }

    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(hwnd_);
    const ShellIcons& icons = Icons();
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool ancestor = i <= openEntry;
        const int icon = i == 0 ? IconOf(entries[0].c_str(), 0, 0)
                                : (ancestor ? icons.openFolder : icons.folder);
        AddItem(hwnd_, captions[i], icon, static_cast<int>(ancestor ? i : openEntry + 1));
    }
    ListView_SetItemState(hwnd_, static_cast<int>(openEntry), LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(hwnd_, static_cast<int>(openEntry), FALSE);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);

    open_ = path;
    entries_ = std::move(entries);
    openEntry_ = openEntry;
    return kNoError;
}

std::wstring FolderList::Highlighted() const {
    const int i = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
    return i >= 0 && static_cast<size_t>(i) < entries_.size() ? entries_[i] : std::wstring();
}

}  // namespace larkspur::ui
