// The path text routines: AddBackslash, LongPath and NearestFolder
// (src/copy/paths.h), against an in-memory machine with short names, names
// with spaces, a one-character folder, a drive that is not ready.
//
// The input is a path: either an existing file or folder spelled in one of
// its many ways (short or long names, any letter case, a trailing or doubled
// backslash), or text made of drive prefixes, names, separators and any
// characters. Properties, as paths.h documents them:
// - AddBackslash ends with exactly one added backslash, or leaves a path
//   that already ends in one alone, and doing it twice changes nothing;
// - LongPath leaves relative and network paths, a drive root and one
//   character after the root alone (anything not starting with "X:\" too);
//   of a path that names something it gives a path to the same file or
//   folder, and when the input has no doubled backslash (as the platform's
//   full paths never do) that path is spelled with the stored names and
//   LongPath of it is itself;
// - NearestFolder gives the longest prefix of the path that is an existing
//   folder, or empty, and leaves the path equal to it; a path whose drive
//   does not exist or is not ready comes back untouched with an empty result.
#include <string>
#include <vector>

#include "paths/paths.h"
#include "fakes.h"
#include "fuzz_check.h"

namespace larkspur::fuzz {
namespace {

using testing::MemFs;

struct World {
    MemFs fs;
    std::vector<const MemFs::Node*> nodes;  // every file and folder below a root
    std::vector<std::wstring> names;        // every name and short name, some more
    World() {
        fs.AddDrive(L'C');
        fs.AddDrive(L'D');
        fs.AddDrive(L'E', /*ready=*/false);
        fs.Folder(L"C:\\Work");
        fs.File(L"C:\\Work\\rel");
        fs.Folder(L"C:\\Program Files", L"PROGRA~1");
        fs.Folder(L"C:\\Program Files\\Common Files", L"COMMON~1");
        fs.File(L"C:\\Program Files\\Common Files\\x.dll");
        fs.File(L"C:\\Program Files\\Read me.txt", kAttrArchive, L"READ~1.TXT");
        fs.File(L"C:\\Data\\.hidden", kAttrHidden);
        fs.File(L"C:\\Data\\Sub\\Deep\\f.txt");
        fs.Folder(L"C:\\a");
        fs.File(L"C:\\a\\b.txt");
        fs.Folder(L"C:\\Other\\Su");
        fs.Folder(L"D:\\My Folder", L"MYFOLD~1");
        fs.Folder(L"D:\\My Folder\\ two  spaces ");
        fs.File(L"D:\\\u65E5\u672C\\\u30D5\u30A1\u30A4\u30EB.txt");
        for (const wchar_t drive : {L'C', L'D'}) {
            Collect(fs.Find(std::wstring(1, drive) + L":\\"));
        }
        names.insert(names.end(), {L"missing", L"PROGRA~2", L"Su", L"Sub", L".", L".."});
    }
    void Collect(const MemFs::Node* folder) {
        for (const auto& child : folder->children) {
            nodes.push_back(child.get());
            names.push_back(child->name);
            if (!child->shortName.empty()) {
                names.push_back(child->shortName);
            }
            Collect(child.get());
        }
    }
};

World& TheWorld() {
    static World* world = new World();
    return *world;
}

// An existing file or folder, spelled some way.
std::wstring Spelling(FuzzedDataProvider& data, const MemFs::Node* node) {
    std::vector<const MemFs::Node*> chain;
    for (; node->parent; node = node->parent) {
        chain.insert(chain.begin(), node);
    }
    std::wstring path = ChangeCase(node->name, data.ConsumeIntegralInRange<int>(0, 2));  // "C:"
    for (const MemFs::Node* n : chain) {
        const bool useShort = !n->shortName.empty() && data.ConsumeBool();
        path += data.ConsumeIntegral<uint8_t>() < 16 ? L"\\\\" : L"\\";
        path +=
            ChangeCase(useShort ? n->shortName : n->name, data.ConsumeIntegralInRange<int>(0, 2));
    }
    if (data.ConsumeIntegral<uint8_t>() < 64) {
        path += L'\\';
    }
    return path;
}

std::wstring FreePath(FuzzedDataProvider& data) {
    static const std::vector<std::wstring> kPrefixes = {
        L"C:\\",       L"c:\\", L"D:\\", L"E:\\", L"Q:\\", L"C:", L"\\", L"\\\\server\\share\\",
        L"\\\\?\\C:\\"};
    const World& world = TheWorld();
    std::wstring path;
    const size_t parts = data.ConsumeIntegralInRange<size_t>(0, 12);
    for (size_t i = 0; i < parts && data.remaining_bytes() > 0; ++i) {
        switch (data.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                path += kPrefixes[data.ConsumeIntegralInRange<size_t>(0, kPrefixes.size() - 1)];
                break;
            case 1:
                path += ChangeCase(
                    world.names[data.ConsumeIntegralInRange<size_t>(0, world.names.size() - 1)],
                    data.ConsumeIntegralInRange<int>(0, 2));
                break;
            case 2:
                path += L'\\';
                break;
            default:
                path += PickChar(data, L"\\:. ~1Ca");
                break;
        }
    }
    return path;
}

void CheckAddBackslash(const std::wstring& path) {
    const std::wstring result = AddBackslash(path);
    const std::string context = "AddBackslash(" + Show(path) + ") = " + Show(result);
    FUZZ_CHECK(!result.empty() && result.back() == L'\\', context);
    if (!path.empty() && path.back() == L'\\') {
        FUZZ_CHECK(result == path, context);
    } else {
        FUZZ_CHECK(result.size() == path.size() + 1 && result.compare(0, path.size(), path) == 0,
                   context);
    }
    FUZZ_CHECK(AddBackslash(result) == result, context + ", not idempotent");
}

bool HasDrive(const std::wstring& path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
}

void CheckLongPath(MemFs& fs, const std::wstring& path) {
    const std::wstring result = LongPath(fs, path);
    const std::string context = "LongPath(" + Show(path) + ") = " + Show(result);
    const bool network = path.rfind(L"\\\\", 0) == 0;
    const bool relative = !network && !(path.size() >= 2 && path[1] == L':');
    if (network || relative || (HasDrive(path) && path.size() <= 4)) {
        FUZZ_CHECK(result == path, context + ", expected the path unchanged");
    }
    if (HasDrive(path) && path.size() > 4) {
        FUZZ_CHECK(result.size() > 2 && result.compare(0, 2, path, 0, 2) == 0 && result[2] == L'\\',
                   context);
    }
    const MemFs::Node* node = fs.Find(fs.FullPath(path));
    if (!node) {
        return;
    }
    FUZZ_CHECK(fs.Find(fs.FullPath(result)) == node, context + ", names something else");
    // The platform's full paths have no doubled backslash; with one at the
    // end, each LongPath drops one more (paths.h: a trailing one is dropped).
    if (path.find(L"\\\\") != std::wstring::npos) {
        return;
    }
    FUZZ_CHECK(LongPath(fs, result) == result, context + ", then " + Show(LongPath(fs, result)));
    if (HasDrive(path) && path.size() > 4 && node->parent) {
        std::wstring stored;
        for (const MemFs::Node* n = node; n->parent; n = n->parent) {
            stored = L"\\" + n->name + stored;
        }
        FUZZ_CHECK(result == path.substr(0, 2) + stored,
                   context + ", expected " + Show(path.substr(0, 2) + stored));
    }
}

void CheckNearestFolder(MemFs& fs, const std::wstring& path) {
    std::wstring after = path;
    const std::wstring result = NearestFolder(fs, after);
    const std::string context =
        "NearestFolder(" + Show(path) + ") = " + Show(result) + ", path now " + Show(after);
    if (path.empty() || !fs.DriveExists(path[0]) || !fs.DriveReady(path[0])) {
        FUZZ_CHECK(result.empty() && after == path, context);
        return;
    }
    FUZZ_CHECK(after == result, context);
    FUZZ_CHECK(path.compare(0, result.size(), result) == 0 && result.size() <= path.size(),
               context + ", not a prefix");
    FUZZ_CHECK(result.empty() || fs.FolderExists(result), context + ", not a folder");
    for (size_t length = result.size() + 1; length <= path.size(); ++length) {
        FUZZ_CHECK(!fs.FolderExists(path.substr(0, length)),
                   context + ", a longer folder: " + Show(path.substr(0, length)));
    }
}

}  // namespace
}  // namespace larkspur::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    using namespace larkspur::fuzz;
    FuzzedDataProvider data(bytes, size);
    World& world = TheWorld();
    const std::wstring path =
        data.ConsumeBool()
            ? Spelling(data,
                       world.nodes[data.ConsumeIntegralInRange<size_t>(0, world.nodes.size() - 1)])
            : FreePath(data);
    CheckAddBackslash(path);
    CheckLongPath(world.fs, path);
    CheckNearestFolder(world.fs, path);
    return 0;
}
