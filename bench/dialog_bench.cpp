// dialog_bench: how long the output folder dialog takes to open, and to open
// a folder in its folder list, with the real code on real folders.
//
//   dialog_bench [--root FOLDER] [--reps R] [N ...]
//       For every N (default 100 1000 10000): a folder with N subfolders,
//       made once below FOLDER (default C:\larkspur-bench\dialog) and reused.
//       Times, median of R (default 15): loading the dialog with that folder
//       as the current one (drive list, folder list, settings), opening the
//       folder again in the folder list, and a bare FindFirstFileExW listing
//       of the same folder as the yardstick.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "tree.h"
#include "ui/output_folder_dialog.h"
#include "app/machine.h"

namespace {

using namespace larkspur;
using bench::Median;
using bench::Narrow;
using bench::Stopwatch;

// A folder with n subfolders s00000 ..., complete once its marker exists.
bool MakeFolders(const std::wstring& folder, size_t n) {
    const std::wstring marker = folder + L".done";
    if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    bench::RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (size_t i = 0; i < n; ++i) {
        wchar_t name[16];
        swprintf(name, 16, L"\\s%05zu", i);
        if (!CreateDirectoryW((folder + name).c_str(), nullptr)) {
            return false;
        }
    }
    HANDLE h = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
}

// What any program must do to show the folder's subfolders: list them.
size_t ListSubfolders(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find =
        FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                         FindExSearchLimitToDirectories, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    size_t n = 0;
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        n += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'.';
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring root = L"C:\\larkspur-bench\\dialog";
    int reps = 15;
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (arg == L"--reps" && i + 1 < argc) {
            reps = _wtoi(argv[++i]);
        } else {
            sizes.push_back(static_cast<size_t>(_wtoi(argv[i])));
        }
    }
    if (sizes.empty()) {
        sizes = {100, 1000, 10000};
    }
    app::InitWindowThread();
    app::Win32Machine machine;
    CreateDirectoryW(L"C:\\larkspur-bench", nullptr);
    CreateDirectoryW(root.c_str(), nullptr);

    std::printf("Output folder dialog, median of %d (ms)\n", reps);
    std::printf("%8s %10s %10s %12s %10s\n", "subdirs", "load", "open", "list alone", "open/list");
    for (const size_t n : sizes) {
        const std::wstring folder = root + L"\\subs-" + std::to_wstring(n);
        if (!MakeFolders(folder, n)) {
            std::printf("cannot make %s\n", Narrow(folder).c_str());
            return 1;
        }
        SetCurrentDirectoryW(folder.c_str());
        std::vector<double> load, open, list;
        for (int r = 0; r <= reps; ++r) {  // the first round warms the caches
            ui::OutputFolderDialog form(machine.platform, {});
            Stopwatch loading;
            form.Load();
            const double loadMs = loading.Ms();
            Stopwatch opening;
            form.OpenFolder(folder);
            const double openMs = opening.Ms();
            Stopwatch listing;
            const size_t listed = ListSubfolders(folder);
            const double listMs = listing.Ms();
            if (form.Folders().EntryCount() != form.Folders().OpenEntry() + 1 + n || listed != n) {
                std::printf("wrong count for %zu\n", n);
                return 1;
            }
            form.Unload();
            if (r > 0) {
                load.push_back(loadMs);
                open.push_back(openMs);
                list.push_back(listMs);
            }
        }
        std::printf("%8zu %10.2f %10.2f %12.2f %10.1f\n", n, Median(load), Median(open),
                    Median(list), Median(open) / Median(list));
    }
    return 0;
}
