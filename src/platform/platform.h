// The machine as the portable part of the program sees it.
//
// The run driver, the copy, the settings and the path routines never
// include a Windows header: everything they need from the file system, the
// shell, the settings file and the window system goes through the small
// interfaces below. src/platform/win32 implements them with the real Win32 calls; the
// native tests implement them in memory, so every rule of the portable code
// can be pinned down exactly and run under the sanitizers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspur {

// File attribute bits, with the values the platform gives them.
enum : uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrReparsePoint = 0x400,  // a link, junction or mount point
    kInvalidAttributes = 0xFFFFFFFF,
};

// The attribute bits a run may give its copies. None of them is 0 here; the
// platform's own spelling of "none" stays behind the interface.
constexpr uint32_t kAttributeSet = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive;

// Whether attributes read from a path say a folder stands there.
constexpr bool IsFolder(uint32_t attributes) {
    return attributes != kInvalidAttributes && (attributes & kAttrDirectory);
}

// A system error code, as the platform numbers them; kNoError is success.
using ErrorCode = uint32_t;
constexpr ErrorCode kNoError = 0;
// The ones the program tells apart, with the platform's numbers.
enum : ErrorCode {
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorSharingViolation = 32,
    kErrorHandleDiskFull = 39,
    kErrorFileExists = 80,
    kErrorDiskFull = 112,
};
// Reasons of the program's own, in the range the platform leaves to
// applications (bit 29 set), so that they never meet a system code.
enum : ErrorCode {
    kErrorSourceChanged = 0x20000001,  // the source changed while it was copied
    kErrorCopyDiffers = 0x20000002,    // the copy read back differs from its source
};

// What a path names: its attributes (kInvalidAttributes when it names
// nothing), its size in bytes and when it was last written, in the
// platform's units (only compared with each other).
struct FileInfo {
    uint32_t attributes = kInvalidAttributes;
    uint64_t size = 0;
    uint64_t writeTime = 0;

    bool Exists() const { return attributes != kInvalidAttributes; }
};

// What a file or folder is, whatever the spelling of its path: the volume
// and the file's number on it. Two paths name the same one when these agree.
struct FileId {
    uint64_t volume = 0;
    uint64_t file = 0;
    uint64_t high = 0;  // file numbers can have 128 bits (ReFS)

    auto operator<=>(const FileId&) const = default;
};

// How one file is copied.
struct CopyRequest {
    // Exactly these bits of kAttributeSet; none: what the source has.
    std::optional<uint32_t> attributes;
    // A file stands at the destination: the copy is written beside it under
    // a name of its own and takes its place only once it is complete, so a
    // copy that fails leaves the earlier one as it was. Without it the
    // destination must not exist.
    bool replace = false;
    // Before it takes its place, the copy is read back from the disk (not
    // from a cache) and compared with its source.
    bool verify = false;
};

// A window of the program, as an opaque value; 0 is "no window".
using WindowRef = uintptr_t;

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // kInvalidAttributes when the path names nothing.
    virtual uint32_t Attributes(const std::wstring& path) = 0;

    // The name query: the stored name (last component, stored letter case) of
    // what the path names, hidden and system items included; empty when
    // nothing matches.
    virtual std::wstring StoredName(const std::wstring& path) = 0;

    // The absolute form of a path, resolved against the current folder the
    // way the platform resolves it; the path unchanged when that fails.
    virtual std::wstring FullPath(const std::wstring& path) = 0;

    // Lists every entry of a folder (given with its trailing backslash), with
    // its attributes and size (0 for a folder), in
    // the platform's enumeration order, hidden and system entries included,
    // "." and ".." included where the platform returns them. Answers why
    // the folder cannot be listed, or kNoError (a folder with no entries at
    // all, such as an empty drive root, is listed: it is empty).
    using EntrySink =
        std::function<void(std::wstring_view name, uint32_t attributes, uint64_t size)>;
    virtual ErrorCode ListFolder(const std::wstring& folder, const EntrySink& sink) = 0;

    // The system's text for an error code, one line without a closing break.
    virtual std::wstring ErrorText(ErrorCode error) = 0;

    // Reads the file at copy back from the disk (not from a cache) and
    // compares it with the one at source: kErrorCopyDiffers when they differ.
    virtual ErrorCode Compare(const std::wstring& source, const std::wstring& copy) = 0;

    // Appends bytes to the file at path, which is created when missing.
    virtual ErrorCode Append(const std::wstring& path, std::string_view bytes) = 0;

    bool FolderExists(const std::wstring& path) { return IsFolder(Attributes(path)); }
    // Whether the drive of letter exists and holds a medium.
    virtual bool DriveReady(wchar_t letter) = 0;

    // Each true when it was done.
    virtual bool CreateFolder(const std::wstring& path) = 0;  // one folder
    // Exactly attributes, bits of kAttributeSet (0: none of them).
    virtual bool SetAttributes(const std::wstring& path, uint32_t attributes) = 0;

    virtual FileInfo Info(const std::wstring& path) = 0;

    // What the path names, through links; nothing when it names nothing or
    // cannot be read (a file opened for reading, a folder for listing).
    virtual std::optional<FileId> Identity(const std::wstring& path) = 0;

    // Copies the file at from to to as request says: the content, the
    // last-write time and, where the volume holds them, the alternate data
    // streams. A source whose size or last-write time changed while it was
    // copied gives kErrorSourceChanged, a verification that fails
    // kErrorCopyDiffers; on any failure nothing of the new copy remains and a
    // file that stood at to is as it was. The attributes are given on the
    // way, but only reading them back once the copy is closed tells what it
    // has. Safe to call from several threads at once, as every call above is.
    virtual ErrorCode Copy(const std::wstring& from, const std::wstring& to,
                           const CopyRequest& request) = 0;
};

// What the shell's file operation answered to a copy request.
struct CopyOutcome {
    int result = 0;                     // the shell's return value; 0 is success
    bool anyOperationsAborted = false;  // the shell says some operations did not run
};

// Special folders, by the platform's identifiers.
enum : int {
    kFolderPersonal = 5,  // the user's documents
    kFolderSendTo = 9,    // the user's Send To menu
};

// Why a run is being stopped before it has copied everything.
enum class StopReason : uint8_t {
    kNone,
    kUser,        // "Stop copying" in the notification icon's menu
    kSessionEnd,  // the user logs off, or Windows shuts down
};

// How the shell's file operation runs: with its progress and its question
// before it replaces a file, or silently, replacing without a question.
enum class ShellCopyMode : uint8_t { kInteractive, kSilent };

class Shell {
  public:
    virtual ~Shell() = default;
    // One request of the shell's file operation: from[i] copied to to[i],
    // folders made as needed; owner owns the shell's own dialogs.
    virtual CopyOutcome CopyFiles(WindowRef owner, const std::vector<std::wstring>& from,
                                  const std::vector<std::wstring>& to, ShellCopyMode mode) = 0;
    // The notification-area icon of a Silent Mode run, with tip as its text;
    // its menu offers to stop the copy (Stopping). Called from the thread
    // that owns the owner window.
    virtual void AddTrayIcon(WindowRef owner, const std::wstring& tip) = 0;
    virtual void SetTrayTip(const std::wstring& tip) = 0;  // lines split by \n
    virtual void RemoveTrayIcon() = 0;
    // Whether a stop was asked for while the icon is shown (its menu's "Stop
    // copying", or the session's end), and why; cheap, from any thread.
    virtual StopReason Stopping() = 0;
    // Tells open Explorer windows that the content of folder changed.
    virtual void NotifyFolderChanged(const std::wstring& folder) = 0;

    virtual std::wstring SpecialFolder(int folder, WindowRef owner) = 0;  // empty: failed
    // Writes a shortcut file at link pointing at target, nothing else set;
    // false when any step of it failed.
    virtual bool MakeShortcut(const std::wstring& link, const std::wstring& target) = 0;
    // Opens a document or address with the handler registered for it, with
    // folder as the working folder.
    virtual void OpenLink(const std::wstring& address, const std::wstring& folder) = 0;
};

// The settings file, in the platform's profile format.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // At most capacity - 1 characters of the value; the default text when
    // the file, the section or the key is missing.
    virtual std::wstring Read(const std::wstring& section, const std::wstring& key, size_t capacity,
                              const std::wstring& file) = 0;
    virtual bool Write(const std::wstring& section, const std::wstring& key,
                       const std::wstring& value, const std::wstring& file) = 0;
};

// Message-box styles the program uses.
enum : uint32_t {
    kMbExclamation = 0x30,
    kMbInformation = 0x40,
    kMbForeground = 0x10000,
};

// The window system, and the one window the run driver keeps open while it
// works (the program's other windows are src/run/windows.h).
class Ui {
  public:
    virtual ~Ui() = default;

    // The progress window: shown modelessly, its handle (loading it hidden
    // when it is not loaded yet), and unloading it; then every window.
    virtual void ShowProgressWindow() = 0;
    virtual WindowRef ProgressWindow() = 0;
    virtual void UnloadProgressWindow() = 0;
    virtual void UnloadAll() = 0;

    virtual void ShowMessage(const std::wstring& text, uint32_t style,
                             const std::wstring& title) = 0;

    // Lets the window system process pending messages, so that windows
    // repaint during long work. Cheap enough to call per file.
    virtual void YieldToWindowSystem() = 0;
};

// The process itself.
class Process {
  public:
    virtual ~Process() = default;
    // The whole command line, as the process was started with it.
    virtual std::wstring CommandLine() = 0;
    // The folder that holds the executable, as the platform reports it.
    virtual std::wstring ProgramFolder() = 0;
    // The full path of the running executable, under whatever name it has.
    virtual std::wstring ProgramPath() = 0;
    // From the program's resources: the version information's product name,
    // and the application title.
    virtual std::wstring ProductName() = 0;
    virtual std::wstring AppTitle() = 0;
    // The local time, "2026-12-07 05:30:01"; and milliseconds of a steady
    // clock, only compared with each other.
    virtual std::wstring LocalTime() = 0;
    virtual uint64_t Milliseconds() = 0;
    // Ends the process with the given exit code. Never returns.
    [[noreturn]] virtual void Exit(int code) = 0;
};

// Everything the portable code reaches the machine through.
struct Platform {
    FileSystem& fs;
    Shell& shell;
    ProfileStore& profile;
    Ui& ui;
    Process& process;
};

}  // namespace larkspur
