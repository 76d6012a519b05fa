// The shell: its file operation, the notification-area icon, special
// folders, shortcut files and opening links.
#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstddef>

#include "resource.h"

namespace larkspur::win32 {

namespace {

HWND Hwnd(WindowRef window) {
    return reinterpret_cast<HWND>(window);
}

// The icon's messages come to its owner window as this one.
constexpr UINT kTrayMessage = WM_APP + 0x54;

// The record of the icon, as the shell of Windows Vista and later reads it
// (version 4: the context-menu key and a right click both come as
// WM_CONTEXTMENU, and a tip of up to 127 characters on several lines).
NOTIFYICONDATAW IconData(HWND owner, UINT flags) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = 1;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayMessage;
    return data;
}

}  // namespace

std::wstring MultiString(const std::vector<std::wstring>& paths) {
    size_t length = 1;
    for (const std::wstring& path : paths) {
        length += path.size() + 1;
    }
    std::wstring list;
    list.reserve(length);
    for (const std::wstring& path : paths) {
        list.append(path).push_back(L'\0');
    }
    list.push_back(L'\0');
    return list;
}

// One destination per source, folders made without a question; silently,
// also without the progress and the question before a file is replaced.
CopyOutcome Win32Shell::CopyFiles(WindowRef owner, const std::vector<std::wstring>& from,
                                  const std::vector<std::wstring>& to, ShellCopyMode mode) {
    const std::wstring sources = MultiString(from), destinations = MultiString(to);
    SHFILEOPSTRUCTW op{};
    op.hwnd = Hwnd(owner);
    op.wFunc = FO_COPY;
    op.pFrom = sources.c_str();
    op.pTo = destinations.c_str();
    op.fFlags = FOF_MULTIDESTFILES | FOF_NOCONFIRMMKDIR |
                (mode == ShellCopyMode::kSilent ? FOF_SILENT | FOF_NOCONFIRMATION : 0);
    CopyOutcome outcome;
    outcome.result = SHFileOperationW(&op);
    outcome.anyOperationsAborted = op.fAnyOperationsAborted != FALSE;
    return outcome;
}

// The owner window is subclassed while the icon is shown: the icon's menu,
// its "Stop copying" and the session's end are handled here, whatever window
// lends itself as the owner.
void Win32Shell::AddTrayIcon(WindowRef owner, const std::wstring& tip) {
    trayOwner_ = Hwnd(owner);
    stop_ = StopReason::kNone;
    SetWindowSubclass(trayOwner_, &Win32Shell::TrayOwnerProc, 1, reinterpret_cast<DWORD_PTR>(this));
    trayIcon_.reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY),
                                      IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    NOTIFYICONDATAW data = IconData(trayOwner_, NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
    data.hIcon = trayIcon_.get();
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    Shell_NotifyIconW(NIM_ADD, &data);
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
}

void Win32Shell::SetTrayTip(const std::wstring& tip) {
    NOTIFYICONDATAW data = IconData(trayOwner_, NIF_TIP | NIF_SHOWTIP);
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32Shell::RemoveTrayIcon() {
    NOTIFYICONDATAW data = IconData(trayOwner_, 0);  // the owner and id name it
    Shell_NotifyIconW(NIM_DELETE, &data);
    RemoveWindowSubclass(trayOwner_, &Win32Shell::TrayOwnerProc, 1);
    trayIcon_.reset();
}

void Win32Shell::ShowTrayMenu(POINT at) {
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | (stop_.load() == StopReason::kNone ? 0 : MF_GRAYED),
                kStopCopyingCommand, L"Stop copying");
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the null message lets it close on the first click.
    SetForegroundWindow(trayOwner_);
    TrackPopupMenuEx(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, at.x, at.y, trayOwner_, nullptr);
    PostMessageW(trayOwner_, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

LRESULT CALLBACK Win32Shell::TrayOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    Win32Shell& shell = *reinterpret_cast<Win32Shell*>(self);
    StopReason none = StopReason::kNone;
    switch (message) {
        case kTrayMessage:
            if (LOWORD(lParam) == WM_CONTEXTMENU || LOWORD(lParam) == NIN_KEYSELECT) {
                shell.ShowTrayMenu({GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) != kStopCopyingCommand) {
                break;
            }
            shell.stop_.compare_exchange_strong(none, StopReason::kUser);
            return 0;
        case WM_QUERYENDSESSION:
            // The files in flight are finished and the log written before
            // the process ends; Windows shows why it waits meanwhile.
            shell.stop_.store(StopReason::kSessionEnd);
            ShutdownBlockReasonCreate(hwnd, L"Larkspur is finishing the files it is copying.");
            return TRUE;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Win32Shell::NotifyFolderChanged(const std::wstring& folder) {
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHW, folder.c_str(), nullptr);
}

std::wstring Win32Shell::SpecialFolder(int folder, WindowRef owner) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(Hwnd(owner), folder, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;  // up to the first NUL; empty when the lookup wrote nothing
}

bool Win32Shell::MakeShortcut(const std::wstring& link, const std::wstring& target) {
    ComPtr<IShellLinkW> shortcut;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(shortcut.put()));
    if (FAILED(hr)) {
        return false;
    }
    hr = shortcut->SetPath(target.c_str());
    ComPtr<IPersistFile> file;
    const HRESULT queried = shortcut->QueryInterface(IID_IPersistFile, file.put());
    if (FAILED(queried)) {
        return false;
    }
    // Saved even when the target could not be set, as a script's shortcut
    // object would be; the answer still says that a step failed.
    const HRESULT saved = file->Save(link.c_str(), TRUE);
    return SUCCEEDED(hr) && SUCCEEDED(saved);
}

void Win32Shell::OpenLink(const std::wstring& address, const std::wstring& folder) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace larkspur::win32
