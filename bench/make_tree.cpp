// make_tree: writes a benchmark tree.
//
//   make_tree FOLDER FILES [--per-folder K] [--fanout F]
//       FILES files of 4 KiB below FOLDER, K per folder (100), F subfolders
//       per folder (10)
//   make_tree FOLDER --deep LEVELS
//       a chain LEVELS folders deep below FOLDER, one file at every level
//
// FOLDER must not exist yet. The same arguments give the same tree.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tree.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: make_tree FOLDER FILES [--per-folder K] [--fanout F]\n"
                 "       make_tree FOLDER --deep LEVELS\n");
    return 2;
}

bool ParseCount(const wchar_t* text, size_t& value) {
    wchar_t* end = nullptr;
    const unsigned long long n = std::wcstoull(text, &end, 10);
    if (end == text || *end != L'\0') {
        return false;
    }
    value = static_cast<size_t>(n);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace larkspur::bench;
    if (argc < 3) {
        return Usage();
    }
    const std::wstring root = Absolute(argv[1]);
    TreeShape shape;
    size_t deep = 0;
    bool haveFiles = false;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--deep" && hasValue) {
            if (!ParseCount(argv[++i], deep) || deep == 0) {
                return Usage();
            }
        } else if (arg == L"--per-folder" && hasValue) {
            if (!ParseCount(argv[++i], shape.perFolder)) {
                return Usage();
            }
        } else if (arg == L"--fanout" && hasValue) {
            if (!ParseCount(argv[++i], shape.fanout)) {
                return Usage();
            }
        } else if (!haveFiles && ParseCount(argv[i], shape.files)) {
            haveFiles = true;
        } else {
            return Usage();
        }
    }
    if (haveFiles == (deep != 0)) {
        return Usage();  // one kind of tree per call
    }

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::wstring error;
    const bool ok = deep != 0 ? MakeDeepChain(root, deep, error) : MakeTree(root, shape, error);
    QueryPerformanceCounter(&end);
    if (!ok) {
        std::fprintf(stderr, "make_tree: %s\n", Narrow(error).c_str());
        return 1;
    }
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    std::printf("make_tree: %zu files in %s (%.1f s)\n", deep != 0 ? deep : shape.files,
                Narrow(root).c_str(), seconds);
    return 0;
}
