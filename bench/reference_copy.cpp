// reference_copy: the least a program can do to get Brisa's result, as the
// yardstick for Brisa.exe's own overhead.
//
//   reference_copy SOURCE OUTPUT MASK
//
// A plain recursive walk of SOURCE, one SHFileOperationW copy request with a
// destination per file (OUTPUT\<name of SOURCE>\<path below it>, the layout
// Brisa gives a sent folder), then SetFileAttributesW on every copy. No
// windows, no settings, no checks beyond the return values.
// Exit code: 0 done, 1 bad arguments, 2 the shell failed or skipped files,
// 3 some copies did not take their attributes.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// A folder's files first, then its subfolders, depth first: the order in
// which Brisa hands files to the shell.
void Walk(const std::wstring& folder, std::vector<std::wstring>& files) {
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring path = folder + L"\\" + data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            files.push_back(path);
        } else if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) {
            subfolders.push_back(path);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    for (const std::wstring& sub : subfolders) {
        Walk(sub, files);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: reference_copy SOURCE OUTPUT MASK\n");
        return 1;
    }
    std::wstring source = argv[1];
    std::wstring output = argv[2];
    while (source.size() > 3 && source.back() == L'\\') {
        source.pop_back();
    }
    while (output.size() > 3 && output.back() == L'\\') {
        output.pop_back();
    }
    const DWORD mask =
        std::wcstoul(argv[3], nullptr, 0) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    const DWORD attributes = mask == 0 ? FILE_ATTRIBUTE_NORMAL : mask;

    // The same apartment Brisa.exe calls the shell from.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    LARGE_INTEGER t0, t1, t2, t3;
    QueryPerformanceCounter(&t0);
    std::vector<std::wstring> files;
    Walk(source, files);
    if (files.empty()) {
        std::fprintf(stderr, "reference_copy: no files below the source folder\n");
        return 1;
    }
    // Everything from the name of the source folder on is kept.
    const size_t keep = source.find_last_of(L'\\') + 1;
    std::wstring from, to;
    std::vector<std::wstring> destinations;
    destinations.reserve(files.size());
    for (const std::wstring& file : files) {
        destinations.push_back(output + L"\\" + file.substr(keep));
        from += file;
        from.push_back(L'\0');
        to += destinations.back();
        to.push_back(L'\0');
    }
    from.push_back(L'\0');
    to.push_back(L'\0');
    CreateDirectoryW(output.c_str(), nullptr);  // the shell makes the folders below it

    QueryPerformanceCounter(&t1);
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_MULTIDESTFILES | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    const int result = SHFileOperationW(&op);
    QueryPerformanceCounter(&t2);

    size_t failed = 0;
    for (const std::wstring& destination : destinations) {
        failed += !SetFileAttributesW(destination.c_str(), attributes);
    }
    QueryPerformanceCounter(&t3);

    std::printf(
        "reference files=%zu walk_s=%.3f shell_s=%.3f attr_s=%.3f total_s=%.3f result=%d "
        "aborted=%d attr_failed=%zu\n",
        files.size(), Seconds(t0, t1), Seconds(t1, t2), Seconds(t2, t3), Seconds(t0, t3), result,
        op.fAnyOperationsAborted ? 1 : 0, failed);
    if (result != 0 || op.fAnyOperationsAborted) {
        return 2;
    }
    return failed == 0 ? 0 : 3;
}
