// The list views of the list pages hold no items, only the row count and the row states. After large changes
// they must show what a view with one item per row shows: the same count, and the selection, the focus and
// the Shift anchor on the same rows.
#include <cstdio>
#include <random>
#include <set>

#include "core/list_view.h"
#include "tests/ui/window_fixture_win32.h"
#include "ui/pages_win32.h"

namespace twk::ui::test {
namespace {

struct ViewState {
    int count = 0;
    std::vector<int> selected;
    int focus = -1;
    int mark = -1;
    bool operator==(const ViewState& o) const {
        return count == o.count && selected == o.selected && focus == o.focus && mark == o.mark;
    }
};

std::ostream& operator<<(std::ostream& out, const ViewState& s) {
    out << "count " << s.count << ", focus " << s.focus << ", mark " << s.mark << ", selected";
    for (std::size_t i = 0; i < s.selected.size() && i < 40; ++i) out << ' ' << s.selected[i];
    if (s.selected.size() > 40) out << " ... (" << s.selected.size() << ")";
    return out;
}

ViewState stateOf(HWND view) {
    ViewState s;
    s.count = static_cast<int>(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < s.count; ++i)
        if (SendMessageW(view, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) s.selected.push_back(i);
    s.focus = static_cast<int>(SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    s.mark = static_cast<int>(SendMessageW(view, LVM_GETSELECTIONMARK, 0, 0));
    return s;
}

void setState(HWND view, int item, UINT mask, bool on) {
    LVITEMW it = {};
    it.stateMask = mask;
    it.state = on ? mask : 0;
    SendMessageW(view, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
}

void addRow(EntryList& list, const std::string& name, unsigned hash, int mode) {
    char h[40];
    std::snprintf(h, sizeof h, "%032X", hash);
    const char* texts[8] = {name.c_str(), "trip", "1,000", "完全キャッシュ", "10", "01/01 00:00", "1", h};
    list.addTexts(8, texts, mode);
}

std::string nameOf(std::mt19937& rng) {
    std::string name;
    for (int k = 0; k < 8; ++k) name += static_cast<char>('a' + rng() % 26);
    return name;
}

std::set<std::string> selectedHashes(EntryList& list, HWND view) {
    std::set<std::string> out;
    for (int i : stateOf(view).selected) out.insert(list.entryAt(i)->hash());
    return out;
}

class RowViewTest : public WindowTest {
  protected:
    // A view of the same kind with one item per row, beside the page.
    void makeItemView() {
        itemView_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                    WS_CHILD | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS, 0, 0, 300,
                                    200, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(itemView_, nullptr);
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        SendMessageW(itemView_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        items_.attach(itemView_);
        twin_.setView(&items_);
    }
    void TearDown() override {
        twin_.setView(nullptr);
        if (itemView_) DestroyWindow(itemView_);
        WindowTest::TearDown();
    }
    // The same change made to the page's list and to the twin list.
    template <class F>
    void both(F&& change) {
        change(*main_->tabs().pageList(0));
        change(twin_);
    }
    // The page's view against the view with items: the same count, focus and anchor; and exactly the rows of
    // `selected` selected. (A view with items under this system also selects a row inserted inside a selected
    // run, which the user never chose: the page's view does not.)
    void expectSameStates(const char* what, const std::set<std::string>& selected) {
        EntryList& list = *main_->tabs().pageList(0);
        ViewState page = stateOf(view(0)), items = stateOf(itemView_);
        EXPECT_EQ(page.count, items.count) << what;
        EXPECT_EQ(page.focus, items.focus) << what;
        EXPECT_EQ(page.mark, items.mark) << what;
        EXPECT_EQ(list.count(), twin_.count()) << what;
        std::vector<int> expected;
        for (int i = 0; i < list.count(); ++i)
            if (selected.count(list.entryAt(i)->hash())) expected.push_back(i);
        EXPECT_EQ(page.selected, expected) << what;
    }

    HWND itemView_ = nullptr;
    Win32ListView items_;
    EntryList twin_{ListKind::Normal};
};

TEST_F(RowViewTest, ListPagesHoldNoItems) {
    start();
    EXPECT_TRUE(main_->tabs().page(0)->listView()->ownerData());
    EXPECT_TRUE(main_->tabs().page(1)->listView()->ownerData());   // the ignore list
    EXPECT_FALSE(main_->tabs().page(2)->listView()->ownerData());  // the condition page keeps its items
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 30);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 30);

    // Asked for a text, the view has none; typed letters find no row.
    wchar_t text[16] = L"x";
    LVITEMW item = {};
    item.pszText = text;
    item.cchTextMax = 16;
    SendMessageW(view(0), LVM_GETITEMTEXTW, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"");
    SendMessageW(view(0), WM_CHAR, 'r', 0);
    SendMessageW(view(0), WM_CHAR, 'o', 0);
    EXPECT_TRUE(selectedItems(0).empty());
}

// Sorted inserts in one batch, as a collection or a paste makes them, then single inserts, deletions and a
// purge: the selection, the focus and the anchor stay on their rows exactly as in a view with items.
TEST_F(RowViewTest, BatchesOfInsertsAndDeletionsKeepTheStatesOnTheirRows) {
    start();
    makeItemView();
    EntryList& list = *main_->tabs().pageList(0);
    struct Pattern {
        const char* name;
        std::vector<int> selected;  // -1: every row
        int focus, mark;
    };
    std::vector<int> alternate;
    for (int i = 100; i < 400; i += 2) alternate.push_back(i);
    const Pattern patterns[] = {{"nothing selected", {}, -1, -1},
                                {"a few rows", {0, 1, 2, 50, 51, 52, 53, 999}, 51, 50},
                                {"every row", {-1}, 0, 0},
                                {"every other row", alternate, 398, 100},
                                {"focus only", {}, 700, -1}};
    unsigned serial = 1;
    for (const Pattern& p : patterns) {
        SCOPED_TRACE(p.name);
        both([](EntryList& l) {
            BulkUpdate bulk(l.view());
            l.clear();
            l.view()->deleteAllItems();
        });
        std::mt19937 rng(serial);
        std::vector<std::string> names;
        for (int i = 0; i < 1000; ++i) names.push_back(nameOf(rng));
        both([&](EntryList& l) {
            BulkUpdate bulk(l.view());
            for (int i = 0; i < 1000; ++i) addRow(l, names[i], serial * 100000 + i, 1);
        });
        serial++;
        for (HWND v : {view(0), itemView_}) {
            for (int i : p.selected) setState(v, i, LVIS_SELECTED, true);
            if (p.focus >= 0) setState(v, p.focus, LVIS_FOCUSED, true);
            if (p.mark >= 0) SendMessageW(v, LVM_SETSELECTIONMARK, 0, p.mark);
        }
        const std::set<std::string> before = selectedHashes(list, view(0));
        EXPECT_EQ(stateOf(view(0)), stateOf(itemView_));

        // 500 rows at their sorted places, and some behind the last row.
        std::vector<std::string> more;
        for (int i = 0; i < 500; ++i) more.push_back(i % 10 == 0 ? "zzz" + nameOf(rng) : nameOf(rng));
        both([&](EntryList& l) {
            BulkUpdate bulk(l.view());
            for (int i = 0; i < 500; ++i) addRow(l, more[i], serial * 100000 + i, 1);
        });
        serial++;
        expectSameStates("after a batch", before);

        // Rows one at a time, without a batch, at the top and in the middle.
        both([&](EntryList& l) {
            addRow(l, "", serial * 100000, 1);
            addRow(l, more[7] + "x", serial * 100000 + 1, 1);
        });
        serial++;
        expectSameStates("after single rows", before);

        // Every third row marked for purging and purged; then the selection deleted.
        both([](EntryList& l) {
            for (int i = 0; i < l.count(); i += 3) l.entryAt(i)->purgeMark = 1;
            EntryList filter(ListKind::Ignore);
            l.linkFilter(&filter);
            filter.addTexts(8, std::vector<const char*>(8, "").data(), 0);
            for (int i = 0; i < l.count(); i += 3) filter.markInDependents(l.entryAt(i)->hash());
            filter.purgeDependents();
            l.unlinkFilter(&filter);
        });
        std::set<std::string> left;
        for (const std::string& h : before)
            if (list.findHash(h.c_str()) >= 0) left.insert(h);
        expectSameStates("after a purge", left);
        // The twin takes the page's selection, so that both delete the same rows.
        for (int i = 0; i < twin_.count(); ++i)
            setState(itemView_, i, LVIS_SELECTED, left.count(twin_.entryAt(i)->hash()) > 0);
        both([](EntryList& l) {
            l.syncSelectionFromView();
            l.deleteSelected();
        });
        expectSameStates("after deleting the selection", {});
    }
}

// Clicks (Shift and Control as the mouse message carries them) and the keys that move the focus select on the
// page's view exactly what they select on a view that keeps its selection itself, the focus, the anchor and
// the rows shown included.
TEST_F(RowViewTest, ClicksAndKeysSelectAsInAViewThatKeepsItsSelection) {
    start();
    makeItemView();
    // The same font and client area: a page of rows is as long in both.
    RECT client;
    GetClientRect(view(0), &client);
    SendMessageW(itemView_, WM_SETFONT, SendMessageW(view(0), WM_GETFONT, 0, 0), TRUE);
    SetWindowPos(itemView_, nullptr, 0, 0, client.right, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    both([](EntryList& l) {
        BulkUpdate bulk(l.view());
        addRows(l, 300);
    });
    ASSERT_EQ(SendMessageW(view(0), LVM_GETCOUNTPERPAGE, 0, 0),
              SendMessageW(itemView_, LVM_GETCOUNTPERPAGE, 0, 0));
    auto click = [](HWND v, WPARAM keys, int row) {
        RECT r = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(v, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        const LPARAM point = MAKELPARAM(r.left + 30, (r.top + r.bottom) / 2);
        SendMessageW(v, WM_LBUTTONDOWN, MK_LBUTTON | keys, point);
        SendMessageW(v, WM_LBUTTONUP, keys, point);
    };
    struct Step {
        const char* what;
        WPARAM keys;  // the mouse message's MK_SHIFT and MK_CONTROL; a virtual key for a key
        int row;      // the row clicked; -1: a key
    };
    const Step steps[] = {
        {"click", 0, 5},
        {"Shift+click below", MK_SHIFT, 9},
        {"Shift+click above", MK_SHIFT, 2},
        {"Control+click", MK_CONTROL, 12},
        {"Control+click on a selected row", MK_CONTROL, 3},
        {"Control+click", MK_CONTROL, 20},
        {"click on a selected row", 0, 20},
        {"Down", VK_DOWN, -1},
        {"Page Down", VK_NEXT, -1},
        {"Page Down again", VK_NEXT, -1},
        {"Page Up", VK_PRIOR, -1},
        {"End", VK_END, -1},
        {"Down on the last row", VK_DOWN, -1},
        {"Up", VK_UP, -1},
        {"Home", VK_HOME, -1},
        {"Up on the first row", VK_UP, -1},
        {"Space", VK_SPACE, -1},
    };
    for (const Step& step : steps) {
        for (HWND v : {itemView_, view(0)}) {
            if (step.row >= 0)
                click(v, step.keys, step.row);
            else
                SendMessageW(v, WM_KEYDOWN, step.keys, 0);
        }
        EXPECT_EQ(stateOf(view(0)), stateOf(itemView_)) << step.what;
        EXPECT_EQ(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0),
                  SendMessageW(itemView_, LVM_GETTOPINDEX, 0, 0))
            << step.what;
    }
    EXPECT_EQ(stateOf(view(0)).selected, std::vector<int>{0});
}

// After a batch the page repaints the rows that changed: from the first row counted in, or every row when a
// row already shown took newer texts; rows counted in behind the shown ones repaint none.
TEST_F(RowViewTest, ABatchRepaintsTheRowsItChanged) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    {
        BulkUpdate bulk(list.view());
        addRows(list, 200);
    }
    HWND v = view(0);
    auto rowRect = [&](int item) {
        RECT r = {};
        r.left = LVIR_BOUNDS;
        SendMessageW(v, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        return r;
    };
    auto dirty = [&](int item) {
        RECT update = {}, row = rowRect(item), both = {};
        return GetUpdateRect(v, &update, FALSE) && IntersectRect(&both, &update, &row);
    };
    auto add = [&](const char* name, int hash, const char* ref) {
        char h[40];
        std::snprintf(h, sizeof h, "%032d", hash);
        const char* texts[8] = {name, "trip", "1", "完全キャッシュ", ref, "Jan 01 00:00", "1", h};
        BulkUpdate bulk(list.view());
        list.addTexts(8, texts, 1);
    };
    UpdateWindow(v);
    add("row99z", 5000, "1");  // far below the shown rows
    EXPECT_FALSE(dirty(0));
    EXPECT_FALSE(dirty(3));
    UpdateWindow(v);
    add("row02z", 5001, "1");  // in front of row 3
    EXPECT_FALSE(dirty(2));
    EXPECT_TRUE(dirty(3));
    UpdateWindow(v);
    add("newer", 0, "99");  // the hash of row00, with newer texts
    EXPECT_EQ(list.count(), 202);
    EXPECT_TRUE(dirty(0));
}

// The program's own paths on a shown page: a paste at the sorted places keeps the user's selection on its
// rows, and a large load gives one row per line in file order with the counts shown.
TEST_F(RowViewTest, PasteAndLoadOnAShownPage) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    {
        BulkUpdate bulk(list.view());
        addRows(list, 300);
    }
    selectItems(0, {5, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 299});
    setState(view(0), 104, LVIS_FOCUSED, true);
    const std::set<std::string> before = selectedHashes(list, view(0));
    const std::string focused = list.entryAt(104)->hash();

    std::string text;
    char line[160];
    for (int i = 0; i < 200; ++i) {
        std::snprintf(line, sizeof line, "row%02da\ttrip\t1\t完全キャッシュ\t1\tJan 01 00:00\t1\t%032X\r\n",
                      i * 3, 0xC000 + i);
        text += line;
    }
    putClipboardBytes(text);
    send(ID_EDIT_PASTE);
    ASSERT_EQ(list.count(), 500);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 500);
    EXPECT_EQ(selectedHashes(list, view(0)), before);
    const int focus =
        static_cast<int>(SendMessageW(view(0), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    ASSERT_GE(focus, 0);
    EXPECT_EQ(list.entryAt(focus)->hash(), focused);
    EXPECT_EQ(status(kStatusCounts), "Hit数:500  選択数:13");

    // A list file of 20,000 rows opened over it.
    std::string path = folder_ + "big.txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (int i = 0; i < 20000; ++i)
        std::fprintf(f, "file%05d\ttrip\t%d\t完全キャッシュ\t1\t01/01 00:00\t1\t%032X\r\n", 19999 - i, i, i);
    std::fclose(f);
    main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
    ASSERT_TRUE(main_->files().openIntoCurrent(path));
    ASSERT_EQ(list.count(), 20000);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETITEMCOUNT, 0, 0), 20000);
    EXPECT_EQ(SendMessageW(view(0), LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(status(kStatusCounts), "Hit数:20000  選択数:0");
    char hash[40];
    for (int i : {0, 1, 12345, 19999}) {
        std::snprintf(hash, sizeof hash, "%032X", i);
        EXPECT_STREQ(list.entryAt(i)->hash(), hash) << i;
    }
    EXPECT_TRUE(IsWindowVisible(view(0)));
}

}  // namespace
}  // namespace twk::ui::test
