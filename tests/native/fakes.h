// In-memory stand-ins for the machine. MemFs: drives, folders listing in
// creation order, stored and short names, attributes, sizes, contents, times,
// links. As strict as Windows where Wine and root are lenient: no copy onto a
// file without replace, no rename onto Read Only, no shell copy onto R, H or
// S. It can fill up, change a source mid-copy, drop bits, keep Archive.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/windows.h"
#include "version.h"

namespace larkspur::testing {

using Log = std::vector<std::wstring>;

class MemFs : public FileSystem {
  public:
    struct Node {
        std::wstring name, shortName;
        uint32_t attributes = kAttrDirectory;
        uint64_t writeTime = 1;
        uint64_t size = 0;
        uint64_t content = 0;  // stands for the bytes
        uint64_t id = ++lastId;
        Node* link = nullptr;  // a folder link: what it leads to
        std::vector<std::unique_ptr<Node>> children;
        static inline uint64_t lastId = 0;
    };
    explicit MemFs(Log& log);  // drives C: and D:, the current folder C:\Work
    // A file, or with a trailing backslash a folder, and the folders on the
    // way; shortName is its short form.
    Node& Add(const std::wstring& path, uint32_t attributes = kAttrArchive,
              const std::wstring& shortName = L"");
    Node* Find(const std::wstring& path) { return Walk(FullPath(path), 0); }
    void Remove(const std::wstring& path);
    void AddLink(const std::wstring& path, const std::wstring& target);  // a folder link
    std::wstring currentFolder = L"C:\\Work";
    std::set<std::wstring> unreadable, failCopy, unwritable;
    std::set<std::wstring> changing;            // sources that change while they are copied
    std::set<std::wstring> corrupting;          // sources whose copies come out wrong
    std::map<std::wstring, uint32_t> dropping;  // destinations and the bits they do not keep
    std::map<wchar_t, uint64_t> freeSpace;      // drives that can fill up
    bool archiveSticks = false;                 // files always have Archive, as under Wine
    std::set<wchar_t> unready;
    int nameQueries = 0, infoQueries = 0, identityQueries = 0, foldersNotMade = 0;
    std::map<std::wstring, std::string> appended;  // what Append wrote, by path

    // Writes a file as the platform would, within the free space: false when
    // it does not fit, with whatever did fit left behind when partial.
    bool Write(const std::wstring& path, const Node& source, bool partial = false);

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
    FileInfo Info(const std::wstring& path) override;
    std::optional<FileId> Identity(const std::wstring& path) override;
    ErrorCode Append(const std::wstring& path, std::string_view bytes) override;
    ErrorCode Compare(const std::wstring& source, const std::wstring& copy) override {
        return Find(source)->content == Find(copy)->content ? kNoError : kErrorCopyDiffers;
    }
    ErrorCode Copy(const std::wstring& from, const std::wstring& to,
                   const CopyRequest& request) override;

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
    StopReason stop = StopReason::kNone;  // answered from the (stopAfter + 1)th call on
    int stopAfter = 0, stopCalls = 0;
    std::wstring commandLine;
    static constexpr WindowRef kProgress = 0x2002;

    void Set(const std::wstring& section, const std::wstring& settings);  // "key=value|..."
    int Run(const std::wstring& arguments);  // the run driver on it; its exit code

    CopyOutcome CopyFiles(WindowRef owner, const std::vector<std::wstring>& from,
                          const std::vector<std::wstring>& to, ShellCopyMode mode) override;
    void SetTrayTip(const std::wstring& tip) override { log.push_back(L"tray tip " + tip); }
    StopReason Stopping() override { return ++stopCalls > stopAfter ? stop : StopReason::kNone; }
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
    std::wstring ProductName() override { return L"" LARKSPUR_PRODUCT_NAME; }
    std::wstring AppTitle() override { return L"Larkspur"; }
    std::wstring LocalTime() override { return L"2026-12-07 05:30:01"; }
    uint64_t Milliseconds() override { return 0; }          // time stands still
    [[noreturn]] void Exit(int) override { std::abort(); }  // only EndProgram calls it
};

}  // namespace larkspur::testing
