// The main window in this process: start-up, layout, tab changes, closing.
#include "tests/ui/window_fixture_win32.h"
#include "ui/settings_page_win32.h"

namespace twk::ui::test {
namespace {

class MainWindowTest : public WindowTest {
  protected:
    // Size of a file in the window's folder; -1 when there is none.
    long fileSize(const char* name) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(widen(folder_ + name).c_str(), GetFileExInfoStandard, &data)) return -1;
        return static_cast<long>(data.nFileSizeLow);
    }
};

TEST_F(MainWindowTest, StartsWithFivePagesAndTheNewListCurrent) {
    MainWindow& main = start();
    std::vector<std::string> texts;
    ASSERT_EQ(main.tabs().tabTexts(texts), 5);
    EXPECT_EQ(texts,
              (std::vector<std::string>{"新規リスト01", "無視リスト", "条件リスト", "BBSリスト", "設定"}));
    EXPECT_EQ(main.tabs().current(), 0);
    EXPECT_EQ(SendMessageW(main.tabs().tabControl(), TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), view(0));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(IsWindowVisible(main.tabs().pageWindow(i)) != 0, i == 0) << i;

    // The kinds and lists behind the tabs; the new list and the BBS list are filtered by the ignore list.
    const PageKind kinds[] = {PageKind::Normal, PageKind::Ignore, PageKind::Conditions, PageKind::Bbs,
                              PageKind::Settings};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(main.tabs().kind(i), kinds[i]);
    EntryList* ignore = main.tabs().pageList(1);
    ASSERT_NE(ignore, nullptr);
    EXPECT_TRUE(main.tabs().pageList(0)->usesFilter(ignore));
    EXPECT_TRUE(main.tabs().pageList(3)->usesFilter(ignore));
    EXPECT_EQ(main.tabs().pageList(2), nullptr);
    EXPECT_EQ(main.tabs().pageList(3)->sortColumn(), kColUpdateTime);
    EXPECT_EQ(main.tabs().firstPageOfKind(PageKind::Settings), main.tabs().pageWindow(4));

    // The ignore page hides what drives the host and refuses dropped files.
    HWND ignorePage = main.tabs().pageWindow(1);
    for (int id : {IDC_CLOSELIST, IDC_AUTOCOLLECT, IDC_MANUALGET, IDC_HOSTWORD_LABEL, IDC_HOSTWORD,
                   IDC_HOSTWORD_GET, IDC_HOSTWORD_SET})
        EXPECT_FALSE(GetWindowLongW(GetDlgItem(ignorePage, id), GWL_STYLE) & WS_VISIBLE) << id;
    EXPECT_FALSE(GetWindowLongW(view(1), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(GetWindowLongW(view(0), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    EXPECT_EQ(windowText(hwnd_), "Tollwick version 3.25");
    wchar_t cls[64] = {};
    GetClassNameW(hwnd_, cls, 64);
    EXPECT_STREQ(cls, L"TWKMAINWND");
}

TEST_F(MainWindowTest, ResizeKeepsTheStatusBarBelowTheTabs) {
    MainWindow& main = start();
    for (SIZE size : {SIZE{800, 600}, SIZE{500, 380}}) {
        SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
        RECT client, bar, tab;
        GetClientRect(hwnd_, &client);
        GetWindowRect(main.statusBar().hwnd(), &bar);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&bar), 2);
        GetWindowRect(main.tabs().tabControl(), &tab);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&tab), 2);
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(tab.top, 0);
        EXPECT_EQ(tab.right - tab.left, client.right);
        EXPECT_EQ(tab.bottom - tab.top, client.bottom - (bar.bottom - bar.top));

        // The list page follows: its view from y 29 to the bottom, the buttons at the right edge.
        HWND page = main.tabs().pageWindow(0);
        RECT pageRect, list, closeButton;
        GetClientRect(page, &pageRect);
        GetWindowRect(view(0), &list);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&list), 2);
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.top, 29);
        EXPECT_EQ(list.right, pageRect.right);
        EXPECT_EQ(list.bottom, pageRect.bottom);
        GetWindowRect(GetDlgItem(page, IDC_CLOSELIST), &closeButton);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&closeButton), 2);
        EXPECT_EQ(closeButton.right, pageRect.right - 1);
        EXPECT_EQ(closeButton.top, 3);
    }
    RECT before;
    GetWindowRect(main.tabs().tabControl(), &before);
    ShowWindow(hwnd_, SW_MINIMIZE);
    RECT after;
    GetWindowRect(main.tabs().tabControl(), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    ShowWindow(hwnd_, SW_RESTORE);
}

TEST_F(MainWindowTest, TabKeysWrapAndFocusThePage) {
    MainWindow& main = start();
    send(ID_PREVTAB, true);  // Shift+F2 on the first tab: the settings page
    EXPECT_EQ(main.tabs().current(), 4);
    EXPECT_EQ(GetFocus(), GetDlgItem(main.tabs().pageWindow(4), IDC_SET_TIMERDELAY));
    EXPECT_TRUE(IsWindowVisible(main.tabs().pageWindow(4)));
    EXPECT_FALSE(IsWindowVisible(main.tabs().pageWindow(0)));
    EXPECT_EQ(status(kStatusCounts), "");
    send(ID_NEXTTAB, true);  // F2 on the last tab: the first
    EXPECT_EQ(main.tabs().current(), 0);
    EXPECT_EQ(GetFocus(), view(0));
    EXPECT_EQ(status(kStatusCounts), "Hit数:0  選択数:0");
    // The tab keys are accelerators only: as menu commands they do nothing.
    send(ID_NEXTTAB, false);
    EXPECT_EQ(main.tabs().current(), 0);
}

TEST_F(MainWindowTest, RemovingTheCurrentPageSelectsTheOneBefore) {
    MainWindow& main = start();
    ListTabSet& tabs = main.tabs();
    EntryList* ignore = tabs.pageList(1);
    ASSERT_EQ(ignore->dependentLists().size(), 2u);

    // Current page at index 0: the new page at index 0 becomes current, and the removed list's links go.
    ASSERT_EQ(tabs.removePage(0), 1);
    EXPECT_EQ(tabs.count(), 4);
    EXPECT_EQ(tabs.current(), 0);
    EXPECT_EQ(tabs.pageList(0), ignore);
    EXPECT_EQ(tabs.tabText(0), "無視リスト");
    EXPECT_TRUE(IsWindowVisible(tabs.pageWindow(0)));
    EXPECT_EQ(ignore->dependentLists().size(), 1u);

    // Current page at index 3: index 2 becomes current.
    tabs.selectPage(3);
    ASSERT_EQ(tabs.removePage(3), 1);
    EXPECT_EQ(tabs.current(), 2);
    EXPECT_EQ(SendMessageW(tabs.tabControl(), TCM_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(tabs.kind(2), PageKind::Bbs);

    // A page that is not current: the current one stays, at its new index.
    ASSERT_EQ(tabs.removePage(0), 1);
    EXPECT_EQ(tabs.current(), 1);
    EXPECT_EQ(tabs.kind(1), PageKind::Bbs);
    EXPECT_EQ(tabs.removePage(5), 0);
    EXPECT_EQ(tabs.setTabText(7, "x"), 0);
    EXPECT_EQ(tabs.pageWindow(2), nullptr);
}

TEST_F(MainWindowTest, ClickingATabFollowsTheTabControl) {
    MainWindow& main = start();
    addRows(*main.tabs().pageList(3), 4);
    HWND tab = main.tabs().tabControl();
    SendMessageW(tab, TCM_SETCURSEL, 3, 0);
    NMHDR change = {tab, IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(hwnd_, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(main.tabs().current(), 3);
    EXPECT_TRUE(IsWindowVisible(main.tabs().pageWindow(3)));
    EXPECT_EQ(status(kStatusCounts), "Hit数:4  選択数:0");
    EXPECT_EQ(GetFocus(), view(3));
}

TEST_F(MainWindowTest, CloseWritesTheWindowStateAndHistories) {
    writeSetting("SearchHistory00", "abc");
    writeSetting("ColumnWidth01", "300");
    start();
    SetWindowPos(hwnd_, nullptr, 40, 30, 900, 500, SWP_NOZORDER);
    closeWindow();
    EXPECT_EQ(readSetting("WindowLeft"), "40");
    EXPECT_EQ(readSetting("WindowTop"), "30");
    EXPECT_EQ(readSetting("WindowRight"), "940");
    EXPECT_EQ(readSetting("WindowBottom"), "530");
    EXPECT_EQ(readSetting("ColumnWidth01"), "300");
    EXPECT_EQ(readSetting("ColumnWidth08"), "204");
    EXPECT_EQ(readSetting("BbsColumnWidth01"), "280");
    EXPECT_EQ(readSetting("CondColumnWidth02"), "300");
    EXPECT_EQ(readSetting("BbsVertical"), "0");
    EXPECT_EQ(readSetting("HistoryMax"), "10");
    EXPECT_EQ(readSetting("SearchHistory00"), "abc");
    // The options of the settings page are saved only by its own button.
    EXPECT_EQ(readSetting("TimerDelay"), "");
}

TEST_F(MainWindowTest, LogOffSavesWithoutAskingAndEndsTheWindow) {
    start();
    addRows(*main_->tabs().pageList(0), 1);  // a changed list that closing would ask about
    addRows(*main_->tabs().pageList(3), 2);
    std::vector<std::string> questions;
    main_->files().setSaveQuestion([&](const std::string& q) {
        questions.push_back(q);
        return IDCANCEL;
    });
    EXPECT_EQ(SendMessageW(hwnd_, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(IsWindow(hwnd_));
    EXPECT_NE(readSetting("WindowRight"), "");
    EXPECT_EQ(readSetting("VobraBbsHistoryMax"), "10");
    EXPECT_GT(fileSize("BbsList.txt"), 0);
}

// No settings file yet: closing creates it with the window state and histories (the defaults where nothing
// changed), and writes the three list files, empty.
TEST_F(MainWindowTest, FirstRunCloseCreatesTheSettingsAndListFiles) {
    start();
    EXPECT_EQ(fileSize("TWK.ini"), -1);  // starting writes nothing
    closeWindow();
    EXPECT_GT(fileSize("TWK.ini"), 0);
    const struct {
        const char* key;
        const char* value;
    } defaults[] = {{"ColumnWidth00", "16"},      {"ColumnWidth08", "204"}, {"BbsColumnWidth01", "280"},
                    {"CondColumnWidth04", "100"}, {"BbsLvWidth", "300"},    {"BbsLvHeight", "100"},
                    {"BbsVertical", "0"},         {"HistoryMax", "10"},     {"SearchHistoryMax", "10"}};
    for (const auto& d : defaults) EXPECT_EQ(readSetting(d.key), d.value) << d.key;
    EXPECT_NE(readSetting("WindowRight"), "");
    // The settings page's options are left to its own button.
    for (const char* key : {"TimerDelay", "TabMove", "TrayIcon", "DownList", "Alpha"})
        EXPECT_EQ(readSetting(key), "") << key;
    for (const char* name : {"IgnoreList.txt", "BbsList.txt", "ConditionList.txt"})
        EXPECT_EQ(fileSize(name), 0) << name;

    // The next start reads them back without complaint.
    main_.reset();
    start();
    EXPECT_EQ(main_->tabs().pageList(1)->count(), 0);
    EXPECT_EQ(main_->shared().conditions.count(), 0);
}

TEST_F(MainWindowTest, AlphaBelowOpaqueMakesTheWindowLayered) {
    writeSetting("Alpha", "200");
    start();
    EXPECT_TRUE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED);
    main_.reset();
    writeSetting("Alpha", "255");
    start();
    EXPECT_FALSE(GetWindowLongW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED);
}

TEST_F(MainWindowTest, MaximisedAtCloseStoresTheRestoredRectangle) {
    start();
    SetWindowPos(hwnd_, nullptr, 20, 10, 900, 400, SWP_NOZORDER);
    ShowWindow(hwnd_, SW_MAXIMIZE);
    closeWindow();
    EXPECT_EQ(readSetting("WindowLeft"), "20");
    EXPECT_EQ(readSetting("WindowRight"), "920");
}

TEST_F(MainWindowTest, AStoredRectangleOffEveryScreenComesBackOnTheNearestOne) {
    writeSetting("WindowLeft", "5000");
    writeSetting("WindowTop", "4000");
    writeSetting("WindowRight", "5600");
    writeSetting("WindowBottom", "4450");
    start();
    RECT r;
    GetWindowRect(hwnd_, &r);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &info);
    RECT overlap;
    EXPECT_TRUE(IntersectRect(&overlap, &r, &info.rcWork));
    EXPECT_GE(r.left, info.rcWork.left);
    EXPECT_LE(r.right, info.rcWork.right);
    EXPECT_LE(r.bottom, info.rcWork.bottom);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 450);

    // A rectangle partly on the screen stays where it was put.
    main_.reset();
    writeSetting("WindowLeft", "-100");
    writeSetting("WindowTop", "50");
    writeSetting("WindowRight", "500");
    writeSetting("WindowBottom", "450");
    start();
    GetWindowRect(hwnd_, &r);
    EXPECT_EQ(r.left, -100);
    EXPECT_EQ(r.top, 50);
}

TEST_F(MainWindowTest, SettingsPageShowsTheStoredOptions) {
    writeSetting("TimerDelay", "10");
    writeSetting("TabMove", "4");
    writeSetting("AutoSearch", "0");
    writeSetting("DownList", "C:\\dl\\Download.txt");
    MainWindow& main = start();
    HWND page = main.tabs().firstPageOfKind(PageKind::Settings);
    EXPECT_EQ(dialogItemText(page, IDC_SET_TIMERDELAY), "60");
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_SET_TABMOVE3), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_SET_AUTOSEARCH), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(page, IDC_SET_AUTORELOAD), BST_CHECKED);
    EXPECT_EQ(dialogItemText(page, IDC_SET_DOWNLIST), "C:\\dl\\Download.txt");
    EXPECT_EQ(dialogItemText(page, IDC_SET_LOCALHOST), "http://127.0.0.1:7744/");
    // The spin control covers 30 to 3600.
    LRESULT range = SendDlgItemMessageW(page, IDC_SET_SPIN, UDM_GETRANGE, 0, 0);
    EXPECT_EQ(LOWORD(range), 3600);
    EXPECT_EQ(HIWORD(range), 30);
}

TEST_F(MainWindowTest, SavingTheSettingsPageWithoutARadioButtonKeepsTabMove) {
    writeSetting("TabMove", "2");
    MainWindow& main = start();
    HWND page = main.tabs().firstPageOfKind(PageKind::Settings);
    for (int id : {IDC_SET_TABMOVE1, IDC_SET_TABMOVE2, IDC_SET_TABMOVE3})
        CheckDlgButton(page, id, BST_UNCHECKED);
    CheckDlgButton(page, IDC_SET_REGEXP, BST_CHECKED);
    setDialogItemText(page, IDC_SET_ERRORCOUNT, "7x");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SET_SAVE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SET_SAVE)));
    EXPECT_EQ(readSetting("TabMove"), "2");
    EXPECT_EQ(readSetting("RegExp"), "1");
    EXPECT_EQ(readSetting("ErrorCount"), "7");
    EXPECT_EQ(readSetting("TimerDelay"), "60");
    // The controls are the live values: the page reports what it shows now.
    EXPECT_TRUE(main.settingsPage()->values().regExp);
}

}  // namespace
}  // namespace twk::ui::test
