// The Win32 side of the platform, on real files and real resources.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "paths/make_path.h"
#include "platform/win32/win32_platform.h"
#include "support.h"

namespace larkspur::wine_test {
namespace {

using win32::Win32FileSystem;

// The executable may import system DLLs only: a DLL of ours, of the compiler
// (libstdc++, libgcc, libwinpthread) or a helper such as dbghelp would either
// be missing on the user's machine or be loaded from the program's folder.
TEST(Executable, ImportsSystemDllsOnly) {
    const std::string image = ReadText(BinDir() + L"\\Brisa.exe");
    ASSERT_GT(image.size(), 0x400u);
    auto at = [&](size_t offset) { return image.data() + offset; };
    auto u32 = [&](size_t offset) {
        uint32_t v;
        std::memcpy(&v, at(offset), 4);
        return v;
    };
    const size_t pe = u32(0x3C);
    ASSERT_EQ(std::memcmp(at(pe), "PE\0\0", 4), 0);
    const size_t fileHeader = pe + 4;
    uint16_t sections, optionalSize;
    std::memcpy(&sections, at(fileHeader + 2), 2);
    std::memcpy(&optionalSize, at(fileHeader + 16), 2);
    const size_t optional = fileHeader + 20;
    const uint32_t importRva = u32(optional + 112 + 8);  // PE32+: data directory 1
    const size_t sectionTable = optional + optionalSize;
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (size_t i = 0; i < sections; ++i) {
            const size_t s = sectionTable + i * 40;
            const uint32_t va = u32(s + 12), size = u32(s + 8), raw = u32(s + 20);
            if (rva >= va && rva < va + size) {
                return rva - va + raw;
            }
        }
        return 0;
    };
    std::set<std::string> imports;
    for (size_t d = fileOffset(importRva); u32(d + 12) != 0; d += 20) {
        std::string name = at(fileOffset(u32(d + 12)));
        for (char& c : name) {
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
        imports.insert(name);
    }
    const std::set<std::string> system = {
        "kernel32.dll", "user32.dll",   "gdi32.dll",  "shell32.dll", "ole32.dll",  "comctl32.dll",
        "version.dll",  "advapi32.dll", "msvcrt.dll", "uxtheme.dll", "shlwapi.dll"};
    for (const std::string& name : imports) {
        EXPECT_TRUE(system.count(name)) << name << " is not a system DLL";
    }
    EXPECT_TRUE(imports.count("kernel32.dll"));
}

TEST(Resources, CarryTheVersionInformationAndTitle) {
    HMODULE brisa = LoadLibraryExW((BinDir() + L"\\Brisa.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(brisa, nullptr);
    EXPECT_EQ(win32::VersionString(brisa, L"ProductName"), L"Larkspur Ver.1.52");
    EXPECT_EQ(win32::VersionString(brisa, L"FileVersion"), L"1.52.0237");
    EXPECT_EQ(win32::VersionString(brisa, L"ProductVersion"), L"1.52.0237");
    EXPECT_EQ(win32::VersionString(brisa, L"InternalName"), L"Brisa");
    EXPECT_EQ(win32::VersionString(brisa, L"OriginalFilename"), L"Brisa.exe");
    HICON tray =
        static_cast<HICON>(LoadImageW(brisa, MAKEINTRESOURCEW(101), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(tray, nullptr);
    DestroyIcon(tray);
    wchar_t title[32] = {};
    EXPECT_GT(LoadStringW(brisa, 1, title, 32), 0);
    EXPECT_STREQ(title, L"Larkspur");
    EXPECT_NE(FindResourceW(brisa, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr)
        << "the manifest must be stored as RT_MANIFEST";
    FreeLibrary(brisa);
}

TEST(FileSystem, AnswersWhatThePortableCodeAsks) {
    const std::wstring dir = ScratchDir(L"platform-fs");
    Win32FileSystem fs;
    WriteText(dir + L"\\Mixed Case Name.txt", "m");
    WriteText(dir + L"\\Folder\\inner.txt", "i");
    WriteText(dir + L"\\hidden.txt", "h");
    SetFileAttributesW((dir + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(fs.StoredName(dir + L"\\MIXED CASE NAME.TXT"), L"Mixed Case Name.txt");
    EXPECT_EQ(fs.StoredName(dir + L"\\hidden.txt"), L"hidden.txt");
    EXPECT_EQ(fs.StoredName(dir + L"\\nothing"), L"");
    EXPECT_TRUE(fs.FolderExists(dir + L"\\Folder"));
    EXPECT_TRUE(fs.FolderExists(dir + L"\\Folder\\"));
    EXPECT_FALSE(fs.FolderExists(dir + L"\\hidden.txt"));
    EXPECT_EQ(fs.Attributes(dir + L"\\nothing"), kInvalidAttributes);
    EXPECT_TRUE(fs.DriveReady(L'c'));
    EXPECT_TRUE(fs.DriveReady(L'C'));
    EXPECT_FALSE(fs.DriveReady(L'#'));

    std::set<std::wstring> names;
    EXPECT_TRUE(fs.ListFolder(dir + L"\\", [&](std::wstring_view name, uint32_t attributes) {
        names.insert(std::wstring(name) + ((attributes & kAttrDirectory) ? L"\\" : L""));
    }));
    EXPECT_EQ(names, (std::set<std::wstring>{L".\\", L"..\\", L"Folder\\", L"Mixed Case Name.txt",
                                             L"hidden.txt"}));
    EXPECT_FALSE(fs.ListFolder(dir + L"\\nothing\\", [](std::wstring_view, uint32_t) {}));

    // Short names, where the file system makes them (Wine's look like
    // PROG~FBU): the stored name comes back either way.
    wchar_t shortPath[MAX_PATH];
    if (GetShortPathNameW((dir + L"\\Mixed Case Name.txt").c_str(), shortPath, MAX_PATH)) {
        EXPECT_EQ(fs.StoredName(shortPath), L"Mixed Case Name.txt") << shortPath;
    }
}

TEST(FileSystem, ReachesPathsPastTheClassicLimit) {
    const std::wstring dir = ScratchDir(L"platform-long");
    Win32FileSystem fs;
    std::wstring deep = dir;
    while (deep.size() < 300) {
        deep += L"\\a-rather-long-folder-name";
    }
    ASSERT_TRUE(MakeSureDirectoryPathExists(fs, deep + L"\\"));
    EXPECT_TRUE(fs.FolderExists(deep));
    EXPECT_EQ(fs.StoredName(deep), L"a-rather-long-folder-name");
    EXPECT_EQ(win32::ForApi(L"C:\\short"), L"C:\\short");
    EXPECT_EQ(win32::ForApi(L"C:\\a\\.\\b/c\\\\" + std::wstring(250, L'x')),
              L"\\\\?\\C:\\a\\b\\c\\" + std::wstring(250, L'x'));
    EXPECT_EQ(win32::ForApi(L"\\\\srv\\share\\" + std::wstring(250, L'x')),
              L"\\\\?\\UNC\\srv\\share\\" + std::wstring(250, L'x'));
}

TEST(Profile, ANewSettingsFileIsUnicodeAndKeepsNamesOutsideTheCodePage) {
    const std::wstring dir = ScratchDir(L"platform-ini");
    win32::Win32Profile profile;
    const std::wstring ini = dir + L"\\Brisa.ini";
    const std::wstring folder = L"C:\\出力\\Ünïcødé 😀";
    EXPECT_EQ(profile.Read(L"Silent", L"Location", 255, ini), L"");
    EXPECT_FALSE(Exists(ini)) << "reading creates no file";
    ASSERT_TRUE(profile.Write(L"Silent", L"Location", folder, ini));
    EXPECT_EQ(profile.Read(L"silent", L"LOCATION", 255, ini), folder);
    const std::string bytes = ReadText(ini);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");

    // A file that exists in the ANSI code page stays so.
    const std::wstring ansi = dir + L"\\ansi.ini";
    WriteText(ansi, "[Silent]\r\nUse=1\r\n");
    ASSERT_TRUE(profile.Write(L"Silent", L"Force", L"1", ansi));
    EXPECT_EQ(ReadText(ansi).substr(0, 8), "[Silent]");
    EXPECT_EQ(profile.Read(L"Silent", L"Use", 255, ansi), L"1");

    // 255 characters of buffer: 254 come back.
    ASSERT_TRUE(profile.Write(L"Silent", L"Long", std::wstring(300, L'x'), ini));
    EXPECT_EQ(profile.Read(L"Silent", L"Long", 255, ini), std::wstring(254, L'x'));
}

}  // namespace
}  // namespace larkspur::wine_test
