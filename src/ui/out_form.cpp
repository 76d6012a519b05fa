// The output folder dialog, for now a plain version: the folder is typed
// rather than picked. It keeps the real dialog's caption, size and results,
// so the runs around it work end to end.
#include <array>

#include "copy/paths.h"
#include "settings/ini.h"
#include "ui/forms.h"

namespace larkspur::ui {

namespace {

constexpr const wchar_t* kSilentCaption = L"Silent:出力フォルダが見つかりません";

const ControlRow kOutFormControls[] = {
    {L"Label1", -1, Kind::Label, L"Copy the sent items into this folder:", nullptr, 8, 8, 257, 16,
     -1},
    {L"Text1", -1, Kind::Edit, L"", nullptr, 8, 28, 377, 22, 0},
    {L"Command1", -1, Kind::Button, L"OK(&O)", nullptr, 280, 208, 105, 25, 1},
    {L"Command2", -1, Kind::Button, L"Cancel(&C)", nullptr, 280, 240, 105, 25, 2},
};

const FormSpec kOutFormSpec{
    L"LarkspurOutForm",
    L"Output Folder...",
    398,
    278,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
    WS_EX_TOPMOST,
    0,
    kOutFormControls,
};

constexpr std::array<const wchar_t*, 4> kAttributeKeys = {L"ReadOnly", L"Hidden", L"System",
                                                          L"Archive"};
constexpr std::array<int16_t, 4> kAttributeWeights = {1, 2, 4, 32};

class OutForm : public Form {
  public:
    OutForm(RunState& state, Platform& p) : Form(kOutFormSpec), state_(state), p_(p) {}
    bool confirmed = false;

  protected:
    void OnLoad() override {
        std::wstring candidate;
        if (state_.SilentUse == 1) {
            SetWindowTextW(hwnd(), kSilentCaption);
            candidate = state_.OutputFolder;
        } else if (ReadIniInt16(p_, L"Setting", L"Use") != 0) {
            candidate = ReadIni(p_, L"Setting", L"Location");
        }
        std::wstring start = NearestFolder(p_.fs, candidate);
        if (start.empty()) {
            start = p_.fs.FullPath(L".");
        }
        SetWindowTextW(Control(L"Text1"), start.c_str());
    }
    void OnCommand(size_t row, WORD code) override {
        if (code != BN_CLICKED) {
            return;
        }
        if (row == RowOf(L"Command1")) {
            Command1_Click();
        } else if (row == RowOf(L"Command2")) {
            EndModal();
        }
    }
    void OnClose() override { EndModal(); }

  private:
    void Command1_Click() {
        wchar_t text[1024] = {};
        GetWindowTextW(Control(L"Text1"), text, ARRAYSIZE(text));
        if (!p_.fs.FolderExists(text)) {
            MessageBoxW(hwnd(), L"This folder does not exist.", L"Error",
                        MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        state_.OutputFolder = AddBackslash(text);
        // The remembered attribute choice of the dialog, as it would load it.
        state_.AttrMask = 32;
        state_.AttrOn = 0;
        if (state_.SilentUse == 0 && ReadIniInt16(p_, L"Setting", L"Use") != 0) {
            state_.AttrMask = 0;
            for (size_t i = 0; i < kAttributeKeys.size(); ++i) {
                if (ReadIniInt16(p_, L"Setting", kAttributeKeys[i]) != 0) {
                    state_.AttrMask = static_cast<int16_t>(state_.AttrMask | kAttributeWeights[i]);
                }
            }
            state_.AttrOn = ReadIniInt16(p_, L"Setting", L"Attributes") != 0 ? -1 : 0;
        }
        confirmed = true;
        EndModal();
    }

    RunState& state_;
    Platform& p_;
};

}  // namespace

bool ShowOutForm(RunState& state, Platform& p) {
    OutForm form(state, p);
    if (!form.Load()) {
        return false;
    }
    form.RunModal();
    form.Unload();
    return form.confirmed;
}

}  // namespace larkspur::ui
