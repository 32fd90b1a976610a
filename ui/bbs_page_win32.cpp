#include "ui/bbs_page_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "core/entry_list.h"
#include "resources/resource.h"
#include "settings/settings_keys.h"
#include "ui/layout_rules.h"
#include "ui/main_window_win32.h"
#include "ui/settings_page_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

int clampInto(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

}  // namespace

BbsPage::BbsPage(MainWindow& main) : RowsPage(main, PageKind::Bbs, IDD_BBSPAGE) {}

BbsPage::~BbsPage() {
    browsers_.removeAll();
    destroy();
}

INT_PTR BbsPage::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            INT_PTR result = RowsPage::onMessage(message, wParam, lParam);
            HWND tabs = item(IDC_BBS_BROWSERTABS);
            browsers_.init(main_.shared().instance, tabs);
            // Dialog navigation reaches into the browser views.
            SetWindowLongPtrW(tabs, GWL_EXSTYLE, GetWindowLongPtrW(tabs, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
            installSubclass(tabs, &BbsPage::browserTabsProc, this);
            return result;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (!header || header->idFrom != IDC_BBS_BROWSERTABS)
                return RowsPage::onMessage(message, wParam, lParam);
            if (browsers_.followSelection() >= 0) showTitle();
            return TRUE;
        }
        case WM_MOUSEMOVE:
            if (inSplitter(lParam)) setSplitterCursor();
            if (dragging_) onSplitterMove(lParam);
            return TRUE;
        case WM_LBUTTONDOWN:
            if (inSplitter(lParam)) {
                setSplitterCursor();
                dragging_ = true;
                lastPosition_ = 0;
                SetCapture(hwnd_);
            }
            return TRUE;
        case WM_LBUTTONUP:
            if (dragging_) onSplitterRelease(lParam);
            return TRUE;
        case WM_CAPTURECHANGED:
            // Capture taken away in the middle of a drag: the drag ends where it is, without a change.
            if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
                if (lastPosition_ != 0) drawFeedback(lastPosition_);
                dragging_ = false;
                lastPosition_ = 0;
            }
            return TRUE;
        default:
            return RowsPage::onMessage(message, wParam, lParam);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Layout

// A size stored on a larger screen (or edited by hand) would put the splitter off the page, out of reach. The
// stored sizes are in 96-DPI units.
BbsPage::Split BbsPage::split() const {
    RECT client = {};
    GetClientRect(hwnd_, &client);
    const WindowState& state = main_.shared().windowState;
    const DpiScale s = scale();
    const int minWidth = s.px(layout::kMinListWidth);
    return {clampInto(s.px(state.bbsLvWidth), minWidth, client.right - minWidth),
            clampInto(s.px(state.bbsLvHeight), 0, client.bottom - s.px(layout::kStackedBrowserRoom))};
}

namespace {

// The right end of the BBS page's top row, from the right: 更新 and 取得. Returns the left edge of 取得.
int placeBbsRight(HWND page, const DpiScale& s, int width, bool move) {
    const int refresh = width - s.px(layout::kBbsRightMargin) - controlWidth(page, IDC_BBS_REFRESH);
    const int get = refresh - controlWidth(page, IDC_MANUALGET);
    if (move) {
        moveControlX(page, IDC_BBS_REFRESH, refresh);
        moveControlX(page, IDC_MANUALGET, get);
    }
    return get;
}

}  // namespace

void BbsPage::layout(int width, int height) {
    using namespace layout;
    separateTopRow({IDC_BBS_REFRESH, IDC_MANUALGET, IDC_CLOSELIST, IDC_BBS_TITLE, IDC_BBS_SPLITTER, IDC_LIST,
                    IDC_BBS_BROWSERTABS});
    const DpiScale s = scale();
    const Split sp = split();
    const int w = sp.width, h = sp.height, top = listTop();
    const int bar = s.px(kSplitter), titleHeight = s.px(kTitleHeight);
    const int closeX = width - s.px(kCloseRight) - controlWidth(hwnd_, IDC_CLOSELIST);
    if (main_.shared().windowState.bbsVertical == 1) {
        const int left = w + s.px(kSideBySideLeft), tabsTop = top + s.px(kSideBySideTabsTop);
        moveControl(hwnd_, IDC_CLOSELIST, closeX, top + s.px(kSideBySideCloseTop));
        moveControl(hwnd_, IDC_BBS_TITLE, left, top + s.px(kSideBySideTitleTop),
                    std::max(0, width - s.px(kSideBySideTitleRoom) - left), titleHeight);
        moveControl(hwnd_, IDC_LIST, 0, top, w, std::max(0, height - top));
        moveControl(hwnd_, IDC_BBS_SPLITTER, w + s.px(kSplitterGap), top, bar, std::max(0, height - top));
        moveControl(hwnd_, IDC_BBS_BROWSERTABS, left, tabsTop, std::max(0, width - left),
                    std::max(0, height - tabsTop));
    } else {
        const int below = top + h, tabsTop = below + s.px(kStackedTabsTop);
        moveControl(hwnd_, IDC_CLOSELIST, closeX, below + s.px(kStackedCloseTop));
        moveControl(hwnd_, IDC_BBS_TITLE, 0, below + s.px(kStackedTitleTop),
                    std::max(0, width - s.px(kTitleCloseRoom)), titleHeight);
        moveControl(hwnd_, IDC_LIST, 0, top, width, h);
        moveControl(hwnd_, IDC_BBS_SPLITTER, 0, below + s.px(kSplitterGap), width, bar);
        moveControl(hwnd_, IDC_BBS_BROWSERTABS, 0, tabsTop, width, std::max(0, height - tabsTop));
    }
    placeBbsRight(hwnd_, s, width, true);
    browsers_.fitPages();
}

int BbsPage::minimumWidth() const {
    const DpiScale s = scale();
    return controlRect(hwnd_, IDC_HOSTWORD_SET).right + s.px(layout::kTopRowGap) -
           placeBbsRight(hwnd_, s, 0, false);
}

// ---------------------------------------------------------------------------------------------------------------
// Commands

void BbsPage::onCommand(int id, int code) {
    if (code != BN_CLICKED) {
        RowsPage::onCommand(id, code);
        return;
    }
    switch (id) {
        case IDC_BBS_STACKED:
        case IDC_BBS_SIDEBYSIDE: {
            int vertical = id == IDC_BBS_SIDEBYSIDE ? 1 : 0;
            WindowState& state = main_.shared().windowState;
            if (state.bbsVertical != vertical) {
                state.bbsVertical = vertical;
                relayout();
            }
            break;
        }
        case IDC_MANUALGET:
        case IDC_BBS_REFRESH:
            if (id == IDC_BBS_REFRESH) main_.command(ID_EDIT_CLEARALL, false);
            guardAllocation(MemoryPlace::Collect, [&] { main_.collector().collectBbs(*this); });
            break;
        case IDC_CLOSELIST:
        case ID_BROWSER_CLOSE:
            closeBrowser();
            break;
        case ID_BROWSER_REFRESH:
            reloadBrowser();
            break;
        default:
            RowsPage::onCommand(id, code);
            break;
    }
}

void BbsPage::reloadBrowser() {
    browsers_.reload();
}

void BbsPage::findInPage() {
    browsers_.findInPage();
}

void BbsPage::closeBrowser() {
    browsers_.removePage(browsers_.current());
    if (browsers_.count() == 0)
        setDialogItemText(hwnd_, IDC_BBS_TITLE, "");
    else
        showTitle();
}

void BbsPage::closeBrowserPages() {
    while (browsers_.removePage(0)) {
    }
}

void BbsPage::showTitle() {
    std::string title;
    browsers_.pageTitle(title);
    setDialogItemText(hwnd_, IDC_BBS_TITLE, title.c_str());
}

// ---------------------------------------------------------------------------------------------------------------
// Opening a thread

bool BbsPage::onViewDoubleClick() {
    const int focused = static_cast<int>(
        SendMessageW(view_.hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    const Entry* row = focused >= 0 && list() ? list()->entryAt(focused) : nullptr;
    if (row) openThread(*row);
    return true;
}

// A tab that cannot be made leaves everything as it was: no other tab is sent to the new address.
// The tabs keep to the LocalHost address of the latest thread opened and run scripts only when TWK.ini says
// so.
void BbsPage::openThread(const Entry& row) {
    const std::string title = row.name().str();
    SettingsPage* settings = main_.settingsPage();
    const std::string localHost = settings ? settings->text(IDC_SET_LOCALHOST) : std::string();
    BrowserRules& rules = browsers_.rules();
    rules.localHost = localHost;
    rules.allowScripts = loadBbsScripts(main_.shared().userSettings);
    if (!browsers_.addBrowserPage(SW_SHOW, threadCaption(title).c_str())) return;
    setDialogItemText(hwnd_, IDC_BBS_TITLE, title.c_str());
    browsers_.navigate(threadAddress(localHost, row.hash()));
}

// ---------------------------------------------------------------------------------------------------------------
// The browser tabs' mouse

LRESULT CALLBACK BbsPage::browserTabsProc(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<BbsPage*>(subclassSelf(tabs));
    if (self && (message == WM_RBUTTONDOWN || message == WM_LBUTTONDBLCLK)) {
        try {
            if (message == WM_RBUTTONDOWN) {
                self->onBrowserTabRightClick(lParam);
                return 0;
            }
            const int index = self->browserTabAt(lParam);
            if (index >= 0) {
                self->browsers_.selectPage(index);
                self->browsers_.reload();
                return 0;
            }
        } catch (...) {
            reportUncaught();
            return 0;
        }
    }
    return callPrevious(tabs, message, wParam, lParam);
}

int BbsPage::browserTabAt(LPARAM position) const {
    TCHITTESTINFO hit = {};
    hit.pt.x = GET_X_LPARAM(position);
    hit.pt.y = GET_Y_LPARAM(position);
    return static_cast<int>(
        SendMessageW(browsers_.tabControl(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

// The tab's menu reports to this page.
void BbsPage::onBrowserTabRightClick(LPARAM position) {
    const int index = browserTabAt(position);
    if (index < 0) return;
    browsers_.selectPage(index);
    OwnedMenu menu(LoadMenuW(main_.shared().instance, MAKEINTRESOURCEW(IDR_BROWSERMENU)));
    if (!menu) return;
    POINT p = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ClientToScreen(browsers_.tabControl(), &p);
    TrackPopupMenu(GetSubMenu(menu.get(), 0), TPM_LEFTBUTTON, p.x, p.y, 0, hwnd_, nullptr);
}

// ---------------------------------------------------------------------------------------------------------------
// The splitter

bool BbsPage::inSplitter(LPARAM position) const {
    const Split s = split();
    const int grip = scale().px(layout::kSplitterGrip);
    if (main_.shared().windowState.bbsVertical == 1) {
        const long x = GET_X_LPARAM(position);
        return x >= s.width && x <= static_cast<long>(s.width) + grip;
    }
    const long y = GET_Y_LPARAM(position), top = listTop();
    return y >= s.height + top && y <= s.height + top + grip;
}

void BbsPage::setSplitterCursor() const {
    SetCursor(LoadCursorW(nullptr, main_.shared().windowState.bbsVertical == 1 ? IDC_SIZEWE : IDC_SIZENS));
}

// The feedback bar is drawn by inverting, so drawing it again at the same place erases it.
void BbsPage::drawFeedback(LPARAM position) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT bar;
    if (main_.shared().windowState.bbsVertical == 1) {
        const int x = GET_X_LPARAM(position);
        bar = {x, listTop(), x + scale().px(layout::kSplitter), client.bottom};
    } else {
        const int y = GET_Y_LPARAM(position);
        bar = {0, y, client.right, y + scale().px(layout::kSplitter)};
    }
    HDC dc = GetDC(hwnd_);
    if (!dc) return;
    DrawFocusRect(dc, &bar);
    ReleaseDC(hwnd_, dc);
}

void BbsPage::onSplitterMove(LPARAM position) {
    const bool sideBySide = main_.shared().windowState.bbsVertical == 1;
    const WORD now = sideBySide ? LOWORD(position) : HIWORD(position);
    const WORD last = sideBySide ? LOWORD(lastPosition_) : HIWORD(lastPosition_);
    if (lastPosition_ != 0 && now == last) return;
    if (lastPosition_ != 0) drawFeedback(lastPosition_);
    drawFeedback(position);
    lastPosition_ = position;
}

void BbsPage::onSplitterRelease(LPARAM position) {
    if (lastPosition_ != 0) drawFeedback(lastPosition_);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right, height = client.bottom;
    WindowState& state = main_.shared().windowState;
    const DpiScale s = scale();
    // The new size is kept in 96-DPI units, as it is stored.
    if (state.bbsVertical == 1) {
        const int x = GET_X_LPARAM(position), minWidth = s.px(layout::kMinListWidth);
        state.bbsLvWidth = s.units(clampInto(x, minWidth, width - minWidth));
    } else {
        const int y = GET_Y_LPARAM(position), top = listTop();
        state.bbsLvHeight = s.units(y < top            ? 0
                                    : y > height - top ? height - s.px(layout::kStackedBrowserRoom)
                                                       : y - top);
    }
    dragging_ = false;
    lastPosition_ = 0;
    ReleaseCapture();
    relayout();
}

}  // namespace twk::ui
