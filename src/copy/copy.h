// The copy: one request to the shell's file operation for every file of the
// source list, then the attribute pass over the copies.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "copy/sources.h"
#include "copy/verdict.h"
#include "platform/platform.h"

namespace larkspur {

// Bits that keep the shell's copy from replacing a file.
constexpr uint32_t kAttrInTheWay = kAttrReadOnly | kAttrHidden | kAttrSystem;

// The longest path the shell's file operation takes: MAX_PATH less the NUL.
constexpr size_t kShellPathLimit = 259;

// Where each file lands: the output folder followed by the file's path
// below the folder that holds the item it came from. A sent file lands as
// outputFolder + its stored name, a file found in a sent folder as
// outputFolder + the folder's name + its path below the folder.
std::vector<std::wstring> Destinations(const std::vector<SourceFile>& files,
                                       const std::wstring& outputFolder);

// Where a run's copies go and which attributes they get.
struct CopyOptions {
    std::wstring outputFolder;   // always ends in a backslash
    uint32_t attributes = 0;     // bits of kAttributeSet
    bool setAttributes = false;  // false: the copies keep what the copy gave them
    bool verify = false;         // each copy read back and compared with its source
};

// What became of one file, as the copy tells it.
struct FileReport {
    const std::wstring& to;
    bool replaced;           // a file stood there before
    ErrorCode notCopied;     // kNoError: copied
    ErrorCode noAttributes;  // kNoError: with its attributes (or none were asked)
    uint64_t size;           // of the source, as listed
};

// Who follows a copy while it runs, and may stop it. Continue and Done are
// called from any of the copy's threads; Tick only from the one that lets
// the window system in, after each of its files.
class CopyProgress {
  public:
    virtual ~CopyProgress() = default;
    // Before each file: false starts no more files.
    virtual bool Continue() = 0;
    virtual void Done(const FileReport& file) = 0;
    virtual void Tick() = 0;
};

// How the files are copied: one request of the shell's file operation in
// shellMode, its dialogs owned by owner; or, with ownEngine, the program's
// own engine (copy/engine.h), which progress can follow and stop.
struct CopyMethod {
    bool ownEngine = false;
    ShellCopyMode shellMode = ShellCopyMode::kInteractive;
    WindowRef owner = 0;
    CopyProgress* progress = nullptr;
};

// What stops a run before anything is copied, with nothing touched: for
// the shell, paths too long for it and names it would change; files whose
// output folder is the folder that holds them; files of one name that would
// land on one copy. Success when nothing does.
Verdict CheckBeforeCopy(FileSystem& fs, const std::vector<SourceFile>& files,
                        const std::vector<std::wstring>& to, const std::wstring& outputFolder,
                        bool shell);

// Copies files[i] to to[i] (checked before), then, when
// options.setAttributes is true, gives every copy exactly
// options.attributes; the verdict says what happened. For the shell,
// destinations in the way with Read Only, Hidden or System lose those bits
// before the copy; the ones the copy does not replace get them back.
Verdict CopyFiles(Platform& p, const std::vector<SourceFile>& files,
                  const std::vector<std::wstring>& to, const CopyOptions& options,
                  const CopyMethod& method);

}  // namespace larkspur
