// The copy: one request to the shell's file operation for every file of the
// source list, then the attribute pass over the copies.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "run/run_state.h"

namespace larkspur {

// Shell file-operation flags of the two kinds of run.
enum : uint32_t {
    kFofMultiDestFiles = 0x1,
    kFofSilent = 0x4,
    kFofNoConfirmation = 0x10,
    kFofNoConfirmMkdir = 0x200,
    kInteractiveCopyFlags = kFofMultiDestFiles | kFofNoConfirmMkdir,             // 0x201
    kSilentCopyFlags = kInteractiveCopyFlags | kFofSilent | kFofNoConfirmation,  // 0x215
};

// The longest path the shell's file operation takes: MAX_PATH less the NUL.
constexpr size_t kShellPathLimit = 259;

// The attribute bits a run may give its copies.
constexpr uint32_t kAttributeSet = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

// AttrMask from the states of the four attribute choices, in the order of
// the set (Read Only, Hidden, System, Archive): each one that is not 0 adds
// its attribute once, so a greyed (2) or odd value never stands for another
// attribute.
int16_t AttributeMask(const std::array<int, 4>& states);

// Paths first to last, each followed by a NUL, and one more NUL at the end.
std::wstring MultiString(std::vector<std::wstring>::const_iterator first,
                         std::vector<std::wstring>::const_iterator last);

// The destination multi-string. Each file keeps its position below the folder
// that holds the item it came from: a sent file lands as OutputFolder + its
// stored name, a file found in a sent folder as OutputFolder + the folder's
// name + its path below the folder. Rewrites FileList so that slots 0..n-1
// hold the destinations of the sources that were in slots 1..n.
std::wstring BuildDestList(RunState& state, FileSystem& fs);

// Copies FileList (slots 1..n) into OutputFolder with one shell request owned
// by the progress window, then, when AttrOn is true, gives every copy exactly
// the attributes of AttrMask. Returns when every file was copied and got its
// attributes; otherwise tells the user what did not happen and ends the
// program. Paths the shell cannot take, files that would be copied onto
// themselves and files of one name that would land on one copy stop the run
// before anything is copied. Destinations in the
// way with Read Only, Hidden or System lose those bits before the copy; the
// ones the copy does not replace get them back unless the attribute pass
// sets them anyway.
void CopyFiles(RunState& state, Platform& p, uint32_t flags);

// The text that lists copies that are missing or lack their attributes.
std::wstring IncompleteMessage(const std::vector<std::wstring>& notCopied,
                               const std::vector<std::wstring>& noAttributes,
                               bool shellSkippedSome);

}  // namespace larkspur
