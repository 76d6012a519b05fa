// The copy and the attribute pass.
//
// The shell gets every file individually, each with its own destination, in
// one request: so the copy is one operation for the user (one progress
// dialog, one place to cancel), and folders appear at the destination only
// as the folders that hold copied files.
//
// The shell's result alone does not say that everything was done: it can
// answer 0 and still have skipped files (fAnyOperationsAborted), and the
// attribute pass can fail on a copy. Both are reported with the files
// concerned, so a run never looks complete when it is not.
#include "copy/copy.h"

#include <algorithm>
#include <map>
#include <set>

#include "copy/attributes.h"
#include "copy/engine.h"
#include "paths/names.h"
#include "paths/paths.h"

namespace larkspur {

namespace {

// Sources whose destination would be the source itself: those whose item
// lies directly in the output folder, by what the folders are, not by how
// they are spelled. An output folder that does not exist holds nothing.
std::vector<std::wstring> FilesOntoThemselves(FileSystem& fs, const std::vector<SourceFile>& files,
                                              const std::wstring& outputFolder) {
    std::vector<std::wstring> same;
    const std::optional<FileId> output = fs.Identity(outputFolder);
    std::map<std::wstring_view, bool> roots;  // the folder that holds an item: the output one?
    for (size_t i = 0; output && i < files.size(); ++i) {
        const std::wstring_view root =
            std::wstring_view(files[i].path).substr(0, files[i].rootLength);
        auto [known, added] = roots.try_emplace(root, false);
        if (added) {
            known->second = fs.Identity(std::wstring(root)) == output;
        }
        if (known->second) {
            same.push_back(files[i].path);
        }
    }
    return same;
}

// Destinations where a file and a folder of one name would meet, which the
// shell would resolve on its own (a file sent onto a folder of its name lands
// inside it): a folder standing where a file lands, or a file standing where
// a folder of the copy goes. Each folder is looked at once.
std::vector<std::wstring> KindsInTheWay(FileSystem& fs, const std::vector<std::wstring>& to,
                                        size_t outputLength) {
    std::vector<std::wstring> clashes;
    std::set<std::wstring_view> folders;
    for (const std::wstring& destination : to) {
        if (IsFolder(fs.Attributes(destination))) {
            clashes.push_back(destination);
        }
        for (size_t end = destination.rfind(L'\\'); end > outputLength;
             end = destination.rfind(L'\\', end - 1)) {
            const std::wstring_view folder(destination.data(), end);
            if (!folders.insert(folder).second) {
                break;  // it and the folders above it were looked at
            }
            const uint32_t attributes = fs.Attributes(std::wstring(folder));
            if (attributes != kInvalidAttributes && !(attributes & kAttrDirectory)) {
                clashes.emplace_back(folder);
            }
        }
    }
    return clashes;
}

// Sources that share their destination with another one, which the copy
// would silently replace: files of the same name sent from different
// folders, as a search's results can send them.
std::vector<std::wstring> SharedDestinations(const std::vector<SourceFile>& files,
                                             const std::vector<std::wstring>& to) {
    std::vector<size_t> order(to.size());
    for (size_t k = 0; k < order.size(); ++k) {
        order[k] = k;
    }
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return NameLess(to[a], to[b]); });
    std::vector<bool> shared(to.size(), false);
    for (size_t i = 1; i < order.size(); ++i) {
        if (SameName(to[order[i - 1]], to[order[i]])) {
            shared[order[i - 1]] = shared[order[i]] = true;
        }
    }
    std::vector<std::wstring> sources;
    for (size_t k = 0; k < to.size(); ++k) {
        if (shared[k]) {
            sources.push_back(files[k].path);
        }
    }
    return sources;
}

}  // namespace

Verdict CheckBeforeCopy(FileSystem& fs, const std::vector<SourceFile>& files,
                        const std::vector<std::wstring>& to, const std::wstring& outputFolder,
                        bool shell) {
    // The shell's file operation takes classic paths only (and Wine's
    // crashes on longer ones), and changes names the platform's path rules
    // change, so a run that needs either stops before anything is copied
    // rather than half done. The own engine takes both.
    std::vector<std::wstring> tooLong, renamed;
    for (size_t i = 0; shell && i < files.size(); ++i) {
        for (const std::wstring* path : {&files[i].path, &to[i]}) {
            if (path->size() > kShellPathLimit) {
                tooLong.push_back(*path);
            } else if (!KeepsItsNames(*path)) {
                renamed.push_back(*path);
            }
        }
    }
    if (!tooLong.empty()) {
        return NothingCopied(L"These paths are too long for the copy (" +
                                 std::to_wstring(kShellPathLimit + 1) + L" characters or more)",
                             tooLong);
    }
    if (!renamed.empty()) {
        return NothingCopied(
            L"Windows' copy would change these names (a name that ends in a "
            L"dot or a space, or a device name such as CON)",
            renamed);
    }
    const std::vector<std::wstring> clashes =
        shell ? KindsInTheWay(fs, to, outputFolder.size() - 1) : std::vector<std::wstring>{};
    if (!clashes.empty()) {
        return NothingCopied(
            L"A file and a folder of the same name would meet in the output folder", clashes);
    }
    const std::vector<std::wstring> ontoThemselves = FilesOntoThemselves(fs, files, outputFolder);
    if (!ontoThemselves.empty()) {
        return NothingCopied(L"The output folder is the folder these files are in", ontoThemselves);
    }
    const std::vector<std::wstring> shared = SharedDestinations(files, to);
    if (!shared.empty()) {
        return NothingCopied(L"These files have the same name below the output folder", shared);
    }
    return Verdict{};
}

namespace {

// Destinations with Read Only, Hidden or System (most often this program's
// own copies from an earlier run) cannot be replaced by the shell's copy:
// those bits come off before it. Answers what stood at each destination.
std::vector<FileInfo> ClearAttributesInTheWay(FileSystem& fs, const std::vector<std::wstring>& to) {
    std::vector<FileInfo> before(to.size());
    for (size_t k = 0; k < to.size(); ++k) {
        before[k] = fs.Info(to[k]);
        const uint32_t attributes = before[k].attributes;
        if (before[k].Exists() && !(attributes & kAttrDirectory) && (attributes & kAttrInTheWay)) {
            fs.SetAttributes(to[k], attributes & ~kAttrInTheWay);
        }
    }
    return before;
}

// Why the destination is not a whole copy of its source after the shell's
// copy, kNoError when it is. A file that stood there and is unchanged was not
// replaced (the user said no, or the copy stopped before it) and gets back
// the attributes it had.
ErrorCode CheckCopy(FileSystem& fs, const std::wstring& from, const std::wstring& to,
                    const FileInfo& before) {
    const FileInfo copy = fs.Info(to);
    const FileInfo source = fs.Info(from);
    const bool whole = copy.size == source.size;
    if (!copy.Exists()) {
        return kErrorCopyMissing;
    }
    if (before.Exists() && copy.writeTime == before.writeTime && copy.size == before.size &&
        !(whole && copy.writeTime == source.writeTime)) {
        if (before.attributes & kAttrInTheWay) {
            fs.SetAttributes(to, before.attributes);
        }
        return kErrorCopyKept;
    }
    return whole ? kNoError : kErrorCopyIncomplete;
}

}  // namespace

std::vector<std::wstring> Destinations(const std::vector<SourceFile>& files,
                                       const std::wstring& outputFolder) {
    std::vector<std::wstring> to;
    to.reserve(files.size());
    for (const SourceFile& file : files) {
        to.emplace_back(outputFolder).append(file.Relative());
    }
    return to;
}

Verdict CopyFiles(Platform& p, const std::vector<SourceFile>& files,
                  const std::vector<std::wstring>& to, const CopyOptions& options,
                  const CopyMethod& method) {
    if (files.empty()) {
        return Verdict{};  // only empty folders were sent: nothing to copy
    }
    if (method.ownEngine) {
        return CopyWithEngine(p, files, to, options, EngineThreads(), method.progress);
    }

    const std::vector<FileInfo> before = ClearAttributesInTheWay(p.fs, to);
    std::vector<std::wstring> from;
    from.reserve(files.size());
    for (const SourceFile& file : files) {
        from.push_back(file.path);
    }
    const CopyOutcome outcome = p.shell.CopyFiles(method.owner, from, to, method.shellMode);
    // The shell's answer alone does not say what it did: every copy is
    // looked at, and what it copied before it stopped stays, without the
    // chosen attributes. Attributes are given only to whole copies, and only
    // when the shell finished.
    std::vector<Miss> notCopied, noAttributes;
    AttributeCheck check;
    for (size_t k = 0; k < to.size(); ++k) {
        ErrorCode missed = CheckCopy(p.fs, files[k].path, to[k], before[k]);
        if (!missed && options.verify) {
            missed = p.fs.Compare(files[k].path, to[k]);
        }
        const ErrorCode bare =
            missed || outcome.result != 0 || !options.setAttributes
                ? kNoError
                : GiveAttributes(p.fs, to[k], options.attributes & kAttributeSet, check);
        if (missed) {
            notCopied.push_back({to[k], missed});
        } else if (bare) {
            noAttributes.push_back({to[k], bare});
        }
        if (method.progress) {
            method.progress->Done({to[k], before[k].Exists(), missed, bare, files[k].size});
        }
    }
    if (outcome.result != 0) {
        return Aborted(p.fs, std::move(notCopied));
    }
    return Incomplete(p.fs, std::move(notCopied), std::move(noAttributes),
                      outcome.anyOperationsAborted);
}

}  // namespace larkspur
