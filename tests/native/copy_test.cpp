// From sent items to copies: the walk, the destinations, the refusals, the
// shell's copy and the own engine, judged by the files left and the verdict.
#include <gtest/gtest.h>

#include "copy/copy.h"
#include "copy/engine.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

using namespace std::string_literals;
constexpr uint32_t kRhs = kAttrReadOnly | kAttrHidden | kAttrSystem;

class CopyTest : public ::testing::Test {
  protected:
    Machine m;
    CopyOptions options{L"D:\\Out\\", 0, false};
    Sources sources;
    Verdict verdict;

    // The sent items collected and copied as a run does; the exit code.
    int Copy(const std::wstring& arguments, bool ownEngine = false) {
        sources = CollectSources(m.platform, arguments, options.outputFolder);
        verdict = CopyFiles(m.platform, sources.files, options,
                            {ownEngine, kSilentCopyFlags, Machine::kProgress});
        return sources.missing.empty() ? verdict.exitCode : -1;
    }
    std::wstring Landed() const {  // the destinations below the output folder
        std::wstring text;
        for (const std::wstring& to : Destinations(sources.files, options.outputFolder)) {
            text += to.substr(options.outputFolder.size()) + L"|";
        }
        return text;
    }
};

TEST_F(CopyTest, EachFileLandsBelowTheFolderThatHoldsItsItem) {
    m.fs.Add(L"C:\\Documents and Settings\\", 0, L"DOCUME~1");
    m.fs.Add(L"C:\\Documents and Settings\\Long name.txt", kAttrArchive, L"LONGNA~1.TXT");
    for (const wchar_t* file :
         {L"C:\\Docs\\Proj\\x.txt", L"C:\\Docs\\Proj\\Sub\\y.txt", L"C:\\Docs\\Proj\\a.txt",
          L"C:\\Docs\\a.txt", L"C:\\Work\\rel", L"E:\\r.txt", L"E:\\Sub\\s.txt"}) {
        m.fs.Add(file);
    }
    m.fs.Add(L"C:\\Docs\\Proj\\Hid\\h.sys", kAttrHidden | kAttrSystem);
    m.fs.Add(L"C:\\Docs\\Proj\\Empty\\Deeper\\");
    // clang-format off
    const struct { const wchar_t *arguments, *landed; } cases[] = {
        {L"C:\\Docs\\Proj C:\\Docs\\a.txt",  // a folder's files first, in listing order
            L"a.txt|Proj\\x.txt|Proj\\a.txt|Proj\\Sub\\y.txt|Proj\\Hid\\h.sys|"},
        // Short forms, relative names and items from different folders (not
        // what Send To makes) land under their stored names.
        {L"C:\\DOCUME~1\\LONGNA~1.TXT c:\\docs\\proj\\sub rel", L"Long name.txt|rel|Sub\\y.txt|"},
        {L"E:\\", L"r.txt|Sub\\s.txt|"},  // a drive root's files land directly
        {L"C:\\Docs\\Proj\\Empty", L""},
    };
    // clang-format on
    for (const auto& c : cases) {
        sources = CollectSources(m.platform, c.arguments, options.outputFolder);
        EXPECT_EQ(Landed(), c.landed) << c.arguments;
    }
    m.fs.nameQueries = 0;
    sources = CollectSources(m.platform, L"C:\\Docs\\Proj", options.outputFolder);
    EXPECT_EQ(m.fs.nameQueries, 3) << "Docs, Proj and Out; the walk asks no name per file";
    EXPECT_GT(m.yields, 8) << "the window system gets a turn per entry";
}

TEST_F(CopyTest, TheWalkSkipsTheOutputFolderAndNamesWhatItCannotRead) {
    for (const wchar_t* file : {L"C:\\Docs\\a.txt", L"C:\\Docs\\Out\\Docs\\a.txt",
                                L"C:\\Docs\\Outer\\b.txt", L"C:\\Docs\\Locked\\secret.txt"}) {
        m.fs.Add(file);
    }
    m.fs.unreadable.insert(L"C:\\Docs\\Locked\\");
    sources = CollectSources(m.platform, L"C:\\Docs", L"c:\\docs\\out\\");
    options.outputFolder = L"c:\\docs\\out\\";
    EXPECT_EQ(Landed(), L"Docs\\a.txt|Docs\\Outer\\b.txt|") << "an earlier run's copies stay out";
    // A device path is walked as sent, not taken apart at its ":\"; the
    // fake cannot list it, so it is named under that same path.
    CollectFiles(m.platform, L"\\\\?\\C:\\Docs\\", L"", sources);
    EXPECT_EQ(sources.missing,
              (std::vector<std::wstring>{L"C:\\Docs\\Locked", L"\\\\?\\C:\\Docs"}));
}

// What stops a run with nothing copied; the message names the paths.
TEST_F(CopyTest, RefusalsBeforeTheCopyTouchNothing) {
    const std::wstring n259 = L"C:\\Docs\\" + std::wstring(251, L'n'), n260 = n259 + L"n";
    const std::wstring o253 = L"D:\\" + std::wstring(249, L'o') + L"\\";
    for (const std::wstring& file :
         {n259, n260, L"D:\\Out\\a.txt"s, L"D:\\Out\\Proj\\x.txt"s, L"C:\\A\\x.txt"s,
          L"C:\\B\\X.TXT"s, L"C:\\A\\Sub\\y.txt"s, L"C:\\B\\Sub\\y.txt"s}) {
        m.fs.Add(file);
    }
    const std::wstring tooLong = L"These paths are too long for the copy (260 characters or more)";
    const struct {
        std::wstring output, arguments, message;
    } cases[] = {
        {L"D:\\O\\", n259 + L" " + n260, tooLong + L", so nothing was copied:\r\n" + n260},
        {o253, L"C:\\A\\x.txt C:\\A\\Sub",  // landing at 258 and 262 characters
         tooLong + L", so nothing was copied:\r\n" + o253 + L"Sub\\y.txt"},
        {L"d:\\OUT\\", L"D:\\Out\\a.txt D:\\Out\\Proj",  // another spelling of the folder
         L"The output folder is the folder these files are in, so nothing was copied:"
         L"\r\nD:\\Out\\a.txt\r\nD:\\Out\\Proj\\x.txt"},
        {L"D:\\Out\\", L"C:\\A\\x.txt C:\\B\\X.TXT C:\\A\\Sub C:\\B\\Sub",  // case tells nothing
         L"These files have the same name below the output folder, so nothing was copied:"
         L"\r\nC:\\A\\x.txt\r\nC:\\B\\X.TXT\r\nC:\\A\\Sub\\y.txt\r\nC:\\B\\Sub\\y.txt"},
    };
    for (const auto& c : cases) {
        options.outputFolder = c.output;
        EXPECT_EQ(Copy(c.arguments), kExitBadInput);
        EXPECT_EQ(verdict.message, c.message);
    }
    EXPECT_EQ(m.log, Log{}) << "no copy asked for";
    EXPECT_EQ(Copy(n260, /*ownEngine=*/true), kExitSuccess) << "the engine takes long paths";
    EXPECT_EQ(
        MissingItems({L"C:\\x", L"C:\\y"}).message,
        L"These items do not exist or cannot be read, so nothing was copied:\r\nC:\\x\r\nC:\\y");
}

// The shell stops, skips or is refused; what it did not copy is named, and
// a copy it did not replace keeps the attributes it had.
TEST_F(CopyTest, TheShellsFailuresAreNamedAndLoseNoAttributes) {
    m.fs.Add(L"C:\\Docs\\a.txt").writeTime = 2;
    m.fs.Add(L"C:\\Docs\\b.txt").writeTime = 2;
    for (int i = 0; i < 12; ++i) {
        m.fs.Add(L"C:\\Docs\\Many\\f" + std::to_wstring(i));
        m.fs.failSetAttributes.insert(L"D:\\Out\\Many\\f" + std::to_wstring(i));
    }
    m.fs.Add(L"D:\\Out\\b.txt", kAttrReadOnly | kAttrArchive);
    options = {L"D:\\Out\\", kAttrHidden, true};
    m.outcome.result = 1223;  // cancelled before anything was copied
    EXPECT_EQ(Copy(L"C:\\Docs\\a.txt C:\\Docs\\b.txt"), kExitAborted);
    EXPECT_EQ(verdict.message, L"Aborted!\r\n\r\nNot copied (1):\r\nD:\\Out\\a.txt");
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\b.txt"), kAttrReadOnly | kAttrArchive);

    m.outcome = {0, true};  // "success", but b.txt was skipped
    m.skip = {L"D:\\Out\\b.txt"};
    options.setAttributes = false;
    EXPECT_EQ(Copy(L"C:\\Docs\\a.txt C:\\Docs\\b.txt"), kExitIncomplete);
    EXPECT_EQ(verdict.message, L"The copy did not complete: not every file was copied.");
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\b.txt"), kAttrReadOnly | kAttrArchive);
    EXPECT_EQ(m.fs.WriteTime(L"D:\\Out\\a.txt"), 2u);

    m.outcome = {};
    m.skip.clear();
    options.setAttributes = true;
    EXPECT_EQ(Copy(L"C:\\Docs\\Many C:\\Docs\\b.txt"), kExitIncomplete);
    EXPECT_EQ(verdict.message.rfind(L"Some copies did not get their attributes.\r\n\r\n"
                                    L"Attributes not set (12):\r\nD:\\Out\\Many\\f0\r\n",
                                    0),
              0u);
    EXPECT_NE(verdict.message.find(L"\r\n... and 2 more"), std::wstring::npos);
    EXPECT_EQ(m.fs.WriteTime(L"D:\\Out\\b.txt"), 2u) << "its Read Only copy replaced";
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\b.txt"), kAttrHidden);
}

// The engine: folders first, parents before children and each once; its own
// R+H+S copies replaced; a failure on one file does not stop the others,
// and the verdict names it; open windows hear of it once.
TEST_F(CopyTest, TheEngineCopiesWhatItCanAndNamesTheRest) {
    for (const wchar_t* file :
         {L"C:\\Docs\\Proj\\a.txt", L"C:\\Docs\\Proj\\Sub\\b.txt",
          L"C:\\Docs\\Proj\\Sub\\Deeper\\c.txt", L"C:\\Docs\\Proj\\Sub\\locked.txt",
          L"C:\\Docs\\Proj\\Other\\d.txt"}) {
        m.fs.Add(file).writeTime = 2;
    }
    m.fs.failCopy.insert(L"C:\\Docs\\Proj\\Sub\\locked.txt");
    options = {L"D:\\Out\\New\\", kRhs, true};
    EXPECT_EQ(Copy(L"C:\\Docs\\Proj", true), kExitIncomplete);
    EXPECT_EQ(verdict.message,
              L"The copy did not complete: not every file was copied.\r\n\r\nNot copied (1):"
              L"\r\nD:\\Out\\New\\Proj\\Sub\\locked.txt");
    EXPECT_EQ(m.log,
              (Log{L"mkdir D:\\Out", L"mkdir D:\\Out\\New", L"mkdir D:\\Out\\New\\Proj",
                   L"mkdir D:\\Out\\New\\Proj\\Sub", L"mkdir D:\\Out\\New\\Proj\\Sub\\Deeper",
                   L"mkdir D:\\Out\\New\\Proj\\Other", L"notify D:\\Out\\New\\"}));
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\New\\Proj\\Sub\\Deeper\\c.txt"), kRhs);

    // A re-run over its own R+H+S copies replaces them, on two threads as
    // on one; a copy it cannot make keeps what it had.
    m.fs.failCopy = {L"C:\\Docs\\Proj\\a.txt"};
    m.fs.Add(L"C:\\Docs\\Proj\\Sub\\b.txt").writeTime = 3;
    const std::vector<SourceFile> files =
        CollectSources(m.platform, L"C:\\Docs\\Proj", options.outputFolder).files;
    verdict =
        CopyWithEngine(m.platform, files, Destinations(files, options.outputFolder), options, 2);
    EXPECT_EQ(verdict.notCopied, std::vector<std::wstring>{L"D:\\Out\\New\\Proj\\a.txt"});
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\New\\Proj\\a.txt"), kRhs);
    EXPECT_EQ(m.fs.WriteTime(L"D:\\Out\\New\\Proj\\Sub\\b.txt"), 3u);
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\New\\Proj\\Sub\\b.txt"), kRhs);
}

}  // namespace
}  // namespace larkspur::testing
