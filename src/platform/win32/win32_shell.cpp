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

// The first-version record: a message, an icon and a tip of up to 63
// characters, understood by every shell. The callback message is mouse
// movement, on which nothing acts.
NOTIFYICONDATAW IconData(HWND owner, HICON image, const std::wstring& tip) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_MOUSEMOVE;
    data.hIcon = image;
    lstrcpynW(data.szTip, tip.c_str(), ARRAYSIZE(data.szTip));
    return data;
}

}  // namespace

// The record's first-version size is the size up to the 64-character tip.
static_assert(NOTIFYICONDATAW_V1_SIZE == offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(WCHAR));

CopyOutcome Win32Shell::CopyFiles(WindowRef owner, const std::wstring& from, const std::wstring& to,
                                  uint32_t flags) {
    SHFILEOPSTRUCTW op{};
    op.hwnd = Hwnd(owner);
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(flags);
    CopyOutcome outcome;
    outcome.result = SHFileOperationW(&op);
    outcome.anyOperationsAborted = op.fAnyOperationsAborted != FALSE;
    return outcome;
}

void Win32Shell::AddTrayIcon(WindowRef owner, const std::wstring& tip) {
    trayOwner_ = Hwnd(owner);
    trayIcon_.reset(
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY),
                                      IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    NOTIFYICONDATAW data = IconData(trayOwner_, trayIcon_.get(), tip);
    Shell_NotifyIconW(NIM_ADD, &data);
}

void Win32Shell::RemoveTrayIcon() {
    NOTIFYICONDATAW data = IconData(trayOwner_, nullptr, L"");  // the owner and id name it
    Shell_NotifyIconW(NIM_DELETE, &data);
    trayIcon_.reset();
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
