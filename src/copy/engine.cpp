// The own copy engine.
//
// Every platform call costs a round trip under Wine and a system call on
// Windows, so a file costs exactly two when all goes well: the platform's
// file copy (which keeps content, streams and times) and the attribute
// call. Anything more happens only on a failure: a destination in the way
// is looked at only when its copy was refused.
#include "copy/engine.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <unordered_set>

#include "paths/make_path.h"
#include "paths/paths.h"

namespace larkspur {

namespace {

constexpr uint32_t kInTheWay = kAttrReadOnly | kAttrHidden | kAttrSystem;
constexpr unsigned kMaxThreads = 4;

// The platform spells "none of the attributes" as FILE_ATTRIBUTE_NORMAL.
uint32_t Plain(uint32_t attributes) {
    return attributes == 0 ? kAttrNormal : attributes;
}

enum class Outcome : uint8_t { kCopied, kNotCopied, kNoAttributes };

Outcome CopyOne(FileSystem& fs, const std::wstring& from, const std::wstring& to,
                const CopyOptions& options) {
    if (!fs.Copy(from, to)) {
        // The platform will not replace a file with Read Only, Hidden or
        // System, most often this program's own copy from an earlier run:
        // those bits come off and the copy is tried again. A copy that
        // still fails leaves the file as it was.
        const uint32_t existing = fs.Attributes(to);
        if (existing == kInvalidAttributes || (existing & kAttrDirectory) ||
            !(existing & kInTheWay)) {
            return Outcome::kNotCopied;
        }
        fs.SetAttributes(to, Plain(existing & ~kInTheWay));
        if (!fs.Copy(from, to)) {
            fs.SetAttributes(to, existing);
            return Outcome::kNotCopied;
        }
    }
    if (options.setAttributes && !fs.SetAttributes(to, Plain(options.attributes & kAttributeSet))) {
        return Outcome::kNoAttributes;
    }
    return Outcome::kCopied;
}

// The folders that hold the copies, made once each, parents first. Every
// destination lies below the output folder, which is made (or found) first.
void MakeFolders(FileSystem& fs, const std::vector<std::wstring>& to,
                 const std::wstring& outputFolder) {
    MakeSureDirectoryPathExists(fs, outputFolder);
    const size_t outputLength = outputFolder.size();
    std::unordered_set<std::wstring> made;
    std::wstring_view last;
    for (const std::wstring& destination : to) {
        const std::wstring_view folder(destination.data(), NameStart(destination));
        if (folder == last || folder.size() <= outputLength) {
            continue;  // the files of one folder come together
        }
        last = folder;
        // The missing part of the chain, made from the top down.
        std::vector<size_t> ends;
        for (size_t end = folder.size() - 1; end > outputLength;
             end = folder.rfind(L'\\', end - 1)) {
            if (made.count(std::wstring(folder.substr(0, end)))) {
                break;
            }
            ends.push_back(end);
        }
        for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
            std::wstring path(folder.substr(0, *end));
            fs.CreateFolder(path);  // a copy into a folder that failed fails in its turn
            made.insert(std::move(path));
        }
    }
}

}  // namespace

unsigned EngineThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
}

Verdict CopyWithEngine(Platform& p, const std::vector<SourceFile>& files,
                       const std::vector<std::wstring>& to, const CopyOptions& options,
                       unsigned threads) {
    MakeFolders(p.fs, to, options.outputFolder);
    std::vector<Outcome> outcomes(files.size(), Outcome::kCopied);
    std::atomic<size_t> next{0};
    auto work = [&](bool yields) {
        for (size_t i; (i = next.fetch_add(1)) < files.size();) {
            outcomes[i] = CopyOne(p.fs, files[i].path, to[i], options);
            if (yields) {
                p.ui.YieldToWindowSystem();
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
    p.shell.NotifyFolderChanged(options.outputFolder);

    std::vector<std::wstring> notCopied, noAttributes;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i] != Outcome::kCopied) {
            (outcomes[i] == Outcome::kNotCopied ? notCopied : noAttributes).push_back(to[i]);
        }
    }
    return Incomplete(std::move(notCopied), std::move(noAttributes), false);
}

}  // namespace larkspur
