#include "support.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace larkspur::wine_test {

namespace fs = std::filesystem;

std::wstring BinDir() {
    return fs::path(win32::ModulePath(nullptr)).parent_path().wstring();
}

std::wstring ScratchDir() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    const fs::path dir = fs::temp_directory_path() / "larkspur-tests" / name;
    scratch::RemoveTree(dir.wstring());
    fs::create_directories(dir);
    return dir.wstring();
}

void WriteText(const std::wstring& path, const std::string& content) {
    fs::create_directories(fs::path(win32::ForApi(path)).parent_path());
    std::ofstream(fs::path(win32::ForApi(path)), std::ios::binary) << content;
}

std::string ReadText(const std::wstring& path) {
    std::ifstream in(fs::path(win32::ForApi(path)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

DWORD Attributes(const std::wstring& path) {
    return GetFileAttributesW(win32::ForApi(path).c_str());
}

std::wstring Ini(const std::wstring& folder, const wchar_t* section, const std::wstring& keys) {
    std::wstringstream in(keys);
    std::wstring values;
    for (std::wstring key; std::getline(in, key, L'|');) {
        wchar_t value[300] = {};
        GetPrivateProfileStringW(section, key.c_str(), L"(none)", value, 300,
                                 (folder + L"\\Brisa.ini").c_str());
        values += value + std::wstring(L"|");
    }
    return values;
}

void WriteIni(const std::wstring& folder, const wchar_t* section, const std::wstring& settings) {
    std::wstringstream in(settings);
    for (std::wstring pair; std::getline(in, pair, L'|');) {
        WritePrivateProfileStringW(section, pair.substr(0, pair.find(L'=')).c_str(),
                                   pair.substr(pair.find(L'=') + 1).c_str(),
                                   (folder + L"\\Brisa.ini").c_str());
    }
}

WindowWatcher::WindowWatcher(WindowHandler handler)
    : thread_([this, handler](std::stop_token stop) {
          for (std::set<HWND> seen; !stop.stop_requested(); Sleep(20)) {
              drive::OfferWindows(GetCurrentProcessId(), seen, handler, messages_, lock_);
          }
      }) {}

std::wstring WindowWatcher::Said() {
    std::lock_guard guard(lock_);
    return wine_test::Said(messages_);
}

std::wstring Said(const std::vector<SeenWindow>& messages) {
    std::wstring lines;
    for (const SeenWindow& m : messages) {
        lines += m.title + L": " + m.text + L"\n";
    }
    return lines;
}

void InstallTest::SetUp() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    root = ScratchDir();
    wchar_t release[MAX_PATH] = {};
    app = GetEnvironmentVariableW(L"LARKSPUR_RELEASE_DIR", release, MAX_PATH) ? release
                                                                              : root + L"\\app";
    exe = app + L"\\Brisa.exe";
    ini = app + L"\\Brisa.ini";
    docs = root + L"\\Docs";
    out = root + L"\\Out";
    if (!*release) {
        fs::create_directories(app);
        fs::copy_file(BinDir() + L"\\Brisa.exe", exe);
    }
}

void ExpectLayout(const ui::Form& form, const char* rects, const char* tabOrder) {
    auto scaled = [&](int value) { return ui::Scale(value, form.dpi()); };
    const int slack = form.dpi() == 96 ? 0 : 1;  // a sum of scaled parts may round apart
    std::istringstream expected(rects);
    int width, height, left, top, w, h;
    char x;
    expected >> width >> x >> height;
    RECT r;
    GetClientRect(form.hwnd(), &r);
    EXPECT_EQ(r.right * 1000 + r.bottom, scaled(width) * 1000 + scaled(height)) << "client";
    const win32::WindowDc dc(form.hwnd());
    for (const ui::ControlRow& row : form.spec().controls) {
        HWND control = form.Control(row.id);
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        expected >> left >> x >> top >> x >> w >> x >> h;
        // A drop-down's box is as tall as its font and icons need.
        const int tall = row.kind == ui::Kind::DriveList ? 4 : slack;
        EXPECT_TRUE(abs(r.left - scaled(left)) <= slack && abs(r.top - scaled(top)) <= slack &&
                    r.right - r.left == scaled(w) && abs(r.bottom - r.top - scaled(h)) <= tall)
            << "row " << row.id << ": " << r.left << "," << r.top << "," << r.right - r.left << ","
            << r.bottom - r.top;
        // The caption fits: beside a box's square, inside a button's edges.
        const int room = row.kind == ui::Kind::CheckBox                              ? w - 17
                         : row.kind == ui::Kind::Label || row.kind == ui::Kind::Link ? w
                         : row.kind == ui::Kind::Button || row.kind == ui::Kind::DefaultButton
                             ? w - 6
                             : -1;
        std::wstring caption = ui::TextOf(control);
        std::erase(caption, L'&');
        const win32::Selection font(
            dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent;
        GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent);
        TEXTMETRICW tm;
        GetTextMetricsW(dc.get(), &tm);
        EXPECT_TRUE(room < 0 || (extent.cx <= scaled(room) && tm.tmHeight <= scaled(h)))
            << "row " << row.id << " caption: " << extent.cx << "x" << tm.tmHeight;
    }
    std::istringstream tabs(tabOrder);  // Tab walks the z-order; only frames lie below
    HWND next = GetWindow(form.hwnd(), GW_CHILD);
    for (int id; tabs >> id; next = GetWindow(next, GW_HWNDNEXT)) {
        EXPECT_EQ(next, form.Control(id)) << "row " << id << " in tab order";
    }
    for (; next; next = GetWindow(next, GW_HWNDNEXT)) {
        EXPECT_EQ(GetWindowLongPtrW(next, GWL_STYLE) & 0xF, BS_GROUPBOX) << "only frames below";
    }
}

}  // namespace larkspur::wine_test

// The Windows build links with -municode, so the tests bring a wide main.
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
