// The courses of a process as the run driver drives them: which windows,
// which copy, which message and which exit code, in which order.
#include <gtest/gtest.h>

#include "copy/verdict.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

const std::wstring kSucceeded = L"message Succeeded! | 0x10040 | Larkspur Ver.1.52";
const std::wstring kIcon = L"tray add 8194 Larkspur Ver.1.52";
const std::wstring kDialog = L"dialog 0,0,0,0,0,0", kForget = L"Setting/Use=0";

TEST(Run, EachCourseShowsItsWindowsAndEndsWithItsCode) {
    const std::wstring gone =
        L"message This item does not exist or cannot be read, so nothing "
        L"was copied:\r\nC:\\Docs\\gone.txt | 0x10030 | Larkspur Ver.1.52";
    // clang-format off
    const struct { const wchar_t *use, *arguments; bool saved, confirmed; int exitCode; Log events; }
        cases[] = {
        {L"1", L"", true, true, kExitSuccess, {L"settings window"}},
        {L"", L"", false, true, kExitCancelled, {L"settings window"}},
        {L"", L"C:\\Docs\\Proj C:\\Docs\\a.txt", true, true, kExitSuccess,
            {kDialog, kForget, L"progress show", L"shell copy 0x201 for 8194", L"progress unload",
             kSucceeded}},
        {L"0", L"  ", true, true, kExitSuccess,  // blanks only: a run that sends nothing
            {kDialog, kForget, L"progress show", L"progress unload", kSucceeded}},
        {L"", L"C:\\Docs\\a.txt", true, false, kExitCancelled, {kDialog}},
        {L"2", L"C:\\Docs\\a.txt", true, true, kExitSuccess, {}},
        {L"1e309", L"C:\\Docs\\a.txt", true, true, kExitSuccess, {}},  // 32767: nothing either
        {L"", L"C:\\Docs\\gone.txt", true, true, kExitBadInput,
            {kDialog, kForget, L"progress show", L"progress unload", gone}},
    };
    // clang-format on
    for (const auto& c : cases) {
        Machine m;
        m.fs.Add(L"C:\\Docs\\a.txt");
        m.fs.Add(L"C:\\Docs\\Proj\\x.txt");
        m.Set(L"Silent", std::wstring(L"Use=") + c.use);
        m.settingsSaved = c.saved;
        m.choice = c.confirmed ? m.choice : std::nullopt;
        EXPECT_EQ(m.Run(c.arguments), c.exitCode) << c.arguments;
        EXPECT_EQ(m.log, c.events) << c.use << " " << c.arguments;
    }
}

// The output folder as Force says: asked for when missing (the dialog's
// attributes count for nothing then), made, or neither; refused when the
// settings file gives back only its start. Then the icon, the copy (the own
// engine unless Engine=1) and each setting of the set counted once; a
// failed copy takes the icon away before its message.
TEST(Run, SilentModeCopiesWithItsOwnSettingsUnderItsIcon) {
    const std::wstring x300 = L"D:\\" + std::wstring(300, L'x');
    const std::wstring tooLong =
        L"message The output folder in C:\\Tools\\Brisa.ini is longer "
        L"than 254 characters, so nothing was copied. | 0x30 | Error";
    const Log shell = {kIcon, L"shell copy 0x215 for 8194", L"tray remove"};
    // clang-format off
    const struct { std::wstring settings; bool confirmed; int exitCode; const wchar_t* copy;
                   uint32_t expected; Log events; uint32_t shellResult = 0; } cases[] = {
        {L"Location=D:\\Gone|Force=0|ReadOnly=1|System=1|Attributes=1", true, kExitSuccess,
            L"D:\\Chosen\\a.txt", kAttrReadOnly | kAttrSystem,
            {L"dialog silent 1,1,1,0,1,0 D:\\Gone\\", kIcon, L"notify D:\\Chosen\\", L"tray remove"}},
        {L"Location=D:\\Gone", false, kExitCancelled, nullptr, 0,
            {L"dialog silent 1,0,0,0,0,0 D:\\Gone\\"}},
        {L"Location=D:\\New\\Deeper|Force=1|Engine=1|ReadOnly=2|Attributes=1", true, kExitSuccess,
            L"D:\\New\\Deeper\\a.txt", kAttrReadOnly, {L"mkdir D:\\New", L"mkdir D:\\New\\Deeper",
            kIcon, L"shell copy 0x215 for 8194", L"tray remove"}},  // greyed Read Only is not Hidden
        {L"Location=D:\\Unmade|Force=2|Engine=1|ReadOnly=1.5|Hidden=0.5|Attributes=1", true,
            kExitSuccess, L"D:\\Unmade\\a.txt", kAttrReadOnly, shell},  // 1.5 reads as 2, 0.5 as 0
        {L"System=-1|Attributes=0.25", true, kExitSuccess, L"C:\\a.txt", kAttrSystem,
            {kIcon, L"notify \\", L"tray remove"}},  // the current drive's root
        {L"Location=D:\\Out|ReadOnly=1|Hidden=1|Attributes=x", true, kExitSuccess, L"D:\\Out\\a.txt",
            kAttrArchive, {kIcon, L"notify D:\\Out\\", L"tray remove"}},  // no pass: the copy's own
        {L"Location=D:\\Out|Attributes=1", true, kExitSuccess, L"D:\\Out\\a.txt", kAttrNormal,
            {kIcon, L"notify D:\\Out\\", L"tray remove"}},  // none: the platform's "normal"
        {L"Location=D:\\File\\Sub|Force=1", true, kExitNoOutputFolder, nullptr, 0,
            {L"message Not to Create Folder | 0x30 | Error"}},
        {L"Force=1|Location=" + x300, true, kExitNoOutputFolder, nullptr, 0, {tooLong}},
        {L"Location=D:\\Out|Force=1|Engine=1", true, kExitAborted, nullptr, 0, {kIcon,
            L"shell copy 0x215 for 8194", L"tray remove", L"progress unload", L"message Aborted!"
            L"\r\n\r\nNot copied (1):\r\nD:\\Out\\a.txt | 0x10030 | Larkspur Ver.1.52"}, 2},  // icon first
    };
    // clang-format on
    for (const auto& c : cases) {
        Machine m;
        for (const wchar_t* path :
             {L"C:\\Docs\\a.txt", L"D:\\Chosen\\", L"D:\\Out\\", L"D:\\File"}) {
            m.fs.Add(path);
        }
        m.Set(L"Silent", L"Use=1|" + c.settings);
        m.choice = OutputFolderChoice{0, L"D:\\Chosen", 0, 0, 1};
        m.choice = c.confirmed ? m.choice : std::nullopt;
        m.outcome.result = c.shellResult;
        EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), c.exitCode) << c.settings.substr(0, 30);
        EXPECT_EQ(m.log, c.events) << c.settings.substr(0, 30);
        EXPECT_EQ(m.fs.Attributes(c.copy ? c.copy : L"D:\\a.txt"),
                  c.copy ? c.expected : kInvalidAttributes);
        EXPECT_FALSE(m.fs.Find(L"D:\\" + std::wstring(254, L'x'))) << "nothing made of it";
        EXPECT_GT(m.yields, c.copy ? 2 : -1);
    }
}

// The interactive dialog starts from section Setting as read, and the run
// saves the choice there (only Use without Set Default) before it copies; a
// choice it cannot remember or forget is reported, and the copy goes on.
TEST(Run, TheDialogStartsFromItsRememberedChoiceWhichTheRunSaves) {
    const std::wstring failed =
        L"message The settings could not be saved to\r\nC:\\Tools\\Brisa.ini | 0x30 | Error";
    // clang-format off
    const struct { const wchar_t* stored; OutputFolderChoice choice; bool readOnly; Log events; } cases[] = {
        {L"Use=abc|Location=D:\\Old", {1, L"D:\\Out", 1, 0, 0, 0, 1}, false, {L"dialog 0,0,0,0,0,0 D:\\Old",
            L"Setting/Use=1", L"Setting/Location=D:\\Out", L"Setting/Attributes=1", L"Setting/ReadOnly=0",
            L"Setting/Hidden=0", L"Setting/System=0", L"Setting/Archive=1"}},
        {L"Use=2|Location=D:\\Old|Attributes=0.5|ReadOnly=-1.5", {0, L"D:\\Out", 1, 1}, false,
            {L"dialog 2,0,-2,0,0,0 D:\\Old", L"Setting/Use=0"}},
        {L"Use=0", {1, L"D:\\Out"}, true, {kDialog, failed}},
        {L"Use=1", {0, L"D:\\Out"}, true, {L"dialog 1,0,0,0,0,0", failed}},
        {L"", {0, L"D:\\Out"}, true, {kDialog}},  // nothing lost
    };
    // clang-format on
    for (const auto& c : cases) {
        Machine m;
        m.fs.Add(L"C:\\Docs\\a.txt");
        m.Set(L"Setting", c.stored);
        m.choice = c.choice;
        m.readOnly = c.readOnly;
        EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt"), kExitSuccess);
        Log events = c.events;
        events.insert(events.end(), {L"progress show", L"shell copy 0x201 for 8194",
                                     L"progress unload", kSucceeded});
        EXPECT_EQ(m.log, events) << c.stored;
    }
}

}  // namespace
}  // namespace larkspur::testing
