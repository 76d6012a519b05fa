// The run driver: what a process does, from its command line to its end.
#pragma once

#include "platform/platform.h"
#include "run/windows.h"

namespace larkspur {

// The argument string: the command line after the program's own path and the
// one blank that separates them. The path ends at its closing double quote
// when it starts with one, else at the first blank.
std::wstring ArgumentString(const std::wstring& commandLine);

// Runs the process's one course and answers its exit code. Started with an
// empty argument string it shows the settings window; with arguments,
// Silent/Use decides between an interactive run, a Silent Mode run and
// nothing at all. Every message the course ends with has been shown, and
// the notification-area icon is gone, when it returns.
int Run(Platform& p, ProgramWindows& windows);

// Unloads every window and ends the process.
[[noreturn]] void EndProgram(Platform& p, int exitCode);

}  // namespace larkspur
