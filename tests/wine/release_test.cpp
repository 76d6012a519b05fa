// The release as a Windows user gets it: release_test.sh builds the zip,
// unpacks it, makes a fresh headless prefix and runs this driver there with
// LARKSPUR_RELEASE_DIR naming the unpacked folder. Wine facts relied on: a
// fresh prefix has a Send To folder without BrisA.lnk; drive Z: is the
// Linux root; Archive always reads as set on files.
#include <gtest/gtest.h>
#include <shlobj.h>

#include "support.h"

namespace larkspur::wine_test {
namespace {

using Release = InstallTest;

// Started by itself, Make Shortcut puts BrisA.lnk in Send To, aimed at the
// program (pressed again, it finds it there), which Send To then starts in
// Silent Mode.
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
    EXPECT_EQ(
        Said(run.messages),
        L"Larkspur: 送るにショートカットを作成しました\r\nSucceeded.\n" LARKSPUR_PRODUCT_NAME L": "
        L"既にアイコンが存在するか作成ができません\r\nThe Icon already exists or not to create.\n");
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

    WriteText(docs + L"\\Photos\\a.jpg", "x");  // Send To starts the target in Silent Mode
    WriteIni(app, L"Silent", L"Use=1|Force=1|Attributes=1|ReadOnly=1|System=1|Location=" + out);
    exe = target;
    run = RunBrisa(docs + L"\\Photos");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(Attributes(out + L"\\Photos\\a.jpg") & kRhs, 0x5u) << "R and S: exactly the set";
}

}  // namespace
}  // namespace larkspur::wine_test
