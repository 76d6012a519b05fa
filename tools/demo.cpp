// demo.exe PICTURES-FOLDER [--items ITEM...]: Larkspur at work, for a
// newcomer on any machine, run under Wine on a display (scripts/run.sh
// starts a private Xvfb when there is none).
//
// Without items it makes a small sample tree (nested folders, an empty
// folder, a hidden file, a Japanese name with a space), copies it once in
// Silent Mode with Read Only + Hidden and once interactively (the output
// folder dialog operated as a user would: a new folder, OK, and OK to
// "Succeeded!"), and prints source and copies side by side with their
// attributes. With items it starts Brisa.exe on them as Send To does, and
// closes any window that would wait for an answer nobody can give. Every
// window met is saved as a picture. A step that fails (a file of the sample
// tree that cannot be made, a run that does not start or does not succeed)
// is named, and the demo ends there with exit code 1.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "capture.h"
#include "drive.h"
#include "platform/win32/win32_platform.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using namespace larkspur;

std::wstring pictures;
int pictureCount = 0;

// A step of the demo that did not work, as the newcomer is told it.
struct Failed {
    std::wstring step;
};

void Require(bool ok, const std::wstring& step) {
    if (!ok) {
        throw Failed{step};
    }
}

// Every thread of a process suspended while this lives, so that its windows
// stay on the screen as they are.
class HeldStill {
  public:
    explicit HeldStill(DWORD pid) {
        const win32::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot.valid() && Thread32First(snapshot.get(), &entry); more;
             more = Thread32Next(snapshot.get(), &entry)) {
            HANDLE thread = entry.th32OwnerProcessID == pid
                                ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)
                                : nullptr;
            if (thread && SuspendThread(thread) != static_cast<DWORD>(-1)) {
                threads_.emplace_back(thread);
            } else if (thread) {
                CloseHandle(thread);
            }
        }
    }
    ~HeldStill() {
        for (const win32::FileHandle& thread : threads_) {
            ResumeThread(thread.get());
        }
    }
    HeldStill(const HeldStill&) = delete;
    HeldStill& operator=(const HeldStill&) = delete;

  private:
    std::vector<win32::FileHandle> threads_;
};

std::set<HWND> pictured;

// Saves one picture of the window and says what became of it.
void Picture(HWND hwnd, const std::wstring& className, const std::wstring& title) {
    if (!pictured.insert(hwnd).second) {
        return;
    }
    const std::wstring name = std::to_wstring(pictureCount + 1) + L"-" +
                              (className == L"#32770" ? L"message" : className) + L".png";
    const capture::Picture picture = capture::Capture(hwnd, pictures + L"\\" + name);
    if (picture == capture::Picture::kSaved) {
        ++pictureCount;
        wprintf(L"  picture: %ls (%ls)\n", name.c_str(), title.c_str());
    } else {
        wprintf(L"  %ls \"%ls\" %ls\n", className.c_str(), title.c_str(),
                picture == capture::Picture::kClosed ? L"closed before it could be pictured"
                                                     : L"pictured, but the file was not written");
    }
}

// Pictures each window once, then lets handler deal with it. A window that
// waits for an answer is first given time to paint.
drive::WindowHandler Pictured(const drive::WindowHandler& handler) {
    return [handler](const drive::SeenWindow& w) {
        Sleep(300);
        Picture(w.hwnd, w.className, w.title);
        return handler ? handler(w) : false;
    };
}

// The progress window lasts as long as the copy, a few hundredths of a
// second for the sample tree: too short for the rounds in which windows are
// offered. So once the output folder dialog's OK is pressed, the demo looks
// for it every millisecond until it shows or the program ends. The window
// paints itself before the copy begins, and its thread takes messages right
// after: once it has answered one (or has not within a few milliseconds,
// being in the copy), the program is held still while it is pictured.
drive::WindowHandler ProgressPictured(const drive::WindowHandler& handler) {
    return [handler](const drive::SeenWindow& w) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w.hwnd, &pid);
        const bool done = handler(w);
        if (w.className != L"LarkspurInputBox") {
            return done;  // the dialog's OK is pressed once its new folder is made
        }
        const win32::FileHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
        while (process.get() && WaitForSingleObject(process.get(), 1) == WAIT_TIMEOUT) {
            HWND progress = FindWindowW(L"LarkspurForm2", nullptr);
            DWORD owner = 0;
            GetWindowThreadProcessId(progress, &owner);
            if (progress && owner == pid && IsWindowVisible(progress)) {
                DWORD_PTR answer = 0;
                SendMessageTimeoutW(progress, WM_NULL, 0, 0, SMTO_NORMAL, 5, &answer);
                const HeldStill held(pid);
                Picture(progress, L"LarkspurForm2", L"Larkspur");
                break;
            }
        }
        return done;
    };
}

// The attributes as Windows' attrib shows them.
std::wstring Letters(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(win32::ForApi(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        return L"(none)";
    }
    return std::wstring(a & FILE_ATTRIBUTE_READONLY ? L"R " : L"- ") +
           (a & FILE_ATTRIBUTE_HIDDEN ? L"H " : L"- ") +
           (a & FILE_ATTRIBUTE_SYSTEM ? L"S " : L"- ") + (a & FILE_ATTRIBUTE_ARCHIVE ? L"A" : L"-");
}

// The name padded to a column of 30 as a terminal shows it: Japanese
// characters (and the other wide ones) take two places.
std::wstring Column(const std::wstring& name) {
    size_t width = 0;
    for (const wchar_t c : name) {
        width += (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6)
                     ? 2
                     : 1;
    }
    return name + std::wstring(width < 30 ? 30 - width : 0, L' ');
}

void Write(const fs::path& path, const char* text) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    FILE* f = _wfopen(path.c_str(), L"wb");
    Require(f && fputs(text, f) >= 0 && fclose(f) == 0,
            L"making the sample file " + path.wstring());
}

// A run that does not end with exit code 0 ends the demo.
void Check(const drive::Run& run, const wchar_t* step) {
    Require(run.exitCode != STILL_ACTIVE, std::wstring(step) + L": Brisa.exe did not start");
    Require(!run.timedOut, std::wstring(step) + L": Brisa.exe did not end within a minute");
    Require(run.exitCode == 0,
            std::wstring(step) + L" ended with exit code " + std::to_wstring(run.exitCode));
}

std::wstring Report(const drive::Run& run) {
    std::wstring text = L"exit code " + std::to_wstring(run.exitCode);
    for (const drive::SeenWindow& m : run.messages) {
        text += L", message \"" + m.text + L"\"";
    }
    return text + (run.messages.empty() ? L", no message" : L"");
}

int Demo(const fs::path& exe) {
    const fs::path root = fs::temp_directory_path() / L"larkspur-demo";
    scratch::RemoveTree(root.wstring());
    const fs::path app = root / L"Larkspur", docs = root / L"Docs";
    const fs::path silent = root / L"Silent copies", interactive = root / L"Interactive copies";
    fs::create_directories(app);
    fs::copy_file(exe, app / L"Brisa.exe");
    Write(docs / L"Proj\\notes.txt", "notes");
    Write(docs / L"Proj\\Sub\\deep.txt", "deep");
    Write(docs / L"Proj\\hidden.txt", "hidden");
    Require(SetFileAttributesW((docs / L"Proj\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN),
            L"hiding the sample file Proj\\hidden.txt");
    fs::create_directories(docs / L"Proj\\Empty");
    Write(docs / L"出力 メモ.txt", "memo");
    const std::wstring ini = (app / L"Brisa.ini").wstring(),
                       items = L"\"" + (docs / L"Proj").wstring() + L"\" \"" +
                               (docs / L"出力 メモ.txt").wstring() + L"\"";
    const std::map<std::wstring, std::wstring> settings = {
        {L"Use", L"1"},      {L"Location", silent.wstring()},
        {L"Force", L"1"},    {L"Attributes", L"1"},
        {L"ReadOnly", L"1"}, {L"Hidden", L"1"}};
    for (const auto& [key, value] : settings) {
        Require(WritePrivateProfileStringW(L"Silent", key.c_str(), value.c_str(), ini.c_str()),
                L"writing the settings " + ini);
    }
    wprintf(L"Sample tree: %ls\nSilent Mode run (Read Only + Hidden) into %ls\n", docs.c_str(),
            silent.c_str());
    const drive::Run quiet =
        drive::RunProgram((app / L"Brisa.exe").wstring(), items, app.wstring(), Pictured(nullptr));
    wprintf(L"  %ls\n", Report(quiet).c_str());
    Check(quiet, L"The Silent Mode run");

    Require(WritePrivateProfileStringW(L"Silent", L"Use", L"0", ini.c_str()),
            L"writing the settings " + ini);
    wprintf(
        L"Interactive run: the dialog opens in %ls, New Folder \"..\\Interactive copies\", "
        L"OK\n",
        app.c_str());
    const drive::Run asked = drive::RunProgram(
        (app / L"Brisa.exe").wstring(), items, app.wstring(),
        Pictured(ProgressPictured(drive::OperateDialog(L"..\\Interactive copies", L"OK(&O)"))));
    wprintf(L"  %ls\n\n", Report(asked).c_str());
    Check(asked, L"The interactive run");

    wprintf(L"%-30ls %-9ls %-13ls %ls\n", L"file", L"source", L"Silent Mode", L"interactive");
    for (const auto& entry : fs::recursive_directory_iterator(docs)) {
        const std::wstring relative = entry.path().lexically_relative(docs).wstring();
        if (entry.is_directory()) {
            if (fs::is_empty(entry.path())) {
                wprintf(L"%ls an empty folder: not made in the copies\n",
                        Column(relative + L"\\").c_str());
            }
            continue;
        }
        const std::wstring below =
            relative.rfind(L"Proj", 0) == 0 ? relative : entry.path().filename().wstring();
        wprintf(L"%ls %-9ls %-13ls %ls\n", Column(relative).c_str(),
                Letters(entry.path().wstring()).c_str(),
                Letters((silent / below).wstring()).c_str(),
                Letters((interactive / below).wstring()).c_str());
    }
    wprintf(L"(R H S A as Windows' attrib shows them; under Wine every file shows A.)\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_U8TEXT);
    if (argc < 2) {
        fwprintf(stderr, L"usage: demo PICTURES-FOLDER [--items ITEM...]\n");
        return 2;
    }
    pictures = argv[1];
    fs::create_directories(pictures);
    const fs::path exe = fs::path(win32::ModulePath(nullptr)).parent_path() / L"Brisa.exe";
    if (argc == 2) {
        try {
            return Demo(exe);
        } catch (const Failed& failed) {
            wprintf(L"The demo stopped: %ls.\n", failed.step.c_str());
        } catch (const std::exception& error) {
            wprintf(L"The demo stopped: %hs.\n", error.what());
        }
        return 1;
    }
    std::wstring items;
    for (int i = 3; i < argc; ++i) {
        const std::wstring item = argv[i];
        items += (i > 3 ? L" " : L"") +
                 (item.find(L' ') == std::wstring::npos ? item : L"\"" + item + L"\"");
    }
    // Without a display nobody can answer a window: each one is pictured,
    // named, and closed (Cancel or its close box).
    const drive::Run run = drive::RunProgram(
        exe.wstring(), items, exe.parent_path().wstring(), Pictured([](const drive::SeenWindow& w) {
            if (w.className.rfind(L"Larkspur", 0) != 0 || w.className == L"LarkspurForm2") {
                return false;  // messages get their default button; progress needs none
            }
            wprintf(
                L"  \"%ls\" would wait for an answer nobody can give; closed. Run with a "
                L"display (DISPLAY) to answer it, or set Silent Mode in "
                L"build\\mingw\\bin\\Brisa.ini.\n",
                w.title.c_str());
            PostMessageW(w.hwnd, WM_CLOSE, 0, 0);
            return true;
        }));
    if (run.exitCode == STILL_ACTIVE) {
        wprintf(L"Brisa.exe did not start.\n");
        return 1;
    }
    wprintf(L"  %ls\n", Report(run).c_str());
    return static_cast<int>(run.exitCode);
}
