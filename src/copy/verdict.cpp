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

void AppendGroup(std::wstring& text, const wchar_t* heading,
                 const std::vector<std::wstring>& paths) {
    if (!paths.empty()) {
        text += L"\r\n\r\n";
        text += heading;
        text += L" (" + std::to_wstring(paths.size()) + L"):";
        AppendPaths(text, paths);
    }
}

}  // namespace

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

Verdict Aborted(std::vector<std::wstring> notCopied) {
    Verdict verdict;
    verdict.exitCode = kExitAborted;
    verdict.message = L"Aborted!";
    AppendGroup(verdict.message, L"Not copied", notCopied);
    verdict.notCopied = std::move(notCopied);
    return verdict;
}

Verdict Incomplete(std::vector<std::wstring> notCopied, std::vector<std::wstring> noAttributes,
                   bool someSkipped) {
    Verdict verdict;
    if (notCopied.empty() && noAttributes.empty() && !someSkipped) {
        return verdict;
    }
    verdict.exitCode = kExitIncomplete;
    verdict.message = notCopied.empty() && !someSkipped
                          ? L"Some copies did not get their attributes."
                          : L"The copy did not complete: not every file was copied.";
    AppendGroup(verdict.message, L"Not copied", notCopied);
    AppendGroup(verdict.message, L"Attributes not set", noAttributes);
    verdict.notCopied = std::move(notCopied);
    verdict.noAttributes = std::move(noAttributes);
    return verdict;
}

}  // namespace larkspur
