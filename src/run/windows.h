// The program's windows as the run driver opens them. Each takes what it
// starts from and answers what was chosen; none ends the program itself.
#pragma once

#include <optional>

#include "settings/settings.h"

namespace larkspur {

// What the output folder dialog starts from. An interactive run's dialog
// starts from the remembered choice of section Setting; with its use (the
// "Set Default" box) 0 it opens at the process's current folder with
// Archive ticked, whatever the rest says. The Silent variant opens because
// the Silent Mode output folder is missing: at that folder, with section
// Silent's attributes, under its own caption and without "Set Default".
struct OutputFolderStart {
    bool silent = false;
    FolderChoice from;
};

// The dialog's choice: the open folder (without a trailing backslash unless
// it is a drive's root), the heading and the four boxes, and in use the
// "Set Default" box, which asks to remember them.
using OutputFolderChoice = FolderChoice;

class ProgramWindows {
  public:
    virtual ~ProgramWindows() = default;

    // The settings window, modal: true when the user saved with OK, false
    // when it was cancelled or closed.
    virtual bool ShowSettingsWindow() = 0;

    // The output folder dialog, modal: the choice on OK, nothing on Cancel
    // or the close box.
    virtual std::optional<OutputFolderChoice> ShowOutputFolderDialog(
        const OutputFolderStart& start) = 0;
};

}  // namespace larkspur
