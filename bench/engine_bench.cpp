// engine_bench: Silent Mode's copy engine on a real tree, with the program's
// own code, as a Silent Mode run uses it.
//
//   engine_bench SOURCE OUTPUT MASK THREADS [--no-io]
//       Collects SOURCE as a Silent Mode run with output folder OUTPUT does,
//       and copies it with the engine on THREADS threads, every copy given
//       the attributes of MASK (Read Only 1, Hidden 2, System 4, Archive
//       0x20). With --no-io the file system's copy (which gives the
//       attributes too) answers "done" without doing anything, and the
//       copies read back as asked: what is left is the program's own work
//       (the walk, the destinations, the folders, the pool).
//       Prints one line:
//         engine files= threads= walk_ms= copy_ms= total_ms= not_copied=
//         no_attributes= peak_ws_bytes= bytes_per_file=
//       and ends with 0 when every file was copied with its attributes.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "app/machine.h"
#include "copy/copy.h"
#include "copy/engine.h"
#include "copy/sources.h"
#include "paths/paths.h"
#include "tree.h"

namespace {

using namespace larkspur;

// The platform's file system without its file copy, whose copies read back
// with the attributes they were asked for.
class NoIoFileSystem : public win32::Win32FileSystem {
  public:
    ErrorCode Copy(const std::wstring&, const std::wstring&, const CopyRequest&) override {
        return kNoError;
    }
    uint32_t Attributes(const std::wstring& path) override {
        return path.rfind(output, 0) == 0 ? attributes : Win32FileSystem::Attributes(path);
    }
    std::wstring output;
    uint32_t attributes = 0;
};

size_t WorkingSet(bool peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

int Usage() {
    std::fprintf(stderr, "usage: engine_bench SOURCE OUTPUT MASK THREADS [--no-io]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5 || argc > 6 || (argc == 6 && std::wstring(argv[5]) != L"--no-io")) {
        return Usage();
    }
    const uint32_t mask = static_cast<uint32_t>(std::wcstoul(argv[3], nullptr, 0));
    const unsigned threads = static_cast<unsigned>(std::wcstoul(argv[4], nullptr, 0));
    if (threads == 0) {
        return Usage();
    }
    app::InitWindowThread();  // as Brisa.exe starts
    app::Win32Machine machine;
    NoIoFileSystem noIo;
    Platform noIoPlatform{noIo, machine.platform.shell, machine.platform.profile,
                          machine.platform.ui, machine.platform.process};
    Platform& p = argc == 6 ? noIoPlatform : machine.platform;
    const CopyOptions options{AddBackslash(bench::Absolute(argv[2])), mask & kAttributeSet, true};
    noIo.output = options.outputFolder;
    noIo.attributes = options.attributes;
    const size_t before = WorkingSet(false);

    const bench::Stopwatch total;
    const Sources sources = CollectSources(p, argv[1], options.outputFolder);
    const double walkMs = total.Ms();
    const Verdict verdict = CopyWithEngine(
        p, sources.files, Destinations(sources.files, options.outputFolder), options, threads);
    const double totalMs = total.Ms();

    const size_t files = sources.files.size();
    const size_t grown = WorkingSet(true) - before;
    std::printf(
        "engine files=%zu threads=%u walk_ms=%.1f copy_ms=%.1f total_ms=%.1f not_copied=%zu "
        "no_attributes=%zu peak_ws_bytes=%zu bytes_per_file=%zu\n",
        files, threads, walkMs, totalMs - walkMs, totalMs, verdict.notCopied.size(),
        verdict.noAttributes.size(), grown, files ? grown / files : 0);
    return files > 0 && sources.missing.empty() && verdict.exitCode == kExitSuccess ? 0 : 1;
}
