// The shell: its file operation, the notification-area icon, special
// folders, shortcut files and opening links.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstddef>

#include "resource.h"

namespace larkspur::win32 {

namespace {

HWND Hwnd(WindowRef window) {
    return reinterpret_cast<HWND>(window);
}

// The first-version record: the fields the program fills (message, icon and
// a tip of up to 63 characters), understood by every shell.
NOTIFYICONDATAW IconData(const TrayIconRecord& icon, HICON image) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = Hwnd(icon.owner);
    data.uID = icon.id;
    data.uFlags = icon.flags;
    data.uCallbackMessage = icon.callbackMessage;
    data.hIcon = image;
    lstrcpynW(data.szTip, icon.tip.c_str(), ARRAYSIZE(data.szTip));
    return data;
}

}  // namespace

// The record's first-version size is the size up to the 64-character tip.
static_assert(NOTIFYICONDATAW_V1_SIZE == offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR));

Win32Shell::~Win32Shell() {
    if (trayIcon_) {
        DestroyIcon(trayIcon_);
    }
}

CopyOutcome Win32Shell::FileOperationCopy(const CopyRequest& request) {
    SHFILEOPSTRUCTW op{};
    op.hwnd = Hwnd(request.owner);
    op.wFunc = FO_COPY;
    op.pFrom = request.from->c_str();
    op.pTo = request.to->c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(request.flags);
    CopyOutcome outcome;
    outcome.result = SHFileOperationW(&op);
    outcome.anyOperationsAborted = op.fAnyOperationsAborted != FALSE;
    return outcome;
}

bool Win32Shell::AddTrayIcon(const TrayIconRecord& icon) {
    if (!trayIcon_) {
        trayIcon_ =
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY),
                                          IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    }
    NOTIFYICONDATAW data = IconData(icon, trayIcon_);
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool Win32Shell::RemoveTrayIcon(const TrayIconRecord& icon) {
    NOTIFYICONDATAW data = IconData(icon, trayIcon_);
    const bool removed = Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
    if (trayIcon_) {
        DestroyIcon(trayIcon_);
        trayIcon_ = nullptr;
    }
    return removed;
}

std::wstring Win32Shell::SpecialFolder(int folder, WindowRef owner, int32_t& result) {
    wchar_t path[MAX_PATH] = {};
    result = SHGetFolderPathW(Hwnd(owner), folder, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;  // up to the first NUL; empty when the lookup wrote nothing
}

bool Win32Shell::MakeShortcut(const std::wstring& link, const std::wstring& target) {
    IShellLinkW* shortcut = nullptr;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut));
    if (FAILED(hr)) {
        return false;
    }
    hr = shortcut->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    const HRESULT queried = shortcut->QueryInterface(IID_PPV_ARGS(&file));
    if (SUCCEEDED(queried)) {
        // Saved even when the target could not be set, as a script's shortcut
        // object would be; the answer still says that a step failed.
        const HRESULT saved = file->Save(link.c_str(), TRUE);
        file->Release();
        if (FAILED(saved)) {
            hr = saved;
        }
    } else {
        hr = queried;
    }
    shortcut->Release();
    return SUCCEEDED(hr);
}

void Win32Shell::OpenLink(const std::wstring& address, const std::wstring& folder) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

}  // namespace larkspur::win32
