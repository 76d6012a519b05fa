// The progress window: fixed texts telling the user that a run is under way.
// In a Silent Mode run it stays hidden and only lends its handle as owner of
// the notification icon and of the shell's copy dialogs.
#pragma once

#include "platform/platform.h"
#include "ui/form.h"

namespace larkspur::ui {

class ProgressWindow : public Form {
  public:
    enum ControlId : int {
        kNowWorkingLabel,
        kProductLabel,
        kPurposeLabel,
        kTitleLabel,
        kThanksLabel,
        kControlCount
    };
    static const FormSpec kSpec;

    explicit ProgressWindow(Process& process);
    HWND Handle();  // loading the window hidden if needed
    void Show();    // centred, not modal

  protected:
    void OnLoad() override;

  private:
    Process& process_;
};

}  // namespace larkspur::ui
