#include "tree.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "paths/make_path.h"
#include "platform/win32/win32_platform.h"

namespace larkspur::bench {

namespace {

// The content of file number index: a readable first line, then bytes of a
// small xorshift generator seeded with the number, so no two files are alike
// and nothing along the way can shortcut identical contents.
std::vector<char> FileContent(size_t index) {
    std::vector<char> content(kFileSize);
    const int head =
        std::snprintf(content.data(), content.size(), "larkspur bench file %zu\r\n", index);
    uint64_t x = 0x9E3779B97F4A7C15ull ^ (static_cast<uint64_t>(index) + 1);
    for (size_t i = static_cast<size_t>(head); i < content.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        content[i] = static_cast<char>('a' + x % 26);
    }
    return content;
}

bool WriteFileOf(const std::wstring& path, size_t index, std::wstring& error) {
    const std::vector<char> content = FileContent(index);
    HANDLE h = CreateFileW(win32::ForApi(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = L"cannot create " + path;
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size();
    CloseHandle(h);
    if (!ok) {
        error = L"cannot write " + path;
    }
    return ok;
}

bool MakeFolder(const std::wstring& path, std::wstring& error) {
    if (!CreateDirectoryW(win32::ForApi(path).c_str(), nullptr)) {
        error = GetLastError() == ERROR_ALREADY_EXISTS ? path + L" exists already"
                                                       : L"cannot create " + path;
        return false;
    }
    return true;
}

bool MakeRoot(const std::wstring& root, std::wstring& error) {
    win32::Win32FileSystem fs;
    if (!MakeSureDirectoryPathExists(fs, root)) {
        error = L"cannot create the folders that hold " + root;
        return false;
    }
    return MakeFolder(root, error);
}

std::wstring Numbered(const wchar_t* prefix, size_t number, int digits, const wchar_t* suffix) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%ls%0*zu%ls", prefix, digits, number, suffix);
    return text;
}

}  // namespace

bool MakeTree(const std::wstring& root, const TreeShape& shape, std::wstring& error) {
    if (shape.perFolder == 0 || shape.fanout == 0) {
        error = L"files per folder and subfolders per folder must be at least 1";
        return false;
    }
    const size_t folders =
        shape.files == 0 ? 1 : (shape.files + shape.perFolder - 1) / shape.perFolder;
    std::vector<std::wstring> paths(folders);
    paths[0] = root;
    if (!MakeRoot(root, error)) {
        return false;
    }
    // A parent's number is always below its children's, so creating folders
    // in number order creates every parent first.
    for (size_t k = 1; k < folders; ++k) {
        const size_t parent = (k - 1) / shape.fanout;
        paths[k] = paths[parent] + Numbered(L"\\d", (k - 1) % shape.fanout, 1, L"");
        if (!MakeFolder(paths[k], error)) {
            return false;
        }
    }
    for (size_t i = 0; i < shape.files; ++i) {
        if (!WriteFileOf(paths[i / shape.perFolder] + Numbered(L"\\f", i, 6, L".dat"), i, error)) {
            return false;
        }
    }
    return true;
}

bool MakeDeepChain(const std::wstring& root, size_t levels, std::wstring& error) {
    std::wstring folder = root;
    if (!MakeRoot(folder, error)) {
        return false;
    }
    for (size_t level = 1; level <= levels; ++level) {
        folder += Numbered(L"\\l", level, 3, L"");
        if (!MakeFolder(folder, error) || !WriteFileOf(folder + L"\\file.dat", level, error)) {
            return false;
        }
    }
    return true;
}

std::wstring Absolute(const std::wstring& path) {
    std::wstring full(32768, L'\0');
    const DWORD n =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) {
        return path;
    }
    full.resize(n);
    if (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    return full;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace larkspur::bench
