// The input box: the prompt on the left, OK and Cancel on the right, the
// text field across the bottom, in the program's own window style.
#include "ui/input_box.h"

namespace larkspur::ui {

namespace {

using enum InputBoxWindow::ControlId;
using W = InputBoxWindow;

constexpr ControlRow kRows[] = {
    {kPromptLabel, Kind::Label, L"", kNoFrame, 12, 12, 252, 72, 0},  // names the answer
    {kAnswerEdit, Kind::Edit, L"", kNoFrame, 12, 96, 336, 22, 1},
    {kOkButton, Kind::DefaultButton, L"OK", kNoFrame, 276, 12, 72, 24, 2, On<&W::OnOk>},
    {kCancelButton, Kind::Button, L"Cancel", kNoFrame, 276, 42, 72, 24, 3, On<&W::OnCancel>},
};
static_assert(IndexesRows(kRows, kControlCount));

}  // namespace

const FormSpec InputBoxWindow::kSpec{
    kInputBoxClass,      L"", 360,  130, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    WS_EX_DLGMODALFRAME, 0,   kRows};

void InputBoxWindow::OnLoad() {
    SetWindowTextW(hwnd(), title_.c_str());
    HWND label = Control(kPromptLabel);
    // Long folder paths have no spaces to wrap at: break them anywhere.
    SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_EDITCONTROL);
    SetWindowTextW(label, prompt_.c_str());
    SetFocus(Control(kAnswerEdit));
}

void InputBoxWindow::OnOk() {
    answer = TextOf(Control(kAnswerEdit));
    EndModal();
}

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
