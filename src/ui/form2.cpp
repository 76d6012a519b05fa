// The progress window.
#include "ui/forms.h"

namespace larkspur::ui {

namespace {

const FontSpec kNowWorkingFont{L"ＭＳ Ｐゴシック", 1425, FW_BOLD, false, SHIFTJIS_CHARSET};

const ControlRow kForm2Controls[] = {
    {L"Label1", -1, Kind::Label, L"Now Working ...", nullptr, 88, 80, 137, 19, 0, &kNowWorkingFont},
    {L"Label2", -1, Kind::Label, nullptr, nullptr, 8, 8, 126, 12, 1},  // the product name
    {L"Label3", -1, Kind::Label, L"Copies with attributes", nullptr, 80, 24, 129, 12, 2},
    {L"Label4", -1, Kind::Label, L"Larkspur", nullptr, 208, 40, 70, 12, 3},
    {L"Label5", -1, Kind::Label, L"Thanks to all who tested it.", nullptr, 8, 56, 219, 12, 4},
};

}  // namespace

// A small fixed window: caption, no sizing, and a greyed close box, since
// closing it would not stop the copy it reports on.
const FormSpec kForm2Spec{
    L"LarkspurForm2",
    L"Larkspur",
    312,
    108,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
    0,
    CS_NOCLOSE,
    kForm2Controls,
};

Form2::Form2(Process& process) : Form(kForm2Spec), process_(process) {}

HWND Form2::Handle() {
    Load();
    return hwnd();
}

void Form2::Show() {
    Load();
    CenterOnScreen();
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    UpdateWindow(hwnd());
}

void Form2::OnLoad() {
    SetWindowTextW(Control(L"Label2"), process_.ProductName().c_str());
}

}  // namespace larkspur::ui
