// The routines on text: paths, folder creation, the number rule, the
// argument string, and the README against the program's own tables.
#include <gtest/gtest.h>

#include <gnu/libc-version.h>

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "copy/sources.h"
#include "run/run.h"
#include "copy/verdict.h"
#include "fakes.h"
#include "paths/make_path.h"
#include "paths/names.h"
#include "paths/paths.h"
#include "platform/version_info.h"
#include "settings/settings.h"

namespace larkspur::testing {
namespace {

std::wstring Joined(const std::vector<std::wstring>& paths) {
    std::wstring text;
    for (const std::wstring& path : paths) {
        text += path + L"|";
    }
    return text;
}

TEST(Paths, LongFormsNearestFoldersAndFolderCreation) {
    Machine m;
    m.fs.Add(L"C:\\Program Files\\", 0, L"PROGRA~1");
    m.fs.Add(L"C:\\Program Files\\Read me.txt", kAttrArchive, L"READ~1.TXT");
    m.fs.Add(L"C:\\Data\\.hidden", kAttrHidden);
    m.fs.Add(L"C:\\Other\\Su\\");
    m.fs.Add(L"E:\\Data\\");
    m.fs.Add(L"A:\\Disk\\");
    m.fs.unready.insert(L'E');
    // clang-format off
    const struct { const wchar_t *path, *longPath; } longPaths[] = {
        {L"C:\\PROGRA~1\\READ~1.TXT", L"C:\\Program Files\\Read me.txt"},
        {L"c:\\PROGRA~1", L"c:\\Program Files"},  // the drive letter keeps its case
        {L"C:\\DATA\\", L"C:\\Data"},             // the trailing backslash goes
        {L"C:\\data\\.HIDDEN", L"C:\\Data\\.hidden"},
        {L"C:\\", L"C:\\"},  {L"C:\\a", L"C:\\a"},  // one character after the root: unchanged
        {L"\\\\server\\share\\x", L"\\\\server\\share\\x"}, {L"relative\\x", L"relative\\x"},
        // ":\" past the start is no drive (a device path, once taken apart).
        {L"\\\\?\\C:\\PROGRA~1\\READ~1.TXT", L"\\\\?\\C:\\PROGRA~1\\READ~1.TXT"},
        {L"C:\\Data\\missing\\x.txt", L"C:\\Data\\\\"},  // missing parts: empty names
    };
    // clang-format on
    for (const auto& c : longPaths) {
        EXPECT_EQ(LongPath(m.fs, c.path), c.longPath) << c.path;
    }
    EXPECT_EQ(LongFolder(m.fs, L"a:\\DISK"), L"A:\\Disk\\");  // as the walk spells a drive
    // clang-format off
    const struct { const wchar_t *path, *nearest, *pathAfter; } nearest[] = {
        {L"C:\\Data\\Sub\\Deep", L"C:\\Data", L"C:\\Data"},
        {L"C:\\Other\\Sub", L"C:\\Other", L"C:\\Other"},  // whole names: not the sibling Su
        {L"C:\\Gone\\", L"C:\\", L"C:\\"},
        {L"Q:\\Data", L"", L"Q:\\Data"},  {L"E:\\Data", L"", L"E:\\Data"},  {L"C", L"", L""},  // none; not ready
    };
    // clang-format on
    for (const auto& c : nearest) {
        std::wstring path = c.path;
        EXPECT_EQ(NearestFolder(m.fs, path), c.nearest) << c.path;
        EXPECT_EQ(path, c.pathAfter) << c.path;
    }
    m.fs.Add(L"C:\\Have\\file.txt");
    // clang-format off
    const struct { const wchar_t* path; bool made; const wchar_t* log; } folders[] = {
        {L"C:\\Have\\one\\two\\", true, L"mkdir C:\\Have\\one|mkdir C:\\Have\\one\\two|"},
        {L"C:\\Have\\one\\not-this", true, L""},  // all there; the last part is a name
        {L"C:\\Have\\\\double\\", true, L"mkdir C:\\Have\\\\double|"},
        {L"", true, L""},  {L"\\\\server\\share\\", true, L""},  // a network root is never made
        {L"\\\\?\\UNC\\server\\share\\", true, L""},  {L"\\\\server\\share\\new\\", false, L""},
        {L"C:\\Have\\file.txt\\sub\\", false, L""},  // a file in the way
        {L"C:\\Have\\bad|name\\", false, L""},  {L"Q:\\nodrive\\", false, L""},
    };
    // clang-format on
    for (const auto& c : folders) {
        m.log.clear();
        EXPECT_EQ(MakeSureDirectoryPathExists(m.fs, c.path), c.made) << c.path;
        EXPECT_EQ(Joined(m.log), c.log) << c.path;
    }
}

// Names as the file system compares them; those only the extended form keeps.
TEST(Paths, NamesComparedAsTheFileSystemComparesThem) {
    // clang-format off
    const struct { const wchar_t *a, *b; bool same; } pairs[] = {
        {L"Résumé.txt", L"RÉSUMÉ.TXT", true}, {L"straße", L"STRASSE", false}, {L"ÿ", L"Ÿ", true},
        {L"σς", L"ΣΣ", true}, {L"я", L"Я", true}, {L"ａ", L"Ａ", true}, {L"ǆ", L"Ǆ", true},
        {L"ı", L"I", false}, {L"ſ", L"S", false},  // no letter beyond ASCII becomes an ASCII one
        {L"x", L"x.", false}, {L"x", L"x ", false}, {L"a", L"ab", false},
    };
    // clang-format on
    for (const auto& c : pairs) {
        EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " " << c.b;
        EXPECT_EQ(!NameLess(c.a, c.b) && !NameLess(c.b, c.a), c.same) << c.a << " " << c.b;
    }
    // clang-format off
    const struct { const wchar_t* path; bool keeps; } names[] = {
        {L"C:\\a\\b.txt", true}, {L"C:\\a.\\b", false}, {L"C:\\a\\b ", false},
        {L"C:\\con", false}, {L"C:\\d\\Aux.txt", false}, {L"C:\\COM1", false},
        {L"C:\\lpt9.log", false}, {L"C:\\nul .txt", false}, {L"C:\\COM", true},
        {L"C:\\com10", true}, {L"C:\\console", true}, {L"C:\\LPT0", true}, {L"C:\\.env", true},
        {L"\\\\server\\share\\x", true}, {L"\\\\server\\share\\prn", false},
    };
    // clang-format on
    for (const auto& c : names) {
        EXPECT_EQ(KeepsItsNames(c.path), c.keeps) << c.path;
    }
}

TEST(Paths, CaseTableIsTheCLibrarys) {
    // Every UTF-16 unit against the simple upper case of glibc 2.36 (another
    // knows another Unicode), but for no letter beyond ASCII becoming ASCII.
    if (std::string(gnu_get_libc_version()) != "2.36")
        GTEST_SKIP() << "table from glibc 2.36";
    ASSERT_TRUE(std::setlocale(LC_ALL, "C.UTF-8")) << "every Debian has C.UTF-8";
    for (wchar_t c = 0x80; c < 0x10000; ++c) {
        const wchar_t upper = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
        EXPECT_EQ(UpperCase(c), upper < 0x80 || upper > 0xFFFF ? c : upper) << static_cast<int>(c);
    }
    std::setlocale(LC_ALL, "C");
}

TEST(Settings, TheNumberRule) {
    // clang-format off
    const struct { const wchar_t* text; int16_t value; } cases[] = {
        {L"", 0}, {L"1", 1}, {L"  7", 7}, {L"\t-3", -3}, {L"1.5", 2}, {L"2.5", 2}, {L"0.5", 0},
        {L"-2.5", -2}, {L"3.5x", 4}, {L".5", 0}, {L"1.", 1}, {L"+1", 1}, {L"+-1", 0},
        {L"  +1.5e0x", 2}, {L"25e-1", 2}, {L"1e", 1}, {L"1e+", 1}, {L"1e+-2", 1}, {L"1e2", 100},
        {L"0x10", 0}, {L"abc", 0}, {L"7 8", 7}, {L"- 1", 0}, {L".", 0}, {L"1e309", 32767},
        {L"-1e309", -32768}, {L"99999", 32767}, {L"-32769", -32768}, {L"32767.5", 32767},
        {L"1e-400", 0}, {L"inf", 0}, {L"１", 0},  // a full-width digit
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(RoundToInt16(ReadNumber(c.text)), c.value) << c.text;
    }
}

TEST(Arguments, TheCommandLineSplitIntoFoldersFilesAndMissingItems) {
    // clang-format off
    const struct { const wchar_t *commandLine, *arguments; } lines[] = {
        {L"Brisa.exe", L""},  {L"\"C:\\unclosed", L""},  {L"C:\\Brisa.exe\tC:\\a.txt", L"C:\\a.txt"},
        {L"\"C:\\My Tools\\Brisa.exe\" \"C:\\a b.txt\" C:\\c", L"\"C:\\a b.txt\" C:\\c"},
        {L"\"C:\\Brisa.exe\"  ", L" "},  {L"\"C:\\Brisa.exe\"C:\\a.txt", L"C:\\a.txt"},  // blanks: a run
    };
    // clang-format on
    for (const auto& c : lines) {
        EXPECT_EQ(ArgumentString(c.commandLine), c.arguments) << c.commandLine;
    }
    Machine m;
    for (const wchar_t* file : {L"C:\\a.txt", L"C:\\x.txt", L"C:\\My Documents\\a b.txt",
                                L"C:\\two  spaces.txt", L"C:\\trailing .txt ", L"C:\\Work\\r"}) {
        m.fs.Add(file);
    }
    m.fs.Add(L"D:\\data\\");
    // Files, folders and missing items, as sent: "files/folders/missing".
    // clang-format off
    const struct { const wchar_t *arguments, *sent; } cases[] = {
        {L"C:\\a.txt D:\\data D:\\", L"C:\\a.txt|/D:\\data|D:\\|/"},
        {L"\"C:\\My Documents\\a b.txt\" C:\\x.txt", L"C:\\My Documents\\a b.txt|C:\\x.txt|//"},
        {L"\"C:\\two  spaces.txt\" \"C:\\trailing .txt \"", L"C:\\two  spaces.txt|C:\\trailing .txt |//"},
        // Command lines the shell does not make each get a defined reading.
        {L"\"C:\\a.txt\" C:\\x.txt", L"C:\\a.txt|C:\\x.txt|//"},  // quotes, no space
        {L"C:\\a.txt  C:\\x.txt", L"C:\\a.txt|C:\\x.txt|//"},       // a doubled space
        {L"\"C:\\My Documents\\a b.txt", L"C:\\My Documents\\a b.txt|//"},  // not closed
        {L"C:\\x.txt \"", L"C:\\x.txt|//"},
        {L"\"\" r", L"r|//"},  // relative: resolved against the current folder
        {L"C:\\no.txt \"C:\\no such\"", L"//C:\\no.txt|C:\\no such|"},
    };
    // clang-format on
    for (const auto& c : cases) {
        const SentItems items = SplitArgs(c.arguments, m.fs);
        EXPECT_EQ(Joined(items.files) + L"/" + Joined(items.folders) + L"/" + Joined(items.missing),
                  c.sent)
            << c.arguments;
    }
}

// The first cells of the first table after the line that starts with heading.
std::wstring FirstColumn(const std::wstring& heading) {
    std::ifstream in(std::filesystem::path(LARKSPUR_SOURCE_DIR) / "README.md");
    std::wstring cells;
    bool found = false;
    for (std::string line; std::getline(in, line) && (!found || cells.empty() || line[0] == '|');) {
        const std::wstring text(line.begin(), line.end());  // the names checked are ASCII
        found = found || text.rfind(heading, 0) == 0;
        cells += found && text[0] == L'|' ? text.substr(0, text.find(L'|', 1)) + L"|" : L"";
    }
    return cells;
}

TEST(Readme, NamesEverySettingsKeyUnderItsSection) {
    for (const SettingsKey& entry : kSettingsKeys) {
        const std::wstring section = SectionName(entry.section), key = KeyName(entry.key);
        EXPECT_NE(FirstColumn(L"Section `[" + section + L"]`").find(L"`" + key + L"`"),
                  std::wstring::npos)
            << ::testing::PrintToString(section + L"/" + key);
    }
}

// Where a key starts in UTF-16 bytes, as resources store keys.
template <class Bytes>
auto FindKey(Bytes& bytes, std::u16string_view key) {
    const auto* text = reinterpret_cast<const uint8_t*>(key.data());
    return std::search(bytes.begin(), bytes.end(), text, text + 2 * key.size());
}

// The version block in the .res file: it starts with its length, 6 bytes
// before its key.
std::vector<uint8_t> VersionResource() {
    std::ifstream in(LARKSPUR_BRISA_RES, std::ios::binary);
    const std::vector<uint8_t> res((std::istreambuf_iterator<char>(in)), {});
    const auto at = FindKey(res, u"VS_VERSION_INFO");
    return at - res.begin() < 6 ? std::vector<uint8_t>()
                                : std::vector<uint8_t>(at - 6, at - 6 + (at[-6] | at[-5] << 8));
}

// The version-information reader on the real block of res/Brisa.rc
// (compiled to a .res at build time), and on copies with one word changed
// or the end cut off, which give "" and read nothing outside the block.
TEST(VersionInfoString, ReadsTheProgramsBlockAndRejectsBrokenOnes) {
    const std::vector<uint8_t> real = VersionResource();
    ASSERT_FALSE(real.empty()) << LARKSPUR_BRISA_RES;
    // The word changed lies this many bytes after the key's start: -6 the
    // node's length, -4 its value's length. keep: the bytes kept, 0 all.
    // clang-format off
    const struct { std::u16string_view key; int at; uint16_t word; size_t keep; const wchar_t *name, *expected; }
        rows[] = {
        {u"", 0, 0, 0, L"ProductName", L"" LARKSPUR_PRODUCT_NAME}, {u"", 0, 0, 0, L"FileVersion", L"" LARKSPUR_FILE_VERSION},
        {u"", 0, 0, 0, L"productNAME", L"" LARKSPUR_PRODUCT_NAME}, {u"", 0, 0, 0, L"Product", L""},
        {u"", 0, 0, real.size() - 8, L"ProductName", L""},     // truncated
        {u"VS_VERSION_INFO", 0, 'X', 0, L"ProductName", L""},  // not a version block
        {u"ProductName", -6, 0x90, 0, L"ProductName", L""},    // past its table
        {u"ProductName", -4, 19, 0, L"ProductName", L""},      // value past the node
        {u"ProductName", -4, 5, 0, L"ProductName", L"Larks"},  // a value without its NUL
        {u"Translation", -6, 30, 0, L"ProductName", L""},      // ends before its value
        {u"VS_VERSION_INFO", -6, 2, 8, L"ProductName", L""},   // shorter than a header
        {u"Translation", 0, 'X', 0, L"ProductName", L""},      // no translation
        {u"Translation", -4, 2, 0, L"ProductName", L""},       // half an entry
        {u"Translation", 26, 0x0409, 0, L"ProductName", L""},  // a table that is not there
    };
    // clang-format on
    for (const auto& row : rows) {
        std::vector<uint8_t> edited = real;
        if (!row.key.empty()) {
            const auto key = FindKey(edited, row.key);
            ASSERT_NE(key, edited.end());
            key[row.at] = static_cast<uint8_t>(row.word);
            key[row.at + 1] = static_cast<uint8_t>(row.word >> 8);
        }
        // A copy of the exact size, so that a read past it is a sanitizer finding.
        const std::vector<uint8_t> block(edited.begin(),
                                         edited.begin() + (row.keep ? row.keep : edited.size()));
        EXPECT_EQ(VersionInfoString(block, row.name), row.expected) << &row - rows;
    }
}

}  // namespace
}  // namespace larkspur::testing
