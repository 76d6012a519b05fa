// The settings window: the Silent Mode settings of Brisa.ini, the Send To
// shortcut and the author links.
#pragma once

#include <string>

#include "platform/platform.h"
#include "settings/settings.h"
#include "ui/form.h"

namespace larkspur::ui {

// Shortcut file name in the Send To folder; the menu shows it as "BrisA".
constexpr const wchar_t* kShortcutName = L"BrisA.lnk";

// The addresses the two author links open.
constexpr const wchar_t* kAuthorMail = L"mailto:larkspur@example.org";
constexpr const wchar_t* kAuthorHomePage = L"https://larkspur.example.org/";

class SettingsWindow : public Form {
  public:
    enum ControlId : int {
        kSilentFrame,
        kSilentModeBox,
        kOutputFolderLabel,
        kOutputFolderEdit,
        kBrowseButton,
        kForceModeBox,
        kAttributesFrame,
        kAttributesBox,
        kReadOnlyBox,
        kHiddenBox,
        kSystemBox,
        kArchiveBox,
        kMailLink,
        kHomePageLink,
        kMakeShortcutButton,
        kOkButton,
        kCancelButton,
        kControlCount
    };
    static const FormSpec kSpec;

    explicit SettingsWindow(Platform& p);

    bool Saved() const { return saved_; }  // with OK

    // What the controls do, named by their rows.
    void OnHeadingClicked();  // "Silent Mode" or "Attributes"
    void OnBrowse();
    void OnMakeShortcut();
    void OnMail();
    void OnHomePage();
    void OnOk();
    void OnCancel();

  protected:
    void OnLoad() override;
    void OnCancelKey() override { OnCancel(); }
    void OnClose() override { OnCancel(); }

  private:
    std::wstring ShortcutTarget();
    void Message(const std::wstring& text, UINT style, const std::wstring& title);

    Platform& p_;
    Settings settings_;
    SilentSettings silent_;  // as loaded, then as OK saves it
    bool saved_ = false;
};

// Shows the settings window modally; true once saved with OK, false for
// Cancel, Esc or the close box.
bool ShowSettingsWindow(Platform& p);

}  // namespace larkspur::ui
