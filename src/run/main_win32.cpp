// Brisa.exe: the Win32 entry point. It assembles the platform and hands the
// run state to the start-up routine, which ends the process itself.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/win32_platform.h"
#include "run/startup.h"
#include "ui/win32_ui.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The shell's file operation and its dialogs want a single-threaded
    // apartment on the thread that calls them.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    using namespace larkspur;
    win32::Win32FileSystem fs;
    win32::Win32Shell shell;
    win32::Win32Profile profile;
    win32::Win32Process process;
    ui::Win32Ui ui(process);
    Platform platform{fs, shell, profile, ui, process};
    ui.Attach(platform);

    RunState state;
    Main(state, platform);
}
