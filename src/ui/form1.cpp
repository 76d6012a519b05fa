// The settings window, for now a plain version that only explains where the
// settings live. It keeps the real window's caption and size.
#include "ui/forms.h"

namespace larkspur::ui {

namespace {

const ControlRow kForm1Controls[] = {
    {L"Label1", -1, Kind::Label, L"Silent Mode settings are kept in Brisa.ini, beside the program.",
     nullptr, 16, 24, 322, 16, -1},
    {L"Command3", -1, Kind::Button, L"OK(&O)", nullptr, 176, 168, 81, 25, 0},
    {L"Command4", -1, Kind::Button, L"Cancel(&C)", nullptr, 264, 168, 81, 25, 1},
};

const FormSpec kForm1Spec{
    L"LarkspurForm1",
    L"Silent Mode Settings",
    354,
    199,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
    WS_EX_TOPMOST,
    0,
    kForm1Controls,
};

class Form1 : public Form {
  public:
    Form1() : Form(kForm1Spec) {}

  protected:
    void OnCommand(size_t, WORD code) override {
        if (code == BN_CLICKED) {
            EndModal();
        }
    }
    void OnDefaultKey() override { EndModal(); }
    void OnCancelKey() override { EndModal(); }
    void OnClose() override { EndModal(); }
};

}  // namespace

void ShowForm1(RunState&, Platform&) {
    Form1 form;
    if (form.Load()) {
        form.RunModal();
    }
}

}  // namespace larkspur::ui
