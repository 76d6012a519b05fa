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
#include "platform/win32/win32_platform.h"
#include "ui/input_box.h"
#include "ui/output_folder_dialog.h"
#include "ui/progress_window.h"
#include "ui/settings_window.h"

namespace {

uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
    }
    return ~crc;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    Put32(png, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    Put32(png, Crc(body.data(), body.size()));
}

bool WritePng(const wchar_t* path, int width, int height, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> raw;  // filter byte 0, then the row
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + y * width * 3, rgb.begin() + (y + 1) * width * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
        if (n == 0) {
            break;
        }
    }
    Put32(z, (b << 16) | a);
    std::vector<uint8_t> header;
    Put32(header, static_cast<uint32_t>(width));
    Put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", {});
    FILE* f = _wfopen(path, L"wb");
    if (!f) {
        return false;
    }
    fwrite(png.data(), 1, png.size(), f);
    fclose(f);
    return true;
}

bool Capture(HWND hwnd, const wchar_t* path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    // Wine's PrintWindow leaves controls out; the screen has everything.
    BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    std::vector<uint8_t> rgb;
    const auto* pixels = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < width * height; ++i) {
        rgb.insert(rgb.end(), {pixels[i * 4 + 2], pixels[i * 4 + 1], pixels[i * 4]});
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return WritePng(path, width, height, rgb);
}

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
    g_captured = Capture(hwnd, g_modalPath);
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
    return Capture(hwnd, argv[2]) ? 0 : 1;
}
