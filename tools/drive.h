// Driving Brisa.exe from outside, as a user would: starting it as the shell
// starts a Send To target and answering the windows it shows. Used by the
// Wine tests and by the demo.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace larkspur::drive {

// A top-level window of a running program, seen once.
struct SeenWindow {
    HWND hwnd;
    std::wstring className, title, text;  // text: a message box's
};
// Deals with a window; true when it did. Message boxes it leaves are
// answered with their default button.
using WindowHandler = std::function<bool(const SeenWindow&)>;

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);  // also of another process's window
void Click(HWND button);
HWND FindChild(HWND window, const wchar_t* className, const wchar_t* caption);

// One look at the visible top-level windows of process pid not seen yet:
// each goes to handler; message boxes are added to messages (under lock).
void OfferWindows(DWORD pid, std::set<HWND>& seen, const WindowHandler& handler,
                  std::vector<SeenWindow>& messages, std::mutex& lock);

struct Run {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<SeenWindow> messages;  // every message box, in order
    bool timedOut = false;
};
// exe started in folder with the command line "exe" arguments, its windows
// offered to handler until it ends (or is ended after a minute).
Run RunProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
               const WindowHandler& handler);

// The output folder dialog operated: New Folder with newFolder (unless
// empty), then the button.
WindowHandler OperateDialog(const std::wstring& newFolder, const wchar_t* button);

}  // namespace larkspur::drive
