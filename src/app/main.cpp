// Brisa.exe: the Win32 entry point. It assembles the platform and hands it
// to the run driver, which ends the process.
#include <windows.h>

#include "app/machine.h"
#include "run/run.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // DLLs loaded from here on (by the shell, the dialogs, COM) come from
    // the system folder, never from the program's folder or the current one,
    // where a planted DLL of the same name may lie (a Downloads folder). A
    // DLL loaded by its full path, as shell extensions are, still finds its
    // own dependencies beside it.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR);
    larkspur::app::InitWindowThread();
    larkspur::app::Win32Machine machine;
    larkspur::EndProgram(machine.platform, larkspur::Run(machine.platform, machine.ui));
}
