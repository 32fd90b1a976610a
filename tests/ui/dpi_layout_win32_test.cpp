// The window at the DPI of the Wine prefix: the Windows suite runs these tests in prefixes at 96, 120, 144
// and 192 DPI (TWK_EXPECT_DPI names the one meant), each page at the default size and maximised.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "core/dpi.h"
#include "ui/dpi_win32.h"
#include "ui/main_window_win32.h"
#include "window_fixture_win32.h"

namespace twk::ui::test {
namespace {

// Stored widths of the list columns and the BBS pane, in 96-DPI units; a rectangle in the system's pixels.
constexpr int kStoredWidths[kFileColumnCount] = {17, 251, 61, 90, 77, 59, 80, 17, 150};
const char* const kStoredKeys[][2] = {
    {"WindowLeft", "11"},  {"WindowTop", "7"},     {"WindowRight", "807"},      {"WindowBottom", "591"},
    {"BbsLvWidth", "333"}, {"BbsLvHeight", "111"}, {"BbsColumnWidth01", "277"}, {"CondColumnWidth02", "301"}};

RECT rectIn(HWND page, HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool isGroupBox(HWND control) {
    return (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
           SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_STATIC;
}

class DpiLayoutTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        char key[32], value[16];
        for (int i = 0; i < kFileColumnCount; ++i) {
            std::snprintf(key, sizeof key, "ColumnWidth%02d", i);
            std::snprintf(value, sizeof value, "%d", kStoredWidths[i]);
            writeSetting(key, value);
        }
    }
    DpiScale scale() const { return main_->shared().scale; }
    void selectTab(int tab) {
        while (main_->tabs().current() != tab) send(ID_NEXTTAB, true);
    }
    // Every visible control of the page shown lies inside it and clear of the others; the list view starts
    // below the top row and its columns are the stored widths at the window's DPI.
    void checkPage(const std::string& where);
    void checkColumns(HWND list, const std::int32_t* units, int count, const std::string& where);
    // The status bar's parts are wide enough for the texts they hold.
    void checkStatusBar(const std::string& where);
};

void DpiLayoutTest::checkPage(const std::string& where) {
    Page* page = main_->tabs().currentPage();
    ASSERT_NE(page, nullptr) << where;
    HWND window = page->hwnd();
    RECT client = {};
    GetClientRect(window, &client);
    std::vector<std::pair<int, RECT>> shown;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        const RECT r = rectIn(window, c);
        const int id = GetDlgCtrlID(c);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << where << ": control " << id << " (" << r.left << "," << r.top << ")-(" << r.right << ","
            << r.bottom << ") outside the page " << client.right << "x" << client.bottom;
        if (!isGroupBox(c)) shown.emplace_back(id, r);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT both;
            EXPECT_FALSE(IntersectRect(&both, &shown[i].second, &shown[j].second))
                << where << ": controls " << shown[i].first << " and " << shown[j].first << " overlap";
        }
    HWND list = GetDlgItem(window, IDC_LIST);
    if (!list) return;
    const RECT listRect = rectIn(window, list);
    for (const auto& [id, r] : shown) {
        if (id != IDC_LIST && r.top < listRect.top) {
            EXPECT_LE(r.bottom, listRect.top) << where << ": control " << id << " reaches into the list view";
        }
    }
    const WindowState& stored = main_->shared().windowState;
    switch (page->kind()) {
        case PageKind::Bbs:
            checkColumns(list, stored.bbsColumnWidths, kBbsColumnCount, where);
            break;
        case PageKind::Conditions:
            checkColumns(list, stored.condColumnWidths, kCondColumnCount, where);
            break;
        default:
            checkColumns(list, stored.columnWidths, kFileColumnCount, where);
            for (int i = 0; i < kFileColumnCount; ++i) EXPECT_EQ(stored.columnWidths[i], kStoredWidths[i]);
    }
}

void DpiLayoutTest::checkColumns(HWND list, const std::int32_t* units, int count, const std::string& where) {
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0), (units[i] * scale().dpi() + 48) / kBaseDpi)
            << where << ": column " << i;
}

void DpiLayoutTest::checkStatusBar(const std::string& where) {
    HWND bar = GetDlgItem(hwnd_, IDC_STATUSBAR);
    HDC dc = GetDC(bar);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(bar, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    for (int part : {kStatusCounts, kStatusCollecting}) {
        const std::wstring text = widen(status(part));
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        RECT r = {};
        SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&r));
        EXPECT_FALSE(text.empty()) << where;
        EXPECT_LE(extent.cx + scale().px(4), r.right - r.left) << where << ": status part " << part;
    }
    SelectObject(dc, old);
    ReleaseDC(bar, dc);
}

TEST_F(DpiLayoutTest, EveryPageIsLaidOutAtTheDpiAtTheDefaultSizeAndMaximised) {
    start();
    if (const char* expected = std::getenv("TWK_EXPECT_DPI")) {
        EXPECT_EQ(scale().dpi(), std::atoi(expected));
    }
    EntryList& list = *main_->tabs().pageList(0);
    addRows(list, 400);
    list.entryAt(300)->setMarked(true);
    send(ID_EDIT_SELECTALL, true);
    main_->statusBar().setText(kStatusCollecting, "自動収集中");
    for (int show : {SW_SHOWNORMAL, SW_MAXIMIZE}) {
        ShowWindow(hwnd_, show);
        const std::string size = show == SW_MAXIMIZE ? "maximised" : "default size";
        for (int tab = 0; tab < main_->tabs().count(); ++tab) {
            selectTab(tab);
            checkPage(size + ", tab " + std::to_string(tab));
        }
        // The BBS pane side by side too.
        selectTab(3);
        SendMessageW(main_->tabs().pageWindow(3), WM_COMMAND, MAKEWPARAM(IDC_BBS_SIDEBYSIDE, BN_CLICKED), 0);
        checkPage(size + ", BBS side by side");
        SendMessageW(main_->tabs().pageWindow(3), WM_COMMAND, MAKEWPARAM(IDC_BBS_STACKED, BN_CLICKED), 0);
        selectTab(0);
        send(ID_EDIT_SELECTALL, true);
        checkStatusBar(size);
        // A mark jump brings the marked row to the top.
        SendMessageW(view(0), LVM_ENSUREVISIBLE, 0, FALSE);
        send(ID_NEXTMARK, true);
        EXPECT_EQ(SendMessageW(view(0), LVM_GETTOPINDEX, 0, 0), 300) << size;
    }
}

// Nothing resized: the stored sizes and the placement come back as they were, byte for byte whatever the DPI
// (the suite compares the files of its DPI runs, copied to TWK_DPI_ROUNDTRIP_DIR).
TEST_F(DpiLayoutTest, AStartAndCloseWritesTheStoredSizesUnchanged) {
    for (const auto& kv : kStoredKeys) writeSetting(kv[0], kv[1]);
    start();
    closeWindow();
    for (const auto& kv : kStoredKeys) EXPECT_EQ(readSetting(kv[0]), kv[1]) << kv[0];
    EXPECT_EQ(readSetting("ColumnWidth01"), "251");
    if (const char* dir = std::getenv("TWK_DPI_ROUNDTRIP_DIR")) {
        std::ifstream in(iniPath(), std::ios::binary);
        std::ofstream out(std::string(dir) + "/TWK-" + std::to_string(scale().dpi()) + ".ini",
                          std::ios::binary);
        out << in.rdbuf();
    }
}

// A move to a monitor of twice the DPI takes the rectangle the system suggests and lays the window out at the
// new DPI; the move back leaves the stored widths as they were.
TEST_F(DpiLayoutTest, AMoveToAnotherDpiLaysTheWindowOutAgain) {
    start();
    const int dpi = scale().dpi();
    RECT before = {}, now = {};
    GetWindowRect(hwnd_, &before);
    RECT suggested = {before.left + 8, before.top + 8, before.right + 8 + scale().px(100), before.bottom + 8};
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(scale().dpi(), dpi * 2);
    GetWindowRect(hwnd_, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    checkPage("at twice the DPI");
    RECT part = {};
    SendMessageW(GetDlgItem(hwnd_, IDC_STATUSBAR), SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
    EXPECT_EQ(part.right, (155 * dpi * 2 + 48) / kBaseDpi);
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&before));
    closeWindow();
    EXPECT_EQ(readSetting("ColumnWidth01"), "251");
    EXPECT_EQ(readSetting("ColumnWidth08"), "150");
}

}  // namespace
}  // namespace twk::ui::test
