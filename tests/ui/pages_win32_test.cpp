// Page behaviour: the search box and Enter, the combo histories, the lists and conditions kept across runs,
// the BBS page's layouts.
#include "tests/ui/window_fixture_win32.h"
#include "ui/settings_page_win32.h"

namespace twk::ui::test {
namespace {

using PagesTest = WindowTest;

TEST_F(PagesTest, EnterInTheSearchBoxSearchesAndRemembersTheWord) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 12);
    HWND page = main_->tabs().pageWindow(0);
    HWND combo = GetDlgItem(page, IDC_SEARCHWORD);
    setWindowText(combo, "row1");
    SetFocus(combo);
    send(ID_ENTER);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報が検索されました"));
    EXPECT_TRUE(list.entryAt(10)->isMarked());
    EXPECT_FALSE(list.entryAt(2)->isMarked());

    // Enter elsewhere does not search.
    main_->statusBar().setText(kStatusMessage, "");
    SetFocus(view(0));
    send(ID_ENTER);
    EXPECT_EQ(status(kStatusMessage), "");

    // The word is now at the top of the drop-down list.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SEARCHWORD, CBN_DROPDOWN), reinterpret_cast<LPARAM>(combo));
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 1);
    wchar_t item[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(narrow(item), "row1");
}

TEST_F(PagesTest, TheSearchButtonUsesTheLiveRegexOption) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 12);
    HWND settings = main_->tabs().firstPageOfKind(PageKind::Settings);
    CheckDlgButton(settings, IDC_SET_REGEXP, BST_CHECKED);
    HWND page = main_->tabs().pageWindow(0);
    setWindowText(GetDlgItem(page, IDC_SEARCHWORD), "row0[12]$");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SEARCH, BN_CLICKED), 0);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報が検索されました"));
    EXPECT_TRUE(list.entryAt(1)->isMarked());
    EXPECT_TRUE(list.entryAt(2)->isMarked());
}

TEST_F(PagesTest, HostWordHistoryFillsItsDropDown) {
    writeSetting("VobraHistory00", "新しい");
    writeSetting("VobraHistory01", "古い");
    start();
    HWND page = main_->tabs().pageWindow(0);
    HWND combo = GetDlgItem(page, IDC_HOSTWORD);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"stale"));
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD, CBN_DROPDOWN), reinterpret_cast<LPARAM>(combo));
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    wchar_t item[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(narrow(item), "古い");
}

TEST_F(PagesTest, IgnoreListAndConditionsSurviveARestart) {
    start();
    addRows(*main_->tabs().pageList(1), 3);
    ASSERT_GE(main_->conditions().add("abc", "", false), 0);
    closeWindow();
    main_.reset();

    start();
    EntryList& ignore = *main_->tabs().pageList(1);
    ASSERT_EQ(ignore.count(), 3);
    EXPECT_EQ(SendMessageW(view(1), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(ignore.entryAt(0)->name, "row00");
    ASSERT_EQ(main_->conditions().count(), 1);
    EXPECT_EQ(main_->conditions().at(0).text, "abc");
    EXPECT_EQ(SendMessageW(view(2), LVM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(PagesTest, BbsPageSwitchesBetweenItsTwoLayouts) {
    writeSetting("BbsLvWidth", "250");
    writeSetting("BbsLvHeight", "120");
    start();
    HWND page = main_->tabs().pageWindow(3);
    auto listRect = [&] {
        RECT r;
        GetWindowRect(view(3), &r);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT client;
    GetClientRect(page, &client);
    RECT r = listRect();  // stacked: full width, stored height
    EXPECT_EQ(r.top, 29);
    EXPECT_EQ(r.right - r.left, client.right);
    EXPECT_EQ(r.bottom - r.top, 120);

    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BBS_SIDEBYSIDE, BN_CLICKED), 0);
    r = listRect();
    EXPECT_EQ(r.right - r.left, 250);
    EXPECT_EQ(r.bottom, client.bottom);
    EXPECT_EQ(main_->windowState().bbsVertical, 1);

    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BBS_STACKED, BN_CLICKED), 0);
    r = listRect();
    EXPECT_EQ(r.bottom - r.top, 120);
    closeWindow();
    EXPECT_EQ(readSetting("BbsVertical"), "0");
    EXPECT_EQ(readSetting("BbsLvWidth"), "250");
}

TEST_F(PagesTest, ConditionPageLaysOutItsControls) {
    start();
    HWND page = main_->tabs().pageWindow(2);
    RECT client, add, edit;
    GetClientRect(page, &client);
    GetWindowRect(GetDlgItem(page, IDC_COND_ADD), &add);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&add), 2);
    EXPECT_EQ(add.left, client.right - 90);
    EXPECT_EQ(add.top, 3);
    GetWindowRect(GetDlgItem(page, IDC_COND_TEXT), &edit);
    EXPECT_EQ(edit.right - edit.left, client.right > 510 ? client.right - 510 : 0);
}

}  // namespace
}  // namespace twk::ui::test
