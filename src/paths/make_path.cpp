// Folder creation, one component at a time from the root.
#include "paths/make_path.h"

namespace larkspur {

namespace {

// The position after count components (and their backslashes) from i.
size_t SkipComponents(const std::wstring& path, size_t i, int count) {
    for (; count > 0 && i < path.size(); --count) {
        const size_t slash = path.find(L'\\', i);
        i = slash == std::wstring::npos ? path.size() : slash + 1;
    }
    return i;
}

// Where the first component that may need creating starts: after a drive
// ("C:\"), after the server and share of a network path ("\\srv\share\"),
// after the "\\?\" prefix of an extended path, after the root backslash of
// the current drive ("\a\").
size_t FirstCreatable(const std::wstring& path) {
    size_t i = 0;
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return SkipComponents(path, 8, 2);
    }
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        i = 4;
    } else if (path.rfind(L"\\\\", 0) == 0) {
        return SkipComponents(path, 2, 2);
    }
    if (path.size() >= i + 2 && path[i + 1] == L':') {
        i += 2;
    }
    while (i < path.size() && path[i] == L'\\') {
        ++i;
    }
    return i;
}

}  // namespace

bool MakeSureDirectoryPathExists(FileSystem& fs, const std::wstring& path) {
    size_t start = FirstCreatable(path);
    for (;;) {
        const size_t slash = path.find(L'\\', start);
        if (slash == std::wstring::npos) {
            return true;
        }
        if (slash > start) {  // an empty component (a doubled backslash) names nothing new
            const std::wstring folder = path.substr(0, slash);
            const uint32_t attributes = fs.Attributes(folder);
            if (attributes == kInvalidAttributes) {
                // Someone else may create it at the same moment; what counts is
                // that it is there afterwards.
                if (!fs.CreateFolder(folder) && !fs.FolderExists(folder)) {
                    return false;
                }
            } else if (!(attributes & kAttrDirectory)) {
                return false;  // a file stands where the folder should be
            }
        }
        start = slash + 1;
    }
}

}  // namespace larkspur
