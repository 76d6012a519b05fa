// The program's windows as the run driver opens them. Each takes what it
// starts from and answers what was chosen; none ends the program itself.
#pragma once

#include <optional>

#include "settings/settings.h"

namespace larkspur {

// What the output folder dialog starts from: in an interactive run the
// remembered choice (with use 0, the process's current folder and Archive
// ticked); in the Silent variant, which opens when the Silent Mode output
// folder is missing, that folder and section Silent's attributes.
struct OutputFolderStart {
    bool silent = false;
    FolderChoice from;
};

// The dialog's choice: the open folder (a backslash at its end only at a
// drive's root), the boxes, and in use "Set Default", to remember them.
using OutputFolderChoice = FolderChoice;

class ProgramWindows {
  public:
    virtual ~ProgramWindows() = default;

    // Modal, both: true when the user saved with OK, false when cancelled or
    // closed; the choice on OK, nothing on Cancel or the close box.
    virtual bool ShowSettingsWindow() = 0;
    virtual std::optional<OutputFolderChoice> ShowOutputFolderDialog(const OutputFolderStart&) = 0;
};

}  // namespace larkspur
