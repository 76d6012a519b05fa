// The release as a Windows user gets it. release_test.sh builds the zip,
// unpacks it, makes a fresh headless prefix and runs this driver there with
// LARKSPUR_RELEASE_DIR naming the unpacked folder. The unpacked Brisa.exe,
// started by itself, makes its Send To shortcut and saves Silent Mode
// settings through its settings window; the shortcut's target, started as
// Send To starts it, copies real files and a folder with exactly the chosen
// attributes.
//
// Wine facts relied on: a fresh prefix has a Send To folder and no BrisA.lnk
// in it; drive Z: is the Linux root; Archive always reads as set on files,
// so the chosen set includes Archive and compares exactly; Hidden and System
// are kept in the user.DOSATTRIB xattr of the build folder's file system;
// the headless prefix has no notification area, so the Silent Mode icon is
// not shown and the run goes on without it; its message boxes exist and
// block until answered.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "support.h"

namespace larkspur::wine_test {
namespace {

constexpr DWORD kAll = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                       FILE_ATTRIBUTE_ARCHIVE;

std::wstring ReleaseDir() {
    wchar_t dir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LARKSPUR_RELEASE_DIR", dir, MAX_PATH);
    return dir;
}

std::wstring Setting(const Install& install, const wchar_t* key) {
    wchar_t value[300] = {};
    GetPrivateProfileStringW(L"Silent", key, L"(none)", value, 300, install.ini.c_str());
    return value;
}

std::wstring ShortcutTarget(const std::wstring& link) {
    IShellLinkW* shortcut = nullptr;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shortcut)) !=
        S_OK) {
        return L"(no IShellLinkW)";
    }
    IPersistFile* file = nullptr;
    shortcut->QueryInterface(IID_PPV_ARGS(&file));
    wchar_t target[MAX_PATH] = {};
    if (file->Load(link.c_str(), STGM_READ) == S_OK) {
        shortcut->GetPath(target, MAX_PATH, nullptr, 0);
    }
    file->Release();
    shortcut->Release();
    return target;
}

// Runs first, before the program has written Brisa.ini beside itself.
TEST(Release, TheZipHoldsTheProgramTheReadmeAndTheLicense) {
    const std::wstring dir = ReleaseDir();
    ASSERT_FALSE(dir.empty()) << "LARKSPUR_RELEASE_DIR: run by release_test.sh";
    EXPECT_EQ(FilesBelow(dir),
              (std::vector<std::wstring>{L"Brisa.exe", L"LICENSE.txt", L"README.txt"}));
    EXPECT_EQ(ReadText(dir + L"\\README.txt").rfind("# Larkspur (Brisa.exe)", 0), 0u);
    const std::string license = ReadText(dir + L"\\LICENSE.txt");
    EXPECT_EQ(license.rfind("MIT License", 0), 0u);
    EXPECT_NE(license.find("Copyright (c) 2026 The Larkspur developers"), std::string::npos);
}

TEST(Release, TheSettingsWindowMakesTheShortcutAndSendToRunsItInSilentMode) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring dir = ReleaseDir();
    ASSERT_FALSE(dir.empty()) << "LARKSPUR_RELEASE_DIR: run by release_test.sh";
    const Install unpacked{dir, dir + L"\\Brisa.exe", dir + L"\\Brisa.ini"};
    wchar_t sendTo[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo), S_OK);
    const std::wstring link = std::wstring(sendTo) + L"\\BrisA.lnk";
    ASSERT_FALSE(Exists(link)) << "a fresh prefix";
    const std::wstring work = ScratchDir(L"release");
    const std::wstring out = work + L"\\Sent to Larkspur";  // made by OK

    // Started with no arguments: the settings window. Make Shortcut, its
    // message answered; then Silent Mode on, the output folder, Attributes
    // with R, S and A, and OK.
    bool shortcutPressed = false;
    HWND shortcutMessage = nullptr;
    auto press = [](HWND window, const wchar_t* caption) {
        HWND button = FindChild(window, L"Button", caption);
        EXPECT_NE(button, nullptr) << "no button or box captioned " << caption;
        if (button) {
            Click(button);
        }
    };
    const RunResult settings = RunBrisa(unpacked, L"", [&](const SeenWindow& w) {
        if (w.className == L"#32770") {
            shortcutMessage = w.hwnd;
            return false;  // answered with its default button, OK
        }
        if (w.title != L"Silent Mode Settings") {
            return false;
        }
        if (!shortcutPressed) {
            press(w.hwnd, L"Make Shortcut(&S)");
            shortcutPressed = true;
            return false;  // offered again until the message has gone
        }
        if (!shortcutMessage || IsWindow(shortcutMessage)) {
            return false;
        }
        DWORD_PTR ignored;
        SendMessageTimeoutW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(out.c_str()), SMTO_ABORTIFHUNG, 5000,
                            &ignored);
        // Posted, so taken in this order: each box is enabled by the one
        // before it.
        for (const wchar_t* box : {L"Silent Mode", L"Attributes", L"R", L"S", L"A", L"OK(&O)"}) {
            press(w.hwnd, box);
        }
        return true;
    });
    EXPECT_FALSE(settings.timedOut);
    EXPECT_EQ(settings.exitCode, 0u) << "OK saved";
    ASSERT_EQ(settings.messages.size(), 1u);
    EXPECT_EQ(settings.messages[0].title, L"Larkspur");
    EXPECT_EQ(settings.messages[0].text, L"送るにショートカットを作成しました\r\nSucceeded.");

    ASSERT_TRUE(Exists(link)) << "BrisA.lnk in Send To";
    const std::wstring target = ShortcutTarget(link);
    EXPECT_EQ(_wcsicmp(target.c_str(), unpacked.exe.c_str()), 0) << target;

    EXPECT_TRUE(Attributes(out) != INVALID_FILE_ATTRIBUTES &&
                (Attributes(out) & FILE_ATTRIBUTE_DIRECTORY))
        << "OK makes the output folder";
    EXPECT_EQ(Setting(unpacked, L"Use"), L"1");
    EXPECT_EQ(Setting(unpacked, L"Location"), out);
    EXPECT_EQ(Setting(unpacked, L"Force"), L"0");
    EXPECT_EQ(Setting(unpacked, L"Attributes"), L"1");
    EXPECT_EQ(Setting(unpacked, L"ReadOnly"), L"1");
    EXPECT_EQ(Setting(unpacked, L"Hidden"), L"0");
    EXPECT_EQ(Setting(unpacked, L"System"), L"1");
    EXPECT_EQ(Setting(unpacked, L"Archive"), L"1");

    // Send To: the shortcut's target started with the selected items, the
    // one with spaces quoted.
    const std::wstring docs = work + L"\\Docs";
    WriteText(docs + L"\\notes.txt", "notes");
    WriteText(docs + L"\\two words.txt", "two words");
    WriteText(docs + L"\\Photos\\a.jpg", "a");
    WriteText(docs + L"\\Photos\\hidden.txt", "hidden");
    WriteText(docs + L"\\Photos\\Trip\\b.jpg", "b");
    WriteText(docs + L"\\not sent.txt", "not sent");
    const std::wstring hidden = docs + L"\\Photos\\hidden.txt";
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(Attributes(hidden) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN})
        << "no user xattrs where the prefix lives";
    const std::wstring targetDir = target.substr(0, target.find_last_of(L'\\'));
    const Install sendToTarget{targetDir, target, targetDir + L"\\Brisa.ini"};
    const RunResult run = RunBrisa(
        sendToTarget, docs + L"\\notes.txt \"" + docs + L"\\two words.txt\" " + docs + L"\\Photos");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty()) << "Silent Mode ends without a message";
    std::vector<std::wstring> expected{L"notes.txt", L"two words.txt", L"Photos\\a.jpg",
                                       L"Photos\\hidden.txt", L"Photos\\Trip\\b.jpg"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesBelow(out), expected);
    for (const std::wstring& copy : expected) {
        EXPECT_EQ(Attributes(out + L"\\" + copy) & kAll,
                  DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE})
            << std::string(copy.begin(), copy.end());
    }
    EXPECT_EQ(ReadText(out + L"\\two words.txt"), "two words");
    EXPECT_EQ(ReadText(out + L"\\Photos\\Trip\\b.jpg"), "b");
    EXPECT_EQ(Attributes(hidden) & kAll, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE})
        << "the source is left alone";
    CoUninitialize();
}

}  // namespace
}  // namespace larkspur::wine_test
