// Minimising into the notification area and coming back.
#include "tests/ui/window_fixture_win32.h"

namespace twk::ui::test {
namespace {

using TrayTest = WindowTest;

constexpr UINT kTrayCallback = WM_USER + 2002;

TEST_F(TrayTest, MinimiseHidesIntoTheTrayAndADoubleClickBringsItBack) {
    start();
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(IsIconic(hwnd_));
    EXPECT_TRUE(main_->tray().shown());

    // A single click does nothing.
    SendMessageW(hwnd_, kTrayCallback, 2002, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    SendMessageW(hwnd_, kTrayCallback, 2002, WM_LBUTTONDBLCLK);
    SendMessageW(hwnd_, kTrayCallback, 2002, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(main_->tray().shown());
}

TEST_F(TrayTest, TheTrayOptionIsReadFromItsCheckBoxWhenMinimising) {
    start();  // stored on (the default)
    HWND settings = main_->tabs().firstPageOfKind(PageKind::Settings);
    CheckDlgButton(settings, IDC_SET_TRAYICON, BST_UNCHECKED);  // changed, not saved
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(hwnd_));
    EXPECT_FALSE(main_->tray().shown());
    send(ID_RESTORE);
    CheckDlgButton(settings, IDC_SET_TRAYICON, BST_CHECKED);
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_TRUE(main_->tray().shown());
    EXPECT_EQ(readSetting("TrayIcon"), "");
}

TEST_F(TrayTest, WithoutTheTrayOptionMinimisingIsOrdinary) {
    writeSetting("TrayIcon", "0");
    start();
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(hwnd_));
    EXPECT_FALSE(main_->tray().shown());
    // Restoring (as a second start of the program asks) brings the window back to its size.
    send(ID_RESTORE);
    EXPECT_FALSE(IsIconic(hwnd_));
    EXPECT_TRUE(IsWindowVisible(hwnd_));
}

TEST_F(TrayTest, HiddenWindowGetsItsIconBackAfterATaskbarRestart) {
    start();
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(main_->tray().shown());
    SendMessageW(hwnd_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(main_->tray().shown());
    EXPECT_FALSE(IsWindowVisible(hwnd_));

    // Hidden with 非表示: no icon.
    send(ID_RESTORE);
    send(ID_VIEW_HIDE);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(main_->tray().shown());
}

TEST_F(TrayTest, AlphaOutsideItsRangeChangesNothing) {
    start();
    EXPECT_EQ(applyAlpha(hwnd_, 256), 0);
    EXPECT_EQ(applyAlpha(hwnd_, -1), 0);
    EXPECT_FALSE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(applyAlpha(hwnd_, 0), 1);
    EXPECT_TRUE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_EQ(applyAlpha(hwnd_, 255), 1);
    EXPECT_FALSE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED);
}

}  // namespace
}  // namespace twk::ui::test
