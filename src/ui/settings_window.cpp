// The settings window: what the program shows when started on its own.
//
// It edits section Silent of Brisa.ini, puts the program's shortcut into the
// user's Send To folder and opens the two author links. OK saves and Cancel
// does not; either ends the program, and so does the close box, through the
// answer the window hands back to the run driver.
//
// Platform notes:
// - Each frame's caption lies under the check box that heads the frame; the
//   table places the boxes there and the form keeps frames at the bottom of
//   the z-order so the boxes paint over them.
// - The folder browser is asked without BIF_BROWSEFORCOMPUTER: with it only
//   computers can be confirmed and OK stays greyed for every folder.
#include "ui/settings_window.h"

#include <shlobj.h>

#include "paths/make_path.h"
#include "paths/paths.h"

namespace larkspur::ui {

namespace {

using enum SettingsWindow::ControlId;

const FontSpec kLinkFont{L"ＭＳ Ｐゴシック", 900, FW_NORMAL, true, SHIFTJIS_CHARSET};

using W = SettingsWindow;

// The browse button's top and height are 575 and 350 twips, 38⅓ and 23⅓
// pixels at 96 DPI; MulDiv, as the platform scales, rounds them to 38 and 23.
constexpr ControlRow kRows[] = {
    {kSilentFrame, Kind::GroupBox, L"Frame1", kNoFrame, 8, 8, 337, 153, 15},
    {kSilentModeBox, Kind::CheckBox, L"Silent Mode", kSilentFrame, 8, 0, 81, 17, 0,
     On<&W::OnHeadingClicked>},
    {kOutputFolderLabel, Kind::Label, L"Output Folder...", kSilentFrame, 16, 24, 76, 12, 2},
    {kOutputFolderEdit, Kind::Edit, L"", kSilentFrame, 16, 40, 225, 18, 3},
    {kBrowseButton, Kind::Button, L"Folder...(&F)", kSilentFrame, 248, 38, 81, 23, 1,
     On<&W::OnBrowse>},
    {kForceModeBox, Kind::CheckBox, L"Force Mode", kSilentFrame, 16, 64, 81, 17, 4},
    {kAttributesFrame, Kind::GroupBox, L"Frame2", kSilentFrame, 16, 88, 153, 49, 16},
    {kAttributesBox, Kind::CheckBox, L"Attributes", kAttributesFrame, 8, 0, 73, 17, 5,
     On<&W::OnHeadingClicked>},
    {kReadOnlyBox, Kind::CheckBox, L"R", kAttributesFrame, 16, 24, 33, 17, 6},
    {kHiddenBox, Kind::CheckBox, L"H", kAttributesFrame, 48, 24, 33, 17, 7},
    {kSystemBox, Kind::CheckBox, L"S", kAttributesFrame, 80, 24, 33, 17, 8},
    {kArchiveBox, Kind::CheckBox, L"A", kAttributesFrame, 112, 24, 33, 17, 9},
    {kMailLink, Kind::Link, L"作者にメール", kSilentFrame, 256, 104, 68, 12, 10, On<&W::OnMail>,
     On<&W::OnMail>, &kLinkFont},
    {kHomePageLink, Kind::Link, L"HPを訪れる", kSilentFrame, 264, 120, 59, 12, 11,
     On<&W::OnHomePage>, On<&W::OnHomePage>, &kLinkFont},
    {kMakeShortcutButton, Kind::Button, L"Make Shortcut(&S)", kNoFrame, 64, 168, 105, 25, 14,
     On<&W::OnMakeShortcut>},
    {kOkButton, Kind::DefaultButton, L"OK(&O)", kNoFrame, 176, 168, 81, 25, 12, On<&W::OnOk>},
    {kCancelButton, Kind::Button, L"Cancel(&C)", kNoFrame, 264, 168, 81, 25, 13, On<&W::OnCancel>},
};
static_assert(IndexesRows(kRows, kControlCount));

// The setting each control shows, through one table: loading fills the
// controls from the record, OK reads them back into it.
struct Binding {
    int row;
    int SilentSettings::*state;
    std::wstring SilentSettings::*text = nullptr;  // instead of a state
};
constexpr Binding kBindings[] = {{kSilentModeBox, &SilentSettings::use},
                                 {kOutputFolderEdit, nullptr, &SilentSettings::location},
                                 {kForceModeBox, &SilentSettings::force},
                                 {kAttributesBox, &SilentSettings::attributes},
                                 {kReadOnlyBox, &SilentSettings::readOnly},
                                 {kHiddenBox, &SilentSettings::hidden},
                                 {kSystemBox, &SilentSettings::system},
                                 {kArchiveBox, &SilentSettings::archive}};

// What Silent Mode switches on and off.
constexpr int kSilentModeControls[] = {
    kOutputFolderEdit, kBrowseButton, kForceModeBox, kAttributesBox,
    kReadOnlyBox,      kHiddenBox,    kSystemBox,    kArchiveBox,
};
constexpr int kAttributeBoxes[] = {kReadOnlyBox, kHiddenBox, kSystemBox, kArchiveBox};

}  // namespace

// A fixed window with a close box and no sizing; it is made topmost by its
// load step.
const FormSpec SettingsWindow::kSpec{
    L"LarkspurForm1",
    L"Silent Mode Settings",
    354,
    199,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
    0,
    0,
    kRows,
};

SettingsWindow::SettingsWindow(Platform& p) : Form(kSpec), p_(p), settings_(p.profile, p.process) {}

void SettingsWindow::OnLoad() {
    silent_ = settings_.Silent();
    for (const Binding& bound : kBindings) {
        if (bound.text) {
            SetWindowTextW(Control(bound.row), (silent_.*bound.text).c_str());
        } else {
            SetCheck(bound.row, CheckStateOf(silent_.*bound.state));
        }
    }
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    OnHeadingClicked();
}

// Silent Mode enables what its frame holds, Attributes the four boxes.
void SettingsWindow::OnHeadingClicked() {
    Enable(kSilentModeControls, Check(kSilentModeBox) != 0);
    Enable(kAttributeBoxes, Check(kSilentModeBox) != 0 && Check(kAttributesBox) != 0);
}

void SettingsWindow::OnMail() {
    p_.shell.OpenLink(kAuthorMail, p_.process.ProgramFolder());
}

void SettingsWindow::OnHomePage() {
    p_.shell.OpenLink(kAuthorHomePage, p_.process.ProgramFolder());
}

void SettingsWindow::OnBrowse() {
    BROWSEINFOW request{};
    request.hwndOwner = hwnd();
    request.lpszTitle = L"Output folder...";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    const win32::CoTaskMemory item(SHBrowseForFolderW(&request));
    if (!item.valid()) {
        return;  // cancelled: the folder text stays as it is
    }
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.get()), path)) {
        return;  // a virtual folder (Control Panel, say) has no path to offer
    }
    SetWindowTextW(Control(kOutputFolderEdit), path);
}

void SettingsWindow::OnMakeShortcut() {
    static const std::wstring kFailed = L"正常に処理できませんでした\r\nFailed.";
    const std::wstring sendTo =
        p_.shell.SpecialFolder(kFolderSendTo, reinterpret_cast<WindowRef>(hwnd()));
    if (sendTo.empty()) {
        // Without a folder the link would land in the root of the current
        // drive.
        Message(kFailed, MB_ICONSTOP, p_.process.AppTitle());
        return;
    }
    const std::wstring link = AddBackslash(sendTo) + kShortcutName;
    const uint32_t attributes = p_.fs.Attributes(link);
    if (attributes != kInvalidAttributes && !(attributes & kAttrDirectory)) {
        Message(
            L"既にアイコンが存在するか作成ができません\r\nThe Icon already exists or not to "
            L"create.",
            MB_ICONINFORMATION, p_.process.ProductName());
        return;
    }
    if (p_.shell.MakeShortcut(link, ShortcutTarget())) {
        Message(L"送るにショートカットを作成しました\r\nSucceeded.", MB_ICONINFORMATION,
                p_.process.AppTitle());
    } else {
        Message(kFailed, MB_ICONSTOP, p_.process.AppTitle());
    }
}

// The program's folder and "Brisa.exe", unless the running executable has
// another name (a renamed download): a shortcut to a file that does not
// exist would do nothing from the Send To menu.
std::wstring SettingsWindow::ShortcutTarget() {
    const std::wstring running = p_.process.ProgramPath();
    const std::wstring name = running.substr(NameStart(running));
    if (CompareStringOrdinal(name.c_str(), -1, L"Brisa.exe", -1, TRUE) == CSTR_EQUAL) {
        return AddBackslash(p_.process.ProgramFolder()) + L"Brisa.exe";
    }
    return running;
}

void SettingsWindow::OnOk() {
    for (const Binding& bound : kBindings) {
        if (bound.text) {
            silent_.*bound.text = TextOf(Control(bound.row));
        } else {
            silent_.*bound.state = Check(bound.row);
        }
    }
    // Switching Silent Mode off always saves: the folder in its greyed box
    // is neither checked nor made.
    const std::wstring& folder = silent_.location;
    if (silent_.use != 0 && !MakeSureDirectoryPathExists(p_.fs, AddBackslash(folder))) {
        Message(L"Not to Create Folder\r\n" + folder, MB_ICONEXCLAMATION, L"Error");
        return;
    }
    if (silent_.use != 0 && folder.size() > kMaxSettingLength) {
        // The settings file gives back no more than that: a longer folder
        // would be saved but read by the next run cut short.
        Message(L"The folder is too long to be saved (" + std::to_wstring(kMaxSettingLength) +
                    L" characters at most):\r\n" + folder,
                MB_ICONEXCLAMATION, L"Error");
        return;
    }
    if (!settings_.Save(silent_)) {
        Message(L"The settings could not be saved to\r\n" + settings_.Path(), MB_ICONEXCLAMATION,
                L"Error");
        return;
    }
    saved_ = true;
    EndModal();
}

void SettingsWindow::OnCancel() {
    EndModal();  // nothing saved
}

void SettingsWindow::Message(const std::wstring& text, UINT style, const std::wstring& title) {
    MessageBoxW(hwnd(), text.c_str(), title.c_str(), style);
}

bool ShowSettingsWindow(Platform& p) {
    SettingsWindow window(p);
    if (!window.Load()) {
        return false;
    }
    window.RunModal();
    return window.Saved();
}

}  // namespace larkspur::ui
