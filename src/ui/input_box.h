// A modal prompt with a one-line text field, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>

#include "ui/form.h"

namespace larkspur::ui {

// Shows the prompt over owner and answers the text entered, or empty text
// when the user cancels (Cancel, Esc or the close box). Enter is OK.
std::wstring InputBox(HWND owner, const std::wstring& prompt, const std::wstring& title);

// The window's class, for tests that answer it.
constexpr const wchar_t* kInputBoxClass = L"LarkspurInputBox";

class InputBoxWindow : public Form {
  public:
    enum ControlId : int { kPromptLabel, kAnswerEdit, kOkButton, kCancelButton, kControlCount };
    static const FormSpec kSpec;

    InputBoxWindow(const std::wstring& prompt, const std::wstring& title)
        : Form(kSpec), prompt_(prompt), title_(title) {}
    std::wstring answer;  // set by OK only

    void OnOk();
    void OnCancel() { EndModal(); }

  protected:
    void OnLoad() override;
    void OnCancelKey() override { OnCancel(); }
    void OnClose() override { OnCancel(); }

  private:
    std::wstring prompt_, title_;
};

}  // namespace larkspur::ui
