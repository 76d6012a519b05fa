// Whole runs of Brisa.exe on real files, started as Send To starts it, as an
// ordinary user (ordinary_user.sh), who meets Windows' refusals where root
// writes through. Wine facts relied on: Archive always reads as set on
// files; Hidden and System live in an extended attribute, which an ordinary
// user cannot write on a Read Only file; no volume holds named streams; no
// notification area, so each Silent Mode run shows a failed icon stops nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "app/machine.h"
#include "copy/copy.h"
#include "copy/engine.h"
#include "run/run_log.h"
#include "support.h"

namespace larkspur::wine_test {
namespace {

using RunTest = InstallTest;

// The output folder dialog operated from outside: New Folder, OK, and
// "Succeeded!" once the progress window has gone.
TEST_F(RunTest, AnInteractiveRunCopiesIntoTheFolderOpenedInTheDialog) {
    WriteText(docs + L"\\Proj\\x.txt", "x");
    // It opens in app, New Folder goes beside it; System greyed by hand is on.
    WriteIni(app, L"Setting", L"Use=1|Attributes=1|System=2|Location=" + app);
    bool progressGone = false;
    const WindowHandler dialog = OperateDialog(L"..\\Out", L"OK(&O)");
    const Run run = RunBrisa(L"\"" + docs + L"\\Proj\"", [&](const SeenWindow& w) {
        if (w.className == L"#32770") {
            HWND progress = FindWindowW(L"LarkspurForm2", nullptr);
            progressGone = !progress || !IsWindowVisible(progress);
        }
        return dialog(w);
    });
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(Said(run.messages), L"" LARKSPUR_PRODUCT_NAME L": Succeeded!\n");
    EXPECT_TRUE(progressGone);
    EXPECT_EQ(ReadText(out + L"\\Proj\\x.txt"), "x");
    EXPECT_EQ(Attributes(out + L"\\Proj\\x.txt") & kRhs, FILE_ATTRIBUTE_SYSTEM);

    // A file sent onto a folder of its name (the dialog now opens in Out, as
    // remembered): the shell would put it inside, and the attributes would
    // land on the user's folder. Refused, and the folder is left alone.
    WriteText(docs + L"\\Report", "r");
    CreateDirectoryW((out + L"\\Report").c_str(), nullptr);
    const Run refused = RunBrisa(L"\"" + docs + L"\\Report\"", OperateDialog(L"", L"OK(&O)"));
    EXPECT_EQ(refused.exitCode, 4u);
    EXPECT_EQ(Said(refused.messages),
              L"" LARKSPUR_PRODUCT_NAME L": A file and a folder of the same name would meet in the output "
              L"folder, so nothing was copied:\r\n" +
                  out + L"\\Report\n");
    EXPECT_EQ(Attributes(out + L"\\Report"), DWORD{FILE_ATTRIBUTE_DIRECTORY});
}

// Silent Mode's engine on every kind of name and a 300-character path, twice
// (the second time over its own R+H+S copies), then with a source locked.
TEST_F(RunTest, SilentModeCopiesEveryNameAndLengthWithExactAttributes) {
    std::wstring deep = docs + L"\\Proj";
    while (deep.size() < 280) {
        deep += L"\\a-rather-long-folder-name";
    }
    const std::vector<std::wstring> files = {L"Proj\\.env", L"Proj\\Sub\\y.txt",
                                             L"Proj\\出力\\ソフト 😀.txt", L"a b.txt",
                                             deep.substr(docs.size() + 1) + L"\\deep.txt"};
    WriteIni(app, L"Silent",
             L"Use=1|Force=1|Attributes=1|ReadOnly=1|Hidden=1|System=1|Location=" + out);
    win32::Win32FileSystem fs;
    // The first content is longer than the copy's buffer; the second is
    // shorter than what it replaces.
    for (const std::string& content :
         {std::string(1 << 20, 'x') + "first", std::string("second")}) {
        for (const std::wstring& file : files) {
            WriteText(docs + L"\\" + file, content);
        }
        SetFileAttributesW((docs + L"\\a b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        const Run run = RunBrisa(docs + L"\\Proj \"" + docs + L"\\a b.txt\"");
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.messages.empty()) << "Silent Mode ends without a message";
        EXPECT_EQ(FilesBelow(out).size(), files.size());
        for (const std::wstring& file : files) {
            EXPECT_TRUE(ReadText(out + L"\\" + file) == content) << file;
            EXPECT_EQ(Attributes(out + L"\\" + file) & kRhs, kRhs) << file;
            EXPECT_EQ(fs.Info(out + L"\\" + file).writeTime,
                      fs.Info(docs + L"\\" + file).writeTime);
        }
    }
    EXPECT_EQ(Attributes(docs + L"\\Proj\\Sub\\y.txt") & kRhs, 0u) << "sources left alone";

    // With a source locked, a log and Quiet: the rest is copied, no message
    // waits for an answer, and the log tells it all.
    const win32::FileHandle lock(CreateFileW((docs + L"\\Proj\\Sub\\y.txt").c_str(), GENERIC_READ,
                                             0, nullptr, OPEN_EXISTING, 0, nullptr));
    scratch::RemoveTree(out);
    WriteIni(app, L"Silent", L"Log=run.log|Quiet=1");
    const Run run = RunBrisa(docs + L"\\Proj");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(FilesBelow(out).size(), 3u) << "the rest are copied";
    std::string log = ReadText(app + L"\\run.log");
    EXPECT_EQ(log.rfind("\xEF\xBB\xBF", 0), 0u) << "UTF-8 with its mark";
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6) << log;  // 4 files, start and end
    for (const std::string& part :
         {std::string("\tstart\titems=1\toutput="), std::string("\tnot-copied\t"),
          std::string("\\Proj\\Sub\\y.txt\t") +
              Utf8(win32::SystemErrorText(ERROR_SHARING_VIOLATION)),
          std::string("\tcopied\t"), std::string("\tend\tfiles=4\tcopied=3\tbytes="),
          std::string("\tfailed=1\tseconds=")}) {
        EXPECT_NE(log.find(part), std::string::npos) << part << " in " << log;
    }
}

// "Stop copying", sent as the icon's menu sends it: no more files are
// started, the rest are named, exit 6. Wine fact relied on: without a
// notification area the icon's owner window still gets the command.
TEST_F(RunTest, StoppingASilentRunStartsNoMoreFiles) {
    for (int i = 0; i < 1500; ++i) {
        WriteText(docs + L"\\Proj\\f" + std::to_wstring(i), "x");
    }
    WriteIni(app, L"Silent", L"Use=1|Force=1|Location=" + out);
    std::jthread stopper([&](std::stop_token stop) {
        while (!stop.stop_requested() && FilesBelow(out).size() < 50) {
            Sleep(5);
        }
        for (HWND owner = nullptr; !stop.stop_requested() && !owner; Sleep(5)) {
            owner = FindWindowW(L"LarkspurForm2", nullptr);
            PostMessageW(owner, WM_COMMAND, win32::kStopCopyingCommand, 0);
        }
    });
    const Run run = RunBrisa(docs + L"\\Proj");
    stopper.request_stop();
    EXPECT_EQ(run.exitCode, 6u);
    const std::wstring copied = std::to_wstring(FilesBelow(out).size()), said = Said(run.messages);
    EXPECT_EQ(
        said.find(L": Stopped: " + copied + L" of 1500 files were copied.\r\n\r\nNot copied ("),
        wcslen(L"" LARKSPUR_PRODUCT_NAME))
        << said;
    EXPECT_NE(said.find(L"):\r\nThe copy was stopped before this file."), std::wstring::npos);
}

// A full drive: a re-run's copy that does not fit leaves the earlier one
// whole; the shell's half copy (Engine=1) is named. Wine fact: a full tmpfs
// is ERROR_DISK_FULL.
TEST_F(RunTest, AFullDriveCostsNoEarlierCopy) {
    wchar_t drive[8] = {};
    if (!GetEnvironmentVariableW(L"LARKSPUR_SMALL_DRIVE", drive, 8) || !*drive) {
        GTEST_SKIP() << "no small drive: ordinary_user.sh maps one where a tmpfs can be mounted";
    }
    const std::wstring small = std::wstring(drive) + L"\\out";
    scratch::RemoveTree(small);
    WriteIni(app, L"Silent",
             L"Use=1|Force=1|Attributes=1|ReadOnly=1|Hidden=1|System=1|Location=" + small);
    const std::string first(3 << 20, '1');
    WriteText(docs + L"\\g.bin", first);
    EXPECT_EQ(RunBrisa(docs + L"\\g.bin").exitCode, 0u);
    WriteText(docs + L"\\g.bin", std::string(4 << 20, '2'));
    Run run = RunBrisa(docs + L"\\g.bin");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_NE(Said(run.messages)
                  .find(L"Not copied (1):\r\n" + win32::SystemErrorText(ERROR_DISK_FULL) +
                        L"\r\n  " + small + L"\\g.bin\n"),
              std::wstring::npos);
    EXPECT_TRUE(ReadText(small + L"\\g.bin") == first) << "the earlier copy is whole";
    EXPECT_EQ(Attributes(small + L"\\g.bin") & kRhs, kRhs);
    EXPECT_EQ(FilesBelow(small).size(), 1u) << "nothing half-written is left";

    WriteIni(app, L"Silent", L"Engine=1");
    WriteText(docs + L"\\h.bin", std::string(3 << 20, 'h'));
    run = RunBrisa(docs + L"\\h.bin");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(Said(run.messages),
              L"" LARKSPUR_PRODUCT_NAME L": Aborted!\r\n\r\nNot copied (1):\r\n"
              L"The copy is not the size of its file.\r\n  " +
                  small + L"\\h.bin\n");
}

// Every name and folder once: x beside x., a link back into its folder
// (ordinary_user.sh makes it) named, and names that differ only in the case
// of letters beyond ASCII refused. Wine facts relied on: a Unix symbolic link
// shows as a folder link; names compare ignoring case over all of Unicode.
TEST_F(RunTest, EveryNameAndFolderExactlyOnce) {
    wchar_t links[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"LARKSPUR_LINKS", links, MAX_PATH)) {
        GTEST_SKIP() << "no tree with a folder link: ordinary_user.sh makes one";
    }
    const std::wstring proj = std::wstring(links) + L"\\Proj";
    for (const wchar_t* name : {L"\\x", L"\\x.", L"\\d\\y.txt"}) {
        WriteText(proj + name, std::string(name, name + wcslen(name)));
    }
    WriteIni(app, L"Silent", L"Use=1|Force=1|Location=" + out);
    Run run = RunBrisa(proj);
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_NE(Said(run.messages)
                  .find(L"Not copied (1):\r\nA folder link that leads back into a "
                        L"folder it lies in was not followed.\r\n  " +
                        proj + L"\\d\\loop\n"),
              std::wstring::npos);
    EXPECT_EQ(FilesBelow(out).size(), 3u);
    for (const wchar_t* name : {L"\\x", L"\\x.", L"\\d\\y.txt"}) {
        EXPECT_EQ(ReadText(out + L"\\Proj" + name), std::string(name, name + wcslen(name)));
    }

    WriteText(docs + L"\\A\\Résumé.txt", "a");
    WriteText(docs + L"\\B\\RÉSUMÉ.txt", "b");
    scratch::RemoveTree(out);
    run = RunBrisa(docs + L"\\A\\Résumé.txt " + docs + L"\\B\\RÉSUMÉ.txt");
    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_NE(Said(run.messages)
                  .find(L"the same name below the output folder, so nothing was "
                        L"copied:\r\n" +
                        docs + L"\\A\\Résumé.txt\r\n" + docs),
              std::wstring::npos);
    EXPECT_EQ(Attributes(out), INVALID_FILE_ATTRIBUTES) << "no folder made";
}

// Brisa.exe imports Windows' known DLLs only, which the loader always takes
// from the system folder: any other (of ours, the compiler's runtime, or
// version, uxtheme, dbghelp) is first looked for in the program's folder,
// where a planted copy would run inside the program. comctl32 comes
// through the manifest's side-by-side dependency.
TEST(Platform, ImportsKnownDllsOnlyAndReadsItsResources) {
    HMODULE brisa = LoadLibraryExW((BinDir() + L"\\Brisa.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(brisa, nullptr);
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<uintptr_t>(brisa) & ~3);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const std::set<std::string> known = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",   "shell32.dll", "ole32.dll", "oleaut32.dll",
        "advapi32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll",  "imm32.dll", "comctl32.dll"};
    std::set<std::string> imports;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
         d->Name; ++d) {
        std::string name = reinterpret_cast<const char*>(base + d->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        EXPECT_TRUE(known.count(name)) << name << " would be looked for in the program's folder";
        imports.insert(name);
    }
    EXPECT_TRUE(imports.count("kernel32.dll"));
    EXPECT_EQ(win32::VersionString(brisa, L"ProductName"), L"" LARKSPUR_PRODUCT_NAME);
    EXPECT_NE(FindResourceW(brisa, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr)
        << "the manifest stored as RT_MANIFEST";
    FreeLibrary(brisa);
}

// The engine on both ways of the platform's copy (the stream-keeping one
// forced), twice, the second verified over its own R+H+S copies.
TEST(Platform, BothWaysOfCopyingReplaceTheirOwnCopies) {
    const std::wstring dir = ScratchDir();
    for (const bool streams : {false, true}) {
        ScratchProcess process;
        app::Win32Machine machine(process);
        machine.fs.keepStreamsEverywhere = streams;
        const std::wstring docs = dir + (streams ? L"\\s" : L"\\w"), out = docs + L"-out\\";
        const std::vector<SourceFile> files = {{docs + L"\\a.txt", docs.size() + 1},
                                               {docs + L"\\Sub\\b.txt", docs.size() + 1}};
        for (const std::string& content : {std::string(300 << 10, 'x'), std::string("second")}) {
            for (const SourceFile& file : files) {
                WriteText(file.path, content);
            }
            const CopyOptions options{out, kRhs, true, content.size() < 10};
            const Verdict verdict =
                CopyWithEngine(machine.platform, files, Destinations(files, out), options, 2);
            EXPECT_TRUE(verdict.Succeeded()) << verdict.message;
            for (const SourceFile& file : files) {
                const std::wstring copy = out + std::wstring(file.Relative());
                EXPECT_TRUE(ReadText(copy) == content) << copy;
                EXPECT_EQ(Attributes(copy) & kRhs, kRhs) << copy;
                EXPECT_EQ(machine.fs.Info(copy).writeTime, machine.fs.Info(file.path).writeTime);
            }
            EXPECT_EQ(FilesBelow(out).size(), files.size()) << "no file of the copy's own left";
        }
    }
    // Paths in the extended form, shares too, a name as it is; a folder that
    // cannot be listed is not an empty one.
    EXPECT_EQ(win32::ForApi(L"\\\\server\\share\\x."), L"\\\\?\\UNC\\server\\share\\x.");
    EXPECT_EQ(win32::ForApi(L"C:\\a\\..\\b/c") + win32::ForApi(L"C:\\.\\d"),
              L"\\\\?\\C:\\b\\c\\\\?\\C:\\d")
        << "typed: normalised";
    EXPECT_EQ(win32::ForApi(L"e"), L"\\\\?\\" + win32::Win32FileSystem().FullPath(L".") + L"\\e");
    EXPECT_EQ(
        win32::VolumeRoot(L"\\\\?\\UNC\\server\\share\\x") + win32::VolumeRoot(L"\\\\?\\D:\\x"),
        L"\\\\server\\share\\D:\\")
        << "the volume asked whether it holds streams";
    EXPECT_EQ(win32::Win32FileSystem().ListFolder(L"C:\\no such folder\\",
                                                  [](std::wstring_view, uint32_t, uint64_t) {}),
              ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace larkspur::wine_test
