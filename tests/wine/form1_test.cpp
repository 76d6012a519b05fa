// The settings window, created for real in this process and driven with
// window messages, its settings file in a scratch folder; one whole run of
// Brisa.exe started without arguments at the end.
//
// Wine facts relied on: Wine reports 96 DPI, so positions compare directly
// with the table; the prefix has a Send To folder; Wine's folder browser
// takes BFFM_SETSELECTIONW with a path it reaches through My Computer
// (C:\windows; not the temporary folder) and greys its OK button for every
// folder when asked to browse for computers; a file opened without sharing
// makes WritePrivateProfileStringW fail; the headless prefix may have no
// Japanese font at all, so the links' face is checked only for existing.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "app/machine.h"
#include "platform/win32/win32_platform.h"
#include "support.h"
#include "ui/settings_window.h"

namespace larkspur::wine_test {
namespace {

using ui::ControlRow;
using ui::Kind;
using ui::SettingsWindow;

class RecordingProfile : public win32::Win32Profile {
  public:
    std::vector<std::wstring> writes;  // "key=value", in order
    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value,
               const std::wstring& file) override {
        writes.push_back(key + L"=" + value);
        return Win32Profile::Write(section, key, value, file);
    }
};

class RecordingShell : public win32::Win32Shell {
  public:
    std::vector<std::wstring> opened;  // "address in folder"
    void OpenLink(const std::wstring& address, const std::wstring& folder) override {
        opened.push_back(address + L" in " + folder);
    }
};

class Form1Test : public ::testing::Test {
  protected:
    // The settings file's folder is set before the window is made: the
    // window finds its settings file when it is constructed.
    static std::wstring TestDir() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::wstring name = L"form1-" + std::wstring(test.begin(), test.end());
        std::replace(name.begin(), name.end(), L'/', L'-');
        return ScratchDir(name);
    }
    static ScratchProcess In(const std::wstring& folder) {
        ScratchProcess process;
        process.folder = folder;
        return process;
    }
    void TearDown() override {
        form.Unload();
        CoUninitialize();
    }
    void Set(const wchar_t* key, const std::wstring& value) {
        WritePrivateProfileStringW(L"Silent", key, value.c_str(), ini.c_str());
    }
    std::wstring Stored(const wchar_t* key) {
        wchar_t value[300] = {};
        GetPrivateProfileStringW(L"Silent", key, L"(none)", value, 300, ini.c_str());
        return value;
    }
    HWND C(int row) { return form.Control(row); }
    int State(int row) { return form.Check(row); }
    void Press(int row) { SendMessageW(C(row), BM_CLICK, 0, 0); }

    std::wstring dir = TestDir();
    std::wstring ini = dir + L"\\Brisa.ini";
    win32::Win32FileSystem fs;
    RecordingShell shell;
    RecordingProfile profile;
    ScratchProcess process = In(dir);
    Platform p{fs, shell, profile, winUi, process};
    app::Win32Ui winUi{p};
    SettingsWindow form{p};
};

TEST_F(Form1Test, LayoutFollowsTheTable) {
    ASSERT_TRUE(form.Load());
    ExpectTableLayout(form);
    EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(RectIn(form.hwnd(), C(SettingsWindow::kBrowseButton)).top, 8 + 38)
        << "38 1/3 rounds to 38";
    EXPECT_TRUE(SendMessageW(C(SettingsWindow::kOkButton), WM_GETDLGCODE, 0, 0) &
                DLGC_DEFPUSHBUTTON);
    // The inner frame lies above the outer one, or the outer hides its border.
    EXPECT_EQ(GetWindow(C(SettingsWindow::kAttributesFrame), GW_HWNDNEXT),
              C(SettingsWindow::kSilentFrame));
}

TEST_F(Form1Test, LinksAreBlueUnderlinedJapaneseWithTheHandCursorAndOpenTheirAddresses) {
    ASSERT_TRUE(form.Load());
    HDC dc = CreateCompatibleDC(nullptr);
    for (const int name : {SettingsWindow::kMailLink, SettingsWindow::kHomePageLink}) {
        SendMessageW(form.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(C(name)));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255)) << name;
        LOGFONTW lf;
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(C(name), WM_GETFONT, 0, 0)), sizeof lf,
                   &lf);
        EXPECT_TRUE(lf.lfUnderline) << name;
        EXPECT_EQ(lf.lfWeight, FW_NORMAL) << name;
        EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET) << name;
        // ＭＳ Ｐゴシック where it exists, otherwise a Japanese UI face or
        // GDI's pick for Shift-JIS: never a face name that is not there.
        if (lf.lfFaceName[0]) {
            HFONT font = CreateFontIndirectW(&lf);
            HGDIOBJ old = SelectObject(dc, font);
            wchar_t face[LF_FACESIZE];
            GetTextFaceW(dc, LF_FACESIZE, face);
            SelectObject(dc, old);
            DeleteObject(font);
            EXPECT_STREQ(face, lf.lfFaceName) << name;
        }
        SetCursor(nullptr);
        SendMessageW(form.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(C(name)),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND)) << name;
        SendMessageW(C(name), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(C(name), WM_LBUTTONUP, 0, 0);
    }
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(form.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(C(SettingsWindow::kOutputFolderLabel)));
    EXPECT_NE(GetTextColor(dc), RGB(0, 0, 255)) << "a plain label keeps the default colour";
    DeleteDC(dc);
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0], std::wstring(ui::kAuthorMail) + L" in " + dir);
    EXPECT_EQ(shell.opened[1], std::wstring(ui::kAuthorHomePage) + L" in " + dir);
    EXPECT_EQ(std::wstring(ui::kAuthorMail).rfind(L"mailto:", 0), 0u);
}

// Loading: states from the stored numbers, then the enable rules.
struct LoadCase {
    const char* name;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> settings;
    int check1, attrOn, readOnly;
    bool silentControls;  // Text1, Command1, Check2, chkAttrOn enabled
    bool letters;         // the four chkAttr boxes enabled
};

class Form1Load : public Form1Test, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(Form1Load, StatesAndEnabledControls) {
    const LoadCase& c = GetParam();
    for (const auto& [key, value] : c.settings) {
        Set(key, value);
    }
    ASSERT_TRUE(form.Load());
    EXPECT_EQ(State(SettingsWindow::kSilentModeBox), c.check1);
    EXPECT_EQ(State(SettingsWindow::kAttributesBox), c.attrOn);
    EXPECT_EQ(State(SettingsWindow::kReadOnlyBox), c.readOnly);
    EXPECT_EQ(ui::TextOf(C(SettingsWindow::kOutputFolderEdit)),
              Stored(L"Location") == L"(none)" ? L"" : Stored(L"Location"));
    for (const int name : {SettingsWindow::kOutputFolderEdit, SettingsWindow::kBrowseButton,
                           SettingsWindow::kForceModeBox, SettingsWindow::kAttributesBox}) {
        EXPECT_EQ(IsWindowEnabled(C(name)) != FALSE, c.silentControls) << name;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(IsWindowEnabled(C(SettingsWindow::kReadOnlyBox + i)) != FALSE, c.letters) << i;
    }
    for (const int name : {SettingsWindow::kSilentModeBox, SettingsWindow::kMakeShortcutButton,
                           SettingsWindow::kOkButton, SettingsWindow::kCancelButton,
                           SettingsWindow::kMailLink, SettingsWindow::kHomePageLink}) {
        EXPECT_TRUE(IsWindowEnabled(C(name))) << name;
    }
    if (c.check1 == 0) {
        return;
    }
    // Silent Mode off and on again: the letters follow Attributes again and
    // every check stays as it was.
    Press(SettingsWindow::kSilentModeBox);
    EXPECT_EQ(State(SettingsWindow::kSilentModeBox), 0);
    EXPECT_FALSE(IsWindowEnabled(C(SettingsWindow::kAttributesBox)));
    EXPECT_FALSE(IsWindowEnabled(C(SettingsWindow::kReadOnlyBox)));
    Press(SettingsWindow::kSilentModeBox);
    EXPECT_EQ(State(SettingsWindow::kSilentModeBox), 1);
    EXPECT_TRUE(IsWindowEnabled(C(SettingsWindow::kAttributesBox)));
    EXPECT_EQ(IsWindowEnabled(C(SettingsWindow::kReadOnlyBox)) != FALSE, c.attrOn != 0);
    EXPECT_EQ(State(SettingsWindow::kAttributesBox), c.attrOn);
    EXPECT_EQ(State(SettingsWindow::kReadOnlyBox), c.readOnly);
    // Attributes off: the letters go grey with their checks kept.
    if (c.attrOn) {
        Press(SettingsWindow::kAttributesBox);
        EXPECT_FALSE(IsWindowEnabled(C(SettingsWindow::kReadOnlyBox)));
        EXPECT_EQ(State(SettingsWindow::kReadOnlyBox), c.readOnly);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Form1Load,
    ::testing::Values(
        LoadCase{"NoSettingsFile", {}, 0, 0, 0, false, false},
        LoadCase{"SilentOnAttributesOffReadOnlyOn",
                 {{L"Use", L"1"},
                  {L"Attributes", L"0"},
                  {L"ReadOnly", L"1"},
                  {L"Location", L"C:\\Out\\"}},
                 1,
                 0,
                 1,
                 true,
                 false},
        LoadCase{"SilentOnAttributesOn",
                 {{L"Use", L"1"}, {L"Attributes", L"1"}, {L"Location", L"C:\\Out"}},
                 1,
                 1,
                 0,
                 true,
                 true},
        LoadCase{"SilentOffAttributesOn",
                 {{L"Use", L"0"}, {L"Attributes", L"1"}},
                 0,
                 1,
                 0,
                 false,
                 false},
        LoadCase{
            "UseTwoIsGreyedAndOn", {{L"Use", L"2"}, {L"Attributes", L"1"}}, 2, 1, 0, true, true},
        LoadCase{"HalfReadsAsZero", {{L"Use", L"0.5"}}, 0, 0, 0, false, false},
        LoadCase{"OneAndAHalfReadsAsTwo", {{L"Use", L"1.5"}}, 2, 0, 0, true, false},
        LoadCase{"OutOfRangeShowsGreyed",
                 {{L"Use", L"-1"}, {L"Attributes", L"7"}, {L"ReadOnly", L"300"}},
                 2,
                 2,
                 2,
                 true,
                 true}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(Form1Test, OkWritesUseAloneWithSilentModeOffAndKeepsTheOtherKeys) {
    Set(L"Use", L"0");
    Set(L"Location", L"C:\\Kept");
    Set(L"Force", L"1");
    ASSERT_TRUE(form.Load());
    Press(SettingsWindow::kOkButton);
    EXPECT_EQ(profile.writes, std::vector<std::wstring>{L"Use=0"});
    EXPECT_TRUE(form.Saved());
    EXPECT_EQ(Stored(L"Location"), L"C:\\Kept");
    EXPECT_EQ(Stored(L"Force"), L"1");
}

TEST_F(Form1Test, OkCreatesTheFolderAndWritesEveryKeyInOrder) {
    const std::wstring folder = dir + L"\\a\\b\\c";
    Set(L"Use", L"1");
    Set(L"Location", folder);
    Set(L"Attributes", L"1");
    Set(L"Archive", L"2");
    ASSERT_TRUE(form.Load());
    Press(SettingsWindow::kReadOnlyBox);   // R on
    Press(SettingsWindow::kForceModeBox);  // Force Mode on
    Press(SettingsWindow::kOkButton);
    EXPECT_TRUE(form.Saved());
    EXPECT_TRUE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(profile.writes, (std::vector<std::wstring>{L"Use=1", L"Location=" + folder,
                                                         L"Force=1", L"Attributes=1", L"ReadOnly=1",
                                                         L"Hidden=0", L"System=0", L"Archive=2"}));
    EXPECT_EQ(Stored(L"Location"), folder) << "saved verbatim, no backslash added";
    EXPECT_EQ(Stored(L"ReadOnly"), L"1");
    EXPECT_EQ(Stored(L"Archive"), L"2");
}

// OK that must not save: the message, the settings file as it was, the
// window still open.
struct RefusedCase {
    const char* name;
    std::wstring location;  // below the scratch folder
    bool lockFile;
    std::wstring message;  // its first line; the rest names the folder or the file
};

class Form1Refused : public Form1Test, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Form1Refused, ShowsWhyAndLeavesTheSettingsFileUntouched) {
    const RefusedCase& c = GetParam();
    WriteText(dir + L"\\file.txt", "x");
    Set(L"Use", L"1");
    Set(L"Location", dir + c.location);
    const std::string before = ReadText(ini);
    ASSERT_TRUE(form.Load());
    // Locked after loading: the lock is about saving.
    HANDLE lock = c.lockFile ? CreateFileW(ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
    ASSERT_EQ(lock != INVALID_HANDLE_VALUE, c.lockFile);
    std::vector<SeenWindow> messages;
    {
        WindowWatcher watcher;
        Press(SettingsWindow::kOkButton);
        messages = watcher.Messages();
    }
    if (lock != INVALID_HANDLE_VALUE) {
        CloseHandle(lock);
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, L"Error");
    const std::wstring detail = c.lockFile ? ini : dir + c.location;
    EXPECT_EQ(messages[0].text, c.message + L"\r\n" + detail);
    EXPECT_EQ(ReadText(ini), before);
    EXPECT_FALSE(form.Saved());
    EXPECT_TRUE(IsWindow(form.hwnd()));
}

INSTANTIATE_TEST_SUITE_P(Cases, Form1Refused,
                         ::testing::Values(RefusedCase{"FolderBelowAFile", L"\\file.txt\\sub",
                                                       false, L"Not to Create Folder"},
                                           RefusedCase{"LockedSettingsFile", L"", true,
                                                       L"The settings could not be saved to"}),
                         [](const ::testing::TestParamInfo<RefusedCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Form1Test, CancelEscapeAndTheCloseBoxSaveNothing) {
    Set(L"Use", L"1");
    Set(L"Location", dir);
    const std::string before = ReadText(ini);
    struct Way {
        const char* name;
        std::function<void(SettingsWindow&)> act;
    };
    const Way ways[] = {
        {"Cancel",
         [](SettingsWindow& f) {
             SendMessageW(f.Control(SettingsWindow::kCancelButton), BM_CLICK, 0, 0);
         }},
        {"Close box",
         [](SettingsWindow& f) { SendMessageW(f.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Esc", [](SettingsWindow& f) {
             PostMessageW(f.Control(SettingsWindow::kOutputFolderEdit), WM_KEYDOWN, VK_ESCAPE, 0);
             f.RunModal();
         }}};
    for (const Way& way : ways) {
        SettingsWindow window(p);
        ASSERT_TRUE(window.Load());
        way.act(window);
        EXPECT_FALSE(window.Saved()) << way.name;
    }
    EXPECT_TRUE(profile.writes.empty());
    EXPECT_EQ(ReadText(ini), before);
}

TEST_F(Form1Test, EnterActsAsOk) {
    ASSERT_TRUE(form.Load());
    PostMessageW(C(SettingsWindow::kOutputFolderEdit), WM_KEYDOWN, VK_RETURN, 0);
    form.RunModal();
    EXPECT_TRUE(form.Saved());
    EXPECT_EQ(profile.writes, std::vector<std::wstring>{L"Use=0"});
}

// The folder browser, answered from the watcher: it selects a folder and
// confirms when OK is usable, or cancels.
TEST_F(Form1Test, FolderBrowserConfirmsAFolderOrLeavesTheTextOnCancel) {
    Set(L"Use", L"1");
    ASSERT_TRUE(form.Load());
    const std::wstring chosen = L"C:\\windows";
    for (bool confirm : {true, false}) {
        SetWindowTextW(C(SettingsWindow::kOutputFolderEdit), L"typed by hand");
        std::atomic<int> okEnabled{-1};
        {
            WindowWatcher watcher([&](const SeenWindow& w) {
                if (w.text.find(L"Output folder...") == std::wstring::npos) {
                    return false;
                }
                DWORD_PTR ignored;
                SendMessageTimeoutW(w.hwnd, BFFM_SETSELECTIONW, TRUE,
                                    reinterpret_cast<LPARAM>(chosen.c_str()), SMTO_ABORTIFHUNG,
                                    5000, &ignored);
                okEnabled = IsWindowEnabled(GetDlgItem(w.hwnd, IDOK)) ? 1 : 0;
                PostMessageW(w.hwnd, WM_COMMAND, confirm && okEnabled ? IDOK : IDCANCEL, 0);
                return true;
            });
            Press(SettingsWindow::kBrowseButton);
        }
        EXPECT_EQ(okEnabled, 1) << "OK usable for a folder";
        EXPECT_EQ(ui::TextOf(C(SettingsWindow::kOutputFolderEdit)),
                  confirm ? chosen : L"typed by hand");
    }
}

// The shortcut in Wine's Send To folder, its target read back; a second
// click finds it and leaves it alone.
TEST_F(Form1Test, MakeShortcutTargetsTheProgramAndThenSaysItExists) {
    wchar_t sendTo[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo), S_OK);
    const std::wstring link = std::wstring(sendTo) + L"\\BrisA.lnk";
    const std::wstring named = dir + L"\\Brisa.exe";
    WriteText(named, "MZ");
    struct Case {
        std::wstring runningAs, target;
    };
    const Case cases[] = {
        {named, named},                     // the usual install
        {L"", win32::ModulePath(nullptr)},  // renamed: the test exe itself
    };
    for (const Case& c : cases) {
        DeleteFileW(link.c_str());
        process.path = c.runningAs;
        SettingsWindow window(p);
        ASSERT_TRUE(window.Load());
        HWND button = window.Control(SettingsWindow::kMakeShortcutButton);
        WindowWatcher watcher;
        SendMessageW(button, BM_CLICK, 0, 0);
        const std::string made = ReadText(link);
        SendMessageW(button, BM_CLICK, 0, 0);
        const std::vector<SeenWindow> messages = watcher.Messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].title, L"Larkspur");
        EXPECT_EQ(messages[0].text, L"送るにショートカットを作成しました\r\nSucceeded.");
        EXPECT_EQ(messages[1].title, L"Larkspur Ver.1.52");
        EXPECT_EQ(messages[1].text,
                  L"既にアイコンが存在するか作成ができません\r\nThe Icon already exists or not to "
                  L"create.");
        EXPECT_EQ(ReadText(link), made);

        IShellLinkW* shortcut = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&shortcut)),
                  S_OK);
        IPersistFile* file = nullptr;
        shortcut->QueryInterface(IID_PPV_ARGS(&file));
        EXPECT_EQ(file->Load(link.c_str(), STGM_READ), S_OK);
        wchar_t target[MAX_PATH] = {};
        shortcut->GetPath(target, MAX_PATH, nullptr, 0);
        file->Release();
        shortcut->Release();
        EXPECT_EQ(_wcsicmp(target, c.target.c_str()), 0) << target;
    }
    DeleteFileW(link.c_str());
}

// Brisa.exe started without arguments: its settings window, OK or Cancel
// pressed from outside, the exit code and the settings file.
TEST(Form1Run, OkSavesAndEndsWithZeroCancelSavesNothingAndEndsWithOne) {
    struct Case {
        const wchar_t* button;
        DWORD exitCode;
        bool saved;
    };
    for (const Case& c : {Case{L"OK(&O)", 0, true}, Case{L"Cancel(&C)", 1, false}}) {
        const Install install = MakeInstall(L"form1-run");
        const RunResult run = RunBrisa(install, L"", [&](const SeenWindow& w) {
            if (w.title != L"Silent Mode Settings") {
                return false;
            }
            Click(FindChild(w.hwnd, L"Button", c.button));
            return true;
        });
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.button;
        EXPECT_EQ(Exists(install.ini), c.saved) << c.button;
    }
}

}  // namespace
}  // namespace larkspur::wine_test
