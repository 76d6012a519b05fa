// The output folder dialog: where a run's copies go and which attributes
// they get.
#pragma once

#include <optional>

#include "platform/platform.h"
#include "run/windows.h"
#include "ui/folder_lists.h"
#include "ui/form.h"

namespace larkspur::ui {

// The caption of the variant a Silent Mode run opens when its folder is
// missing.
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
        kControlCount
    };
    static const FormSpec kSpec;

    OutputFolderDialog(Platform& p, const OutputFolderStart& start);

    const std::optional<OutputFolderChoice>& Choice() const { return choice_; }  // set by OK
    const FolderList& Folders() const { return folders_; }
    const DriveList& Drives() const { return drives_; }

    // Opens a folder of the folder list, as activating its entry does.
    void OpenFolder(const std::wstring& folder);

  protected:
    void OnLoad() override;
    void OnCommand(int row, WORD code) override;
    LRESULT OnNotify(int row, NMHDR* header) override;
    void OnDefaultKey() override;
    void OnClose() override { OnCancel(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnOk();
    void OnCancel();
    void OnNewFolder();
    void OnAttributesClicked();
    void OnDriveChanged();

    void ShowOpenError(ErrorCode error);

    Platform& p_;
    OutputFolderStart start_;
    DriveList drives_;
    FolderList folders_;
    wchar_t drive_ = 0;  // the drive the last drive change handled
    std::optional<OutputFolderChoice> choice_;
};

// Shows the dialog modally: the choice on OK; nothing for Cancel and the
// close box.
std::optional<OutputFolderChoice> ShowOutputFolderDialog(Platform& p,
                                                         const OutputFolderStart& start);

}  // namespace larkspur::ui
