// Brisa.exe: the Win32 entry point. It assembles the platform and hands the
// run state to the start-up routine, which ends the process itself.
#include <windows.h>

#include "run/startup.h"
#include "ui/win32_ui.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    larkspur::ui::InitWindowThread();
    larkspur::ui::Win32Machine machine;
    larkspur::RunState state;
    larkspur::Main(state, machine.platform);
}
