// In-memory stand-ins for the machine. MemFs is a small file system: drives,
// folders listing their entries in creation order, stored and short names,
// attributes and write times; like the platform's copy, it will not replace
// a Read Only, Hidden or System file.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/windows.h"

namespace larkspur::testing {

using Log = std::vector<std::wstring>;

class MemFs : public FileSystem {
  public:
    struct Node {
        std::wstring name, shortName;
        uint32_t attributes = kAttrDirectory;
        uint64_t writeTime = 1;
        std::vector<std::unique_ptr<Node>> children;
    };
    explicit MemFs(Log& log);  // drives C: and D:, the current folder C:\Work
    // A file, or with a trailing backslash a folder, and the folders on the
    // way; shortName is its short form.
    Node& Add(const std::wstring& path, uint32_t attributes = kAttrArchive,
              const std::wstring& shortName = L"");
    Node* Find(const std::wstring& path) { return Walk(FullPath(path), 0); }
    std::wstring currentFolder = L"C:\\Work";
    std::set<std::wstring> unreadable, failSetAttributes, failCopy;
    std::set<wchar_t> unready;
    int nameQueries = 0;

    uint32_t Attributes(const std::wstring& path) override;
    std::wstring StoredName(const std::wstring& path) override;
    std::wstring FullPath(const std::wstring& path) override;
    ErrorCode ListFolder(const std::wstring& folder, const EntrySink& sink) override;
    std::wstring ErrorText(ErrorCode error) override { return L"error " + std::to_wstring(error); }
    bool DriveReady(wchar_t letter) override {
        return !unready.count(letter) && Find(std::wstring(1, letter) + L":\\");
    }
    bool CreateFolder(const std::wstring& path) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    uint64_t WriteTime(const std::wstring& path) override {
        return Find(path)->writeTime;
    }  // one that exists
    CopyResult Copy(const std::wstring& from, const std::wstring& to, uint32_t attributes) override;

  private:
    Node* Walk(const std::wstring& path, uint32_t create);
    Log& log_;
    Node root_;                   // its children are the drives
    std::recursive_mutex mutex_;  // the copy engine calls from several threads
};

// The rest of the machine, logging what the program asked for: the shell
// copies as the platform does unless outcome.result is set, leaving out the
// destinations in skip; settings by "SECTION/KEY", whatever the file,
// logged as written (none when readOnly); the output folder dialog logs
// what it starts from and answers choice.
struct Machine : Shell, ProfileStore, Ui, ProgramWindows, Process {
    Log log;
    MemFs fs{log};
    Platform platform{fs, *this, *this, *this, *this};
    CopyOutcome outcome;
    std::vector<std::wstring> skip;
    std::map<std::wstring, std::wstring> values;
    std::optional<OutputFolderChoice> choice = OutputFolderChoice{0, L"D:\\Out"};
    bool settingsSaved = true, readOnly = false;
    int yields = 0;
    std::wstring commandLine;
    static constexpr WindowRef kProgress = 0x2002;

    void Set(const std::wstring& section, const std::wstring& settings);  // "key=value|..."
    int Run(const std::wstring& arguments);  // the run driver on it; its exit code

    CopyOutcome CopyFiles(WindowRef owner, const std::wstring& from, const std::wstring& to,
                          uint32_t flags) override;
    void AddTrayIcon(WindowRef owner, const std::wstring& tip) override {
        log.push_back(L"tray add " + std::to_wstring(owner) + L" " + tip);
    }
    void RemoveTrayIcon() override { log.push_back(L"tray remove"); }
    void NotifyFolderChanged(const std::wstring& f) override { log.push_back(L"notify " + f); }
    std::wstring SpecialFolder(int, WindowRef) override { return {}; }
    bool MakeShortcut(const std::wstring&, const std::wstring&) override { return false; }
    void OpenLink(const std::wstring&, const std::wstring&) override {}

    std::wstring Read(const std::wstring& section, const std::wstring& key, size_t capacity,
                      const std::wstring& file) override;
    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value,
               const std::wstring& file) override;

    bool ShowSettingsWindow() override {
        log.push_back(L"settings window");
        return settingsSaved;
    }
    std::optional<OutputFolderChoice> ShowOutputFolderDialog(
        const OutputFolderStart& start) override;
    void ShowProgressWindow() override { log.push_back(L"progress show"); }
    WindowRef ProgressWindow() override { return kProgress; }
    void UnloadProgressWindow() override { log.push_back(L"progress unload"); }
    void UnloadAll() override {}
    void ShowMessage(const std::wstring& text, uint32_t style, const std::wstring& title) override;
    void YieldToWindowSystem() override { ++yields; }

    std::wstring CommandLine() override { return commandLine; }
    std::wstring ProgramFolder() override { return L"C:\\Tools"; }
    std::wstring ProgramPath() override { return L"C:\\Tools\\Brisa.exe"; }
    std::wstring ProductName() override { return L"Larkspur Ver.1.52"; }
    std::wstring AppTitle() override { return L"Larkspur"; }
    [[noreturn]] void Exit(int) override { std::abort(); }  // only EndProgram calls it
};

}  // namespace larkspur::testing
