// The right-click menus: which popup opens, with which items, texts, greys and checks, and what the click did
// before. A popup runs its own message loop on this thread; a hook on the thread's window messages sees the
// popup being opened (WM_INITMENUPOPUP), reads its items once the loop goes idle (WM_ENTERIDLE, after the
// window has prepared the popup) and ends the menu. An item is then chosen by the command it would send.
#include <functional>

#include "tests/ui/browser_fakes_win32.h"
#include "tests/ui/window_fixture_win32.h"
#include "ui/bbs_page_win32.h"
#include "ui/list_view_win32.h"

namespace twk::ui::test {
namespace {

struct ShownItem {
    UINT id = 0;
    std::string text;  // up to the TAB before the shortcut
    bool grey = false;
    bool checked = false;
    bool separator = false;
    bool popup = false;
};

// Watches the popups this thread opens while it exists.
class PopupWatch {
  public:
    PopupWatch() {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &PopupWatch::hookProc, nullptr, GetCurrentThreadId());
    }
    ~PopupWatch() {
        if (hook_) UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    PopupWatch(const PopupWatch&) = delete;
    PopupWatch& operator=(const PopupWatch&) = delete;

    bool hooked() const { return hook_ != nullptr; }
    // Forgets what was seen before.
    void reset() {
        opened.clear();
        items.clear();
        owner = nullptr;
    }
    // Runs while the popup is open (to look at the window's state then).
    std::function<void()> whileOpen;

    std::vector<HMENU> opened;     // every popup being opened, in order
    std::vector<ShownItem> items;  // the items of the first one, as shown
    HWND owner = nullptr;          // the window the popup reported to

    const ShownItem* find(UINT id) const {
        for (const ShownItem& i : items)
            if (i.id == id && !i.popup) return &i;
        return nullptr;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const ShownItem& i : items) out.push_back(i.separator ? "-" : i.text);
        return out;
    }

  private:
    static LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && current_) {
            const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (m->message == WM_INITMENUPOPUP) {
                current_->opened.push_back(reinterpret_cast<HMENU>(m->wParam));
                current_->owner = m->hwnd;
            } else if (m->message == WM_ENTERIDLE && m->wParam == MSGF_MENU && !current_->opened.empty()) {
                current_->record(current_->opened.front());
                if (current_->whileOpen) current_->whileOpen();
                EndMenu();
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void record(HMENU menu) {
        items.clear();
        const int n = GetMenuItemCount(menu);
        for (int pos = 0; pos < n; ++pos) {
            wchar_t text[260] = {};
            MENUITEMINFOW info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 260;
            if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) continue;
            ShownItem item;
            item.id = info.wID;
            std::string full = narrow(text);
            item.text = full.substr(0, full.find('\t'));
            item.grey = (info.fState & MFS_GRAYED) != 0;
            item.checked = (info.fState & MFS_CHECKED) != 0;
            item.separator = (info.fType & MFT_SEPARATOR) != 0;
            item.popup = info.hSubMenu != nullptr;
            items.push_back(item);
        }
    }

    HHOOK hook_ = nullptr;
    static PopupWatch* current_;
};

PopupWatch* PopupWatch::current_ = nullptr;

class PopupMenuTest : public WindowTest {
  protected:
    // The centre of tab i, in the tab control's client coordinates.
    LPARAM tabPoint(int i) {
        RECT r = {};
        SendMessageW(main_->tabs().tabControl(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void rightClickTab(LPARAM point) { SendMessageW(main_->tabs().tabControl(), WM_RBUTTONDOWN, 0, point); }
    // A right click on a row of a list view. The button's release is queued first: the list view waits for it
    // before it reports the click.
    void rightClickRow(HWND listView, int row) {
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(listView, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        LPARAM point = MAKELPARAM(r.left + 30, (r.top + r.bottom) / 2);
        PostMessageW(listView, WM_RBUTTONUP, 0, point);
        SendMessageW(listView, WM_RBUTTONDOWN, MK_RBUTTON, point);
    }
    PopupWatch watch_;
};

TEST_F(PopupMenuTest, RightClickOnATabMakesItCurrentAndOpensTheFileMenu) {
    ASSERT_TRUE(watch_.hooked());
    start();
    HMENU bar = main_->menu();
    watch_.whileOpen = [&] {
        // The page changed and the menus were set for it before the popup opened.
        EXPECT_EQ(main_->tabs().current(), 3);
        EXPECT_TRUE(IsWindowVisible(main_->tabs().pageWindow(3)));
    };
    rightClickTab(tabPoint(3));  // BBSリスト
    ASSERT_EQ(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.opened[0], GetSubMenu(bar, 0));
    EXPECT_EQ(watch_.owner, hwnd_);
    EXPECT_EQ(watch_.texts(),
              (std::vector<std::string>{"開く(&O)", "新規に開く(&M)", "追加で開く(&L)", "-",
                                        "新規リスト作成(&N)", "-", "閉じる(&C)", "-", "上書き保存(&S)",
                                        "名前を付けて保存(&A)", "-", "履歴(&H)", "-", "終了(&X)"}));
    // As the BBS page has them: open, open in addition, close and save as grey; save and new list not.
    for (UINT id : {ID_FILE_OPEN, ID_FILE_OPENADD, ID_FILE_CLOSE, ID_FILE_SAVEAS}) {
        ASSERT_NE(watch_.find(id), nullptr) << id;
        EXPECT_TRUE(watch_.find(id)->grey) << id;
    }
    EXPECT_FALSE(watch_.find(ID_FILE_SAVE)->grey);
    EXPECT_FALSE(watch_.find(ID_FILE_NEWLIST)->grey);
    EXPECT_TRUE(watch_.items[11].popup);
    EXPECT_TRUE(watch_.items[11].grey);             // 履歴
    EXPECT_TRUE(menuGrey(bar, 2, MF_BYPOSITION));   // 取得 on the BBS page
    EXPECT_FALSE(menuGrey(bar, 1, MF_BYPOSITION));  // 編集
    EXPECT_EQ(main_->tabs().current(), 3);
    EXPECT_EQ(status(kStatusMessage), "");

    // Choosing an item is its command: 新規リスト作成 from here.
    send(ID_FILE_NEWLIST);
    EXPECT_EQ(main_->tabs().tabText(0), "新規リスト02");
    EXPECT_EQ(main_->tabs().current(), 0);

    // The current tab again: the menu still opens, with the normal list's states.
    watch_.reset();
    watch_.whileOpen = nullptr;
    rightClickTab(tabPoint(0));
    ASSERT_EQ(watch_.opened.size(), 1u);
    EXPECT_FALSE(watch_.find(ID_FILE_OPEN)->grey);
    EXPECT_FALSE(watch_.items[11].grey);

    // The settings tab: everything that works on a list is grey, and its interval field has the focus.
    watch_.reset();
    rightClickTab(tabPoint(5));
    EXPECT_EQ(main_->tabs().current(), 5);
    EXPECT_TRUE(watch_.find(ID_FILE_SAVE)->grey);
    EXPECT_EQ(GetFocus(), GetDlgItem(main_->tabs().pageWindow(5), IDC_SET_TIMERDELAY));

    // Beside the tabs: no page change and no menu.
    watch_.reset();
    RECT client;
    GetClientRect(main_->tabs().tabControl(), &client);
    rightClickTab(MAKELPARAM(client.right - 5, 5));
    EXPECT_TRUE(watch_.opened.empty());
    EXPECT_EQ(main_->tabs().current(), 5);
}

TEST_F(PopupMenuTest, RightClickInAListSelectsTheRowCountsAndOpensTheEditMenu) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 5);
    std::string countsWhileOpen;
    watch_.whileOpen = [&] { countsWhileOpen = status(kStatusCounts); };
    rightClickRow(view(0), 2);
    EXPECT_EQ(selectedItems(0), (std::vector<int>{2}));
    EXPECT_EQ(countsWhileOpen, "Hit数:5  選択数:1");  // counted before the menu opened
    ASSERT_GE(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.opened[0], GetSubMenu(main_->menu(), 1));
    EXPECT_EQ(watch_.owner, hwnd_);
    ASSERT_EQ(watch_.items.size(), 21u);
    EXPECT_EQ(watch_.items[0].text, "ﾀﾞｳﾝﾘｽﾄに追加(&A)");
    EXPECT_TRUE(watch_.items[5].popup);
    EXPECT_EQ(watch_.items[5].text, "選択データの移動(&M)");
    EXPECT_EQ(watch_.items[6].text, "無視リストの追加(&I)");
    EXPECT_FALSE(watch_.items[6].grey);
    EXPECT_EQ(watch_.items[20].text, "全てクリア(&X)");
    for (const ShownItem& item : watch_.items) {
        if (item.separator) continue;
        EXPECT_FALSE(item.grey) << item.text;
    }

    // 選択データの移動 → BBSリスト, as the submenu would send it.
    send(ID_MOVETO_FIRST + 3);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(main_->tabs().pageList(3)->count(), 1);
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報を移動しました"));

    // On the ignore list the same menu opens with its filter submenu grey.
    send(ID_NEXTTAB, true);
    addRows(*main_->tabs().pageList(1), 2);
    watch_.reset();
    watch_.whileOpen = nullptr;
    rightClickRow(view(1), 0);
    ASSERT_GE(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.opened[0], GetSubMenu(main_->menu(), 1));
    EXPECT_TRUE(watch_.items[6].grey);
    EXPECT_EQ(status(kStatusCounts), "Hit数:2  選択数:1");
}

// A right click on a selected row keeps the selection it belongs to; one beside the rows clears it. The menu
// opens either way.
TEST_F(PopupMenuTest, RightClickKeepsASelectionWithTheRowAndClearsItBesideTheRows) {
    start();
    addRows(*main_->tabs().pageList(0), 5);
    selectItems(0, {1, 2, 4});
    rightClickRow(view(0), 2);
    EXPECT_EQ(selectedItems(0), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(SendMessageW(view(0), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 2);
    EXPECT_EQ(status(kStatusCounts), "Hit数:5  選択数:3");

    watch_.reset();
    RECT last = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(view(0), LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&last));
    const LPARAM below = MAKELPARAM(last.left + 30, last.bottom + 20);
    PostMessageW(view(0), WM_RBUTTONUP, 0, below);
    SendMessageW(view(0), WM_RBUTTONDOWN, MK_RBUTTON, below);
    EXPECT_TRUE(selectedItems(0).empty());
    EXPECT_EQ(status(kStatusCounts), "Hit数:5  選択数:0");
    ASSERT_GE(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.opened[0], GetSubMenu(main_->menu(), 1));
}

TEST_F(PopupMenuTest, ConditionListMenuRunsOnThePage) {
    start();
    while (main_->tabs().current() != 2) send(ID_NEXTTAB, true);
    HWND page = main_->tabs().pageWindow(2);
    for (const char* text : {"c1", "c2", "c3"}) {
        setDialogItemText(page, IDC_COND_TEXT, text);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COND_ADD, BN_CLICKED), 0);
    }
    rightClickRow(view(2), 1);
    ASSERT_GE(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.owner, page);
    EXPECT_EQ(watch_.texts(),
              (std::vector<std::string>{"ファイル(&F)", "使用する(&A)", "使用しない(&N)", "上に移動(&K)",
                                        "下に移動(&J)", "削除(&D)", "全て選択(&L)"}));
    EXPECT_TRUE(watch_.items[0].popup);
    EXPECT_EQ(watch_.items[2].id, static_cast<UINT>(ID_COND_UNUSE));
    // The loaded menu is gone once the popup has closed.
    EXPECT_FALSE(IsMenu(watch_.opened[0]));

    // 使用しない, as the menu sends it to the page.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(ID_COND_UNUSE, 0), 0);
    EXPECT_FALSE(main_->shared().conditions.at(1).used);
    EXPECT_TRUE(main_->shared().conditions.at(0).used);
}

TEST_F(PopupMenuTest, RightClickOnABrowserTabOpensItsMenuForTheBbsPage) {
    start();
    main_->tabs().selectPage(3);
    BbsPage& bbs = *main_->bbsPage();
    ViewLog log;
    bbs.browsers().setFactory(fakeBrowserFactory(log));
    EntryList& threads = *bbs.list();
    addRows(threads, 2);
    bbs.openThread(*threads.entryAt(0));
    bbs.openThread(*threads.entryAt(1));
    HWND tabs = bbs.browsers().tabControl();
    RECT first = {};
    SendMessageW(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageW(tabs, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(first.left + 5, first.top + 5));
    ASSERT_EQ(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.owner, bbs.hwnd());
    EXPECT_EQ(watch_.texts(), (std::vector<std::string>{"閉じる(&C)", "-", "更新(&R)"}));
    ASSERT_EQ(watch_.items.size(), 3u);
    EXPECT_EQ(watch_.items[2].id, static_cast<UINT>(ID_BROWSER_REFRESH));
    EXPECT_EQ(bbs.browsers().current(), 0);
    EXPECT_FALSE(IsMenu(watch_.opened[0]));

    // 更新, as the menu sends it to the page.
    log.events.clear();
    SendMessageW(bbs.hwnd(), WM_COMMAND, MAKEWPARAM(ID_BROWSER_REFRESH, 0), 0);
    EXPECT_EQ(log.events, (std::vector<std::string>{"reload"}));

    // Beside the tabs: no menu.
    watch_.reset();
    RECT client;
    GetClientRect(tabs, &client);
    SendMessageW(tabs, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.right - 5, 5));
    EXPECT_TRUE(watch_.opened.empty());
    bbs.closeBrowserPages();  // while their log exists
}

constexpr UINT kTrayCallback = WM_USER + 2002;

TEST_F(PopupMenuTest, TrayMenuGreysWhatCannotRunNow) {
    start();
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(main_->tray().shown());

    SendMessageW(hwnd_, kTrayCallback, 2002, WM_RBUTTONUP);
    ASSERT_EQ(watch_.opened.size(), 1u);
    EXPECT_EQ(watch_.owner, hwnd_);
    EXPECT_EQ(watch_.texts(), (std::vector<std::string>{"元の大きさに戻す(&R)", "-", "自動収集開始(&S)",
                                                        "自動収集停止(&T)", "-", "終了(&X)"}));
    EXPECT_FALSE(watch_.find(ID_GET_START)->grey);
    EXPECT_TRUE(watch_.find(ID_GET_STOP)->grey);
    EXPECT_FALSE(IsMenu(watch_.opened[0]));

    // While a collection runs: start grey, stop not.
    main_->collection().running = true;
    watch_.reset();
    SendMessageW(hwnd_, kTrayCallback, 2002, WM_RBUTTONUP);
    EXPECT_TRUE(watch_.find(ID_GET_START)->grey);
    EXPECT_FALSE(watch_.find(ID_GET_STOP)->grey);
    main_->collection().running = false;

    // With the ignore list current nothing can be started.
    main_->tabs().selectPage(1);
    watch_.reset();
    SendMessageW(hwnd_, kTrayCallback, 2002, WM_RBUTTONUP);
    EXPECT_TRUE(watch_.find(ID_GET_START)->grey);

    // 元の大きさに戻す, as the menu sends it.
    send(ID_RESTORE);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(main_->tray().shown());
}

}  // namespace
}  // namespace twk::ui::test
