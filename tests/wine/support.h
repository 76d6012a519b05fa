// Helpers of the tests that run under Wine: real files in a scratch folder,
// a private copy of Brisa.exe per test (its settings file lives beside it),
// and starting it as the shell does, answering its windows meanwhile.
//
// Wine facts the tests rely on, where they do:
// - Archive always reads as set on files;
// - Hidden and System are kept in the user.DOSATTRIB extended attribute, so
//   the build folder must be on a file system with user xattrs;
// - a headless prefix (null graphics driver) still creates every window, so
//   message boxes block until something answers them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "scratch.h"
#include "ui/form.h"

namespace larkspur::wine_test {

// The folder that holds the test executables and Brisa.exe.
std::wstring BinDir();

// A fresh, empty folder for one test: %TEMP%\larkspur-tests\name.
std::wstring ScratchDir(const std::wstring& name);

using scratch::RemoveTree;

void WriteText(const std::wstring& path, const std::string& content);
std::string ReadText(const std::wstring& path);
bool Exists(const std::wstring& path);
DWORD Attributes(const std::wstring& path);

// Files below folder, as paths relative to it, sorted.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);

// The process as the program's windows see it, with the program's folder
// (and so Brisa.ini) and the running executable's path set by the test, and
// the product name of the real resources.
class ScratchProcess : public win32::Win32Process {
  public:
    std::wstring folder;  // empty: the real one
    std::wstring path;    // empty: the real one
    std::wstring ProgramFolder() override {
        return folder.empty() ? Win32Process::ProgramFolder() : folder;
    }
    std::wstring ProgramPath() override {
        return path.empty() ? Win32Process::ProgramPath() : path;
    }
    std::wstring ProductName() override { return L"Larkspur Ver.1.52"; }
    std::wstring AppTitle() override { return L"Larkspur"; }
};

// A control's rectangle in its parent's client area.
RECT RectIn(HWND parent, HWND control);

// Checks a loaded form against its table at the form's DPI: caption and
// client size;
// every control's position within its frame, size and caption; that every
// caption fits its control; and that the z-order, which Tab follows, is the
// table's tab order with the frames below everything.
void ExpectTableLayout(const ui::Form& form);

// A private copy of Brisa.exe in its own folder.
struct Install {
    std::wstring dir;  // with no trailing backslash
    std::wstring exe;
    std::wstring ini;
    // Writes one setting into Brisa.ini.
    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;
};
Install MakeInstall(const std::wstring& name);

// A test with its own install of Brisa.exe, in a scratch folder named after
// the test, and the folders beside the install: root (their parent), docs
// for the items to send and out for the copies (neither made yet).
class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override;
    Install install;
    std::wstring root, docs, out;
};

// A window of the program, seen once while it runs.
struct SeenWindow {
    HWND hwnd;
    std::wstring className;
    std::wstring title;
    std::wstring text;  // a message box's text (its static controls, joined)
};

// What a test does with a window of the running program; return true when
// the window was dealt with (it is not offered again).
using WindowHandler = std::function<bool(const SeenWindow&)>;

struct RunResult {
    DWORD exitCode = STILL_ACTIVE;
    bool timedOut = false;
    std::vector<SeenWindow> messages;  // every dialog-class window, in order seen
    bool SawMessage(const std::wstring& text) const;
};

// Starts exe with the command line "exe" arguments, exactly as the shell
// starts a Send To target, and waits for it to end. Every dialog-class window
// (message boxes, the shell's own dialogs) is recorded and answered with its
// default button unless handler deals with it first; other visible windows
// go to handler only.
RunResult RunBrisa(const Install& install, const std::wstring& arguments,
                   const WindowHandler& handler = nullptr, DWORD timeoutMs = 60000);

// The output folder dialog of a running Brisa.exe operated from outside, as a
// user would: when newFolder is not empty, "New Folder >>" with that answer
// (relative to the folder the dialog opened at), then button.
WindowHandler OperateDialog(const std::wstring& newFolder, const wchar_t* button);

// Deals with the windows of this process from a second thread, as RunBrisa
// does with another process's, while a test drives one of the program's
// modal windows on its own thread: message boxes are recorded and answered
// with their default button unless handler deals with them first. Handlers
// run on the watcher's thread: they post messages rather than send them.
class WindowWatcher {
  public:
    explicit WindowWatcher(WindowHandler handler = nullptr);
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;
    // The message boxes seen so far, in order.
    std::vector<SeenWindow> Messages();

  private:
    struct Thread;
    std::unique_ptr<Thread> t_;
};

// Presses a button of another process's window.
void Click(HWND button);
// The child control of window whose text is caption, or of class className.
HWND FindChild(HWND window, const wchar_t* className, const wchar_t* caption);

}  // namespace larkspur::wine_test
