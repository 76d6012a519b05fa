// The output folder dialog: where a run's copies go and which attributes
// they get.
#pragma once

#include <optional>

#include "platform/platform.h"
#include "run/windows.h"
#include "ui/folder_lists.h"
#include "ui/form.h"

namespace larkspur::ui {

// The Silent variant's caption.
constexpr const wchar_t* kSilentDialogCaption = L"Silent:出力フォルダが見つかりません";

class OutputFolderDialog : public Form {
  public:
    enum ControlId : int {
        kDriveList,
        kFolderList,
        kReadOnlyBox,
        kHiddenBox,
        kSystemBox,
        kArchiveBox,
        kOkButton,
        kCancelButton,
        kNewFolderButton,
        kAttributesFrame,
        kSetDefaultBox,
        kAttributesBox,
        kDriveName,
        kFolderName,
        kControlCount
    };
    static const FormSpec kSpec;

    OutputFolderDialog(Platform& p, const OutputFolderStart& start);

    const std::optional<OutputFolderChoice>& Choice() const { return choice_; }  // set by OK
    const FolderList& Folders() const { return folders_; }
    const DriveList& Drives() const { return drives_; }

    // Opens a folder of the folder list, as activating its entry does.
    void OpenFolder(const std::wstring& folder);

    // What the controls do, named by their rows.
    void OnDriveChanged();
    void OnOpenHighlighted();  // Enter, a double-click
    void OnAttributesClicked();
    void OnOk();
    void OnCancel();
    void OnNewFolder();

  protected:
    void OnLoad() override;
    void OnClose() override { OnCancel(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    Platform& p_;
    OutputFolderStart start_;
    DriveList drives_;
    FolderList folders_;
    wchar_t drive_ = 0;  // the drive the last drive change handled
    std::optional<OutputFolderChoice> choice_;
};

// Shows the dialog modally: the choice on OK; nothing for Cancel and the
// close box.
std::optional<OutputFolderChoice> ShowOutputFolderDialog(Platform& p, const OutputFolderStart&);

}  // namespace larkspur::ui
