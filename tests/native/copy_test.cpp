// Destinations, the shell request and the attribute pass.
#include <gtest/gtest.h>

#include "copy/copy.h"
#include "copy/sources.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

std::wstring Multi(std::initializer_list<std::wstring> paths) {
    std::wstring s;
    for (const auto& p : paths) {
        s += p;
        s.push_back(L'\0');
    }
    s.push_back(L'\0');
    return s;
}

class CopyTest : public ::testing::Test {
  protected:
    Machine m;
    void SetUp() override { m.fs.Folder(L"D:\\Out"); }
    // The argument splitting and the folder walks, as a run does them.
    void Collect(const std::wstring& arguments) {
        sources = CollectSources(m.platform, arguments, options.outputFolder);
    }
    int Copy(uint32_t flags) {
        verdict = CopyFiles(m.platform, sources.files, options, flags, FakeUi::kProgressHandle);
        if (!verdict.message.empty()) {
            m.log.push_back(L"message " + verdict.message);
        }
        return verdict.exitCode;
    }
    std::vector<std::wstring> Paths() const {
        std::vector<std::wstring> paths;
        for (const SourceFile& file : sources.files) {
            paths.push_back(file.path);
        }
        return paths;
    }
    CopyOptions options{L"D:\\Out\\", 0, false};
    Sources sources;
    Verdict verdict;
    uint32_t AttributesOf(const std::wstring& path) { return m.fs.Attributes(path); }
};

TEST_F(CopyTest, WorkedExample) {
    m.fs.File(L"C:\\Docs\\Proj\\x.txt");
    m.fs.File(L"C:\\Docs\\Proj\\Sub\\y.txt");
    m.fs.File(L"C:\\Docs\\a.txt");
    Collect(L"C:\\Docs\\Proj C:\\Docs\\a.txt");
    ASSERT_EQ(Paths(), (std::vector<std::wstring>{L"C:\\Docs\\a.txt", L"C:\\Docs\\Proj\\x.txt",
                                                  L"C:\\Docs\\Proj\\Sub\\y.txt"}));

    options.setAttributes = true;
    options.attributes = 1;
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitSuccess);

    EXPECT_EQ(m.shell.requests, 1);
    EXPECT_EQ(m.shell.lastFlags, 0x215u);
    EXPECT_EQ(m.shell.lastOwner, FakeUi::kProgressHandle);
    EXPECT_EQ(m.shell.lastFrom,
              Multi({L"C:\\Docs\\a.txt", L"C:\\Docs\\Proj\\x.txt", L"C:\\Docs\\Proj\\Sub\\y.txt"}));
    EXPECT_EQ(m.shell.lastTo,
              Multi({L"D:\\Out\\a.txt", L"D:\\Out\\Proj\\x.txt", L"D:\\Out\\Proj\\Sub\\y.txt"}));
    for (const wchar_t* copy :
         {L"D:\\Out\\a.txt", L"D:\\Out\\Proj\\x.txt", L"D:\\Out\\Proj\\Sub\\y.txt"}) {
        EXPECT_EQ(AttributesOf(copy), kAttrReadOnly) << copy;
    }
    EXPECT_EQ(AttributesOf(L"C:\\Docs\\Proj\\Sub\\y.txt"),
              kAttrArchive);  // the source is left alone
}

TEST_F(CopyTest, SetsExactlyTheChosenAttributes) {
    m.fs.File(L"C:\\Docs\\a.txt", kAttrArchive | kAttrSystem);
    struct Case {
        bool setAttributes;
        uint32_t attributes;
        uint32_t expected;
    } cases[] = {
        {true, 3, kAttrReadOnly | kAttrHidden},
        {true, 39, kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive},
        {true, 0, kAttrNormal},       // none: the platform's "normal"
        {true, 64 + 2, kAttrHidden},  // bits outside the set are never written
        {true, 0xFFFF, kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive},
        {false, 3, kAttrArchive | kAttrSystem},  // no pass: what the copy got stays
    };
    for (const Case& c : cases) {
        m.fs.Remove(L"D:\\Out\\a.txt");
        Collect(L"C:\\Docs\\a.txt");
        options.setAttributes = c.setAttributes;
        options.attributes = c.attributes;
        EXPECT_EQ(Copy(kSilentCopyFlags), kExitSuccess);
        EXPECT_EQ(AttributesOf(L"D:\\Out\\a.txt"), c.expected) << c.attributes;
    }
}

TEST_F(CopyTest, KeepsEachItemBelowItsOwnParent) {
    m.fs.Folder(L"C:\\Documents and Settings", L"DOCUME~1");
    m.fs.File(L"C:\\Documents and Settings\\Long name.txt", kAttrArchive, L"LONGNA~1.TXT");
    m.fs.File(L"C:\\Documents and Settings\\Proj\\in.txt");
    m.fs.File(L"C:\\Elsewhere\\Deeper\\other.txt");
    m.fs.File(L"C:\\Elsewhere\\Deeper\\Folder\\f.txt");
    m.fs.File(L"D:\\root.txt");
    m.fs.File(L"C:\\Work\\relative.txt");
    // Short forms, items from different folders (not something Send To
    // makes), a drive root's file and a relative name.
    Collect(
        L"C:\\DOCUME~1\\LONGNA~1.TXT C:\\docume~1\\proj C:\\Elsewhere\\Deeper\\other.txt "
        L"C:\\Elsewhere\\Deeper\\Folder D:\\root.txt relative.txt");
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitSuccess);
    EXPECT_EQ(m.shell.lastTo, Multi({L"D:\\Out\\Long name.txt", L"D:\\Out\\other.txt",
                                     L"D:\\Out\\root.txt", L"D:\\Out\\relative.txt",
                                     L"D:\\Out\\Proj\\in.txt", L"D:\\Out\\Folder\\f.txt"}));
}

TEST_F(CopyTest, ASentDriveRootCopiesItsFilesDirectlyIntoTheOutputFolder) {
    m.fs.File(L"D:\\r.txt");
    m.fs.File(L"D:\\Sub\\s.txt");
    options.outputFolder = L"C:\\Out\\";
    Collect(L"D:\\");
    EXPECT_EQ(Copy(kInteractiveCopyFlags), kExitSuccess);
    EXPECT_EQ(m.shell.lastTo, Multi({L"C:\\Out\\r.txt", L"C:\\Out\\Sub\\s.txt"}));
}

TEST_F(CopyTest, AFailedCopySaysAbortedAndSetsNoAttributes) {
    m.fs.File(L"C:\\Docs\\a.txt");
    Collect(L"C:\\Docs\\a.txt");
    options.setAttributes = true;
    options.attributes = 1;
    m.shell.outcome.result = 1026;
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitAborted);
    // The shell copied nothing: the message names the one missing copy.
    EXPECT_GE(m.Find(L"message Aborted!\r\n\r\nNot copied (1):\r\nD:\\Out\\a.txt"), 0);
    EXPECT_EQ(verdict.notCopied, (std::vector<std::wstring>{L"D:\\Out\\a.txt"}));
    EXPECT_EQ(m.fs.Find(L"D:\\Out\\a.txt"), nullptr);
}

TEST_F(CopyTest, PathsTooLongForTheShellStopTheRunBeforeAnyCopy) {
    const std::wstring longName(300, L'n');
    m.fs.File(L"C:\\Docs\\" + longName);
    m.fs.File(L"C:\\Docs\\short.txt");
    options.outputFolder = L"D:\\" + std::wstring(246, L'o') + L"\\";  // short.txt: 259
    Collect(L"C:\\Docs\\short.txt C:\\Docs\\" + longName);
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitBadInput);
    EXPECT_EQ(m.shell.requests, 0);
    const int message = m.Find(
        L"message These paths are too long for the copy (260 characters or more), so nothing was "
        L"copied:\r\nC:\\Docs\\" +
        longName + L"\r\nD:\\");
    ASSERT_GE(message, 0);
    EXPECT_EQ(m.log[message].find(L"short.txt"), std::wstring::npos);  // 259 characters still go
}

TEST_F(CopyTest, NothingToCopyMakesNoShellRequest) {
    m.fs.Folder(L"C:\\Empty\\Sub");
    Collect(L"C:\\Empty");
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitSuccess);
    EXPECT_EQ(m.shell.requests, 0);
}

TEST_F(CopyTest, FilesTheShellSkippedAreNamedAndTheRunFails) {
    m.fs.File(L"C:\\Docs\\a.txt");
    m.fs.File(L"C:\\Docs\\b.txt");
    Collect(L"C:\\Docs\\a.txt C:\\Docs\\b.txt");
    m.shell.outcome.anyOperationsAborted = true;
    m.shell.skip = {L"D:\\Out\\b.txt"};
    EXPECT_EQ(Copy(kInteractiveCopyFlags), kExitIncomplete);
    EXPECT_EQ(verdict.message,
              L"The copy did not complete: not every file was copied.\r\n\r\n"
              L"Not copied (1):\r\nD:\\Out\\b.txt");
}

TEST_F(CopyTest, CopiesThatDidNotGetTheirAttributesAreNamed) {
    for (int i = 0; i < 12; ++i) {
        m.fs.File(L"C:\\Docs\\Many\\f" + std::to_wstring(i));
        m.fs.failSetAttributes.insert(L"D:\\Out\\Many\\f" + std::to_wstring(i));
    }
    Collect(L"C:\\Docs\\Many");
    options.setAttributes = true;
    options.attributes = 2;
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitIncomplete);
    const int message = m.Find(
        L"message Some copies did not get their attributes.\r\n\r\n"
        L"Attributes not set (12):\r\nD:\\Out\\Many\\f0\r\n");
    ASSERT_GE(message, 0);
    EXPECT_NE(m.log[message].find(L"\r\n... and 2 more"), std::wstring::npos);
}

// A re-run over the program's own earlier copies: the platform's copy cannot
// replace a Read Only or Hidden file (the fake refuses as it does), so those
// bits come off first and the attribute pass gives the set again.
TEST_F(CopyTest, ARerunReplacesItsOwnReadOnlyHiddenSystemCopies) {
    m.fs.File(L"C:\\Docs\\a.txt").writeTime = 2;
    m.fs.File(L"D:\\Out\\a.txt", kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
    Collect(L"C:\\Docs\\a.txt");
    options.setAttributes = true;
    options.attributes = kAttrReadOnly | kAttrHidden | kAttrSystem;
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitSuccess);
    EXPECT_EQ(m.fs.WriteTime(L"D:\\Out\\a.txt"), 2u) << "replaced";
    EXPECT_EQ(AttributesOf(L"D:\\Out\\a.txt"), kAttrReadOnly | kAttrHidden | kAttrSystem);
}

// Without the attribute pass, a copy that was not replaced (the user said
// no, or the shell stopped first) keeps the attributes it had; a replaced
// one has what the copy gave it.
TEST_F(CopyTest, CopiesNotReplacedKeepTheirAttributes) {
    m.fs.File(L"C:\\Docs\\kept.txt").writeTime = 2;
    m.fs.File(L"C:\\Docs\\new.txt").writeTime = 2;
    m.fs.File(L"D:\\Out\\kept.txt", kAttrReadOnly | kAttrArchive);
    m.fs.File(L"D:\\Out\\new.txt", kAttrHidden | kAttrArchive);
    Collect(L"C:\\Docs\\kept.txt C:\\Docs\\new.txt");
    m.shell.skip = {L"D:\\Out\\kept.txt"};
    EXPECT_EQ(Copy(kInteractiveCopyFlags), kExitSuccess);
    EXPECT_EQ(AttributesOf(L"D:\\Out\\kept.txt"), kAttrReadOnly | kAttrArchive);
    EXPECT_EQ(AttributesOf(L"D:\\Out\\new.txt"), kAttrArchive);

    Collect(L"C:\\Docs\\kept.txt");
    m.shell.outcome.result = 1223;  // cancelled before anything was copied
    EXPECT_EQ(Copy(kInteractiveCopyFlags), kExitAborted);
    EXPECT_EQ(AttributesOf(L"D:\\Out\\kept.txt"), kAttrReadOnly | kAttrArchive);
}

TEST_F(CopyTest, FilesThatWouldBeCopiedOntoThemselvesStopTheRun) {
    m.fs.File(L"D:\\Out\\a.txt");
    m.fs.File(L"D:\\Out\\Proj\\x.txt");
    m.fs.currentFolder = L"D:\\Out";
    options.outputFolder = L"d:\\OUT\\";  // another spelling of the same folder
    Collect(L"a.txt D:\\Out\\Proj");
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitBadInput);
    EXPECT_EQ(m.shell.requests, 0);
    EXPECT_EQ(verdict.message,
              L"The output folder is the folder these files are in, so nothing "
              L"was copied:\r\nD:\\Out\\a.txt\r\nD:\\Out\\Proj\\x.txt");
}

// Items of one name from different folders (a search's results can send
// them) would land on one copy, the later replacing the earlier: the run
// names them and copies nothing. Case does not tell copies apart.
TEST_F(CopyTest, FilesThatWouldLandOnOneCopyStopTheRun) {
    m.fs.File(L"C:\\A\\x.txt");
    m.fs.File(L"C:\\B\\X.TXT");
    m.fs.File(L"C:\\A\\Sub\\y.txt");
    m.fs.File(L"C:\\B\\Sub\\y.txt");
    m.fs.File(L"C:\\B\\Sub\\z.txt");
    Collect(L"C:\\A\\x.txt C:\\B\\X.TXT C:\\A\\Sub C:\\B\\Sub");
    EXPECT_EQ(Copy(kSilentCopyFlags), kExitBadInput);
    EXPECT_EQ(m.shell.requests, 0);
    EXPECT_EQ(verdict.message,
              L"These files have the same name below the output folder, so "
              L"nothing was copied:\r\nC:\\A\\x.txt\r\nC:\\B\\X.TXT\r\n"
              L"C:\\A\\Sub\\y.txt\r\nC:\\B\\Sub\\y.txt");
}

}  // namespace
}  // namespace larkspur::testing
