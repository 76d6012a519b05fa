// The start-up routine.
//
// A process does one thing. Started with an empty argument string (directly,
// not through Send To) it shows the settings window and ends with 0 when the
// settings were saved, 1 when the window was cancelled or closed. With
// arguments, Silent/Use decides: 0 (also no settings file) is an interactive
// run with the output folder dialog, the progress window and "Succeeded!"; 1
// is a Silent Mode run with the settings of section Silent, a notification-
// area icon and no message; any other value ends the process at once.
#include "run/startup.h"

#include <array>

#include "copy/collect.h"
#include "copy/copy.h"
#include "copy/paths.h"
#include "platform/make_path.h"
#include "run/args.h"
#include "run/end.h"
#include "settings/ini.h"

namespace larkspur {

namespace {

// Argument string to a complete source list: the pieces, the folders and
// files they name, and every file below those folders. Ends the program
// when an item does not exist or cannot be read, before anything is copied.
void CollectSources(RunState& state, Platform& p, const std::wstring& arguments) {
    state.ArgTokens = SplitAtSpaces(arguments);
    p.ui.YieldToWindowSystem();
    SplitArgs(state, p.fs);
    p.ui.YieldToWindowSystem();
    for (size_t i = 1; i < state.FolderList.size(); ++i) {
        CollectFiles(state, p, state.FolderList[i]);
    }
    if (!state.MissingItems.empty()) {
        EndRunWithMessage(state, p, MissingItemsMessage(state.MissingItems), kExitBadInput);
    }
}

[[noreturn]] void InteractiveRun(RunState& state, Platform& p, const std::wstring& arguments) {
    if (!p.ui.ShowOutputFolderDialog(state)) {
        EndProgram(state, p, kExitCancelled);
    }
    p.ui.ShowProgressWindow();
    CollectSources(state, p, arguments);
    p.ui.YieldToWindowSystem();
    CopyFiles(state, p, kInteractiveCopyFlags);
    p.ui.UnloadProgressWindow();
    p.ui.ShowMessage(L"Succeeded!", kMbInformation | kMbForeground, p.process.ProductName());
    EndProgram(state, p, kExitSuccess);
}

[[noreturn]] void SilentRun(RunState& state, Platform& p, const std::wstring& arguments) {
    const std::wstring location = ReadIni(p, L"Silent", L"Location");
    if (location.size() == kMaxSettingLength && IniValueTooLong(p, L"Silent", L"Location")) {
        // Only its start came back: a folder of that name is not the one
        // the user wrote, so nothing is created or copied there.
        p.ui.ShowMessage(L"The output folder in " + SettingsFilePath(p.process) +
                             L" is longer than " + std::to_wstring(kMaxSettingLength) +
                             L" characters, so nothing was copied.",
                         kMbExclamation, L"Error");
        EndProgram(state, p, kExitNoOutputFolder);
    }
    state.OutputFolder = AddBackslash(location);
    state.ForceMode = ReadIniInt16(p, L"Silent", L"Force");
    if (state.ForceMode == 0) {
        if (!p.fs.FolderExists(state.OutputFolder) && !p.ui.ShowOutputFolderDialog(state)) {
            EndProgram(state, p, kExitCancelled);
        }
    } else if (state.ForceMode == 1) {
        state.ApiResult = MakeSureDirectoryPathExists(p.fs, state.OutputFolder);
        if (state.ApiResult == 0) {
            p.ui.ShowMessage(L"Not to Create Folder", kMbExclamation, L"Error");
            EndProgram(state, p, kExitNoOutputFolder);
        }
    }

    state.TrayIcon = TrayIconRecord{};
    state.TrayIcon.owner = p.ui.ProgressWindow();
    state.TrayIcon.tip = p.process.ProductName();
    state.ApiResult = p.shell.AddTrayIcon(state.TrayIcon);
    state.TrayIconShown = true;  // a failed add does not stop the run

    // Each setting of the set, read as the settings window shows it, adds its
    // attribute when it is not 0: a greyed 2 is on, not a different bit.
    // Read in the order Hidden, System, Archive, Read Only.
    std::array<int, 4> states{};
    for (const size_t i : {1, 2, 3, 0}) {
        states[i] = ReadIniInt16(p, L"Silent", kAttributeKeys[i]);
    }
    state.AttrMask = AttributeMask(states);
    state.AttrOn = ReadNumber(ReadIni(p, L"Silent", L"Attributes")) != 0 ? -1 : 0;

    CollectSources(state, p, arguments);
    p.ui.YieldToWindowSystem();
    CopyFiles(state, p, kSilentCopyFlags);
    RemoveTrayIcon(state, p);
    EndProgram(state, p, kExitSuccess);
}

}  // namespace

void ResetLists(RunState& state) {
    state.FolderList.assign(1, std::wstring());
    state.FileList.assign(1, std::wstring());
    state.FileRootLength.assign(1, RunState::kNamedItem);
    state.MissingItems.clear();
}

std::wstring MissingItemsMessage(const std::vector<std::wstring>& missing) {
    return NothingCopiedMessage(missing.size() == 1 ? L"This item does not exist or cannot be read"
                                                    : L"These items do not exist or cannot be read",
                                missing);
}

void Main(RunState& state, Platform& p) {
    const std::wstring arguments = ArgumentString(p.process.CommandLine());
    if (arguments.empty()) {
        EndProgram(state, p, p.ui.ShowSettingsWindow(state));
    }
    ResetLists(state);
    state.SilentUse = ReadIniInt16(p, L"Silent", L"Use");
    if (state.SilentUse == 0) {
        InteractiveRun(state, p, arguments);
    }
    if (state.SilentUse == 1) {
        SilentRun(state, p, arguments);
    }
    EndProgram(state, p, kExitSuccess);
}

}  // namespace larkspur
