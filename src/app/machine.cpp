#include "app/machine.h"

#include <commctrl.h>
#include <objbase.h>

#include "ui/output_folder_dialog.h"
#include "ui/settings_window.h"

namespace larkspur::app {

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void InitWindowThread() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

bool Win32Ui::ShowSettingsWindow() {
    return ui::ShowSettingsWindow(p_);
}

std::optional<OutputFolderChoice> Win32Ui::ShowOutputFolderDialog(const OutputFolderStart& start) {
    return ui::ShowOutputFolderDialog(p_, start);
}

void Win32Ui::ShowProgressWindow() {
    progress_.Show();
    lastYield_ = 0;  // the next yield paints it
}

WindowRef Win32Ui::ProgressWindow() {
    return reinterpret_cast<WindowRef>(progress_.Handle());
}

void Win32Ui::UnloadProgressWindow() {
    progress_.Unload();
}

void Win32Ui::UnloadAll() {
    UnloadProgressWindow();  // the only window that outlives its own call
}

void Win32Ui::ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) {
    MessageBoxW(nullptr, text.c_str(), title.c_str(), style);
}

void Win32Ui::YieldToWindowSystem() {
    if (!yieldEnabled) {
        return;
    }
    // GetTickCount64 reads shared memory, so the check itself is nearly free;
    // a message pump is a round trip to the window system.
    const ULONGLONG now = GetTickCount64();
    if (lastYield_ != 0 && now - lastYield_ < kYieldIntervalMs) {
        return;
    }
    lastYield_ = now;
    PumpMessages();
}

}  // namespace larkspur::app
