// The input box: the prompt on the left, OK and Cancel on the right, the
// text field across the bottom, in the program's own window style.
#include "ui/input_box.h"

#include "ui/form.h"

namespace larkspur::ui {

namespace {

enum ControlId : int { kPromptLabel, kAnswerEdit, kOkButton, kCancelButton, kControlCount };

constexpr ControlRow kRows[] = {
    {kPromptLabel, Kind::Label, L"", kNoFrame, 12, 12, 252, 72, kNoTab},
    {kAnswerEdit, Kind::Edit, L"", kNoFrame, 12, 96, 336, 22, 0},
    {kOkButton, Kind::Button, L"OK", kNoFrame, 276, 12, 72, 24, 1},
    {kCancelButton, Kind::Button, L"Cancel", kNoFrame, 276, 42, 72, 24, 2},
};
static_assert(IndexesRows(kRows, kControlCount));

const FormSpec kInputBoxSpec{
    kInputBoxClass,      L"", 360,  130, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    WS_EX_DLGMODALFRAME, 0,   kRows};

class InputBoxWindow : public Form {
  public:
    InputBoxWindow(const std::wstring& prompt, const std::wstring& title)
        : Form(kInputBoxSpec), prompt_(prompt), title_(title) {}
    std::wstring answer;  // set by OK only

  protected:
    void OnLoad() override {
        SetWindowTextW(hwnd(), title_.c_str());
        HWND label = Control(kPromptLabel);
        // Long folder paths have no spaces to wrap at: break them anywhere.
        SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_EDITCONTROL);
        SetWindowTextW(label, prompt_.c_str());
        SendMessageW(Control(kOkButton), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
        SetFocus(Control(kAnswerEdit));
    }
    void OnCommand(int row, WORD code) override {
        if (code == BN_CLICKED && row == kOkButton) {
            OnDefaultKey();
        } else if (code == BN_CLICKED && row == kCancelButton) {
            OnCancelKey();
        }
    }
    void OnDefaultKey() override {
        answer = TextOf(Control(kAnswerEdit));
        EndModal();
    }
    void OnCancelKey() override { EndModal(); }
    void OnClose() override { EndModal(); }

  private:
    std::wstring prompt_, title_;
};

}  // namespace

std::wstring InputBox(HWND owner, const std::wstring& prompt, const std::wstring& title) {
    InputBoxWindow form(prompt, title);
    if (!form.Load(owner)) {
        return std::wstring();
    }
    // Over the middle of the owner, as a prompt belongs to what asked it.
    RECT area;
    if (owner && GetWindowRect(owner, &area)) {
        form.CenterIn(area);
    } else {
        form.CenterOnScreen();
    }
    form.RunModal(owner);
    form.Unload();
    return form.answer;
}

}  // namespace larkspur::ui
