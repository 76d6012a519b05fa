// Path text routines: the trailing separator, the long form of a path, and
// the nearest existing folder of a remembered one.
#pragma once

#include <string>

#include "platform/platform.h"

namespace larkspur {

// The path with a backslash appended unless it already ends in one; an
// empty path gives "\".
std::wstring AddBackslash(const std::wstring& path);

// The path with every component after "X:\" replaced by its stored name in
// its stored case. Relative, network and device paths (anything that does
// not start with "X:\") come back unchanged, and so do a drive root and a
// path of one character after the root. A trailing
// backslash is dropped; a component that does not exist contributes an empty
// name.
std::wstring LongPath(FileSystem& fs, const std::wstring& path);

// The long form of an existing folder, absolute, with an upper-case drive
// letter and a trailing backslash, so that two spellings of one folder give
// the same text. Empty when part of the path does not exist.
std::wstring LongFolder(FileSystem& fs, const std::wstring& path);

// Shortens path in place, one folder name at a time, until it names an
// existing folder, and returns it. Empty (and path untouched) when its drive does not
// exist or is not ready; empty when nothing of it is a folder.
std::wstring NearestFolder(FileSystem& fs, std::wstring& path);

// path as an absolute path, normalised: as it is when it is absolute
// ("X:\..." or "\\server\..."), else below folder ("\x" on folder's drive,
// "X:x" at the root of drive X, anything else below folder itself).
std::wstring Absolute(FileSystem& fs, const std::wstring& folder, const std::wstring& path);

// The position just past the last backslash of path, 0 when it has none.
size_t NameStart(std::wstring_view path);

}  // namespace larkspur
