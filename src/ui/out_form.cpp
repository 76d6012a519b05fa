// The output folder dialog.
//
// An interactive run opens it to ask for the output folder and the
// attributes; a Silent Mode run opens its Silent variant when the saved
// folder is missing. It remembers its choice in section Setting when "Set
// Default" is ticked. OK hands the open folder of the folder list to the run,
// never a highlighted entry; Cancel and the close box end the program.
//
// The check boxes are three-state boxes the dialog sets itself: a stored 2
// shows greyed, and a click turns a box off when it is on (ticked or greyed)
// and on otherwise.
#include "ui/out_form.h"

#include <commctrl.h>

#include "copy/copy.h"
#include "copy/paths.h"
#include "platform/make_path.h"
#include "settings/ini.h"
#include "ui/input_box.h"

namespace larkspur::ui {

namespace {

const ControlRow kOutFormControls[] = {
    {L"Drive1", -1, Kind::DriveList, nullptr, nullptr, 8, 8, 257, 20, 0},
    {L"Dir1", -1, Kind::FolderList, nullptr, nullptr, 8, 40, 257, 230, 1},
    {L"Check1", 0, Kind::CheckBox, L"Read Only", L"Frame1", 8, 24, 81, 17, 2},
    {L"Check1", 1, Kind::CheckBox, L"Hidden", L"Frame1", 8, 48, 57, 17, 3},
    {L"Check1", 2, Kind::CheckBox, L"System", L"Frame1", 8, 72, 65, 17, 4},
    {L"Check1", 3, Kind::CheckBox, L"Archive", L"Frame1", 8, 96, 65, 17, 5},
    {L"Command1", -1, Kind::Button, L"OK(&O)", nullptr, 280, 208, 105, 25, 6},
    {L"Command2", -1, Kind::Button, L"Cancel(&C)", nullptr, 280, 240, 105, 25, 7},
    {L"Command3", -1, Kind::Button, L"New Folder >>", nullptr, 280, 176, 105, 25, 8},
    {L"Frame1", -1, Kind::GroupBox, L"Attributes", nullptr, 280, 8, 105, 121, 9},
    {L"Check2", -1, Kind::CheckBox, L"Set Default", nullptr, 288, 144, 89, 17, 10},
    {L"chkAttr", -1, Kind::CheckBox, L"Attirubutes", nullptr, 288, 8, 81, 17, 11},
};

}  // namespace

const FormSpec kOutFormSpec{
    L"LarkspurOutForm",
    L"Output Folder...",
    398,
    278,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    0,
    0,
    kOutFormControls,
};

int OutForm::Value(const wchar_t* name, int index) const {
    return static_cast<int>(SendMessageW(Control(name, index), BM_GETCHECK, 0, 0));
}

void OutForm::SetValue(const wchar_t* name, int index, int16_t stored) {
    SendMessageW(Control(name, index), BM_SETCHECK, CheckStateOf(stored), 0);
}

void OutForm::LoadAttributes(const wchar_t* section) {
    SetValue(L"chkAttr", -1, ReadIniInt16(p_, section, L"Attributes"));
    for (int i = 0; i < 4; ++i) {
        SetValue(L"Check1", i, ReadIniInt16(p_, section, kAttributeKeys[i]));
    }
    chkAttr_Click();
}

void OutForm::OnLoad() {
    // The state at creation: the process's current drive and folder, and
    // "Archive" ticked.
    drives_.Attach(Control(L"Drive1"));
    folders_.Attach(Control(L"Dir1"), p_.fs);
    const std::wstring current = p_.fs.FullPath(L".");
    drives_.Select(current[0]);
    drive_ = drives_.Selected();
    folders_.Open(current);
    SetValue(L"Check1", 3, 1);

    state_.ApiResult = SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);

    std::wstring candidate;
    if (state_.SilentUse == 0) {
        const std::wstring use = ReadIni(p_, L"Setting", L"Use");
        const int16_t useNumber = RoundToInt16(ReadNumber(use));
        SetValue(L"Check2", -1, useNumber);
        if (use.empty() || useNumber == 0) {
            return;  // no defaults: everything as created
        }
        LoadAttributes(L"Setting");
        candidate = ReadIni(p_, L"Setting", L"Location");
    } else {
        EnableWindow(Control(L"Check2"), FALSE);
        LoadAttributes(L"Silent");
        candidate = state_.OutputFolder;
        SetWindowTextW(hwnd(), kOutFormSilentCaption);
    }

    std::wstring start = NearestFolder(p_.fs, candidate);
    if (start.empty()) {
        int32_t result = 0;
        start =
            p_.shell.SpecialFolder(kFolderPersonal, reinterpret_cast<WindowRef>(hwnd()), result);
        state_.ApiResult = result;
    }
    if (start.empty()) {
        return;  // nowhere better to go: the current folder stays open
    }
    // The start folder is opened right away, so selecting its drive does not
    // also open that drive's current folder first.
    if (folders_.Open(start) == 0) {
        drives_.Select(start[0]);
        drive_ = drives_.Selected();
    }
}

void OutForm::OnCommand(size_t row, WORD code) {
    const ControlRow& control = spec().controls[row];
    const std::wstring_view name = control.name;
    if (name == L"Drive1") {
        // Arrow keys in the open list move the selection; act once it closes.
        const bool dropped = SendMessageW(Control(L"Drive1"), CB_GETDROPPEDSTATE, 0, 0) != 0;
        if ((code == CBN_SELCHANGE && !dropped) || code == CBN_CLOSEUP) {
            Drive1_Change();
        }
        return;
    }
    if (code != BN_CLICKED) {
        return;
    }
    if (control.kind == Kind::CheckBox) {
        HWND box = Control(control.name, control.index);
        SendMessageW(box, BM_SETCHECK, Value(control.name, control.index) ? 0 : 1, 0);
        if (name == L"chkAttr") {
            chkAttr_Click();
        }
    } else if (name == L"Command1") {
        Command1_Click();
    } else if (name == L"Command2") {
        Command2_Click();
    } else if (name == L"Command3") {
        Command3_Click();
    }
}

LRESULT OutForm::OnNotify(size_t row, NMHDR* header) {
    if (row == RowOf(L"Dir1") && header->code == LVN_ITEMACTIVATE) {
        const int item = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
        if (item >= 0 && static_cast<size_t>(item) < folders_.EntryCount()) {
            Dir1_Open(folders_.Entry(static_cast<size_t>(item)));
        }
    }
    return 0;
}

void OutForm::OnDefaultKey() {
    // Enter opens the highlighted folder; neither button is the default.
    if (GetFocus() == Control(L"Dir1")) {
        const std::wstring folder = folders_.Highlighted();
        if (!folder.empty()) {
            Dir1_Open(folder);
        }
    }
}

LRESULT OutForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Form::WindowProc(message, wParam, lParam);
    if (message == WM_DPICHANGED) {
        folders_.FitColumn();  // the list has a new width
    }
    return result;
}

void OutForm::Dir1_Open(const std::wstring& folder) {
    if (const DWORD error = folders_.Open(folder)) {
        MessageBoxW(hwnd(), SystemErrorText(error).c_str(),
                    (L"ERROR " + p_.process.AppTitle()).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

void OutForm::chkAttr_Click() {
    const BOOL on = Value(L"chkAttr") != 0;
    for (int i = 0; i < 4; ++i) {
        EnableWindow(Control(L"Check1", i), on);
    }
}

void OutForm::Drive1_Change() {
    const wchar_t drive = drives_.Selected();
    if (drive == 0 || drive == drive_) {
        return;
    }
    drive_ = drive;
    // The process's current folder on that drive, the root unless the
    // process has been elsewhere on it.
    const wchar_t relative[] = {drive, L':', L'\0'};
    if (const DWORD error = folders_.Open(p_.fs.FullPath(relative))) {
        MessageBoxW(hwnd(), SystemErrorText(error).c_str(),
                    (L"ERROR " + p_.process.AppTitle()).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

void OutForm::Command1_Click() {
    const std::wstring& folder = folders_.OpenFolder();
    if (state_.SilentUse == 0) {
        const int setDefault = Value(L"Check2");
        WriteIni(p_, L"Setting", L"Use", std::to_wstring(setDefault));
        if (setDefault != 0) {
            WriteIni(p_, L"Setting", L"Location", folder);
            WriteIni(p_, L"Setting", L"Attributes", std::to_wstring(Value(L"chkAttr")));
            for (int i = 0; i < 4; ++i) {
                WriteIni(p_, L"Setting", kAttributeKeys[i], std::to_wstring(Value(L"Check1", i)));
            }
        }
    }
    state_.AttrMask = AttributeMask(
        {Value(L"Check1", 0), Value(L"Check1", 1), Value(L"Check1", 2), Value(L"Check1", 3)});
    state_.OutputFolder = AddBackslash(folder);
    state_.AttrOn = Value(L"chkAttr") != 0 ? -1 : 0;
    confirmed_ = true;
    EndModal();
}

void OutForm::Command2_Click() {
    confirmed_ = false;
    EndModal();
}

void OutForm::Command3_Click() {
    const std::wstring parent = folders_.OpenFolder();
    const std::wstring answer = InputBox(
        hwnd(), L"Input New Folder Name...\r\nMake Below : " + parent, L"Create New Folder");
    if (answer.empty()) {
        return;
    }
    const std::wstring target = AddBackslash(AddBackslash(parent) + answer);
    state_.ApiResult = MakeSureDirectoryPathExists(p_.fs, target);
    if (state_.ApiResult == 0) {
        MessageBoxW(hwnd(), L"Not to Create New Folder", L"Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    Dir1_Open(target);
}

bool ShowOutForm(RunState& state, Platform& p) {
    OutForm form(state, p);
    if (!form.Load()) {
        return false;
    }
    form.RunModal();
    form.Unload();
    return form.Confirmed();
}

}  // namespace larkspur::ui
