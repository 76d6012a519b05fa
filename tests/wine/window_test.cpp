// The program's windows, created for real and inspected through messages.
//
// Wine reports 96 DPI, so positions compare directly with the tables; the
// scaling arithmetic for other DPIs is checked on its own.
#include <gtest/gtest.h>

#include "app/machine.h"
#include "platform/win32/win32_platform.h"
#include "support.h"
#include "ui/progress_window.h"

namespace larkspur::wine_test {
namespace {

using ui::ControlRow;
using ui::ProgressWindow;
using Form2 = ui::ProgressWindow;

TEST(Form2, LoadsHiddenWithTheVersionLineAndTheLayoutOfItsTable) {
    ScratchProcess process;
    Form2 form(process);
    HWND hwnd = form.Handle();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd)) << "borrowing the handle does not show the window";
    EXPECT_EQ(ui::TextOf(hwnd), L"Larkspur");
    EXPECT_EQ(ui::TextOf(form.Control(ProgressWindow::kProductLabel)), L"Larkspur Ver.1.52");
    EXPECT_EQ(ui::TextOf(form.Control(ProgressWindow::kNowWorkingLabel)), L"Now Working ...");

    ExpectTableLayout(form);
    HFONT bold = reinterpret_cast<HFONT>(
        SendMessageW(form.Control(ProgressWindow::kNowWorkingLabel), WM_GETFONT, 0, 0));
    LOGFONTW lf;
    GetObjectW(bold, sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
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
    app::Win32Machine machine;
    app::Win32Ui& ui = machine.ui;
    HWND sink =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PostMessageW(sink, WM_USER, 0, 0);
    ui.YieldToWindowSystem();  // the first call pumps
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    PostMessageW(sink, WM_USER, 0, 0);
    ui.YieldToWindowSystem();  // right after: too soon
    EXPECT_TRUE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    Sleep(app::Win32Ui::kYieldIntervalMs + 20);
    ui.YieldToWindowSystem();
    EXPECT_FALSE(PeekMessageW(&msg, sink, WM_USER, WM_USER, PM_NOREMOVE));
    DestroyWindow(sink);
}

}  // namespace
}  // namespace larkspur::wine_test
