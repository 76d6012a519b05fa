// call_bench: what each file-system call the copy makes per file costs
// under the platform, on real files, one call kind at a time.
//
//   call_bench FOLDER [N]
//       Makes N files of 4 KiB (default 2000) below FOLDER, then times each
//       call kind over all of them, median of 5 passes, in microseconds per
//       file: opening a file and closing it, the look at an open file the
//       copy takes at its start and end (by handle, basic and standard
//       information, and GetFileInformationByHandle, which Wine answers
//       with the file's name as well), reading attributes back by path
//       (plain and extended form), setting them, the identity of a folder,
//       and the whole platform copy of a file (Win32FileSystem::Copy) new
//       and replacing, with and without verification.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace {

using namespace larkspur;
using Clock = std::chrono::steady_clock;

double PerFileUs(size_t n, const std::function<void(size_t)>& call) {
    std::vector<double> passes;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = Clock::now();
        for (size_t i = 0; i < n; ++i) {
            call(i);
        }
        passes.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() /
                         static_cast<double>(n));
    }
    std::sort(passes.begin(), passes.end());
    return passes[2];
}

win32::FileHandle Open(const std::wstring& path) {
    return win32::FileHandle(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: call_bench FOLDER [N]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const size_t n = argc == 3 ? std::wcstoul(argv[2], nullptr, 10) : 2000;
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\out").c_str(), nullptr);
    std::vector<std::wstring> files, copies;
    const std::string content(4096, 'x');
    for (size_t i = 0; i < n; ++i) {
        files.push_back(folder + L"\\f" + std::to_wstring(i));
        copies.push_back(folder + L"\\out\\f" + std::to_wstring(i));
        const win32::FileHandle file(CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                  nullptr);
    }
    for (int i = 0; i < 16; ++i) {
        const std::wstring small = folder + L"\\small" + std::to_wstring(i);
        CreateDirectoryW(small.c_str(), nullptr);
        for (const wchar_t* name : {L"\\a", L"\\b"}) {
            win32::FileHandle(CreateFileW((small + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        }
    }
    std::vector<win32::FileHandle> open;
    for (const std::wstring& file : files) {
        open.push_back(Open(file));
    }
    win32::Win32FileSystem fs;
    const struct {
        const char* name;
        std::function<void(size_t)> call;
    } calls[] = {
        {"open and close", [&](size_t i) { Open(files[i]); }},
        {"basic information by handle",
         [&](size_t i) {
             FILE_BASIC_INFO info;
             GetFileInformationByHandleEx(open[i].get(), FileBasicInfo, &info, sizeof info);
         }},
        {"standard information by handle",
         [&](size_t i) {
             FILE_STANDARD_INFO info;
             GetFileInformationByHandleEx(open[i].get(), FileStandardInfo, &info, sizeof info);
         }},
        {"GetFileInformationByHandle",
         [&](size_t i) {
             BY_HANDLE_FILE_INFORMATION info;
             GetFileInformationByHandle(open[i].get(), &info);
         }},
        {"attributes by path", [&](size_t i) { GetFileAttributesW(files[i].c_str()); }},
        {"attributes by path, extended form",
         [&](size_t i) { GetFileAttributesW(win32::ForApi(files[i]).c_str()); }},
        {"set attributes by path",
         [&](size_t i) { SetFileAttributesW(files[i].c_str(), FILE_ATTRIBUTE_ARCHIVE); }},
        {"open a folder and close it",
         [&](size_t) {
             win32::FileHandle(CreateFileW(folder.c_str(), FILE_READ_DATA | SYNCHRONIZE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                           nullptr));
         }},
        {"identity of a folder", [&](size_t) { fs.Identity(folder); }},
        {"identity of a file", [&](size_t i) { fs.Identity(files[i]); }},
        {"make a folder and remove it",
         [&](size_t i) {
             CreateDirectoryW((copies[i] + L"d").c_str(), nullptr);
             RemoveDirectoryW((copies[i] + L"d").c_str());
         }},
        {"make a folder and remove it, extended form",
         [&](size_t i) {
             CreateDirectoryW(win32::ForApi(copies[i] + L"e").c_str(), nullptr);
             RemoveDirectoryW(win32::ForApi(copies[i] + L"e").c_str());
         }},
        {"list a folder of 2 files",
         [&](size_t i) {
             WIN32_FIND_DATAW data;
             win32::FindHandle find(FindFirstFileExW(
                 win32::ForApi(folder + L"\\small" + std::to_wstring(i % 16) + L"\\*").c_str(),
                 FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                 FIND_FIRST_EX_LARGE_FETCH));
             while (find.valid() && FindNextFileW(find.get(), &data)) {
             }
         }},
        {"delete a copy", [&](size_t i) { DeleteFileW(copies[i].c_str()); }},
        {"create, write 4 KiB, close",
         [&](size_t i) {
             const win32::FileHandle file(CreateFileW(
                 copies[i].c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
             DWORD written = 0;
             WriteFile(file.get(), content.data(), 4096, &written, nullptr);
         }},
        {"copy, new",
         [&](size_t i) {
             DeleteFileW(copies[i].c_str());
             fs.Copy(files[i], copies[i], {kAttrHidden, false, false});
         }},
        {"copy, replacing",
         [&](size_t i) {
             fs.Copy(files[i], copies[i], {kAttrHidden, true});
         }},
        {"copy, replacing, verified",
         [&](size_t i) {
             fs.Copy(files[i], copies[i], {kAttrHidden, true, true});
         }},
    };
    std::printf("calls files=%zu (microseconds per file, median of 5)\n", n);
    for (const auto& c : calls) {
        std::printf("  %-40s %8.1f\n", c.name, PerFileUs(n, c.call));
    }
    return 0;
}
