// The shell's file operation and the notification-area icon.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>

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

}  // namespace larkspur::win32
