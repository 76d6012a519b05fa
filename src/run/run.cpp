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

#include <atomic>
#include <cstdlib>
#include <optional>

#include "copy/copy.h"
#include "copy/engine.h"
#include "copy/sources.h"
#include "copy/verdict.h"
#include "paths/make_path.h"
#include "paths/paths.h"
#include "run/run_log.h"
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
                                ? Copy(p, plan, options, {false, ShellCopyMode::kInteractive})
                                : plan.refusal;
    if (!verdict.Succeeded()) {
        return Report(p, verdict);
    }
    p.ui.UnloadProgressWindow();
    p.ui.ShowMessage(L"Succeeded!", kMbInformation | kMbForeground, p.process.ProductName());
    return kExitSuccess;
}

// A run that has no output folder to copy into (exit 5).
Verdict NoOutputFolder(std::wstring message) {
    Verdict verdict;
    verdict.exitCode = kExitNoOutputFolder;
    verdict.message = std::move(message);
    return verdict;
}

// What a Silent Mode run tells while it copies: a line per file in its log,
// "n of N files" in its icon's tip (at most twice a second, from the thread
// that owns the icon), and whether to go on.
class SilentProgress : public CopyProgress {
  public:
    SilentProgress(Platform& p, RunLog& log, size_t files, uint64_t bytes)
        : p_(p), log_(log), files_(files), bytes_(bytes), lastTip_(p.process.Milliseconds()) {}

    bool Continue() override { return p_.shell.Stopping() == StopReason::kNone; }
    void Done(const FileReport& file) override {
        done_.fetch_add(1);
        if (file.notCopied) {
            log_.Write(L"not-copied", {file.to, ReasonText(p_.fs, file.notCopied)});
            return;
        }
        copied_.fetch_add(1);
        copiedBytes_.fetch_add(file.size);
        if (file.noAttributes) {
            log_.Write(L"no-attributes", {file.to, ReasonText(p_.fs, file.noAttributes)});
        } else {
            log_.Write(file.replaced ? L"replaced" : L"copied", {file.to});
        }
    }
    void Tick() override {
        const uint64_t now = p_.process.Milliseconds();
        if (now - lastTip_ >= kTipIntervalMs) {
            lastTip_ = now;
            p_.shell.SetTrayTip(p_.process.ProductName() + L"\n" + std::to_wstring(done_.load()) +
                                L" of " + std::to_wstring(files_) + L" files, " +
                                Megabytes(copiedBytes_) + L" of " + Megabytes(bytes_) + L" MB");
        }
        log_.Flush(false);
    }
    size_t Copied() const { return copied_.load(); }
    uint64_t CopiedBytes() const { return copiedBytes_.load(); }

  private:
    static constexpr uint64_t kTipIntervalMs = 500;
    static std::wstring Megabytes(uint64_t bytes) {
        const uint64_t tenths = (bytes * 10 + (1 << 19)) >> 20;
        return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
    }

    Platform& p_;
    RunLog& log_;
    const size_t files_;
    const uint64_t bytes_;
    std::atomic<size_t> done_{0}, copied_{0};
    std::atomic<uint64_t> copiedBytes_{0};
    uint64_t lastTip_;
};

// A Silent Mode run. The output folder comes first: empty means none is
// set, relative means beside Brisa.ini; then, as Force says, it is asked for
// when missing, made once the run is sure to copy, or neither. However it
// ends, its log gets its last line, the icon goes, and the message is shown
// unless Quiet is set or the session is ending.
class SilentRun {
  public:
    SilentRun(Platform& p, ProgramWindows& windows, const Settings& settings,
              const SilentSettings& silent)
        : p_(p),
          windows_(windows),
          settings_(settings),
          silent_(silent),
          iniFolder_(settings.Path().substr(0, NameStart(settings.Path()))),
          log_(p.fs, p.process,
               silent.log.empty() ? std::wstring() : Absolute(p.fs, iniFolder_, silent.log)),
          started_(p.process.Milliseconds()) {}

    int operator()(const std::wstring& arguments);

  private:
    void Start(const std::wstring& output, size_t items, bool shell);
    int End(Verdict verdict, const wchar_t* title = nullptr);

    Platform& p_;
    ProgramWindows& windows_;
    const Settings& settings_;
    const SilentSettings& silent_;
    const std::wstring iniFolder_;
    RunLog log_;
    const uint64_t started_;
    bool iconShown_ = false;
    size_t files_ = 0, copied_ = 0;
    uint64_t bytes_ = 0;
};

int SilentRun::operator()(const std::wstring& arguments) {
    const size_t items = ArgumentPaths(arguments).size();
    const bool shell = silent_.engine == 1;  // the own engine, unless Engine=1
    if (silent_.locationTooLong) {
        // Only its start came back: a folder of that name is not the one
        // the user wrote, so nothing is created or copied there.
        Start(silent_.location, items, shell);
        return End(NoOutputFolder(L"The output folder in " + settings_.Path() +
                                  L" is longer than " + std::to_wstring(kMaxSettingLength) +
                                  L" characters, so nothing was copied."),
                   L"Error");
    }
    if (silent_.location.empty() && (silent_.force != 0 || silent_.quiet == 1)) {
        Start(L"", items, shell);
        return End(NoOutputFolder(L"No output folder is set: Location in section "
                                  L"[Silent] of " +
                                  settings_.Path() + L" is empty, so nothing was copied."),
                   L"Error");
    }
    CopyOptions options{silent_.location.empty()
                            ? std::wstring()
                            : AddBackslash(Absolute(p_.fs, iniFolder_, silent_.location))};
    if (silent_.force == 0 &&
        (options.outputFolder.empty() || !p_.fs.FolderExists(options.outputFolder))) {
        if (silent_.quiet == 1) {
            // Nobody may be there to answer the dialog.
            Start(options.outputFolder, items, shell);
            return End(NoOutputFolder(L"The output folder does not exist, so nothing "
                                      L"was copied:\r\n" +
                                      options.outputFolder),
                       L"Error");
        }
        // The dialog's folder is used; its attribute boxes are not, the set
        // of section Silent is read below.
        FolderChoice from = silent_;
        from.location = options.outputFolder;
        const auto choice = windows_.ShowOutputFolderDialog({true, from});
        if (!choice) {
            return kExitCancelled;
        }
        options.outputFolder = AddBackslash(choice->location);
    }
    p_.shell.AddTrayIcon(p_.ui.ProgressWindow(), p_.process.ProductName());
    iconShown_ = true;
    Start(options.outputFolder, items, shell);

    // Each setting of the set, read as the settings window shows it, adds its
    // attribute when it is not 0: a greyed 2 is on, not a different bit.
    options.attributes = silent_.AttributeSet();
    options.setAttributes = silent_.attributePass;
    options.verify = silent_.verify == 1;

    const Plan plan = PlanCopy(p_, arguments, options, shell);
    if (!plan.refusal.Succeeded()) {
        return End(plan.refusal);
    }
    if (silent_.force == 1 && !plan.sources.files.empty() &&
        !MakeSureDirectoryPathExists(p_.fs, options.outputFolder)) {
        return End(NoOutputFolder(L"Not to Create Folder"), L"Error");
    }
    files_ = plan.sources.files.size();
    uint64_t bytes = 0;
    for (const SourceFile& file : plan.sources.files) {
        bytes += file.size;
    }
    SilentProgress progress(p_, log_, files_, bytes);
    const Verdict verdict = Copy(p_, plan, options, {!shell, ShellCopyMode::kSilent, 0, &progress});
    for (const Miss& link : plan.sources.skipped) {
        log_.Write(L"not-copied", {link.path, ReasonText(p_.fs, link.reason)});
    }
    copied_ = progress.Copied();
    bytes_ = progress.CopiedBytes();
    return End(verdict);
}

void SilentRun::Start(const std::wstring& output, size_t items, bool shell) {
    std::wstring attributes = L"kept";
    if (silent_.attributePass) {
        attributes.clear();
        const uint32_t set = silent_.AttributeSet();
        for (const auto& [bit, letter] : {std::pair{kAttrReadOnly, L'R'},
                                          {kAttrHidden, L'H'},
                                          {kAttrSystem, L'S'},
                                          {kAttrArchive, L'A'}}) {
            if (set & bit) {
                attributes += letter;
            }
        }
        attributes = attributes.empty() ? L"none" : attributes;
    }
    log_.Write(L"start", {L"items=" + std::to_wstring(items), L"output=" + output,
                          L"attributes=" + attributes, shell ? L"engine=shell" : L"engine=own",
                          L"threads=" + std::to_wstring(shell ? 1 : EngineThreads())});
}

int SilentRun::End(Verdict verdict, const wchar_t* title) {
    const StopReason stop = p_.shell.Stopping();
    const uint64_t ms = p_.process.Milliseconds() - started_;
    const size_t failed = verdict.notCopied.size() + verdict.noAttributes.size();
    const std::wstring seconds =
        std::to_wstring(ms / 1000) + L"." + std::to_wstring(ms % 1000 / 100);
    const std::wstring firstLine = verdict.message.substr(0, verdict.message.find(L"\r\n"));
    log_.Write(L"end",
               {L"files=" + std::to_wstring(files_), L"copied=" + std::to_wstring(copied_),
                L"bytes=" + std::to_wstring(bytes_), L"failed=" + std::to_wstring(failed),
                L"seconds=" + seconds, L"exit=" + std::to_wstring(verdict.exitCode),
                verdict.exitCode == kExitStopped
                    ? (stop == StopReason::kSessionEnd ? L"stopped=session" : L"stopped=user")
                    : L"",
                title ? L"reason=" + firstLine : L""});
    log_.Flush(true);
    if (const ErrorCode failure = log_.Failure()) {
        // The copy went on; the run says that its record is missing.
        verdict.exitCode = verdict.Succeeded() ? kExitIncomplete : verdict.exitCode;
        verdict.message += (verdict.message.empty() ? L"" : L"\r\n\r\n") +
                           std::wstring(L"The log could not be written: ") + log_.Path() + L"\r\n" +
                           ReasonText(p_.fs, failure);
    }
    if (iconShown_) {
        p_.shell.RemoveTrayIcon();
    }
    if (verdict.Succeeded() || silent_.quiet == 1 || stop == StopReason::kSessionEnd) {
        return verdict.exitCode;
    }
    if (title) {
        p_.ui.ShowMessage(verdict.message, kMbExclamation, title);
        return verdict.exitCode;
    }
    return Report(p_, verdict);
}

}  // namespace

std::wstring ArgumentString(const std::wstring& commandLine) {
    size_t end;
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const size_t close = commandLine.find(L'"', 1);
        end = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        end = commandLine.find_first_of(L" \t");
        if (end == std::wstring::npos) {
            end = commandLine.size();
        }
    }
    if (end < commandLine.size() && (commandLine[end] == L' ' || commandLine[end] == L'\t')) {
        ++end;
    }
    return commandLine.substr(end);
}

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
            return SilentRun(p, windows, settings, silent)(arguments);
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
