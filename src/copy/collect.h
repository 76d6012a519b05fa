// The folder walk: every file below a sent folder joins the source list.
#pragma once

#include <string>

#include "run/run_state.h"

namespace larkspur {

// Appends every file below folder, at any depth, to FileList: a folder's own
// files in enumeration order first, then each subfolder in the same order,
// depth first. Hidden and system files and folders are included; empty
// folders leave nothing, and neither does the output folder when it lies
// inside the sent one. A folder that is gone by now, or cannot be listed,
// joins MissingItems.
void CollectFiles(RunState& state, Platform& p, const std::wstring& folder);

}  // namespace larkspur
