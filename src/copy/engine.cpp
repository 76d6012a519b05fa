// The own copy engine.
//
// Every platform call costs a round trip under Wine and a system call on
// Windows, so a file costs one call when all goes well: the file system's
// copy, which gives the copy its attributes as well. Anything more happens
// only on a failure: a destination in the way is looked at only when its
// copy was refused.
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

CopyResult CopyOne(FileSystem& fs, const std::wstring& from, const std::wstring& to,
                   uint32_t attributes) {
    const CopyResult result = fs.Copy(from, to, attributes);
    if (result != CopyResult::kNotCopied) {
        return result;
    }
    // The platform will not replace a file with Read Only, Hidden or System,
    // most often this program's own copy from an earlier run: those bits come
    // off and the copy is tried again. A copy still refused leaves the file
    // as it was.
    const uint32_t existing = fs.Attributes(to);
    if (existing == kInvalidAttributes || (existing & kAttrDirectory) || !(existing & kInTheWay)) {
        return CopyResult::kNotCopied;
    }
    fs.SetAttributes(to, Plain(existing & ~kInTheWay));
    const CopyResult again = fs.Copy(from, to, attributes);
    if (again == CopyResult::kNotCopied) {
        fs.SetAttributes(to, existing);
    }
    return again;
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
    const uint32_t attributes =
        options.setAttributes ? Plain(options.attributes & kAttributeSet) : kSourceAttributes;
    std::vector<CopyResult> outcomes(files.size(), CopyResult::kCopied);
    std::atomic<size_t> next{0};
    auto work = [&](bool yields) {
        for (size_t i; (i = next.fetch_add(1)) < files.size();) {
            outcomes[i] = CopyOne(p.fs, files[i].path, to[i], attributes);
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
        if (outcomes[i] != CopyResult::kCopied) {
            (outcomes[i] == CopyResult::kNotCopied ? notCopied : noAttributes).push_back(to[i]);
        }
    }
    return Incomplete(std::move(notCopied), std::move(noAttributes), false);
}

}  // namespace larkspur
