// The start-up routine: chooses what the process does and drives a run.
#pragma once

#include "run/run_state.h"

namespace larkspur {

// Runs the process's one course (settings window, interactive run, Silent
// Mode run, or an immediate end) and ends the program. Never returns.
[[noreturn]] void Main(RunState& state, Platform& p);

// Resets FolderList and FileList to their empty slot 0.
void ResetLists(RunState& state);

// The text that names the items of the argument string that do not exist.
std::wstring MissingItemsMessage(const std::vector<std::wstring>& missing);

}  // namespace larkspur
