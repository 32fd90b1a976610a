// Page behaviour: the search box and Enter, the combo histories, the lists and conditions kept across runs,
// the BBS page's layouts.
#include "ui/pages_win32.h"

#include <functional>

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
    ASSERT_GE(main_->shared().conditions.add("abc", "", false), 0);
    closeWindow();
    main_.reset();

    start();
    EntryList& ignore = *main_->tabs().pageList(1);
    ASSERT_EQ(ignore.count(), 3);
    EXPECT_EQ(SendMessageW(view(1), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(ignore.entryAt(0)->name(), "row00");
    ASSERT_EQ(main_->shared().conditions.count(), 1);
    EXPECT_EQ(main_->shared().conditions.at(0).text, "abc");
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
    EXPECT_EQ(main_->shared().windowState.bbsVertical, 1);

    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BBS_STACKED, BN_CLICKED), 0);
    r = listRect();
    EXPECT_EQ(r.bottom - r.top, 120);
    closeWindow();
    EXPECT_EQ(readSetting("BbsVertical"), "0");
    EXPECT_EQ(readSetting("BbsLvWidth"), "250");
}

TEST_F(PagesTest, DraggingTheBbsSplitterSetsTheListSize) {
    writeSetting("BbsLvHeight", "100");
    start();
    HWND page = main_->tabs().pageWindow(3);
    RECT client;
    GetClientRect(page, &client);
    const int H = client.bottom;
    WindowState& state = main_->shared().windowState;
    auto drag = [&](int fromX, int fromY, int toX, int toY) {
        SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fromX, fromY));
        SendMessageW(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(toX, toY));
        SendMessageW(page, WM_LBUTTONUP, 0, MAKELPARAM(toX, toY));
    };
    // Stacked: the zone is y in [h + 29, h + 32].
    drag(50, 130, 50, 40);
    EXPECT_EQ(state.bbsLvHeight, 11);
    drag(50, 11 + 29, 50, 20);  // at or above y = 29: no list
    EXPECT_EQ(state.bbsLvHeight, 0);
    drag(50, 29, 50, H - 10);  // below H - 29
    EXPECT_EQ(state.bbsLvHeight, H - 58);
    RECT list;
    GetWindowRect(view(3), &list);
    EXPECT_EQ(list.bottom - list.top, H - 58);
    // A press outside the zone starts nothing.
    drag(50, 5, 50, 60);
    EXPECT_EQ(state.bbsLvHeight, H - 58);

    // Side by side: released left of the page gives the narrowest list.
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_BBS_SIDEBYSIDE, BN_CLICKED), 0);
    const int w = state.bbsLvWidth;
    drag(w + 1, 100, -20, 100);
    EXPECT_EQ(state.bbsLvWidth, 2);
    drag(3, 100, 180, 100);
    EXPECT_EQ(state.bbsLvWidth, 180);
}

TEST_F(PagesTest, ConditionTargetsAreTheListTabsFromTheLast) {
    start();
    HWND page = main_->tabs().pageWindow(2);
    HWND combo = GetDlgItem(page, IDC_COND_TARGET);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_COND_TARGET, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(combo));
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    const char* expected[] = {"BBSリスト", "無視リスト", "新規リスト01"};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(narrow(text), expected[i]);
    }
}

TEST_F(PagesTest, ConditionPageLaysOutItsControls) {
    start();
    HWND page = main_->tabs().pageWindow(2);
    RECT client, add, edit, label;
    GetClientRect(page, &client);
    GetWindowRect(GetDlgItem(page, IDC_COND_ADD), &add);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&add), 2);
    EXPECT_EQ(add.right, client.right - 5);
    EXPECT_EQ(add.top, 3);
    GetWindowRect(GetDlgItem(page, IDC_COND_TEXT), &edit);
    GetWindowRect(GetDlgItem(page, IDC_COND_TARGET_LABEL), &label);
    EXPECT_EQ(edit.right, label.left - 13);
}

// The pixel width of an icon's image.
int iconWidth(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// The title bar's (16 pixels at 96 DPI), the taskbar's (32) and the buttons' icons (16) follow the DPI.
TEST_F(PagesTest, TheWindowAndTheIconButtonsShowIconsOfTheSizeOfTheDpi) {
    start();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_SMALL, 0))),
              16 * dpi / 96);
    EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_BIG, 0))),
              32 * dpi / 96);
    HWND page = main_->tabs().firstPageOfKind(PageKind::Bbs);
    for (int button : {IDC_NEXTMARK, IDC_PREVMARK, IDC_BBS_STACKED, IDC_BBS_SIDEBYSIDE, IDC_CLOSELIST})
        EXPECT_EQ(
            iconWidth(reinterpret_cast<HICON>(SendDlgItemMessageW(page, button, BM_GETIMAGE, IMAGE_ICON, 0))),
            16 * dpi / 96)
            << "button " << button;
}

// Every icon-only button of a page of rows has a tooltip that names what it does: the words of the menu item
// that does the same, where there is one.
TEST_F(PagesTest, IconButtonsNameWhatTheyDoInTheirTooltips) {
    struct Tip {
        PageKind kind;
        int button;
        const char* text;
        int menu, command;
    };
    const Tip tips[] = {
        {PageKind::Normal, IDC_NEXTMARK, "次の検索マークへ (F3)", 0, 0},
        {PageKind::Normal, IDC_PREVMARK, "前の検索マークへ (Shift+F3)", 0, 0},
        {PageKind::Normal, IDC_CLOSELIST, "閉じる", IDR_MAINMENU, ID_FILE_CLOSE},
        {PageKind::Bbs, IDC_NEXTMARK, "次の検索マークへ (F3)", 0, 0},
        {PageKind::Bbs, IDC_PREVMARK, "前の検索マークへ (Shift+F3)", 0, 0},
        {PageKind::Bbs, IDC_BBS_STACKED, "上下に並べる", 0, 0},
        {PageKind::Bbs, IDC_BBS_SIDEBYSIDE, "左右に並べる", 0, 0},
        {PageKind::Bbs, IDC_CLOSELIST, "閉じる", IDR_BROWSERMENU, ID_BROWSER_CLOSE},
    };
    start();
    for (PageKind kind : {PageKind::Normal, PageKind::Bbs}) {
        auto* page = dynamic_cast<RowsPage*>(main_->tabs().firstPage(kind));
        ASSERT_TRUE(page && page->iconButtons().tooltip());
        HWND tooltip = page->iconButtons().tooltip();
        int buttons = 0;
        for (HWND b = GetWindow(page->hwnd(), GW_CHILD); b; b = GetWindow(b, GW_HWNDNEXT)) {
            wchar_t className[16] = {};
            GetClassNameW(b, className, 16);
            if (lstrcmpiW(className, L"Button") != 0 || !(GetWindowLongPtrW(b, GWL_STYLE) & BS_ICON))
                continue;
            ++buttons;
            const int id = GetDlgCtrlID(b);
            const Tip* tip = nullptr;
            for (const Tip& t : tips)
                if (t.kind == kind && t.button == id) tip = &t;
            ASSERT_TRUE(tip) << "button " << id << " has no tooltip text to check";
            wchar_t text[80] = {};
            TTTOOLINFOW tool = {};
            tool.cbSize = sizeof tool;
            tool.hwnd = page->hwnd();
            tool.uId = reinterpret_cast<UINT_PTR>(b);
            tool.lpszText = text;
            SendMessageW(tooltip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
            EXPECT_EQ(narrow(text), tip->text) << "button " << id;
            if (!tip->menu) continue;
            OwnedMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(tip->menu)));
            wchar_t item[80] = {};
            GetMenuStringW(menu.get(), tip->command, item, 80, MF_BYCOMMAND);
            EXPECT_EQ(narrow(item).rfind(std::string(tip->text) + "(&", 0), 0u) << narrow(item);
        }
        EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), buttons);
    }
}

}  // namespace
}  // namespace twk::ui::test

namespace twk::ui::test {
namespace {

// Paints the view into a bitmap of its client size and hands the bitmap's device context to `read`.
template <class Read>
auto readPrintedView(HWND view, Read&& read) {
    RECT client;
    GetClientRect(view, &client);
    HDC screen = GetDC(view);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    auto result = read(dc);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(view, screen);
    return result;
}

// The colour at (x, y) of the painted view.
COLORREF printedPixel(HWND view, int x, int y) {
    return readPrintedView(view, [&](HDC dc) { return GetPixel(dc, x, y); });
}

// How many pixels of the colour lie in the rectangle of the painted view.
int printedPixelsOf(HWND view, RECT area, COLORREF colour) {
    return readPrintedView(view, [&](HDC dc) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (GetPixel(dc, x, y) == colour) ++n;
        return n;
    });
}

// The colours of the pixels in the rectangle, row by row.
std::vector<COLORREF> pixelsOf(HDC dc, const RECT& area) {
    std::vector<COLORREF> out;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) out.push_back(GetPixel(dc, x, y));
    return out;
}

using PaintTest = WindowTest;

TEST_F(PaintTest, RowTextsAreDrawnInTheirConfiguredColours) {
    writeSetting("Color_TextSelect", "0xFF0000");  // blue
    writeSetting("Color_TextItem", "0xFF00FF");    // magenta
    writeSetting("GridLine", "0");
    start();
    addRows(*main_->tabs().pageList(0), 2);
    selectItems(0, {1});
    RECT row0 = {LVIR_BOUNDS, 0, 0, 0}, row1 = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(view(0), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row0));
    SendMessageW(view(0), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row1));
    // The name cells ("row00", "row01").
    RECT name0 = {16, row0.top, 16 + 120, row0.bottom};
    RECT name1 = {16, row1.top, 16 + 120, row1.bottom};
    EXPECT_GT(printedPixelsOf(view(0), name1, RGB(0, 0, 255)), 0);
    EXPECT_EQ(printedPixelsOf(view(0), name1, RGB(255, 0, 255)), 0);
    EXPECT_GT(printedPixelsOf(view(0), name0, RGB(255, 0, 255)), 0);
    EXPECT_EQ(printedPixelsOf(view(0), name0, RGB(0, 0, 255)), 0);
}

TEST_F(PaintTest, SelectedRowsAreFilledWithTheSelectionColour) {
    writeSetting("Color_BackSelect", "0x0000FF");
    writeSetting("Color_BackItem", "0x00FF00");
    writeSetting("GridLine", "0");
    start();
    addRows(*main_->tabs().pageList(0), 3);
    selectItems(0, {1});
    RECT row0 = {LVIR_BOUNDS, 0, 0, 0}, row1 = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(view(0), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row0));
    SendMessageW(view(0), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row1));
    // A point inside the name column to the right of the short name.
    const int x = 16 + 250;
    EXPECT_EQ(printedPixel(view(0), x, (row1.top + row1.bottom) / 2), RGB(255, 0, 0));
    EXPECT_EQ(printedPixel(view(0), x, (row0.top + row0.bottom) / 2), RGB(0, 255, 0));
}

// The view paints the rows' own selection: after the commands that set it on every row, and after a sort that
// moves other rows under the view's positions.
TEST_F(PaintTest, ShownRowsAreFilledAsTheRowsAreSelected) {
    writeSetting("Color_BackSelect", "0x0000FF");
    writeSetting("Color_BackItem", "0x00FF00");
    writeSetting("GridLine", "0");
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 200);
    selectItems(0, {0, 2, 3, 7});
    auto expectPainted = [&](const char* what) {
        const int top = static_cast<int>(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0));
        const int shown = static_cast<int>(SendMessageW(view(0), LVM_GETCOUNTPERPAGE, 0, 0));
        std::vector<int> rows, selected;
        std::vector<POINT> points;
        for (int row = top; row < top + shown && row < list.count(); ++row) {
            RECT r = {LVIR_BOUNDS, 0, 0, 0};
            SendMessageW(view(0), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
            points.push_back(POINT{16 + 250, (r.top + r.bottom) / 2});
            rows.push_back(row);
            if (list.entryAt(row)->selected) selected.push_back(row);
        }
        std::vector<int> painted = readPrintedView(view(0), [&](HDC dc) {
            std::vector<int> out;
            for (std::size_t i = 0; i < points.size(); ++i)
                if (GetPixel(dc, points[i].x, points[i].y) == RGB(255, 0, 0)) out.push_back(rows[i]);
            return out;
        });
        ASSERT_GT(rows.size(), 8u) << what;
        EXPECT_EQ(painted, selected) << what;
    };
    expectPainted("four rows selected");
    send(ID_EDIT_INVERT);
    expectPainted("inverted");
    // サイズ twice: the smallest first, which are the last rows.
    main_->onColumnClick(*main_->tabs().page(0), 3);
    main_->onColumnClick(*main_->tabs().page(0), 3);
    EXPECT_EQ(list.entryAt(0)->name(), "row199");
    expectPainted("sorted");
    send(ID_EDIT_CLEARSEL);
    expectPainted("cleared");
    send(ID_EDIT_SELECTALL);
    expectPainted("all");
}

// What changes the rows repaints the rows: the header above them, which nothing of this changed, is left
// alone (painting it costs more than all the rows shown).
TEST_F(PaintTest, ChangesOfTheRowsLeaveTheHeaderUnpainted) {
    start();
    addRows(*main_->tabs().pageList(0), 50);
    HWND v = view(0);
    HWND header = reinterpret_cast<HWND>(SendMessageW(v, LVM_GETHEADER, 0, 0));
    RECT bar = {};
    ASSERT_TRUE(GetWindowRect(header, &bar));
    MapWindowPoints(nullptr, v, reinterpret_cast<POINT*>(&bar), 2);
    ASSERT_GT(bar.bottom, 0);
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"select all", [&] { send(ID_EDIT_SELECTALL); }},
        {"invert", [&] { send(ID_EDIT_INVERT); }},
        {"clear", [&] { send(ID_EDIT_CLEARSEL); }},
        {"one row", [&] { selectItems(0, {2}); }},
        {"sort", [&] { main_->onColumnClick(*main_->tabs().page(0), 3); }},
    };
    for (const auto& c : cases) {
        RedrawWindow(v, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        c.change();
        RECT update = {};
        EXPECT_TRUE(GetUpdateRect(v, &update, FALSE)) << c.what;
        EXPECT_GE(update.top, bar.bottom) << c.what;
        EXPECT_FALSE(GetUpdateRect(header, nullptr, FALSE)) << c.what;
    }
}

// A paint reads the columns' widths once: the next one draws the cells where the columns have moved to.
TEST_F(PaintTest, CellsFollowTheColumnWidths) {
    writeSetting("Color_TextItem", "0xFF00FF");  // magenta
    writeSetting("GridLine", "0");
    start();
    addRows(*main_->tabs().pageList(0), 1);
    HWND v = view(0);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(v, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    const int name = static_cast<int>(SendMessageW(v, LVM_GETCOLUMNWIDTH, 0, 0));
    SendMessageW(v, LVM_SETCOLUMNWIDTH, 2, 150);  // トリップ: "trip"
    // Where "trip" begins with the name column 200 wide.
    const RECT trip = {name + 200 + 4, row.top, name + 200 + 4 + 12, row.bottom};
    for (const int width : {200, 100, 200}) {
        SendMessageW(v, LVM_SETCOLUMNWIDTH, 1, width);
        EXPECT_EQ(printedPixelsOf(v, trip, RGB(255, 0, 255)) > 0, width == 200) << width;
    }
}

// A number wider than its right-aligned column keeps its leading digits and ends in an ellipsis, drawn as the
// system draws a text that does not fit (DrawText with DT_END_ELLIPSIS); a number that fits is drawn whole.
TEST_F(PaintTest, NumbersWiderThanTheirColumnEndInAnEllipsis) {
    writeSetting("Color_TextItem", "0xFF00FF");
    writeSetting("Color_BackItem", "0xFFFFFF");
    writeSetting("GridLine", "0");
    start();
    const char* size = "1,277,007,104";
    const char* posts = "123,456,789,012";
    for (const int tab : {0, 3}) {  // a list page, the BBS page
        const char* texts[8] = {"row", "trip", size, "完全", posts, "Jan 01 00:00", "1", "0123456789abcdef"};
        main_->tabs().pageList(tab)->addTexts(8, texts, 0);
    }
    const struct {
        int tab, column;  // the view's right-aligned columns
        const char* text;
    } cells[] = {{0, 3, size}, {0, 5, posts}, {3, 2, size}, {3, 4, posts}};
    for (const auto& cell : cells) {
        main_->tabs().selectPage(cell.tab);
        HWND v = view(cell.tab);
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(v, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        int left = 0;
        for (int c = 0; c < cell.column; ++c)
            left += static_cast<int>(SendMessageW(v, LVM_GETCOLUMNWIDTH, c, 0));
        for (const int width : {40, 200}) {
            SendMessageW(v, LVM_SETCOLUMNWIDTH, cell.column, width);
            const RECT area = {left, row.top, left + width - 4, row.bottom};
            // The cell as the system draws the whole text into it, with and without the ellipsis.
            auto drawn = [&](UINT ellipsis) {
                return readPrintedView(v, [&](HDC dc) {
                    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                    SetTextColor(dc, RGB(255, 0, 255));
                    SetBkMode(dc, TRANSPARENT);
                    HGDIOBJ font =
                        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(v, WM_GETFONT, 0, 0)));
                    RECT r = area;
                    const std::wstring w = widen(cell.text);
                    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r,
                              DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_RIGHT | ellipsis);
                    SelectObject(dc, font);
                    return pixelsOf(dc, area);
                });
            };
            const auto shown = readPrintedView(v, [&](HDC dc) { return pixelsOf(dc, area); });
            const std::string where = std::to_string(cell.tab) + "/" + std::to_string(cell.column) +
                                      " width " + std::to_string(width);
            EXPECT_EQ(shown == drawn(0), width == 200) << where << ": the number is whole where it fits";
            EXPECT_TRUE(shown == drawn(DT_END_ELLIPSIS)) << where;
        }
    }
}

}  // namespace
}  // namespace twk::ui::test
