// Ending the program: the one way out of every course that does work.
#pragma once

#include <string>
#include <vector>

#include "run/run_state.h"

namespace larkspur {

// Takes the Silent Mode icon out of the tray if it is there; safe to call
// more than once.
void RemoveTrayIcon(RunState& state, Platform& p);

// Removes the tray icon, unloads every window and ends the process.
[[noreturn]] void EndProgram(RunState& state, Platform& p, int exitCode);

// Ends a run that did not do everything it was asked: the icon and the
// progress window go first, then the message (exclamation icon, brought to
// the foreground, titled with the product name), then the program.
[[noreturn]] void EndRunWithMessage(RunState& state, Platform& p, const std::wstring& text,
                                    int exitCode);

// Appends a line per path to a message, the first ten of them and a count
// of the rest.
void AppendPaths(std::wstring& text, const std::vector<std::wstring>& paths);

// The message of a run stopped before anything was copied: why, ", so
// nothing was copied:", and the paths concerned.
std::wstring NothingCopiedMessage(const std::wstring& why, const std::vector<std::wstring>& paths);

}  // namespace larkspur
