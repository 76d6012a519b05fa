#include "run/end.h"

#include <cstdlib>

namespace larkspur {

void RemoveTrayIcon(RunState& state, Platform& p) {
    if (state.TrayIconShown) {
        p.shell.RemoveTrayIcon(state.TrayIcon);
        state.TrayIconShown = false;
    }
}

void EndProgram(RunState& state, Platform& p, int exitCode) {
    RemoveTrayIcon(state, p);
    p.ui.UnloadAll();
    p.process.Exit(exitCode);
    std::abort();  // Exit does not return; the compiler cannot see that through the interface
}

}  // namespace larkspur
