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
// window met is saved as a picture.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <map>
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

// Saves each window once, then lets handler deal with it.
drive::WindowHandler Pictured(const drive::WindowHandler& handler) {
    return [handler](const drive::SeenWindow& w) {
        Sleep(300);  // fully painted
        const std::wstring name = std::to_wstring(++pictureCount) + L"-" +
                                  (w.className == L"#32770" ? L"message" : w.className) + L".png";
        if (capture::Capture(w.hwnd, pictures + L"\\" + name)) {
            wprintf(L"  picture: %ls (%ls)\n", name.c_str(), w.title.c_str());
        }
        return handler ? handler(w) : false;
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

void Write(const fs::path& path, const char* text) {
    fs::create_directories(path.parent_path());
    FILE* f = _wfopen(path.c_str(), L"wb");
    fputs(text, f);
    fclose(f);
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
    SetFileAttributesW((docs / L"Proj\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
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
        WritePrivateProfileStringW(L"Silent", key.c_str(), value.c_str(), ini.c_str());
    }
    wprintf(L"Sample tree: %ls\nSilent Mode run (Read Only + Hidden) into %ls\n", docs.c_str(),
            silent.c_str());
    const drive::Run quiet =
        drive::RunProgram((app / L"Brisa.exe").wstring(), items, app.wstring(), Pictured(nullptr));
    wprintf(L"  %ls\n", Report(quiet).c_str());

    WritePrivateProfileStringW(L"Silent", L"Use", L"0", ini.c_str());
    wprintf(
        L"Interactive run: the dialog opens in %ls, New Folder \"..\\Interactive copies\", "
        L"OK\n",
        app.c_str());
    const drive::Run asked =
        drive::RunProgram((app / L"Brisa.exe").wstring(), items, app.wstring(),
                          Pictured(drive::OperateDialog(L"..\\Interactive copies", L"OK(&O)")));
    wprintf(L"  %ls\n\n", Report(asked).c_str());

    wprintf(L"%-30ls %-9ls %-13ls %ls\n", L"file", L"source", L"Silent Mode", L"interactive");
    for (const auto& entry : fs::recursive_directory_iterator(docs)) {
        const std::wstring relative = entry.path().lexically_relative(docs).wstring();
        if (entry.is_directory()) {
            if (fs::is_empty(entry.path())) {
                wprintf(L"%-30ls an empty folder: not made in the copies\n",
                        (relative + L"\\").c_str());
            }
            continue;
        }
        const std::wstring below =
            relative.rfind(L"Proj", 0) == 0 ? relative : entry.path().filename().wstring();
        wprintf(L"%-30ls %-9ls %-13ls %ls\n", relative.c_str(),
                Letters(entry.path().wstring()).c_str(),
                Letters((silent / below).wstring()).c_str(),
                Letters((interactive / below).wstring()).c_str());
    }
    wprintf(L"(R H S A as Windows' attrib shows them; under Wine every file shows A.)\n");
    return quiet.exitCode == 0 && asked.exitCode == 0 ? 0 : 1;
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
        return Demo(exe);
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
    wprintf(L"  %ls\n", Report(run).c_str());
    return static_cast<int>(run.exitCode);
}
