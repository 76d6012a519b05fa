// The run state: everything a run knows, in one struct.
//
// The start-up routine owns the only instance and hands it by reference to
// the routines and windows that read or write it. Field names are the ones
// used throughout the program's documentation; each routine touches only
// the fields its description names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace larkspur {

struct RunState {
    // Silent/Use as read at start-up: 0 interactive run, 1 Silent Mode run.
    int16_t SilentUse = 0;
    // Silent/Force: 0 test the output folder, 1 create it, other: neither.
    int16_t ForceMode = 0;
    // The output folder, always ending in a backslash once a run has it.
    std::wstring OutputFolder;
    // Attribute bits for the copies: read-only 1, hidden 2, system 4, archive 32.
    int16_t AttrMask = 0;
    // Whether the attribute pass runs: -1 true, 0 false.
    int16_t AttrOn = 0;
    // Result of the most recent platform call whose result a routine keeps.
    int32_t ApiResult = 0;

    // The argument string cut at every single space; SplitArgs re-joins
    // quoted paths in place.
    std::vector<std::wstring> ArgTokens;
    // Folders and files named in the argument string. Slot 0 stays empty;
    // entries start at slot 1. FileList also receives every file the folder
    // walk finds, and the copy rewrites it to the destinations.
    std::vector<std::wstring> FolderList;
    std::vector<std::wstring> FileList;
    // Parallel to FileList: how many leading characters of the entry name the
    // folder that holds the sent item it came from, so the copy keeps the
    // entry's position below that folder. kNamedItem for an item named in the
    // argument string itself (its destination is its own stored name).
    std::vector<size_t> FileRootLength;
    static constexpr size_t kNamedItem = static_cast<size_t>(-1);

    // Items of the argument string that name nothing on disk.
    std::vector<std::wstring> MissingItems;

    // The Silent Mode notification icon, and whether it is in the tray now.
    TrayIconRecord TrayIcon;
    bool TrayIconShown = false;
};

// Exit codes of the process.
enum ExitCode : int {
    kExitSuccess = 0,         // the run did what it was asked, or nothing was asked
    kExitCancelled = 1,       // the output folder dialog or the settings window cancelled
    kExitAborted = 2,         // the shell's copy failed or was cancelled: "Aborted!"
    kExitIncomplete = 3,      // some files were not copied or did not get their attributes
    kExitBadInput = 4,        // items of the argument string that do not exist
    kExitNoOutputFolder = 5,  // the output folder could not be created
};

}  // namespace larkspur
