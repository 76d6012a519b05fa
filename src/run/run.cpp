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

// The sources and where each lands, or why the run stops before anything
// is made or copied.
struct Plan {
    Sources sources;
    std::vector<std::wstring> to;
    Verdict refusal;
};

Plan PlanCopy(Platform& p, const std::wstring& arguments, const CopyOptions& options, bool shell) {
    Plan plan{CollectSources(p, arguments, options.outputFolder), {}, {}};
    if (!plan.sources.missing.empty()) {
        plan.refusal = MissingItems(plan.sources.missing);
        return plan;
    }
    plan.to = Destinations(plan.sources.files, options.outputFolder);
    plan.refusal = CheckBeforeCopy(p.fs, plan.sources.files, plan.to, options.outputFolder, shell);
    return plan;
}

Verdict Copy(Platform& p, const Plan& plan, const CopyOptions& options, CopyMethod method) {
    p.ui.YieldToWindowSystem();
    method.owner = p.ui.ProgressWindow();
    return WithSkipped(p.fs, CopyFiles(p, plan.sources.files, plan.to, options, method),
                       plan.sources.skipped);
}

// The dialog's remembered choice is saved as soon as it closes; a choice
// that cannot be remembered (or forgotten) is reported, and the run goes on.
int InteractiveRun(Platform& p, ProgramWindows& windows, const Settings& settings,
                   const std::wstring& arguments) {
    const FolderChoice defaults = settings.Defaults();
    const std::optional<OutputFolderChoice> choice =
        windows.ShowOutputFolderDialog({false, defaults});
    if (!choice) {
        return kExitCancelled;
    }
    if (!settings.SaveDefaults(*choice) && (choice->use != 0 || defaults.use != 0)) {
        p.ui.ShowMessage(L"The settings could not be saved to\r\n" + settings.Path(),
                         kMbExclamation, L"Error");
    }
    p.ui.ShowProgressWindow();
    // The shell's copy, for its progress and its questions before it
    // replaces a file.
    const CopyOptions options{AddBackslash(choice->location), choice->AttributeSet(),
                              choice->attributes != 0};
    const Plan plan = PlanCopy(p, arguments, options, true);
    const Verdict verdict = plan.refusal.Succeeded()
                                ? Copy(p, plan, options, {false, kInteractiveCopyFlags})
                                : plan.refusal;
    if (!verdict.Succeeded()) {
        return Report(p, verdict);
    }
    p.ui.UnloadProgressWindow();
    p.ui.ShowMessage(L"Succeeded!", kMbInformation | kMbForeground, p.process.ProductName());
    return kExitSuccess;
}

// A Silent Mode run. The output folder comes first: empty means none is
// set, relative means beside Brisa.ini; then, as Force says, it is asked for
// when missing, made once the run is sure to copy, or neither.
int SilentRun(Platform& p, ProgramWindows& windows, const Settings& settings,
              const SilentSettings& silent, const std::wstring& arguments) {
    const std::wstring where = L" in section [Silent] of " + settings.Path();
    if (silent.locationTooLong) {
        // Only its start came back: a folder of that name is not the one
        // the user wrote, so nothing is created or copied there.
        p.ui.ShowMessage(L"The output folder in " + settings.Path() + L" is longer than " +
                             std::to_wstring(kMaxSettingLength) +
                             L" characters, so nothing was copied.",
                         kMbExclamation, L"Error");
        return kExitNoOutputFolder;
    }
    if (silent.location.empty() && silent.force != 0) {
        p.ui.ShowMessage(
            L"No output folder is set: Location" + where + L" is empty, so nothing was copied.",
            kMbExclamation, L"Error");
        return kExitNoOutputFolder;
    }
    const std::wstring iniFolder = settings.Path().substr(0, NameStart(settings.Path()));
    CopyOptions options{silent.location.empty()
                            ? std::wstring()
                            : AddBackslash(Absolute(p.fs, iniFolder, silent.location))};
    if (silent.force == 0 &&
        (options.outputFolder.empty() || !p.fs.FolderExists(options.outputFolder))) {
        // The dialog's folder is used; its attribute boxes are not, the set
        // of section Silent is read below.
        FolderChoice from = silent;
        from.location = options.outputFolder;
        const auto choice = windows.ShowOutputFolderDialog({true, from});
        if (!choice) {
            return kExitCancelled;
        }
        options.outputFolder = AddBackslash(choice->location);
    }
    p.shell.AddTrayIcon(p.ui.ProgressWindow(), p.process.ProductName());

    // Each setting of the set, read as the settings window shows it, adds its
    // attribute when it is not 0: a greyed 2 is on, not a different bit.
    options.attributes = silent.AttributeSet();
    options.setAttributes = silent.attributePass;
    options.verify = silent.verify == 1;

    // The own engine, unless Engine=1 asks for the shell's copy.
    const bool shell = silent.engine == 1;
    const Plan plan = PlanCopy(p, arguments, options, shell);
    Verdict verdict = plan.refusal;
    if (verdict.Succeeded() && silent.force == 1 && !plan.sources.files.empty() &&
        !MakeSureDirectoryPathExists(p.fs, options.outputFolder)) {
        p.shell.RemoveTrayIcon();
        p.ui.ShowMessage(L"Not to Create Folder", kMbExclamation, L"Error");
        return kExitNoOutputFolder;
    }
    if (verdict.Succeeded()) {
        verdict = Copy(p, plan, options, {!shell, kSilentCopyFlags});
    }
    p.shell.RemoveTrayIcon();
    return verdict.Succeeded() ? kExitSuccess : Report(p, verdict);
}

}  // namespace

int Run(Platform& p, ProgramWindows& windows) {
    const std::wstring arguments = ArgumentString(p.process.CommandLine());
    if (arguments.empty()) {
        return windows.ShowSettingsWindow() ? kExitSuccess : kExitCancelled;
    }
    const Settings settings(p.profile, p.process);
    const SilentSettings silent = settings.Silent();
    switch (silent.use) {
        case 0:
            return InteractiveRun(p, windows, settings, arguments);
        case 1:
            return SilentRun(p, windows, settings, silent, arguments);
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
