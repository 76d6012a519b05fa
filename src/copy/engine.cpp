// The own copy engine.
//
// Every platform call costs a round trip under Wine and a system call on
// Windows, so a file costs two calls when all goes well: the file system's
// copy, which gives the copy its attributes on the way, and reading the
// attributes back once it is closed. What stands at the destinations is
// learnt from one listing of each destination folder, not asked per file;
// anything more happens only where something is in the way or went wrong.
#include "copy/engine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "copy/attributes.h"
#include "paths/make_path.h"
#include "paths/names.h"
#include "paths/paths.h"

namespace larkspur {

namespace {

constexpr unsigned kMaxThreads = 4;

// What became of one file: why it was not copied, or why it lacks its
// attributes (kNoError when it was done).
struct Outcome {
    ErrorCode notCopied = kNoError;
    ErrorCode noAttributes = kNoError;
};

bool DiskFull(ErrorCode error) {
    return error == kErrorDiskFull || error == kErrorHandleDiskFull;
}

// The folders that hold the copies, made once each, parents first, and what
// already stands at each destination (its attributes, or kInvalidAttributes),
// from one listing of each of those folders that was there before the run;
// two spellings of one folder are one folder. It runs on a thread of its own
// while the copy has begun: destination i is ready (its folder made, what
// stands there known) once ready_ is past i, and the files of one folder
// come together, so the copy waits on it at most for the next folder. The
// wait is a condition variable under a lock, not std::atomic's wait, which
// in the MinGW GCC 12 library can miss its wake-up and hang the run.
class DestinationFolders {
  public:
    DestinationFolders(FileSystem& fs, const std::vector<std::wstring>& to,
                       const std::wstring& outputFolder)
        : fs_(fs), to_(to), output_(outputFolder), existing_(to.size(), kInvalidAttributes) {}

    void Prepare() {
        MakeSureDirectoryPathExists(fs_, output_);
        List(output_);
        std::wstring_view last;
        const Listing* listing = nullptr;  // of the folder of the files at hand
        for (size_t i = 0; i < to_.size(); ++i) {
            const std::wstring_view destination = to_[i];
            const size_t nameStart = NameStart(destination);
            const std::wstring_view folder = destination.substr(0, nameStart);
            if (folder != last) {
                if (folder.size() > output_.size()) {
                    Make(folder);
                }
                listing = ListingOf(folder);
                last = folder;
            }
            existing_[i] = Standing(listing, destination.substr(nameStart));
            {
                const std::lock_guard lock(readyLock_);
                ready_.store(i + 1);
            }
            readyChanged_.notify_all();
        }
    }
    // What stands at destination i, once its folder is there.
    uint32_t Existing(size_t i) {
        if (ready_.load() <= i) {
            std::unique_lock lock(readyLock_);
            readyChanged_.wait(lock, [&] { return ready_.load() > i; });
        }
        return existing_[i];
    }

  private:
    using Listing = std::unordered_map<std::wstring, uint32_t>;  // folded name: attributes

    // The listing of a folder (with its backslash) that was there before the
    // run; nullptr for one the run made, which holds nothing of before.
    const Listing* ListingOf(std::wstring_view folder) const {
        const auto listed = entries_.find(Folded(folder));
        return listed == entries_.end() ? nullptr : &listed->second;
    }
    // What a listing shows under name; kInvalidAttributes for nothing.
    static uint32_t Standing(const Listing* listing, std::wstring_view name) {
        if (!listing) {
            return kInvalidAttributes;
        }
        const auto found = listing->find(Folded(name));
        return found == listing->end() ? kInvalidAttributes : found->second;
    }
    void List(const std::wstring& folder) {
        auto& names = entries_[Folded(folder)];
        fs_.ListFolder(folder, [&](std::wstring_view name, uint32_t attributes, uint64_t) {
            names.emplace(Folded(name), attributes);
        });
    }
    // The missing part of the chain, made from the top down.
    void Make(std::wstring_view folder) {
        std::vector<size_t> ends;
        for (size_t end = folder.size() - 1; end > output_.size();
             end = folder.rfind(L'\\', end - 1)) {
            if (made_.count(Folded(folder.substr(0, end)))) {
                break;
            }
            ends.push_back(end);
        }
        for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
            std::wstring path(folder.substr(0, *end));
            // A folder that was there already may hold earlier copies; one
            // that cannot be made fails its copies in their turn. One its
            // parent's listing shows is not made again.
            const size_t nameStart = NameStart(path);
            const std::wstring_view parent(path.data(), nameStart);
            if (IsFolder(Standing(ListingOf(parent), std::wstring_view(path).substr(nameStart))) ||
                !fs_.CreateFolder(path)) {
                List(path + L'\\');
            }
            made_.insert(Folded(path));
        }
    }

    FileSystem& fs_;
    const std::vector<std::wstring>& to_;
    const std::wstring& output_;
    std::vector<uint32_t> existing_;
    std::atomic<size_t> ready_{0};  // changed under readyLock_
    std::mutex readyLock_;
    std::condition_variable readyChanged_;
    std::unordered_map<std::wstring, Listing> entries_;  // by folded folder, with its backslash
    std::unordered_set<std::wstring> made_;
};

Outcome CopyOne(FileSystem& fs, const std::wstring& from, const std::wstring& to, uint32_t existing,
                CopyRequest request, AttributeCheck& check) {
    ErrorCode error = kErrorFileExists;
    uint32_t unlocked = kInvalidAttributes;
    // A second attempt only for a destination made by someone else since
    // its folder was listed.
    for (int attempt = 0; error == kErrorFileExists && attempt < 2; ++attempt) {
        existing = attempt == 0 ? existing : fs.Attributes(to);
        if (IsFolder(existing)) {
            return {kErrorFolderInTheWay};
        }
        request.replace = existing != kInvalidAttributes;
        // The platform will not replace a Read Only file, most often this
        // program's own copy from an earlier run: the bit comes off for the
        // copy, and back when the copy fails.
        if (request.replace && (existing & kAttrReadOnly) &&
            fs.SetAttributes(to, existing & ~kAttrReadOnly)) {
            unlocked = existing;
        }
        error = fs.Copy(from, to, request);
    }
    if (error != kNoError) {
        if (unlocked != kInvalidAttributes) {
            fs.SetAttributes(to, unlocked);
        }
        return {error};
    }
    return {kNoError,
            request.attributes ? GiveAttributes(fs, to, *request.attributes, check) : kNoError};
}

}  // namespace

unsigned EngineThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
}

Verdict CopyWithEngine(Platform& p, const std::vector<SourceFile>& files,
                       const std::vector<std::wstring>& to, const CopyOptions& options,
                       unsigned threads, CopyProgress* progress) {
    DestinationFolders destinations(p.fs, to, options.outputFolder);
    std::thread folders([&] { destinations.Prepare(); });
    CopyRequest request;
    if (options.setAttributes) {
        request.attributes = options.attributes & kAttributeSet;
    }
    request.verify = options.verify;
    AttributeCheck check;
    std::vector<Outcome> outcomes(files.size());
    std::atomic<size_t> next{0};
    // Once the drive is full, no file is started: each would be written in
    // part and deleted again. Nor once the run is stopped. Those in flight
    // end as they can.
    std::atomic<bool> full{false}, stopped{false};
    auto work = [&](bool yields) {
        for (size_t i; (i = next.fetch_add(1)) < files.size();) {
            if (!stopped.load() && progress && !progress->Continue()) {
                stopped.store(true);
            }
            const bool starts = !stopped.load() && !full.load();
            const uint32_t existing = destinations.Existing(i);
            if (!starts) {
                outcomes[i].notCopied =
                    stopped.load() ? ErrorCode{kErrorNotStarted} : kErrorDiskFull;
            } else {
                outcomes[i] = CopyOne(p.fs, files[i].path, to[i], existing, request, check);
                if (DiskFull(outcomes[i].notCopied)) {
                    full.store(true);
                }
            }
            if (progress) {
                progress->Done({to[i], existing != kInvalidAttributes, outcomes[i].notCopied,
                                outcomes[i].noAttributes, files[i].size});
            }
            if (yields) {
                p.ui.YieldToWindowSystem();
                if (progress) {
                    progress->Tick();
                }
            }
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        pool.emplace_back(work, false);
    }
    work(true);
    for (std::thread& thread : pool) {
        thread.join();
    }
    folders.join();
    p.shell.NotifyFolderChanged(options.outputFolder);

    std::vector<Miss> notCopied, noAttributes;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i].notCopied != kNoError) {
            notCopied.push_back({to[i], outcomes[i].notCopied});
        } else if (outcomes[i].noAttributes != kNoError) {
            noAttributes.push_back({to[i], outcomes[i].noAttributes});
        }
    }
    if (stopped.load()) {
        const size_t copied = files.size() - notCopied.size();
        return Stopped(p.fs, copied, files.size(), std::move(notCopied), std::move(noAttributes));
    }
    return Incomplete(p.fs, std::move(notCopied), std::move(noAttributes), false);
}

}  // namespace larkspur
