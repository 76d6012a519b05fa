// The progress window; the settings window and the output folder dialog
// have headers of their own (form1.h, out_form.h).
#pragma once

#include "run/run_state.h"
#include "ui/control_table.h"

namespace larkspur::ui {

// The progress window: fixed texts telling the user that a run is under way.
// In a Silent Mode run it stays hidden and only lends its handle as owner of
// the notification icon and of the shell's copy dialogs.
class Form2 : public Form {
  public:
    explicit Form2(Process& process);
    // The window's handle, loading the window hidden if needed.
    HWND Handle();
    // Shows it, centred, without making it modal.
    void Show();

  protected:
    void OnLoad() override;

  private:
    Process& process_;
};

extern const FormSpec kForm2Spec;

}  // namespace larkspur::ui
