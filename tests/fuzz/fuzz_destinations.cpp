// The destination list: BuildDestList and MultiString (src/copy/copy.h),
// after a real source collection (ResetLists, SplitAtSpaces, SplitArgs and
// CollectFiles, as a run does it) over a file tree the input shapes.
//
// The input first grows a tree on C: and D: (files and folders with names
// from a small alphabet, so that spaces, case and short names turn up, some
// hidden or system), then picks the items sent: either distinct items of
// one folder, the way Send To sends a selection, or any items anywhere,
// repeats and drive roots included. Each is spelled one of the ways a path
// can be (short names, other letter case, relative to the current folder, a
// trailing backslash), put on a command line the way the shell does, and
// collected. Then, with an output folder from the input:
// - n destinations, in FileList slots 0..n-1, each the output folder
//   followed by the item's stored name (a sent file) or by the sent
//   folder's stored name and the file's stored path below it (a drive root
//   adds no name), computed here from the tree, never with an empty
//   component and never with a NUL inside (one documented exception: a
//   one-letter folder right below a root keeps the case it was sent in, as
//   LongPath leaves "X:\n" alone);
// - the destination multi-string parses back to exactly those slots, and
//   slot n keeps its source; the source multi-string parses back to the
//   sources;
// - for a Send To selection (distinct sources), destinations are pairwise
//   distinct, also without regard to letter case.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "copy/collect.h"
#include "copy/copy.h"
#include "paths/paths.h"
#include "fakes.h"
#include "fuzz_check.h"
#include "run/args.h"
#include "run/startup.h"

namespace larkspur::fuzz {
namespace {

using testing::Machine;
using testing::MemFs;
using Node = MemFs::Node;

std::wstring PathOf(const Node* node) {
    if (!node->parent) {
        return node->name + L"\\";  // "C:\"
    }
    std::wstring parent = PathOf(node->parent);
    if (parent.back() != L'\\') {
        parent += L'\\';
    }
    return parent + node->name;
}

bool NameTaken(const Node* folder, const std::wstring& name) {
    for (const auto& child : folder->children) {
        if (Folded(child->name) == Folded(name) ||
            (!child->shortName.empty() && Folded(child->shortName) == Folded(name))) {
            return true;
        }
    }
    return false;
}

// Grows the tree; returns every file and folder made, and the folders
// (drive roots and the machine's own folders included) in creation order.
void GrowTree(FuzzedDataProvider& data, MemFs& fs, std::vector<Node*>& folders,
              std::vector<Node*>& all) {
    int shortNames = 0;
    const size_t operations = data.ConsumeIntegralInRange<size_t>(0, 32);
    for (size_t i = 0; i < operations && data.remaining_bytes() > 0; ++i) {
        Node* parent = folders[data.ConsumeIntegralInRange<size_t>(0, folders.size() - 1)];
        const bool folder = data.ConsumeBool();
        std::wstring name;
        for (size_t length = data.ConsumeIntegralInRange<size_t>(1, 6); length > 0; --length) {
            name += PickChar(data, L"abAB .~1\u00E9\u65E5");
        }
        if (name.find_first_not_of(L'.') == std::wstring::npos ||
            std::any_of(name.begin(), name.end(),
                        [](wchar_t c) {
                            return c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) !=
                                                   std::wstring_view::npos;
                        }) ||
            NameTaken(parent, name)) {
            continue;  // ".", "..", a character Windows keeps out of names, a name taken
        }
        // Short names never clash with the names above: no 'S' in those.
        const std::wstring shortName = data.ConsumeIntegral<uint8_t>() < 64
                                           ? L"S" + std::to_wstring(++shortNames) + L"~1"
                                           : L"";
        const uint32_t extra = data.ConsumeBool() ? 0 : data.ConsumeIntegralInRange<uint32_t>(0, 7);
        const std::wstring path = PathOf(parent) + (parent->parent ? L"\\" : L"") + name;
        Node* node;
        if (folder) {
            node = &fs.Folder(path, shortName);
            node->attributes = kAttrDirectory | (extra & (kAttrHidden | kAttrSystem));
            folders.push_back(node);
        } else {
            node = &fs.File(path, kAttrArchive | extra, shortName);
        }
        FUZZ_CHECK(node->parent == parent, "the harness's own tree: " + Show(path));
        all.push_back(node);
    }
}

// One way of writing an existing item's path.
std::wstring Spelling(FuzzedDataProvider& data, const Node* node, const Node* work) {
    if (!node->parent) {
        return ChangeCase(node->name, data.ConsumeIntegralInRange<int>(0, 2)) + L"\\";
    }
    std::vector<const Node*> chain;
    bool belowWork = false;
    for (const Node* n = node; n->parent; n = n->parent) {
        if (n->parent == work) {
            belowWork = true;
        }
        chain.insert(chain.begin(), n);
    }
    const bool relative = belowWork && data.ConsumeBool();
    std::wstring path;
    if (!relative) {
        path = ChangeCase(chain.front()->parent->name, data.ConsumeIntegralInRange<int>(0, 2));
    }
    bool below = !relative;
    for (const Node* n : chain) {
        if (below) {
            const bool useShort = !n->shortName.empty() && data.ConsumeBool();
            if (!path.empty()) {
                path += L'\\';
            }
            path += ChangeCase(useShort ? n->shortName : n->name,
                               data.ConsumeIntegralInRange<int>(0, 2));
        }
        below = below || n == work;
    }
    if (node->IsFolder() && data.ConsumeIntegral<uint8_t>() < 48) {
        path += L'\\';
    }
    return path;
}

struct Expected {
    const Node* source;
    std::wstring tail;  // the destination after the output folder
    // LongPath leaves "X:\n" alone (paths.h): a sent folder with a one-letter
    // name right below a drive root keeps the letter case it was sent with.
    bool caseAsSent = false;
};

// Files below a folder in the walk's order: the folder's own files as
// listed, then each subfolder the same way, depth first.
void Walk(const Node* folder, const std::wstring& prefix, bool caseAsSent,
          std::vector<Expected>& out) {
    for (const auto& child : folder->children) {
        if (!child->IsFolder()) {
            out.push_back({child.get(), prefix + child->name, caseAsSent});
        }
    }
    for (const auto& child : folder->children) {
        if (child->IsFolder()) {
            Walk(child.get(), prefix + child->name + L"\\", caseAsSent, out);
        }
    }
}

std::vector<std::wstring> ParseMulti(const std::wstring& multi, const std::string& context) {
    std::vector<std::wstring> out;
    size_t pos = 0;
    while (pos < multi.size() && multi[pos] != L'\0') {
        const size_t nul = multi.find(L'\0', pos);
        FUZZ_CHECK(nul != std::wstring::npos, context + ": an entry without its NUL");
        out.push_back(multi.substr(pos, nul - pos));
        pos = nul + 1;
    }
    FUZZ_CHECK(pos + 1 == multi.size() && multi[pos] == L'\0',
               context + ": not ended by one more NUL");
    return out;
}

std::wstring OutputFolder(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 4)) {
        case 0:
            return L"D:\\Out\\";
        case 1:
            return L"C:\\";
        case 2:
            return L"\\\\server\\share\\Copies\\";
        case 3:
            return L"D:\\My Out\\\u65E5\\";
        default: {
            std::wstring folder = L"D:\\";
            for (size_t n = data.ConsumeIntegralInRange<size_t>(0, 12); n > 0; --n) {
                folder += PickChar(data, L"ab \\.~");
            }
            return AddBackslash(folder);
        }
    }
}

void Run(FuzzedDataProvider& data) {
    Machine m;  // C: and D:, C:\Tools, the current folder C:\Work
    Node* work = m.fs.Find(L"C:\\Work");
    std::vector<Node*> folders = {m.fs.Find(L"C:\\"), m.fs.Find(L"D:\\"), work,
                                  m.fs.Find(L"C:\\Tools")};
    std::vector<Node*> all = folders;
    GrowTree(data, m.fs, folders, all);

    // The items sent.
    const bool sendTo = data.ConsumeBool();
    std::vector<const Node*> sent;
    if (sendTo) {
        const Node* parent = folders[data.ConsumeIntegralInRange<size_t>(0, folders.size() - 1)];
        for (const auto& child : parent->children) {
            if (data.ConsumeBool()) {
                sent.push_back(child.get());
            }
        }
        for (size_t i = sent.size(); i > 1; --i) {  // in the order they were selected
            std::swap(sent[i - 1], sent[data.ConsumeIntegralInRange<size_t>(0, i - 1)]);
        }
    } else {
        for (size_t n = data.ConsumeIntegralInRange<size_t>(0, 6); n > 0; --n) {
            sent.push_back(all[data.ConsumeIntegralInRange<size_t>(0, all.size() - 1)]);
        }
    }
    std::wstring arguments;
    std::vector<std::wstring> spelled;
    for (const Node* node : sent) {
        spelled.push_back(Spelling(data, node, work));
        arguments += (arguments.empty() ? L"" : L" ") + ShellQuoted(spelled.back());
    }
    std::string context = "arguments " + Show(arguments);

    // The collection, as a run does it.
    RunState& state = m.state;
    ResetLists(state);
    state.ArgTokens = SplitAtSpaces(arguments);
    SplitArgs(state, m.fs);
    FUZZ_CHECK(state.MissingItems.empty(), context + ": missing " + Show(state.MissingItems));
    std::vector<Expected> expected;
    std::vector<const Node*> sentFolders;
    for (size_t i = 0; i < sent.size(); ++i) {
        if (sent[i]->IsFolder()) {
            sentFolders.push_back(sent[i]);
        } else {
            FUZZ_CHECK(state.FileList[1 + expected.size()] == spelled[i], context);
            expected.push_back({sent[i], sent[i]->name});
        }
    }
    FUZZ_CHECK(state.FolderList.size() == sentFolders.size() + 1, context);
    for (size_t i = 0; i < sentFolders.size(); ++i) {
        CollectFiles(state, m.platform, state.FolderList[i + 1]);
        const Node* folder = sentFolders[i];
        const bool caseAsSent =
            folder->parent && !folder->parent->parent && folder->name.size() == 1;
        Walk(folder, folder->parent ? folder->name + L"\\" : L"", caseAsSent, expected);
    }
    FUZZ_CHECK(state.MissingItems.empty(), context + ": missing " + Show(state.MissingItems));
    FUZZ_CHECK(state.FileList.size() == expected.size() + 1 &&
                   state.FileRootLength.size() == state.FileList.size(),
               context + ": " + std::to_string(state.FileList.size() - 1) + " sources, expected " +
                   std::to_string(expected.size()));
    const size_t n = expected.size();
    for (size_t i = 0; i < n; ++i) {
        FUZZ_CHECK(m.fs.Find(m.fs.FullPath(state.FileList[i + 1])) == expected[i].source,
                   context + ": source " + std::to_string(i + 1) + " " +
                       Show(state.FileList[i + 1]) + ", expected " +
                       Show(PathOf(expected[i].source)));
    }

    // The source multi-string, then the destinations.
    state.OutputFolder = OutputFolder(data);
    context += ", output folder " + Show(state.OutputFolder);
    const std::vector<std::wstring> sources = state.FileList;
    const std::wstring from = MultiString(state.FileList.begin() + 1, state.FileList.end());
    FUZZ_CHECK(
        ParseMulti(from, context) == std::vector<std::wstring>(sources.begin() + 1, sources.end()),
        context + ": the source list does not parse back");
    const std::wstring to = BuildDestList(state, m.fs);

    FUZZ_CHECK(state.FileList.size() == sources.size(), context);
    const std::vector<std::wstring> destinations(state.FileList.begin(),
                                                 state.FileList.begin() + n);
    FUZZ_CHECK(ParseMulti(to, context) == destinations,
               context + ": the destination list " + Show(ParseMulti(to, context)) +
                   " is not FileList's slots 0..n-1 " + Show(destinations));
    if (n > 0) {
        FUZZ_CHECK(state.FileList[n] == sources[n], context + ": slot n lost its source");
    }
    const std::wstring& out = state.OutputFolder;
    std::set<std::wstring> seen;
    for (size_t k = 0; k < n; ++k) {
        const std::wstring& d = destinations[k];
        const std::string what = context + ": destination " + Show(d) + " of " +
                                 Show(sources[k + 1]) + ", expected tail " + Show(expected[k].tail);
        FUZZ_CHECK(d.size() > out.size() && d.compare(0, out.size(), out) == 0, what);
        FUZZ_CHECK(d.find(L'\0') == std::wstring::npos, what);
        const std::wstring tail = d.substr(out.size());
        FUZZ_CHECK(tail == expected[k].tail ||
                       (expected[k].caseAsSent && Folded(tail) == Folded(expected[k].tail) &&
                        tail.substr(1) == expected[k].tail.substr(1)),
                   what);
        FUZZ_CHECK(tail.front() != L'\\' && tail.back() != L'\\' &&
                       tail.find(L"\\\\") == std::wstring::npos,
                   what + ", an empty component");
        const bool fresh = seen.insert(Folded(d)).second;
        FUZZ_CHECK(!sendTo || fresh, what + ", twice");
    }
}

}  // namespace
}  // namespace larkspur::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    larkspur::fuzz::Run(data);
    return 0;
}
