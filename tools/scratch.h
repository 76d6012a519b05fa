// Scratch files for the Wine tests and the benchmarks.
#pragma once

#include <string>

namespace larkspur::scratch {

// Deletes a file or a tree, whatever the attributes of what it holds and
// however long its paths; nothing when path names nothing.
void RemoveTree(const std::wstring& path);

}  // namespace larkspur::scratch
