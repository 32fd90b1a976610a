#include "ui/list_view_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <new>

#include "core/entry_list.h"
#include "ui/dpi_win32.h"
#include "ui/layout_rules.h"

namespace twk::ui {

namespace {

constexpr LPARAM kKeepView = LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL;

// The rows from display position `first` on, in order, until `visit` returns false.
template <class Visit>
void walkRows(const EntryList& rows, int first, Visit&& visit) {
    const PageArray& pages = rows.displayPages();
    if (first < 0) first = 0;
    if (first >= pages.size()) return;
    const PageArray::Slot start = pages.locate(first);
    for (int page = start.page; page < pages.pageCount(); ++page) {
        const int size = pages.pageSize(page);
        for (int slot = page == start.page ? start.slot : 0; slot < size; ++slot)
            if (!visit(*pages.get(PageArray::Slot{page, slot}))) return;
    }
}

class Quiet {
  public:
    explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
    ~Quiet() { --depth_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

  private:
    int& depth_;
};

}  // namespace

void Win32ListView::attach(HWND view) {
    view_ = view;
    ownerData_ = view && (GetWindowLongW(view, GWL_STYLE) & LVS_OWNERDATA) != 0;
    inserting_ = false;
}

// The view keeps no selection of its own then: it asks for the selected state of every row it needs.
void Win32ListView::showSelectionOf(EntryList* rows) {
    rows_ = ownerData_ ? rows : nullptr;
    if (view_ && ownerData_) SendMessageW(view_, LVM_SETCALLBACKMASK, rows_ ? LVIS_SELECTED : 0, 0);
}

void Win32ListView::insertItem(int position) {
    if (!view_) return;
    if (!ownerData_) {
        holdRedraw();
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = position;
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(view_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return;
    }
    if (!inserting_) {
        inserted_.reset(static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0)));
        inserting_ = true;
    }
    try {
        inserted_.insert(position);
    } catch (const std::bad_alloc&) {
        // No room to note the row: the rows noted so far go to the view now, and this one on its own.
        flushInserts();
        const int count = static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0));
        if (position < 0 || position > count) position = count;
        growRowByRow(&position, 1, count + 1);
        return;
    }
    if (bulkDepth_ == 0) flushInserts();
}

void Win32ListView::setState(int position, UINT mask, UINT state) const {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(view_, LVM_SETITEMSTATE, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::flushInserts() const noexcept {
    if (!inserting_) return;
    inserting_ = false;
    if (!view_ || inserted_.empty()) return;
    Quiet quiet(quiet_);
    const int count = inserted_.count();
    if (changedFrom_ < 0 || inserted_.firstChanged() < changedFrom_) changedFrom_ = inserted_.firstChanged();
    if (!inserted_.movesOldRows()) {
        // Rows added behind the others: the view only learns the new count.
        SendMessageW(view_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), kKeepView);
        if (bulkDepth_ == 0) invalidateRows(nullptr, true);
        return;
    }
    // The focus and the anchor of a Shift range belong to rows (as the selection does, which the rows carry):
    // they follow them, as an item inserted in front of them would have moved them. The view keeps its scroll
    // position. Working out the new positions needs memory; without it they are counted insert by insert.
    bool mapped = true;
    try {
        inserted_.resolveNow();
    } catch (const std::bad_alloc&) {
        mapped = false;
    }
    const auto follow = [&](int position) {
        if (mapped) return inserted_.map(position);
        for (const int at : inserted_.shiftingInserts())
            if (position >= at) ++position;
        return position;
    };
    const int focus = static_cast<int>(
        SendMessageW(view_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    const int mark = static_cast<int>(SendMessageW(view_, LVM_GETSELECTIONMARK, 0, 0));
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (focus >= 0 || mark >= 0) holdRedraw();
    SendMessageW(view_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), kKeepView);
    if (focus >= 0 && focus < inserted_.baseCount()) {
        const int moved = follow(focus);
        if (moved != focus) setState(moved, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (mark >= 0 && mark < inserted_.baseCount())
        SendMessageW(view_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(follow(mark)));
    // Giving a row the focus scrolls it into view; the rows shown stay where they were.
    const int nowTop = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (nowTop != top) SendMessageW(view_, LVM_SCROLL, 0, static_cast<LPARAM>((top - nowTop) * rowHeight()));
    if (bulkDepth_ == 0) invalidateRows(nullptr, true);
}

void Win32ListView::growRowByRow(const int* positions, std::size_t n, int count) const noexcept {
    // The rows carry their selection; the focus and the Shift anchor move down past each insert.
    int focus = static_cast<int>(
        SendMessageW(view_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    int mark = static_cast<int>(SendMessageW(view_, LVM_GETSELECTIONMARK, 0, 0));
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    holdRedraw();
    SendMessageW(view_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), kKeepView);
    for (std::size_t k = 0; k < n; ++k) {
        if (focus >= positions[k]) ++focus;
        if (mark >= positions[k]) ++mark;
    }
    if (focus >= 0) setState(focus, LVIS_FOCUSED, LVIS_FOCUSED);
    if (mark >= 0) SendMessageW(view_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(mark));
    const int nowTop = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (nowTop != top) SendMessageW(view_, LVM_SCROLL, 0, static_cast<LPARAM>((top - nowTop) * rowHeight()));
    allChanged_ = true;
    if (bulkDepth_ == 0) invalidateRows(nullptr, true);
}

void Win32ListView::deleteItem(int position) {
    if (!view_) return;
    flushInserts();
    holdRedraw();
    Quiet quiet(quiet_);
    SendMessageW(view_, LVM_DELETEITEM, static_cast<WPARAM>(position), 0);
}

void Win32ListView::deleteAllItems() {
    inserting_ = false;
    if (!view_) return;
    holdRedraw();
    Quiet quiet(quiet_);
    SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
}

bool Win32ListView::isSelected(int position) const {
    if (rows_) return rowSelected(position);
    if (!view_) return false;
    flushInserts();
    return (SendMessageW(view_, LVM_GETITEMSTATE, static_cast<WPARAM>(position), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

void Win32ListView::setSelected(int position, bool selected) {
    if (rows_) {
        if (position < 0) {
            selectRows(0, INT_MAX, selected);
            repaintRows();
        } else if (rowSelected(position) != selected) {
            selectRows(position, position, selected);
            repaintRow(position);
        }
        return;
    }
    if (!view_) return;
    flushInserts();
    holdRedraw();
    setState(position, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
}

// A view that keeps the selection itself sets every row's state one by one; with the drawing held none of
// them is painted on its own.
int Win32ListView::setAllSelected(bool selected) {
    if (rows_) {
        const int n = selectRows(0, INT_MAX, selected);
        repaintRows();
        return selected ? n : 0;
    }
    BulkUpdate bulk(this);
    setSelected(-1, selected);
    return selected ? itemCount() : 0;
}

int Win32ListView::invertSelection() {
    if (rows_) {
        const int n = invertRows();
        repaintRows();
        return n;
    }
    const int count = itemCount();
    int n = 0;
    BulkUpdate bulk(this);
    for (int i = 0; i < count; ++i) {
        const bool on = !isSelected(i);
        setSelected(i, on);
        n += on;
    }
    return n;
}

int Win32ListView::itemCount() const {
    if (!view_) return 0;
    flushInserts();
    return static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0));
}

int Win32ListView::selectedCount() const {
    if (rows_) return countSelectedRows();
    if (!view_) return 0;
    flushInserts();
    return static_cast<int>(SendMessageW(view_, LVM_GETSELECTEDCOUNT, 0, 0));
}

int Win32ListView::topRow() const {
    if (!view_) return 0;
    flushInserts();
    return static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
}

int Win32ListView::rowHeight() const {
    if (view_ && itemCount() > 0) {
        RECT r = {};
        r.left = LVIR_BOUNDS;
        if (SendMessageW(view_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) && r.bottom > r.top) {
            lastRowHeight_ = r.bottom - r.top;
            return lastRowHeight_;
        }
    }
    if (lastRowHeight_ > 0) return lastRowHeight_;
    int height = windowScale(view_).px(layout::kFallbackRowHeight);
    if (view_) {
        HDC dc = GetDC(view_);
        if (dc) {
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(view_, WM_GETFONT, 0, 0)));
            TEXTMETRICW tm = {};
            if (GetTextMetricsW(dc, &tm) && tm.tmHeight > 0) height = tm.tmHeight;
            SelectObject(dc, old);
            ReleaseDC(view_, dc);
        }
    }
    return height;
}

void Win32ListView::scrollBy(int dy) {
    if (!view_) return;
    flushInserts();
    holdRedraw();
    SendMessageW(view_, LVM_SCROLL, 0, static_cast<LPARAM>(dy));
}

// The view stops drawing only once a bulk update reaches it row by row: turning the drawing back on costs a
// full layout of the view, which rows that are merely counted in do not need.
void Win32ListView::holdRedraw() const {
    if (bulkDepth_ == 0 || redrawHeld_ || !view_) return;
    SendMessageW(view_, WM_SETREDRAW, FALSE, 0);
    redrawHeld_ = true;
}

void Win32ListView::beginBulkUpdate() {
    ++bulkDepth_;
}

void Win32ListView::endBulkUpdate() {
    if (bulkDepth_ <= 0) return;
    if (bulkDepth_ == 1) flushInserts();
    if (--bulkDepth_ > 0 || !view_) return;
    const bool all = allChanged_ || redrawHeld_;
    const int from = changedFrom_;
    allChanged_ = false;
    changedFrom_ = -1;
    if (redrawHeld_) {
        redrawHeld_ = false;
        SendMessageW(view_, WM_SETREDRAW, TRUE, 0);
    }
    // Rows only counted in leave the rows in front of the first of them as they were: those are not painted
    // again.
    if (all)
        invalidateRows(nullptr, true);
    else if (from >= 0)
        invalidateFrom(from);
}

void Win32ListView::invalidateFrom(int first) const {
    RECT client;
    GetClientRect(view_, &client);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (first <= top ||
        !SendMessageW(view_, LVM_GETITEMRECT, static_cast<WPARAM>(first), reinterpret_cast<LPARAM>(&row))) {
        invalidateRows(nullptr, true);
        return;
    }
    if (row.top >= client.bottom) return;
    client.top = row.top;
    invalidateRows(&client, true);
}

// The header is a child of the view, and a view without WS_CLIPCHILDREN that is made to paint again has its
// children painted again too: the header would be repainted with every change of the rows, at a cost above
// that of all the rows shown, though nothing in it changed.
void Win32ListView::invalidateRows(const RECT* area, bool erase) const {
    RECT rows;
    if (!GetClientRect(view_, &rows)) return;
    const auto header = reinterpret_cast<HWND>(SendMessageW(view_, LVM_GETHEADER, 0, 0));
    RECT bar;
    if (header && IsWindowVisible(header) && GetWindowRect(header, &bar)) {
        MapWindowPoints(nullptr, view_, reinterpret_cast<POINT*>(&bar), 2);
        if (bar.bottom > rows.top) rows.top = bar.bottom;
    }
    if (area && !IntersectRect(&rows, &rows, area)) return;
    if (IsRectEmpty(&rows)) return;
    RedrawWindow(view_, &rows, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | (erase ? RDW_ERASE : 0));
}

void Win32ListView::rowsChanged() {
    if (!view_) return;
    if (bulkDepth_ > 0)
        allChanged_ = true;
    else
        invalidateRows(nullptr, false);
}

void Win32ListView::invalidate() {
    if (view_) invalidateRows(nullptr, false);
}

// ---------------------------------------------------------------------------------------------------------------
// The selection as the rows hold it

bool Win32ListView::rowSelected(int position) const {
    const Entry* row = rows_->entryAt(position);
    return row && row->selected == 1;
}

int Win32ListView::selectRows(int first, int last, bool selected) {
    const int start = std::max(first, 0);
    int position = start;
    const int32_t value = selected ? 1 : 0;
    walkRows(*rows_, position, [&](Entry& row) {
        if (position > last) return false;
        ++position;
        row.selected = value;
        return true;
    });
    return position - start;
}

int Win32ListView::invertRows() {
    int n = 0;
    walkRows(*rows_, 0, [&](Entry& row) {
        row.selected = row.selected == 1 ? 0 : 1;
        n += row.selected;
        return true;
    });
    return n;
}

int Win32ListView::countSelectedRows() const {
    int n = 0;
    walkRows(*rows_, 0, [&](const Entry& row) {
        n += row.selected == 1;
        return true;
    });
    return n;
}

int Win32ListView::nextSelectedRow(int after) const {
    int position = after < 0 ? 0 : after + 1;
    int found = -1;
    walkRows(*rows_, position, [&](const Entry& row) {
        if (row.selected == 1) {
            found = position;
            return false;
        }
        ++position;
        return true;
    });
    return found;
}

void Win32ListView::repaintRow(int position) const {
    if (!view_) return;
    if (bulkDepth_ > 0) {
        allChanged_ = true;
        return;
    }
    // Only a row on screen has anything to repaint.
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    const int shown = static_cast<int>(SendMessageW(view_, LVM_GETCOUNTPERPAGE, 0, 0));
    if (position < top || position > top + shown) return;
    RECT row = {};
    row.left = LVIR_BOUNDS;
    if (SendMessageW(view_, LVM_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&row)))
        invalidateRows(&row, false);
}

void Win32ListView::repaintRows() const {
    if (!view_) return;
    if (bulkDepth_ > 0)
        allChanged_ = true;
    else
        invalidateRows(nullptr, false);
}

// ---------------------------------------------------------------------------------------------------------------
// The page's side

bool Win32ListView::answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!rows_ || !view_) return false;
    const int position = static_cast<int>(wParam);  // -1 (every row, or before the first) passes as such
    switch (message) {
        case LVM_GETSELECTEDCOUNT:
            *result = countSelectedRows();
            return true;
        case LVM_GETITEMSTATE: {
            const UINT mask = static_cast<UINT>(lParam);
            if (!(mask & LVIS_SELECTED)) return false;
            LRESULT state = 0;
            if (mask & ~LVIS_SELECTED)
                state = SendMessageW(view_, LVM_GETITEMSTATE, wParam, mask & ~LVIS_SELECTED);
            *result = state | (rowSelected(position) ? LVIS_SELECTED : 0);
            return true;
        }
        case LVM_SETITEMSTATE: {
            // The same members in the narrow and the wide form.
            const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
            if (!item || !(item->stateMask & LVIS_SELECTED)) return false;
            if (position < -1 || position >= rows_->count()) {
                *result = FALSE;
                return true;
            }
            setSelected(position, (item->state & LVIS_SELECTED) != 0);
            *result = TRUE;
            if (item->stateMask & ~LVIS_SELECTED) {
                LVITEMW rest = {};
                rest.stateMask = item->stateMask & ~LVIS_SELECTED;
                rest.state = item->state;
                *result = SendMessageW(view_, LVM_SETITEMSTATE, wParam, reinterpret_cast<LPARAM>(&rest));
            }
            return true;
        }
        case LVM_GETNEXTITEM:
            if (static_cast<UINT>(lParam) != LVNI_SELECTED) return false;
            *result = nextSelectedRow(position);
            return true;
        default:
            return false;
    }
}

void Win32ListView::onNotify(NMHDR* header) {
    if (!rows_ || !header) return;
    auto answerState = [this](auto& item) {
        if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_SELECTED))
            item.state = (item.state & ~LVIS_SELECTED) | (rowSelected(item.iItem) ? LVIS_SELECTED : 0);
    };
    switch (header->code) {
        case LVN_GETDISPINFOW:
            answerState(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
            return;
        case LVN_GETDISPINFOA:
            answerState(reinterpret_cast<NMLVDISPINFOA*>(header)->item);
            return;
        case LVN_ITEMCHANGED: {
            // What the view's own handling selected: it stores nothing, it reports.
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if (!(change->uChanged & LVIF_STATE) ||
                !((change->uOldState ^ change->uNewState) & LVIS_SELECTED) || quiet_ > 0)
                return;
            if (clicking_) return;
            const bool on = (change->uNewState & LVIS_SELECTED) != 0;
            if (change->iItem < 0) {
                selectRows(0, INT_MAX, on);
                repaintRows();
            } else {
                selectRows(change->iItem, change->iItem, on);
                repaintRow(change->iItem);
            }
            return;
        }
        case LVN_ODSTATECHANGED: {
            const auto* change = reinterpret_cast<const NMLVODSTATECHANGE*>(header);
            if (!((change->uOldState ^ change->uNewState) & LVIS_SELECTED) || quiet_ > 0 || clicking_) return;
            selectRows(change->iFrom, change->iTo, (change->uNewState & LVIS_SELECTED) != 0);
            repaintRows();
            return;
        }
        default:
            return;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Clicks and keys. The view's own handling would clear a selection one row at a time, asking the page for
// each row's state: with 100,000 rows a click would take most of a second. The view is left what costs it
// nothing (the focus, the keyboard focus, scrolling, its notifications) and the selection is made here.

void Win32ListView::pickRow(int row, Pick pick, int mark, bool byKey) {
    int newMark = row;
    switch (pick) {
        case Pick::None:
            return;
        case Pick::Only:
            selectRows(0, INT_MAX, false);
            selectRows(row, row, true);
            break;
        case Pick::Range:
            selectRows(0, INT_MAX, false);
            if (mark >= 0) {
                selectRows(std::min(mark, row), std::max(mark, row), true);
                newMark = mark;
            } else {
                selectRows(row, row, true);
            }
            break;
        case Pick::AddRange:
            if (mark < 0) mark = row;
            selectRows(std::min(mark, row), std::max(mark, row), true);
            break;
        case Pick::Toggle: {
            const bool on = !rowSelected(row);
            selectRows(row, row, on);
            if (byKey && !on) newMark = mark;
            SendMessageW(view_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(newMark));
            repaintRow(row);
            return;
        }
    }
    SendMessageW(view_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(newMark));
    repaintRows();
}

int Win32ListView::hitRow(LPARAM point) const {
    LVHITTESTINFO hit = {};
    hit.pt.x = GET_X_LPARAM(point);
    hit.pt.y = GET_Y_LPARAM(point);
    const int row = static_cast<int>(SendMessageW(view_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row >= 0 && (hit.flags & LVHT_ONITEM) ? row : -1;
}

// The keys that move the focus in a report view, as the view's own handling moves it.
bool Win32ListView::onKey(WPARAM key) {
    const int count = itemCount();
    const int focus = static_cast<int>(
        SendMessageW(view_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    const int page = static_cast<int>(SendMessageW(view_, LVM_GETCOUNTPERPAGE, 0, 0));
    int row;
    switch (key) {
        case VK_UP:
            row = focus >= 0 ? focus - 1 : -1;
            break;
        case VK_DOWN:
            row = focus + 1;
            break;
        case VK_HOME:
            row = 0;
            break;
        case VK_END:
            row = count - 1;
            break;
        case VK_PRIOR:
            row = std::max(focus == top ? top - page + 1 : top, 0);
            break;
        case VK_NEXT:
            row = std::min(focus == top + page - 1 ? focus + page - 1 : top + page - 1, count - 1);
            break;
        case VK_SPACE:
            row = focus;
            break;
        default:
            return false;
    }
    if (row < 0 || row >= count || (row == focus && key != VK_SPACE)) return true;
    const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    Pick pick = Pick::Only;
    if (shift)
        pick = Pick::Range;
    else if (control)
        pick = key == VK_SPACE ? Pick::Toggle : Pick::None;
    const int mark = static_cast<int>(SendMessageW(view_, LVM_GETSELECTIONMARK, 0, 0));
    setState(row, LVIS_FOCUSED, LVIS_FOCUSED);
    pickRow(row, pick, mark, true);
    SendMessageW(view_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    return true;
}

bool Win32ListView::onInput(UINT message, WPARAM wParam, LPARAM lParam, Forward forward, LRESULT* result) {
    if (!rows_ || !view_) return false;
    switch (message) {
        case WM_LBUTTONDOWN: {
            const bool shift = (wParam & MK_SHIFT) != 0, control = (wParam & MK_CONTROL) != 0;
            const int mark = static_cast<int>(SendMessageW(view_, LVM_GETSELECTIONMARK, 0, 0));
            const int row = hitRow(lParam);
            // The view focuses the row, takes the keyboard focus and follows a drag itself. Told that Control
            // is down it clears nothing; what it would select is not taken.
            clicking_ = true;
            *result = forward(view_, message, (wParam | MK_CONTROL) & ~static_cast<WPARAM>(MK_SHIFT), lParam);
            clicking_ = false;
            if (row >= 0 && row < rows_->count()) {
                const Pick pick =
                    control ? (shift ? Pick::AddRange : Pick::Toggle) : (shift ? Pick::Range : Pick::Only);
                pickRow(row, pick, mark, false);
            } else if (!shift && !control) {
                selectRows(0, INT_MAX, false);
                repaintRows();
            }
            return true;
        }
        case WM_LBUTTONUP:
            // The click made its selection when the button went down: what the view would still select as it
            // comes up is not taken.
            clicking_ = true;
            *result = forward(view_, message, wParam, lParam);
            clicking_ = false;
            return true;
        case WM_RBUTTONDOWN: {
            const int row = hitRow(lParam);
            if (row < 0 || row >= rows_->count()) {
                // Beside the rows: nothing stays selected, and the view only takes the keyboard focus.
                selectRows(0, INT_MAX, false);
                repaintRows();
                SetFocus(view_);
                *result = 0;
                return true;
            }
            // A row not selected is selected alone; then the view focuses it and follows the button.
            if (!(wParam & (MK_SHIFT | MK_CONTROL)) && !rowSelected(row)) pickRow(row, Pick::Only, -1, false);
            *result = forward(view_, message, wParam, lParam);
            return true;
        }
        case WM_KEYDOWN:
            if (!onKey(wParam)) return false;
            *result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace twk::ui
