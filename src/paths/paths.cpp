// Path text routines. Positions count UTF-16 code units, comparisons are
// exact; only LongPath and NearestFolder ask the file system anything.
#include "paths/paths.h"

namespace larkspur {

std::wstring AddBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') {
        return path;
    }
    return path + L'\\';
}

std::wstring LongPath(FileSystem& fs, const std::wstring& path) {
    // Only "X:\" at the very start makes a drive path: a ":\" further on
    // (a device path such as \\?\C:\..., or no valid path at all) is left
    // alone like any other path that is not one.
    if (path.size() <= 4 || path[1] != L':' || path[2] != L'\\') {
        return path;
    }
    // Positions below are 0-based: the first component starts right after
    // "X:\", and each prefix handed to the name query ends just before a
    // backslash.
    std::wstring result = path.substr(0, 2);
    size_t start = 3;
    for (;;) {
        const size_t slash = path.find(L'\\', start);
        if (slash == std::wstring::npos) {
            result += L'\\';
            result += fs.StoredName(path);
            break;
        }
        result += L'\\';
        result += fs.StoredName(path.substr(0, slash));
        start = slash + 1;
        if (start >= path.size()) {
            break;
        }
    }
    return result;
}

std::wstring LongFolder(FileSystem& fs, const std::wstring& path) {
    std::wstring folder = LongPath(fs, fs.FullPath(path));
    if (folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\') {
        // LongPath spells a component that does not exist as an empty name:
        // two backslashes in a row, or a trailing one after the root.
        if (folder.find(L"\\\\", 2) != std::wstring::npos ||
            (folder.back() == L'\\' && folder.size() > 3)) {
            return std::wstring();
        }
        if (folder[0] >= L'a' && folder[0] <= L'z') {
            folder[0] = static_cast<wchar_t>(folder[0] - L'a' + L'A');
        }
    }
    return AddBackslash(folder);
}

std::wstring NearestFolder(FileSystem& fs, std::wstring& path) {
    if (path.empty()) {
        return std::wstring();
    }
    const wchar_t drive = path.front();
    if (!fs.DriveReady(drive)) {
        return std::wstring();
    }
    // Whole folder names come off, the last first; a drive's root keeps its
    // backslash.
    while (!path.empty() && !fs.FolderExists(path)) {
        const size_t slash = path.find_last_of(L'\\', path.size() - 2);
        if (slash == std::wstring::npos || slash + 1 == path.size()) {
            path.clear();
        } else {
            path.resize(slash == 2 && path[1] == L':' ? slash + 1 : slash);
        }
    }
    return path;
}

std::wstring Absolute(FileSystem& fs, const std::wstring& folder, const std::wstring& path) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool drive = path.size() >= 2 && path[1] == L':';
    std::wstring joined;
    if ((drive && path.size() >= 3 && separator(path[2])) ||
        (path.size() >= 2 && separator(path[0]) && separator(path[1]))) {
        joined = path;
    } else if (drive) {
        joined = path.substr(0, 2) + L'\\' + path.substr(2);
    } else if (!path.empty() && separator(path[0]) && folder.size() >= 2 && folder[1] == L':') {
        joined = folder.substr(0, 2) + path;
    } else {
        joined = AddBackslash(folder) + path;
    }
    return fs.FullPath(joined);
}

size_t NameStart(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? 0 : slash + 1;
}

}  // namespace larkspur
