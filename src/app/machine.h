// The Win32 assembly of the program: the platform's parts, and the window
// system side (the program's windows, message boxes and yielding) behind the
// Ui and ProgramWindows interfaces the run driver calls.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "run/windows.h"
#include "ui/progress_window.h"

namespace larkspur::app {

class Win32Ui : public Ui, public ProgramWindows {
  public:
    explicit Win32Ui(Platform& p) : p_(p), progress_(p.process) {}

    bool ShowSettingsWindow() override;
    std::optional<OutputFolderChoice> ShowOutputFolderDialog(const OutputFolderStart&) override;
    void ShowProgressWindow() override;
    WindowRef ProgressWindow() override;
    void UnloadProgressWindow() override;
    void UnloadAll() override;
    void ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) override;
    void YieldToWindowSystem() override;

    // Yield lets pending messages through at most this often: often enough
    // for windows to repaint and answer, rare enough to cost nothing per file.
    static constexpr ULONGLONG kYieldIntervalMs = 30;
    // Off for measurements of what yielding costs.
    bool yieldEnabled = true;

  private:
    Platform& p_;
    ui::ProgressWindow progress_;
    ULONGLONG lastYield_ = 0;
};

// Lets the window system process every pending message now.
void PumpMessages();

// Readies the calling thread for the program's windows and the shell: a
// single-threaded apartment (the shell's file operation and its dialogs want
// one) and the common controls.
void InitWindowThread();

// The platform as Brisa.exe assembles it from the Win32 parts, with the real
// process, shell and file system or ones the caller gives (a test's or a
// tool's).
struct Win32Machine {
    Win32Machine() : Win32Machine(ownProcess) {}
    explicit Win32Machine(Process& process, Shell* shell = nullptr)
        : platform{fs, shell ? *shell : ownShell, profile, ui, process}, ui(platform) {}
    Win32Machine(const Win32Machine&) = delete;
    Win32Machine& operator=(const Win32Machine&) = delete;

    win32::Win32Process ownProcess;
    win32::Win32Shell ownShell;
    win32::Win32FileSystem fs;
    win32::Win32Profile profile;
    Platform platform;
    Win32Ui ui;
};

}  // namespace larkspur::app
