#include "ui/pages_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "core/entry_list.h"
#include "resources/resource.h"
#include "ui/icons_win32.h"
#include "ui/layout_rules.h"
#include "ui/main_window_win32.h"
#include "ui/tab_set_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

void moveControl(HWND page, int id, int x, int y, int width, int height) {
    HWND control = GetDlgItem(page, id);
    if (!control) return;
    UINT flags = SWP_NOZORDER;
    if (width < 0) flags |= SWP_NOSIZE;
    SetWindowPos(control, nullptr, x, y, width < 0 ? 0 : width, height < 0 ? 0 : height, flags);
}

RECT controlRect(HWND page, int id) {
    RECT r = {};
    HWND control = GetDlgItem(page, id);
    if (!control || !GetWindowRect(control, &r)) return RECT{};
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void moveControlX(HWND page, int id, int x) {
    const RECT r = controlRect(page, id);
    moveControl(page, id, x, r.top);
}

namespace {

// A vertical length of the page's template in pixels.
int dialogUnitsY(HWND page, int units) {
    RECT r = {0, 0, 0, units};
    MapDialogRect(page, &r);
    return r.bottom;
}

const int* widthsFor(const WindowState& state, PageKind kind) {
    switch (kind) {
        case PageKind::Bbs:
            return state.bbsColumnWidths;
        case PageKind::Conditions:
            return state.condColumnWidths;
        default:
            return state.columnWidths;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
Page::Page(MainWindow& main, PageKind kind, int templateId)
    : main_(main), kind_(kind), templateId_(templateId) {}

Page::~Page() {
    destroy();
}

HWND Page::create(HINSTANCE instance, HWND parent) {
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId_), parent,
                                     &BaseDialog<Page>::dialogProc, reinterpret_cast<LPARAM>(this));
    window_.reset(window);
    return window;
}

void Page::destroy() {
    window_.reset();
}

INT_PTR Page::onMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

DpiScale Page::scale() const {
    return main_.shared().scale;
}

// A page that lays nothing out needs the room its template gives its controls.
int Page::minimumWidth() const {
    int right = 0;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        right = std::max(right, static_cast<int>(controlRect(hwnd_, GetDlgCtrlID(child)).right));
    return right + scale().px(layout::kTopRowGap);
}

void Page::relayout() {
    RECT r = {};
    GetClientRect(hwnd_, &r);
    layout(r.right, r.bottom);
}

void Page::separateTopRow(std::initializer_list<int> placed) {
    const int top = listTop();
    struct Item {
        RECT r;
        HWND control;
    };
    std::vector<Item> row;
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(c);
        if (id == IDC_LIST || std::find(placed.begin(), placed.end(), id) != placed.end()) continue;
        RECT r = {};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        if (r.bottom <= top) row.push_back({r, c});
    }
    std::sort(row.begin(), row.end(), [](const Item& a, const Item& b) { return a.r.left < b.r.left; });
    LONG right = LONG_MIN;
    for (Item& item : row) {
        if (item.r.left < right) {
            SetWindowPos(item.control, nullptr, right, item.r.top, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
            item.r.right += right - item.r.left;
        }
        right = std::max(right, item.r.right);
    }
}

// The top row's controls stand on the template's first dialog units: the list view starts below the lowest of
// them, and never above its old place.
int Page::listTop() const {
    const DpiScale s = scale();
    return std::max(s.px(layout::kListTopMin),
                    dialogUnitsY(hwnd_, layout::kTopRowDialogUnits) + s.px(layout::kBelowTopRow));
}

// ---------------------------------------------------------------------------------------------------------------
INT_PTR RowsPage::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            view_.attach(GetDlgItem(hwnd_, IDC_LIST));
            view_.showSelectionOf(list());
            iconButtons_.attach(hwnd_, main_.shared().instance, kind());
            setupColumns(kind(), view_.hwnd(), widthsFor(main_.shared().windowState, kind()),
                         loadUserColumns(main_.shared().userSettings), main_.shared().palette, scale());
            installSubclass(view_.hwnd(), &RowsPage::viewProc, this);
            // A new list page starts with the host's current search word.
            if (kind() != PageKind::Bbs && !main_.collector().state().running)
                main_.collector().fetchHostWord(*this);
            return FALSE;
        }
        case WM_SIZE:
            layout(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_DPICHANGED_AFTERPARENT:
            iconButtons_.updateIcons();
            return FALSE;
        case WM_DESTROY:
            iconButtons_.destroyTooltip();
            return FALSE;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (wParam != IDC_LIST || !item) return FALSE;
            ListTabSet& tabs = main_.tabs();
            if (tabs.initialised() && list() && tabs.currentPage() == this)
                paintRow(kind(), *list(), *item, main_.shared().palette, geometry_, scale());
            return TRUE;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (!header || header->idFrom != IDC_LIST) return FALSE;
            view_.onNotify(header);
            switch (header->code) {
                case LVN_COLUMNCLICK:
                    main_.onColumnClick(*this, reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
                    return TRUE;
                // The view holds no texts: whoever asks it for one gets an empty text, and typing a row's
                // first letters finds none.
                case LVN_GETDISPINFOW: {
                    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
                    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) item.pszText[0] = 0;
                    return TRUE;
                }
                case LVN_GETDISPINFOA: {
                    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
                    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) item.pszText[0] = 0;
                    return TRUE;
                }
                case LVN_ODFINDITEMW:
                case LVN_ODFINDITEMA:
                    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, -1);
                    return TRUE;
                default:
                    return FALSE;
            }
        }
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void RowsPage::onCommand(int id, int code) {
    if (code == CBN_DROPDOWN) {
        if (id == IDC_SEARCHWORD || id == IDC_HOSTWORD) main_.fillHistoryCombo(*this, id);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case IDC_SEARCH:
            main_.search(*this);
            break;
        case IDC_NEXTMARK:
            if (list()) list()->scrollToMark(true);
            break;
        case IDC_PREVMARK:
            if (list()) list()->scrollToMark(false);
            break;
        case IDC_MANUALGET:
            main_.command(ID_GET_MANUAL, false);
            break;
        case IDC_HOSTWORD_GET:
            main_.collector().fetchHostWord(*this);
            break;
        case IDC_HOSTWORD_SET:
            main_.collector().sendHostWord(*this);
            break;
        case IDC_AUTOCOLLECT:
            main_.command(main_.collector().state().running ? ID_GET_STOP : ID_GET_START, false);
            break;
        case IDC_CLOSELIST:
            // Closing destroys this page: it happens after this handler has returned.
            PostMessageW(main_.hwnd(), WM_COMMAND, ID_FILE_CLOSE, 0);
            break;
        default:
            break;
    }
}

LRESULT CALLBACK RowsPage::viewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<RowsPage*>(subclassSelf(view));
    try {
        if (self && message != WM_NCDESTROY) return self->onViewMessage(view, message, wParam, lParam);
    } catch (...) {
        reportUncaught();
        return 0;
    }
    return callPrevious(view, message, wParam, lParam);
}

LRESULT RowsPage::onViewMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (view_.answer(message, wParam, lParam, &result)) return result;
    switch (message) {
        case WM_KEYDOWN: {
            bool control = GetKeyState(VK_CONTROL) < 0;
            int command = 0;
            switch (wParam) {
                case VK_DELETE:
                    main_.command(ID_EDIT_DELETE, false);
                    return 0;
                case 'A':
                    command = ID_EDIT_SELECTALL;
                    break;
                case 'C':
                    command = ID_EDIT_COPY;
                    break;
                case 'V':
                    command = ID_EDIT_PASTE;
                    break;
                case 'X':
                    command = ID_EDIT_CUT;
                    break;
                default:
                    if (view_.onInput(message, wParam, lParam, &callPrevious, &result)) return result;
                    return callPrevious(view, message, wParam, lParam);
            }
            if (control) main_.command(command, false);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            if (!view_.onInput(message, wParam, lParam, &callPrevious, &result))
                result = callPrevious(view, message, wParam, lParam);
            main_.onListClick(*this, message == WM_RBUTTONDOWN);
            return result;
        }
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            RowGeometry::Paint paint(geometry_);
            return callPrevious(view, message, wParam, lParam);
        }
        case WM_LBUTTONDBLCLK:
            if (onViewDoubleClick()) return 0;
            return callPrevious(view, message, wParam, lParam);
        case WM_DROPFILES:
            if (kind() == PageKind::Bbs) return callPrevious(view, message, wParam, lParam);
            guardAllocation(MemoryPlace::OpenFile,
                            [&] { main_.files().onDropped(*this, reinterpret_cast<HDROP>(wParam)); });
            return 0;
        default:
            if (view_.onInput(message, wParam, lParam, &callPrevious, &result)) return result;
            return callPrevious(view, message, wParam, lParam);
    }
}

// ---------------------------------------------------------------------------------------------------------------
ListPage::ListPage(MainWindow& main, PageKind kind) : RowsPage(main, kind, IDD_LISTPAGE) {}

namespace {

// The right end of a list page's top row, from the right: the close button, 自動収集開始, 手動で収集. Returns
// the left edge of the last one.
int placeListPageRight(HWND page, const DpiScale& s, int width, bool move) {
    const int close = width - s.px(layout::kCloseRight) - controlWidth(page, IDC_CLOSELIST);
    const int automatic = close - s.px(layout::kBeforeClose) - controlWidth(page, IDC_AUTOCOLLECT);
    const int manual = automatic - controlWidth(page, IDC_MANUALGET);
    if (move) {
        moveControlX(page, IDC_CLOSELIST, close);
        moveControlX(page, IDC_AUTOCOLLECT, automatic);
        moveControlX(page, IDC_MANUALGET, manual);
    }
    return manual;
}

}  // namespace

void ListPage::layout(int width, int height) {
    separateTopRow({IDC_CLOSELIST, IDC_AUTOCOLLECT, IDC_MANUALGET});
    const int top = listTop();
    moveControl(hwnd_, IDC_LIST, 0, top, width, std::max(0, height - top));
    placeListPageRight(hwnd_, scale(), width, true);
}

int ListPage::minimumWidth() const {
    const DpiScale s = scale();
    return controlRect(hwnd_, IDC_HOSTWORD_SET).right + s.px(layout::kTopRowGap) -
           placeListPageRight(hwnd_, s, 0, false);
}

// ---------------------------------------------------------------------------------------------------------------
ConditionPage::ConditionPage(MainWindow& main) : Page(main, PageKind::Conditions, IDD_CONDITIONS) {}

INT_PTR ConditionPage::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            view_.attach(GetDlgItem(hwnd_, IDC_LIST));
            setupColumns(PageKind::Conditions, view_.hwnd(),
                         widthsFor(main_.shared().windowState, PageKind::Conditions), {},
                         main_.shared().palette, scale());
            installSubclass(view_.hwnd(), &ConditionPage::viewProc, this);
            return FALSE;
        case WM_SIZE:
            layout(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_COND_TARGET && HIWORD(wParam) == CBN_DROPDOWN)
                fillTargets();
            else if (LOWORD(wParam) == IDC_COND_ADD && HIWORD(wParam) == BN_CLICKED)
                addFromFields();
            else if (LOWORD(wParam) >= ID_COND_DELETE && LOWORD(wParam) <= ID_COND_SAVE)
                runCommand(LOWORD(wParam));
            return TRUE;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (wParam != IDC_LIST || !item) return FALSE;
            ConditionList& conditions = main_.shared().conditions;
            int index = static_cast<int>(item->itemID);
            if (index >= 0 && index < conditions.count())
                paintCondition(conditions.at(index), *item, main_.shared().palette, scale());
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// The destinations offered: the titles of the tabs that hold a list, from the last tab to the first.
void ConditionPage::fillTargets() {
    HWND combo = item(IDC_COND_TARGET);
    while (SendMessageW(combo, CB_DELETESTRING, 0, 0) != CB_ERR) {
    }
    ListTabSet& tabs = main_.tabs();
    for (int i = tabs.count() - 1; i >= 0; --i) {
        if (!tabs.pageList(i)) continue;
        std::wstring title = widen(tabs.tabText(i));
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
    }
}

void ConditionPage::refreshItems() {
    BulkUpdate bulk(&view_);
    view_.deleteAllItems();
    int n = main_.shared().conditions.count();
    for (int i = 0; i < n; ++i) view_.insertItem(i);
}

namespace {

// The condition page's top row from the right: 追加, the check box, the destination and its label. Returns
// the right end of the condition's field.
int placeConditionRight(HWND page, const DpiScale& s, int width, bool move) {
    using namespace layout;
    const int add = width - s.px(kCondAddRight) - controlWidth(page, IDC_COND_ADD);
    const int check = add - s.px(kCondBeforeAdd) - controlWidth(page, IDC_COND_IGNOREABSENT);
    const int target = check - s.px(kCondBeforeCheck) - controlWidth(page, IDC_COND_TARGET);
    const int label = target - s.px(kCondBeforeTarget) - controlWidth(page, IDC_COND_TARGET_LABEL);
    if (move) {
        moveControlX(page, IDC_COND_ADD, add);
        moveControlX(page, IDC_COND_IGNOREABSENT, check);
        moveControlX(page, IDC_COND_TARGET, target);
        moveControlX(page, IDC_COND_TARGET_LABEL, label);
    }
    return label - s.px(kCondBeforeLabel);
}

}  // namespace

// The condition's field takes the room the row leaves.
void ConditionPage::layout(int width, int height) {
    separateTopRow({IDC_COND_ADD, IDC_COND_IGNOREABSENT, IDC_COND_TARGET, IDC_COND_TARGET_LABEL});
    const int top = listTop();
    moveControl(hwnd_, IDC_LIST, 0, top, width, std::max(0, height - top));
    const int fieldEnd = placeConditionRight(hwnd_, scale(), width, true);
    const RECT field = controlRect(hwnd_, IDC_COND_TEXT);
    moveControl(hwnd_, IDC_COND_TEXT, field.left, field.top,
                std::max(0, fieldEnd - static_cast<int>(field.left)), field.bottom - field.top);
}

int ConditionPage::minimumWidth() const {
    const DpiScale s = scale();
    return controlRect(hwnd_, IDC_COND_TEXT).left + s.px(layout::kCondMinField) -
           placeConditionRight(hwnd_, s, 0, false);
}

}  // namespace twk::ui
