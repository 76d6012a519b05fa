// Whole runs of Brisa.exe on real files, started as Send To starts it,
// showing what only a real process can. Wine facts relied on: Archive always
// reads as set on files, so only R, H and S are compared; Hidden and System
// live in an extended attribute; the headless prefix has no notification
// area, so every Silent Mode run here also shows that a failed icon does
// not stop it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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
}

// Silent Mode's own engine on a tree of every kind of name, with a path of
// 300 characters, content and last-write time kept; twice, the second time over its own R+H+S
// copies; then with one source locked, which alone is missing.
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
            EXPECT_EQ(fs.WriteTime(out + L"\\" + file), fs.WriteTime(docs + L"\\" + file));
        }
    }
    EXPECT_EQ(Attributes(docs + L"\\Proj\\Sub\\y.txt") & kRhs, 0u) << "sources left alone";

    const win32::FileHandle lock(CreateFileW((docs + L"\\Proj\\Sub\\y.txt").c_str(), GENERIC_READ,
                                             0, nullptr, OPEN_EXISTING, 0, nullptr));
    scratch::RemoveTree(out);
    const Run run = RunBrisa(docs + L"\\Proj");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_EQ(Said(run.messages),
              L"" LARKSPUR_PRODUCT_NAME L": The copy did not complete: not every file was "
              L"copied.\r\n\r\nNot copied (1):\r\n" +
                  out + L"\\Proj\\Sub\\y.txt\n");
    EXPECT_EQ(FilesBelow(out).size(), 3u) << "the rest are copied";
}

// A settings file of binary garbage reads as no settings: an interactive
// run, whose Cancel ends it with 1 and leaves the file as it was.
TEST_F(RunTest, GarbageSettingsReadAsNone) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919 + 13) % 256);
    }
    WriteText(ini, garbage);
    WriteText(docs + L"\\a.txt", "a");
    const Run run = RunBrisa(docs + L"\\a.txt", OperateDialog(L"", L"Cancel(&C)"));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(ReadText(ini), garbage);
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

// Long paths reach the file system in the extended form, on shares too; a
// folder that cannot be listed is not an empty one.
TEST(Platform, LongPathsAndFoldersThatCannotBeListed) {
    const std::wstring name(300, L'n');
    EXPECT_EQ(win32::ForApi(L"\\\\server\\share\\" + name), L"\\\\?\\UNC\\server\\share\\" + name);
    win32::Win32FileSystem fs;
    EXPECT_EQ(fs.ListFolder(L"C:\\no such folder\\", [](std::wstring_view, uint32_t) {}),
              ERROR_PATH_NOT_FOUND);
}

}  // namespace
}  // namespace larkspur::wine_test
