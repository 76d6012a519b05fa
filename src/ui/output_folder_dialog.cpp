// The output folder dialog.
//
// An interactive run opens it to ask for the output folder and the
// attributes; a Silent Mode run opens its Silent variant when the saved
// folder is missing. It starts from what the run hands it and hands back the
// choice, with "Set Default" for the run to remember it by. OK hands over
// the open folder of the folder list, never a highlighted entry; Cancel and
// the close box hand nothing.
#include "ui/output_folder_dialog.h"

#include <commctrl.h>

#include "paths/make_path.h"
#include "paths/paths.h"
#include "ui/input_box.h"

namespace larkspur::ui {

namespace {

using enum OutputFolderDialog::ControlId;

using D = OutputFolderDialog;
constexpr ControlRow kRows[] = {
    {kDriveList, Kind::DriveList, nullptr, kNoFrame, 8, 8, 257, 20, 1, On<&D::OnDriveChanged>},
    {kFolderList, Kind::FolderList, nullptr, kNoFrame, 8, 40, 257, 230, 3,
     On<&D::OnOpenHighlighted>, On<&D::OnOpenHighlighted>},
    {kReadOnlyBox, Kind::CheckBox, L"Read Only", kAttributesFrame, 8, 24, 81, 17, 4},
    {kHiddenBox, Kind::CheckBox, L"Hidden", kAttributesFrame, 8, 48, 57, 17, 5},
    {kSystemBox, Kind::CheckBox, L"System", kAttributesFrame, 8, 72, 65, 17, 6},
    {kArchiveBox, Kind::CheckBox, L"Archive", kAttributesFrame, 8, 96, 65, 17, 7},
    {kOkButton, Kind::Button, L"OK(&O)", kNoFrame, 280, 208, 105, 25, 8, On<&D::OnOk>},
    {kCancelButton, Kind::Button, L"Cancel(&C)", kNoFrame, 280, 240, 105, 25, 9, On<&D::OnCancel>},
    {kNewFolderButton, Kind::Button, L"New Folder >>", kNoFrame, 280, 176, 105, 25, 10,
     On<&D::OnNewFolder>},
    {kAttributesFrame, Kind::GroupBox, L"Attributes", kNoFrame, 280, 8, 105, 121, 11},
    {kSetDefaultBox, Kind::CheckBox, L"Set Default", kNoFrame, 288, 144, 89, 17, 12},
    {kAttributesBox, Kind::CheckBox, L"Attirubutes", kNoFrame, 288, 8, 81, 17, 13,
     On<&D::OnAttributesClicked>},
    {kDriveName, Kind::Name, L"Drive", kNoFrame, 8, 8, 257, 12, 0},
    {kFolderName, Kind::Name, L"Folders", kNoFrame, 8, 40, 257, 12, 2},
};
static_assert(IndexesRows(kRows, kControlCount));

constexpr int kAttributeBoxes[] = {kReadOnlyBox, kHiddenBox, kSystemBox, kArchiveBox};

// The box each state of a choice shows ("Set Default" apart).
constexpr struct {
    int row;
    int FolderChoice::*state;
} kStates[] = {{kAttributesBox, &FolderChoice::attributes},
               {kReadOnlyBox, &FolderChoice::readOnly},
               {kHiddenBox, &FolderChoice::hidden},
               {kSystemBox, &FolderChoice::system},
               {kArchiveBox, &FolderChoice::archive}};

}  // namespace

const FormSpec OutputFolderDialog::kSpec{
    L"LarkspurOutForm",
    L"Output Folder...",
    398,
    278,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    0,
    0,
    kRows,
};

OutputFolderDialog::OutputFolderDialog(Platform& p, const OutputFolderStart& start)
    : Form(kSpec), p_(p), start_(start) {}

void OutputFolderDialog::OnLoad() {
    // The state at creation: the process's current drive and folder, and
    // "Archive" ticked.
    drives_.Attach(Control(kDriveList));
    folders_.Attach(Control(kFolderList), p_.fs);
    const std::wstring current = p_.fs.FullPath(L".");
    drives_.Select(current[0]);
    drive_ = drives_.Selected();
    folders_.Open(current);
    SetCheck(kArchiveBox, BST_CHECKED);

    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);

    const FolderChoice& from = start_.from;
    if (!start_.silent) {
        SetCheck(kSetDefaultBox, CheckStateOf(from.use));
        if (from.use == 0) {
            OnAttributesClicked();  // the heading rule holds from the start
            return;                 // no defaults: everything else as created
        }
    } else {
        EnableWindow(Control(kSetDefaultBox), FALSE);
        SetWindowTextW(hwnd(), kSilentDialogCaption);
    }
    for (const auto& shown : kStates) {
        SetCheck(shown.row, CheckStateOf(from.*shown.state));
    }
    OnAttributesClicked();

    std::wstring candidate = from.location;  // NearestFolder shortens it
    std::wstring start = NearestFolder(p_.fs, candidate);
    if (start.empty()) {
        start = p_.shell.SpecialFolder(kFolderPersonal, reinterpret_cast<WindowRef>(hwnd()));
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

// Neither button is the default: Enter opens the highlighted folder, as a
// double-click on it does.
void OutputFolderDialog::OnOpenHighlighted() {
    const std::wstring folder = folders_.Highlighted();
    if (!folder.empty()) {
        OpenFolder(folder);
    }
}

LRESULT OutputFolderDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Form::WindowProc(message, wParam, lParam);
    if (message == WM_DPICHANGED) {
        folders_.FitColumn();  // the list has a new width
    }
    return result;
}

void OutputFolderDialog::OpenFolder(const std::wstring& folder) {
    if (const ErrorCode error = folders_.Open(folder)) {
        MessageBoxW(hwnd(), p_.fs.ErrorText(error).c_str(),
                    (L"ERROR " + p_.process.AppTitle()).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

void OutputFolderDialog::OnAttributesClicked() {
    Enable(kAttributeBoxes, Check(kAttributesBox) != 0);
}

void OutputFolderDialog::OnDriveChanged() {
    const wchar_t drive = drives_.Selected();
    if (drive == 0 || drive == drive_) {
        return;
    }
    drive_ = drive;
    // The process's current folder on that drive, the root unless the
    // process has been elsewhere on it.
    const wchar_t relative[] = {drive, L':', L'\0'};
    OpenFolder(p_.fs.FullPath(relative));
}

void OutputFolderDialog::OnOk() {
    OutputFolderChoice choice{Check(kSetDefaultBox), folders_.OpenFolder()};
    for (const auto& shown : kStates) {
        choice.*shown.state = Check(shown.row);
    }
    choice_ = choice;
    EndModal();
}

void OutputFolderDialog::OnCancel() {
    EndModal();  // no choice
}

void OutputFolderDialog::OnNewFolder() {
    const std::wstring parent = folders_.OpenFolder();
    const std::wstring answer = InputBox(
        hwnd(), L"Input New Folder Name...\r\nMake Below : " + parent, L"Create New Folder");
    if (answer.empty()) {
        return;
    }
    const std::wstring target = AddBackslash(AddBackslash(parent) + answer);
    if (!MakeSureDirectoryPathExists(p_.fs, target)) {
        MessageBoxW(hwnd(), L"Not to Create New Folder", L"Error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    OpenFolder(target);
}

std::optional<OutputFolderChoice> ShowOutputFolderDialog(Platform& p,
                                                         const OutputFolderStart& start) {
    OutputFolderDialog dialog(p, start);
    if (!dialog.Load()) {
        return std::nullopt;
    }
    dialog.RunModal();
    dialog.Unload();
    return dialog.Choice();
}

}  // namespace larkspur::ui
