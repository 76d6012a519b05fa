#include "copy/verdict.h"

#include <utility>

namespace larkspur {

namespace {

constexpr size_t kPathsListed = 10;

// A line per path, the first ten of them and a count of the rest.
void AppendPaths(std::wstring& text, const std::vector<std::wstring>& paths) {
    for (size_t i = 0; i < paths.size() && i < kPathsListed; ++i) {
        text += L"\r\n" + paths[i];
    }
    if (paths.size() > kPathsListed) {
        text += L"\r\n... and " + std::to_wstring(paths.size() - kPathsListed) + L" more";
    }
}

// The heading with the count, then each reason once, in the order it first
// came, with its paths indented below it; ten paths in all, and a count of
// the rest.
void AppendGroup(std::wstring& text, FileSystem& fs, const wchar_t* heading,
                 const std::vector<Miss>& misses) {
    if (misses.empty()) {
        return;
    }
    text += L"\r\n\r\n";
    text += heading;
    text += L" (" + std::to_wstring(misses.size()) + L"):";
    std::vector<bool> listed(misses.size(), false);
    size_t shown = 0;
    for (size_t first = 0; first < misses.size() && shown < kPathsListed; ++first) {
        if (listed[first]) {
            continue;
        }
        text += L"\r\n" + ReasonText(fs, misses[first].reason);
        for (size_t i = first; i < misses.size() && shown < kPathsListed; ++i) {
            if (!listed[i] && misses[i].reason == misses[first].reason) {
                text += L"\r\n  " + misses[i].path;
                listed[i] = true;
                ++shown;
            }
        }
    }
    if (misses.size() > shown) {
        text += L"\r\n... and " + std::to_wstring(misses.size() - shown) + L" more";
    }
}

}  // namespace

std::wstring ReasonText(FileSystem& fs, ErrorCode reason) {
    switch (reason) {
        case kErrorSourceChanged:
            return L"The file changed while it was copied.";
        case kErrorCopyDiffers:
            return L"Read back, the copy differs from its file.";
        case kErrorAttributesNotKept:
            return L"The drive did not keep the attributes given to the copy.";
        case kErrorFolderInTheWay:
            return L"A folder of the same name stands where the copy goes.";
        case kErrorCopyMissing:
            return L"The copy is missing.";
        case kErrorCopyIncomplete:
            return L"The copy is not the size of its file.";
        case kErrorCopyKept:
            return L"The file already there was kept.";
        case kErrorNotStarted:
            return L"The copy was stopped before this file.";
        case kErrorLinkLoop:
            return L"A folder link that leads back into a folder it lies in was not followed.";
        default:
            return fs.ErrorText(reason);
    }
}

Verdict NothingCopied(const std::wstring& why, const std::vector<std::wstring>& paths) {
    Verdict verdict;
    verdict.exitCode = kExitBadInput;
    verdict.message = why + L", so nothing was copied:";
    AppendPaths(verdict.message, paths);
    return verdict;
}

Verdict MissingItems(const std::vector<std::wstring>& missing) {
    return NothingCopied(missing.size() == 1 ? L"This item does not exist or cannot be read"
                                             : L"These items do not exist or cannot be read",
                         missing);
}

Verdict Aborted(FileSystem& fs, std::vector<Miss> notCopied) {
    Verdict verdict;
    verdict.exitCode = kExitAborted;
    verdict.message = L"Aborted!";
    AppendGroup(verdict.message, fs, L"Not copied", notCopied);
    verdict.notCopied = std::move(notCopied);
    return verdict;
}

Verdict Incomplete(FileSystem& fs, std::vector<Miss> notCopied, std::vector<Miss> noAttributes,
                   bool someSkipped) {
    Verdict verdict;
    if (notCopied.empty() && noAttributes.empty() && !someSkipped) {
        return verdict;
    }
    verdict.exitCode = kExitIncomplete;
    verdict.message = notCopied.empty() && !someSkipped
                          ? L"Some copies did not get their attributes."
                          : L"The copy did not complete: not every file was copied.";
    AppendGroup(verdict.message, fs, L"Not copied", notCopied);
    AppendGroup(verdict.message, fs, L"Attributes not set", noAttributes);
    verdict.notCopied = std::move(notCopied);
    verdict.noAttributes = std::move(noAttributes);
    return verdict;
}

Verdict Stopped(FileSystem& fs, size_t copied, size_t total, std::vector<Miss> notCopied,
                std::vector<Miss> noAttributes) {
    Verdict verdict;
    verdict.exitCode = kExitStopped;
    verdict.message = L"Stopped: " + std::to_wstring(copied) + L" of " + std::to_wstring(total) +
                      L" files were copied.";
    AppendGroup(verdict.message, fs, L"Not copied", notCopied);
    AppendGroup(verdict.message, fs, L"Attributes not set", noAttributes);
    verdict.notCopied = std::move(notCopied);
    verdict.noAttributes = std::move(noAttributes);
    return verdict;
}

Verdict WithSkipped(FileSystem& fs, Verdict verdict, const std::vector<Miss>& skipped) {
    if (skipped.empty() || verdict.exitCode == kExitBadInput) {
        return verdict;
    }
    std::vector<Miss> notCopied = skipped;
    notCopied.insert(notCopied.end(), verdict.notCopied.begin(), verdict.notCopied.end());
    if (verdict.exitCode == kExitAborted) {
        return Aborted(fs, std::move(notCopied));
    }
    if (verdict.exitCode == kExitStopped) {
        verdict.notCopied = std::move(notCopied);
        const size_t prefix = verdict.message.find(L"\r\n");
        verdict.message.resize(prefix == std::wstring::npos ? verdict.message.size() : prefix);
        AppendGroup(verdict.message, fs, L"Not copied", verdict.notCopied);
        AppendGroup(verdict.message, fs, L"Attributes not set", verdict.noAttributes);
        return verdict;
    }
    return Incomplete(fs, std::move(notCopied), std::move(verdict.noAttributes), true);
}

}  // namespace larkspur
