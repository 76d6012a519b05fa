// The Win32 side of the platform, on the real executable and real files.
//
// Wine facts relied on: LOAD_LIBRARY_AS_IMAGE_RESOURCE maps a file as an
// image; the tests run as root.
#include <gtest/gtest.h>

#include <set>

#include "paths/make_path.h"
#include "support.h"

namespace larkspur::wine_test {
namespace {

// The executable imports Windows' known DLLs only, which the loader always
// takes from the system folder: any other DLL (of ours, of the compiler's
// runtime, or version, uxtheme, dbghelp) is first looked for in the
// program's folder, where a planted copy would run inside the program.
// comctl32 comes through the manifest's side-by-side dependency.
TEST(Executable, ImportsKnownDllsOnlyAndCarriesItsResources) {
    HMODULE brisa = LoadLibraryExW((BinDir() + L"\\Brisa.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(brisa, nullptr);
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<uintptr_t>(brisa) & ~3);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    std::set<std::string> imports;
    for (; import->Name; ++import) {
        std::string name = reinterpret_cast<const char*>(base + import->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        imports.insert(name);
    }
    const std::set<std::string> known = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",   "shell32.dll", "ole32.dll", "oleaut32.dll",
        "advapi32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll",  "imm32.dll", "comctl32.dll"};
    for (const std::string& name : imports) {
        EXPECT_TRUE(known.count(name)) << name << " would be looked for in the program's folder";
    }
    EXPECT_TRUE(imports.count("kernel32.dll"));
    EXPECT_EQ(win32::VersionString(brisa, L"ProductName"), L"Larkspur Ver.1.52");
    EXPECT_EQ(win32::VersionString(brisa, L"FileVersion"), L"1.52.0237");
    EXPECT_NE(FindResourceW(brisa, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr)
        << "the manifest stored as RT_MANIFEST";
    FreeLibrary(brisa);
}

// What the portable code asks of the file system, on paths past the
// classic limit too; a new settings file keeps names outside the code page.
TEST(FileSystem, AnswersOnLongPathsAndKeepsNamesWhole) {
    const std::wstring dir = ScratchDir();
    win32::Win32FileSystem fs;
    std::wstring deep = dir;
    while (deep.size() < 300) {
        deep += L"\\A rather long Folder";
    }
    ASSERT_TRUE(MakeSureDirectoryPathExists(fs, deep + L"\\"));
    WriteText(deep + L"\\hidden.txt", "h");
    fs.SetAttributes(deep + L"\\hidden.txt", kAttrHidden);
    ASSERT_TRUE(fs.Copy(deep + L"\\hidden.txt", deep + L"\\copy.txt"));
    EXPECT_EQ(ReadText(deep + L"\\copy.txt"), "h");
    EXPECT_EQ(fs.StoredName(deep + L"\\HIDDEN.TXT"), L"hidden.txt");
    EXPECT_EQ(fs.Attributes(deep + L"\\nothing"), kInvalidAttributes);
    EXPECT_FALSE(fs.Copy(deep + L"\\nothing", deep + L"\\copy.txt"));
    std::set<std::wstring> names;
    EXPECT_TRUE(fs.ListFolder(deep + L"\\", [&](std::wstring_view name, uint32_t attributes) {
        names.insert(std::wstring(name) + (attributes & kAttrDirectory ? L"\\" : L""));
    }));
    EXPECT_EQ(names, (std::set<std::wstring>{L".\\", L"..\\", L"copy.txt", L"hidden.txt"}));
    EXPECT_FALSE(fs.ListFolder(deep + L"\\nothing\\", [](std::wstring_view, uint32_t) {}));
    EXPECT_TRUE(fs.DriveReady(L'c'));
    EXPECT_FALSE(fs.DriveReady(L'#'));
    EXPECT_EQ(win32::ForApi(L"C:\\a\\.\\b/c\\\\" + std::wstring(250, L'x')),
              L"\\\\?\\C:\\a\\b\\c\\" + std::wstring(250, L'x'));
    EXPECT_EQ(win32::ForApi(L"\\\\srv\\share\\" + std::wstring(250, L'x')),
              L"\\\\?\\UNC\\srv\\share\\" + std::wstring(250, L'x'));

    win32::Win32Profile profile;
    const std::wstring ini = dir + L"\\Brisa.ini", folder = L"C:\\出力\\Ünïcødé 😀";
    EXPECT_EQ(profile.Read(L"Silent", L"Location", 255, ini), L"");
    ASSERT_TRUE(profile.Write(L"Silent", L"Location", folder, ini));
    EXPECT_EQ(profile.Read(L"silent", L"LOCATION", 255, ini), folder);
    EXPECT_EQ(ReadText(ini).substr(0, 2), "\xFF\xFE") << "UTF-16 with its mark";
    ASSERT_TRUE(profile.Write(L"Silent", L"Long", std::wstring(300, L'x'), ini));
    EXPECT_EQ(profile.Read(L"Silent", L"Long", 255, ini), std::wstring(254, L'x'));
}

}  // namespace
}  // namespace larkspur::wine_test
