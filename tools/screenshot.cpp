// screenshot.exe WINDOW OUT.png: shows one of the program's windows and
// saves a picture of it, frame included. Run under Wine with a real display
// (scripts/screenshot.sh starts Xvfb), as the window is copied off the
// screen; the PNG is written without any
// library, as uncompressed deflate blocks.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

#include "app/machine.h"
#include "capture.h"
#include "platform/win32/win32_platform.h"
#include "ui/input_box.h"
#include "ui/output_folder_dialog.h"
#include "ui/progress_window.h"
#include "ui/settings_window.h"

namespace {

// Modal windows are pictured from a timer inside their own message loop.
const wchar_t* g_modalClass = nullptr;
const wchar_t* g_modalPath = nullptr;
bool g_captured = false;

void CALLBACK CaptureModal(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND hwnd = FindWindowW(g_modalClass, nullptr);
    if (!hwnd) {
        return;
    }
    KillTimer(nullptr, timer);
    g_captured =
        larkspur::capture::Capture(hwnd, g_modalPath) == larkspur::capture::Picture::kSaved;
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

// The settings window reads Brisa.ini beside the program; here the program's
// folder is a temporary one holding a representative settings file.
// For the other windows it is the real one.
class ShotProcess : public larkspur::win32::Win32Process {
  public:
    std::wstring folder;
    std::wstring ProgramFolder() override {
        return folder.empty() ? Win32Process::ProgramFolder() : folder;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        fwprintf(stderr, L"usage: screenshot form1|form2|outform|inputbox OUT.png\n");
        return 2;
    }
    const std::wstring which = argv[1];
    using namespace larkspur;
    ShotProcess process;
    app::Win32Machine machine(process);
    Platform& platform = machine.platform;
    std::optional<ui::SettingsWindow> form1;  // made once its settings file is in place
    ui::ProgressWindow form2(process);
    ui::OutputFolderDialog outForm(platform, {});
    HWND hwnd = nullptr;
    if (which == L"form1") {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        process.folder = std::wstring(temp) + L"larkspur-shot";
        CreateDirectoryW(process.folder.c_str(), nullptr);
        const std::wstring ini = process.folder + L"\\Brisa.ini";
        DeleteFileW(ini.c_str());
        const wchar_t* settings[][2] = {{L"Use", L"1"},      {L"Location", L"C:\\Larkspur\\Out"},
                                        {L"Force", L"0"},    {L"Attributes", L"1"},
                                        {L"ReadOnly", L"1"}, {L"Archive", L"1"}};
        for (const auto& setting : settings) {
            WritePrivateProfileStringW(L"Silent", setting[0], setting[1], ini.c_str());
        }
        form1.emplace(platform);
        form1->Load();
        hwnd = form1->hwnd();
        form1->CenterOnScreen();
        ShowWindow(hwnd, SW_SHOWNORMAL);
    } else if (which == L"form2") {
        form2.Show();
        hwnd = form2.hwnd();
    } else if (which == L"outform") {
        // As an interactive run with no defaults opens it, started in a folder
        // with a few subfolders.
        SetCurrentDirectoryW(L"C:\\windows");
        outForm.Load();
        outForm.CenterOnScreen();
        ShowWindow(outForm.hwnd(), SW_SHOW);
        hwnd = outForm.hwnd();
    } else if (which == L"inputbox") {
        // New Folder's question.
        g_modalClass = ui::kInputBoxClass;
        g_modalPath = argv[2];
        SetTimer(nullptr, 0, 500, CaptureModal);
        ui::InputBox(nullptr,
                     L"Input New Folder Name...\r\nMake Below : C:\\users\\Public\\Documents",
                     L"Create New Folder");
        return g_captured ? 0 : 1;
    }
    if (hwnd) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    if (!hwnd) {
        fwprintf(stderr, L"unknown window %ls\n", argv[1]);
        return 2;
    }
    // Let it paint completely.
    for (int i = 0; i < 20; ++i) {
        larkspur::app::PumpMessages();
        Sleep(25);
    }
    return larkspur::capture::Capture(hwnd, argv[2]) == larkspur::capture::Picture::kSaved ? 0 : 1;
}
