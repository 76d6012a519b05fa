// The output folder dialog, created for real in this process and driven
// through window messages; its settings file is a scratch Brisa.ini.
//
// Wine facts relied on: 96 DPI, so rectangles compare directly with the
// table; DefineDosDevice makes a drive letter whose folder cannot be listed,
// which stands in for a drive without a medium; the personal documents folder
// exists in the prefix.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "support.h"
#include "ui/input_box.h"
#include "ui/out_form.h"
#include "ui/win32_ui.h"

namespace larkspur::wine_test {
namespace {

using ui::OutForm;

class OutFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = ScratchDir(L"outform-" + std::wstring(test.begin(), test.end()));
        process.folder = dir;
        ini = dir + L"\\Brisa.ini";
        GetCurrentDirectoryW(MAX_PATH, oldCurrent);
        SetCurrentDirectoryW(dir.c_str());
    }
    void TearDown() override { SetCurrentDirectoryW(oldCurrent); }

    void Set(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(section, key, value, ini.c_str());
    }
    int Value(OutForm& form, const wchar_t* name, int index = -1) {
        return static_cast<int>(SendMessageW(form.Control(name, index), BM_GETCHECK, 0, 0));
    }
    bool Enabled(OutForm& form, const wchar_t* name, int index = -1) {
        return IsWindowEnabled(form.Control(name, index)) != FALSE;
    }
    // A click as the user makes it, delivered at once.
    void Press(OutForm& form, const wchar_t* name, int index = -1) {
        SendMessageW(form.Control(name, index), BM_CLICK, 0, 0);
    }

    std::wstring dir, ini;
    wchar_t oldCurrent[MAX_PATH] = {};
    ScratchProcess process;
    ui::Win32Machine machine{process};
    Platform& p = machine.platform;
    RunState state;
};

// The settings file's text; a file the program creates is UTF-16LE.
std::wstring IniText(const std::wstring& path) {
    const std::string bytes = ReadText(path);
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) {
        return std::wstring(bytes.begin(), bytes.end());
    }
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
}

TEST_F(OutFormTest, LayoutAndInitialStateFollowTheTable) {
    OutForm form(state, p);
    ASSERT_TRUE(form.Load());
    ExpectTableLayout(form);
    EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "topmost from load";
    for (const ui::ControlRow& row : ui::kOutFormSpec.controls) {
        HWND control = form.Control(row.name, row.index);
        EXPECT_TRUE(IsWindowEnabled(control)) << row.name << row.index;
        EXPECT_FALSE(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            << "no default button: " << row.name;
    }
    EXPECT_EQ(Value(form, L"Check1", 3), BST_CHECKED) << "Archive starts ticked";
    EXPECT_EQ(Value(form, L"chkAttr"), BST_UNCHECKED);
    EXPECT_EQ(form.Folders().OpenFolder(), dir) << "the process's current folder";
    EXPECT_EQ(form.Drives().Selected(), towupper(dir[0]));
}

TEST_F(OutFormTest, FollowsTheMonitorsDpi) {
    // Wine runs at 96 DPI, so the move to a 144-DPI monitor is told as
    // Windows tells it: WM_DPICHANGED with the window's new rectangle.
    OutForm form(state, p);
    ASSERT_TRUE(form.Load());
    RECT suggested{0, 0, ui::Scale(398, 144), ui::Scale(278, 144)};
    AdjustWindowRectExForDpi(&suggested,
                             static_cast<DWORD>(GetWindowLongPtrW(form.hwnd(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE)), 144);
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(form.dpi(), 144u);
    ExpectTableLayout(form);
}

TEST_F(OutFormTest, LoadsTheInteractiveDefaultsOnlyWhenUseSaysSo) {
    const std::wstring saved = dir + L"\\Saved";
    CreateDirectoryW(saved.c_str(), nullptr);
    struct Case {
        const wchar_t* use;  // nullptr: no key
        const wchar_t *attributes, *readOnly, *hidden;
        int check2, chkAttr, readOnlyBox, hiddenBox;
        bool boxesEnabled, opensSaved;
    } cases[] = {
        {nullptr, L"1", L"1", L"1", 0, 0, 0, 0, true, false},
        {L"", L"1", L"1", L"1", 0, 0, 0, 0, true, false},
        {L"0", L"1", L"1", L"1", 0, 0, 0, 0, true, false},
        {L"abc", L"1", L"1", L"1", 0, 0, 0, 0, true, false},
        {L"1", L"0", L"1", L"0", 1, 0, 1, 0, false, true},
        {L"1", L"1", L"1", L"0", 1, 1, 1, 0, true, true},
        // Greyed, from a hand-edited file, and so is any other number.
        {L"2", L"2", L"2", L"0", 2, 2, 2, 0, true, true},
        {L"1", L"-1", L"7", L"-3", 1, 2, 2, 2, true, true},
    };
    for (const Case& c : cases) {
        DeleteFileW(ini.c_str());
        if (c.use) {
            Set(L"Setting", L"Use", c.use);
        }
        Set(L"Setting", L"Attributes", c.attributes);
        Set(L"Setting", L"ReadOnly", c.readOnly);
        Set(L"Setting", L"Hidden", c.hidden);
        Set(L"Setting", L"Archive", L"0");
        Set(L"Setting", L"Location", saved.c_str());
        OutForm form(state, p);
        ASSERT_TRUE(form.Load());
        const std::wstring label = c.use ? c.use : L"(none)";
        EXPECT_EQ(Value(form, L"Check2"), c.check2) << label.c_str();
        EXPECT_EQ(Value(form, L"chkAttr"), c.chkAttr) << label.c_str();
        EXPECT_EQ(Value(form, L"Check1", 0), c.readOnlyBox) << label.c_str();
        EXPECT_EQ(Value(form, L"Check1", 1), c.hiddenBox) << label.c_str();
        EXPECT_EQ(Value(form, L"Check1", 3), c.opensSaved ? 0 : 1) << label.c_str();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Enabled(form, L"Check1", i), c.boxesEnabled) << label.c_str() << i;
        }
        EXPECT_TRUE(Enabled(form, L"Check2"));
        EXPECT_EQ(form.Folders().OpenFolder(), c.opensSaved ? saved : dir) << label.c_str();
        EXPECT_EQ(ui::TextOf(form.hwnd()), L"Output Folder...");
    }
}

TEST_F(OutFormTest, StartsAtTheNearestExistingFolderOrTheDocumentsFolder) {
    CreateDirectoryW((dir + L"\\Out").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Out\\ab").c_str(), nullptr);
    DefineDosDeviceW(0, L"Q:", L"\\??\\C:\\larkspur-no-such-folder");
    int32_t result = 0;
    const std::wstring documents = machine.shell.SpecialFolder(kFolderPersonal, 0, result);
    struct Case {
        std::wstring location, opens;
    } cases[] = {
        {dir + L"\\Out\\gone\\deeper", dir + L"\\Out"},
        {dir + L"\\Out\\abc", dir + L"\\Out\\ab"},  // shortened a character at a time
        {L"Q:\\Data", documents},                   // a drive that is not ready
        {L"", documents},
    };
    for (const Case& c : cases) {
        Set(L"Setting", L"Use", L"1");
        Set(L"Setting", L"Location", c.location.c_str());
        WindowWatcher watcher;
        OutForm form(state, p);
        ASSERT_TRUE(form.Load());
        EXPECT_EQ(_wcsicmp(form.Folders().OpenFolder().c_str(), c.opens.c_str()), 0)
            << c.location.c_str() << " opened " << form.Folders().OpenFolder().c_str();
        EXPECT_EQ(form.Drives().Selected(), towupper(c.opens[0]));
        form.Unload();
        EXPECT_TRUE(watcher.Messages().empty()) << "no message on the way";
    }
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
}

TEST_F(OutFormTest, TheSilentVariantReadsSectionSilentAndStoresNothing) {
    const std::wstring folder = dir + L"\\Silent";
    CreateDirectoryW(folder.c_str(), nullptr);
    Set(L"Setting", L"Use", L"1");
    Set(L"Setting", L"Attributes", L"0");
    Set(L"Setting", L"Location", dir.c_str());
    Set(L"Silent", L"Attributes", L"1");
    Set(L"Silent", L"ReadOnly", L"0");
    Set(L"Silent", L"System", L"1");
    Set(L"Silent", L"Archive", L"0");
    const std::string before = ReadText(ini);
    state.SilentUse = 1;
    state.OutputFolder = folder + L"\\Missing\\";

    OutForm form(state, p);
    ASSERT_TRUE(form.Load());
    EXPECT_EQ(ui::TextOf(form.hwnd()), ui::kOutFormSilentCaption);
    EXPECT_FALSE(Enabled(form, L"Check2"));
    EXPECT_EQ(Value(form, L"Check2"), 0);
    EXPECT_EQ(Value(form, L"chkAttr"), 1);
    EXPECT_EQ(Value(form, L"Check1", 2), 1);
    EXPECT_EQ(Value(form, L"Check1", 3), 0);
    EXPECT_TRUE(Enabled(form, L"Check1", 0));
    EXPECT_EQ(form.Folders().OpenFolder(), folder);

    Press(form, L"Command1");
    EXPECT_TRUE(form.Confirmed());
    EXPECT_EQ(state.OutputFolder, folder + L"\\");
    EXPECT_EQ(state.AttrMask, 4);
    EXPECT_EQ(state.AttrOn, -1);
    EXPECT_EQ(ReadText(ini), before) << "the Silent variant writes no setting";
}

TEST_F(OutFormTest, TheHeadingEnablesTheBoxesAndClicksToggleThem) {
    OutForm form(state, p);
    ASSERT_TRUE(form.Load());
    Press(form, L"Check1", 0);
    EXPECT_EQ(Value(form, L"Check1", 0), 1);
    Press(form, L"chkAttr");
    EXPECT_EQ(Value(form, L"chkAttr"), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Enabled(form, L"Check1", i));
    }
    Press(form, L"chkAttr");
    EXPECT_EQ(Value(form, L"chkAttr"), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(Enabled(form, L"Check1", i)) << i;
    }
    EXPECT_EQ(Value(form, L"Check1", 0), 1) << "disabling keeps the values";
    EXPECT_EQ(Value(form, L"Check1", 3), 1);
    // A greyed box counts as on: a click turns it off.
    SendMessageW(form.Control(L"Check2"), BM_SETCHECK, BST_INDETERMINATE, 0);
    Press(form, L"Check2");
    EXPECT_EQ(Value(form, L"Check2"), 0);
}

TEST_F(OutFormTest, OkWritesTheDefaultsInOrderAndHandsTheChoiceToTheRun) {
    const std::wstring out = dir + L"\\data\\out";
    CreateDirectoryW((dir + L"\\data").c_str(), nullptr);
    CreateDirectoryW(out.c_str(), nullptr);
    {
        OutForm form(state, p);
        ASSERT_TRUE(form.Load());
        form.Dir1_Open(out);
        Press(form, L"Check2");
        Press(form, L"chkAttr");
        Press(form, L"Check1", 0);
        Press(form, L"Command1");
        EXPECT_TRUE(form.Confirmed());
    }
    EXPECT_EQ(IniText(ini), L"[Setting]\r\nUse=1\r\nLocation=" + out +
                                L"\r\nAttributes=1\r\nReadOnly=1\r\nHidden=0\r\nSystem=0\r\n"
                                L"Archive=1\r\n");
    EXPECT_EQ(state.OutputFolder, out + L"\\");
    EXPECT_EQ(state.AttrMask, 33);
    EXPECT_EQ(state.AttrOn, -1);

    // The next run opens there with the same boxes; without "Set Default"
    // only Use changes.
    OutForm again(state, p);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Folders().OpenFolder(), out);
    EXPECT_EQ(Value(again, L"Check1", 0), 1);
    EXPECT_EQ(Value(again, L"chkAttr"), 1);
    Press(again, L"Check2");
    Press(again, L"chkAttr");
    Press(again, L"Command1");
    EXPECT_EQ(IniText(ini), L"[Setting]\r\nUse=0\r\nLocation=" + out +
                                L"\r\nAttributes=1\r\nReadOnly=1\r\nHidden=0\r\nSystem=0\r\n"
                                L"Archive=1\r\n");
    EXPECT_EQ(state.AttrOn, 0);
    EXPECT_EQ(state.AttrMask, 33) << "the boxes count while the heading is off";
}

TEST_F(OutFormTest, OkCountsEachBoxOnceAndKeepsTheRootsBackslash) {
    struct Case {
        const wchar_t *readOnly, *hidden, *system, *archive;
        int16_t mask;
    } cases[] = {
        {L"0", L"0", L"0", L"0", 0},
        {L"1", L"1", L"1", L"1", 39},
        {L"2", L"0", L"0", L"0", 1},  // greyed Read Only does not set Hidden
        {L"0", L"0", L"0", L"2", 32},
    };
    for (const Case& c : cases) {
        Set(L"Setting", L"Use", L"1");
        Set(L"Setting", L"Attributes", L"1");
        Set(L"Setting", L"ReadOnly", c.readOnly);
        Set(L"Setting", L"Hidden", c.hidden);
        Set(L"Setting", L"System", c.system);
        Set(L"Setting", L"Archive", c.archive);
        Set(L"Setting", L"Location", L"C:\\");
        OutForm form(state, p);
        ASSERT_TRUE(form.Load());
        Press(form, L"Command1");
        EXPECT_EQ(state.AttrMask, c.mask);
        EXPECT_EQ(state.OutputFolder, L"C:\\");
    }
    wchar_t location[32] = {};
    GetPrivateProfileStringW(L"Setting", L"Location", L"", location, 32, ini.c_str());
    EXPECT_STREQ(location, L"C:\\");
}

TEST_F(OutFormTest, CancelAndTheCloseBoxHandNothingOnAndWriteNothing) {
    for (const bool closeBox : {false, true}) {
        state.OutputFolder.clear();
        OutForm form(state, p);
        ASSERT_TRUE(form.Load());
        Press(form, L"Check2");
        if (closeBox) {
            SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            Press(form, L"Command2");
        }
        EXPECT_FALSE(form.Confirmed());
        EXPECT_TRUE(state.OutputFolder.empty());
    }
    EXPECT_FALSE(Exists(ini));
}

TEST_F(OutFormTest, NewFolderMakesChainsOpensThemAndSaysWhenItCannot) {
    // Answers the input box with the text of the current case.
    std::wstring answer;
    bool cancel = false;
    WindowWatcher watcher([&](const SeenWindow& w) {
        if (w.className != ui::kInputBoxClass) {
            return false;
        }
        EXPECT_EQ(w.title, L"Create New Folder");
        HWND edit = FindChild(w.hwnd, L"Edit", nullptr);
        EXPECT_TRUE(ui::TextOf(edit).empty()) << "no default text";
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
        Click(FindChild(w.hwnd, L"Button", cancel ? L"Cancel" : L"OK"));
        return true;
    });
    OutForm form(state, p);
    ASSERT_TRUE(form.Load());
    struct Case {
        std::wstring answer;
        bool cancel;
        std::wstring opens;
        bool message;
    } cases[] = {
        {L"a\\b", false, dir + L"\\a\\b", false},
        {L"", false, dir + L"\\a\\b", false},
        {L"typed", true, dir + L"\\a\\b", false},
        {L"..\\..\\a", false, dir + L"\\a", false},  // an existing folder just opens
        {L"bad|name", false, dir + L"\\a", true},
    };
    size_t messages = 0;
    for (const Case& c : cases) {
        answer = c.answer;
        cancel = c.cancel;
        Press(form, L"Command3");
        EXPECT_EQ(form.Folders().OpenFolder(), c.opens) << c.answer.c_str();
        const std::vector<SeenWindow> seen = watcher.Messages();
        EXPECT_EQ(seen.size(), messages + (c.message ? 1 : 0)) << c.answer.c_str();
        if (c.message && seen.size() > messages) {
            EXPECT_EQ(seen.back().text, L"Not to Create New Folder");
            EXPECT_EQ(seen.back().title, L"Error");
        }
        messages = seen.size();
    }
    EXPECT_FALSE(Exists(dir + L"\\a\\typed"));
    EXPECT_EQ(form.Folders().EntryCount(), form.Folders().OpenEntry() + 2) << "a shows b";
}

TEST_F(OutFormTest, FolderListOpensOnActivationAndADriveThatFailsLeavesItWhereItWas) {
    CreateDirectoryW((dir + L"\\B10").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\b9").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\.hidden").c_str(), nullptr);  // Wine: dot names are hidden
    WriteText(dir + L"\\file.txt", "not a folder");
    OutForm form(state, p);
    ASSERT_TRUE(form.Load());
    const ui::FolderList& list = form.Folders();
    ASSERT_EQ(list.EntryCount(), list.OpenEntry() + 3);
    EXPECT_EQ(list.Entry(list.OpenEntry() + 1), dir + L"\\b9") << "digits sort as numbers";
    EXPECT_EQ(list.Entry(list.OpenEntry() + 2), dir + L"\\B10");

    // Highlighting is not opening; Enter on the list opens the highlight.
    HWND dir1 = form.Control(L"Dir1");
    ListView_SetItemState(dir1, static_cast<int>(list.OpenEntry() + 2),
                          LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.OpenFolder(), dir);
    EXPECT_EQ(list.Highlighted(), dir + L"\\B10");
    SetFocus(dir1);
    SendMessageW(form.hwnd(), WM_COMMAND, IDOK, 0);  // what the dialog manager sends for Enter
    EXPECT_EQ(list.OpenFolder(), dir + L"\\B10");
    // Activating the root entry opens the root.
    NMITEMACTIVATE activate{};
    activate.hdr = {dir1, static_cast<UINT_PTR>(GetDlgCtrlID(dir1)), LVN_ITEMACTIVATE};
    activate.iItem = 0;
    SendMessageW(form.hwnd(), WM_NOTIFY, activate.hdr.idFrom, reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ(list.OpenFolder(), dir.substr(0, 3));

    DefineDosDeviceW(0, L"Q:", L"\\??\\C:\\larkspur-no-such-folder");
    ui::OutForm withQ(state, p);  // the drive list is filled at load
    ASSERT_TRUE(withQ.Load());
    WindowWatcher watcher;
    HWND drive1 = withQ.Control(L"Drive1");
    const LRESULT count = SendMessageW(drive1, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(drive1, CB_GETITEMDATA, i, 0) == L'Q') {
            SendMessageW(drive1, CB_SETCURSEL, i, 0);
        }
    }
    SendMessageW(withQ.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drive1), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drive1));
    EXPECT_EQ(withQ.Folders().OpenFolder(), dir) << "the list stays where it was";
    EXPECT_EQ(withQ.Drives().Selected(), L'Q') << "the drive list keeps the new drive";
    const std::vector<SeenWindow> seen = watcher.Messages();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, L"ERROR Larkspur");
    EXPECT_EQ(seen[0].text, ui::SystemErrorText(ERROR_PATH_NOT_FOUND));
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
}

TEST_F(OutFormTest, KeyboardInTheModalLoopEnterOpensAndAccessKeysPress) {
    CreateDirectoryW((dir + L"\\Sub").c_str(), nullptr);
    for (const wchar_t key : {L'o', L'c'}) {
        state.OutputFolder.clear();
        // The user tabs from the drive list to the folder list, highlights
        // Sub, presses Enter to open it, then Alt+key.
        WindowWatcher watcher([key](const SeenWindow& w) {
            if (w.className != L"LarkspurOutForm") {
                return false;
            }
            HWND list = FindChild(w.hwnd, WC_LISTVIEWW, nullptr);
            PostMessageW(w.hwnd, WM_KEYDOWN, VK_TAB, 0);
            const int last = ListView_GetItemCount(list) - 1;
            ListView_SetItemState(list, last, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageW(list, WM_SYSCHAR, key, 1 << 29);  // Alt held
            return true;
        });
        EXPECT_EQ(ui::ShowOutForm(state, p), key == L'o');
        EXPECT_EQ(state.OutputFolder, key == L'o' ? dir + L"\\Sub\\" : L"");
    }
}

}  // namespace
}  // namespace larkspur::wine_test
