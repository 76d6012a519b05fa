// Helpers of the tests that run under Wine: scratch files, a private copy
// of Brisa.exe per test, its windows answered, the layout check. Wine fact
// relied on: a headless prefix (null graphics driver) still makes every
// window, so a message box waits until something answers it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "drive.h"
#include "scratch.h"
#include "platform/win32/win32_platform.h"
#include "ui/form.h"
#include "version.h"

namespace larkspur::wine_test {

constexpr DWORD kRhs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::wstring BinDir();      // the test executables and Brisa.exe
std::wstring ScratchDir();  // fresh and empty, named after the running test
void WriteText(const std::wstring& path, const std::string& content);  // folders made too
std::string ReadText(const std::wstring& path);
DWORD Attributes(const std::wstring& path);
// Keys of folder\Brisa.ini: "key|..." read as "value|..."; "key=value|..."
// written into a section.
std::wstring Ini(const std::wstring& folder, const wchar_t* section, const std::wstring& keys);
void WriteIni(const std::wstring& folder, const wchar_t* section, const std::wstring& settings);
// Message boxes as "title: text" lines.
std::wstring Said(const std::vector<drive::SeenWindow>& messages);

// The process as the windows see it: its folder (and so Brisa.ini) set by
// the test, and the program's names (the test executable has none).
struct ScratchProcess : win32::Win32Process {
    std::wstring folder;
    std::wstring ProgramFolder() override { return folder; }
    std::wstring ProductName() override { return L"" LARKSPUR_PRODUCT_NAME; }
    std::wstring AppTitle() override { return L"Larkspur"; }
};

using namespace drive;  // the tests drive windows as the tools do
using scratch::FilesBelow;

// Deals with this process's windows from a second thread while the test
// drives a modal window; handlers post messages rather than send them.
class WindowWatcher {
  public:
    explicit WindowWatcher(WindowHandler handler = nullptr);
    std::wstring Said();  // the message boxes seen so far, as Said gives them

  private:
    std::mutex lock_;
    std::vector<SeenWindow> messages_;
    std::jthread thread_;  // last, so that it stops first
};

// A test with its own Brisa.exe in root\app (or the unpacked release's in
// LARKSPUR_RELEASE_DIR), docs for the items to send, out for the copies.
class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override;
    using Run = drive::Run;
    // Brisa.exe started with "exe" arguments, as the shell starts it.
    Run RunBrisa(const std::wstring& arguments, const WindowHandler& handler = nullptr) {
        return drive::RunProgram(exe, arguments, app, handler);
    }
    std::wstring root, app, exe, ini, docs, out;
};

// Checks a loaded form at its DPI against where its controls belong at 96
// DPI, written apart from the form's table ("WxH" of the client, then
// "left,top,width,height" per row in row order; the rows in tab order),
// and that every caption fits its control in the font it got.
void ExpectLayout(const ui::Form& form, const char* rects, const char* tabOrder);

}  // namespace larkspur::wine_test
