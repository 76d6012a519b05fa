#include "support.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "scratch.h"

namespace larkspur::wine_test {

using win32::ForApi;

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, ARRAYSIZE(name));
    return name;
}

// WM_GETTEXT crosses processes where GetWindowText does not; the timeout
// keeps a hung window from hanging the test.
std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

// One look at the visible top-level windows of process pid not handled
// yet: each is offered to handler; message boxes ("#32770") are recorded
// and, when the handler leaves them, answered with their default button.
void OfferWindows(DWORD pid, std::set<HWND>& handled, const WindowHandler& handler,
                  std::vector<SeenWindow>& messages, std::mutex& lock) {
    std::vector<HWND> windows;
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd) && !handled.count(hwnd)) {
            windows.push_back(hwnd);
        }
    }
    for (HWND hwnd : windows) {
        SeenWindow seen{hwnd, ClassOf(hwnd), TextOf(hwnd), L""};
        const bool box = seen.className == L"#32770";
        for (HWND child = GetWindow(hwnd, GW_CHILD); box && child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && !TextOf(child).empty()) {
                seen.text += (seen.text.empty() ? L"" : L"\n") + TextOf(child);
            }
        }
        if (box) {
            std::lock_guard guard(lock);
            messages.push_back(seen);
        }
        if (handler && handler(seen)) {
            handled.insert(hwnd);
        } else if (box) {
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

std::wstring ScratchDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    std::replace(name.begin(), name.end(), '/', '-');
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir =
        std::wstring(temp) + L"larkspur-tests\\" + std::wstring(name.begin(), name.end());
    scratch::RemoveTree(dir);
    CreateDirectoryW((std::wstring(temp) + L"larkspur-tests").c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void WriteText(const std::wstring& path, const std::string& content) {
    for (size_t i = path.find(L'\\', 3); i != std::wstring::npos; i = path.find(L'\\', i + 1)) {
        CreateDirectoryW(ForApi(path.substr(0, i)).c_str(), nullptr);
    }
    const win32::FileHandle h(CreateFileW(ForApi(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(h.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
}

std::string ReadText(const std::wstring& path) {
    const win32::FileHandle h(CreateFileW(ForApi(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    std::string content(h.valid() ? GetFileSize(h.get(), nullptr) : 0, '\0');
    DWORD read = 0;
    ReadFile(h.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr);
    return content.substr(0, read);
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(ForApi(path).c_str());
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files, pending{L""};
    while (!pending.empty()) {
        const std::wstring relative = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        const win32::FindHandle find(
            FindFirstFileW(ForApi(folder + L"\\" + relative + L"*").c_str(), &data));
        for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &data)) {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") {
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? pending : files)
                    .push_back(relative + name + (data.dwFileAttributes & 0x10 ? L"\\" : L""));
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring Ini(const std::wstring& folder, const wchar_t* section, const wchar_t* key) {
    wchar_t value[300] = {};
    GetPrivateProfileStringW(section, key, L"(none)", value, 300,
                             (folder + L"\\Brisa.ini").c_str());
    return value;
}

struct WindowWatcher::Thread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<SeenWindow> messages;
};

WindowWatcher::WindowWatcher(WindowHandler handler) : t_(new Thread) {
    t_->thread = std::thread([t = t_.get(), handler] {
        std::set<HWND> handled;
        for (; !t->stop; Sleep(20)) {
            OfferWindows(GetCurrentProcessId(), handled, handler, t->messages, t->lock);
        }
    });
}

WindowWatcher::~WindowWatcher() {
    t_->stop = true;
    t_->thread.join();
}

std::vector<SeenWindow> WindowWatcher::Messages() {
    std::lock_guard guard(t_->lock);
    return t_->messages;
}

void InstallTest::SetUp() {
    root = ScratchDir();
    app = root + L"\\app";
    exe = app + L"\\Brisa.exe";
    ini = app + L"\\Brisa.ini";
    docs = root + L"\\Docs";
    out = root + L"\\Out";
    CreateDirectoryW(app.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((BinDir() + L"\\Brisa.exe").c_str(), exe.c_str(), FALSE));
}

void InstallTest::Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(section, key, value.c_str(), ini.c_str());
}

InstallTest::Run InstallTest::RunBrisa(const std::wstring& arguments,
                                       const WindowHandler& handler) {
    Run run;
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        app.c_str(), &startup, &process)) {
        ADD_FAILURE() << "CreateProcess failed: " << GetLastError();
        return run;
    }
    const win32::FileHandle owned(process.hProcess), thread(process.hThread);
    std::set<HWND> handled;
    std::mutex lock;
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount64() > deadline) {
            ADD_FAILURE() << "Brisa.exe did not end";
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        OfferWindows(process.dwProcessId, handled, handler, run.messages, lock);
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
            return true;
        }
        if (w.className != L"LarkspurInputBox") {
            return false;
        }
        SendMessageW(FindChild(w.hwnd, L"Edit", nullptr), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(newFolder.c_str()));
        Click(FindChild(w.hwnd, L"Button", L"OK"));
        Click(FindChild(*dialog, L"Button", button));  // handled once the new folder is open
        return true;
    };
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

HWND FindChild(HWND window, const wchar_t* className, const wchar_t* caption) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((!className || _wcsicmp(ClassOf(child).c_str(), className) == 0) &&
            (!caption || TextOf(child) == caption)) {
            return child;
        }
    }
    return nullptr;
}

void ExpectLayout(const ui::Form& form, const char* rects, const char* tabOrder) {
    HWND hwnd = form.hwnd();
    ASSERT_NE(hwnd, nullptr);
    const UINT dpi = form.dpi();
    auto scaled = [dpi](int value) { return ui::Scale(value, dpi); };
    RECT client;
    GetClientRect(hwnd, &client);
    std::istringstream expected(rects);
    int width = 0, height = 0;
    char x;
    expected >> width >> x >> height;
    EXPECT_EQ(client.right, scaled(width));
    EXPECT_EQ(client.bottom, scaled(height));
    const win32::WindowDc dc(hwnd);
    for (const ui::ControlRow& row : form.spec().controls) {
        HWND control = form.Control(row.id);
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        int left, top, w, h;
        char comma;
        expected >> left >> comma >> top >> comma >> w >> comma >> h;
        // At another DPI a sum of scaled parts may round one pixel away; a
        // drop-down's box is as tall as its font and icons need.
        const int slack = dpi == 96 ? 0 : 1, tall = row.kind == ui::Kind::DriveList ? 4 : slack;
        EXPECT_NEAR(r.left, scaled(left), slack) << "row " << row.id;
        EXPECT_NEAR(r.top, scaled(top), slack) << "row " << row.id;
        EXPECT_EQ(r.right - r.left, scaled(w)) << "row " << row.id;
        EXPECT_NEAR(r.bottom - r.top, scaled(h), tall) << "row " << row.id;
        if (row.kind == ui::Kind::GroupBox || row.kind == ui::Kind::Edit ||
            row.kind == ui::Kind::DriveList || row.kind == ui::Kind::FolderList) {
            continue;
        }
        // The caption beside a box's square, or inside a button's edges.
        wchar_t caption[256] = {};
        GetWindowTextW(control, caption, 256);
        std::wstring text = caption;
        std::erase(text, L'&');
        const win32::Selection font(
            dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        TEXTMETRICW tm;
        GetTextMetricsW(dc.get(), &tm);
        const int room = row.kind == ui::Kind::CheckBox                              ? w - 17
                         : row.kind == ui::Kind::Label || row.kind == ui::Kind::Link ? w
                                                                                     : w - 6;
        EXPECT_LE(extent.cx, scaled(room)) << "row " << row.id;
        EXPECT_LE(tm.tmHeight, scaled(h)) << "row " << row.id;
    }
    // Tab walks the z-order: the rows in tab order, then only frames.
    std::istringstream tabs(tabOrder);
    HWND next = GetWindow(hwnd, GW_CHILD);
    for (int id; tabs >> id; next = GetWindow(next, GW_HWNDNEXT)) {
        EXPECT_EQ(next, form.Control(id)) << "row " << id << " in tab order";
    }
    for (; next; next = GetWindow(next, GW_HWNDNEXT)) {
        EXPECT_EQ(ClassOf(next), L"Button") << "only frames lie below the rest";
        EXPECT_TRUE((GetWindowLongPtrW(next, GWL_STYLE) & 0xF) == BS_GROUPBOX);
    }
}

}  // namespace larkspur::wine_test

// The Windows build links with -municode (wide entry points everywhere), so
// the tests bring their own wide main instead of gtest_main's.
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
