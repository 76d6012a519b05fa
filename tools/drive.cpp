#include "drive.h"

#include <memory>

#include "platform/win32/handles.h"

namespace larkspur::drive {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

// WM_GETTEXT crosses processes where GetWindowText does not; the timeout
// keeps a hung window from hanging the caller.
std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
    return text;
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

HWND FindChild(HWND window, const wchar_t* className, const wchar_t* caption) {
    HWND child = GetWindow(window, GW_CHILD);
    while (child && ((className && _wcsicmp(ClassOf(child).c_str(), className)) ||
                     (caption && TextOf(child) != caption))) {
        child = GetWindow(child, GW_HWNDNEXT);
    }
    return child;
}

void OfferWindows(DWORD pid, std::set<HWND>& seen, const WindowHandler& handler,
                  std::vector<SeenWindow>& messages, std::mutex& lock) {
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != pid || !IsWindowVisible(hwnd) || seen.count(hwnd)) {
            continue;
        }
        // The title as the window system keeps it: asking the window would
        // wait until its thread takes messages, and the progress window's
        // does not while the copy runs.
        wchar_t title[256] = {};
        InternalGetWindowText(hwnd, title, 256);
        SeenWindow window{hwnd, ClassOf(hwnd), title, L""};
        const bool box = window.className == L"#32770";
        for (HWND child = GetWindow(hwnd, GW_CHILD); box && child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            window.text += _wcsicmp(ClassOf(child).c_str(), L"Static") ? L"" : TextOf(child);
        }
        if (box) {
            std::lock_guard guard(lock);
            messages.push_back(window);
        }
        if (handler && handler(window)) {
            seen.insert(hwnd);
        } else if (box && seen.insert(hwnd).second) {
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        }
    }
}

Run RunProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
               const WindowHandler& handler) {
    Run run;
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        return run;
    }
    const win32::FileHandle owned(process.hProcess), thread(process.hThread);
    std::set<HWND> seen;
    std::mutex lock;
    for (const ULONGLONG end = GetTickCount64() + 60000;
         WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT;) {
        if (GetTickCount64() > end && !run.timedOut) {
            run.timedOut = true;
            TerminateProcess(process.hProcess, 0xDEAD);
        }
        OfferWindows(process.dwProcessId, seen, handler, run.messages, lock);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    return run;
}

WindowHandler OperateDialog(const std::wstring& newFolder, const wchar_t* button) {
    auto dialog = std::make_shared<HWND>(nullptr);
    return [=](const SeenWindow& w) {
        if (w.className == L"LarkspurOutForm") {
            *dialog = w.hwnd;
            Click(FindChild(w.hwnd, L"Button", newFolder.empty() ? button : L"New Folder >>"));
        } else if (w.className == L"LarkspurInputBox") {
            SendMessageW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(newFolder.c_str()));
            Click(FindChild(w.hwnd, L"Button", L"OK"));
            Click(FindChild(*dialog, L"Button", button));  // once the new folder is open
        }
        return w.className != L"#32770";
    };
}

}  // namespace larkspur::drive
