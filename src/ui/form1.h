// The settings window: the Silent Mode settings of Brisa.ini, the Send To
// shortcut and the author links.
#pragma once

#include <string>

#include "ui/forms.h"

namespace larkspur::ui {

extern const FormSpec kForm1Spec;

// Shortcut file name in the Send To folder; the menu shows it as "BrisA".
constexpr const wchar_t* kShortcutName = L"BrisA.lnk";

// The addresses the two author links open.
constexpr const wchar_t* kAuthorMail = L"mailto:larkspur@example.org";
constexpr const wchar_t* kAuthorHomePage = L"https://larkspur.example.org/";

class Form1 : public Form {
  public:
    Form1(RunState& state, Platform& p);

    // The exit code the window ends the program with: kExitSuccess once the
    // settings are saved, kExitCancelled until then.
    int Result() const { return result_; }

  protected:
    void OnLoad() override;
    void OnCommand(size_t row, WORD code) override;
    void OnDefaultKey() override { Command3_Click(); }
    void OnCancelKey() override { Command4_Click(); }
    void OnClose() override { Command4_Click(); }

  private:
    void Check1_Click();
    void chkAttrOn_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Label2_Click();
    void Label3_Click();

    int State(const wchar_t* name, int index = -1) const;
    // Sets a box's state; when that changes it, the box reacts as to a click.
    void SetState(const wchar_t* name, int index, int state);
    void Reacted(const wchar_t* name);
    bool SaveSettings();
    std::wstring ShortcutTarget();
    int Message(const std::wstring& text, UINT style, const std::wstring& title);

    RunState& state_;
    Platform& p_;
    int result_ = kExitCancelled;
};

// Shows the settings window modally; the exit code it ended with:
// kExitSuccess once saved, kExitCancelled for Cancel, Esc or the close box.
int ShowForm1(RunState& state, Platform& p);

}  // namespace larkspur::ui
