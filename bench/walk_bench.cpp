// walk_bench: times the program's own work with its real code on real trees.
//
//   walk_bench [--root FOLDER] [--reps R] [--deep LEVELS] [N ...]
//       For every N (default 2000 20000 100000): the folder walk with yields
//       on and off, and building the two lists for the shell; then a walk of
//       a chain LEVELS folders deep (default 200). Trees are made once below
//       FOLDER (default C:\larkspur-bench\walk) and reused by later runs.
//   walk_bench --attr-pass FOLDER [MASK]
//       The attribute pass alone over every file below FOLDER.
//   walk_bench --own-work SOURCE OUTPUT MASK
//       What a Silent Mode run of SOURCE does besides the shell's copy: the
//       walk, the lists, and the attribute pass over the copies that a run
//       left in OUTPUT.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "copy/collect.h"
#include "copy/copy.h"
#include "copy/paths.h"
#include "platform/make_path.h"
#include "platform/win32/win32_platform.h"
#include "run/args.h"
#include "run/startup.h"
#include "tree.h"
#include "ui/win32_ui.h"

namespace {

using namespace larkspur;
using bench::Median;
using bench::Narrow;
using bench::Stopwatch;

using Machine = ui::Win32Machine;

// Same rule as the copy: FILE_ATTRIBUTE_NORMAL stands for "none of them".
uint32_t CopyAttributes(uint32_t mask) {
    const uint32_t bits = mask & kAttributeSet;
    return bits == 0 ? kAttrNormal : bits;
}

size_t FilesFound(const RunState& state) {
    return state.FileList.size() - 1;
}

double TimedWalk(Machine& m, RunState& state, const std::wstring& folder, bool yields) {
    m.ui.yieldEnabled = yields;
    ResetLists(state);
    const Stopwatch watch;
    CollectFiles(state, m.platform, folder);
    return watch.Ms();
}

// MultiString and BuildDestList as the copy calls them, on a copy of the
// walked state: BuildDestList rewrites the list it reads.
double TimedListBuilding(Machine& m, const RunState& walked) {
    RunState state = walked;
    const Stopwatch watch;
    const std::wstring from = MultiString(state.FileList.begin() + 1, state.FileList.end());
    const std::wstring to = BuildDestList(state, m.fs);
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

struct SizeResult {
    size_t n = 0;
    double yieldOnMs = 0;  // medians
    double yieldOffMs = 0;
    double listMs = 0;
    double bestOnMs = 0;  // fastest runs: the least disturbed by other work on the machine
    double bestOffMs = 0;
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
        RunState state;
        TimedWalk(m, state, folder, true);  // warm-up, and the count check
        if (FilesFound(state) != n || !state.MissingItems.empty()) {
            std::printf("tree-%zu: the walk found %zu files\n", n, FilesFound(state));
            allOk = false;
            continue;
        }
        // On and off alternate so that drift on a shared machine hits both.
        std::vector<double> on, off, lists;
        for (int r = 0; r < reps; ++r) {
            const bool onFirst = r % 2 == 0;
            (onFirst ? on : off).push_back(TimedWalk(m, state, folder, onFirst));
            (onFirst ? off : on).push_back(TimedWalk(m, state, folder, !onFirst));
        }
        state.OutputFolder = L"C:\\larkspur-bench\\out\\";
        for (int r = 0; r < reps; ++r) {
            lists.push_back(TimedListBuilding(m, state));
        }
        results.push_back({n, Median(on), Median(off), Median(lists),
                           *std::min_element(on.begin(), on.end()),
                           *std::min_element(off.begin(), off.end())});
    }
    m.ui.UnloadProgressWindow();

    std::printf("\nFolder walk: CollectFiles, Win32FileSystem, Win32Ui; median of %d\n", reps);
    std::printf("%8s %12s %10s %12s %10s %11s %11s\n", "files", "yield on ms", "ms/file",
                "yield off ms", "ms/file", "overhead %", "(fastest)");
    for (const SizeResult& r : results) {
        const double n = static_cast<double>(r.n);
        std::printf("%8zu %12.1f %10.4f %12.1f %10.4f %+11.1f %+11.1f\n", r.n, r.yieldOnMs,
                    r.yieldOnMs / n, r.yieldOffMs, r.yieldOffMs / n,
                    100.0 * (r.yieldOnMs - r.yieldOffMs) / r.yieldOffMs,
                    100.0 * (r.bestOnMs - r.bestOffMs) / r.bestOffMs);
    }
    std::printf("\nList building: MultiString + BuildDestList; median of %d\n", reps);
    std::printf("%8s %12s %10s\n", "files", "ms", "us/file");
    for (const SizeResult& r : results) {
        std::printf("%8zu %12.2f %10.3f\n", r.n, r.listMs,
                    1000.0 * r.listMs / static_cast<double>(r.n));
    }
    if (results.size() >= 2) {
        // Linear means the cost per file stays put as the tree grows.
        const SizeResult& small = results.front();
        const SizeResult& large = results.back();
        const double walkRatio = (large.yieldOnMs / static_cast<double>(large.n)) /
                                 (small.yieldOnMs / static_cast<double>(small.n));
        const double listRatio = (large.listMs / static_cast<double>(large.n)) /
                                 (small.listMs / static_cast<double>(small.n));
        std::printf("\nPer-file cost, %zu files against %zu: walk x%.2f, lists x%.2f\n", large.n,
                    small.n, walkRatio, listRatio);
    }

    if (deep != 0) {
        const std::wstring folder = root + L"\\deep-" + std::to_wstring(deep);
        if (!EnsureTree(folder, 0, deep)) {
            return 1;
        }
        RunState state;
        const double ms = TimedWalk(m, state, folder, true);
        size_t longest = 0;
        size_t reachable = 0;
        for (size_t i = 1; i < state.FileList.size(); ++i) {
            longest = std::max(longest, state.FileList[i].size());
            reachable += m.fs.Attributes(state.FileList[i]) != kInvalidAttributes;
        }
        const bool ok =
            FilesFound(state) == deep && reachable == deep && state.MissingItems.empty();
        std::printf(
            "\nDeep tree: %zu levels, %zu files found, %zu reachable, longest path %zu "
            "characters, walk %.1f ms: %s\n",
            deep, FilesFound(state), reachable, longest, ms, ok ? "ok" : "FAILED");
        allOk = allOk && ok;
    }
    return allOk ? 0 : 1;
}

int RunAttrPass(const std::wstring& folder, uint32_t mask) {
    Machine m;
    RunState state;
    TimedWalk(m, state, folder, false);
    const uint32_t attributes = CopyAttributes(mask);
    size_t failed = 0;
    const Stopwatch watch;
    for (size_t i = 1; i < state.FileList.size(); ++i) {
        failed += !m.fs.SetAttributes(state.FileList[i], attributes);
    }
    const double ms = watch.Ms();
    const size_t n = FilesFound(state);
    std::printf("attr-pass files=%zu ms=%.1f us_per_file=%.1f failed=%zu\n", n, ms,
                n ? 1000.0 * ms / static_cast<double>(n) : 0.0, failed);
    return failed == 0 && n > 0 ? 0 : 1;
}

int RunOwnWork(const std::wstring& source, const std::wstring& output, uint32_t mask) {
    Machine m;
    m.ui.ProgressWindow();  // a Silent Mode run loads it hidden before the walk
    RunState state;
    ResetLists(state);
    state.OutputFolder = AddBackslash(output);
    m.ui.yieldEnabled = true;

    const Stopwatch walk;
    state.ArgTokens = SplitAtSpaces(source);
    SplitArgs(state, m.fs);
    for (size_t i = 1; i < state.FolderList.size(); ++i) {
        CollectFiles(state, m.platform, state.FolderList[i]);
    }
    const double walkMs = walk.Ms();
    const size_t n = FilesFound(state);

    const Stopwatch lists;
    const std::wstring from = MultiString(state.FileList.begin() + 1, state.FileList.end());
    const std::wstring to = BuildDestList(state, m.fs);
    const double listMs = lists.Ms();

    const uint32_t attributes = CopyAttributes(mask);
    size_t failed = 0;
    const Stopwatch pass;
    for (size_t k = 0; k < n; ++k) {
        failed += !m.fs.SetAttributes(state.FileList[k], attributes);
    }
    const double attrMs = pass.Ms();
    m.ui.UnloadProgressWindow();

    std::printf(
        "own-work files=%zu walk_ms=%.1f list_ms=%.1f attr_ms=%.1f total_ms=%.1f failed=%zu "
        "list_chars=%zu\n",
        n, walkMs, listMs, attrMs, walkMs + listMs + attrMs, failed, from.size() + to.size());
    return failed == 0 && n > 0 && state.MissingItems.empty() ? 0 : 1;
}

bool ParseNumber(const wchar_t* text, unsigned long long& value) {
    wchar_t* end = nullptr;
    value = std::wcstoull(text, &end, 0);
    return end != text && *end == L'\0';
}

int Usage() {
    std::fprintf(stderr,
                 "usage: walk_bench [--root FOLDER] [--reps R] [--deep LEVELS] [N ...]\n"
                 "       walk_bench --attr-pass FOLDER [MASK]\n"
                 "       walk_bench --own-work SOURCE OUTPUT MASK\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // As Brisa.exe starts: the shell and the windows expect both.
    ui::InitWindowThread();

    const std::vector<std::wstring> args(argv + 1, argv + argc);
    unsigned long long value = 0;
    if (!args.empty() && args[0] == L"--attr-pass") {
        if (args.size() < 2 || args.size() > 3 ||
            (args.size() == 3 && !ParseNumber(args[2].c_str(), value))) {
            return Usage();
        }
        return RunAttrPass(bench::Absolute(args[1]),
                           args.size() == 3 ? static_cast<uint32_t>(value) : 0x21);
    }
    if (!args.empty() && args[0] == L"--own-work") {
        if (args.size() != 4 || !ParseNumber(args[3].c_str(), value)) {
            return Usage();
        }
        return RunOwnWork(args[1], bench::Absolute(args[2]), static_cast<uint32_t>(value));
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
