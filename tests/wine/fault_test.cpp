// Faults during a run, on real files: what the program does when the world
// changes between the walk and the copy, when the destination holds the
// program's own earlier output, and when names and paths are awkward.
//
// Most cases run the program's start-up routine in this process, with the
// real Win32 platform, so that a fault can be injected at an exact moment
// (just before the shell's copy starts). Only Silent Mode runs are driven
// this way; runs with the output folder dialog are whole runs of Brisa.exe.
//
// Wine facts relied on:
// - Archive always reads as set on files, so only Read Only, Hidden and
//   System are compared exactly;
// - Hidden and System survive in the user.DOSATTRIB xattr;
// - names that begin with a dot always read as hidden;
// - the tests run as root, so a folder's Read Only attribute does not stop
//   writes into it (as on Windows, where it never does).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/machine.h"
#include "copy/verdict.h"
#include "run/run.h"
#include "support.h"

namespace larkspur::wine_test {
namespace {

constexpr DWORD kRhs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The process of an in-process run: its command line is the test's.
class InProcess : public ScratchProcess {
  public:
    std::wstring commandLine;
    std::wstring CommandLine() override { return commandLine; }
};

// The real shell, with a fault injected just before the copy starts.
class HookedShell : public win32::Win32Shell {
  public:
    std::function<void()> beforeCopy;
    CopyOutcome outcome;
    CopyOutcome CopyFiles(WindowRef owner, const std::wstring& from, const std::wstring& to,
                          uint32_t flags) override {
        if (beforeCopy) {
            beforeCopy();
        }
        outcome = Win32Shell::CopyFiles(owner, from, to, flags);
        return outcome;
    }
};

struct Machine {
    InProcess process;
    HookedShell shell;
    app::Win32Machine win32{process, &shell};
    Platform& platform = win32.platform;
};

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app::InitWindowThread();
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = ScratchDir(L"fault-" + std::wstring(test.begin(), test.end()));
        docs = root + L"\\Docs";
        out = root + L"\\Out";
        machine.process.folder = root;
        ini = root + L"\\Brisa.ini";
    }
    void SilentMode(const std::wstring& location, const wchar_t* readOnly, const wchar_t* hidden,
                    const wchar_t* system, const wchar_t* force = L"1") {
        Set(L"Use", L"1");
        Set(L"Location", location);
        Set(L"Force", force);
        Set(L"Attributes", L"1");
        Set(L"ReadOnly", readOnly);
        Set(L"Hidden", hidden);
        Set(L"System", system);
        Set(L"Archive", L"0");
    }
    void Set(const wchar_t* key, const std::wstring& value) {
        WritePrivateProfileStringW(L"Silent", key, value.c_str(), ini.c_str());
    }
    // Runs the program on the arguments in this process; its exit code.
    int Run(const std::wstring& arguments) {
        machine.process.commandLine = L"\"C:\\Larkspur\\Brisa.exe\" " + arguments;
        const int code = larkspur::Run(machine.platform);
        machine.platform.ui.UnloadAll();
        return code;
    }
    Machine machine;
    WindowWatcher watcher;
    std::wstring root, docs, out, ini;
};

// The paths the message names after its heading line, one per line.
std::vector<std::wstring> NamedIn(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        const std::wstring line = text.substr(start, end - start);
        if (line.find(L":\\") != std::wstring::npos && line.back() != L':') {
            lines.push_back(line);
        }
        start = end + 2;
    }
    return lines;
}

// A source gone, or held open by another program, when the copy starts:
// the run says "Aborted!" and names every copy that is missing, and what the
// shell did copy is whole. No source is touched.
TEST_F(FaultTest, ASourceGoneOrLockedAtTheCopyIsNamedAndNothingIsLost) {
    for (const bool lockIt : {false, true}) {
        SCOPED_TRACE(lockIt ? "locked" : "deleted");
        RemoveTree(docs);
        RemoveTree(out);
        WriteText(docs + L"\\a.txt", "a");
        WriteText(docs + L"\\b.txt", "b");
        WriteText(docs + L"\\c.txt", "c");
        SilentMode(out, L"1", L"0", L"0");
        HANDLE lock = INVALID_HANDLE_VALUE;
        machine.shell.beforeCopy = [&] {
            if (lockIt) {
                lock = CreateFileW((docs + L"\\b.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
            } else {
                DeleteFileW((docs + L"\\b.txt").c_str());
            }
        };
        const size_t before = watcher.Messages().size();
        EXPECT_EQ(Run(docs), kExitAborted);
        CloseHandle(lock);
        const auto messages = watcher.Messages();
        ASSERT_EQ(messages.size(), before + 1);
        const std::wstring& text = messages.back().text;
        EXPECT_EQ(text.rfind(L"Aborted!", 0), 0u) << text;

        std::vector<std::wstring> missing;
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
            const std::wstring copy = out + L"\\Docs\\" + name;
            if (Exists(copy)) {
                EXPECT_EQ(ReadText(copy), std::string(1, static_cast<char>(name[0])));
                EXPECT_EQ(Attributes(copy) & kRhs, 0u) << "no attributes after an abort";
            } else {
                missing.push_back(copy);
            }
        }
        EXPECT_FALSE(missing.empty());
        EXPECT_EQ(NamedIn(text), missing) << text;
        EXPECT_EQ(ReadText(docs + L"\\a.txt"), "a");
        if (lockIt) {
            EXPECT_EQ(ReadText(docs + L"\\b.txt"), "b");
        }
    }
}

// The program's own output of an earlier run is in the way with Read Only,
// Hidden and System: a Silent Mode re-run replaces it and sets the set again.
TEST_F(FaultTest, ASilentRerunReplacesItsOwnReadOnlyHiddenSystemCopies) {
    WriteText(docs + L"\\a.txt", "first");
    SilentMode(out, L"1", L"1", L"1");
    ASSERT_EQ(Run(docs + L"\\a.txt"), kExitSuccess);
    ASSERT_EQ(Attributes(out + L"\\a.txt") & kRhs, kRhs);
    WriteText(docs + L"\\a.txt", "second, longer");
    EXPECT_EQ(Run(docs + L"\\a.txt"), kExitSuccess);
    EXPECT_EQ(ReadText(out + L"\\a.txt"), "second, longer");
    EXPECT_EQ(Attributes(out + L"\\a.txt") & kRhs, kRhs);
    EXPECT_TRUE(watcher.Messages().empty());
}

// The output folder removed just before the copy is made again by the
// shell; one made Read Only takes the copies all the same.
TEST_F(FaultTest, TheOutputFolderRemovedOrReadOnlyAtTheCopy) {
    WriteText(docs + L"\\a.txt", "a");
    SilentMode(out + L"\\Sub", L"1", L"0", L"0");
    machine.shell.beforeCopy = [&] { RemoveTree(out); };
    EXPECT_EQ(Run(docs + L"\\a.txt"), kExitSuccess);
    EXPECT_EQ(ReadText(out + L"\\Sub\\a.txt"), "a");
    EXPECT_EQ(Attributes(out + L"\\Sub\\a.txt") & kRhs, FILE_ATTRIBUTE_READONLY);

    RemoveTree(out);
    machine.shell.beforeCopy = [&] {
        SetFileAttributesW((out + L"\\Sub").c_str(), FILE_ATTRIBUTE_READONLY);
    };
    EXPECT_EQ(Run(docs + L"\\a.txt"), kExitSuccess);
    EXPECT_EQ(ReadText(out + L"\\Sub\\a.txt"), "a");
    EXPECT_TRUE(watcher.Messages().empty());
}

// Names outside every ANSI code page (an emoji needs two UTF-16 units) and
// names that begin with a dot are copied under their own names, with
// exactly the chosen set (Wine adds Hidden to dot names by itself).
TEST_F(FaultTest, NonAnsiEmojiAndDotNamesAreCopiedIntactWithExactAttributes) {
    const std::wstring folder = docs + L"\\写真 \U0001F338";
    const std::vector<std::wstring> names = {L"日本語.txt", L"\U0001F600 smile.txt", L".env",
                                             L".config\\ключ.ini", L"Ελληνικά\\naïve.txt"};
    for (const std::wstring& name : names) {
        WriteText(folder + L"\\" + name, "x");
    }
    SilentMode(out, L"1", L"0", L"1");
    EXPECT_EQ(Run(L"\"" + folder + L"\""), kExitSuccess);
    EXPECT_TRUE(watcher.Messages().empty());
    std::vector<std::wstring> expected;
    for (const std::wstring& name : names) {
        expected.push_back(L"写真 \U0001F338\\" + name);
        const std::wstring copy = out + L"\\" + expected.back();
        EXPECT_EQ(ReadText(copy), "x");
        const DWORD set = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM;
        const bool dotName = copy.find(L"\\.") != std::wstring::npos &&
                             copy.find(L"\\", copy.find(L"\\.") + 1) == std::wstring::npos;
        EXPECT_EQ(Attributes(copy) & kRhs, dotName ? set | FILE_ATTRIBUTE_HIDDEN : set)
            << expected.size();
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesBelow(out), expected);
}

// The shell's copy takes paths of up to 259 characters. A file of 259 is
// copied; one of 260 or 300 stops the run before anything is copied,
// with a message naming it.
TEST_F(FaultTest, PathsOf259CharactersAreCopiedLongerOnesAreNamed) {
    for (const size_t length : {259u, 260u, 300u}) {
        SCOPED_TRACE(length);
        RemoveTree(root + L"\\Src");
        RemoveTree(out);
        // Sources as long as their destinations: Src\Sub lands as Out\Sub.
        const std::wstring folder = root + L"\\Src\\Sub";
        const std::wstring prefix = out + L"\\Sub\\";
        const std::wstring name = std::wstring(length - prefix.size() - 4, L'n') + L".txt";
        ASSERT_LE(name.size(), 255u);
        WriteText(folder + L"\\" + name, "n");
        WriteText(folder + L"\\short.txt", "s");
        SilentMode(out, L"1", L"0", L"0");
        const size_t before = watcher.Messages().size();
        const int code = Run(folder);
        const std::wstring destination = prefix + name;
        ASSERT_EQ(destination.size(), length);
        if (length <= 259) {
            EXPECT_EQ(code, kExitSuccess);
            EXPECT_EQ(ReadText(destination), "n");
            EXPECT_EQ(Attributes(destination) & kRhs, FILE_ATTRIBUTE_READONLY);
        } else {
            EXPECT_EQ(code, kExitBadInput);
            const auto messages = watcher.Messages();
            ASSERT_EQ(messages.size(), before + 1);
            EXPECT_EQ(NamedIn(messages.back().text),
                      (std::vector<std::wstring>{folder + L"\\" + name, destination}));
            EXPECT_TRUE(FilesBelow(out).empty()) << "nothing is copied";
        }
    }
}

// Output folder = the folder of the sent items: nothing is copied onto
// itself, so no file is truncated, and the sources keep their attributes.
TEST_F(FaultTest, AnOutputFolderThatHoldsTheSentItemsDamagesNothing) {
    WriteText(docs + L"\\a.txt", "abc");
    WriteText(docs + L"\\Proj\\x.txt", "xyz");
    SetFileAttributesW((docs + L"\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SilentMode(docs, L"1", L"0", L"0");
    EXPECT_EQ(Run(docs + L"\\a.txt " + docs + L"\\Proj"), kExitBadInput);
    const auto messages = watcher.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              L"The output folder is the folder these files are in, so "
              L"nothing was copied:\r\n" +
                  docs + L"\\a.txt\r\n" + docs + L"\\Proj\\x.txt");
    EXPECT_EQ(ReadText(docs + L"\\a.txt"), "abc");
    EXPECT_EQ(ReadText(docs + L"\\Proj\\x.txt"), "xyz");
    EXPECT_EQ(Attributes(docs + L"\\a.txt") & kRhs, FILE_ATTRIBUTE_HIDDEN);
}

// A sent folder that holds the output folder: the run ends, and every file
// is copied once, on a re-run too (the output folder is not walked).
TEST_F(FaultTest, ASentFolderHoldingTheOutputFolderCopiesEveryFileOnce) {
    WriteText(docs + L"\\a.txt", "a");
    WriteText(docs + L"\\Sub\\b.txt", "b");
    const std::wstring inside = docs + L"\\Out";
    SilentMode(inside, L"0", L"0", L"0");
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(Run(docs), kExitSuccess);
        EXPECT_EQ(FilesBelow(inside),
                  (std::vector<std::wstring>{L"Docs\\Sub\\b.txt", L"Docs\\a.txt"}));
    }
    EXPECT_TRUE(watcher.Messages().empty());
}

// Whole runs of Brisa.exe, for what needs the output folder dialog or the
// process's real command line.
class WholeRunTest : public InstallTest {};

// An interactive re-run over the program's own Read Only, Hidden and System
// copy: the shell asks before replacing it, and the answer holds. Yes
// replaces it and the set is given again; No keeps it with its
// attributes, and the run does not claim success (Wine's shell reports a No
// to its only file as a cancelled operation: "Aborted!"; Windows' reports
// the file as skipped: the incomplete-copy message).
TEST_F(WholeRunTest, AnInteractiveRerunLetsTheShellAskAboutItsOwnCopies) {
    WriteText(docs + L"\\a.txt", "first");
    CreateDirectoryW(out.c_str(), nullptr);
    install.Set(L"Setting", L"Use", L"1");
    install.Set(L"Setting", L"Location", out);
    for (const wchar_t* key : {L"Attributes", L"ReadOnly", L"Hidden", L"System"}) {
        install.Set(L"Setting", key, L"1");
    }
    install.Set(L"Setting", L"Archive", L"0");
    RunResult run = RunBrisa(install, docs + L"\\a.txt", OperateDialog(L"", L"OK(&O)"));
    ASSERT_EQ(run.exitCode, 0u);
    ASSERT_EQ(Attributes(out + L"\\a.txt") & kRhs, kRhs);

    struct Case {
        const wchar_t* answer;
        bool replaced;
    } cases[] = {{L"&No", false}, {L"&Yes", true}};
    WriteText(docs + L"\\a.txt", "second");
    for (const Case& c : cases) {
        const WindowHandler dialog = OperateDialog(L"", L"OK(&O)");
        bool asked = false;
        run = RunBrisa(install, docs + L"\\a.txt", [&](const SeenWindow& w) {
            if (w.title == L"Confirm file overwrite") {
                asked = true;
                Click(FindChild(w.hwnd, L"Button", c.answer));
                return true;
            }
            return dialog(w);
        });
        EXPECT_TRUE(asked);
        EXPECT_EQ(ReadText(out + L"\\a.txt"), c.replaced ? "second" : "first");
        EXPECT_EQ(Attributes(out + L"\\a.txt") & kRhs, kRhs);
        ASSERT_FALSE(run.messages.empty());
        if (!c.replaced) {
            EXPECT_NE(run.exitCode, 0u);
            EXPECT_NE(run.messages.back().text, L"Succeeded!");
            continue;
        }
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.messages.back().text, L"Succeeded!");
    }
}

// As many files as the platform's longest command line (32,767 characters
// with its terminating NUL) can name: the Send To target gets every one,
// and every one is copied with its attributes.
TEST_F(WholeRunTest, ACommandLineAtThePlatformLimitCopiesEveryItem) {
    constexpr size_t kLimit = 32767 - 1;
    install.Set(L"Silent", L"Use", L"1");
    install.Set(L"Silent", L"Location", out);
    install.Set(L"Silent", L"Force", L"1");
    install.Set(L"Silent", L"Attributes", L"1");
    install.Set(L"Silent", L"Hidden", L"1");
    // The quoted program and a blank, then quoted paths (their names hold
    // blanks) of about 100-character names, one blank apart, lengthened
    // evenly to fill the line exactly.
    const std::wstring base = docs + L"\\";
    const size_t room = kLimit - (install.exe.size() + 3);
    const size_t each = base.size() + 100 + 2;
    const size_t count = (room + 1) / (each + 1);
    const size_t spare = room - (count * each + count - 1);
    std::wstring arguments;
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i) {
        std::wstring name = L"item " + std::to_wstring(i) + L" ";
        name.resize(100 - 4 + spare / count + (i < spare % count ? 1 : 0), L'x');
        name += L".txt";
        names.push_back(name);
        WriteText(base + name, "x");
        arguments += (i == 0 ? L"\"" : L" \"") + base + name + L"\"";
    }
    ASSERT_EQ(install.exe.size() + 3 + arguments.size(), kLimit);
    const RunResult run = RunBrisa(install, arguments);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FilesBelow(out), names);
    EXPECT_EQ(Attributes(out + L"\\" + names.back()) & kRhs, FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace
}  // namespace larkspur::wine_test
