// Brisa.exe: the Win32 entry point. It assembles the platform and hands it
// to the run driver, which ends the process.
#include <windows.h>

#include "app/machine.h"
#include "run/run.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    larkspur::app::InitWindowThread();
    larkspur::app::Win32Machine machine;
    larkspur::EndProgram(machine.platform, larkspur::Run(machine.platform));
}
