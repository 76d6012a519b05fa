// The walk of sent folders: every file below them, each folder entered
// once, the output folder never.
#pragma once

#include <optional>
#include <string>

#include "copy/sources.h"
#include "platform/platform.h"

namespace larkspur {

// The output folder as the walk keeps it out: by what it is, whatever the
// spelling by which the walk reaches it.
struct OutputFolder {
    std::optional<FileId> id;  // none when it does not exist yet: nothing to keep out
    std::wstring name;         // its stored name
};
OutputFolder FindOutputFolder(FileSystem& fs, const std::wstring& outputFolder);

// Appends every file below folder, at any depth, to sources: a folder's own
// files in enumeration order first, then each subfolder in the same order,
// depth first. Hidden and system files and folders are included; empty
// folders leave nothing, and neither does the output folder when it lies
// inside the sent one. Each folder is entered once, also where links lead to
// it more than once; a link back into a folder it lies in is not followed
// and joins the skipped ones. A folder that is gone by now, or cannot be
// listed, joins the missing ones.
void CollectFiles(Platform& p, const std::wstring& folder, const OutputFolder& output,
                  Sources& sources);

}  // namespace larkspur
