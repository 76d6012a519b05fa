// The folder walk.
#include <gtest/gtest.h>

#include "copy/sources.h"
#include "fakes.h"
#include "paths/paths.h"

namespace larkspur::testing {
namespace {

class CollectTest : public ::testing::Test {
  protected:
    Machine m;
    Sources sources;
    std::wstring output;
    void Walk(const std::wstring& folder) { CollectFiles(m.platform, folder, output, sources); }
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> paths;
        for (const SourceFile& file : sources.files) {
            paths.push_back(file.path);
        }
        return paths;
    }
};

TEST_F(CollectTest, ListsAFoldersFilesBeforeItsSubfoldersDepthFirst) {
    m.fs.File(L"C:\\Top\\b.txt");
    m.fs.File(L"C:\\Top\\Sub\\c.txt");
    m.fs.File(L"C:\\Top\\Sub\\Deeper\\d.txt");
    m.fs.File(L"C:\\Top\\a.txt");  // listed after Sub: the listing order counts, not the name
    m.fs.File(L"C:\\Top\\Later\\e.txt");
    m.fs.File(L"C:\\Top\\hidden.txt", kAttrHidden);
    m.fs.File(L"C:\\Top\\system.sys", kAttrSystem | kAttrHidden);
    m.fs.File(L"C:\\Top\\Sub\\f.txt");
    m.fs.Folder(L"C:\\Top\\Hid").attributes = kAttrDirectory | kAttrHidden;
    m.fs.File(L"C:\\Top\\Hid\\g.txt");
    Walk(L"C:\\Top");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{
                           L"C:\\Top\\b.txt", L"C:\\Top\\a.txt", L"C:\\Top\\hidden.txt",
                           L"C:\\Top\\system.sys", L"C:\\Top\\Sub\\c.txt", L"C:\\Top\\Sub\\f.txt",
                           L"C:\\Top\\Sub\\Deeper\\d.txt", L"C:\\Top\\Later\\e.txt",
                           L"C:\\Top\\Hid\\g.txt"}));
    // "." and ".." are listed by every folder but never walked.
    EXPECT_EQ(m.fs.listCalls, 5);
    // Every entry, "." and ".." included, gives the window system a turn:
    // 7 + 3 + 1 + 1 + 1 entries and two dot entries in each of the 5 folders.
    EXPECT_EQ(m.ui.yields, 23);
}

TEST_F(CollectTest, SpellsPathsWithStoredNamesAndAsksNoNamePerFile) {
    m.fs.Folder(L"C:\\Documents and Settings", L"DOCUME~1");
    m.fs.File(L"C:\\Documents and Settings\\Long Name.txt", kAttrArchive, L"LONGNA~1.TXT");
    for (int i = 0; i < 50; ++i) {
        m.fs.File(L"C:\\Documents and Settings\\Sub\\f" + std::to_wstring(i));
    }
    Walk(L"c:\\docume~1\\");
    ASSERT_EQ(Files().size(), 51u);
    EXPECT_EQ(Files()[0], L"C:\\Documents and Settings\\Long Name.txt");
    EXPECT_EQ(Files()[50], L"C:\\Documents and Settings\\Sub\\f49");
    EXPECT_EQ(m.fs.nameQueries, 1);  // the sent folder's own long form, nothing per file
}

TEST_F(CollectTest, EmptyFoldersLeaveNothing) {
    m.fs.Folder(L"C:\\Empty\\A\\B");
    m.fs.Folder(L"C:\\Empty\\C");
    Walk(L"C:\\Empty");
    EXPECT_TRUE(Files().empty());
}

TEST_F(CollectTest, WalksATreeAThousandLevelsDeepWithoutRecursion) {
    // A file at every level: every one is found, level by level from the top.
    std::wstring path = L"C:\\Deep";
    std::vector<std::wstring> expected;
    for (int i = 0; i < 1000; ++i) {
        path += L"\\d";
        expected.push_back(path + L"\\f.txt");
        m.fs.File(expected.back());
    }
    Walk(L"C:\\Deep");
    EXPECT_EQ(Files(), expected);
    EXPECT_TRUE(sources.missing.empty());
}

// Sending the folder that holds the output folder copies every file once:
// the output folder, spelt however the settings spell it, is not walked.
TEST_F(CollectTest, AnOutputFolderInsideTheSentFolderIsNotWalked) {
    m.fs.File(L"C:\\Docs\\a.txt");
    m.fs.File(L"C:\\Docs\\Out\\Docs\\a.txt");  // an earlier run's copy
    m.fs.File(L"C:\\Docs\\Outer\\b.txt");
    output = LongFolder(m.fs, L"c:\\docs\\out\\");
    Walk(L"C:\\Docs");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"C:\\Docs\\a.txt", L"C:\\Docs\\Outer\\b.txt"}));
}

TEST_F(CollectTest, FoldersGoneOrUnreadableAreReportedNotSkipped) {
    m.fs.File(L"C:\\Parent\\sibling.txt");
    Walk(L"C:\\Parent\\Gone");  // not its parent instead
    m.fs.File(L"C:\\Top\\Locked\\secret.txt");
    m.fs.File(L"C:\\Top\\open.txt");
    m.fs.unreadable.insert(L"C:\\Top\\Locked\\");
    Walk(L"C:\\Top");
    EXPECT_EQ(Files(), std::vector<std::wstring>{L"C:\\Top\\open.txt"});
    EXPECT_EQ(sources.missing,
              (std::vector<std::wstring>{L"C:\\Parent\\Gone", L"C:\\Top\\Locked"}));
}

// A device path (\\?\C:\...) is walked under the path it was sent with, not
// taken apart as if the ":\" in it started a drive path (found by
// fuzz_paths). The fake knows no device paths, so here it cannot be listed
// and is reported, under that same path.
TEST_F(CollectTest, DevicePathsAreWalkedAsSent) {
    m.fs.File(L"C:\\Top\\a.txt");
    Walk(L"\\\\?\\C:\\Top\\");
    Walk(L"\\\\?\\C:\\Top");
    EXPECT_EQ(sources.missing, (std::vector<std::wstring>{L"\\\\?\\C:\\Top", L"\\\\?\\C:\\Top"}));
}

}  // namespace
}  // namespace larkspur::testing
