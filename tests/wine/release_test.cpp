// The release as a Windows user gets it: release_test.sh builds the zip,
// unpacks it, makes a fresh headless prefix and runs this driver there with
// LARKSPUR_RELEASE_DIR naming the unpacked folder. Wine facts relied on: a
// fresh prefix has a Send To folder without BrisA.lnk; drive Z: is the
// Linux root; Archive always reads as set on files.
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
        ASSERT_TRUE(GetEnvironmentVariableW(L"LARKSPUR_RELEASE_DIR", dir, MAX_PATH));
        root = ScratchDir();
        exe = (app = dir) + L"\\Brisa.exe";
        ini = app + L"\\Brisa.ini";
        docs = root + L"\\Docs";
        out = root + L"\\Out";
    }
};

// The zip holds the program, its texts, and every file their links show.
TEST_F(Release, TheZipHoldsTheProgramItsTextsAndTheirPictures) {
    std::vector<std::wstring> expected = {L"Brisa.exe", L"LICENSE.txt", L"README.txt"};
    const std::string readme = ReadText(app + L"\\README.txt");
    const std::regex link(R"(\]\(([^)#:]+)\))");  // not addresses, not anchors
    for (std::sregex_iterator m(readme.begin(), readme.end(), link), end; m != end; ++m) {
        std::string target = std::regex_replace((*m)[1].str(), std::regex("/"), "\\");
        expected.emplace_back(target.begin(), target.end());
    }
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_GT(expected.size(), 4u) << "the pictures";
    EXPECT_EQ(FilesBelow(app), expected);
    EXPECT_NE(ReadText(app + L"\\LICENSE.txt").find("Copyright (c) 2026 The Larkspur developers"),
              std::string::npos);
}

// Started by itself, Make Shortcut puts BrisA.lnk in Send To (pressed again,
// it finds it there); the shortcut's target, started as Send To starts it
// in Silent Mode, copies files and a folder with exactly the chosen set.
TEST_F(Release, MakeShortcutThenSendToCopiesInSilentMode) {
    wchar_t sendTo[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo), S_OK);
    int pressed = 0, shown = 0;
    Run run = RunBrisa(L"", [&](const SeenWindow& w) {
        shown += w.className == L"#32770";
        if (w.title != L"Silent Mode Settings" || FindWindowW(L"#32770", nullptr) ||
            shown < pressed) {
            return false;  // message boxes get their default button
        }
        Click(FindChild(w.hwnd, L"Button", pressed++ < 2 ? L"Make Shortcut(&S)" : L"Cancel(&C)"));
        return pressed > 2;
    });
    EXPECT_EQ(run.exitCode, 1u) << "Cancel";
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0].text, L"送るにショートカットを作成しました\r\nSucceeded.");
    EXPECT_EQ(run.messages[1].title, L"Larkspur Ver.1.52") << "the shortcut exists";
    win32::ComPtr<IShellLinkW> shortcut;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               shortcut.put()),
              S_OK);
    win32::ComPtr<IPersistFile> file;
    shortcut->QueryInterface(IID_IPersistFile, file.put());
    ASSERT_EQ(file->Load((std::wstring(sendTo) + L"\\BrisA.lnk").c_str(), STGM_READ), S_OK);
    wchar_t target[MAX_PATH] = {};
    shortcut->GetPath(target, MAX_PATH, nullptr, 0);
    EXPECT_EQ(_wcsicmp(target, exe.c_str()), 0) << target;

    const std::vector<std::wstring> files = {L"Photos\\Trip\\b.jpg", L"Photos\\a.jpg",
                                             L"Photos\\hidden.txt", L"notes.txt", L"two words.txt"};
    for (const std::wstring& name : files) {
        WriteText(docs + L"\\" + name, "x");
    }
    WriteText(docs + L"\\not sent.txt", "x");
    SetFileAttributesW((docs + L"\\Photos\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (const auto& [key, value] : {std::pair{L"Use", L"1"},
                                     {L"Force", L"1"},
                                     {L"Attributes", L"1"},
                                     {L"ReadOnly", L"1"},
                                     {L"System", L"1"},
                                     {L"Archive", L"1"}}) {
        Set(L"Silent", key, value);
    }
    Set(L"Silent", L"Location", out);
    exe = target;
    run = RunBrisa(docs + L"\\notes.txt \"" + docs + L"\\two words.txt\" " + docs + L"\\Photos");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(FilesBelow(out), files);
    for (const std::wstring& name : files) {
        EXPECT_EQ(Attributes(out + L"\\" + name) & 0x27, 0x25u) << "R, S and A: exactly the set";
    }
}

}  // namespace
}  // namespace larkspur::wine_test
