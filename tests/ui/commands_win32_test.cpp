// The command table: row commands with their reports, the enabling table per page kind, the dynamic submenus.
#include "tests/ui/window_fixture_win32.h"

namespace twk::ui::test {
namespace {

class CommandsTest : public WindowTest {
  protected:
    EntryList& startWithRows(int n) {
        start();
        EntryList& list = *main_->tabs().pageList(0);
        addRows(list, n);
        return list;
    }
};

TEST_F(CommandsTest, SelectionCommandsReportExactly) {
    startWithRows(10);
    selectItems(0, {1, 4, 7});
    send(ID_EDIT_INVERT);
    EXPECT_EQ(selectedItems(0), (std::vector<int>{0, 2, 3, 5, 6, 8, 9}));
    EXPECT_EQ(status(kStatusMessage), stamped("選択を反転しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:10  選択数:7");

    send(ID_EDIT_CLEARSEL);
    EXPECT_TRUE(selectedItems(0).empty());
    EXPECT_EQ(status(kStatusMessage), stamped("全ての選択を解除しました"));

    send(ID_EDIT_SELECTALL);
    EXPECT_EQ(selectedItems(0).size(), 10u);
    EXPECT_EQ(status(kStatusMessage), stamped("全10件の情報を選択しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:10  選択数:10");
}

// The counts and the message of a selection command reach the screen in one paint of the status bar.
TEST_F(CommandsTest, SelectionCommandsPaintTheStatusBarOnce) {
    startWithRows(10);
    static int paints;
    static WNDPROC original;
    HWND bar = main_->statusBar().hwnd();
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_PAINT) ++paints;
            return CallWindowProcW(original, w, m, wp, lp);
        })));
    selectItems(0, {1, 3});
    // Each changes both texts.
    for (int id :
         {ID_EDIT_MARKSELECTED, ID_EDIT_CLEARSEL, ID_EDIT_SELECTMARKED, ID_EDIT_INVERT, ID_EDIT_SELECTALL}) {
        UpdateWindow(bar);
        paints = 0;
        send(id);
        EXPECT_EQ(paints, 1) << id;
        EXPECT_TRUE(IsWindowVisible(bar)) << id;
        EXPECT_FALSE(GetUpdateRect(bar, nullptr, FALSE)) << id;
    }
    EXPECT_EQ(status(kStatusMessage), stamped("全10件の情報を選択しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:10  選択数:10");
    SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

TEST_F(CommandsTest, CtrlAInTheListSelectsAllButPlainAIsSwallowed) {
    startWithRows(3);
    SendMessageW(view(0), WM_KEYDOWN, 'A', 0);  // no Control key down
    EXPECT_TRUE(selectedItems(0).empty());
    EXPECT_EQ(status(kStatusMessage), "");
    // Delete with nothing selected: nothing done, nothing reported.
    SendMessageW(view(0), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(main_->tabs().pageList(0)->count(), 3);
    EXPECT_EQ(status(kStatusMessage), "");
}

TEST_F(CommandsTest, DeleteRemovesTheSelectedRowsFromListAndView) {
    EntryList& list = startWithRows(6);
    selectItems(0, {0, 5});
    SendMessageW(view(0), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(list.entryAt(0)->name(), "row01");
    EXPECT_EQ(list.entryAt(3)->name(), "row04");
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を削除しました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:4  選択数:0");
    EXPECT_EQ(GetFocus(), view(0));
}

TEST_F(CommandsTest, MarksAndClear) {
    EntryList& list = startWithRows(5);
    selectItems(0, {1, 3});
    send(ID_EDIT_MARKSELECTED);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報に検索マークを付加しました"));
    EXPECT_TRUE(list.entryAt(1)->isMarked());
    EXPECT_FALSE(list.entryAt(2)->isMarked());
    send(ID_EDIT_CLEARSEL);
    send(ID_EDIT_SELECTMARKED);
    EXPECT_EQ(selectedItems(0), (std::vector<int>{1, 3}));
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を選択しました"));

    send(ID_EDIT_CLEARALL);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(status(kStatusMessage), stamped("一覧をクリアしました"));
    EXPECT_EQ(status(kStatusCounts), "Hit数:0  選択数:0");
    // On an empty list the selection commands report nothing.
    main_->statusBar().setText(kStatusMessage, "");
    for (int id : {ID_EDIT_SELECTALL, ID_EDIT_INVERT, ID_EDIT_CLEARSEL, ID_EDIT_CLEARALL}) send(id);
    EXPECT_EQ(status(kStatusMessage), "");
}

TEST_F(CommandsTest, MoveToTabAndTheMovePopup) {
    EntryList& list = startWithRows(5);
    EntryList& bbs = *main_->tabs().pageList(3);
    selectItems(0, {0, 2});
    send(ID_MOVETO_FIRST + 3);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(bbs.count(), 2);
    EXPECT_EQ(SendMessageW(view(3), LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(status(kStatusMessage), stamped("2件の情報を移動しました"));
    // Tabs without a list, and ids beyond the tabs, do nothing.
    selectItems(0, {0});
    send(ID_MOVETO_FIRST + 2);
    send(ID_MOVETO_FIRST + 9);
    EXPECT_EQ(list.count(), 3);

    // On the BBS page the popup lists every other tab with a list.
    send(ID_NEXTTAB, true);
    send(ID_NEXTTAB, true);
    send(ID_NEXTTAB, true);
    ASSERT_EQ(main_->tabs().current(), 3);
    HMENU popup = GetSubMenu(GetSubMenu(main_->menu(), 1), 5);
    SendMessageW(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(5, FALSE));
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_MOVETO_FIRST + 0));
    EXPECT_EQ(GetMenuItemID(popup, 1), static_cast<UINT>(ID_MOVETO_FIRST + 1));
    wchar_t text[64];
    GetMenuStringW(popup, 1, text, 64, MF_BYPOSITION);
    EXPECT_EQ(narrow(text), "無視リスト");
}

TEST_F(CommandsTest, FilterPopupAndToggle) {
    startWithRows(0);
    HMENU popup = GetSubMenu(GetSubMenu(main_->menu(), 1), 6);
    SendMessageW(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(6, FALSE));
    ASSERT_EQ(GetMenuItemCount(popup), 2);  // 無視リスト and BBSリスト
    UINT ignoreState = GetMenuState(popup, 0, MF_BYPOSITION);
    EXPECT_TRUE(ignoreState & MF_CHECKED);
    EXPECT_TRUE(ignoreState & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(popup, 1, MF_BYPOSITION) & MF_CHECKED);

    EntryList& list = *main_->tabs().pageList(0);
    EntryList& bbs = *main_->tabs().pageList(3);
    send(ID_FILTER_FIRST + 3);
    EXPECT_TRUE(list.usesFilter(&bbs));
    SendMessageW(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(6, FALSE));
    EXPECT_TRUE(GetMenuState(popup, 1, MF_BYPOSITION) & MF_CHECKED);
    send(ID_FILTER_FIRST + 3);
    EXPECT_FALSE(list.usesFilter(&bbs));

    // On the ignore list the popup stays empty.
    send(ID_NEXTTAB, true);
    SendMessageW(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(6, FALSE));
    EXPECT_EQ(GetMenuItemCount(popup), 0);
}

TEST_F(CommandsTest, HistoryPopupListsTheFileHistoryNewestFirst) {
    writeSetting("History00", "C:\\lists\\b.txt");
    writeSetting("History01", "C:\\lists\\a.txt");
    start();
    HMENU popup = GetSubMenu(GetSubMenu(main_->menu(), 0), 11);
    SendMessageW(hwnd_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(11, FALSE));
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_HISTORY_FIRST));
    wchar_t text[64];
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(narrow(text), "C:\\lists\\b.txt");
}

TEST_F(CommandsTest, EnablingFollowsThePageKind) {
    start();
    HMENU bar = main_->menu();
    HMENU file = GetSubMenu(bar, 0);
    HMENU edit = GetSubMenu(bar, 1);
    struct Expect {
        int tab;
        bool editGrey, getGrey, openGrey, saveGrey, historyGrey, filterGrey;
    };
    const Expect table[] = {
        {0, false, false, false, false, false, false},  // normal list
        {1, false, true, true, false, true, true},      // ignore list
        {2, true, true, true, true, true, true},     // conditions (filter menu unchanged: grey from before)
        {3, false, true, true, false, true, false},  // BBS list
        {4, true, true, true, true, true, false},    // settings (filter menu unchanged from the BBS page)
    };
    for (const Expect& e : table) {
        while (main_->tabs().current() != e.tab) send(ID_NEXTTAB, true);
        SCOPED_TRACE(e.tab);
        EXPECT_EQ(menuGrey(bar, 1, MF_BYPOSITION), e.editGrey);
        EXPECT_EQ(menuGrey(bar, 2, MF_BYPOSITION), e.getGrey);
        for (int id : {ID_FILE_OPEN, ID_FILE_OPENADD, ID_FILE_CLOSE, ID_FILE_SAVEAS})
            EXPECT_EQ(menuGrey(bar, id, MF_BYCOMMAND), e.openGrey) << id;
        EXPECT_EQ(menuGrey(bar, ID_FILE_SAVE, MF_BYCOMMAND), e.saveGrey);
        EXPECT_EQ(menuGrey(file, 11, MF_BYPOSITION), e.historyGrey);
        EXPECT_EQ(menuGrey(edit, 6, MF_BYPOSITION), e.filterGrey);
    }
    // The condition page gives the focus to its list view.
    while (main_->tabs().current() != 2) send(ID_NEXTTAB, true);
    EXPECT_EQ(GetFocus(), view(2));
}

TEST_F(CommandsTest, BlockedNormalPageWhileAnotherListIsCollected) {
    start();
    CollectionState& collection = main_->collection();
    collection.running = true;
    collection.target = main_->tabs().pageList(3);
    main_->updateCommandStates();
    HWND page = main_->tabs().pageWindow(0);
    EXPECT_TRUE(menuGrey(main_->menu(), 2, MF_BYPOSITION));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_AUTOCOLLECT)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_MANUALGET)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_HOSTWORD)));
    EXPECT_EQ(dialogItemText(page, IDC_AUTOCOLLECT), "自動収集停止");

    collection.rotate = true;  // a rotating collection blocks nothing but the host word
    main_->updateCommandStates();
    EXPECT_FALSE(menuGrey(main_->menu(), 2, MF_BYPOSITION));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_MANUALGET)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_HOSTWORD_SET)));

    collection = CollectionState();
    main_->updateCommandStates();
    EXPECT_EQ(dialogItemText(page, IDC_AUTOCOLLECT), "自動収集開始");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_HOSTWORD_SET)));
}

TEST_F(CommandsTest, ColumnClickSortsAndKeepsTheSelection) {
    EntryList& list = startWithRows(5);  // sizes 1000, 999, ... 996
    selectItems(0, {1});
    NMLISTVIEW click = {};
    click.hdr = {view(0), IDC_LIST, static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iSubItem = 3;  // サイズ
    std::string firstNames[2];
    for (std::string& first : firstNames) {
        SendMessageW(main_->tabs().pageWindow(0), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&click));
        EXPECT_EQ(list.sortColumn(), kColSize);
        first = list.entryAt(0)->name();
        std::vector<int> selected = selectedItems(0);
        ASSERT_EQ(selected.size(), 1u);
        EXPECT_EQ(list.entryAt(selected[0])->name(), "row01");
    }
    // The second click on the same column turns the order round.
    EXPECT_EQ(firstNames[0] == "row00" ? firstNames[1] : firstNames[0], "row04");
    EXPECT_NE(firstNames[0], firstNames[1]);

    // On the BBS page view column 2 is the size: logical column 3.
    EntryList& bbs = *main_->tabs().pageList(3);
    while (main_->tabs().current() != 3) send(ID_NEXTTAB, true);
    click.hdr.hwndFrom = view(3);
    click.iSubItem = 4;  // 発言数
    SendMessageW(main_->tabs().pageWindow(3), WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(bbs.sortColumn(), kColRefAmount);
}

TEST_F(CommandsTest, JumpToAMarkScrollsByTheRealRowHeight) {
    EntryList& list = startWithRows(200);
    list.entryAt(120)->setMarked(true);
    list.entryAt(150)->setMarked(true);
    send(ID_NEXTMARK, true);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0), 120);
    send(ID_NEXTMARK, true);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0), 150);
    send(ID_PREVMARK, true);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0), 120);
    // The same through the page's buttons.
    HWND page = main_->tabs().pageWindow(0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_NEXTMARK, BN_CLICKED), 0);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0), 150);
}

TEST_F(CommandsTest, ViewsShowTheConfiguredColumns) {
    writeSetting("GridLine", "0");
    writeSetting("UserColumn00", "追加0");
    writeSetting("UserColumn02", "追加2");
    start();
    HWND header = reinterpret_cast<HWND>(SendMessageW(view(0), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 10);
    header = reinterpret_cast<HWND>(SendMessageW(view(3), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 9);
    header = reinterpret_cast<HWND>(SendMessageW(view(2), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 5);
    DWORD style = static_cast<DWORD>(SendMessageW(view(0), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(style & LVS_EX_FULLROWSELECT);
    EXPECT_FALSE(style & LVS_EX_GRIDLINES);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETCOLUMNWIDTH, 1, 0), 280);

    // The titles, the BBS view's own set included, and the user column after the fixed ones.
    auto titles = [](HWND v) {
        std::vector<std::string> out;
        for (int i = 0;; ++i) {
            wchar_t text[64] = {};
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = 64;
            if (!SendMessageW(v, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column))) break;
            out.push_back(narrow(text));
        }
        return out;
    };
    EXPECT_EQ(titles(view(0)),
              (std::vector<std::string>{"　", "ファイル名", "トリップ", "サイズ", "状態", "被参照量",
                                        "更新時刻", "Ver", "ハッシュ", "追加0"}));
    EXPECT_EQ(titles(view(3)), (std::vector<std::string>{"　", "スレッドタイトル", "サイズ", "状態", "発言数",
                                                         "更新時刻", "Ver", "ハッシュ", "追加0"}));
    EXPECT_EQ(titles(view(2)),
              (std::vector<std::string>{"使用", "移動", "移動＆無視条件", "移動先リスト", "不存在時に無視"}));
}

TEST_F(CommandsTest, UnknownAndAcceleratorOnlyIdsAreIgnored) {
    EntryList& list = startWithRows(3);
    selectItems(0, {0});
    send(ID_EDIT_DELETE, true);  // not an accelerator
    send(12345);
    send(ID_HISTORY_FIRST + 3);  // beyond the (empty) file history
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(status(kStatusMessage), "");
}

}  // namespace
}  // namespace twk::ui::test

namespace twk::ui::test {
namespace {

using HostCommandsTest = WindowTest;

TEST_F(HostCommandsTest, ManualGetWithoutTheHostSaysSoAndAddsNothing) {
    writeSetting("AutoSearch", "1");
    start();
    // The definitions name a host window that no program has.
    BoxCatcher catcher;
    send(ID_GET_MANUAL);
    SendMessageW(main_->tabs().pageWindow(0), WM_COMMAND, MAKEWPARAM(IDC_MANUALGET, BN_CLICKED), 0);
    ASSERT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(catcher.boxes[0], stamped("Vobra v Not Found."));
    EXPECT_EQ(main_->tabs().pageList(0)->count(), 0);
    EXPECT_EQ(status(kStatusMessage), "");

    // The word buttons do nothing, silently.
    HWND page = main_->tabs().pageWindow(0);
    setWindowText(GetDlgItem(page, IDC_HOSTWORD), "word");
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD_SET, BN_CLICKED), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_HOSTWORD_GET, BN_CLICKED), 0);
    EXPECT_EQ(catcher.boxes.size(), 2u);
    EXPECT_EQ(main_->shared().histories[kHostWordHistory].count(), 0);
    EXPECT_EQ(dialogItemText(page, IDC_HOSTWORD), "word");
}

}  // namespace
}  // namespace twk::ui::test
