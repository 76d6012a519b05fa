// Ending the program: the one way out of every course that does work.
#pragma once

#include "run/run_state.h"

namespace larkspur {

// Takes the Silent Mode icon out of the tray if it is there; safe to call
// more than once.
void RemoveTrayIcon(RunState& state, Platform& p);

// Removes the tray icon, unloads every window and ends the process.
[[noreturn]] void EndProgram(RunState& state, Platform& p, int exitCode);

}  // namespace larkspur
