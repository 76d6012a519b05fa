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
//
// Without links a tree reaches each folder once, by one path. Only links
// (junctions, symbolic links, mount points; under Wine, Unix symbolic links)
// can lead to a folder again, or back up into one the walk is in, so a
// folder's identity is asked only once a link has been met, and then of
// every folder, those entered before included. Until then only a folder
// named like the output folder is asked: it may be the output folder by
// another spelling of the same place.
#include <algorithm>
#include <set>
#include <vector>

#include "copy/walk.h"
#include "paths/names.h"
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

constexpr size_t kNoParent = static_cast<size_t>(-1);

struct Entered {
    std::wstring path;
    size_t parent;
    std::optional<FileId> id;
};

bool LiesIn(const std::vector<Entered>& entered, size_t folder, const FileId& id) {
    for (; folder != kNoParent; folder = entered[folder].parent) {
        if (entered[folder].id == id) {
            return true;
        }
    }
    return false;
}

}  // namespace

OutputFolder FindOutputFolder(FileSystem& fs, const std::wstring& outputFolder) {
    const std::wstring folder = outputFolder.empty() ? outputFolder : LongFolder(fs, outputFolder);
    if (folder.empty()) {
        return {};
    }
    const std::wstring_view withoutSlash(folder.data(), folder.size() - 1);
    return {fs.Identity(folder), std::wstring(withoutSlash.substr(NameStart(withoutSlash)))};
}

void CollectFiles(Platform& p, const std::wstring& folder, const OutputFolder& output,
                  Sources& sources) {
    const std::wstring top = LongFolder(p.fs, folder);
    if (top.empty()) {
        sources.missing.push_back(folder);  // gone since it was classified
        return;
    }
    const size_t rootLength = ParentLength(top);
    std::vector<Entered> entered;
    std::vector<std::pair<std::wstring, size_t>> pending{{top, kNoParent}};
    std::vector<std::pair<std::wstring, size_t>> subfolders;
    std::set<FileId> ids;
    bool linked = false;  // a link was met: every folder's identity is known
    auto learnIdentities = [&] {
        for (Entered& known : entered) {
            known.id = p.fs.Identity(known.path);
            if (known.id) {
                ids.insert(*known.id);
            }
        }
    };
    while (!pending.empty()) {
        auto [dir, parent] = std::move(pending.back());
        pending.pop_back();
        std::optional<FileId> id;
        if (linked) {
            id = p.fs.Identity(dir);
            if (id && (id == output.id || !ids.insert(*id).second)) {
                // The output folder, or a folder entered before: through a
                // link back into one the walk is in (named), or walked by
                // another path already (its files are copied once).
                if (id != output.id && LiesIn(entered, parent, *id)) {
                    sources.skipped.push_back({dir.substr(0, dir.size() - 1), kErrorLinkLoop});
                }
                continue;
            }
        }
        const size_t self = entered.size();
        entered.push_back({dir, parent, id});
        subfolders.clear();
        const ErrorCode error =
            p.fs.ListFolder(dir, [&](std::wstring_view name, uint32_t attributes, uint64_t size) {
                if (attributes & kAttrDirectory) {
                    if (name == L"." || name == L"..") {
                        return;
                    }
                    std::wstring sub = dir;
                    sub.append(name).push_back(L'\\');
                    if ((attributes & kAttrReparsePoint) && !linked) {
                        linked = true;
                        learnIdentities();
                    }
                    // An output folder inside the sent folder is not walked:
                    // its files are this or an earlier run's copies, and
                    // copying them again would nest the output a level
                    // deeper on every run.
                    if (!linked && output.id && SameName(name, output.name) &&
                        p.fs.Identity(sub) == output.id) {
                        return;
                    }
                    subfolders.emplace_back(std::move(sub), self);
                } else {
                    std::wstring file = dir;
                    file.append(name);
                    sources.files.push_back({std::move(file), rootLength, size});
                }
                p.ui.YieldToWindowSystem();
            });
        if (error != kNoError) {
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
