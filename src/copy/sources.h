// From the argument string to the list of files to copy: the splitting of
// the argument string into the sent items, and the walk of sent folders.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "copy/verdict.h"
#include "platform/platform.h"

namespace larkspur {

// A file to copy. The first rootLength characters of its path name the
// folder that holds the item it was sent as (ending in a backslash); the
// copy keeps the rest below the output folder.
struct SourceFile {
    std::wstring path;
    size_t rootLength = 0;
    uint64_t size = 0;  // as the folder listed it

    std::wstring_view Relative() const { return std::wstring_view(path).substr(rootLength); }
};

struct Sources {
    std::vector<SourceFile> files;
    // Sent items, and folders below them, that do not exist or cannot be read.
    std::vector<std::wstring> missing;
    // Folders not walked, and why: links that lead back into a folder they
    // lie in.
    std::vector<Miss> skipped;
};

struct SentItems {
    std::vector<std::wstring> folders;
    std::vector<std::wstring> files;
    std::vector<std::wstring> missing;
};

// The paths of the argument string, quotes taken off, in their order.
std::vector<std::wstring> ArgumentPaths(const std::wstring& arguments);

// The paths of the argument string sorted into folders, files and missing
// items.
SentItems SplitArgs(const std::wstring& arguments, FileSystem& fs);

// The whole list: the sent files, then the files of each sent folder, with
// the window system given a chance to repaint on the way. An item sent twice,
// in whatever spelling, counts once; a sent item that cannot be read is
// missing; the output folder, when it is sent itself, is not walked.
Sources CollectSources(Platform& p, const std::wstring& arguments,
                       const std::wstring& outputFolder);

}  // namespace larkspur
