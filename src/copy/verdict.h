// What a run's collection and copy did, as a value: the exit code, the
// message the user is told, and the copies that are missing or lack their
// attributes, each with its reason. The run driver turns it into a message
// and an exit.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace larkspur {

// Exit codes of the process.
enum ExitCode : int {
    kExitSuccess = 0,         // the run did what it was asked, or nothing was asked
    kExitCancelled = 1,       // the output folder dialog or the settings window cancelled
    kExitAborted = 2,         // the shell's copy failed or was cancelled: "Aborted!"
    kExitIncomplete = 3,      // some files were not copied or did not get their attributes
    kExitBadInput = 4,        // sent items that cannot be copied as they are; nothing copied
    kExitNoOutputFolder = 5,  // the output folder could not be created
    kExitStopped = 6,         // stopped by the user (or the session's end) before the end
};

// Reasons the copy itself finds, beside the system's and the platform's.
enum : ErrorCode {
    kErrorAttributesNotKept = 0x20000010,  // read back, the copy lacks some of its attributes
    kErrorFolderInTheWay = 0x20000011,     // a folder stands where the copy goes
    kErrorCopyMissing = 0x20000012,        // after the shell's copy, there is no copy
    kErrorCopyIncomplete = 0x20000013,     // after the shell's copy, the copy's size is wrong
    kErrorCopyKept = 0x20000014,           // the file that stood there was not replaced
    kErrorLinkLoop = 0x20000015,           // a folder link back into a folder it lies in
    kErrorNotStarted = 0x20000016,         // the run was stopped before this file
};

// The text that says why: the program's own for its own reasons, the
// system's for the others.
std::wstring ReasonText(FileSystem& fs, ErrorCode reason);

// A copy that is missing or lacks its attributes, and why.
struct Miss {
    std::wstring path;
    ErrorCode reason = kNoError;

    bool operator==(const Miss&) const = default;
};

struct Verdict {
    int exitCode = kExitSuccess;
    std::wstring message;            // empty when everything was done
    std::vector<Miss> notCopied;     // copies that are missing
    std::vector<Miss> noAttributes;  // copies that lack their attributes

    bool Succeeded() const { return exitCode == kExitSuccess; }
};

// A run stopped before anything was copied: why, ", so nothing was
// copied:", and the paths concerned (exit 4).
Verdict NothingCopied(const std::wstring& why, const std::vector<std::wstring>& paths);

Verdict MissingItems(const std::vector<std::wstring>& missing);  // that cannot be read

// The shell's copy failed or was cancelled: "Aborted!" and the copies that
// are missing (exit 2).
Verdict Aborted(FileSystem& fs, std::vector<Miss> notCopied);

// The copy ended but did not do everything: the copies that are missing
// and those that lack their attributes, each group with its reasons (exit
// 3); success when both are empty and nothing was skipped.
Verdict Incomplete(FileSystem& fs, std::vector<Miss> notCopied, std::vector<Miss> noAttributes,
                   bool someSkipped);

// The copy was stopped before it ended: how many of how many files were
// copied, then the copies that are missing and those that lack their
// attributes, with their reasons (exit 6).
Verdict Stopped(FileSystem& fs, size_t copied, size_t total, std::vector<Miss> notCopied,
                std::vector<Miss> noAttributes);

// The verdict with the folders the walk did not follow added to what was not
// copied; a refusal before the copy stays as it is.
Verdict WithSkipped(FileSystem& fs, Verdict verdict, const std::vector<Miss>& skipped);

}  // namespace larkspur
