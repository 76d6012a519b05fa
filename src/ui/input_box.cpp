// The input box: the prompt on the left, OK and Cancel on the right, the
// text field across the bottom, in the program's own window style.
#include "ui/input_box.h"

#include "ui/control_table.h"

namespace larkspur::ui {

namespace {

const ControlRow kInputBoxControls[] = {
    {L"Label1", -1, Kind::Label, L"", nullptr, 12, 12, 252, 72, -1},
    {L"Text1", -1, Kind::Edit, L"", nullptr, 12, 96, 336, 22, 0},
    {L"Command1", -1, Kind::Button, L"OK", nullptr, 276, 12, 72, 24, 1},
    {L"Command2", -1, Kind::Button, L"Cancel", nullptr, 276, 42, 72, 24, 2},
};

const FormSpec kInputBoxSpec{
    kInputBoxClass,
    L"",
    360,
    130,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    WS_EX_DLGMODALFRAME,
    0,
    kInputBoxControls,
};

class InputForm : public Form {
  public:
    InputForm(const std::wstring& prompt, const std::wstring& title)
        : Form(kInputBoxSpec), prompt_(prompt), title_(title) {}
    bool confirmed = false;
    std::wstring answer;

  protected:
    void OnLoad() override {
        SetWindowTextW(hwnd(), title_.c_str());
        HWND label = Control(L"Label1");
        // Long folder paths have no spaces to wrap at: break them anywhere.
        SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_EDITCONTROL);
        SetWindowTextW(label, prompt_.c_str());
        SendMessageW(Control(L"Command1"), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
        SetFocus(Control(L"Text1"));
    }
    void OnCommand(size_t row, WORD code) override {
        if (code != BN_CLICKED) {
            return;
        }
        if (row == RowOf(L"Command1")) {
            OnDefaultKey();
        } else if (row == RowOf(L"Command2")) {
            OnCancelKey();
        }
    }
    void OnDefaultKey() override {
        answer = TextOf(Control(L"Text1"));
        confirmed = true;
        EndModal();
    }
    void OnCancelKey() override { EndModal(); }
    void OnClose() override { EndModal(); }

  private:
    std::wstring prompt_, title_;
};

// Over the middle of the owner, as a prompt belongs to what asked it.
void CenterOver(HWND window, HWND owner) {
    RECT w, o;
    GetWindowRect(window, &w);
    GetWindowRect(owner, &o);
    SetWindowPos(window, nullptr, (o.left + o.right - (w.right - w.left)) / 2,
                 (o.top + o.bottom - (w.bottom - w.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::wstring InputBox(HWND owner, const std::wstring& prompt, const std::wstring& title) {
    InputForm form(prompt, title);
    if (!form.Load(owner)) {
        return std::wstring();
    }
    if (owner) {
        CenterOver(form.hwnd(), owner);
    } else {
        form.CenterOnScreen();
    }
    form.RunModal(owner);
    form.Unload();
    return form.confirmed ? form.answer : std::wstring();
}

}  // namespace larkspur::ui
