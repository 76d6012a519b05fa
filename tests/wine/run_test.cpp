// Whole runs of Brisa.exe on real files, started as the shell starts a Send
// To target: a process whose command line is the program's path followed
// by the sent items.
//
// Wine facts relied on: Archive always reads as set on files, so only Read
// Only, Hidden and System are compared exactly; Hidden and System survive in
// the user.DOSATTRIB xattr. The headless prefix has no notification area, so
// adding the Silent Mode icon fails here: every Silent Mode run below also
// shows that a failed add does not stop the run.
#include <gtest/gtest.h>

#include <memory>

#include "support.h"

namespace larkspur::wine_test {
namespace {

constexpr DWORD kRhs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// One test's world: a private program folder, a source folder with the
// items to send, and an output folder path.
class RunTest : public InstallTest {
  protected:
    void SilentMode(const std::wstring& location, const wchar_t* force, const wchar_t* attributes,
                    const wchar_t* readOnly, const wchar_t* hidden, const wchar_t* system,
                    const wchar_t* archive) {
        install.Set(L"Silent", L"Use", L"1");
        install.Set(L"Silent", L"Location", location);
        install.Set(L"Silent", L"Force", force);
        install.Set(L"Silent", L"Attributes", attributes);
        install.Set(L"Silent", L"ReadOnly", readOnly);
        install.Set(L"Silent", L"Hidden", hidden);
        install.Set(L"Silent", L"System", system);
        install.Set(L"Silent", L"Archive", archive);
    }
};

TEST_F(RunTest, SilentModeCopiesTheWorkedExampleWithItsAttributes) {
    WriteText(docs + L"\\Proj\\x.txt", "x");
    WriteText(docs + L"\\Proj\\Sub\\y.txt", "y");
    WriteText(docs + L"\\a.txt", "a");
    WriteText(docs + L"\\not sent.txt", "n");
    SilentMode(out, L"0", L"1", L"1", L"1", L"0", L"0");
    CreateDirectoryW(out.c_str(), nullptr);

    const RunResult run = RunBrisa(install, docs + L"\\Proj " + docs + L"\\a.txt");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty()) << "Silent Mode ends without a message";
    EXPECT_EQ(FilesBelow(out),
              (std::vector<std::wstring>{L"Proj\\Sub\\y.txt", L"Proj\\x.txt", L"a.txt"}));
    for (const wchar_t* copy : {L"\\a.txt", L"\\Proj\\x.txt", L"\\Proj\\Sub\\y.txt"}) {
        EXPECT_EQ(Attributes(out + copy) & kRhs, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)
            << copy;
    }
    EXPECT_EQ(ReadText(out + L"\\Proj\\Sub\\y.txt"), "y");
    EXPECT_EQ(Attributes(docs + L"\\a.txt") & kRhs, 0u) << "the source is left alone";
}

TEST_F(RunTest, SilentModeSetsExactlyTheChosenSetAndNothingWhenOff) {
    struct Case {
        const wchar_t *attributes, *readOnly, *hidden, *system;
        DWORD sourceAttributes, expected;
    } cases[] = {
        {L"1", L"0", L"0", L"1", 0, FILE_ATTRIBUTE_SYSTEM},
        {L"1", L"0", L"0", L"0", FILE_ATTRIBUTE_HIDDEN, 0},  // attributes the copy had are cleared
        {L"0", L"1", L"1", L"1", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},  // no pass
    };
    for (const Case& c : cases) {
        RemoveTree(out);
        RemoveTree(docs);
        WriteText(docs + L"\\f.txt", "f");
        SetFileAttributesW((docs + L"\\f.txt").c_str(),
                           c.sourceAttributes | FILE_ATTRIBUTE_ARCHIVE);
        SilentMode(out, L"1", c.attributes, c.readOnly, c.hidden, c.system, L"1");
        const RunResult run = RunBrisa(install, docs + L"\\f.txt");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(Attributes(out + L"\\f.txt") & kRhs, c.expected)
            << c.attributes << c.readOnly << c.hidden << c.system;
    }
}

TEST_F(RunTest, QuotedPathsNonAnsiNamesAndHiddenFilesInsideFolders) {
    const std::wstring spaced = docs + L"\\two  spaces.txt";
    const std::wstring japanese = docs + L"\\写真 フォルダ";
    WriteText(spaced, "s");
    WriteText(japanese + L"\\日本語.txt", "j");
    WriteText(japanese + L"\\.dotfile", "d");
    WriteText(japanese + L"\\hidden.txt", "h");
    WriteText(japanese + L"\\Deep\\system.dat", "y");
    SetFileAttributesW((japanese + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((japanese + L"\\Deep\\system.dat").c_str(),
                       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    SilentMode(out, L"1", L"1", L"0", L"0", L"0", L"1");

    const RunResult run = RunBrisa(install, L"\"" + spaced + L"\" \"" + japanese + L"\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(FilesBelow(out), (std::vector<std::wstring>{
                                   L"two  spaces.txt", L"写真 フォルダ\\.dotfile",
                                   L"写真 フォルダ\\Deep\\system.dat", L"写真 フォルダ\\hidden.txt",
                                   L"写真 フォルダ\\日本語.txt"}));
    // Wine reads names that begin with a dot as hidden; every other copy
    // carries exactly the chosen set, whatever its source had.
    EXPECT_EQ(Attributes(out + L"\\写真 フォルダ\\Deep\\system.dat") & kRhs, 0u);
    EXPECT_EQ(Attributes(out + L"\\写真 フォルダ\\hidden.txt") & kRhs, 0u);
    EXPECT_EQ(ReadText(out + L"\\写真 フォルダ\\日本語.txt"), "j");
}

TEST_F(RunTest, ForceModeCreatesThreeMissingLevels) {
    WriteText(docs + L"\\a.txt", "a");
    const std::wstring deep = out + L"\\one\\two\\three";
    SilentMode(deep, L"1", L"0", L"0", L"0", L"0", L"0");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadText(deep + L"\\a.txt"), "a");
}

TEST_F(RunTest, ForceModeSaysSoWhenTheFolderCannotBeCreated) {
    WriteText(docs + L"\\a.txt", "a");
    WriteText(out, "a file where the output folder should be");
    SilentMode(out + L"\\sub", L"1", L"0", L"0", L"0", L"0", L"0");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt");
    EXPECT_EQ(run.exitCode, 5u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, L"Not to Create Folder");
    EXPECT_EQ(run.messages[0].title, L"Error");
}

TEST_F(RunTest, UseTwoDoesNothing) {
    WriteText(docs + L"\\a.txt", "a");
    SilentMode(out, L"1", L"0", L"0", L"0", L"0", L"0");
    install.Set(L"Silent", L"Use", L"2");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_FALSE(Exists(out));
}

TEST_F(RunTest, AFailingShellCopySaysAbortedAndSetsNoAttributes) {
    WriteText(docs + L"\\a.txt", "a");
    WriteText(out, "a file where the output folder should be");
    // Force 2: the folder is neither tested nor created, so the shell meets
    // the file in its way.
    SilentMode(out + L"\\sub", L"2", L"1", L"1", L"0", L"0", L"0");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt");
    EXPECT_EQ(run.exitCode, 2u);
    ASSERT_FALSE(run.messages.empty());
    EXPECT_EQ(run.messages.back().text,
              L"Aborted!\r\n\r\nNot copied (1):\r\n" + out + L"\\sub\\a.txt");
    EXPECT_EQ(run.messages.back().title, L"Larkspur Ver.1.52");
}

TEST_F(RunTest, MissingItemsAreNamedAndNothingIsCopied) {
    WriteText(docs + L"\\a.txt", "a");
    SilentMode(out, L"1", L"0", L"0", L"0", L"0", L"0");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt " + docs + L"\\gone.txt");
    EXPECT_EQ(run.exitCode, 4u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text,
              L"This item does not exist or cannot be read, so nothing was copied:\r\n" + docs +
                  L"\\gone.txt");
    EXPECT_TRUE(FilesBelow(out).empty());
}

// Wine's shell32 crashes on paths past MAX_PATH (the process then hangs in
// the debugger); Windows' refuses them. The run must say which and copy
// nothing.
TEST_F(RunTest, PathsTooLongForTheShellAreNamedAndNothingIsCopied) {
    std::wstring deep = docs + L"\\Deep";
    while (deep.size() < 280) {
        deep += L"\\a-rather-long-folder-name";
    }
    WriteText(deep + L"\\far.txt", "f");
    WriteText(docs + L"\\Deep\\near.txt", "n");
    SilentMode(out, L"1", L"1", L"1", L"0", L"0", L"0");
    const RunResult run = RunBrisa(install, docs + L"\\Deep");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 4u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text.rfind(L"These paths are too long for the copy (260 characters "
                                         L"or more), so nothing was copied:\r\n" +
                                             deep + L"\\far.txt",
                                         0),
              0u);
    EXPECT_FALSE(Exists(out + L"\\Deep\\near.txt"));
}

TEST_F(RunTest, OnlyEmptyFoldersSentCopiesNothingAndSucceeds) {
    CreateDirectoryW(docs.c_str(), nullptr);
    CreateDirectoryW((docs + L"\\Empty").c_str(), nullptr);
    CreateDirectoryW((docs + L"\\Empty\\Sub").c_str(), nullptr);
    SilentMode(out, L"1", L"1", L"1", L"0", L"0", L"0");
    const RunResult run = RunBrisa(install, docs + L"\\Empty");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(FilesBelow(out).empty());
    EXPECT_FALSE(Exists(out + L"\\Empty"));
}

TEST_F(RunTest, AnInteractiveRunCopiesIntoTheFolderOpenedInTheDialogThenSucceeds) {
    WriteText(docs + L"\\Proj\\x.txt", "x");
    // The process starts in its own folder, so the dialog opens there.
    bool progressGoneAtTheEnd = false;
    const WindowHandler dialog = OperateDialog(L"..\\Out", L"OK(&O)");
    const RunResult run = RunBrisa(install, docs + L"\\Proj", [&](const SeenWindow& w) {
        if (w.className == L"#32770") {
            HWND progress = FindWindowW(L"LarkspurForm2", nullptr);
            progressGoneAtTheEnd = !progress || !IsWindowVisible(progress);
        }
        return dialog(w);
    });
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].text, L"Succeeded!");
    EXPECT_EQ(run.messages[0].title, L"Larkspur Ver.1.52");
    EXPECT_TRUE(progressGoneAtTheEnd) << "the progress window goes before the message";
    EXPECT_EQ(ReadText(out + L"\\Proj\\x.txt"), "x");
    EXPECT_EQ(Attributes(out + L"\\Proj\\x.txt") & kRhs, 0u) << "the heading was off";
    wchar_t use[8] = {};
    GetPrivateProfileStringW(L"Setting", L"Use", L"?", use, 8, install.ini.c_str());
    EXPECT_STREQ(use, L"0") << "without Set Default OK writes only Use";
}

TEST_F(RunTest, AnInteractiveRunTakesItsRememberedFolderAndAttributes) {
    WriteText(docs + L"\\a.txt", "a");
    CreateDirectoryW(out.c_str(), nullptr);
    install.Set(L"Setting", L"Use", L"1");
    install.Set(L"Setting", L"Location", out);
    install.Set(L"Setting", L"Attributes", L"1");
    install.Set(L"Setting", L"ReadOnly", L"1");
    install.Set(L"Setting", L"Hidden", L"0");
    install.Set(L"Setting", L"System", L"2");  // greyed by hand: on, with its weight once
    install.Set(L"Setting", L"Archive", L"1");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt", OperateDialog(L"", L"OK(&O)"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.SawMessage(L"Succeeded!"));
    EXPECT_EQ(Attributes(out + L"\\a.txt") & kRhs, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
}

TEST_F(RunTest, CancelInTheDialogCopiesNothing) {
    WriteText(docs + L"\\a.txt", "a");
    CreateDirectoryW(out.c_str(), nullptr);
    const RunResult run = RunBrisa(install, docs + L"\\a.txt", OperateDialog(L"", L"Cancel(&C)"));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_TRUE(FilesBelow(out).empty());
    EXPECT_FALSE(Exists(install.ini)) << "Cancel writes nothing";
}

TEST_F(RunTest, SilentModeWithAMissingFolderAsksInItsOwnCaption) {
    WriteText(docs + L"\\a.txt", "a");
    CreateDirectoryW(out.c_str(), nullptr);
    SilentMode(root + L"\\Missing", L"0", L"1", L"0", L"1", L"0", L"0");
    std::wstring caption;
    // The dialog opens at the nearest existing part of the missing folder.
    const WindowHandler dialog = OperateDialog(L"Out", L"OK(&O)");
    const RunResult run = RunBrisa(install, docs + L"\\a.txt", [&](const SeenWindow& w) {
        if (w.className == L"LarkspurOutForm") {
            caption = w.title;
        }
        return dialog(w);
    });
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(caption, L"Silent:出力フォルダが見つかりません");
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(Attributes(out + L"\\a.txt") & kRhs, FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace
}  // namespace larkspur::wine_test
