// walk_bench: times the program's own work with its real code on real trees.
//
//   walk_bench [--root FOLDER] [--reps R] [--deep LEVELS] [N ...]
//       For every N (default 2000 20000 100000): the folder walk with yields
//       on and off, building the two lists for the shell, and the memory the
//       walk takes (in a fresh process each); then walks of chains LEVELS/4,
//       LEVELS/2 and LEVELS folders deep (default 200). Trees are made once
//       below FOLDER (default C:\larkspur-bench\walk) and reused by later
//       runs.
//   walk_bench --memory FOLDER
//       One walk of FOLDER in this process, with the process's memory before
//       and after it: the child that the run above starts per N.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/machine.h"
#include "copy/copy.h"
#include "copy/sources.h"
#include "copy/walk.h"
#include "paths/make_path.h"
#include "paths/paths.h"
#include "platform/win32/win32_platform.h"
#include "tree.h"

namespace {

using namespace larkspur;
using bench::Median;
using bench::Narrow;
using bench::Stopwatch;

using Machine = app::Win32Machine;

size_t FilesFound(const Sources& state) {
    return state.files.size();
}

double TimedWalk(Machine& m, Sources& state, const std::wstring& folder, bool yields) {
    m.ui.yieldEnabled = yields;
    state = Sources{};
    const Stopwatch watch;
    CollectFiles(m.platform, folder, {}, state);
    return watch.Ms();
}

std::vector<std::wstring> Paths(const Sources& state) {
    std::vector<std::wstring> paths;
    paths.reserve(state.files.size());
    for (const SourceFile& file : state.files) {
        paths.push_back(file.path);
    }
    return paths;
}

// The two multi-strings as the copy builds them.
double TimedListBuilding(const Sources& walked, const std::wstring& output) {
    const Stopwatch watch;
    const std::wstring from = win32::MultiString(Paths(walked));
    const std::wstring to = win32::MultiString(Destinations(walked.files, output));
    const double ms = watch.Ms();
    // Keeps the lists from being optimised away, and checks them in passing.
    if (from.size() < FilesFound(walked) || to.size() < FilesFound(walked)) {
        std::printf("  list building: lists too short\n");
    }
    return ms;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(win32::ForApi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
}

// A tree made by an earlier run is reused only when its marker says it was
// finished; a half-made one is made again.
bool EnsureTree(const std::wstring& folder, size_t files, size_t deep) {
    const std::wstring marker = folder + L".done";
    if (Exists(marker)) {
        return true;
    }
    bench::RemoveTree(folder);
    std::printf("making %s ...", Narrow(folder).c_str());
    std::fflush(stdout);
    const Stopwatch watch;
    std::wstring error;
    bench::TreeShape shape;
    shape.files = files;
    const bool ok = deep != 0 ? bench::MakeDeepChain(folder, deep, error)
                              : bench::MakeTree(folder, shape, error);
    if (!ok) {
        std::printf(" failed: %s\n", Narrow(error).c_str());
        return false;
    }
    std::printf(" %.1f s\n", watch.Ms() / 1000);
    Touch(marker);
    return true;
}

// The process's memory as GetProcessMemoryInfo gives it: the working set
// and its peak, and the private bytes (the commit charge, PagefileUsage,
// which Windows also reports as PrivateUsage) and their peak. Under Wine 8
// the working set is the Unix resident set (VmRSS, its peak VmHWM) and the
// private bytes are the resident anonymous memory (RssAnon + VmSwap), whose
// "peak" is the current value; PrivateUsage stays 0 there.
struct Memory {
    uint64_t workingSet = 0;
    uint64_t peakWorkingSet = 0;
    uint64_t privateBytes = 0;
    uint64_t peakPrivateBytes = 0;
};

Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    Memory memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        memory.workingSet = counters.WorkingSetSize;
        memory.peakWorkingSet = counters.PeakWorkingSetSize;
        memory.privateBytes = counters.PagefileUsage;
        memory.peakPrivateBytes = counters.PeakPagefileUsage;
    }
    return memory;
}

// Heap bytes the walked lists hold by their own count: the path strings'
// buffers, the two vectors' arrays (heap headers not included).
uint64_t ListBytes(const Sources& state) {
    uint64_t bytes = state.files.capacity() * sizeof(SourceFile);
    for (const SourceFile& file : state.files) {
        const std::wstring& path = file.path;
        if (path.capacity() > std::wstring().capacity()) {  // beyond the in-place buffer
            bytes += (path.capacity() + 1) * sizeof(wchar_t);
        }
    }
    return bytes;
}

// The --memory child: one walk as an interactive run does it (progress window
// up, yields on), after one bare listing of the folder so that the listing's
// own first-use costs fall before the "before" reading.
int RunMemory(const std::wstring& folder) {
    Machine m;
    m.ui.ShowProgressWindow();
    m.fs.ListFolder(AddBackslash(folder), [](std::wstring_view, uint32_t, uint64_t) {});
    Sources state;
    const Memory before = ProcessMemory();
    CollectFiles(m.platform, folder, {}, state);
    const Memory after = ProcessMemory();
    std::printf(
        "memory files=%zu ws_before=%llu peak_ws=%llu private_before=%llu "
        "peak_private=%llu list_bytes=%llu\n",
        FilesFound(state), static_cast<unsigned long long>(before.workingSet),
        static_cast<unsigned long long>(after.peakWorkingSet),
        static_cast<unsigned long long>(before.privateBytes),
        static_cast<unsigned long long>(after.peakPrivateBytes),
        static_cast<unsigned long long>(ListBytes(state)));
    m.ui.UnloadProgressWindow();
    return state.missing.empty() ? 0 : 1;
}

struct MemoryResult {
    size_t files = 0;
    double peakGrowth = 0;     // peak working set after the walk less the working set before
    double privateGrowth = 0;  // peak private bytes after the walk less private bytes before
    double listBytes = 0;
};

// Runs this program with --memory FOLDER in a fresh process, so that every
// size starts from the same heap and the working set's peak is its own.
bool MeasureMemory(const std::wstring& folder, MemoryResult& result) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const std::wstring exe = win32::ModulePath(nullptr);
    std::wstring commandLine = L"\"" + exe + L"\" --memory \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[512];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            output.append(buffer, read);
        }
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    unsigned long long files, wsBefore, peak, privateBefore, privateAfter, listBytes;
    const size_t at = output.find("memory ");
    if (at == std::string::npos ||
        std::sscanf(output.c_str() + at,
                    "memory files=%llu ws_before=%llu peak_ws=%llu private_before=%llu "
                    "peak_private=%llu list_bytes=%llu",
                    &files, &wsBefore, &peak, &privateBefore, &privateAfter, &listBytes) != 6) {
        std::printf("  memory of %s: no answer from the child\n", Narrow(folder).c_str());
        return false;
    }
    result.files = static_cast<size_t>(files);
    result.peakGrowth = static_cast<double>(peak) - static_cast<double>(wsBefore);
    result.privateGrowth = static_cast<double>(privateAfter) - static_cast<double>(privateBefore);
    result.listBytes = static_cast<double>(listBytes);
    return true;
}

std::wstring DeepLevelFile(size_t level) {
    wchar_t name[32];
    std::swprintf(name, 32, L"\\l%03zu\\file.dat", level);
    return name;
}

struct DeepResult {
    size_t levels = 0;
    double ms = 0;      // the walk, median
    double bareMs = 0;  // the yardstick, median
    size_t longest = 0;
    bool ok = false;
};

// The yardstick: the same folders listed with bare FindFirstFileExW calls
// in the extended form, nothing kept but a count; subfolders walked in the
// walk's order. Sets files to the number of files seen.
double TimedBareWalk(const std::wstring& folder, size_t& files) {
    const Stopwatch watch;
    files = 0;
    std::vector<std::wstring> pending{L"\\\\?\\" + folder + L"\\"};
    std::vector<std::wstring> subfolders;
    while (!pending.empty()) {
        const std::wstring dir = std::move(pending.back());
        pending.pop_back();
        subfolders.clear();
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileExW((dir + L"*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ++files;
            } else if (data.cFileName[0] != L'.') {
                subfolders.push_back(dir + data.cFileName + L"\\");
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
        std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending));
    }
    return watch.Ms();
}

// Walks a chain levels deep: every level's file found, in order from the top,
// each one reachable through the path the walk built.
bool WalkDeepChain(Machine& m, const std::wstring& root, size_t levels, int reps,
                   DeepResult& result) {
    const std::wstring folder = root + L"\\deep-" + std::to_wstring(levels);
    if (!EnsureTree(folder, 0, levels)) {
        return false;
    }
    Sources state;
    TimedWalk(m, state, folder, true);  // warm-up, and the checks
    size_t inOrder = 0;
    size_t reachable = 0;
    for (size_t i = 0; i < state.files.size(); ++i) {
        const std::wstring& path = state.files[i].path;
        const std::wstring tail = DeepLevelFile(i + 1);
        inOrder += path.size() > tail.size() &&
                   path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
        reachable += m.fs.Attributes(path) != kInvalidAttributes;
        result.longest = std::max(result.longest, path.size());
    }
    result.levels = levels;
    result.ok = FilesFound(state) == levels && inOrder == levels && reachable == levels &&
                state.missing.empty();
    if (!result.ok) {
        std::printf("deep-%zu: %zu files found, %zu in order, %zu reachable, %zu missing\n", levels,
                    FilesFound(state), inOrder, reachable, state.missing.size());
    }
    // Walk and yardstick alternate, so that drift on a shared machine hits both.
    std::vector<double> times, bare;
    size_t bareFiles = 0;
    for (int r = 0; r < reps; ++r) {
        times.push_back(TimedWalk(m, state, folder, true));
        bare.push_back(TimedBareWalk(folder, bareFiles));
    }
    result.ms = Median(times);
    result.bareMs = Median(bare);
    return true;
}

struct SizeResult {
    size_t n = 0;
    double yieldOnMs = 0;  // medians
    double yieldOffMs = 0;
    double listMs = 0;
    double bestOnMs = 0;  // fastest runs: the least disturbed by other work on the machine
    double bestOffMs = 0;
    double bareMs = 0;  // the yardstick, median
};

int RunWalkBench(const std::wstring& root, int reps, size_t deep,
                 const std::vector<size_t>& sizes) {
    Machine m;
    if (!MakeSureDirectoryPathExists(m.fs, AddBackslash(root))) {
        std::printf("cannot create %s\n", Narrow(root).c_str());
        return 1;
    }
    // An interactive run walks with the progress window up; its messages are
    // what the yields let through.
    m.ui.ShowProgressWindow();

    bool allOk = true;
    std::vector<SizeResult> results;
    for (const size_t n : sizes) {
        const std::wstring folder = root + L"\\tree-" + std::to_wstring(n);
        if (!EnsureTree(folder, n, 0)) {
            return 1;
        }
        Sources state;
        TimedWalk(m, state, folder, true);  // warm-up, and the count check
        if (FilesFound(state) != n || !state.missing.empty()) {
            std::printf("tree-%zu: the walk found %zu files\n", n, FilesFound(state));
            allOk = false;
            continue;
        }
        // On, off and the yardstick alternate so that drift on a shared
        // machine hits all three.
        std::vector<double> on, off, lists, bare;
        size_t bareFiles = 0;
        for (int r = 0; r < reps; ++r) {
            const bool onFirst = r % 2 == 0;
            (onFirst ? on : off).push_back(TimedWalk(m, state, folder, onFirst));
            (onFirst ? off : on).push_back(TimedWalk(m, state, folder, !onFirst));
            bare.push_back(TimedBareWalk(folder, bareFiles));
        }
        if (bareFiles != n) {
            std::printf("tree-%zu: the bare walk found %zu files\n", n, bareFiles);
            allOk = false;
        }
        for (int r = 0; r < reps; ++r) {
            lists.push_back(TimedListBuilding(state, L"C:\\larkspur-bench\\out\\"));
        }
        results.push_back({n, Median(on), Median(off), Median(lists),
                           *std::min_element(on.begin(), on.end()),
                           *std::min_element(off.begin(), off.end()), Median(bare)});
    }
    m.ui.UnloadProgressWindow();

    // Linear means the cost per file stays put as the tree grows: "x first"
    // is a per-file cost against that of the first (smallest) size, and the
    // walk's cost against the bare listing's stays put too.
    if (!results.empty()) {
        const SizeResult& first = results.front();
        auto perFile = [](double ms, size_t n) { return ms / static_cast<double>(n); };
        std::printf(
            "\nFolder walk: CollectFiles, Win32FileSystem, Win32Ui; median of %d, and the "
            "fastest run;\nbare: the same folders listed with bare FindFirstFileExW calls; "
            "own: walk less bare\n",
            reps);
        std::printf("%8s %12s %10s %8s %10s %8s %10s %10s %9s %12s %11s %11s\n", "files",
                    "yield on ms", "ms/file", "x first", "fastest", "x first", "bare ms/f",
                    "walk/bare", "own us/f", "yield off ms", "overhead %", "(fastest)");
        for (const SizeResult& r : results) {
            const double onPerFile = perFile(r.yieldOnMs, r.n);
            const double bestPerFile = perFile(r.bestOnMs, r.n);
            std::printf(
                "%8zu %12.1f %10.4f %8.2f %10.4f %8.2f %10.4f %10.2f %9.2f %12.1f "
                "%+11.1f %+11.1f\n",
                r.n, r.yieldOnMs, onPerFile, onPerFile / perFile(first.yieldOnMs, first.n),
                bestPerFile, bestPerFile / perFile(first.bestOnMs, first.n), perFile(r.bareMs, r.n),
                r.yieldOnMs / r.bareMs, 1000.0 * perFile(r.yieldOnMs - r.bareMs, r.n), r.yieldOffMs,
                100.0 * (r.yieldOnMs - r.yieldOffMs) / r.yieldOffMs,
                100.0 * (r.bestOnMs - r.bestOffMs) / r.bestOffMs);
        }
        std::printf("\nList building: MultiString + BuildDestList; median of %d\n", reps);
        std::printf("%8s %12s %10s %8s\n", "files", "ms", "us/file", "x first");
        for (const SizeResult& r : results) {
            std::printf("%8zu %12.2f %10.3f %8.2f\n", r.n, r.listMs,
                        1000.0 * perFile(r.listMs, r.n),
                        perFile(r.listMs, r.n) / perFile(first.listMs, first.n));
        }
    }
    if (results.size() >= 2) {
        const SizeResult& small = results.front();
        const SizeResult& large = results.back();
        auto ratio = [&](double SizeResult::*ms) {
            return (large.*ms / static_cast<double>(large.n)) /
                   (small.*ms / static_cast<double>(small.n));
        };
        std::printf(
            "\nPer-file cost, %zu files against %zu: walk x%.2f (fastest x%.2f, bare listing "
            "x%.2f), lists x%.2f\n",
            large.n, small.n, ratio(&SizeResult::yieldOnMs), ratio(&SizeResult::bestOnMs),
            ratio(&SizeResult::bareMs), ratio(&SizeResult::listMs));
    }

    // Memory: one fresh process per size, after the timings (the trees exist).
    std::vector<MemoryResult> memory;
    for (const SizeResult& r : results) {
        MemoryResult result;
        if (MeasureMemory(root + L"\\tree-" + std::to_wstring(r.n), result) &&
            result.files == r.n) {
            memory.push_back(result);
        } else {
            allOk = false;
        }
    }
    if (!memory.empty()) {
        std::printf(
            "\nMemory of one walk (GetProcessMemoryInfo, a fresh process per size): the peak "
            "working set\nand the peak private bytes after the walk, less their values before "
            "it; the lists'\nown heap bytes (paths and arrays) by their count\n");
        std::printf("%8s %12s %10s %8s %12s %10s %12s %10s\n", "files", "peak ws MB", "B/file",
                    "x first", "private MB", "B/file", "lists MB", "B/file");
        const double first = memory.front().peakGrowth / static_cast<double>(memory.front().files);
        for (const MemoryResult& r : memory) {
            const double n = static_cast<double>(r.files);
            constexpr double kMb = 1024.0 * 1024.0;
            std::printf("%8zu %12.1f %10.0f %8.2f %12.1f %10.0f %12.1f %10.0f\n", r.files,
                        r.peakGrowth / kMb, r.peakGrowth / n, r.peakGrowth / n / first,
                        r.privateGrowth / kMb, r.privateGrowth / n, r.listBytes / kMb,
                        r.listBytes / n);
        }
    }

    if (deep != 0) {
        // Chains of a quarter, half and all of LEVELS. The walk's own cost
        // per level (walk less bare) should stay put as the paths grow; the
        // platform's listing of one folder costs more the longer its path.
        std::vector<size_t> depths;
        for (const size_t levels : {deep / 4, deep / 2, deep}) {
            if (levels != 0 && (depths.empty() || depths.back() != levels)) {
                depths.push_back(levels);
            }
        }
        std::vector<DeepResult> chains;
        for (const size_t levels : depths) {
            DeepResult result;
            if (!WalkDeepChain(m, root, levels, reps, result)) {
                return 1;
            }
            chains.push_back(result);
            allOk = allOk && result.ok;
        }
        std::printf(
            "\nDeep tree: a chain of folders, one file per level; every file found in order\n"
            "and reachable by its path; the bare listing of the same folders as the yardstick;\n"
            "median of %d\n",
            reps);
        std::printf("%8s %8s %14s %10s %10s %8s %10s %10s %12s %8s\n", "levels", "files",
                    "longest path", "walk ms", "ms/level", "x first", "bare ms", "walk/bare",
                    "own ms/level", "check");
        const double first = chains.front().ms / static_cast<double>(chains.front().levels);
        for (const DeepResult& r : chains) {
            const double levels = static_cast<double>(r.levels);
            std::printf("%8zu %8zu %14zu %10.2f %10.4f %8.2f %10.2f %10.2f %12.4f %8s\n", r.levels,
                        r.levels, r.longest, r.ms, r.ms / levels, r.ms / levels / first, r.bareMs,
                        r.ms / r.bareMs, (r.ms - r.bareMs) / levels, r.ok ? "ok" : "FAILED");
        }
    }
    return allOk ? 0 : 1;
}

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
    wchar_t* end = nullptr;
    value = std::wcstoull(text, &end, 0);
    return end != text && *end == L'\0';
}

int Usage() {
    std::fprintf(stderr,
                 "usage: walk_bench [--root FOLDER] [--reps R] [--deep LEVELS] [N ...]\n"
                 "       walk_bench --memory FOLDER\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // As Brisa.exe starts: the shell and the windows expect both.
    app::InitWindowThread();

    const std::vector<std::wstring> args(argv + 1, argv + argc);
    unsigned long long value = 0;
    if (!args.empty() && args[0] == L"--memory") {
        if (args.size() != 2) {
            return Usage();
        }
        return RunMemory(bench::Absolute(args[1]));
    }
    std::wstring root = L"C:\\larkspur-bench\\walk";
    int reps = 15;
    size_t deep = 200;
    std::vector<size_t> sizes;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == L"--root" && hasValue) {
            root = bench::Absolute(args[++i]);
        } else if (args[i] == L"--reps" && hasValue && ParseNumber(args[i + 1].c_str(), value) &&
                   value > 0) {
            reps = static_cast<int>(value);
            ++i;
        } else if (args[i] == L"--deep" && hasValue && ParseNumber(args[i + 1].c_str(), value)) {
            deep = static_cast<size_t>(value);
            ++i;
        } else if (ParseNumber(args[i].c_str(), value) && value > 0) {
            sizes.push_back(static_cast<size_t>(value));
        } else {
            return Usage();
        }
    }
    if (sizes.empty()) {
        sizes = {2000, 20000, 100000};
    }
    return RunWalkBench(root, reps, deep, sizes);
}
