// A modal prompt with a one-line text field, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>

namespace larkspur::ui {

// Shows the prompt over owner and answers the text entered, or empty text
// when the user cancels (Cancel, Esc or the close box). Enter is OK.
std::wstring InputBox(HWND owner, const std::wstring& prompt, const std::wstring& title);

// The window's class, for tests that answer it.
constexpr const wchar_t* kInputBoxClass = L"LarkspurInputBox";

}  // namespace larkspur::ui
