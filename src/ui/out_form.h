// The output folder dialog: where a run's copies go and which attributes
// they get.
#pragma once

#include "platform/platform.h"
#include "run/run_state.h"
#include "ui/control_table.h"
#include "ui/lists.h"

namespace larkspur::ui {

extern const FormSpec kOutFormSpec;

// The caption of the variant a Silent Mode run opens when its folder is
// missing.
constexpr const wchar_t* kOutFormSilentCaption = L"Silent:出力フォルダが見つかりません";

class OutForm : public Form {
  public:
    OutForm(RunState& state, Platform& p) : Form(kOutFormSpec), state_(state), p_(p) {}

    // True once OK has handed the choice to the run.
    bool Confirmed() const { return confirmed_; }
    const FolderList& Folders() const { return folders_; }
    const DriveList& Drives() const { return drives_; }

    // Opens a folder of the folder list, as activating its entry does.
    void Dir1_Open(const std::wstring& folder);

  protected:
    void OnLoad() override;
    void OnCommand(size_t row, WORD code) override;
    LRESULT OnNotify(size_t row, NMHDR* header) override;
    void OnDefaultKey() override;
    void OnClose() override { Command2_Click(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void chkAttr_Click();
    void Drive1_Change();

    int Value(const wchar_t* name, int index = -1) const;
    void SetValue(const wchar_t* name, int index, int16_t stored);
    // Sets the four attribute boxes and the heading from a settings section.
    void LoadAttributes(const wchar_t* section);

    RunState& state_;
    Platform& p_;
    DriveList drives_;
    FolderList folders_;
    wchar_t drive_ = 0;  // the drive the last drive change handled
    bool confirmed_ = false;
};

// Shows the dialog modally. On OK it sets OutputFolder, AttrMask and AttrOn
// and answers true; Cancel and the close box answer false.
bool ShowOutForm(RunState& state, Platform& p);

}  // namespace larkspur::ui
