// Test trees for the benchmarks: real files on the real file system, laid out
// the same way every time, so runs on different days compare.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "scratch.h"

namespace larkspur::bench {

using scratch::RemoveTree;

constexpr size_t kFileSize = 4096;

struct TreeShape {
    size_t files = 0;
    size_t perFolder = 100;  // files in each folder, the last one may hold fewer
    size_t fanout = 10;      // subfolders of each folder
};

// Creates root and count files of kFileSize bytes below it. Folder k holds
// files perFolder*k onwards; its subfolders are folders fanout*k+1 ...
// fanout*k+fanout, so every level has files of its own and 100,000 files
// reach three levels below root. Folder names are d0..d9, file names
// f000000.dat onwards; the contents depend on the file number only. The
// folders that hold root are made as needed, but root itself must be new, so
// a tree is never written over an older one. On failure, error says why.
bool MakeTree(const std::wstring& root, const TreeShape& shape, std::wstring& error);

// Creates root and a chain of levels folders below it (l001\l002\...), with
// one file at every level, so the deepest paths run far past MAX_PATH.
bool MakeDeepChain(const std::wstring& root, size_t levels, std::wstring& error);

// Absolute form of a path, without a trailing backslash (except a drive root).
std::wstring Absolute(const std::wstring& path);

// UTF-16 to the console's 8-bit text.
std::string Narrow(const std::wstring& text);

// Milliseconds since construction, from the performance counter.
class Stopwatch {
  public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start_.QuadPart) /
               static_cast<double>(frequency_.QuadPart);
    }

  private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

double Median(std::vector<double> values);

}  // namespace larkspur::bench
