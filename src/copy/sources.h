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

// The output folder as the walk keeps it out: by what it is, whatever the
// spelling by which the walk reaches it.
struct OutputFolder {
    std::optional<FileId> id;  // none when it does not exist yet: nothing to keep out
    std::wstring name;         // its stored name
};
OutputFolder FindOutputFolder(FileSystem& fs, const std::wstring& outputFolder);

// The argument string: the command line after the program's own path and the
// one blank that separates them. The path ends at its closing double quote
// when it starts with one, else at the first blank.
std::wstring ArgumentString(const std::wstring& commandLine);

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

// The whole list: the sent files, then the files of each sent folder, with
// the window system given a chance to repaint on the way. An item sent twice,
// in whatever spelling, counts once; a sent item that cannot be read is
// missing; the output folder, when it is sent itself, is not walked.
Sources CollectSources(Platform& p, const std::wstring& arguments,
                       const std::wstring& outputFolder);

}  // namespace larkspur
