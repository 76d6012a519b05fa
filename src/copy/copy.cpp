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

#include "copy/paths.h"
#include "run/end.h"

namespace larkspur {

int16_t AttributeMask(const std::array<int, 4>& states) {
    constexpr std::array<uint32_t, 4> kBits = {kAttrReadOnly, kAttrHidden, kAttrSystem,
                                               kAttrArchive};
    uint32_t mask = 0;
    for (size_t i = 0; i < states.size(); ++i) {
        if (states[i] != 0) {
            mask |= kBits[i];
        }
    }
    return static_cast<int16_t>(mask);
}

namespace {

void AppendGroup(std::wstring& text, const wchar_t* heading,
                 const std::vector<std::wstring>& paths) {
    if (!paths.empty()) {
        text += L"\r\n\r\n";
        text += heading;
        text += L" (" + std::to_wstring(paths.size()) + L"):";
        AppendPaths(text, paths);
    }
}

// The attributes a copy is given: the chosen bits of the attribute set; the
// platform spells "none of them" as FILE_ATTRIBUTE_NORMAL.
uint32_t CopyAttributes(int16_t attrMask) {
    const uint32_t bits = static_cast<uint16_t>(attrMask) & kAttributeSet;
    return bits == 0 ? kAttrNormal : bits;
}

}  // namespace

std::wstring MultiString(std::vector<std::wstring>::const_iterator first,
                         std::vector<std::wstring>::const_iterator last) {
    size_t length = 1;
    for (auto it = first; it != last; ++it) {
        length += it->size() + 1;
    }
    std::wstring list;
    list.reserve(length);
    for (auto it = first; it != last; ++it) {
        list += *it;
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    return list;
}

std::wstring BuildDestList(RunState& state, FileSystem& fs) {
    std::vector<std::wstring>& files = state.FileList;
    const size_t n = files.size() - 1;
    size_t length = 1;
    for (size_t i = 1; i <= n; ++i) {
        length += state.OutputFolder.size() + files[i].size() + 1;
    }
    std::wstring list;
    list.reserve(length);
    for (size_t i = 1; i <= n; ++i) {
        std::wstring destination = state.OutputFolder;
        const size_t root = state.FileRootLength[i];
        if (root == RunState::kNamedItem) {
            // Named in the argument string, possibly in short form or relative:
            // it lands under its stored name.
            std::wstring name = fs.StoredName(fs.FullPath(files[i]));
            if (name.empty()) {
                name = files[i].substr(NameStart(files[i]));
            }
            destination += name;
        } else {
            destination.append(files[i], root < files[i].size() ? root : files[i].size());
        }
        list += destination;
        list.push_back(L'\0');
        files[i - 1] = std::move(destination);
    }
    list.push_back(L'\0');
    return list;
}

std::wstring IncompleteMessage(const std::vector<std::wstring>& notCopied,
                               const std::vector<std::wstring>& noAttributes,
                               bool shellSkippedSome) {
    std::wstring text = notCopied.empty() && !shellSkippedSome
                            ? L"Some copies did not get their attributes."
                            : L"The copy did not complete: not every file was copied.";
    AppendGroup(text, L"Not copied", notCopied);
    AppendGroup(text, L"Attributes not set", noAttributes);
    return text;
}

namespace {

constexpr uint32_t kInTheWay = kAttrReadOnly | kAttrHidden | kAttrSystem;

// Sources (slots 1..n, before the rewrite) whose destination would be the
// source itself: those whose item lies directly in the output folder.
std::vector<std::wstring> FilesOntoThemselves(const RunState& state, FileSystem& fs) {
    std::vector<std::wstring> same;
    const std::wstring output = LongFolder(fs, state.OutputFolder);
    if (output.empty()) {
        return same;
    }
    for (size_t i = 1; i < state.FileList.size(); ++i) {
        const std::wstring& source = state.FileList[i];
        const size_t root = state.FileRootLength[i];
        bool onto;
        if (root == RunState::kNamedItem) {
            const std::wstring full = fs.FullPath(source);
            onto = LongFolder(fs, full.substr(0, NameStart(full))) == output;
        } else {
            // Files of the walk start with the normalised folder that holds
            // the sent folder.
            onto = std::wstring_view(source).substr(0, root) == output;
        }
        if (onto) {
            same.push_back(source);
        }
    }
    return same;
}

// A destination that stood in the way of the copy, as it was.
struct InTheWay {
    size_t slot;
    uint32_t attributes;
    uint64_t writeTime;
};

// Existing destinations with Read Only, Hidden or System (most often this
// program's own copies from an earlier run) cannot be replaced by the
// platform's file copy: those bits come off before the copy.
std::vector<InTheWay> ClearAttributesInTheWay(const RunState& state, FileSystem& fs, size_t n) {
    std::vector<InTheWay> cleared;
    for (size_t k = 0; k < n; ++k) {
        const std::wstring& destination = state.FileList[k];
        const uint32_t attributes = fs.Attributes(destination);
        if (attributes == kInvalidAttributes || (attributes & kAttrDirectory) ||
            !(attributes & kInTheWay)) {
            continue;
        }
        cleared.push_back({k, attributes, fs.WriteTime(destination)});
        const uint32_t rest = attributes & ~kInTheWay;
        fs.SetAttributes(destination, rest == 0 ? kAttrNormal : rest);
    }
    return cleared;
}

// Puts the attributes back on the destinations the copy did not replace
// (the user said no, or the copy stopped before them).
void RestoreAttributes(const RunState& state, FileSystem& fs,
                       const std::vector<InTheWay>& cleared) {
    for (const InTheWay& file : cleared) {
        const std::wstring& destination = state.FileList[file.slot];
        if (fs.WriteTime(destination) == file.writeTime) {
            fs.SetAttributes(destination, file.attributes);
        }
    }
}

// ASCII letters of a path in one case: the file system ignores case.
wchar_t Folded(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool FoldedLess(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Folded(x) < Folded(y); });
}

// Sources (from the source multi-string) that share their destination
// (slots 0..n-1) with another one, which the copy would silently replace:
// files of the same name sent from different folders, as a search's
// results can send them.
std::vector<std::wstring> SharedDestinations(const RunState& state, const std::wstring& from,
                                             size_t n) {
    const std::vector<std::wstring>& to = state.FileList;
    std::vector<size_t> order(n);
    for (size_t k = 0; k < n; ++k) {
        order[k] = k;
    }
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return FoldedLess(to[a], to[b]); });
    std::vector<bool> shared(n, false);
    for (size_t i = 1; i < n; ++i) {
        if (!FoldedLess(to[order[i - 1]], to[order[i]])) {
            shared[order[i - 1]] = shared[order[i]] = true;
        }
    }
    std::vector<std::wstring> sources;
    size_t k = 0;
    for (size_t start = 0; k < n; start = from.find(L'\0', start) + 1, ++k) {
        if (shared[k]) {
            sources.emplace_back(from.c_str() + start);
        }
    }
    return sources;
}

std::vector<std::wstring> MissingCopies(const RunState& state, FileSystem& fs, size_t n) {
    std::vector<std::wstring> missing;
    for (size_t k = 0; k < n; ++k) {
        if (fs.Attributes(state.FileList[k]) == kInvalidAttributes) {
            missing.push_back(state.FileList[k]);
        }
    }
    return missing;
}

// "Aborted!", and the copies that are missing after the shell stopped.
std::wstring AbortedMessage(const std::vector<std::wstring>& notCopied) {
    std::wstring text = L"Aborted!";
    AppendGroup(text, L"Not copied", notCopied);
    return text;
}

}  // namespace

void CopyFiles(RunState& state, Platform& p, uint32_t flags) {
    const size_t n = state.FileList.size() - 1;
    if (n == 0) {
        return;  // only empty folders were sent: nothing to ask the shell for
    }
    // The shell's file operation takes classic paths only (and Wine's crashes
    // on longer ones), so a run that needs them stops before anything is
    // copied rather than half done.
    std::vector<std::wstring> tooLong;
    for (size_t i = 1; i <= n; ++i) {
        if (state.FileList[i].size() > kShellPathLimit) {
            tooLong.push_back(state.FileList[i]);
        }
    }
    const std::vector<std::wstring> ontoThemselves = FilesOntoThemselves(state, p.fs);
    const std::wstring from = MultiString(state.FileList.begin() + 1, state.FileList.end());
    const std::wstring to = BuildDestList(state, p.fs);
    for (size_t k = 0; k < n; ++k) {
        if (state.FileList[k].size() > kShellPathLimit) {
            tooLong.push_back(state.FileList[k]);
        }
    }
    if (!tooLong.empty()) {
        EndRunWithMessage(
            state, p,
            NothingCopiedMessage(L"These paths are too long for the copy (" +
                                     std::to_wstring(kShellPathLimit + 1) + L" characters or more)",
                                 tooLong),
            kExitBadInput);
    }
    if (!ontoThemselves.empty()) {
        EndRunWithMessage(
            state, p,
            NothingCopiedMessage(L"The output folder is the folder these files are in",
                                 ontoThemselves),
            kExitBadInput);
    }
    const std::vector<std::wstring> shared = SharedDestinations(state, from, n);
    if (!shared.empty()) {
        EndRunWithMessage(
            state, p,
            NothingCopiedMessage(L"These files have the same name below the output folder", shared),
            kExitBadInput);
    }

    const std::vector<InTheWay> cleared = ClearAttributesInTheWay(state, p.fs, n);
    CopyRequest request;
    request.owner = p.ui.ProgressWindow();
    request.from = &from;
    request.to = &to;
    request.flags = flags;
    const CopyOutcome outcome = p.shell.FileOperationCopy(request);
    if (outcome.result != 0) {
        // What the shell copied before it stopped stays, without the chosen
        // attributes; the message says what is missing.
        RestoreAttributes(state, p.fs, cleared);
        EndRunWithMessage(state, p, AbortedMessage(MissingCopies(state, p.fs, n)), kExitAborted);
    }

    std::vector<std::wstring> notCopied;
    std::vector<std::wstring> noAttributes;
    if (state.AttrOn != 0) {
        const uint32_t attributes = CopyAttributes(state.AttrMask);
        for (size_t k = 0; k < n; ++k) {
            if (!p.fs.SetAttributes(state.FileList[k], attributes)) {
                (p.fs.Attributes(state.FileList[k]) == kInvalidAttributes ? notCopied
                                                                          : noAttributes)
                    .push_back(state.FileList[k]);
            }
        }
    } else {
        RestoreAttributes(state, p.fs, cleared);
        if (outcome.anyOperationsAborted) {
            notCopied = MissingCopies(state, p.fs, n);
        }
    }
    if (outcome.anyOperationsAborted || !notCopied.empty() || !noAttributes.empty()) {
        EndRunWithMessage(state, p,
                          IncompleteMessage(notCopied, noAttributes, outcome.anyOperationsAborted),
                          kExitIncomplete);
    }
}

}  // namespace larkspur
