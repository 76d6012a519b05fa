// AddBackslash, LongPath, NearestFolder.
#include <gtest/gtest.h>

#include "paths/paths.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

TEST(AddBackslash, AppendsOneUnlessThePathEndsInOne) {
    EXPECT_EQ(AddBackslash(L"C:\\Out"), L"C:\\Out\\");
    EXPECT_EQ(AddBackslash(L"C:\\Out\\"), L"C:\\Out\\");
    EXPECT_EQ(AddBackslash(L"C:\\Out\\\\"), L"C:\\Out\\\\");
    EXPECT_EQ(AddBackslash(L""), L"\\");
}

class LongPathTest : public ::testing::Test {
  protected:
    MemFs fs;
    void SetUp() override {
        fs.AddDrive(L'C');
        fs.Folder(L"C:\\Program Files", L"PROGRA~1");
        fs.File(L"C:\\Program Files\\Read me.txt", kAttrArchive, L"READ~1.TXT");
        fs.Folder(L"C:\\Data");
        fs.File(L"C:\\Data\\.hidden", kAttrHidden);
    }
};

TEST_F(LongPathTest, SpellsEveryComponentWithItsStoredName) {
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\PROGRA~1\\READ~1.TXT", L"C:\\Program Files\\Read me.txt"},
        {L"c:\\PROGRA~1", L"c:\\Program Files"},  // the drive letter keeps its case
        {L"C:\\DATA\\", L"C:\\Data"},             // the trailing backslash goes
        {L"C:\\data\\.HIDDEN", L"C:\\Data\\.hidden"},
        {L"C:\\", L"C:\\"},
        {L"C:\\a", L"C:\\a"},  // one character after the root: unchanged
        {L"\\\\server\\share\\x", L"\\\\server\\share\\x"},
        {L"relative\\x", L"relative\\x"},
        // ":\" past the start is no drive (found by fuzz_paths): left alone.
        {L"\\\\?\\C:\\PROGRA~1\\READ~1.TXT", L"\\\\?\\C:\\PROGRA~1\\READ~1.TXT"},
        {L"\\\\server\\share\\a:\\b", L"\\\\server\\share\\a:\\b"},
        {L"\\Q:\\Data", L"\\Q:\\Data"},
        {L"relative\\C:\\Data", L"relative\\C:\\Data"},
        {L"C:\\Data\\missing\\x.txt", L"C:\\Data\\\\"},  // missing parts read as empty names
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LongPath(fs, c.path), c.expected) << c.path;
    }
}

TEST(NearestFolder, TrimsOneCharacterAtATimeToAnExistingFolder) {
    MemFs fs;
    fs.AddDrive(L'C');
    fs.AddDrive(L'E', /*ready=*/false);
    fs.Folder(L"C:\\Data");
    fs.Folder(L"C:\\Other\\Su");
    struct Case {
        std::wstring path;
        std::wstring result;
        std::wstring pathAfter;
    } cases[] = {
        {L"C:\\Data", L"C:\\Data", L"C:\\Data"},
        {L"C:\\Data\\Sub\\Deep", L"C:\\Data\\", L"C:\\Data\\"},
        {L"C:\\Other\\Sub", L"C:\\Other\\Su", L"C:\\Other\\Su"},  // a sibling prefix
        {L"Q:\\Data", L"", L"Q:\\Data"},                          // no such drive
        {L"E:\\Data", L"", L"E:\\Data"},                          // not ready
        {L"C", L"", L""},                                         // nothing of it is a folder
    };
    for (Case& c : cases) {
        std::wstring path = c.path;
        EXPECT_EQ(NearestFolder(fs, path), c.result) << c.path;
        EXPECT_EQ(path, c.pathAfter) << c.path;
    }
}

}  // namespace
}  // namespace larkspur::testing
