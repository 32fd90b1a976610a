#include "ui/bbs_page_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "core/entry_list.h"
#include "resources/resource.h"
#include "settings/settings_keys.h"
#include "ui/main_window_win32.h"
#include "ui/settings_page_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

// The narrowest list side by side, and the room the browser area keeps below a stacked list.
constexpr int kMinListWidth = 2;
constexpr int kStackedBrowserRoom = 58;

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

// A size stored on a larger screen (or edited by hand) would put the splitter off the page, out of reach.
BbsPage::Split BbsPage::split() const {
    RECT client = {};
    GetClientRect(hwnd_, &client);
    const WindowState& state = main_.shared().windowState;
    return {clampInto(state.bbsLvWidth, kMinListWidth, client.right - kMinListWidth),
            clampInto(state.bbsLvHeight, 0, client.bottom - kStackedBrowserRoom)};
}

void BbsPage::layout(int width, int height) {
    const Split s = split();
    const int w = s.width, h = s.height;
    if (main_.shared().windowState.bbsVertical == 1) {
        moveControl(hwnd_, IDC_CLOSELIST, width - 18, 32);
        moveControl(hwnd_, IDC_BBS_TITLE, w + 4, 31, width - w - 28, 18);
        moveControl(hwnd_, IDC_LIST, 0, 29, w, height - 29);
        moveControl(hwnd_, IDC_BBS_SPLITTER, w + 1, 29, 2, height - 29);
        moveControl(hwnd_, IDC_BBS_BROWSERTABS, w + 4, 52, width - w - 3, height - 52);
    } else {
        moveControl(hwnd_, IDC_CLOSELIST, width - 18, h + 36);
        moveControl(hwnd_, IDC_BBS_TITLE, 0, h + 35, width - 25, 18);
        moveControl(hwnd_, IDC_LIST, 0, 29, width, h);
        moveControl(hwnd_, IDC_BBS_SPLITTER, 0, h + 30, width, 2);
        moveControl(hwnd_, IDC_BBS_BROWSERTABS, 0, h + 56, width, height - h - 56);
    }
    moveControl(hwnd_, IDC_BBS_REFRESH, width - 108, 3);
    moveControl(hwnd_, IDC_MANUALGET, width - 193, 3);
    browsers_.fitPages();
}

void BbsPage::relayout() {
    RECT r;
    GetClientRect(hwnd_, &r);
    layout(r.right, r.bottom);
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
    if (main_.shared().windowState.bbsVertical == 1) {
        long x = LOWORD(position);
        return x >= s.width && x <= static_cast<long>(s.width) + 3;
    }
    long y = HIWORD(position);
    return y >= static_cast<long>(s.height) + 29 && y <= static_cast<long>(s.height) + 32;
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
        int x = LOWORD(position);
        bar = {x, 29, x + 2, client.bottom};
    } else {
        int y = HIWORD(position);
        bar = {0, y, client.right, y + 2};
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
    if (state.bbsVertical == 1) {
        int x = GET_X_LPARAM(position);
        state.bbsLvWidth = x < 2 ? 2 : x > width - 2 ? width - 2 : x;
    } else {
        int y = GET_Y_LPARAM(position);
        state.bbsLvHeight = y < 29 ? 0 : y > height - 29 ? height - 58 : y - 29;
    }
    dragging_ = false;
    lastPosition_ = 0;
    ReleaseCapture();
    relayout();
}

}  // namespace twk::ui
