// What a run's collection and copy did, as a value: the exit code, the
// message the user is told, and the copies that are missing or lack their
// attributes. The run driver turns it into a message and an exit.
#pragma once

#include <string>
#include <vector>

namespace larkspur {

// Exit codes of the process.
enum ExitCode : int {
    kExitSuccess = 0,         // the run did what it was asked, or nothing was asked
    kExitCancelled = 1,       // the output folder dialog or the settings window cancelled
    kExitAborted = 2,         // the shell's copy failed or was cancelled: "Aborted!"
    kExitIncomplete = 3,      // some files were not copied or did not get their attributes
    kExitBadInput = 4,        // sent items that cannot be copied as they are; nothing copied
    kExitNoOutputFolder = 5,  // the output folder could not be created
};

struct Verdict {
    int exitCode = kExitSuccess;
    std::wstring message;                    // empty when everything was done
    std::vector<std::wstring> notCopied;     // copies that are missing
    std::vector<std::wstring> noAttributes;  // copies that lack their attributes

    bool Succeeded() const { return exitCode == kExitSuccess; }
};

// A run stopped before anything was copied: why, ", so nothing was
// copied:", and the paths concerned (exit 4).
Verdict NothingCopied(const std::wstring& why, const std::vector<std::wstring>& paths);

Verdict MissingItems(const std::vector<std::wstring>& missing);  // that cannot be read

// The shell's copy failed or was cancelled: "Aborted!" and the copies that
// are missing (exit 2).
Verdict Aborted(std::vector<std::wstring> notCopied);

// The copy ended but did not do everything: the copies that are missing
// and those that lack their attributes (exit 3); success when both are
// empty and nothing was skipped.
Verdict Incomplete(std::vector<std::wstring> notCopied, std::vector<std::wstring> noAttributes,
                   bool someSkipped);

}  // namespace larkspur
