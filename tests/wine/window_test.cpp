// The program's windows, created for real and inspected through messages.
//
// Wine reports 96 DPI, so positions compare directly with the tables; the
// scaling arithmetic for other DPIs is checked on its own.
#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "support.h"
#include "ui/forms.h"
#include "ui/win32_ui.h"

namespace larkspur::wine_test {
namespace {

using ui::ControlRow;
using ui::Form2;

TEST(Form2, LoadsHiddenWithTheVersionLineAndTheLayoutOfItsTable) {
    ScratchProcess process;
    Form2 form(process);
    HWND hwnd = form.Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd)) << "borrowing the handle does not show the window";
    EXPECT_EQ(ui::TextOf(hwnd), L"Larkspur");
    EXPECT_EQ(ui::TextOf(form.Control(L"Label2")), L"Larkspur Ver.1.52");
    EXPECT_EQ(ui::TextOf(form.Control(L"Label1")), L"Now Working ...");

    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 312);
    EXPECT_EQ(client.bottom, 108);
    for (const ControlRow& row : ui::kForm2Spec.controls) {
        HWND control = form.Control(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        const RECT r = RectIn(hwnd, control);
        EXPECT_EQ(r.left, row.left) << row.name;
        EXPECT_EQ(r.top, row.top) << row.name;
        EXPECT_EQ(r.right - r.left, row.width) << row.name;
        EXPECT_EQ(r.bottom - r.top, row.height) << row.name;
        // Text never spills past its label: the font's cell fits the height,
        // and the caption fits the width.
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        SIZE extent;
        const std::wstring caption = ui::TextOf(control);
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        EXPECT_LE(tm.tmHeight, row.height) << row.name;
        EXPECT_LE(extent.cx, row.width) << row.name << ": " << extent.cx;
    }
    HFONT bold = reinterpret_cast<HFONT>(SendMessageW(form.Control(L"Label1"), WM_GETFONT, 0, 0));
    LOGFONTW lf;
    GetObjectW(bold, sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    // Tab order is creation order: each label follows the one before it.
    HWND previous = nullptr;
    for (const wchar_t* name : {L"Label1", L"Label2", L"Label3", L"Label4", L"Label5"}) {
        HWND control = form.Control(name);
        if (previous) {
            EXPECT_EQ(GetWindow(previous, GW_HWNDNEXT), control) << name;
        }
        previous = control;
    }
    form.Unload();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(form.hwnd(), nullptr);
}

TEST(Form2, ShowsCentredOnTheWorkArea) {
    ScratchProcess process;
    Form2 form(process);
    form.Show();
    HWND hwnd = form.hwnd();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    RECT window;
    GetWindowRect(hwnd, &window);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_TRUE(GetClassLongPtrW(hwnd, GCL_STYLE) & CS_NOCLOSE);
}

TEST(Scale, FollowsThePlatformsArithmetic) {
    EXPECT_EQ(ui::Scale(312, 96), 312);
    EXPECT_EQ(ui::Scale(312, 144), 468);
    EXPECT_EQ(ui::Scale(19, 120), 24);    // 23.75 rounds up
    EXPECT_EQ(ui::Scale(137, 168), 240);  // 239.75
    EXPECT_EQ(ui::Scale(-5, 144), -8);    // rounds away from zero, as MulDiv does
}

TEST(Win32Ui, YieldingPumpsMessagesButAtMostEveryFewMilliseconds) {
    win32::Win32Process process;
    ui::Win32Ui ui(process);
    HWND sink =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PostMessageW(sink, WM_USER, 0, 0);
    ui.YieldToWindowSystem();  // the first call pumps
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    PostMessageW(sink, WM_USER, 0, 0);
    ui.YieldToWindowSystem();  // right after: too soon
    EXPECT_TRUE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    Sleep(ui::Win32Ui::kYieldIntervalMs + 20);
    ui.YieldToWindowSystem();
    EXPECT_FALSE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    DestroyWindow(sink);
}

}  // namespace
}  // namespace larkspur::wine_test
