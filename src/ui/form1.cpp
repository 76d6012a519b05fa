// The settings window: what the program shows when started on its own.
//
// It edits section Silent of Brisa.ini, puts the program's shortcut into the
// user's Send To folder and opens the two author links. OK saves and Cancel
// does not; either ends the program, and so does the close box, through the
// exit code the window hands back to the start-up routine.
//
// Platform notes:
// - The check boxes are BS_3STATE, so the button control never changes a
//   state by itself: a click turns a box off when it is on (greyed counts as
//   on) and on when it is off; greyed comes only from a stored 2.
// - Each frame's caption lies under the check box that heads the frame; the
//   table places the boxes there and the builder keeps frames at the bottom
//   of the z-order so the boxes paint over them.
// - The folder browser is asked without BIF_BROWSEFORCOMPUTER: with it only
//   computers can be confirmed and OK stays greyed for every folder.
#include "ui/form1.h"

#include <shlobj.h>

#include "copy/paths.h"
#include "platform/make_path.h"
#include "settings/ini.h"

namespace larkspur::ui {

namespace {

const FontSpec kLinkFont{L"ＭＳ Ｐゴシック", 900, FW_NORMAL, true, SHIFTJIS_CHARSET};

// Command1's top and height are 575 and 350 twips, 38⅓ and 23⅓ pixels at
// 96 DPI; MulDiv, as the platform scales, rounds them to 38 and 23.
const ControlRow kForm1Controls[] = {
    {L"Frame1", -1, Kind::GroupBox, L"Frame1", nullptr, 8, 8, 337, 153, 12},
    {L"Check1", -1, Kind::CheckBox, L"Silent Mode", L"Frame1", 8, 0, 81, 17, 0},
    {L"Label1", -1, Kind::Label, L"Output Folder...", L"Frame1", 16, 24, 76, 12, 14},
    {L"Text1", -1, Kind::Edit, L"", L"Frame1", 16, 40, 225, 18, 2},
    {L"Command1", -1, Kind::Button, L"Folder...(&F)", L"Frame1", 248, 38, 81, 23, 1},
    {L"Check2", -1, Kind::CheckBox, L"Force Mode", L"Frame1", 16, 64, 81, 17, 3},
    {L"Frame2", -1, Kind::GroupBox, L"Frame2", L"Frame1", 16, 88, 153, 49, 13},
    {L"chkAttrOn", -1, Kind::CheckBox, L"Attributes", L"Frame2", 8, 0, 73, 17, 4},
    {L"chkAttr", 0, Kind::CheckBox, L"R", L"Frame2", 16, 24, 33, 17, 5},
    {L"chkAttr", 1, Kind::CheckBox, L"H", L"Frame2", 48, 24, 33, 17, 6},
    {L"chkAttr", 2, Kind::CheckBox, L"S", L"Frame2", 80, 24, 33, 17, 7},
    {L"chkAttr", 3, Kind::CheckBox, L"A", L"Frame2", 112, 24, 33, 17, 8},
    {L"Label2", -1, Kind::Link, L"作者にメール", L"Frame1", 256, 104, 68, 12, 15, &kLinkFont},
    {L"Label3", -1, Kind::Link, L"HPを訪れる", L"Frame1", 264, 120, 59, 12, 16, &kLinkFont},
    {L"Command2", -1, Kind::Button, L"Make Shortcut(&S)", nullptr, 64, 168, 105, 25, 11},
    {L"Command3", -1, Kind::DefaultButton, L"OK(&O)", nullptr, 176, 168, 81, 25, 9},
    {L"Command4", -1, Kind::Button, L"Cancel(&C)", nullptr, 264, 168, 81, 25, 10},
};

constexpr const wchar_t* kSection = L"Silent";

bool Is(const wchar_t* a, const wchar_t* b) {
    return std::wstring_view(a) == b;
}

}  // namespace

// A fixed window with a close box and no sizing; it is made topmost by its
// load step.
const FormSpec kForm1Spec{
    L"LarkspurForm1",
    L"Silent Mode Settings",
    354,
    199,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
    0,
    0,
    kForm1Controls,
};

Form1::Form1(RunState& state, Platform& p) : Form(kForm1Spec), state_(state), p_(p) {}

int Form1::State(const wchar_t* name, int index) const {
    return static_cast<int>(SendMessageW(Control(name, index), BM_GETCHECK, 0, 0));
}

void Form1::SetState(const wchar_t* name, int index, int state) {
    if (State(name, index) != state) {
        SendMessageW(Control(name, index), BM_SETCHECK, static_cast<WPARAM>(state), 0);
        Reacted(name);
    }
}

void Form1::Reacted(const wchar_t* name) {
    if (Is(name, L"Check1")) {
        Check1_Click();
    } else if (Is(name, L"chkAttrOn")) {
        chkAttrOn_Click();
    }
}

void Form1::OnLoad() {
    auto stored = [&](const wchar_t* key) { return CheckStateOf(ReadIniInt16(p_, kSection, key)); };
    SetState(L"Check1", -1, stored(L"Use"));
    SetWindowTextW(Control(L"Text1"), ReadIni(p_, kSection, L"Location").c_str());
    SetState(L"Check2", -1, stored(L"Force"));
    SetState(L"chkAttrOn", -1, stored(L"Attributes"));
    for (int i = 0; i < 4; ++i) {
        SetState(L"chkAttr", i, stored(kAttributeKeys[i]));
    }
    state_.ApiResult = SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    // The enable rules on the loaded states, whatever the reactions above did.
    Check1_Click();
}

void Form1::OnCommand(size_t row, WORD code) {
    // BN_CLICKED from the buttons and boxes, STN_CLICKED from the links.
    if (code != BN_CLICKED || row >= spec().controls.size()) {
        return;
    }
    const ControlRow& control = spec().controls[row];
    if (control.kind == Kind::CheckBox) {
        const int state = State(control.name, control.index) == 0 ? BST_CHECKED : BST_UNCHECKED;
        SendMessageW(Control(control.name, control.index), BM_SETCHECK, state, 0);
        Reacted(control.name);
    } else if (Is(control.name, L"Command1")) {
        Command1_Click();
    } else if (Is(control.name, L"Command2")) {
        Command2_Click();
    } else if (Is(control.name, L"Command3")) {
        Command3_Click();
    } else if (Is(control.name, L"Command4")) {
        Command4_Click();
    } else if (Is(control.name, L"Label2")) {
        Label2_Click();
    } else if (Is(control.name, L"Label3")) {
        Label3_Click();
    }
}

void Form1::Check1_Click() {
    const BOOL on = State(L"Check1") != 0;
    for (const wchar_t* name : {L"Text1", L"Command1", L"Check2", L"chkAttrOn"}) {
        EnableWindow(Control(name), on);
    }
    for (int i = 0; i < 4; ++i) {
        EnableWindow(Control(L"chkAttr", i), on);
    }
    if (IsWindowEnabled(Control(L"chkAttrOn"))) {
        chkAttrOn_Click();
    }
}

void Form1::chkAttrOn_Click() {
    const BOOL on = State(L"chkAttrOn") != 0;
    for (int i = 0; i < 4; ++i) {
        EnableWindow(Control(L"chkAttr", i), on);
    }
}

void Form1::Command1_Click() {
    BROWSEINFOW request{};
    request.hwndOwner = hwnd();
    request.lpszTitle = L"Output folder...";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&request);
    if (!item) {
        return;  // cancelled: the folder text stays as it is
    }
    std::wstring buffer(MAX_PATH, L' ');
    const BOOL hasPath = SHGetPathFromIDListW(item, buffer.data());
    CoTaskMemFree(item);
    if (!hasPath) {
        return;  // a virtual folder (Control Panel, say) has no path to offer
    }
    buffer.resize(buffer.find(L'\0') == std::wstring::npos ? buffer.size() : buffer.find(L'\0'));
    SetWindowTextW(Control(L"Text1"), buffer.c_str());
}

void Form1::Command2_Click() {
    static const std::wstring kFailed = L"正常に処理できませんでした\r\nFailed.";
    int32_t result = 0;
    const std::wstring sendTo =
        p_.shell.SpecialFolder(kFolderSendTo, reinterpret_cast<WindowRef>(hwnd()), result);
    state_.ApiResult = result;
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
std::wstring Form1::ShortcutTarget() {
    const std::wstring running = p_.process.ProgramPath();
    const std::wstring name = running.substr(NameStart(running));
    if (CompareStringOrdinal(name.c_str(), -1, L"Brisa.exe", -1, TRUE) == CSTR_EQUAL) {
        return AddBackslash(p_.process.ProgramFolder()) + L"Brisa.exe";
    }
    return running;
}

void Form1::Command3_Click() {
    const std::wstring folder = TextOf(Control(L"Text1"));
    state_.ApiResult = MakeSureDirectoryPathExists(p_.fs, AddBackslash(folder)) ? 1 : 0;
    if (state_.ApiResult == 0) {
        Message(L"Not to Create Folder\r\n" + folder, MB_ICONEXCLAMATION, L"Error");
        return;
    }
    if (State(L"Check1") != 0 && folder.size() > kMaxSettingLength) {
        // The settings file gives back no more than that: a longer folder
        // would be saved but read by the next run cut short.
        Message(L"The folder is too long to be saved (" + std::to_wstring(kMaxSettingLength) +
                    L" characters at most):\r\n" + folder,
                MB_ICONEXCLAMATION, L"Error");
        return;
    }
    if (!SaveSettings()) {
        Message(L"The settings could not be saved to\r\n" + SettingsFilePath(p_.process),
                MB_ICONEXCLAMATION, L"Error");
        return;
    }
    result_ = kExitSuccess;
    EndModal();
}

// Use first; the other keys only with Silent Mode on, so switching it off
// keeps the rest of the Silent Mode settings for the next time. Stops at the
// first write that fails.
bool Form1::SaveSettings() {
    auto write = [&](const wchar_t* key, const std::wstring& value) {
        return WriteIni(p_, kSection, key, value);
    };
    auto state = [&](const wchar_t* name, int index = -1) {
        return std::to_wstring(State(name, index));
    };
    if (!write(L"Use", state(L"Check1"))) {
        return false;
    }
    if (State(L"Check1") == 0) {
        return true;
    }
    if (!write(L"Location", TextOf(Control(L"Text1"))) || !write(L"Force", state(L"Check2")) ||
        !write(L"Attributes", state(L"chkAttrOn"))) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (!write(kAttributeKeys[i], state(L"chkAttr", i))) {
            return false;
        }
    }
    return true;
}

void Form1::Command4_Click() {
    result_ = kExitCancelled;
    EndModal();
}

void Form1::Label2_Click() {
    p_.shell.OpenLink(kAuthorMail, p_.process.ProgramFolder());
}

void Form1::Label3_Click() {
    p_.shell.OpenLink(kAuthorHomePage, p_.process.ProgramFolder());
}

int Form1::Message(const std::wstring& text, UINT style, const std::wstring& title) {
    return MessageBoxW(hwnd(), text.c_str(), title.c_str(), style);
}

int ShowForm1(RunState& state, Platform& p) {
    Form1 form(state, p);
    if (!form.Load()) {
        return kExitCancelled;
    }
    form.RunModal();
    return form.Result();
}

}  // namespace larkspur::ui
