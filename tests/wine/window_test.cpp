// The program's windows, made in this process and driven with window
// messages as a user drives them. Wine facts relied on: Wine reports 96 DPI,
// so another is told with WM_DPICHANGED, as Windows tells it; a file held
// open without sharing cannot be written by the profile functions;
// DefineDosDevice makes a drive that cannot be listed; the shell leaves the
// unlabelled C: nameless; oleacc names an edit by the label before it (a
// hidden one too), but not a list or a drop-down.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleacc.h>
#include <shlobj.h>

#include "app/machine.h"
#include "support.h"
#include "ui/input_box.h"
#include "ui/output_folder_dialog.h"
#include "ui/progress_window.h"
#include "ui/settings_window.h"

namespace larkspur::wine_test {
namespace {

using Dialog = ui::OutputFolderDialog;
using Settings = ui::SettingsWindow;

struct RecordingShell : win32::Win32Shell {
    std::vector<std::wstring> opened;
    std::wstring sendTo;  // the real one when empty
    void OpenLink(const std::wstring& address, const std::wstring&) override {
        opened.push_back(address);
    }
    std::wstring SpecialFolder(int folder, WindowRef owner) override {
        return folder == kFolderSendTo && !sendTo.empty()
                   ? sendTo
                   : Win32Shell::SpecialFolder(folder, owner);
    }
};

// What a screen reader calls a control: the accessibility interface's name,
// which Wine 8 gives an edit from the label before it, or else that label,
// as Windows names lists and drop-downs.
std::wstring AccessibleName(HWND control) {
    win32::ComPtr<IAccessible> object;
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                             object.put())) &&
        object->get_accName(self, &name) == S_OK) {
        const std::wstring text(name, SysStringLen(name));
        SysFreeString(name);
        return text;
    }
    HWND label = GetWindow(control, GW_HWNDPREV);
    return label && ClassOf(label) == L"Static" ? ui::TextOf(label) : L"(none)";
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        process.folder = dir = ScratchDir();
        SetCurrentDirectoryW(dir.c_str());
        DefineDosDeviceW(0, L"Q:", L"\\??\\C:\\larkspur-no-such-folder");  // not listable
    }
    void TearDown() override {
        SetCurrentDirectoryW(BinDir().c_str());
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
    }
    // The check states of rows, one digit each, "-" after a disabled one.
    static std::wstring Boxes(const ui::Form& form, std::initializer_list<int> rows) {
        std::wstring states;
        for (const int row : rows) {
            states += std::to_wstring(form.Check(row)) +
                      (IsWindowEnabled(form.Control(row)) ? L"" : L"-");
        }
        return states;
    }
    static void Press(const ui::Form& form, int row) {
        SendMessageW(form.Control(row), BM_CLICK, 0, 0);
    }
    std::wstring dir;
    ScratchProcess process;
    RecordingShell shell;
    app::Win32Machine machine{process, &shell};
    Platform& p = machine.platform;
};

// Where every control lies and in which order Tab reaches it, at 96 DPI and
// on a 144-DPI monitor; every caption fits, in the face it asks for where
// that is there; what a screen reader calls each edit, list and drop-down.
TEST_F(WindowTest, LayoutAtEveryDpi) {
    Settings settings(p);
    Dialog dialog(p, {});
    ui::ProgressWindow progress(process);
    ui::InputBoxWindow input(L"Name:", L"Create New Folder");
    // clang-format off
    const struct { ui::Form& form; const char *rects, *tabs; const wchar_t* names; } windows[] = {
        {settings, "354x199 8,8,337,153 16,8,81,17 24,32,76,12 24,48,225,18 256,46,81,23 "
            "24,72,81,17 24,96,153,49 32,96,73,17 40,120,33,17 72,120,33,17 104,120,33,17 "
            "136,120,33,17 264,112,68,12 272,128,59,12 64,168,105,25 176,168,81,25 264,168,81,25",
            "1 4 2 3 5 7 8 9 10 11 12 13 15 16 14", L"Output Folder...|"},
        {dialog, "398x278 8,8,257,20 8,40,257,230 288,32,81,17 288,56,57,17 288,80,65,17 "
            "288,104,65,17 280,208,105,25 280,240,105,25 280,176,105,25 280,8,105,121 "
            "288,144,89,17 288,8,81,17 8,8,257,12 8,40,257,12", "12 0 13 1 2 3 4 5 6 7 8 10 11",
            L"Drive|Folders|"},
        {progress, "312x108 88,80,137,19 8,8,126,12 80,24,129,12 208,40,70,12 8,56,219,12",
            "0 1 2 3 4", L""},
        {input, "360x130 12,12,252,72 12,96,336,22 276,12,72,24 276,42,72,24", "0 1 2 3", L"Name:|"},
    };
    // clang-format on
    for (const auto& w : windows) {
        ASSERT_TRUE(w.form.Load());
        std::wstring names;
        for (const ui::ControlRow& row : w.form.spec().controls) {
            const bool named = row.kind == ui::Kind::Edit || row.kind == ui::Kind::DriveList ||
                               row.kind == ui::Kind::FolderList;
            names += named ? AccessibleName(w.form.Control(row.id)) + L"|" : L"";
        }
        EXPECT_EQ(names, w.names);
        for (const UINT dpi : {96u, 144u}) {
            SCOPED_TRACE(std::string(w.rects, 7) + " at " + std::to_string(dpi));
            RECT suggested{0, 0, ui::Scale(w.form.spec().clientWidth, dpi),
                           ui::Scale(w.form.spec().clientHeight, dpi)};
            SendMessageW(w.form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            ExpectLayout(w.form, w.rects, w.tabs);
        }
    }
    EXPECT_TRUE(GetWindowLongPtrW(settings.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrW(dialog.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindowLongPtrW(progress.hwnd(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_TRUE(GetClassLongPtrW(progress.hwnd(), GCL_STYLE) & CS_NOCLOSE);
    // A face that is there (any but the default, of whatever the machine
    // has) is the face a control asks for; one that is not gives way.
    static std::wstring standard, other;
    standard = ui::WantedFont(nullptr, 96).lfFaceName;
    LOGFONTW any{};
    any.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(
        win32::WindowDc().get(), &any,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM) -> int {
            other = standard != font->lfFaceName ? font->lfFaceName : other;
            return 1;
        },
        0, 0);
    const ui::FontSpec there{other.c_str()}, missing{L"No Such Face"};
    EXPECT_EQ(ui::WantedFont(&there, 96).lfFaceName, other);
    EXPECT_EQ(ui::WantedFont(&missing, 96).lfFaceName, standard);
}

// The settings window shows the settings (2 and odd numbers greyed; boxes
// enabled as Silent Mode and Attributes say); a click turns a box off when on;
// OK makes the folder and saves, or says why not and saves nothing; Silent
// Mode off saves Use alone, folder untouched; Esc saves nothing; Enter is OK.
TEST_F(WindowTest, TheSettingsWindowShowsAndSavesTheSilentModeSettings) {
    using enum Settings::ControlId;
    WriteText(dir + L"\\file.txt", "x");
    const std::wstring none = L"(none)|(none)|(none)|(none)|(none)|(none)|(none)|";
    const std::wstring made = dir + L"\\出力\\b";  // a new file is UTF-16: any name reads back
    // clang-format off
    const struct { const wchar_t *stored, *folder; std::wstring shown; std::vector<int> clicks;
                   WPARAM key; std::wstring message, saved; } cases[] = {
        {L"", L"\\出力\\b", L"00-0-0-0-", {kSilentModeBox, kForceModeBox, kAttributesBox,
            kReadOnlyBox}, 0, L"", L"1|" + made + L"|1|1|1|0|0|0|"},
        {L"Use=1|Location=X|Attributes=0|ReadOnly=1", L"\\new\\bad|name", L"1001-0-",
            {kSilentModeBox}, 0, L"", L"0|X|(none)|0|1|(none)|(none)|(none)|"},
        {L"Use=1.5|Attributes=-1|Hidden=300", L"\\a\\b", L"20202", {kSystemBox},
            VK_RETURN, L"", L"2|" + dir + L"\\a\\b|0|2|0|2|1|0|"},
        {L"Use=1|Attributes=1", L"\\file.txt\\sub", L"10100", {}, 0,
            L"Error: Not to Create Folder", L"1|(none)|(none)|1|(none)|(none)|(none)|(none)|"},
        {L"Use=1", L"\\locked", L"1000-0-", {}, 0,
            L"Error: The settings could not be saved", L"locked"},
        {L"", L"\\x", L"00-0-0-0-", {}, VK_ESCAPE, L"", none + L"(none)|"},
    };  // shown: Silent Mode, Force Mode, Attributes, Read Only, Hidden ("-": disabled)
    // clang-format on
    for (const auto& c : cases) {
        DeleteFileW((dir + L"\\Brisa.ini").c_str());
        WriteIni(dir, L"Silent", c.stored);
        Settings window(p);
        ASSERT_TRUE(window.Load());
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(Boxes(window,
                        {kSilentModeBox, kForceModeBox, kAttributesBox, kReadOnlyBox, kHiddenBox}),
                  c.shown);
        for (const int row : c.clicks) {
            Press(window, row);
        }
        SetWindowTextW(window.Control(kOutputFolderEdit), (dir + c.folder).c_str());
        const win32::FileHandle lock(c.saved == L"locked"
                                         ? CreateFileW((dir + L"\\Brisa.ini").c_str(), GENERIC_READ,
                                                       0, nullptr, OPEN_EXISTING, 0, nullptr)
                                         : INVALID_HANDLE_VALUE);
        WindowWatcher watcher;
        if (c.key == 0) {  // the OK button
            Press(window, kOkButton);
        } else {
            PostMessageW(window.Control(kOutputFolderEdit), WM_KEYDOWN, c.key, 0);
            window.RunModal();
        }
        EXPECT_EQ(watcher.Said().substr(0, c.message.size()), c.message);
        EXPECT_EQ(watcher.Said().empty(), c.message.empty());
        EXPECT_EQ(window.Saved(), c.message.empty() && c.saved.rfind(L"(none)", 0) != 0);
        if (c.saved != L"locked") {
            EXPECT_EQ(Ini(dir, L"Silent",
                          L"Use|Location|Force|Attributes|ReadOnly|Hidden|System|Archive"),
                      c.saved);
        }
    }
    EXPECT_TRUE(Attributes(made) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Attributes(dir + L"\\new"), INVALID_FILE_ATTRIBUTES) << "not with Silent Mode off";
}

// The links are drawn blue, with a focus rectangle when focused, show a
// hand, and open their addresses by mouse, by Tab then Enter, and by Space.
// Make Shortcut says when the shortcut could not be saved. A yield lets the
// window system dispatch what waits.
TEST_F(WindowTest, TheSettingsWindowsLinksByMouseAndKeyboard) {
    using enum Settings::ControlId;
    WriteIni(dir, L"Silent", L"Use=1|Attributes=1");
    Settings window(p);
    ASSERT_TRUE(window.Load());
    auto key = [&](WPARAM key, UINT message = WM_KEYDOWN) {
        MSG msg{GetFocus(), message, key, 0, 0, {}};
        if (!IsDialogMessageW(window.hwnd(), &msg)) {
            SendMessageW(msg.hwnd, message, key, 0);
        }
    };
    auto drawn = [&](HWND link, UINT state) {  // its pixels as the window draws it
        const win32::WindowDc screen;
        HDC dc = CreateCompatibleDC(screen.get());
        HGDIOBJ old = SelectObject(dc, CreateCompatibleBitmap(screen.get(), 80, 16));
        DRAWITEMSTRUCT item{ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, link, dc, {0, 0, 80, 16}, 0};
        SendMessageW(window.hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        std::vector<COLORREF> pixels;
        for (int i = 0; i < 80 * 16; ++i) {
            pixels.push_back(GetPixel(dc, i % 80, i / 80));
        }
        DeleteObject(SelectObject(dc, old));
        DeleteDC(dc);
        return pixels;
    };
    SetFocus(window.Control(kArchiveBox));
    for (const int row : {kMailLink, kHomePageLink}) {
        HWND link = window.Control(row);
        key(VK_TAB);
        EXPECT_EQ(GetFocus(), link) << "after the attribute boxes";
        key(VK_RETURN);
        const std::vector<COLORREF> plain = drawn(link, 0);
        EXPECT_GT(std::count(plain.begin(), plain.end(), RGB(0, 0, 255)), 20) << "blue text";
        EXPECT_NE(drawn(link, ODS_FOCUS), plain) << "a focus rectangle";
        SetCursor(nullptr);
        SendMessageW(window.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    }
    key(VK_SPACE);
    key(VK_SPACE, WM_KEYUP);
    Press(window, kMailLink);
    EXPECT_EQ(shell.opened, (std::vector<std::wstring>{ui::kAuthorMail, ui::kAuthorHomePage,
                                                       ui::kAuthorHomePage, ui::kAuthorMail}));
    EXPECT_FALSE(window.Saved()) << "Enter on a link does not press OK";
    static bool fired = false;  // the first yield after the progress window shows pumps
    machine.ui.ShowProgressWindow();
    SetTimer(nullptr, 0, 0,
             [](HWND, UINT, UINT_PTR timer, DWORD) { fired = KillTimer(nullptr, timer); });
    Sleep(50);
    machine.ui.YieldToWindowSystem();
    EXPECT_TRUE(fired) << "a yield dispatches what waits";
    shell.sendTo = dir + L"\\no such folder";  // where no shortcut can be saved
    WindowWatcher watcher;
    Press(window, kMakeShortcutButton);
    EXPECT_EQ(watcher.Said(), L"Larkspur: 正常に処理できませんでした\r\nFailed.\n");
}

// The dialog opens at the current folder with Archive ticked, or at the
// remembered folder (its nearest existing part, or Documents) with the
// remembered boxes; the Silent variant at the missing folder with its set,
// without Set Default. The four boxes are greyed from the start while the
// heading is not ticked. OK (Alt+O) hands over the open folder and the boxes;
// Cancel (Alt+C) and the close box nothing.
TEST_F(WindowTest, TheOutputFolderDialogStartsWhereItShouldAndHandsOverItsChoice) {
    using enum Dialog::ControlId;
    const std::wstring out = dir + L"\\Out", gone = out + L"\\gone\\deeper";
    WriteText(out + L"\\ab\\x", "");
    const std::wstring documents = p.shell.SpecialFolder(kFolderPersonal, 0);
    auto press = [](int row) { return [row](Dialog& d) { Press(d, row); }; };
    auto alt = [](wchar_t key) {  // an access key in the modal loop
        return [key](Dialog& d) {
            PostMessageW(d.Control(kFolderList), WM_SYSCHAR, key, 1 << 29);
            d.RunModal();
        };
    };
    // clang-format off
    const struct { bool silent; FolderChoice from; std::wstring opens, shown; std::vector<int> clicks;
                   std::function<void(Dialog&)> act; std::optional<FolderChoice> choice; } cases[] = {
        {false, {0, out}, dir, L"000-0-1-", {kSetDefaultBox, kAttributesBox}, press(kOkButton),
            FolderChoice{1, dir, 1, 0, 0, 0, 1}},
        {false, {1, gone, 0, 1}, out, L"101-0-0-", {kSetDefaultBox}, press(kOkButton),
            FolderChoice{0, out, 0, 1}},
        {false, {1, L"Q:\\Data"}, documents, L"100-0-0-", {}, alt(L'c'), {}},
        {true, {1, out + L"\\missing\\", 0, 1}, out, L"0-01-0-0-", {},
            [](Dialog& d) { SendMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }, {}},
        {true, {1, out + L"\\ab\\missing\\", 1, 0, 0, 1}, out + L"\\ab", L"0-1000", {}, alt(L'o'),
            FolderChoice{0, out + L"\\ab", 1, 0, 0, 1}},
    };  // shown: Set Default, the heading, Read Only, Hidden, Archive ("-": disabled)
    // clang-format on
    for (const auto& c : cases) {
        WindowWatcher watcher;
        Dialog dialog(p, {c.silent, c.from});
        ASSERT_TRUE(dialog.Load());
        SCOPED_TRACE(c.from.location);
        EXPECT_EQ(ui::TextOf(dialog.hwnd()),
                  c.silent ? ui::kSilentDialogCaption : L"Output Folder...");
        EXPECT_EQ(_wcsicmp(dialog.Folders().OpenFolder().c_str(), c.opens.c_str()), 0);
        EXPECT_EQ(dialog.Drives().Selected(), towupper(c.opens[0]));
        EXPECT_EQ(
            Boxes(dialog, {kSetDefaultBox, kAttributesBox, kReadOnlyBox, kHiddenBox, kArchiveBox}),
            c.shown);
        for (const int row : c.clicks) {
            Press(dialog, row);
        }
        c.act(dialog);
        EXPECT_EQ(dialog.Choice(), c.choice);
        EXPECT_EQ(watcher.Said(), L"") << "no message on the way";
    }
}

// New Folder makes chains and opens them, and says when it cannot; the
// folder list opens on activation or Enter, never on a highlight; a drive
// without a label is named by its kind; a drive that cannot be listed leaves
// the list where it was.
TEST_F(WindowTest, TheOutputFolderDialogsFoldersAndKeys) {
    using enum Dialog::ControlId;
    for (const wchar_t* sub : {L"\\B10", L"\\b9", L"\\.hidden"}) {  // dot names read as hidden
        CreateDirectoryW((dir + sub).c_str(), nullptr);
    }
    Dialog dialog(p, {});
    ASSERT_TRUE(dialog.Load());
    const ui::FolderList& list = dialog.Folders();
    ASSERT_EQ(list.EntryCount(), list.OpenEntry() + 3);
    EXPECT_EQ(list.Entry(list.OpenEntry() + 1), dir + L"\\b9") << "digits sort as numbers";
    HWND folders = dialog.Control(kFolderList);
    EXPECT_NE(ListView_GetImageList(folders, LVSIL_SMALL), nullptr) << "folders show icons";
    ListView_SetItemState(folders, static_cast<int>(list.OpenEntry() + 2),
                          LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.OpenFolder(), dir);
    SetFocus(folders);
    SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);  // what the dialog manager sends for Enter
    EXPECT_EQ(list.OpenFolder(), dir + L"\\B10");
    RECT first;  // a double-click's first click has selected its entry
    ListView_GetItemRect(folders, 0, &first, LVIR_LABEL);
    ListView_SetItemState(folders, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(folders, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(first.left + 2, first.top + 2));
    EXPECT_EQ(list.OpenFolder(), dir.substr(0, 3));
    dialog.OpenFolder(dir);
    // clang-format off
    const struct { const wchar_t* answer; bool cancel; const wchar_t* opens; bool message; } cases[] = {
        {L"a\\b", false, L"\\a\\b", false},
        {L"typed", true, L"\\a\\b", false}, {L"..\\..\\a", false, L"\\a", false},  // it just opens
        {L"bad|name", false, L"\\a", true},
    };
    // clang-format on
    for (const auto& c : cases) {
        WindowWatcher watcher([&](const SeenWindow& w) {
            if (w.className != ui::kInputBoxClass || w.title != L"Create New Folder") {
                return false;
            }
            SendMessageW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(c.answer));
            Click(FindChild(w.hwnd, L"Button", c.cancel ? L"Cancel" : L"OK"));
            return true;
        });
        Press(dialog, kNewFolderButton);
        EXPECT_EQ(list.OpenFolder(), dir + c.opens) << c.answer;
        EXPECT_EQ(watcher.Said(), c.message ? L"Error: Not to Create New Folder\n" : L"");
    }
    HWND drives = dialog.Control(kDriveList);
    wchar_t text[32] = {};
    COMBOBOXEXITEMW drive{CBEIF_TEXT, 0, text, 32, 0, 0, 0, 0, 0};  // C:, as Wine has no A: or B:
    SendMessageW(drives, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&drive));
    EXPECT_STREQ(text, L"Local Disk (C:)") << "Wine leaves C: nameless, \" (C:)\"";
    LRESULT q = 0;
    while (q < 26 && SendMessageW(drives, CB_GETITEMDATA, q, 0) != L'Q') {
        ++q;
    }
    SendMessageW(drives, CB_SETCURSEL, q, 0);
    WindowWatcher watcher;
    SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(drives), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(drives));
    EXPECT_EQ(list.OpenFolder(), dir + L"\\a") << "the list stays where it was";
    const std::wstring said = watcher.Said();  // for Q:, the system's text without its line break
    EXPECT_EQ(said, L"ERROR Larkspur: " + win32::SystemErrorText(ERROR_PATH_NOT_FOUND) + L"\n");
    EXPECT_TRUE(said.size() > 20 && said.find(L'\r') == std::wstring::npos &&
                said.find(L" \n") == std::wstring::npos)
        << "the system's text, trimmed: " << said;
}

// A program in a drive's root has the root for its folder: its settings are
// C:\Brisa.ini.
TEST(Process, AProgramInADriveRootReadsItsSettingsThere) {
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\Brisa.exe").c_str(), L"C:\\Brisa.exe", FALSE));
    WriteIni(L"C:", L"Silent", L"Use=1|Location=C:\\" + std::wstring(300, L'x'));
    const drive::Run run =
        RunProgram(L"C:\\Brisa.exe", L"C:\\Brisa.exe", L"C:\\", OperateDialog(L"", L"Cancel(&C)"));
    DeleteFileW(L"C:\\Brisa.exe");
    DeleteFileW(L"C:\\Brisa.ini");
    EXPECT_EQ(Said(run.messages),
              L"Error: The output folder in C:\\Brisa.ini is longer than 254 "
              L"characters, so nothing was copied.\n");
}

}  // namespace
}  // namespace larkspur::wine_test
