// The progress window.
#include "ui/progress_window.h"

namespace larkspur::ui {

namespace {

using enum ProgressWindow::ControlId;

const FontSpec kNowWorkingFont{L"ＭＳ Ｐゴシック", 1425, FW_BOLD, false, SHIFTJIS_CHARSET};

constexpr ControlRow kRows[] = {
    {kNowWorkingLabel, Kind::Label, L"Now Working ...", kNoFrame, 88, 80, 137, 19, 0, nullptr,
     nullptr, &kNowWorkingFont},
    {kProductLabel, Kind::Label, nullptr, kNoFrame, 8, 8, 126, 12, 1},  // the product name
    {kPurposeLabel, Kind::Label, L"Copies with attributes", kNoFrame, 80, 24, 129, 12, 2},
    {kTitleLabel, Kind::Label, L"Larkspur", kNoFrame, 208, 40, 70, 12, 3},
    {kThanksLabel, Kind::Label, L"Thanks to all who tested it.", kNoFrame, 8, 56, 219, 12, 4},
};
static_assert(IndexesRows(kRows, kControlCount));

}  // namespace

// A small fixed window: caption, no sizing, and a greyed close box, since
// closing it would not stop the copy it reports on.
const FormSpec ProgressWindow::kSpec{
    L"LarkspurForm2",
    L"Larkspur",
    312,
    108,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    0,
    CS_NOCLOSE,
    kRows,
};

ProgressWindow::ProgressWindow(Process& process) : Form(kSpec), process_(process) {}

HWND ProgressWindow::Handle() {
    Load();
    return hwnd();
}

void ProgressWindow::Show() {
    Load();
    CenterOnScreen();
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void ProgressWindow::OnLoad() {
    SetWindowTextW(Control(kProductLabel), process_.ProductName().c_str());
}

}  // namespace larkspur::ui
