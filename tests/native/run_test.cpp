// The courses of a process as the run driver drives them: which windows,
// which copy, which message and which exit code, in which order.
#include <gtest/gtest.h>

#include "copy/verdict.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

const std::wstring kSucceeded = L"message Succeeded! | 0x10040 | Larkspur Ver.1.52";

TEST(Run, EachCourseShowsItsWindowsAndEndsWithItsCode) {
    const struct {
        const wchar_t *use, *arguments;
        bool saved, confirmed;
        int exitCode;
        Log events;
    } cases[] = {
        {L"1", L"", true, true, kExitSuccess, {L"settings window"}},
        {L"", L"", false, true, kExitCancelled, {L"settings window"}},
        {L"",
         L"C:\\Docs\\Proj C:\\Docs\\a.txt",
         true,
         true,
         kExitSuccess,
         {L"dialog", L"progress show", L"shell copy 0x201", L"progress unload", kSucceeded}},
        {L"0",
         L"  ",
         true,
         true,
         kExitSuccess,  // blanks only: a run that sends nothing
         {L"dialog", L"progress show", L"progress unload", kSucceeded}},
        {L"", L"C:\\Docs\\a.txt", true, false, kExitCancelled, {L"dialog"}},
        {L"2", L"C:\\Docs\\a.txt", true, true, kExitSuccess, {}},
        {L"1e309", L"C:\\Docs\\a.txt", true, true, kExitSuccess, {}},  // 32767: nothing either
        {L"",
         L"C:\\Docs\\gone.txt",
         true,
         true,
         kExitBadInput,
         {L"dialog", L"progress show", L"progress unload",
          L"message This item does not exist or cannot be read, so nothing was copied:\r\n"
          L"C:\\Docs\\gone.txt | 0x10030 | Larkspur Ver.1.52"}},
    };
    for (const auto& c : cases) {
        Machine m;
        m.fs.Add(L"C:\\Docs\\a.txt");
        m.fs.Add(L"C:\\Docs\\Proj\\x.txt");
        m.Set(L"Silent", L"Use", c.use);
        m.ui.settingsSaved = c.saved;
        if (!c.confirmed) {
            m.ui.choice.reset();
        }
        EXPECT_EQ(m.Run(c.arguments), c.exitCode) << c.arguments;
        EXPECT_EQ(m.Events(), c.events) << c.use << " " << c.arguments;
    }
}

// The output folder as Force says: asked for when missing (the dialog's
// attributes count for nothing then), created, or neither; refused when
// the settings file gives back only its start. Then the icon, the copy
// (the own engine unless Engine=1), each attribute setting counted once.
TEST(Run, SilentModeCopiesWithItsOwnSettingsUnderItsIcon) {
    const std::wstring icon = L"tray add 8194 Larkspur Ver.1.52";
    const struct {
        std::wstring location;
        const wchar_t *force, *engine, *readOnly, *hidden, *system, *attributes;
        bool confirmed;
        int exitCode;
        const wchar_t* copy;  // where a.txt lands
        uint32_t expected;
        Log events;
    } cases[] = {
        {L"D:\\Gone",
         L"0",
         L"",
         L"1",
         L"",
         L"",
         L"1",
         true,
         kExitSuccess,
         L"D:\\Chosen\\a.txt",
         kAttrReadOnly,
         {L"dialog silent D:\\Gone\\", icon, L"notify D:\\Chosen\\", L"tray remove"}},
        {L"D:\\Gone",
         L"0",
         L"",
         L"1",
         L"",
         L"",
         L"1",
         false,
         kExitCancelled,
         nullptr,
         0,
         {L"dialog silent D:\\Gone\\"}},
        {L"D:\\New\\Deeper",
         L"1",
         L"1",
         L"2",
         L"",
         L"",
         L"1",
         true,
         kExitSuccess,
         L"D:\\New\\Deeper\\a.txt",
         kAttrReadOnly,  // greyed Read Only is not Hidden
         {icon, L"shell copy 0x215", L"tray remove"}},
        {L"D:\\Unmade",
         L"2",
         L"1",
         L"1.5",
         L"0.5",
         L"",
         L"1",
         true,
         kExitSuccess,
         L"D:\\Unmade\\a.txt",
         kAttrReadOnly,
         {icon, L"shell copy 0x215", L"tray remove"}},
        {L"",
         L"0",
         L"0",
         L"",
         L"",
         L"-1",
         L"0.25",
         true,
         kExitSuccess,
         L"C:\\a.txt",
         kAttrSystem,
         {icon, L"notify \\", L"tray remove"}},  // the current drive's root
        {L"D:\\Out",
         L"0",
         L"",
         L"1",
         L"1",
         L"",
         L"x",
         true,
         kExitSuccess,
         L"D:\\Out\\a.txt",
         kAttrArchive,
         {icon, L"notify D:\\Out\\", L"tray remove"}},  // no pass: the copy's own
        {L"D:\\File\\Sub",
         L"1",
         L"",
         L"",
         L"",
         L"",
         L"",
         true,
         kExitNoOutputFolder,
         nullptr,
         0,
         {L"message Not to Create Folder | 0x30 | Error"}},
        {L"D:\\" + std::wstring(300, L'x'),
         L"1",
         L"",
         L"",
         L"",
         L"",
         L"",
         true,
         kExitNoOutputFolder,
         nullptr,
         0,
         {L"message The output folder in C:\\Tools\\Brisa.ini is longer than 254 characters, "
          L"so nothing was copied. | 0x30 | Error"}},
    };
    for (const auto& c : cases) {
        Machine m;
        m.fs.Add(L"C:\\Docs\\a.txt");
        m.fs.Add(L"D:\\Chosen\\");
        m.fs.Add(L"D:\\Out\\");
        m.fs.Add(L"D:\\File");
        for (const auto& [key, value] : {std::pair<const wchar_t*, std::wstring>{L"Use", L"1"},
                                         {L"Location", c.location},
                                         {L"Force", c.force},
                                         {L"Engine", c.engine},
                                         {L"ReadOnly", c.readOnly},
                                         {L"Hidden", c.hidden},
                                         {L"System", c.system},
                                         {L"Attributes", c.attributes}}) {
            m.Set(L"Silent", key, value);
        }
        m.ui.choice = CopyOptions{L"D:\\Chosen\\", kAttrHidden, false};
        if (!c.confirmed) {
            m.ui.choice.reset();
        }
        EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), c.exitCode) << c.location.substr(0, 20);
        EXPECT_EQ(m.Events(), c.events) << c.location.substr(0, 20);
        if (c.copy) {
            EXPECT_EQ(m.fs.Attributes(c.copy), c.expected) << c.copy;
        }
        EXPECT_FALSE(m.fs.Find(L"D:\\" + std::wstring(254, L'x'))) << "nothing made of it";
        EXPECT_GT(m.ui.yields, c.copy ? 2 : -1);
    }
}

TEST(Run, AFailedCopyTakesTheIconAwayThenSaysWhatIsMissing) {
    Machine m;
    m.fs.Add(L"C:\\Docs\\a.txt");
    for (const auto& [key, value] : {std::pair{L"Use", L"1"},
                                     {L"Location", L"D:\\Out"},
                                     {L"Force", L"1"},
                                     {L"Engine", L"1"}}) {
        m.Set(L"Silent", key, value);
    }
    m.shell.outcome.result = 2;
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitAborted);
    EXPECT_EQ(m.Events(), (Log{L"tray add 8194 Larkspur Ver.1.52", L"shell copy 0x215",
                               L"tray remove", L"progress unload",
                               L"message Aborted!\r\n\r\nNot copied (1):\r\nD:\\Out\\a.txt | "
                               L"0x10030 | Larkspur Ver.1.52"}));
}

}  // namespace
}  // namespace larkspur::testing
