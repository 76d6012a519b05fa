// The Win32 realisation of the platform interfaces.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace larkspur::win32 {

// Paths reach the file-system calls in their extended form (\\?\C:\... or
// \\?\UNC\server\...), which takes every name as it is stored: a name
// ending in a dot or a space, a reserved name such as CON, and paths past
// MAX_PATH. The extended form is taken literally, so a path that is not in
// its plain absolute form yet (relative, with "." or "..", forward slashes
// or doubled backslashes: typed, not listed) is first normalised by the
// platform's rules.
std::wstring ForApi(const std::wstring& path);

// The drive or share a path lies on, as its root: C:\ or \\server\share\,
// also from a path in the extended form.
std::wstring VolumeRoot(const std::wstring& path);

// Whether a path is absolute ("X:\..." or "\\server\share\...") and in its
// plain form already, so that resolving it would change nothing but the
// names the platform's rules would strip.
bool IsPlainAbsolute(const std::wstring& path);

// Asking a removable drive without a medium must not bring up the system's
// "insert a disk" box.
class NoCriticalErrorBoxes {
  public:
    NoCriticalErrorBoxes() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old_); }
    ~NoCriticalErrorBoxes() { SetThreadErrorMode(old_, nullptr); }
    NoCriticalErrorBoxes(const NoCriticalErrorBoxes&) = delete;
    NoCriticalErrorBoxes& operator=(const NoCriticalErrorBoxes&) = delete;

  private:
    DWORD old_ = 0;
};

class Win32FileSystem : public FileSystem {
  public:
    uint32_t Attributes(const std::wstring& path) override;
    std::wstring StoredName(const std::wstring& path) override;
    std::wstring FullPath(const std::wstring& path) override;
    ErrorCode ListFolder(const std::wstring& folder, const EntrySink& sink) override;
    std::wstring ErrorText(ErrorCode error) override;
    ErrorCode Append(const std::wstring& path, std::string_view bytes) override;
    ErrorCode Compare(const std::wstring& source, const std::wstring& copy) override;
    bool DriveReady(wchar_t letter) override;
    bool CreateFolder(const std::wstring& path) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    FileInfo Info(const std::wstring& path) override;
    std::optional<FileId> Identity(const std::wstring& path) override;
    ErrorCode Copy(const std::wstring& from, const std::wstring& to,
                   const CopyRequest& request) override;

    // For tests: the stream-keeping copy on every drive, as on NTFS, also
    // where the volume holds no streams (every drive under Wine).
    bool keepStreamsEverywhere = false;

  private:
    bool HoldsStreams(const std::wstring& path);

    std::mutex mutex_;
    std::map<std::wstring, bool> holdsStreams_;  // by drive or share, asked once each
};

class Win32Shell : public Shell {
  public:
    CopyOutcome CopyFiles(WindowRef owner, const std::vector<std::wstring>& from,
                          const std::vector<std::wstring>& to, ShellCopyMode mode) override;
    void AddTrayIcon(WindowRef owner, const std::wstring& tip) override;
    void SetTrayTip(const std::wstring& tip) override;
    void RemoveTrayIcon() override;
    StopReason Stopping() override { return stop_.load(); }
    void NotifyFolderChanged(const std::wstring& folder) override;
    std::wstring SpecialFolder(int folder, WindowRef owner) override;
    bool MakeShortcut(const std::wstring& link, const std::wstring& target) override;
    void OpenLink(const std::wstring& address, const std::wstring& folder) override;

  private:
    static LRESULT CALLBACK TrayOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    void ShowTrayMenu(POINT at);

    HWND trayOwner_ = nullptr;
    IconHandle trayIcon_;  // kept loaded while the icon is in the tray
    std::atomic<StopReason> stop_{StopReason::kNone};
};

// The command of the notification icon's "Stop copying", as its owner
// window receives it (WM_COMMAND).
constexpr UINT kStopCopyingCommand = 0x5354;

// The settings file through the platform's profile functions. A file the
// program creates starts as UTF-16LE with a byte-order mark, which the
// profile functions keep, so folder names outside the ANSI code page
// survive; an existing file keeps its encoding.
class Win32Profile : public ProfileStore {
  public:
    std::wstring Read(const std::wstring& section, const std::wstring& key, size_t capacity,
                      const std::wstring& file) override;
    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value,
               const std::wstring& file) override;
};

class Win32Process : public Process {
  public:
    std::wstring CommandLine() override;
    std::wstring ProgramFolder() override;
    std::wstring ProgramPath() override;
    std::wstring ProductName() override;
    std::wstring AppTitle() override;
    std::wstring LocalTime() override;
    uint64_t Milliseconds() override;
    [[noreturn]] void Exit(int code) override;
};

// The text of a system error code, without its closing line break.
std::wstring SystemErrorText(DWORD error);

// The paths, each followed by a NUL, and one more NUL at the end: a list as
// the shell's file operation takes it.
std::wstring MultiString(const std::vector<std::wstring>& paths);

// The path of the running executable.
std::wstring ModulePath(HMODULE module);

// A string of the program's version information, from the first
// translation it lists ("ProductName", "FileVersion", ...).
std::wstring VersionString(HMODULE module, const wchar_t* name);

}  // namespace larkspur::win32
