// From the command line to the lists of folders and files to copy.
#pragma once

#include <string>
#include <vector>

#include "run/run_state.h"

namespace larkspur {

// The argument string: the command line after the program's own path and the
// one blank that separates them. The path ends at its closing double quote
// when it starts with one, else at the first blank.
std::wstring ArgumentString(const std::wstring& commandLine);

// Cuts text at every single space, keeping every piece: two spaces in a row
// give an empty piece.
std::vector<std::wstring> SplitAtSpaces(const std::wstring& text);

// Re-joins the pieces of quoted paths in ArgTokens and sorts every path into
// FolderList or FileList; paths that name nothing go to MissingItems.
void SplitArgs(RunState& state, FileSystem& fs);

void AddFolder(RunState& state, const std::wstring& path);
// rootLength: see RunState::FileRootLength.
// The path is taken by value so the folder walk can hand over the string it
// built instead of having it copied.
void AddFile(RunState& state, std::wstring path, size_t rootLength = RunState::kNamedItem);

}  // namespace larkspur
