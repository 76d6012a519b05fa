// The program's windows, created for real in this process and driven with
// window messages as a user drives them; their settings file is a scratch
// Brisa.ini.
//
// Wine facts relied on: Wine reports 96 DPI, so another DPI is told as
// Windows tells it, with WM_DPICHANGED; the prefix has Send To and
// Documents folders; a file held open without sharing makes
// WritePrivateProfileStringW fail; DefineDosDevice makes a drive whose
// folder cannot be listed; names that start with a dot read as hidden.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "app/machine.h"
#include "support.h"
#include "ui/input_box.h"
#include "ui/output_folder_dialog.h"
#include "ui/progress_window.h"
#include "ui/settings_window.h"

namespace larkspur::wine_test {
namespace {

using ui::OutputFolderDialog;
using ui::SettingsWindow;
using Dialog = OutputFolderDialog;
using Settings = SettingsWindow;

class RecordingShell : public win32::Win32Shell {
  public:
    std::vector<std::wstring> opened;  // "address in folder"
    void OpenLink(const std::wstring& address, const std::wstring& folder) override {
        opened.push_back(address + L" in " + folder);
    }
};

class WindowTest : public ::testing::Test {
  protected:
    WindowTest() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void SetUp() override {
        dir = ScratchDir();
        process.folder = dir;
        ini = dir + L"\\Brisa.ini";
        SetCurrentDirectoryW(dir.c_str());
    }
    void TearDown() override { SetCurrentDirectoryW(BinDir().c_str()); }
    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
        WritePrivateProfileStringW(section, key, value.c_str(), ini.c_str());
    }
    static void Press(const ui::Form& form, int row) {
        SendMessageW(form.Control(row), BM_CLICK, 0, 0);
    }
    static bool Enabled(const ui::Form& form, int row) {
        return IsWindowEnabled(form.Control(row)) != FALSE;
    }
    static void MoveToDpi(const ui::Form& form, UINT dpi) {
        RECT suggested{0, 0, ui::Scale(form.spec().clientWidth, dpi),
                       ui::Scale(form.spec().clientHeight, dpi)};
        SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }

    std::wstring dir, ini;
    ScratchProcess process;
    RecordingShell shell;
    app::Win32Machine machine{process, &shell};
    Platform& p = machine.platform;
};

// Where every control lies and in which order Tab reaches it, at 96 DPI and
// on a 144-DPI monitor; every caption fits whatever faces the machine has.
TEST_F(WindowTest, LayoutAtEveryDpi) {
    Settings settings(p);
    Dialog dialog(p, {});
    ui::ProgressWindow progress(process);
    const struct {
        ui::Form& form;
        const char *rects, *tabs;
    } windows[] = {
        {settings,
         "354x199 8,8,337,153 16,8,81,17 24,32,76,12 24,48,225,18 256,46,81,23 24,72,81,17 "
         "24,96,153,49 32,96,73,17 40,120,33,17 72,120,33,17 104,120,33,17 136,120,33,17 "
         "264,112,68,12 272,128,59,12 64,168,105,25 176,168,81,25 264,168,81,25",
         "1 4 3 5 7 8 9 10 11 15 16 14 2 12 13"},
        {dialog,
         "398x278 8,8,257,20 8,40,257,230 288,32,81,17 288,56,57,17 288,80,65,17 288,104,65,17 "
         "280,208,105,25 280,240,105,25 280,176,105,25 280,8,105,121 288,144,89,17 288,8,81,17",
         "0 1 2 3 4 5 6 7 8 10 11"},
        {progress, "312x108 88,80,137,19 8,8,126,12 80,24,129,12 208,40,70,12 8,56,219,12",
         "0 1 2 3 4"},
    };
    for (const auto& w : windows) {
        ASSERT_TRUE(w.form.Load());
        EXPECT_EQ(ui::TextOf(w.form.hwnd()), w.form.spec().caption);
        for (const UINT dpi : {96u, 144u, 96u}) {
            SCOPED_TRACE(std::string(w.rects, 7) + " at " + std::to_string(dpi));
            MoveToDpi(w.form, dpi);
            EXPECT_EQ(w.form.dpi(), dpi);
            ExpectLayout(w.form, w.rects, w.tabs);
        }
    }
    EXPECT_TRUE(GetWindowLongPtrW(settings.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrW(dialog.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(SendMessageW(settings.Control(Settings::kOkButton), WM_GETDLGCODE, 0, 0) &
                DLGC_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrW(progress.hwnd(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_TRUE(GetClassLongPtrW(progress.hwnd(), GCL_STYLE) & CS_NOCLOSE);
    EXPECT_EQ(ui::TextOf(progress.Control(ui::ProgressWindow::kProductLabel)),
              L"Larkspur Ver.1.52");
    EXPECT_FALSE(IsWindowVisible(progress.hwnd())) << "loaded hidden, for its handle";
}

// Loading: each box from its stored number, then the enable rules; clicks
// toggle, greyed counts as on, and switching Silent Mode off keeps checks.
TEST_F(WindowTest, TheSettingsWindowShowsTheStoredSettings) {
    const struct {
        const wchar_t *use, *attributes, *readOnly;
        int silent, attributesBox, readOnlyBox;
        bool silentControls, letters;
    } cases[] = {
        {nullptr, nullptr, nullptr, 0, 0, 0, false, false},
        {L"1", L"0", L"1", 1, 0, 1, true, false},
        {L"1", L"1", L"", 1, 1, 0, true, true},
        {L"0", L"1", L"", 0, 1, 0, false, false},
        {L"1.5", L"-1", L"300", 2, 2, 2, true, true},  // 2 and any other number: greyed
        {L"0.5", L"", L"", 0, 0, 0, false, false},
    };
    for (const auto& c : cases) {
        DeleteFileW(ini.c_str());
        for (const auto& [key, value] :
             {std::pair{L"Use", c.use}, {L"Attributes", c.attributes}, {L"ReadOnly", c.readOnly}}) {
            if (value) {
                Set(L"Silent", key, value);
            }
        }
        Set(L"Silent", L"Location", L"C:\\Out");
        Settings window(p);
        ASSERT_TRUE(window.Load());
        SCOPED_TRACE(c.use ? c.use : L"(no file)");
        EXPECT_EQ(window.Check(Settings::kSilentModeBox), c.silent);
        EXPECT_EQ(window.Check(Settings::kAttributesBox), c.attributesBox);
        EXPECT_EQ(window.Check(Settings::kReadOnlyBox), c.readOnlyBox);
        EXPECT_EQ(ui::TextOf(window.Control(Settings::kOutputFolderEdit)), L"C:\\Out");
        for (const int row : {Settings::kOutputFolderEdit, Settings::kBrowseButton,
                              Settings::kForceModeBox, Settings::kAttributesBox}) {
            EXPECT_EQ(Enabled(window, row), c.silentControls) << row;
        }
        for (int row = Settings::kReadOnlyBox; row <= Settings::kArchiveBox; ++row) {
            EXPECT_EQ(Enabled(window, row), c.letters) << row;
        }
        if (c.silent != 0) {
            Press(window, Settings::kSilentModeBox);
            EXPECT_EQ(window.Check(Settings::kSilentModeBox), 0);
            EXPECT_FALSE(Enabled(window, Settings::kHiddenBox));
            Press(window, Settings::kSilentModeBox);
            EXPECT_EQ(Enabled(window, Settings::kHiddenBox), c.letters);
            Press(window, Settings::kAttributesBox);
            EXPECT_EQ(Enabled(window, Settings::kHiddenBox), !c.letters);
            EXPECT_EQ(window.Check(Settings::kReadOnlyBox), c.readOnlyBox);
        }
    }
}

// OK creates the folder and saves; with Silent Mode off it saves Use alone;
// when it cannot, it says why, saves nothing and stays open. Cancel, Esc
// and the close box save nothing; Enter is OK.
TEST_F(WindowTest, TheSettingsWindowSavesOnlyWithOk) {
    WriteText(dir + L"\\file.txt", "x");
    const std::wstring made = dir + L"\\a\\b";
    const struct {
        const wchar_t* folder;
        bool silentMode, lock;
        std::function<void(Settings&)> act;
        bool saved;
        std::wstring message, file;  // the message's first line; the file's lines after [Silent]
    } cases[] = {
        {L"\\a\\b", true, false, [](Settings& w) { Press(w, Settings::kOkButton); }, true, L"",
         L"Use=1|Location=" + made + L"|Force=1|Attributes=0|ReadOnly=1|Hidden=0|System=0|" +
             L"Archive=0|"},
        {L"\\kept", false, false, [](Settings& w) { Press(w, Settings::kOkButton); }, true, L"",
         L"Use=0|"},
        {L"\\file.txt\\sub", true, false, [](Settings& w) { Press(w, Settings::kOkButton); }, false,
         L"Not to Create Folder", L""},
        {L"", true, true, [](Settings& w) { Press(w, Settings::kOkButton); }, false,
         L"The settings could not be saved to", L""},
        {L"", true, false, [](Settings& w) { Press(w, Settings::kCancelButton); }, false, L"", L""},
        {L"", true, false, [](Settings& w) { SendMessageW(w.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); },
         false, L"", L""},
        {L"", true, false,
         [](Settings& w) {
             PostMessageW(w.Control(Settings::kOutputFolderEdit), WM_KEYDOWN, VK_ESCAPE, 0);
             w.RunModal();
         },
         false, L"", L""},
        {L"\\a\\b", true, false,
         [](Settings& w) {
             PostMessageW(w.Control(Settings::kOutputFolderEdit), WM_KEYDOWN, VK_RETURN, 0);
             w.RunModal();
         },
         true, L"",
         L"Use=1|Location=" + made + L"|Force=1|Attributes=0|ReadOnly=1|Hidden=0|" +
             L"System=0|Archive=0|"},
    };
    for (const auto& c : cases) {
        DeleteFileW(ini.c_str());
        Settings window(p);
        ASSERT_TRUE(window.Load());
        if (c.silentMode) {
            Press(window, Settings::kSilentModeBox);
            Press(window, Settings::kForceModeBox);
            Press(window, Settings::kReadOnlyBox);  // set, though greyed without Attributes
            SendMessageW(window.Control(Settings::kReadOnlyBox), BM_SETCHECK, 1, 0);
        }
        SetWindowTextW(window.Control(Settings::kOutputFolderEdit), (dir + c.folder).c_str());
        const win32::FileHandle lock(
            c.lock ? CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)
                   : INVALID_HANDLE_VALUE);
        std::vector<SeenWindow> messages;
        {
            WindowWatcher watcher;
            c.act(window);
            messages = watcher.Messages();
        }
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(window.Saved(), c.saved);
        EXPECT_EQ(messages.size(), c.message.empty() ? 0u : 1u);
        if (!messages.empty()) {
            EXPECT_EQ(messages[0].title, L"Error");
            EXPECT_EQ(messages[0].text.substr(0, c.message.size()), c.message);
        }
        std::wstring text;
        for (const wchar_t* key : {L"Use", L"Location", L"Force", L"Attributes", L"ReadOnly",
                                   L"Hidden", L"System", L"Archive"}) {
            const std::wstring value = Ini(dir, L"Silent", key);
            text += value == L"(none)" ? L"" : std::wstring(key) + L"=" + value + L"|";
        }
        EXPECT_EQ(text, c.file);
    }
    EXPECT_TRUE(Attributes(made) & FILE_ATTRIBUTE_DIRECTORY);
}

// The browser confirms a folder or leaves the text; Make Shortcut points at
// the program (or the renamed exe) and then says the shortcut exists; the
// links are blue with a hand and open their addresses, by mouse and by
// keyboard.
TEST_F(WindowTest, TheSettingsWindowsButtonsAndLinks) {
    Settings window(p);
    ASSERT_TRUE(window.Load());
    Set(L"Silent", L"Use", L"1");
    for (const bool confirm : {true, false}) {
        SetWindowTextW(window.Control(Settings::kOutputFolderEdit), L"typed by hand");
        WindowWatcher watcher([&](const SeenWindow& w) {
            if (w.text.find(L"Output folder...") == std::wstring::npos) {
                return false;
            }
            DWORD_PTR ignored;
            SendMessageTimeoutW(w.hwnd, BFFM_SETSELECTIONW, TRUE,
                                reinterpret_cast<LPARAM>(L"C:\\windows"), SMTO_ABORTIFHUNG, 5000,
                                &ignored);
            PostMessageW(w.hwnd, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
            return true;
        });
        Press(window, Settings::kBrowseButton);
        EXPECT_EQ(ui::TextOf(window.Control(Settings::kOutputFolderEdit)),
                  confirm ? L"C:\\windows" : L"typed by hand");
    }

    wchar_t sendTo[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo), S_OK);
    const std::wstring link = std::wstring(sendTo) + L"\\BrisA.lnk";
    WriteText(dir + L"\\Brisa.exe", "MZ");
    for (const std::wstring& runningAs : {dir + L"\\Brisa.exe", dir + L"\\Renamed.exe"}) {
        DeleteFileW(link.c_str());
        process.path = runningAs;
        WindowWatcher watcher;
        Press(window, Settings::kMakeShortcutButton);
        Press(window, Settings::kMakeShortcutButton);
        const std::vector<SeenWindow> messages = watcher.Messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].title + L": " + messages[0].text,
                  L"Larkspur: 送るにショートカットを作成しました\r\nSucceeded.");
        EXPECT_EQ(messages[1].title + L": " + messages[1].text,
                  L"Larkspur Ver.1.52: 既にアイコンが存在するか作成ができません\r\nThe Icon "
                  L"already exists or not to create.");
        win32::ComPtr<IShellLinkW> shortcut;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shortcut.put()),
                  S_OK);
        win32::ComPtr<IPersistFile> file;
        shortcut->QueryInterface(IID_IPersistFile, file.put());
        ASSERT_EQ(file->Load(link.c_str(), STGM_READ), S_OK);
        wchar_t target[MAX_PATH] = {};
        shortcut->GetPath(target, MAX_PATH, nullptr, 0);
        EXPECT_EQ(_wcsicmp(target, runningAs.c_str()), 0) << target;
    }
    DeleteFileW(link.c_str());

    const win32::WindowDc dc(window.hwnd());
    for (const int row : {Settings::kMailLink, Settings::kHomePageLink}) {
        HWND link = window.Control(row);
        SendMessageW(window.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                     reinterpret_cast<LPARAM>(link));
        EXPECT_EQ(GetTextColor(dc.get()), RGB(0, 0, 255));
        LOGFONTW lf;
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        EXPECT_TRUE(lf.lfUnderline);
        EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
        SetCursor(nullptr);
        SendMessageW(window.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
        SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(link, WM_LBUTTONUP, 0, 0);
    }
    SendMessageW(window.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                 reinterpret_cast<LPARAM>(window.Control(Settings::kOutputFolderLabel)));
    EXPECT_NE(GetTextColor(dc.get()), RGB(0, 0, 255)) << "a plain label keeps its colour";
    EXPECT_EQ(shell.opened,
              (std::vector<std::wstring>{std::wstring(ui::kAuthorMail) + L" in " + dir,
                                         std::wstring(ui::kAuthorHomePage) + L" in " + dir}));
}

// The dialog starts at the process's current folder with Archive ticked;
// it takes the remembered folder and boxes only when Use says so, opening
// the nearest existing part of it or the Documents folder.
TEST_F(WindowTest, TheDialogStartsWhereItShould) {
    CreateDirectoryW((dir + L"\\Out").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\Out\\ab").c_str(), nullptr);
    DefineDosDeviceW(0, L"Q:", L"\\??\\C:\\larkspur-no-such-folder");
    const std::wstring documents = p.shell.SpecialFolder(kFolderPersonal, 0);
    const std::wstring none = L"(none)";
    const struct {
        std::wstring use, location, attributes, readOnly, opens;
        int setDefault, attributesBox, readOnlyBox, archiveBox;
        bool boxesEnabled;
    } cases[] = {
        {none, dir + L"\\Out", L"1", L"1", dir, 0, 0, 0, 1, true},
        {L"abc", dir + L"\\Out", L"1", L"1", dir, 0, 0, 0, 1, true},
        {L"1", dir + L"\\Out\\gone\\deeper", L"0", L"1", dir + L"\\Out", 1, 0, 1, 0, false},
        {L"1", dir + L"\\Out\\abc", L"1", L"0", dir + L"\\Out\\ab", 1, 1, 0, 0, true},
        {L"2", L"Q:\\Data", L"2", L"7", documents, 2, 2, 2, 0, true},
        {L"1", L"", L"1", L"1", documents, 1, 1, 1, 0, true},
    };
    for (const auto& c : cases) {
        DeleteFileW(ini.c_str());
        for (const auto& [key, value] : {std::pair{L"Use", c.use},
                                         {L"Location", c.location},
                                         {L"Attributes", c.attributes},
                                         {L"ReadOnly", c.readOnly},
                                         {L"Archive", std::wstring(L"0")}}) {
            if (value != none) {
                Set(L"Setting", key, value);
            }
        }
        WindowWatcher watcher;
        Dialog dialog(p, {});
        ASSERT_TRUE(dialog.Load());
        SCOPED_TRACE(c.location);
        EXPECT_EQ(_wcsicmp(dialog.Folders().OpenFolder().c_str(), c.opens.c_str()), 0)
            << dialog.Folders().OpenFolder().c_str();
        EXPECT_EQ(dialog.Drives().Selected(), towupper(c.opens[0]));
        EXPECT_EQ(dialog.Check(Dialog::kSetDefaultBox), c.setDefault);
        EXPECT_EQ(dialog.Check(Dialog::kAttributesBox), c.attributesBox);
        EXPECT_EQ(dialog.Check(Dialog::kReadOnlyBox), c.readOnlyBox);
        EXPECT_EQ(dialog.Check(Dialog::kArchiveBox), c.archiveBox);
        EXPECT_EQ(Enabled(dialog, Dialog::kHiddenBox), c.boxesEnabled);
        dialog.Unload();
        EXPECT_TRUE(watcher.Messages().empty()) << "no message on the way";
    }
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
}

// OK hands the open folder and the boxes to the run and remembers them
// with Set Default (without it only Use); the Silent variant shows and
// stores section Silent's nothing; Cancel and the close box hand nothing.
TEST_F(WindowTest, TheDialogHandsItsChoiceToTheRun) {
    const std::wstring out = dir + L"\\data\\out";
    CreateDirectoryW((dir + L"\\data").c_str(), nullptr);
    CreateDirectoryW(out.c_str(), nullptr);
    Set(L"Silent", L"Attributes", L"1");
    Set(L"Silent", L"System", L"1");
    Set(L"Silent", L"Archive", L"0");
    const struct {
        bool silent, setDefault, heading;
        int press;
        std::optional<CopyOptions> choice;
        std::wstring stored;
    } cases[] = {
        {false, true, true, Dialog::kOkButton, CopyOptions{out + L"\\", 33, true},
         L"1|" + out + L"|1|1|0|0|1"},
        {false, false, false, Dialog::kOkButton, CopyOptions{out + L"\\", 33, false},
         L"0|" + out + L"|1|1|0|0|1"},  // only Use changes
        {true, false, true, Dialog::kOkButton, CopyOptions{out + L"\\", 4, true},
         L"0|" + out + L"|1|1|0|0|1"},  // the Silent variant stores nothing
        {false, true, true, Dialog::kCancelButton, std::nullopt, L"0|" + out + L"|1|1|0|0|1"},
        {false, true, true, -1, std::nullopt, L"0|" + out + L"|1|1|0|0|1"},  // the close box
    };
    for (const auto& c : cases) {
        Dialog dialog(p, {c.silent, out + L"\\Missing\\"});
        ASSERT_TRUE(dialog.Load());
        EXPECT_EQ(ui::TextOf(dialog.hwnd()),
                  c.silent ? ui::kSilentDialogCaption : L"Output Folder...");
        EXPECT_EQ(Enabled(dialog, Dialog::kSetDefaultBox), !c.silent);
        dialog.OpenFolder(out);
        if (!c.silent && c.setDefault != (dialog.Check(Dialog::kSetDefaultBox) != 0)) {
            Press(dialog, Dialog::kSetDefaultBox);
        }
        if (c.heading != (dialog.Check(Dialog::kAttributesBox) != 0)) {
            Press(dialog, Dialog::kAttributesBox);
        }
        if (!c.silent && dialog.Check(Dialog::kReadOnlyBox) == 0) {
            Press(dialog, Dialog::kReadOnlyBox);
        }
        if (c.press < 0) {
            SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else {
            Press(dialog, c.press);
        }
        ASSERT_EQ(dialog.Choice().has_value(), c.choice.has_value());
        if (c.choice) {
            EXPECT_EQ(dialog.Choice()->outputFolder, c.choice->outputFolder);
            EXPECT_EQ(dialog.Choice()->attributes, c.choice->attributes);
            EXPECT_EQ(dialog.Choice()->setAttributes, c.choice->setAttributes);
        }
        std::wstring stored;
        for (const wchar_t* key :
             {L"Use", L"Location", L"Attributes", L"ReadOnly", L"Hidden", L"System", L"Archive"}) {
            stored += Ini(dir, L"Setting", key) + L"|";
        }
        EXPECT_EQ(stored, c.stored + L"|");
    }
    Set(L"Setting", L"Use", L"1");
    Set(L"Setting", L"Location", L"C:\\");  // a root keeps its backslash
    Dialog again(p, {});
    ASSERT_TRUE(again.Load());
    Press(again, Dialog::kOkButton);
    EXPECT_EQ(again.Choice()->outputFolder, L"C:\\");
}

// New Folder makes chains and opens them, and says when it cannot; the
// folder list opens on activation or Enter, never on a highlight; a drive
// that cannot be listed leaves the list where it was; the keyboard works
// in the modal loop.
TEST_F(WindowTest, TheDialogsFoldersNewFolderAndKeyboard) {
    CreateDirectoryW((dir + L"\\B10").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\b9").c_str(), nullptr);
    CreateDirectoryW((dir + L"\\.hidden").c_str(), nullptr);
    WriteText(dir + L"\\file.txt", "not a folder");
    Dialog dialog(p, {});
    ASSERT_TRUE(dialog.Load());
    const ui::FolderList& list = dialog.Folders();
    ASSERT_EQ(list.EntryCount(), list.OpenEntry() + 3);
    EXPECT_EQ(list.Entry(list.OpenEntry() + 1), dir + L"\\b9") << "digits sort as numbers";
    EXPECT_NE(ListView_GetImageList(dialog.Control(Dialog::kFolderList), LVSIL_SMALL), nullptr);
    HWND drives = dialog.Control(Dialog::kDriveList);
    wchar_t name[64] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.pszText = name;
    item.cchTextMax = 64;
    while (SendMessageW(drives, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) &&
           !wcsstr(name, L"(C:)")) {
        ++item.iItem;
    }
    EXPECT_STREQ(name, L"Local Disk (C:)") << "Wine leaves it nameless";

    HWND folders = dialog.Control(Dialog::kFolderList);
    ListView_SetItemState(folders, static_cast<int>(list.OpenEntry() + 2),
                          LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.OpenFolder(), dir);
    SetFocus(folders);
    SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);  // what the dialog manager sends for Enter
    EXPECT_EQ(list.OpenFolder(), dir + L"\\B10");
    NMITEMACTIVATE activate{};
    activate.hdr = {folders, static_cast<UINT_PTR>(GetDlgCtrlID(folders)), LVN_ITEMACTIVATE};
    SendMessageW(dialog.hwnd(), WM_NOTIFY, activate.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&activate));  // item 0: the root
    EXPECT_EQ(list.OpenFolder(), dir.substr(0, 3));

    dialog.OpenFolder(dir);
    const struct {
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
    for (const auto& c : cases) {
        WindowWatcher watcher([&](const SeenWindow& w) {
            if (w.className != ui::kInputBoxClass || w.title != L"Create New Folder") {
                return false;
            }
            SendMessageW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(c.answer.c_str()));
            Click(FindChild(w.hwnd, L"Button", c.cancel ? L"Cancel" : L"OK"));
            return true;
        });
        Press(dialog, Dialog::kNewFolderButton);
        EXPECT_EQ(list.OpenFolder(), c.opens) << c.answer.c_str();
        const std::vector<SeenWindow> seen = watcher.Messages();
        EXPECT_EQ(seen.size(), c.message ? 1u : 0u) << c.answer.c_str();
        for (const SeenWindow& w : seen) {
            EXPECT_EQ(w.title + L": " + w.text, L"Error: Not to Create New Folder");
        }
    }

    DefineDosDeviceW(0, L"Q:", L"\\??\\C:\\larkspur-no-such-folder");
    Dialog withQ(p, {});  // the drive list is filled at load
    ASSERT_TRUE(withQ.Load());
    drives = withQ.Control(Dialog::kDriveList);
    for (LRESULT i = SendMessageW(drives, CB_GETCOUNT, 0, 0); i-- > 0;) {
        if (SendMessageW(drives, CB_GETITEMDATA, i, 0) == L'Q') {
            SendMessageW(drives, CB_SETCURSEL, i, 0);
        }
    }
    {
        WindowWatcher watcher;
        SendMessageW(withQ.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drives), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(drives));
        EXPECT_EQ(withQ.Folders().OpenFolder(), dir) << "the list stays where it was";
        const std::vector<SeenWindow> seen = watcher.Messages();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].title + L": " + seen[0].text,
                  L"ERROR Larkspur: " + ui::SystemErrorText(ERROR_PATH_NOT_FOUND));
    }
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);

    CreateDirectoryW((dir + L"\\Sub").c_str(), nullptr);
    for (const wchar_t key : {L'o', L'c'}) {
        // Tab to the folder list, highlight Sub, Enter to open it, then Alt+key.
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
        const std::optional<CopyOptions> choice = ui::ShowOutputFolderDialog(p, {});
        EXPECT_EQ(choice ? choice->outputFolder : L"", key == L'o' ? dir + L"\\Sub\\" : L"");
    }
}

// Long work lets the windows repaint: a yield lets pending messages through.
TEST_F(WindowTest, YieldingLetsMessagesThrough) {
    HWND sink =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PostMessageW(sink, WM_USER, 0, 0);
    machine.ui.YieldToWindowSystem();
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    DestroyWindow(sink);
}

}  // namespace
}  // namespace larkspur::wine_test
