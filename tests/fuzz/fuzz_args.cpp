// The argument splitting: ArgumentString, SplitAtSpaces and SplitArgs
// (src/run/args.h), against an in-memory machine with a few drives, folders,
// names with spaces (runs of them, leading and trailing ones) and short
// names.
//
// The first input byte picks the mode:
// - shell-made: a list of paths (existing ones in several spellings, and
//   missing ones) put on a command line the way the shell does it (a path
//   that holds a space in double quotes, others now and then too) must split
//   back to exactly those paths, in order, each in the list its kind says;
// - free text: an argument string made of path pieces, quotes, blanks and
//   any characters. Every item is classified as the file system says, and
//   the items are exactly those of an independent reading of the rules in
//   args.cpp, done on the text itself instead of on the pieces.
// Both modes also check ArgumentString and SplitAtSpaces.
#include <algorithm>
#include <string>
#include <vector>

#include "fakes.h"
#include "fuzz_check.h"
#include "run/args.h"
#include "run/startup.h"

namespace larkspur::fuzz {
namespace {

using testing::MemFs;

enum class Kind { kFile, kFolder, kMissing };

struct Item {
    std::wstring path;
    Kind kind;
};

struct World {
    MemFs fs;
    std::vector<Item> items;  // spellings of paths, with what they name
    World() {
        fs.AddDrive(L'C');
        fs.AddDrive(L'D');
        fs.AddDrive(L'E', /*ready=*/false);
        fs.Folder(L"C:\\Work");  // the current folder
        fs.File(L"C:\\Work\\rel.txt");
        fs.Folder(L"C:\\Work\\Sub Dir");
        fs.Folder(L"C:\\Program Files", L"PROGRA~1");
        fs.File(L"C:\\Program Files\\Read me.txt", kAttrArchive, L"READ~1.TXT");
        fs.File(L"C:\\Docs\\a.txt");
        fs.File(L"C:\\Docs\\Proj\\x.txt");
        fs.File(L"C:\\Docs\\two  spaces.txt");
        fs.File(L"C:\\Docs\\\u65E5\u672C \u8A9E.txt");
        fs.File(L"C:\\trailing .txt ", kAttrHidden);
        fs.File(L"C:\\ lead.txt", kAttrSystem | kAttrHidden);
        fs.File(L"C:\\quote\"d.txt");  // not a Windows name; the fake takes it
        fs.Folder(L"D:\\data");
        fs.Folder(L"D:\\My Folder");
        fs.File(L"D:\\a b c\\d e.txt", kAttrReadOnly);
        fs.File(L"D:\\" + std::wstring(300, L'n'));

        const Kind f = Kind::kFile, d = Kind::kFolder, m = Kind::kMissing;
        items = {
            {L"C:\\Work\\rel.txt", f},
            {L"rel.txt", f},
            {L"REL.TXT", f},
            {L"Sub Dir", d},
            {L"C:\\Work\\Sub Dir\\", d},
            {L"C:\\Program Files", d},
            {L"c:\\progra~1", d},
            {L"C:\\PROGRA~1\\READ~1.TXT", f},
            {L"C:\\Program Files\\Read me.txt", f},
            {L"C:\\Docs\\a.txt", f},
            {L"\\Docs\\a.txt", f},  // the current drive's root
            {L"C:\\Docs\\Proj", d},
            {L"C:\\Docs\\Proj\\", d},
            {L"C:\\Docs\\two  spaces.txt", f},
            {L"C:\\Docs\\\u65E5\u672C \u8A9E.txt", f},
            {L"C:\\trailing .txt ", f},
            {L"C:\\ lead.txt", f},
            {L"C:\\", d},
            {L"D:\\", d},
            {L"D:\\data", d},
            {L"D:\\My Folder", d},
            {L"D:\\My Folder\\", d},
            {L"D:\\a b c\\d e.txt", f},
            {L"D:\\" + std::wstring(300, L'n'), f},
            {L"C:\\nothing.txt", m},
            {L"C:\\no such\\thing", m},
            {L"C:\\Docs\\a.txt\\", m},  // a file with a trailing backslash
            {L"E:\\x.txt", m},          // the drive is not ready
            {L"Q:\\x.txt", m},          // no such drive
            {L"D:\\a  b c\\d e.txt", m},
        };
        for (const Item& item : items) {
            const uint32_t a = fs.Attributes(item.path);
            const Kind kind = a == kInvalidAttributes ? Kind::kMissing
                              : a & kAttrDirectory    ? Kind::kFolder
                                                      : Kind::kFile;
            FUZZ_CHECK(kind == item.kind, "the harness's own table: " + Show(item.path));
        }
    }
};

World& TheWorld() {
    static World* world = new World();  // built once, never torn down
    return *world;
}

// A program path as the command line starts with it, and its separator.
std::wstring ProgramPart(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return L"\"C:\\Program Files\\Larkspur\\Brisa.exe\" ";
        case 1:
            return L"\"C:\\Tools\\Brisa.exe\"";  // no blank after the quote
        case 2:
            return L"C:\\Tools\\Brisa.exe ";
        default:
            return L"Brisa\t";
    }
}

struct Lists {
    std::vector<std::wstring> files, folders, missing;
};

void ExpectLists(const Lists& got, const Lists& expected, const std::wstring& arguments) {
    const std::string context = "arguments " + Show(arguments);
    FUZZ_CHECK(got.files == expected.files,
               context + ": files " + Show(got.files) + ", expected " + Show(expected.files));
    FUZZ_CHECK(got.folders == expected.folders,
               context + ": folders " + Show(got.folders) + ", expected " + Show(expected.folders));
    FUZZ_CHECK(got.missing == expected.missing,
               context + ": missing " + Show(got.missing) + ", expected " + Show(expected.missing));
}

Lists Split(MemFs& fs, const std::wstring& arguments) {
    RunState state;
    ResetLists(state);
    state.ArgTokens = SplitAtSpaces(arguments);
    SplitArgs(state, fs);
    const std::string context = "arguments " + Show(arguments);
    FUZZ_CHECK(state.FolderList.size() >= 1 && state.FolderList[0].empty(), context);
    FUZZ_CHECK(state.FileList.size() >= 1 && state.FileList[0].empty(), context);
    FUZZ_CHECK(state.FileRootLength.size() == state.FileList.size(), context);
    FUZZ_CHECK(std::all_of(state.FileRootLength.begin(), state.FileRootLength.end(),
                           [](size_t r) { return r == RunState::kNamedItem; }),
               context);
    Lists lists;
    lists.files.assign(state.FileList.begin() + 1, state.FileList.end());
    lists.folders.assign(state.FolderList.begin() + 1, state.FolderList.end());
    lists.missing = state.MissingItems;

    // Every item is where the file system says it belongs, and is text of
    // the argument string.
    for (const auto* list : {&lists.files, &lists.folders, &lists.missing}) {
        for (const std::wstring& item : *list) {
            FUZZ_CHECK(!item.empty(), context);
            FUZZ_CHECK(arguments.find(item) != std::wstring::npos,
                       context + ": item " + Show(item) + " is not part of it");
            const uint32_t a = fs.Attributes(item);
            if (list == &lists.files) {
                FUZZ_CHECK(a != kInvalidAttributes && !(a & kAttrDirectory),
                           context + ": not a file: " + Show(item));
            } else if (list == &lists.folders) {
                FUZZ_CHECK(a != kInvalidAttributes && (a & kAttrDirectory),
                           context + ": not a folder: " + Show(item));
            } else {
                FUZZ_CHECK(a == kInvalidAttributes, context + ": exists: " + Show(item));
            }
        }
    }
    return lists;
}

void CheckSplitAtSpaces(const std::wstring& text) {
    const std::vector<std::wstring> pieces = SplitAtSpaces(text);
    std::wstring joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        FUZZ_CHECK(pieces[i].find(L' ') == std::wstring::npos, Show(text));
        joined += (i ? L" " : L"") + pieces[i];
    }
    FUZZ_CHECK(joined == text, Show(text) + " came back as " + Show(joined));
    FUZZ_CHECK(pieces.size() == static_cast<size_t>(std::count(text.begin(), text.end(), L' ')) + 1,
               Show(text));
}

// The items of an argument string, read from the text: a piece starting
// with a quote and ending with another is the text between them; otherwise
// a quoted path runs to the next quote that ends a piece (one followed by a
// space or the end of the text), or to the end of the text when none does.
// Empty items name nothing.
std::vector<std::wstring> ReferenceItems(const std::wstring& text) {
    std::vector<std::wstring> items;
    const size_t n = text.size();
    size_t p = 0;  // start of a piece
    for (;;) {
        const size_t pieceEnd = std::min(text.find(L' ', p), n);
        size_t next = pieceEnd;  // where the item's text ends, at a space or n
        std::wstring item;
        if (p < n && text[p] == L'"') {
            if (pieceEnd - p >= 2 && text[pieceEnd - 1] == L'"') {
                item = text.substr(p + 1, pieceEnd - p - 2);
            } else {
                size_t close = std::wstring::npos;
                for (size_t q = pieceEnd + 1; q < n; ++q) {
                    if (text[q] == L'"' && (q + 1 == n || text[q + 1] == L' ')) {
                        close = q;
                        break;
                    }
                }
                if (close == std::wstring::npos || pieceEnd == n) {
                    item = text.substr(p + 1);
                    next = n;
                } else {
                    item = text.substr(p + 1, close - p - 1);
                    next = close + 1;
                }
            }
        } else {
            item = text.substr(p, pieceEnd - p);
        }
        if (!item.empty()) {
            items.push_back(item);
        }
        if (next >= n) {
            return items;
        }
        p = next + 1;
    }
}

void CheckArgumentString(FuzzedDataProvider& data, const std::wstring& arguments) {
    const std::wstring program = ProgramPart(data);
    const std::wstring commandLine = program + arguments;
    if (program.back() == L' ' || program.back() == L'\t' || arguments.empty() ||
        (arguments[0] != L' ' && arguments[0] != L'\t')) {
        FUZZ_CHECK(
            ArgumentString(commandLine) == arguments,
            "command line " + Show(commandLine) + " gave " + Show(ArgumentString(commandLine)));
    }
    // Any text: the result is what follows the program's path.
    const std::wstring any = ArgumentString(arguments);
    FUZZ_CHECK(any.size() <= arguments.size() &&
                   arguments.compare(arguments.size() - any.size(), any.size(), any) == 0,
               Show(arguments) + " gave " + Show(any));
}

void ShellMade(FuzzedDataProvider& data) {
    World& world = TheWorld();
    const size_t count = data.ConsumeIntegralInRange<size_t>(1, 12);
    std::wstring arguments;
    Lists expected;
    for (size_t i = 0; i < count; ++i) {
        const Item& item =
            world.items[data.ConsumeIntegralInRange<size_t>(0, world.items.size() - 1)];
        arguments +=
            (i ? L" " : L"") + ShellQuoted(item.path, data.ConsumeIntegral<uint8_t>() < 32);
        (item.kind == Kind::kFile     ? expected.files
         : item.kind == Kind::kFolder ? expected.folders
                                      : expected.missing)
            .push_back(item.path);
    }
    CheckArgumentString(data, arguments);
    CheckSplitAtSpaces(arguments);
    const Lists got = Split(world.fs, arguments);
    ExpectLists(got, expected, arguments);
}

void FreeText(FuzzedDataProvider& data) {
    World& world = TheWorld();
    std::wstring arguments;
    const size_t parts = data.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < parts && data.remaining_bytes() > 0; ++i) {
        switch (data.ConsumeIntegralInRange<int>(0, 3)) {
            case 0: {  // a path, whole or cut
                const std::wstring& path =
                    world.items[data.ConsumeIntegralInRange<size_t>(0, world.items.size() - 1)]
                        .path;
                arguments += path.substr(0, data.ConsumeIntegralInRange<size_t>(0, path.size()));
                break;
            }
            case 1:
                arguments += data.ConsumeBool() ? L'"' : L' ';
                break;
            default:
                arguments += PickChar(data, L"\" \"  \\:.\tCcDx~1");
                break;
        }
    }
    CheckArgumentString(data, arguments);
    CheckSplitAtSpaces(arguments);
    const Lists got = Split(world.fs, arguments);

    Lists expected;
    for (const std::wstring& item : ReferenceItems(arguments)) {
        const uint32_t a = world.fs.Attributes(item);
        (a == kInvalidAttributes ? expected.missing
         : (a & kAttrDirectory)  ? expected.folders
                                 : expected.files)
            .push_back(item);
    }
    ExpectLists(got, expected, arguments);
}

}  // namespace
}  // namespace larkspur::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool()) {
        larkspur::fuzz::ShellMade(data);
    } else {
        larkspur::fuzz::FreeText(data);
    }
    return 0;
}
