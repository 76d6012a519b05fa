// In-memory stand-ins for the machine, for the portable code's tests.
//
// MemFs is a small file system with drives, folders that keep their
// entries in creation order (the listing order), stored and short names,
// and attribute words. The other fakes record what the program asked for
// into one shared log, so a test can check the order of events (icon added
// before the copy, progress window gone before the message, ...).
#pragma once

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace larkspur::testing {

using Log = std::vector<std::wstring>;

class MemFs : public FileSystem {
  public:
    struct Node {
        std::wstring name;
        std::wstring shortName;  // empty: the name has no separate short form
        uint32_t attributes = kAttrArchive;
        uint64_t writeTime = 1;
        std::vector<std::unique_ptr<Node>> children;
        Node* parent = nullptr;
        bool IsFolder() const { return attributes & kAttrDirectory; }
    };

    MemFs();

    // Builders. Paths are absolute ("C:\Docs\a.txt"); missing parent folders
    // are created on the way. shortName gives the last component a short form.
    void AddDrive(wchar_t letter, bool ready = true);
    Node& Folder(const std::wstring& path, const std::wstring& shortName = L"");
    Node& File(const std::wstring& path, uint32_t attributes = kAttrArchive,
               const std::wstring& shortName = L"");
    void Remove(const std::wstring& path);
    Node* Find(const std::wstring& path);
    std::wstring currentFolder = L"C:\\Work";
    std::set<std::wstring> failSetAttributes;  // paths whose SetAttributes fails
    std::set<std::wstring> unreadable;         // folders that cannot be listed
    int listCalls = 0;
    int nameQueries = 0;

    uint32_t Attributes(const std::wstring& path) override;
    std::wstring StoredName(const std::wstring& path) override;
    std::wstring FullPath(const std::wstring& path) override;
    bool ListFolder(const std::wstring& folder, const EntrySink& sink) override;
    bool DriveReady(wchar_t letter) override;
    bool CreateFolder(const std::wstring& path) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    uint64_t WriteTime(const std::wstring& path) override;

  private:
    std::map<wchar_t, std::unique_ptr<Node>> drives_;
    std::set<wchar_t> unready_;
    Node* Resolve(const std::wstring& path, bool create, bool lastIsFolder);
};

class FakeShell : public Shell {
  public:
    FakeShell(Log& log, MemFs& fs) : log_(log), fs_(fs) {}
    // What the next copy answers; with perform set, the copies appear in fs,
    // with their source's write time. As the platform's file copy does, it
    // cannot replace a file that is Read Only or Hidden: such a destination
    // is left as it was and the copy answers access denied (5).
    CopyOutcome outcome;
    bool perform = true;
    std::vector<std::wstring> skip;  // destinations the "shell" leaves out
    int requests = 0;
    WindowRef lastOwner = 0;
    uint32_t lastFlags = 0;
    std::wstring lastFrom, lastTo;
    WindowRef trayOwner = 0;
    std::wstring trayTip;

    CopyOutcome CopyFiles(WindowRef owner, const std::wstring& from, const std::wstring& to,
                          uint32_t flags) override;
    void AddTrayIcon(WindowRef owner, const std::wstring& tip) override;
    void RemoveTrayIcon() override;
    // Only the windows use these; the portable code never does.
    std::wstring SpecialFolder(int, WindowRef) override { return {}; }
    bool MakeShortcut(const std::wstring&, const std::wstring&) override { return false; }
    void OpenLink(const std::wstring&, const std::wstring&) override {}

  private:
    Log& log_;
    MemFs& fs_;
};

class FakeProfile : public ProfileStore {
  public:
    explicit FakeProfile(Log& log) : log_(log) {}
    // file path -> section -> key -> value; names compared without case
    std::map<std::wstring, std::map<std::wstring, std::map<std::wstring, std::wstring>>> files;
    void Set(const std::wstring& file, const std::wstring& section, const std::wstring& key,
             const std::wstring& value);

    std::wstring Read(const std::wstring& section, const std::wstring& key, size_t capacity,
                      const std::wstring& file) override;
    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value,
               const std::wstring& file) override;

  private:
    Log& log_;
};

class FakeUi : public Ui {
  public:
    explicit FakeUi(Log& log) : log_(log) {}
    // What the output folder dialog answers when shown. By default it
    // confirms D:\Out\ with no attributes.
    std::function<std::optional<CopyOptions>(const OutputFolderRequest&)> dialog;
    int yields = 0;
    static constexpr WindowRef kProgressHandle = 0x2002;

    // Whether the settings window is saved.
    bool settingsSaved = true;

    bool ShowSettingsWindow() override;
    std::optional<CopyOptions> ShowOutputFolderDialog(const OutputFolderRequest& request) override;
    void ShowProgressWindow() override;
    WindowRef ProgressWindow() override;
    void UnloadProgressWindow() override;
    void UnloadAll() override;
    void ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) override;
    void YieldToWindowSystem() override { ++yields; }

  private:
    Log& log_;
};

class FakeProcess : public Process {
  public:
    explicit FakeProcess(Log& log) : log_(log) {}
    std::wstring commandLine = L"\"C:\\Tools\\Brisa.exe\"";
    std::wstring programFolder = L"C:\\Tools";
    std::wstring CommandLine() override { return commandLine; }
    std::wstring ProgramFolder() override { return programFolder; }
    std::wstring ProgramPath() override { return programFolder + L"\\Brisa.exe"; }
    std::wstring ProductName() override { return L"Larkspur Ver.1.52"; }
    std::wstring AppTitle() override { return L"Larkspur"; }
    [[noreturn]] void Exit(int) override { std::abort(); }  // only EndProgram calls it

  private:
    Log& log_;
};

// A whole machine: C: and D: drives, the program in C:\Tools, the settings
// file path ready to fill.
struct Machine {
    Log log;
    MemFs fs;
    FakeShell shell{log, fs};
    FakeProfile profile{log};
    FakeUi ui{log};
    FakeProcess process{log};
    Platform platform{fs, shell, profile, ui, process};

    Machine();
    static constexpr const wchar_t* kIni = L"C:\\Tools\\Brisa.ini";
    void Setting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        profile.Set(kIni, section, key, value);
    }
    // Runs the run driver with this argument string; the exit code.
    int Run(const std::wstring& arguments);
    // Index of the first log line that starts with prefix, or -1.
    int Find(const std::wstring& prefix) const;
};

}  // namespace larkspur::testing
