// File-system services through direct Win32 calls.
#include "platform/win32/win32_platform.h"

namespace larkspur::win32 {

namespace {

constexpr size_t kExtendedFrom = 248;  // CreateDirectoryW's limit is MAX_PATH - 12

std::wstring FullPathName(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) {
            return path;
        }
        if (n < full.size()) {
            full.resize(n);
            return full;
        }
        full.resize(n);
    }
}

}  // namespace

std::wstring ForApi(const std::wstring& path) {
    if (path.size() < kExtendedFrom || path.rfind(L"\\\\?\\", 0) == 0) {
        return path;
    }
    // The extended form is taken literally, so the path is normalised first
    // (separators, "." and "..", doubled backslashes).
    const std::wstring full = FullPathName(path);
    if (full.size() > 2 && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return path;
}

uint32_t Win32FileSystem::Attributes(const std::wstring& path) {
    return GetFileAttributesW(ForApi(path).c_str());
}

std::wstring Win32FileSystem::StoredName(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(ForApi(path).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, 0));
    return find.valid() ? std::wstring(data.cFileName) : std::wstring();
}

std::wstring Win32FileSystem::FullPath(const std::wstring& path) {
    return FullPathName(path);
}

bool Win32FileSystem::ListFolder(const std::wstring& folder, const EntrySink& sink) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW(ForApi(folder + L'*').c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.valid()) {
        // No entry at all (a drive root holds no "." or "..") is an empty
        // folder, not a failure.
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    do {
        sink(data.cFileName, data.dwFileAttributes);
    } while (FindNextFileW(find.get(), &data));
    return true;
}

bool Win32FileSystem::DriveReady(wchar_t letter) {
    const wchar_t upper = letter >= L'a' && letter <= L'z' ? letter - (L'a' - L'A') : letter;
    if (upper < L'A' || upper > L'Z' || !((GetLogicalDrives() >> (upper - L'A')) & 1)) {
        return false;
    }
    NoCriticalErrorBoxes quiet;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
}

bool Win32FileSystem::CreateFolder(const std::wstring& path) {
    return CreateDirectoryW(ForApi(path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
    return SetFileAttributesW(ForApi(path).c_str(), attributes) != 0;
}

uint64_t Win32FileSystem::WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ForApi(path).c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool Win32FileSystem::Copy(const std::wstring& from, const std::wstring& to) {
    return CopyFileExW(ForApi(from).c_str(), ForApi(to).c_str(), nullptr, nullptr, nullptr, 0) !=
           FALSE;
}

}  // namespace larkspur::win32
