// The window system side of the platform: the program's windows, message
// boxes and yielding.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "ui/forms.h"

namespace larkspur::ui {

class Win32Ui : public Ui {
  public:
    explicit Win32Ui(Process& process) : form2_(process) {}
    // The windows read settings and ask the file system; they reach both
    // through the platform this Ui is part of.
    void Attach(Platform& p) { platform_ = &p; }

    int ShowSettingsWindow(RunState& state) override;
    bool ShowOutputFolderDialog(RunState& state) override;
    void ShowProgressWindow() override;
    WindowRef ProgressWindow() override;
    void UnloadProgressWindow() override;
    void UnloadAll() override;
    int ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) override;
    void YieldToWindowSystem() override;

    // Yield lets pending messages through at most this often: often enough
    // for windows to repaint and answer, rare enough to cost nothing per file.
    static constexpr ULONGLONG kYieldIntervalMs = 30;
    // Off for measurements of what yielding costs.
    bool yieldEnabled = true;

  private:
    Form2 form2_;
    Platform* platform_ = nullptr;
    ULONGLONG lastYield_ = 0;
};

// Lets the window system process every pending message now.
void PumpMessages();

// Readies the calling thread for the program's windows and the shell: a
// single-threaded apartment (the shell's file operation and its dialogs want
// one) and the common controls.
void InitWindowThread();

// The platform as Brisa.exe assembles it from the Win32 parts, with the real
// process or one the caller gives (a test's or a tool's).
struct Win32Machine {
    Win32Machine() : Win32Machine(ownProcess) {}
    explicit Win32Machine(Process& p) : process(p), ui(p) { ui.Attach(platform); }
    Win32Machine(const Win32Machine&) = delete;
    Win32Machine& operator=(const Win32Machine&) = delete;

    win32::Win32Process ownProcess;
    Process& process;
    win32::Win32FileSystem fs;
    win32::Win32Shell shell;
    win32::Win32Profile profile;
    Win32Ui ui;
    Platform platform{fs, shell, profile, ui, process};
};

}  // namespace larkspur::ui
