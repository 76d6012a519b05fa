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

#include "app/machine.h"
#include "platform/win32/win32_platform.h"
#include "support.h"
#include "ui/input_box.h"
#include "ui/output_folder_dialog.h"

namespace larkspur::wine_test {
namespace {

using ui::OutputFolderDialog;
using OutForm = ui::OutputFolderDialog;

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
    int Value(OutForm& form, int row) { return form.Check(row); }
    bool Enabled(OutForm& form, int row) { return IsWindowEnabled(form.Control(row)) != FALSE; }
    // A click as the user makes it, delivered at once.
    void Press(OutForm& form, int row) { SendMessageW(form.Control(row), BM_CLICK, 0, 0); }

    std::wstring dir, ini;
    wchar_t oldCurrent[MAX_PATH] = {};
    ScratchProcess process;
    app::Win32Machine machine{process};
    Platform& p = machine.platform;
    OutputFolderRequest request;
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
    OutForm form(p, request);
    ASSERT_TRUE(form.Load());
    ExpectTableLayout(form);
    EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "topmost from load";
    for (const ui::ControlRow& row : OutputFolderDialog::kSpec.controls) {
        HWND control = form.Control(row.id);
        EXPECT_TRUE(IsWindowEnabled(control)) << row.id;
        EXPECT_FALSE(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            << "no default button: " << row.id;
    }
    EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox + 3), BST_CHECKED)
        << "Archive starts ticked";
    EXPECT_EQ(Value(form, OutputFolderDialog::kAttributesBox), BST_UNCHECKED);
    EXPECT_EQ(form.Folders().OpenFolder(), dir) << "the process's current folder";
    EXPECT_EQ(form.Drives().Selected(), towupper(dir[0]));
}

TEST_F(OutFormTest, FollowsTheMonitorsDpi) {
    // Wine runs at 96 DPI, so the move to a 144-DPI monitor is told as
    // Windows tells it: WM_DPICHANGED with the window's new rectangle.
    OutForm form(p, request);
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
        OutForm form(p, request);
        ASSERT_TRUE(form.Load());
        const std::wstring label = c.use ? c.use : L"(none)";
        EXPECT_EQ(Value(form, OutputFolderDialog::kSetDefaultBox), c.check2) << label.c_str();
        EXPECT_EQ(Value(form, OutputFolderDialog::kAttributesBox), c.chkAttr) << label.c_str();
        EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox), c.readOnlyBox) << label.c_str();
        EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox + 1), c.hiddenBox) << label.c_str();
        EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox + 3), c.opensSaved ? 0 : 1)
            << label.c_str();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Enabled(form, OutputFolderDialog::kReadOnlyBox + i), c.boxesEnabled)
                << label.c_str() << i;
        }
        EXPECT_TRUE(Enabled(form, OutputFolderDialog::kSetDefaultBox));
        EXPECT_EQ(form.Folders().OpenFolder(), c.opensSaved ? saved : dir) << label.c_str();
        EXPECT_EQ(ui::TextOf(form.hwnd()), L"Output Folder...");
    }
}

TEST_F(OutFormTest, StartsAtTheNearestExistingFolderOrTheDocumentsFolder) {
    CreateDirectoryW((dir + L"\\Out").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Out\\ab").c_str(), nullptr);
    DefineDosDeviceW(0, L"Q:", L"\\??\\C:\\larkspur-no-such-folder");
    const std::wstring documents = p.shell.SpecialFolder(kFolderPersonal, 0);
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
        OutForm form(p, request);
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
    request = {true, folder + L"\\Missing\\"};

    OutForm form(p, request);
    ASSERT_TRUE(form.Load());
    EXPECT_EQ(ui::TextOf(form.hwnd()), ui::kSilentDialogCaption);
    EXPECT_FALSE(Enabled(form, OutputFolderDialog::kSetDefaultBox));
    EXPECT_EQ(Value(form, OutputFolderDialog::kSetDefaultBox), 0);
    EXPECT_EQ(Value(form, OutputFolderDialog::kAttributesBox), 1);
    EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox + 2), 1);
    EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox + 3), 0);
    EXPECT_TRUE(Enabled(form, OutputFolderDialog::kReadOnlyBox));
    EXPECT_EQ(form.Folders().OpenFolder(), folder);

    Press(form, OutputFolderDialog::kOkButton);
    ASSERT_TRUE(form.Choice());
    EXPECT_EQ(form.Choice()->outputFolder, folder + L"\\");
    EXPECT_EQ(form.Choice()->attributes, 4u);
    EXPECT_TRUE(form.Choice()->setAttributes);
    EXPECT_EQ(ReadText(ini), before) << "the Silent variant writes no setting";
}

TEST_F(OutFormTest, TheHeadingEnablesTheBoxesAndClicksToggleThem) {
    OutForm form(p, request);
    ASSERT_TRUE(form.Load());
    Press(form, OutputFolderDialog::kReadOnlyBox);
    EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox), 1);
    Press(form, OutputFolderDialog::kAttributesBox);
    EXPECT_EQ(Value(form, OutputFolderDialog::kAttributesBox), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Enabled(form, OutputFolderDialog::kReadOnlyBox + i));
    }
    Press(form, OutputFolderDialog::kAttributesBox);
    EXPECT_EQ(Value(form, OutputFolderDialog::kAttributesBox), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(Enabled(form, OutputFolderDialog::kReadOnlyBox + i)) << i;
    }
    EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox), 1) << "disabling keeps the values";
    EXPECT_EQ(Value(form, OutputFolderDialog::kReadOnlyBox + 3), 1);
    // A greyed box counts as on: a click turns it off.
    SendMessageW(form.Control(OutputFolderDialog::kSetDefaultBox), BM_SETCHECK, BST_INDETERMINATE,
                 0);
    Press(form, OutputFolderDialog::kSetDefaultBox);
    EXPECT_EQ(Value(form, OutputFolderDialog::kSetDefaultBox), 0);
}

TEST_F(OutFormTest, OkWritesTheDefaultsInOrderAndHandsTheChoiceToTheRun) {
    const std::wstring out = dir + L"\\data\\out";
    CopyOptions choice;
    CreateDirectoryW((dir + L"\\data").c_str(), nullptr);
    CreateDirectoryW(out.c_str(), nullptr);
    {
        OutForm form(p, request);
        ASSERT_TRUE(form.Load());
        form.OpenFolder(out);
        Press(form, OutputFolderDialog::kSetDefaultBox);
        Press(form, OutputFolderDialog::kAttributesBox);
        Press(form, OutputFolderDialog::kReadOnlyBox);
        Press(form, OutputFolderDialog::kOkButton);
        ASSERT_TRUE(form.Choice());
        choice = *form.Choice();
    }
    EXPECT_EQ(IniText(ini), L"[Setting]\r\nUse=1\r\nLocation=" + out +
                                L"\r\nAttributes=1\r\nReadOnly=1\r\nHidden=0\r\nSystem=0\r\n"
                                L"Archive=1\r\n");
    EXPECT_EQ(choice.outputFolder, out + L"\\");
    EXPECT_EQ(choice.attributes, 33u);
    EXPECT_TRUE(choice.setAttributes);

    // The next run opens there with the same boxes; without "Set Default"
    // only Use changes.
    OutForm again(p, request);
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Folders().OpenFolder(), out);
    EXPECT_EQ(Value(again, OutputFolderDialog::kReadOnlyBox), 1);
    EXPECT_EQ(Value(again, OutputFolderDialog::kAttributesBox), 1);
    Press(again, OutputFolderDialog::kSetDefaultBox);
    Press(again, OutputFolderDialog::kAttributesBox);
    Press(again, OutputFolderDialog::kOkButton);
    EXPECT_EQ(IniText(ini), L"[Setting]\r\nUse=0\r\nLocation=" + out +
                                L"\r\nAttributes=1\r\nReadOnly=1\r\nHidden=0\r\nSystem=0\r\n"
                                L"Archive=1\r\n");
    ASSERT_TRUE(again.Choice());
    EXPECT_FALSE(again.Choice()->setAttributes);
    EXPECT_EQ(again.Choice()->attributes, 33u) << "the boxes count while the heading is off";
}

TEST_F(OutFormTest, OkCountsEachBoxOnceAndKeepsTheRootsBackslash) {
    struct Case {
        const wchar_t *readOnly, *hidden, *system, *archive;
        uint32_t mask;
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
        OutForm form(p, request);
        ASSERT_TRUE(form.Load());
        Press(form, OutputFolderDialog::kOkButton);
        ASSERT_TRUE(form.Choice());
        EXPECT_EQ(form.Choice()->attributes, c.mask);
        EXPECT_EQ(form.Choice()->outputFolder, L"C:\\");
    }
    wchar_t location[32] = {};
    GetPrivateProfileStringW(L"Setting", L"Location", L"", location, 32, ini.c_str());
    EXPECT_STREQ(location, L"C:\\");
}

TEST_F(OutFormTest, CancelAndTheCloseBoxHandNothingOnAndWriteNothing) {
    for (const bool closeBox : {false, true}) {
        OutForm form(p, request);
        ASSERT_TRUE(form.Load());
        Press(form, OutputFolderDialog::kSetDefaultBox);
        if (closeBox) {
            SendMessageW(form.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            Press(form, OutputFolderDialog::kCancelButton);
        }
        EXPECT_FALSE(form.Choice());
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
    OutForm form(p, request);
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
        Press(form, OutputFolderDialog::kNewFolderButton);
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
    OutForm form(p, request);
    ASSERT_TRUE(form.Load());
    const ui::FolderList& list = form.Folders();
    ASSERT_EQ(list.EntryCount(), list.OpenEntry() + 3);
    EXPECT_EQ(list.Entry(list.OpenEntry() + 1), dir + L"\\b9") << "digits sort as numbers";
    EXPECT_EQ(list.Entry(list.OpenEntry() + 2), dir + L"\\B10");

    // Highlighting is not opening; Enter on the list opens the highlight.
    HWND dir1 = form.Control(OutputFolderDialog::kFolderList);
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
    ui::OutputFolderDialog withQ(p, request);  // the drive list is filled at load
    ASSERT_TRUE(withQ.Load());
    WindowWatcher watcher;
    HWND drive1 = withQ.Control(OutputFolderDialog::kDriveList);
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
        const std::optional<CopyOptions> choice = ui::ShowOutputFolderDialog(p, request);
        EXPECT_EQ(choice.has_value(), key == L'o');
        EXPECT_EQ(choice ? choice->outputFolder : L"", key == L'o' ? dir + L"\\Sub\\" : L"");
    }
}

}  // namespace
}  // namespace larkspur::wine_test
