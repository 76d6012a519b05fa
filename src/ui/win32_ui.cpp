#include "ui/win32_ui.h"

#include <commctrl.h>
#include <objbase.h>

#include "ui/form1.h"
#include "ui/out_form.h"

namespace larkspur::ui {

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

int Win32Ui::ShowSettingsWindow(RunState& state) {
    return ShowForm1(state, *platform_);
}

bool Win32Ui::ShowOutputFolderDialog(RunState& state) {
    return ShowOutForm(state, *platform_);
}

void Win32Ui::ShowProgressWindow() {
    form2_.Show();
    lastYield_ = 0;  // the next yield paints it
}

WindowRef Win32Ui::ProgressWindow() {
    return reinterpret_cast<WindowRef>(form2_.Handle());
}

void Win32Ui::UnloadProgressWindow() {
    form2_.Unload();
}

void Win32Ui::UnloadAll() {
    form2_.Unload();
}

int Win32Ui::ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) {
    return MessageBoxW(nullptr, text.c_str(), title.c_str(), style);
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

}  // namespace larkspur::ui
