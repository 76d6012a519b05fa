// The courses of a process as the run driver drives them: which windows,
// which copy, which message and which exit code, in which order.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "copy/verdict.h"
#include "fakes.h"

namespace larkspur::testing {
namespace {

const std::wstring kSucceeded = L"message Succeeded! | 0x10040 | " LARKSPUR_PRODUCT_NAME;
const std::wstring kIcon = L"tray add 8194 " LARKSPUR_PRODUCT_NAME;
const std::wstring kDialog = L"dialog 0,0,0,0,0,0", kForget = L"Setting/Use=0";

TEST(Run, EachCourseShowsItsWindowsAndEndsWithItsCode) {
    const std::wstring gone =
        L"message This item does not exist or cannot be read, so nothing "
        L"was copied:\r\nC:\\Docs\\gone.txt | 0x10030 | " LARKSPUR_PRODUCT_NAME;
    // clang-format off
    const struct { const wchar_t *use, *arguments; bool saved, confirmed; int exitCode; Log events; }
        cases[] = {
        {L"1", L"", true, true, kExitSuccess, {L"settings window"}},
        {L"", L"", false, true, kExitCancelled, {L"settings window"}},
        {L"", L"C:\\Docs\\Proj C:\\Docs\\a.txt", true, true, kExitSuccess,
            {kDialog, kForget, L"progress show", L"shell copy interactive for 8194", L"progress unload",
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
// boxes count for nothing then), made, or neither; refused when too long.
// Then the icon, the copy (Engine=1: the shell's), each bit of the set once;
// a failed copy takes the icon away before its message.
TEST(Run, SilentModeCopiesWithItsOwnSettingsUnderItsIcon) {
    const std::wstring x300 = L"D:\\" + std::wstring(300, L'x');
    const std::wstring tooLong =
        L"message The output folder in C:\\Tools\\Brisa.ini is longer "
        L"than 254 characters, so nothing was copied. | 0x30 | Error";
    const Log shell = {kIcon, L"shell copy silent for 8194", L"tray remove"};
    // clang-format off
    const struct { std::wstring settings; bool confirmed; int exitCode; const wchar_t* copy;
                   uint32_t expected; Log events; uint32_t shellResult = 0; } cases[] = {
        {L"Location=D:\\Gone|Force=0|ReadOnly=1|System=1|Attributes=1", true, kExitSuccess,
            L"D:\\Chosen\\a.txt", kAttrReadOnly | kAttrSystem,
            {L"dialog silent 1,1,1,0,1,0 D:\\Gone\\", kIcon, L"notify D:\\Chosen\\", L"tray remove"}},
        {L"Location=D:\\Gone", false, kExitCancelled, nullptr, 0,
            {L"dialog silent 1,0,0,0,0,0 D:\\Gone\\"}},
        {L"Location=D:\\New\\Deeper|Force=1|Engine=1|ReadOnly=2|Attributes=1", true, kExitSuccess,
            L"D:\\New\\Deeper\\a.txt", kAttrReadOnly, {kIcon, L"mkdir D:\\New",
            L"mkdir D:\\New\\Deeper", L"shell copy silent for 8194", L"tray remove"}},  // greyed R is not H
        {L"Location=D:\\Unmade|Force=2|Engine=1|ReadOnly=1.5|Hidden=0.5|Attributes=1", true,
            kExitSuccess, L"D:\\Unmade\\a.txt", kAttrReadOnly, shell},  // 1.5 reads as 2, 0.5 as 0
        {L"System=-1|Attributes=0.25", true, kExitSuccess, L"D:\\Chosen\\a.txt", kAttrSystem,
            {L"dialog silent 1,0,0,0,-1,0", kIcon, L"notify D:\\Chosen\\", L"tray remove"}},  // none set
        {L"Force=1", true, kExitNoOutputFolder, nullptr, 0, {L"message No output folder is set: "
            L"Location in section [Silent] of C:\\Tools\\Brisa.ini is empty, so nothing was copied. "
            L"| 0x30 | Error"}},
        {L"Location=Here|Force=1", true, kExitSuccess, L"C:\\Tools\\Here\\a.txt", kAttrArchive,
            {kIcon, L"mkdir C:\\Tools", L"mkdir C:\\Tools\\Here", L"notify C:\\Tools\\Here\\",
            L"tray remove"}},  // beside Brisa.ini
        {L"Location=D:\\Out|ReadOnly=1|Hidden=1|Attributes=x", true, kExitSuccess, L"D:\\Out\\a.txt",
            kAttrArchive, {kIcon, L"notify D:\\Out\\", L"tray remove"}},  // no pass: the copy's own
        {L"Location=D:\\Out|Attributes=1", true, kExitSuccess, L"D:\\Out\\a.txt", 0,
            {kIcon, L"notify D:\\Out\\", L"tray remove"}},  // none: the platform's "normal"
        {L"Location=D:\\File\\Sub|Force=1", true, kExitNoOutputFolder, nullptr, 0,
            {kIcon, L"tray remove", L"message Not to Create Folder | 0x30 | Error"}},
        {L"Force=1|Location=" + x300, true, kExitNoOutputFolder, nullptr, 0, {tooLong}},
        {L"Location=D:\\Out|Force=1|Engine=1", true, kExitAborted, nullptr, 0, {kIcon,
            L"shell copy silent for 8194", L"tray remove", L"progress unload", L"message Aborted!"
            L"\r\n\r\nNot copied (1):\r\nThe copy is missing.\r\n  D:\\Out\\a.txt | 0x10030 | " LARKSPUR_PRODUCT_NAME}, 2},  // icon first
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
        EXPECT_EQ(m.yields > 2, c.copy || c.shellResult) << "the windows repaint while it copies";
    }
    // A run refused before the copy makes no folder: an item that is gone.
    Machine m;
    m.fs.Add(L"C:\\Docs\\a.txt");
    m.Set(L"Silent", L"Use=1|Force=1|Location=D:\\New");
    EXPECT_EQ(m.Run(L"C:\\Docs\\a.txt C:\\Docs\\gone.txt"), kExitBadInput);
    EXPECT_FALSE(m.fs.Find(L"D:\\New"));
}

// With Log, a line per file and a summary (per-file lines come from two
// threads: compared in sorted order); with Quiet no message; stopped, no more
// files are started and the rest are named (exit 6); a log that cannot be
// written does not stop the copy, but the run says so.
TEST(Run, SilentModeLogsEveryFileAndStopsWhenAsked) {
    const std::string start =
        "\xEF\xBB\xBF"
        "2026-12-07 05:30:01\tstart\titems=1\toutput=D:\\Out\\\t"
        "attributes=H\tengine=own\tthreads=";
    // clang-format off
    const struct { const wchar_t* settings; bool failing; int stopAfter, exitCode; const char* lines;
                   const wchar_t* last; } cases[] = {
        {L"Quiet=1|Log=Logs\\run.log", true, 99, kExitIncomplete, "copied\tD:\\Out\\Proj\\a.txt|"
            "end\tfiles=4\tcopied=3\tbytes=3\tfailed=2\tseconds=0.0\texit=3|no-attributes\t"
            "D:\\Out\\Proj\\d.txt\tThe drive did not keep the attributes given to the copy.|"
            "not-copied\tD:\\Out\\Proj\\c.txt\terror 32|replaced\tD:\\Out\\Proj\\b.txt|", L"tray remove"},
        {L"Log=Logs\\run.log", false, 2, kExitStopped, "end\tfiles=4\tcopied=2\tbytes=2\tfailed=2\t"
            "seconds=0.0\texit=6\tstopped=user|", L"message Stopped: 2 of 4 files were copied.\r\n\r\n"
            L"Not copied (2):\r\nThe copy was stopped before this file.\r\n"},
        {L"Log=D:\\run.log", false, 99, kExitIncomplete, nullptr,
            L"message The log could not be written: D:\\run.log\r\nerror 5 | 0x10030"},
    };
    // clang-format on
    for (const auto& c : cases) {
        Machine m;
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) {
            m.fs.Add(L"C:\\Docs\\Proj\\" + std::wstring(name)).size = 1;
        }
        m.fs.Add(L"D:\\Out\\Proj\\b.txt");
        if (c.failing) {
            m.fs.failCopy.insert(L"C:\\Docs\\Proj\\c.txt");
            m.fs.dropping[L"D:\\Out\\Proj\\d.txt"] = kAttrHidden;
        }
        m.fs.unwritable.insert(L"D:\\run.log");
        m.stop = StopReason::kUser;
        m.stopAfter = c.stopAfter;
        m.Set(L"Silent",
              L"Use=1|Force=1|Location=D:\\Out|Attributes=1|Hidden=1|" + std::wstring(c.settings));
        EXPECT_EQ(m.Run(L"C:\\Docs\\Proj"), c.exitCode) << c.settings;
        EXPECT_EQ(m.log.back().find(c.last), 0u) << m.log.back();
        const std::string log = m.fs.appended[L"C:\\Tools\\Logs\\run.log"];
        std::vector<std::string> lines;  // each without its time
        for (size_t at = log.find("\r\n") + 2; at < log.size(); at = log.find("\r\n", at) + 2) {
            lines.push_back(log.substr(at + 20, log.find("\r\n", at) - at - 20) + "|");
        }
        std::sort(lines.begin(), lines.end());
        const std::string joined = std::accumulate(lines.begin(), lines.end(), std::string());
        if (c.lines) {
            EXPECT_EQ(log.rfind(start, 0), 0u) << log;
            EXPECT_NE(joined.find(c.lines), std::string::npos) << joined;
        } else {
            EXPECT_TRUE(m.fs.Find(L"D:\\Out\\Proj\\a.txt")) << "the copy goes on";
        }
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
        events.insert(events.end(), {L"progress show", L"shell copy interactive for 8194",
                                     L"progress unload", kSucceeded});
        EXPECT_EQ(m.log, events) << c.stored;
    }
}

}  // namespace
}  // namespace larkspur::testing
