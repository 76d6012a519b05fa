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
        const std::vector<std::wstring> to = Destinations(sources.files, options.outputFolder);
        verdict = CheckBeforeCopy(m.fs, sources.files, to, options.outputFolder, !ownEngine);
        if (verdict.Succeeded()) {
            verdict = CopyFiles(m.platform, sources.files, to, options,
                                {ownEngine, ShellCopyMode::kSilent, Machine::kProgress});
        }
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

// Where each file lands: below the folder that holds its item, a folder's
// files first in listing order, short and relative spellings by their stored
// names. The walk enters each folder once whatever leads to it and never the
// output folder however it is spelled (F: is another way to C: here); a link
// back into a folder it lies in is named; an item sent twice counts once.
TEST_F(CopyTest, EachFileLandsOnceBelowTheFolderThatHoldsItsItem) {
    m.fs.Add(L"C:\\Documents and Settings\\", 0, L"DOCUME~1");
    m.fs.Add(L"C:\\Documents and Settings\\Long name.txt", kAttrArchive, L"LONGNA~1.TXT");
    for (const wchar_t* file :
         {L"C:\\Docs\\Proj\\x.txt", L"C:\\Docs\\Proj\\Sub\\y.txt", L"C:\\Docs\\Proj\\a.txt",
          L"C:\\Docs\\a.txt", L"C:\\Work\\rel", L"E:\\r.txt", L"E:\\Sub\\s.txt", L"C:\\T\\a.txt",
          L"C:\\T\\Out\\T\\a.txt", L"C:\\T\\Outer\\b.txt", L"C:\\T\\Locked\\secret.txt",
          L"C:\\T\\x", L"C:\\T\\x.", L"C:\\T\\Sub\\c.txt"}) {
        m.fs.Add(file);
    }
    m.fs.Add(L"C:\\Docs\\Proj\\Hid\\h.sys", kAttrHidden | kAttrSystem);
    m.fs.Add(L"C:\\Docs\\Proj\\Empty\\Deeper\\");
    m.fs.unreadable.insert(L"C:\\T\\Locked\\");
    m.fs.AddLink(L"C:\\T\\Sub\\Loop", L"C:\\T");
    m.fs.AddLink(L"C:\\T\\Again", L"C:\\T\\Outer");
    m.fs.AddLink(L"F:", L"C:\\");
    const wchar_t* tree = L"T\\a.txt|T\\x|T\\x.|T\\Outer\\b.txt|T\\Sub\\c.txt|";
    // clang-format off
    const struct { const wchar_t *arguments, *output, *landed; } cases[] = {
        {L"C:\\Docs\\Proj C:\\Docs\\a.txt", L"D:\\Out\\",  // a folder's files first
            L"a.txt|Proj\\x.txt|Proj\\a.txt|Proj\\Sub\\y.txt|Proj\\Hid\\h.sys|"},
        // Short forms, relative names, items from different folders.
        {L"C:\\DOCUME~1\\LONGNA~1.TXT c:\\docs\\proj\\sub rel", L"D:\\Out\\",
            L"Long name.txt|rel|Sub\\y.txt|"},
        {L"E:\\", L"D:\\Out\\", L"r.txt|Sub\\s.txt|"},  // a drive root's files land directly
        {L"C:\\Docs\\Proj\\Empty", L"D:\\Out\\", L""},
        {L"C:\\T", L"c:\\t\\out\\", tree}, {L"C:\\T", L"F:\\T\\Out\\", tree},
        {L"C:\\T\\Out \"F:\\T\\Outer\\b.txt\" c:\\t\\outer\\B.TXT", L"C:\\T\\Out\\", L"b.txt|"},
    };
    // clang-format on
    for (const auto& c : cases) {
        sources = CollectSources(m.platform, c.arguments, options.outputFolder = c.output);
        EXPECT_EQ(Landed(), c.landed) << c.arguments << " " << c.output;
    }
    m.fs.nameQueries = m.fs.identityQueries = 0;
    sources = CollectSources(m.platform, L"C:\\Docs\\Proj", options.outputFolder = L"D:\\Out\\");
    EXPECT_EQ(m.fs.nameQueries, 3) << "Docs, Proj and Out; the walk asks no name per file";
    EXPECT_EQ(m.fs.identityQueries, 2) << "Out and Proj: no folder's identity without a link";
    EXPECT_GT(m.yields, 8) << "the window system gets a turn per entry";
    sources = CollectSources(m.platform, L"C:\\T", L"C:\\T\\Out\\");
    EXPECT_EQ(sources.missing, std::vector<std::wstring>{L"C:\\T\\Locked"});
    EXPECT_EQ(sources.skipped, (std::vector<Miss>{{L"C:\\T\\Sub\\Loop", kErrorLinkLoop}}));
    m.fs.failCopy.insert(L"C:\\T\\a.txt");  // a sent file another program holds
    sources = CollectSources(m.platform, L"C:\\T\\a.txt C:\\DOCUME~1\\LONGNA~1.TXT", L"D:\\Out\\");
    EXPECT_EQ(sources.missing, std::vector<std::wstring>{L"C:\\T\\a.txt"});
    EXPECT_EQ(sources.files[0].path, L"C:\\Documents and Settings\\Long name.txt");  // as listed
}

// What stops a run with nothing copied; the message names the paths.
TEST_F(CopyTest, RefusalsBeforeTheCopyTouchNothing) {
    const std::wstring n259 = L"C:\\Docs\\" + std::wstring(251, L'n'), n260 = n259 + L"n";
    const std::wstring o253 = L"D:\\" + std::wstring(249, L'o') + L"\\";
    for (const std::wstring& file :
         {n259, n260, L"D:\\Out\\a.txt"s, L"D:\\Out\\Proj\\x.txt"s, L"C:\\A\\x.txt"s,
          L"C:\\B\\X.TXT"s, L"C:\\A\\Sub\\y.txt"s, L"C:\\B\\Sub\\y.txt"s, L"C:\\A\\Résumé.txt"s,
          L"C:\\B\\RÉSUMÉ.txt"s, L"C:\\D\\x."s, L"C:\\D\\aux.txt"s, L"C:\\s17\\Report"s,
          L"D:\\Out\\Report\\"s, L"C:\\K\\Kit\\k.txt"s, L"D:\\Out\\Kit"s}) {
        m.fs.Add(file);
    }
    const std::wstring tooLong = L"These paths are too long for the copy (260 characters or more)";
    const struct {
        std::wstring output, arguments, message;
    } cases[] = {
        {L"D:\\O\\", n260 + L" " + n259, tooLong + L", so nothing was copied:\r\n" + n260},
        {o253, L"C:\\A\\x.txt C:\\A\\Sub",  // landing at 258 and 262 characters
         tooLong + L", so nothing was copied:\r\n" + o253 + L"Sub\\y.txt"},
        {L"d:\\OUT\\", L"D:\\Out\\a.txt D:\\Out\\Proj",  // another spelling of the folder
         L"The output folder is the folder these files are in, so nothing was copied:"
         L"\r\nD:\\Out\\a.txt\r\nD:\\Out\\Proj\\x.txt"},
        {L"D:\\Out\\", L"C:\\A\\x.txt C:\\B\\X.TXT C:\\A\\Sub C:\\B\\Sub",  // case tells nothing
         L"These files have the same name below the output folder, so nothing was copied:"
         L"\r\nC:\\A\\x.txt\r\nC:\\B\\X.TXT\r\nC:\\A\\Sub\\y.txt\r\nC:\\B\\Sub\\y.txt"},
        {L"D:\\Out\\", L"C:\\A\\Résumé.txt C:\\B\\RÉSUMÉ.txt",  // nor does it beyond ASCII
         L"These files have the same name below the output folder, so nothing was copied:"
         L"\r\nC:\\A\\Résumé.txt\r\nC:\\B\\RÉSUMÉ.txt"},
        {L"D:\\Out\\", L"C:\\D",
         L"Windows' copy would change these names (a name that ends in a "
         L"dot or a space, or a device name such as CON), so nothing was copied:\r\nC:\\D\\x."
         L"\r\nD:\\Out\\D\\x.\r\nC:\\D\\aux.txt\r\nD:\\Out\\D\\aux.txt"},
        {L"D:\\Out\\", L"C:\\s17\\Report C:\\K\\Kit",
         L"A file and a folder of the same name "
         L"would meet in the output folder, so nothing was "
         L"copied:\r\nD:\\Out\\Report\r\nD:\\Out\\Kit"},
    };
    for (const auto& c : cases) {
        options.outputFolder = c.output;
        EXPECT_EQ(Copy(c.arguments), kExitBadInput);
        EXPECT_EQ(verdict.message, c.message);
    }
    EXPECT_EQ(m.log, Log{}) << "no copy asked for";
    EXPECT_EQ(Copy(n260 + L" C:\\D", /*ownEngine=*/true), kExitSuccess)
        << "the engine takes long paths and whole names";
    options.outputFolder = L"D:\\Gone\\";  // an output folder that is not there holds nothing
    EXPECT_EQ(Copy(L"D:\\Out\\Proj"), kExitSuccess);
    EXPECT_EQ(
        MissingItems({L"C:\\x", L"C:\\y"}).message,
        L"These items do not exist or cannot be read, so nothing was copied:\r\nC:\\x\r\nC:\\y");
}

// The shell stops, skips, is refused or fills the drive: what is missing,
// half-written or kept is named with its reason; a kept file keeps its bits.
TEST_F(CopyTest, TheShellsFailuresAreNamedAndLoseNoAttributes) {
    m.fs.Add(L"C:\\Docs\\a.txt").writeTime = 2;
    m.fs.Add(L"C:\\Docs\\b.txt").writeTime = 2;
    for (int i = 0; i < 12; ++i) {
        m.fs.Add(L"C:\\Docs\\Many\\f" + std::to_wstring(i));
        m.fs.dropping[L"D:\\Out\\Many\\f" + std::to_wstring(i)] = kAttrHidden;
    }
    m.fs.Add(L"D:\\Out\\b.txt", kAttrReadOnly | kAttrArchive);
    options = {L"D:\\Out\\", kAttrHidden, true};
    m.outcome.result = 1223;  // cancelled before anything was copied
    EXPECT_EQ(Copy(L"C:\\Docs\\a.txt C:\\Docs\\b.txt"), kExitAborted);
    EXPECT_EQ(verdict.message,
              L"Aborted!\r\n\r\nNot copied (2):\r\nThe copy is missing.\r\n"
              L"  D:\\Out\\a.txt\r\nThe file already there was kept.\r\n"
              L"  D:\\Out\\b.txt");
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\b.txt"), kAttrReadOnly | kAttrArchive);

    for (const bool attributes : {false, true}) {  // b.txt skipped: "No" to replacing it
        m.outcome = {0, true};
        m.skip = {L"D:\\Out\\b.txt"};
        options.setAttributes = attributes;
        EXPECT_EQ(Copy(L"C:\\Docs\\a.txt C:\\Docs\\b.txt"), kExitIncomplete);
        EXPECT_EQ(verdict.message,
                  L"The copy did not complete: not every file was copied.\r\n\r\n"
                  L"Not copied (1):\r\nThe file already there was kept.\r\n"
                  L"  D:\\Out\\b.txt");
        EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\b.txt"), kAttrReadOnly | kAttrArchive);
        EXPECT_EQ(m.fs.Info(L"D:\\Out\\a.txt").writeTime, 2u);
        EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\a.txt"), attributes ? kAttrHidden : kAttrArchive);
    }

    m.outcome = {};
    m.skip.clear();
    EXPECT_EQ(Copy(L"C:\\Docs\\Many C:\\Docs\\b.txt"), kExitIncomplete);
    EXPECT_EQ(verdict.message.rfind(L"Some copies did not get their attributes.\r\n\r\n"
                                    L"Attributes not set (12):\r\nThe drive did not keep the "
                                    L"attributes given to the copy.\r\n  D:\\Out\\Many\\f0\r\n",
                                    0),
              0u);
    EXPECT_NE(verdict.message.find(L"\r\n  D:\\Out\\Many\\f9\r\n... and 2 more"),
              std::wstring::npos);
    EXPECT_EQ(m.fs.Info(L"D:\\Out\\b.txt").writeTime, 2u) << "its Read Only copy replaced";
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\b.txt"), kAttrHidden);

    // A drive too small: the shell leaves half a copy, which is named.
    m.fs.Add(L"C:\\Docs\\big.bin").size = 6;
    m.fs.freeSpace[L'D'] = 4;
    m.outcome = {};
    EXPECT_EQ(Copy(L"C:\\Docs\\big.bin"), kExitAborted);
    EXPECT_EQ(verdict.message,
              L"Aborted!\r\n\r\nNot copied (1):\r\nThe copy is not the size of its file.\r\n"
              L"  D:\\Out\\big.bin");
    // Verified: what Windows' copy wrote is read back and compared.
    m.fs.freeSpace.clear();
    m.fs.corrupting.insert(L"C:\\Docs\\a.txt");
    options.verify = true;
    EXPECT_EQ(Copy(L"C:\\Docs\\a.txt C:\\Docs\\b.txt"), kExitIncomplete);
    EXPECT_EQ(verdict.notCopied, (std::vector<Miss>{{L"D:\\Out\\a.txt", kErrorCopyDiffers}}));
}

// The engine: folders first, parents first, each once; no query per file for
// what stands at the destinations; a failure named with its reason stops no
// other file, a full drive does; open windows hear of it once.
TEST_F(CopyTest, TheEngineCopiesWhatItCanAndNamesTheRest) {
    for (const wchar_t* file :
         {L"C:\\Docs\\Proj\\a.txt", L"C:\\Docs\\Proj\\Sub\\b.txt",
          L"C:\\Docs\\Proj\\Sub\\Deeper\\c.txt", L"C:\\Docs\\Proj\\Sub\\locked.txt",
          L"C:\\Docs\\Proj\\Other\\d.txt"}) {
        m.fs.Add(file).writeTime = 2;
    }
    m.fs.failCopy.insert(L"C:\\Docs\\Proj\\Sub\\locked.txt");
    options = {L"D:\\Out\\New\\", kRhs, true};
    sources = CollectSources(m.platform, L"C:\\Docs\\Proj", options.outputFolder);
    m.fs.infoQueries = 0;
    verdict = CopyFiles(m.platform, sources.files,
                        Destinations(sources.files, options.outputFolder), options, {true});
    EXPECT_EQ(verdict.message,
              L"The copy did not complete: not every file was copied.\r\n\r\nNot copied (1):"
              L"\r\nerror 32\r\n  D:\\Out\\New\\Proj\\Sub\\locked.txt");
    EXPECT_EQ(m.log,
              (Log{L"mkdir D:\\Out", L"mkdir D:\\Out\\New", L"mkdir D:\\Out\\New\\Proj",
                   L"mkdir D:\\Out\\New\\Proj\\Sub", L"mkdir D:\\Out\\New\\Proj\\Sub\\Deeper",
                   L"mkdir D:\\Out\\New\\Proj\\Other", L"notify D:\\Out\\New\\"}));
    EXPECT_EQ(m.fs.infoQueries, 2 + 4) << "the output folder's two parts, then a read-back a copy";
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\New\\Proj\\Sub\\Deeper\\c.txt"), kRhs);
    // Again: the listings show the folders there, none is made twice.
    m.log.clear();
    CopyFiles(m.platform, sources.files, Destinations(sources.files, options.outputFolder), options,
              {true});
    EXPECT_EQ(m.log, Log{L"notify D:\\Out\\New\\"});
    EXPECT_EQ(m.fs.foldersNotMade, 0);

    // Once the drive is full no file is started, also none that would fit.
    m.fs.Add(L"C:\\Docs\\Big\\big.bin").size = 8;
    m.fs.Add(L"C:\\Docs\\Big\\small.txt").size = 1;
    m.fs.freeSpace[L'D'] = 4;
    const std::vector<SourceFile> big =
        CollectSources(m.platform, L"C:\\Docs\\Big", options.outputFolder).files;
    verdict = CopyWithEngine(m.platform, big, Destinations(big, options.outputFolder), options, 1);
    EXPECT_EQ(verdict.notCopied,
              (std::vector<Miss>{{L"D:\\Out\\New\\Big\\big.bin", kErrorDiskFull},
                                 {L"D:\\Out\\New\\Big\\small.txt", kErrorDiskFull}}));
    EXPECT_FALSE(m.fs.Find(L"D:\\Out\\New\\Big\\small.txt"));
}

// A re-run over the engine's own R+H+S copy (content 1) of a changed source
// (content 2): only a whole new copy replaces it; attributes are read back.
TEST_F(CopyTest, AnEarlierCopyIsReplacedOnlyByAWholeNewOne) {
    const std::wstring from = L"C:\\Docs\\a.txt", to = L"D:\\Out\\a.txt";
    // clang-format off
    const struct { const wchar_t* why; void (*setUp)(MemFs&); bool verify; uint32_t asked;
                   const wchar_t* message; uint64_t content; uint32_t attributes; } rows[] = {
        {L"replaced", [](MemFs&) {}, false, kRhs, L"", 2, kRhs},
        {L"no room for a new copy beside the old one", [](MemFs& fs) { fs.freeSpace[L'D'] = 3; },
            false, kRhs, L"Not copied (1):\r\nerror 112", 1, kRhs},
        {L"the source changed", [](MemFs& fs) { fs.changing.insert(L"C:\\Docs\\a.txt"); }, false,
            kRhs, L"Not copied (1):\r\nThe file changed while it was copied.", 1, kRhs},
        {L"read back wrong", [](MemFs& fs) { fs.corrupting.insert(L"C:\\Docs\\a.txt"); }, true,
            kRhs, L"Not copied (1):\r\nRead back, the copy differs from its file.", 1, kRhs},
        {L"locked", [](MemFs& fs) { fs.failCopy.insert(L"C:\\Docs\\a.txt"); }, false, kRhs,
            L"Not copied (1):\r\nerror 32", 1, kRhs},
        {L"Hidden dropped", [](MemFs& fs) { fs.dropping[L"D:\\Out\\a.txt"] = kAttrHidden; }, false,
            kRhs, L"Attributes not set (1):\r\nThe drive did not keep the attributes given to the copy.",
            2, kAttrReadOnly | kAttrSystem},
        {L"Archive kept on every file", [](MemFs& fs) { fs.archiveSticks = true; }, false, 0, L"",
            2, kAttrArchive},
        {L"Archive kept, and Hidden dropped", [](MemFs& fs) {
            fs.archiveSticks = true; fs.dropping[L"D:\\Out\\a.txt"] = kAttrHidden; }, false, kRhs,
            L"Attributes not set (1):\r\nThe drive did not keep the attributes given to the copy.",
            2, kAttrReadOnly | kAttrSystem | kAttrArchive},
        {L"a folder in the way", [](MemFs& fs) {
            fs.Remove(L"D:\\Out\\a.txt"); fs.Add(L"D:\\Out\\a.txt\\"); }, false, kRhs,
            L"Not copied (1):\r\nA folder of the same name stands where the copy goes.", 0, kAttrDirectory},
    };
    // clang-format on
    for (const auto& row : rows) {
        Machine machine;
        MemFs::Node& source = machine.fs.Add(from);
        source.size = 4, source.content = 2, source.writeTime = 2;
        MemFs::Node& old = machine.fs.Add(to, kRhs);
        old.size = 4, old.content = 1;
        row.setUp(machine.fs);
        const std::vector<SourceFile> files = {{from, 8}};
        const Verdict v = CopyWithEngine(machine.platform, files, {to},
                                         {L"D:\\Out\\", row.asked, true, row.verify}, 2);
        const std::wstring& message = v.message;
        EXPECT_EQ(message.substr(std::min(message.size(), message.find(L"\r\n\r\n") + 4)),
                  row.message + std::wstring(*row.message ? L"\r\n  D:\\Out\\a.txt" : L""))
            << row.why;
        EXPECT_EQ(machine.fs.Find(to)->content, row.content) << row.why;
        EXPECT_EQ(machine.fs.Attributes(to), row.attributes) << row.why;
    }
}

}  // namespace
}  // namespace larkspur::testing
