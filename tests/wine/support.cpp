#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "platform/win32/win32_platform.h"
#include "scratch.h"

namespace larkspur::wine_test {

using win32::ForApi;

namespace {

struct EnumState {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state->pid) {
        state->windows.push_back(hwnd);
    }
    return TRUE;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, ARRAYSIZE(name));
    return name;
}

std::wstring TextOf(HWND hwnd) {
    // WM_GETTEXT is marshalled between processes, GetWindowText is not for
    // controls of other processes.
    // A timeout, so that a window whose thread has stopped answering cannot
    // hang the test.
    DWORD_PTR n = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &n);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(wcslen(text.c_str()));
    return text;
}

BOOL CALLBACK CollectStatics(HWND hwnd, LPARAM param) {
    auto* text = reinterpret_cast<std::wstring*>(param);
    if (_wcsicmp(ClassOf(hwnd).c_str(), L"Static") == 0) {
        const std::wstring piece = TextOf(hwnd);
        if (!piece.empty()) {
            if (!text->empty()) {
                *text += L"\n";
            }
            *text += piece;
        }
    }
    return TRUE;
}

struct FindState {
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindMatching(HWND hwnd, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    if ((!state->className || _wcsicmp(ClassOf(hwnd).c_str(), state->className) == 0) &&
        (!state->caption || TextOf(hwnd) == state->caption)) {
        state->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// One look at the top-level windows of process pid: every visible one not
// seen before is recorded (dialog-class ones in messages) and offered to
// handler; dialogs the handler leaves are answered with their default button.
void OfferWindows(DWORD pid, std::set<HWND>& handled, const WindowHandler& handler,
                  std::vector<SeenWindow>& messages, std::mutex* lock = nullptr) {
    EnumState state{pid, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&state));
    for (HWND hwnd : state.windows) {
        if (handled.count(hwnd) || !IsWindowVisible(hwnd)) {
            continue;
        }
        SeenWindow seen{hwnd, ClassOf(hwnd), TextOf(hwnd), L""};
        const bool dialog = seen.className == L"#32770";
        if (dialog) {
            EnumChildWindows(hwnd, CollectStatics, reinterpret_cast<LPARAM>(&seen.text));
            if (lock) {
                std::lock_guard<std::mutex> guard(*lock);
                messages.push_back(seen);
            } else {
                messages.push_back(seen);
            }
        }
        if (handler && handler(seen)) {
            handled.insert(hwnd);
        } else if (dialog) {
            // The default button: OK for the program's own message boxes.
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
            handled.insert(hwnd);
        }
    }
}

}  // namespace

std::wstring BinDir() {
    const std::wstring exe = win32::ModulePath(nullptr);
    return exe.substr(0, exe.find_last_of(L'\\'));
}

std::wstring ScratchDir(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"larkspur-tests";
    CreateDirectoryW(root.c_str(), nullptr);
    const std::wstring dir = root + L"\\" + name;
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void WriteText(const std::wstring& path, const std::string& content) {
    const size_t slash = path.find_last_of(L'\\');
    for (size_t i = path.find(L'\\', 3); i != std::wstring::npos && i <= slash;
         i = path.find(L'\\', i + 1)) {
        CreateDirectoryW(ForApi(path.substr(0, i)).c_str(), nullptr);
    }
    HANDLE h = CreateFileW(ForApi(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot write the test file";
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

std::string ReadText(const std::wstring& path) {
    HANDLE h = CreateFileW(ForApi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string content(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    ReadFile(h, content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(h);
    content.resize(read);
    return content;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::vector<std::wstring> pending{L""};
    while (!pending.empty()) {
        const std::wstring relative = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(ForApi(folder + L"\\" + relative + L"*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                pending.push_back(relative + name + L"\\");
            } else {
                files.push_back(relative + name);
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void Install::Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    WritePrivateProfileStringW(section, key, value.c_str(), ini.c_str());
}

Install MakeInstall(const std::wstring& name) {
    Install install;
    install.dir = ScratchDir(name) + L"\\app";
    CreateDirectoryW(install.dir.c_str(), nullptr);
    install.exe = install.dir + L"\\Brisa.exe";
    install.ini = install.dir + L"\\Brisa.ini";
    EXPECT_TRUE(CopyFileW((BinDir() + L"\\Brisa.exe").c_str(), install.exe.c_str(), FALSE));
    return install;
}

void InstallTest::SetUp() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    install = MakeInstall(std::wstring(name.begin(), name.end()));
    root = install.dir.substr(0, install.dir.find_last_of(L'\\'));
    docs = root + L"\\Docs";
    out = root + L"\\Out";
}

bool RunResult::SawMessage(const std::wstring& text) const {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const SeenWindow& w) { return w.text == text; });
}

RunResult RunBrisa(const Install& install, const std::wstring& arguments,
                   const WindowHandler& handler, DWORD timeoutMs) {
    RunResult result;
    std::wstring commandLine = L"\"" + install.exe + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(install.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, install.dir.c_str(), &startup, &process)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return result;
    }
    std::set<HWND> handled;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() > deadline) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
            break;
        }
        OfferWindows(process.dwProcessId, handled, handler, result.messages);
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

WindowHandler OperateDialog(const std::wstring& newFolder, const wchar_t* button) {
    auto dialog = std::make_shared<HWND>(nullptr);
    return [=](const SeenWindow& w) {
        if (w.className == L"LarkspurOutForm") {
            *dialog = w.hwnd;
            Click(FindChild(w.hwnd, L"Button", newFolder.empty() ? button : L"New Folder >>"));
            return true;
        }
        if (w.className == L"LarkspurInputBox") {
            SendMessageW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(newFolder.c_str()));
            Click(FindChild(w.hwnd, L"Button", L"OK"));
            // Handled by the dialog once the input box has closed and the
            // new folder is open.
            Click(FindChild(*dialog, L"Button", button));
            return true;
        }
        return false;
    };
}

struct WindowWatcher::Thread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<SeenWindow> messages;
};

WindowWatcher::WindowWatcher(WindowHandler handler) : t_(new Thread) {
    Thread* t = t_.get();
    t->thread = std::thread([t, handler] {
        std::set<HWND> handled;
        while (!t->stop) {
            OfferWindows(GetCurrentProcessId(), handled, handler, t->messages, &t->lock);
            Sleep(20);
        }
    });
}

WindowWatcher::~WindowWatcher() {
    t_->stop = true;
    t_->thread.join();
}

std::vector<SeenWindow> WindowWatcher::Messages() {
    std::lock_guard<std::mutex> guard(t_->lock);
    return t_->messages;
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT RectIn(HWND parent, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectTableLayout(const ui::Form& form) {
    using ui::Kind;
    const ui::FormSpec& spec = form.spec();
    HWND hwnd = form.hwnd();
    ASSERT_NE(hwnd, nullptr);
    // At another DPI a position inside a frame is the scaled sum less the
    // scaled frame position, which may round one pixel away.
    const UINT dpi = form.dpi();
    const int slack = dpi == 96 ? 0 : 1;
    auto scaled = [dpi](int value) { return ui::Scale(value, dpi); };
    EXPECT_EQ(ui::TextOf(hwnd), spec.caption);
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, scaled(spec.clientWidth));
    EXPECT_EQ(client.bottom, scaled(spec.clientHeight));

    HDC dc = GetDC(hwnd);
    std::vector<const ui::ControlRow*> tabbed;
    for (const ui::ControlRow& row : spec.controls) {
        const std::string name = "row " + std::to_string(row.id);
        HWND control = form.Control(row.id);
        ASSERT_NE(control, nullptr) << name;
        const RECT r = RectIn(hwnd, control);
        const RECT frame =
            row.frame != ui::kNoFrame ? RectIn(hwnd, form.Control(row.frame)) : RECT{};
        EXPECT_NEAR(r.left - frame.left, scaled(row.left), slack) << name;
        EXPECT_NEAR(r.top - frame.top, scaled(row.top), slack) << name;
        EXPECT_EQ(r.right - r.left, scaled(row.width)) << name;
        // A drop-down's box is as tall as its font and 16-pixel icons need.
        if (row.kind == Kind::DriveList) {
            EXPECT_NEAR(r.bottom - r.top, scaled(row.height), scaled(2)) << name;
        } else {
            EXPECT_EQ(r.bottom - r.top, scaled(row.height)) << name;
        }
        if (row.kind == Kind::GroupBox) {
            continue;
        }
        tabbed.push_back(&row);
        if (row.kind == Kind::Edit || row.kind == Kind::DriveList || row.kind == Kind::FolderList) {
            continue;
        }
        if (row.caption) {
            EXPECT_EQ(ui::TextOf(control), row.caption) << name;
        }
        // The text beside a box's square, or inside a button's edges.
        std::wstring caption = ui::TextOf(control);
        std::erase(caption, L'&');
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        const int room = row.kind == Kind::CheckBox                          ? row.width - 17
                         : row.kind == Kind::Label || row.kind == Kind::Link ? row.width
                                                                             : row.width - 6;
        EXPECT_LE(extent.cx, scaled(room)) << name;
        EXPECT_LE(tm.tmHeight, scaled(row.height)) << name;
    }
    ReleaseDC(hwnd, dc);

    std::stable_sort(
        tabbed.begin(), tabbed.end(),
        [](const ui::ControlRow* a, const ui::ControlRow* b) { return a->tab < b->tab; });
    HWND next = GetWindow(hwnd, GW_CHILD);
    for (const ui::ControlRow* row : tabbed) {
        EXPECT_EQ(next, form.Control(row->id)) << "row " << row->id << " at tab " << row->tab;
        next = GetWindow(next, GW_HWNDNEXT);
    }
    for (; next; next = GetWindow(next, GW_HWNDNEXT)) {
        const ui::ControlRow* row = nullptr;
        for (const ui::ControlRow& r : spec.controls) {
            row = form.Control(r.id) == next ? &r : row;
        }
        EXPECT_TRUE(row && row->kind == Kind::GroupBox) << "only frames lie below the rest";
    }
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

HWND FindChild(HWND window, const wchar_t* className, const wchar_t* caption) {
    FindState state{className, caption, nullptr};
    EnumChildWindows(window, FindMatching, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

}  // namespace larkspur::wine_test

// The Windows build links with -municode (wide entry points everywhere), so
// the tests bring their own wide main instead of gtest_main's.
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
