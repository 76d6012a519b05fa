#include "scratch.h"

#include <windows.h>

#include <algorithm>

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

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files, pending{L""};
    while (!pending.empty()) {
        const std::wstring relative = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        const win32::FindHandle find(
            FindFirstFileW(win32::ForApi(folder + L"\\" + relative + L"*").c_str(), &data));
        for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &data)) {
            const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            if (!isFolder || data.cFileName[0] != L'.') {
                (isFolder ? pending : files)
                    .push_back(relative + data.cFileName + (isFolder ? L"\\" : L""));
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace larkspur::scratch
