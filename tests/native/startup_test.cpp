// The courses of a process, as the run driver drives them.
#include <gtest/gtest.h>

#include "copy/verdict.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

class StartupTest : public ::testing::Test {
  protected:
    Machine m;
    void SetUp() override {
        m.fs.File(L"C:\\Docs\\a.txt");
        m.fs.File(L"C:\\Docs\\Proj\\x.txt");
        m.fs.Folder(L"D:\\Out");
    }
    void SilentMode(const std::wstring& location, const std::wstring& force = L"0") {
        m.Setting(L"Silent", L"Use", L"1");
        m.Setting(L"Silent", L"Location", location);
        m.Setting(L"Silent", L"Force", force);
    }
    bool Before(const std::wstring& a, const std::wstring& b) {
        const int i = m.Find(a), j = m.Find(b);
        return i >= 0 && j >= 0 && i < j;
    }
};

TEST_F(StartupTest, AnEmptyArgumentStringShowsTheSettingsWindowOnly) {
    EXPECT_EQ(m.Run(L""), kExitSuccess);
    EXPECT_EQ(m.log, (Log{L"settings window"}));
}

TEST_F(StartupTest, ASettingsWindowCancelledOrClosedEndsTheProgramAsCancelled) {
    m.ui.settingsSaved = false;
    EXPECT_EQ(m.Run(L""), kExitCancelled);
    EXPECT_EQ(m.log, (Log{L"settings window"}));
}

TEST_F(StartupTest, WithoutSettingsARunIsInteractive) {
    m.ui.dialog = [](const OutputFolderRequest&) {
        return CopyOptions{L"D:\\Out\\", kAttrReadOnly, true};
    };
    EXPECT_EQ(m.Run(L"C:\\Docs\\Proj C:\\Docs\\a.txt"), kExitSuccess);
    EXPECT_TRUE(Before(L"dialog", L"progress show"));
    EXPECT_TRUE(Before(L"progress show", L"copy 0x201"));
    EXPECT_TRUE(Before(L"copy 0x201", L"progress unload"));
    EXPECT_TRUE(Before(L"progress unload", L"message Succeeded! | 0x10040 | Larkspur Ver.1.52"));
    EXPECT_EQ(m.Find(L"tray"), -1);
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\Proj\\x.txt"), kAttrReadOnly);
    EXPECT_GT(m.ui.yields, 3);
}

TEST_F(StartupTest, CancellingTheDialogCopiesNothing) {
    m.ui.dialog = [](const OutputFolderRequest&) { return std::nullopt; };
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitCancelled);
    EXPECT_EQ(m.shell.requests, 0);
    EXPECT_EQ(m.Find(L"progress show"), -1);
    EXPECT_EQ(m.Find(L"message"), -1);
}

TEST_F(StartupTest, SilentModeCopiesWithTheSavedSettingsUnderItsIcon) {
    SilentMode(L"D:\\Out");
    m.Setting(L"Silent", L"Hidden", L"1");
    m.Setting(L"Silent", L"Archive", L"1");
    m.Setting(L"Silent", L"Attributes", L"1");
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitSuccess);
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\a.txt"), kAttrHidden | kAttrArchive);
    EXPECT_TRUE(Before(L"tray add", L"copy 0x215"));
    EXPECT_TRUE(Before(L"copy 0x215", L"tray remove"));
    EXPECT_EQ(m.Find(L"dialog"), -1);
    EXPECT_EQ(m.Find(L"message"), -1);
    EXPECT_EQ(m.Find(L"progress show"), -1);
    EXPECT_EQ(m.shell.trayOwner, FakeUi::kProgressHandle);
    EXPECT_EQ(m.shell.trayTip, L"Larkspur Ver.1.52");
    // The attribute keys are read in this order, after the icon is placed.
    EXPECT_TRUE(Before(L"tray add", L"read Silent/Hidden"));
    EXPECT_TRUE(Before(L"read Silent/Hidden", L"read Silent/System"));
    EXPECT_TRUE(Before(L"read Silent/System", L"read Silent/Archive"));
    EXPECT_TRUE(Before(L"read Silent/Archive", L"read Silent/ReadOnly"));
}

TEST_F(StartupTest, SilentModeCountsEachAttributeSettingOnce) {
    struct Case {
        const wchar_t *readOnly, *hidden, *system, *archive, *attributes;
        uint32_t expected;
    } cases[] = {
        {L"2", L"", L"", L"", L"1", kAttrReadOnly},       // greyed Read Only is not Hidden
        {L"1.5", L"0.5", L"", L"", L"1", kAttrReadOnly},  // 1.5 reads as 2 (on), 0.5 as 0
        {L"", L"", L"-1", L"10000", L"x", kAttrArchive},  // no pass: the copy's own
        {L"", L"", L"-1", L"10000", L"1", kAttrSystem | kAttrArchive},  // any other number is on
        {L"1", L"", L"", L"", L"0.25", kAttrReadOnly},                  // Attributes: not 0, so on
    };
    for (const Case& c : cases) {
        Machine fresh;
        fresh.fs.File(L"C:\\Docs\\a.txt");
        fresh.fs.Folder(L"D:\\Out");
        fresh.Setting(L"Silent", L"Use", L"1");
        fresh.Setting(L"Silent", L"Location", L"D:\\Out");
        fresh.Setting(L"Silent", L"ReadOnly", c.readOnly);
        fresh.Setting(L"Silent", L"Hidden", c.hidden);
        fresh.Setting(L"Silent", L"System", c.system);
        fresh.Setting(L"Silent", L"Archive", c.archive);
        fresh.Setting(L"Silent", L"Attributes", c.attributes);
        fresh.Run(L"C:\\Docs\\a.txt");
        EXPECT_EQ(fresh.fs.Attributes(L"D:\\Out\\a.txt"), c.expected)
            << c.readOnly << L" " << c.archive;
    }
}

TEST_F(StartupTest, SilentModeAsksForAMissingFolderButKeepsItsOwnAttributes) {
    SilentMode(L"D:\\Gone");
    m.Setting(L"Silent", L"ReadOnly", L"1");
    m.Setting(L"Silent", L"Attributes", L"1");
    m.ui.dialog = [](const OutputFolderRequest& request) {
        EXPECT_EQ(request.missingFolder, L"D:\\Gone\\");  // where the dialog starts from
        // The attributes are ignored: Silent Mode reads its own set afterwards.
        return CopyOptions{L"D:\\Out\\", kAttrHidden | kAttrSystem, false};
    };
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitSuccess);
    EXPECT_GE(m.Find(L"dialog silent"), 0);
    EXPECT_EQ(m.fs.Attributes(L"D:\\Out\\a.txt"), kAttrReadOnly);
}

TEST_F(StartupTest, SilentModeCancelledDialogEndsWithoutIcon) {
    SilentMode(L"D:\\Gone");
    m.ui.dialog = [](const OutputFolderRequest&) { return std::nullopt; };
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitCancelled);
    EXPECT_EQ(m.Find(L"tray"), -1);
    EXPECT_EQ(m.shell.requests, 0);
}

TEST_F(StartupTest, ForceModeTwoNeitherTestsNorCreates) {
    SilentMode(L"D:\\NotThere", L"2");
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitSuccess);
    EXPECT_EQ(m.Find(L"dialog"), -1);
    EXPECT_EQ(m.shell.requests, 1);
    EXPECT_EQ(m.shell.lastTo, std::wstring(L"D:\\NotThere\\a.txt\0\0", 19));
}

TEST_F(StartupTest, AnEmptyLocationIsTheRootOfTheCurrentDrive) {
    SilentMode(L"");
    m.fs.currentFolder = L"D:\\Out";
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitSuccess);
    EXPECT_EQ(m.shell.lastTo, std::wstring(L"\\a.txt\0\0", 8));
    EXPECT_EQ(m.Find(L"dialog"), -1);
}

TEST_F(StartupTest, SilentAbortRemovesTheIconBeforeSayingSo) {
    SilentMode(L"D:\\Out");
    m.shell.outcome.result = 2;
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitAborted);
    EXPECT_TRUE(Before(L"tray remove", L"message Aborted!"));
}

// A hand-edited Location longer than the settings file gives back whole is
// refused: a folder named by its start is not the one the user wrote.
TEST_F(StartupTest, AnOverlongSilentLocationIsRefusedNotCut) {
    SilentMode(L"D:\\" + std::wstring(300, L'x'), L"1");
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitNoOutputFolder);
    EXPECT_EQ(m.fs.Find(L"D:\\" + std::wstring(251, L'x')), nullptr) << "Force Mode made nothing";
    EXPECT_EQ(m.Find(L"copy"), -1);
    EXPECT_EQ(m.Find(L"tray add"), -1);
    EXPECT_GE(m.Find(L"message The output folder in C:\\Tools\\Brisa.ini is longer than 254"), 0);
}

}  // namespace
}  // namespace larkspur::testing
