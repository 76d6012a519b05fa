// Scratch files for the Wine tests and the benchmarks.
#pragma once

#include <string>
#include <vector>

namespace larkspur::scratch {

// Deletes a file or a tree, whatever the attributes of what it holds and
// however long its paths; nothing when path names nothing.
void RemoveTree(const std::wstring& path);

// The files below folder, relative to it, sorted; folders whose names start
// with a dot are not entered.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);

}  // namespace larkspur::scratch
