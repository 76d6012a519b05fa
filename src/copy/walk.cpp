// The folder walk.
//
// Each folder is listed once: its files are appended as they come, its
// subfolders are remembered and walked after the last entry, in the order
// they came. That gives the order the copy relies on (a folder's files
// before its subfolders, depth first) without keeping a search open per
// level, and an explicit stack instead of recursion keeps a tree hundreds of
// levels deep off the call stack.
//
// The paths appended are built from the stored long name of the sent
// folder and the names the listing returns, so they are already long and
// the copy need not rebuild them.
#include <algorithm>
#include <vector>

#include "copy/sources.h"
#include "paths/paths.h"

namespace larkspur {

namespace {

// Characters of a normalised folder (ending in a backslash) that name the
// folder holding it: all of them for a drive root, whose files land directly
// in the output folder.
size_t ParentLength(const std::wstring& folder) {
    const std::wstring_view withoutSlash(folder.data(), folder.size() - 1);
    if (withoutSlash.size() == 2 && withoutSlash[1] == L':') {
        return folder.size();
    }
    return NameStart(withoutSlash);
}

}  // namespace

void CollectFiles(Platform& p, const std::wstring& folder, const std::wstring& output,
                  Sources& sources) {
    const std::wstring top = LongFolder(p.fs, folder);
    if (top.empty()) {
        sources.missing.push_back(folder);  // gone since it was classified
        return;
    }
    const size_t rootLength = ParentLength(top);
    std::vector<std::wstring> pending{top};
    std::vector<std::wstring> subfolders;
    while (!pending.empty()) {
        const std::wstring dir = std::move(pending.back());
        pending.pop_back();
        subfolders.clear();
        const bool listed =
            kNoError == p.fs.ListFolder(dir, [&](std::wstring_view name, uint32_t attributes) {
                if (attributes & kAttrDirectory) {
                    std::wstring sub = dir;
                    sub.append(name).push_back(L'\\');
                    // An output folder inside the sent folder is not walked: its
                    // files are this or an earlier run's copies, and copying them
                    // again would nest the output a level deeper on every run.
                    if (name != L"." && name != L".." && sub != output) {
                        subfolders.push_back(std::move(sub));
                    }
                } else {
                    std::wstring file = dir;
                    file.append(name);
                    sources.files.push_back({std::move(file), rootLength});
                }
                p.ui.YieldToWindowSystem();
            });
        if (!listed) {
            // Access denied, or gone since its parent was listed: its files
            // would be missing from the copy without a word.
            sources.missing.push_back(dir.substr(0, dir.size() - 1));
            continue;
        }
        // Walked next in listing order: push them so the first comes off first.
        std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending));
    }
}

}  // namespace larkspur
