// The run driver.
//
// A process does one thing. Started with an empty argument string (directly,
// not through Send To) it shows the settings window and ends with 0 when the
// settings were saved, 1 when the window was cancelled or closed. With
// arguments, Silent/Use decides: 0 (also no settings file) is an interactive
// run with the output folder dialog, the progress window and "Succeeded!"; 1
// is a Silent Mode run with the settings of section Silent, a notification-
// area icon and no message; any other value ends the process at once.
//
// The collection and the copy return verdicts; only this file tells the
// user how a run ended and chooses the exit code.
#include "run/run.h"

#include <array>
#include <cstdlib>
#include <optional>

#include "copy/copy.h"
#include "copy/sources.h"
#include "copy/verdict.h"
#include "paths/make_path.h"
#include "paths/paths.h"
#include "settings/settings.h"

namespace larkspur {

namespace {

// Ends a run that did not do everything it was asked: the progress window
// goes first, then the message (exclamation icon, brought to the
// foreground, titled with the product name).
int Report(Platform& p, const Verdict& verdict) {
    p.ui.UnloadProgressWindow();
    p.ui.ShowMessage(verdict.message, kMbExclamation | kMbForeground, p.process.ProductName());
    return verdict.exitCode;
}

// The sources, then the copy: the first verdict that is not a success.
Verdict CollectAndCopy(Platform& p, const std::wstring& arguments, const CopyOptions& options,
                       CopyMethod method) {
    const Sources sources = CollectSources(p, arguments, options.outputFolder);
    if (!sources.missing.empty()) {
        return MissingItems(sources.missing);
    }
    p.ui.YieldToWindowSystem();
    method.owner = p.ui.ProgressWindow();
    return WithSkipped(p.fs, CopyFiles(p, sources.files, options, method), sources.skipped);
}

int InteractiveRun(Platform& p, const std::wstring& arguments) {
    const std::optional<CopyOptions> choice = p.ui.ShowOutputFolderDialog({});
    if (!choice) {
        return kExitCancelled;
    }
    p.ui.ShowProgressWindow();
    // The shell's copy, for its progress and its questions before it
    // replaces a file.
    const Verdict verdict = CollectAndCopy(p, arguments, *choice, {false, kInteractiveCopyFlags});
    if (!verdict.Succeeded()) {
        return Report(p, verdict);
    }
    p.ui.UnloadProgressWindow();
    p.ui.ShowMessage(L"Succeeded!", kMbInformation | kMbForeground, p.process.ProductName());
    return kExitSuccess;
}

// A Silent Mode run. The output folder comes first, settled as Force says:
// tested (and asked for when missing), created, or neither.
int SilentRun(Platform& p, const Settings& settings, const std::wstring& arguments) {
    const std::wstring location = settings.Text(Section::Silent, Key::Location);
    if (location.size() == kMaxSettingLength && settings.TooLong(Section::Silent, Key::Location)) {
        // Only its start came back: a folder of that name is not the one
        // the user wrote, so nothing is created or copied there.
        p.ui.ShowMessage(L"The output folder in " + settings.Path() + L" is longer than " +
                             std::to_wstring(kMaxSettingLength) +
                             L" characters, so nothing was copied.",
                         kMbExclamation, L"Error");
        return kExitNoOutputFolder;
    }
    CopyOptions options{AddBackslash(location)};
    const int16_t force = settings.Number(Section::Silent, Key::Force);
    if (force == 0 && !p.fs.FolderExists(options.outputFolder)) {
        // The dialog's folder is used; its attribute boxes are not, the set
        // of section Silent is read below.
        const auto choice = p.ui.ShowOutputFolderDialog({true, options.outputFolder});
        if (!choice) {
            return kExitCancelled;
        }
        options.outputFolder = choice->outputFolder;
    } else if (force == 1 && !MakeSureDirectoryPathExists(p.fs, options.outputFolder)) {
        p.ui.ShowMessage(L"Not to Create Folder", kMbExclamation, L"Error");
        return kExitNoOutputFolder;
    }
    p.shell.AddTrayIcon(p.ui.ProgressWindow(), p.process.ProductName());

    // Each setting of the set, read as the settings window shows it, adds its
    // attribute when it is not 0: a greyed 2 is on, not a different bit.
    // Read in the order Hidden, System, Archive, Read Only.
    std::array<int, 4> states{};
    for (const size_t i : {1, 2, 3, 0}) {
        states[i] = settings.Number(Section::Silent, kAttributeKeys[i]);
    }
    options.attributes = AttributeMask(states);
    options.setAttributes = ReadNumber(settings.Text(Section::Silent, Key::Attributes)) != 0;

    // The own engine, unless Engine=1 asks for the shell's copy.
    const bool shell = settings.Number(Section::Silent, Key::Engine) == 1;
    const Verdict verdict = CollectAndCopy(p, arguments, options, {!shell, kSilentCopyFlags});
    p.shell.RemoveTrayIcon();
    return verdict.Succeeded() ? kExitSuccess : Report(p, verdict);
}

}  // namespace

int Run(Platform& p) {
    const std::wstring arguments = ArgumentString(p.process.CommandLine());
    if (arguments.empty()) {
        return p.ui.ShowSettingsWindow() ? kExitSuccess : kExitCancelled;
    }
    const Settings settings(p.profile, p.process);
    switch (settings.Number(Section::Silent, Key::Use)) {
        case 0:
            return InteractiveRun(p, arguments);
        case 1:
            return SilentRun(p, settings, arguments);
        default:
            return kExitSuccess;
    }
}

void EndProgram(Platform& p, int exitCode) {
    p.ui.UnloadAll();
    p.process.Exit(exitCode);
    std::abort();  // Exit does not return; the compiler cannot see that through the interface
}

}  // namespace larkspur
