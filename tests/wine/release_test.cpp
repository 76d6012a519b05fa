// The release as a Windows user gets it. release_test.sh builds the zip,
// unpacks it, makes a fresh headless prefix and runs this driver there with
// LARKSPUR_RELEASE_DIR naming the unpacked folder.
//
// Wine facts relied on: a fresh prefix has a Send To folder without
// BrisA.lnk; drive Z: is the Linux root; Archive always reads as set on
// files, so the chosen set includes it and compares exactly; Hidden and
// System are kept in the user.DOSATTRIB xattr; message boxes block until
// answered.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <regex>

#include "support.h"

namespace larkspur::wine_test {
namespace {

class Release : public InstallTest {
  protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t dir[MAX_PATH] = {};
        GetEnvironmentVariableW(L"LARKSPUR_RELEASE_DIR", dir, MAX_PATH);
        ASSERT_TRUE(*dir) << "LARKSPUR_RELEASE_DIR: run by release_test.sh";
        root = ScratchDir();
        app = dir;
        exe = app + L"\\Brisa.exe";
        ini = app + L"\\Brisa.ini";
        docs = root + L"\\Docs";
        out = root + L"\\Sent to Larkspur";  // made by the settings window's OK
    }
};

// Every file the README's links and pictures point to is in the zip.
TEST_F(Release, TheZipHoldsTheProgramItsTextsAndTheirPictures) {
    std::vector<std::wstring> expected = {L"Brisa.exe", L"LICENSE.txt", L"README.txt"};
    const std::string readme = ReadText(app + L"\\README.txt");
    EXPECT_EQ(readme.rfind("# Larkspur (Brisa.exe)", 0), 0u);
    const std::regex link(R"(\]\(([^)#:]+)\))");  // not addresses, not anchors
    for (std::sregex_iterator m(readme.begin(), readme.end(), link), end; m != end; ++m) {
        std::string target = (*m)[1];
        std::replace(target.begin(), target.end(), '/', '\\');
        expected.emplace_back(target.begin(), target.end());
    }
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_GT(expected.size(), 4u) << "the pictures";
    EXPECT_EQ(FilesBelow(app), expected);
    const std::string license = ReadText(app + L"\\LICENSE.txt");
    EXPECT_NE(license.find("Copyright (c) 2026 The Larkspur developers"), std::string::npos);
}

// Started by itself: Make Shortcut (twice: the second finds it), then
// Silent Mode with R, S and A, and OK. The shortcut's target, started as
// Send To starts it, copies files and a folder with exactly that set.
TEST_F(Release, TheSettingsWindowMakesTheShortcutAndSendToRunsItInSilentMode) {
    wchar_t sendTo[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo), S_OK);
    const std::wstring link = std::wstring(sendTo) + L"\\BrisA.lnk";
    int pressed = 0, shown = 0;
    Run run = RunBrisa(L"", [&](const SeenWindow& w) {
        if (w.className == L"#32770") {
            ++shown;
            return false;  // answered with its default button
        }
        if (w.title != L"Silent Mode Settings" || FindWindowW(L"#32770", nullptr) ||
            shown < pressed) {
            return false;  // offered again once the message has gone
        }
        if (pressed < 2) {
            Click(FindChild(w.hwnd, L"Button", L"Make Shortcut(&S)"));
            ++pressed;
            return false;
        }
        SendMessageW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(out.c_str()));
        // Posted, so taken in order: each box enables the next.
        for (const wchar_t* box : {L"Silent Mode", L"Attributes", L"R", L"S", L"A", L"OK(&O)"}) {
            Click(FindChild(w.hwnd, L"Button", box));
        }
        return true;
    });
    EXPECT_EQ(run.exitCode, 0u) << "OK saved";
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0].text, L"送るにショートカットを作成しました\r\nSucceeded.");
    EXPECT_EQ(run.messages[1].title, L"Larkspur Ver.1.52") << "the shortcut exists";
    win32::ComPtr<IShellLinkW> shortcut;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               shortcut.put()),
              S_OK);
    win32::ComPtr<IPersistFile> file;
    shortcut->QueryInterface(IID_IPersistFile, file.put());
    ASSERT_EQ(file->Load(link.c_str(), STGM_READ), S_OK);
    wchar_t target[MAX_PATH] = {};
    shortcut->GetPath(target, MAX_PATH, nullptr, 0);
    EXPECT_EQ(_wcsicmp(target, exe.c_str()), 0) << target;
    EXPECT_EQ(Ini(app, L"Silent", L"Location"), out);

    const std::vector<std::wstring> files = {L"Photos\\Trip\\b.jpg", L"Photos\\a.jpg",
                                             L"Photos\\hidden.txt", L"notes.txt", L"two words.txt"};
    for (const std::wstring& name : files) {
        WriteText(docs + L"\\" + name, "x");
    }
    WriteText(docs + L"\\not sent.txt", "x");
    SetFileAttributesW((docs + L"\\Photos\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    exe = target;
    run = RunBrisa(docs + L"\\notes.txt \"" + docs + L"\\two words.txt\" " + docs + L"\\Photos");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(FilesBelow(out), files);
    for (const std::wstring& name : files) {
        EXPECT_EQ(Attributes(out + L"\\" + name) & (kRhs | FILE_ATTRIBUTE_ARCHIVE),
                  DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE});
    }
    EXPECT_EQ(Attributes(docs + L"\\Photos\\hidden.txt") & kRhs, DWORD{FILE_ATTRIBUTE_HIDDEN});
}

}  // namespace
}  // namespace larkspur::wine_test
