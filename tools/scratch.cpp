#include "scratch.h"

#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace larkspur::scratch {

void RemoveTree(const std::wstring& path) {
    const std::wstring api = win32::ForApi(path);
    const DWORD attributes = GetFileAttributesW(api.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SetFileAttributesW(api.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(api.c_str());
        return;
    }
    WIN32_FIND_DATAW data;
    const win32::FindHandle find(FindFirstFileW(win32::ForApi(path + L"\\*").c_str(), &data));
    if (find.valid()) {
        do {
            if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) {
                RemoveTree(path + L"\\" + data.cFileName);
            }
        } while (FindNextFileW(find.get(), &data));
    }
    RemoveDirectoryW(api.c_str());
}

}  // namespace larkspur::scratch
