#include "ui/list_view_win32.h"

#include <commctrl.h>

#include <new>

namespace twk::ui {

namespace {
constexpr LPARAM kKeepView = LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL;
}

void Win32ListView::attach(HWND view) {
    view_ = view;
    ownerData_ = view && (GetWindowLongW(view, GWL_STYLE) & LVS_OWNERDATA) != 0;
    inserting_ = false;
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

std::vector<RowRange> Win32ListView::selectedRuns() const {
    flushInserts();
    std::vector<RowRange> runs;
    if (!view_) return runs;
    const int selected = static_cast<int>(SendMessageW(view_, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected <= 0) return runs;
    const int count = static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0));
    if (selected >= count) return {RowRange{0, count - 1}};
    int i = -1;
    while ((i = static_cast<int>(SendMessageW(view_, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                              MAKELPARAM(LVNI_SELECTED, 0)))) >= 0) {
        if (!runs.empty() && runs.back().last + 1 == i)
            runs.back().last = i;
        else if (!runs.empty() && i <= runs.back().last)
            break;  // a view that starts over: every selected row has been seen
        else
            runs.push_back(RowRange{i, i});
    }
    return runs;
}

void Win32ListView::flushInserts() const noexcept {
    if (!inserting_) return;
    inserting_ = false;
    if (!view_ || inserted_.empty()) return;
    const int count = inserted_.count();
    if (changedFrom_ < 0 || inserted_.firstChanged() < changedFrom_) changedFrom_ = inserted_.firstChanged();
    if (!inserted_.movesOldRows()) {
        // Rows added behind the others: the view only learns the new count.
        SendMessageW(view_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), kKeepView);
        if (bulkDepth_ == 0) InvalidateRect(view_, nullptr, TRUE);
        return;
    }
    try {
        flushMapped();
    } catch (const std::bad_alloc&) {
        growRowByRow(inserted_.shiftingInserts().data(), inserted_.shiftingInserts().size(), count);
    }
}

void Win32ListView::flushMapped() const {
    const int count = inserted_.count();
    // The selection, the focus and the anchor of a Shift range belong to rows: they follow them, as an item
    // inserted in front of them would have moved them. The view keeps its scroll position. What needs memory
    // is worked out before the view changes.
    const std::vector<RowRange> before = selectedRuns();
    inserted_.resolveNow();
    std::vector<RowRange> after, changed;
    if (!before.empty()) {
        after = inserted_.map(before);
        changed = symmetricDifference(before, after);
    }
    const int focus = static_cast<int>(
        SendMessageW(view_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    const int mark = static_cast<int>(SendMessageW(view_, LVM_GETSELECTIONMARK, 0, 0));
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (!before.empty() || focus >= 0 || mark >= 0) holdRedraw();
    SendMessageW(view_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), kKeepView);

    if (!before.empty()) {
        const long long selected = runLength(after);
        const long long toggles = runLength(changed);
        // Whichever costs fewer per-row calls: flip the rows that changed, or clear everything and select the
        // rows, or select everything and clear the others.
        if (toggles <= selected + 1 && toggles <= count - selected + 1) {
            std::size_t j = 0;
            for (const RowRange& run : changed) {
                for (int i = run.first; i <= run.last; ++i) {
                    while (j < after.size() && after[j].last < i) ++j;
                    const bool on = j < after.size() && after[j].first <= i;
                    setState(i, LVIS_SELECTED, on ? LVIS_SELECTED : 0);
                }
            }
        } else if (selected <= count - selected) {
            setState(-1, LVIS_SELECTED, 0);
            for (const RowRange& run : after)
                for (int i = run.first; i <= run.last; ++i) setState(i, LVIS_SELECTED, LVIS_SELECTED);
        } else {
            setState(-1, LVIS_SELECTED, LVIS_SELECTED);
            int next = 0;
            for (const RowRange& run : after) {
                for (int i = next; i < run.first; ++i) setState(i, LVIS_SELECTED, 0);
                next = run.last + 1;
            }
            for (int i = next; i < count; ++i) setState(i, LVIS_SELECTED, 0);
        }
    }
    if (focus >= 0 && focus < inserted_.baseCount()) {
        const int moved = inserted_.map(focus);
        if (moved != focus) setState(moved, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (mark >= 0 && mark < inserted_.baseCount())
        SendMessageW(view_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(inserted_.map(mark)));
    // Giving a row the focus scrolls it into view; the rows shown stay where they were.
    const int nowTop = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (nowTop != top) SendMessageW(view_, LVM_SCROLL, 0, static_cast<LPARAM>((top - nowTop) * rowHeight()));
    if (bulkDepth_ == 0) InvalidateRect(view_, nullptr, TRUE);
}

void Win32ListView::growRowByRow(const int* positions, std::size_t n, int count) const noexcept {
    int focus = static_cast<int>(
        SendMessageW(view_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
    int mark = static_cast<int>(SendMessageW(view_, LVM_GETSELECTIONMARK, 0, 0));
    const int top = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    holdRedraw();
    SendMessageW(view_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), kKeepView);
    for (std::size_t k = 0; k < n; ++k) {
        const int p = positions[k];
        for (int i = count - 1; i > p; --i) {
            const bool on =
                (SendMessageW(view_, LVM_GETITEMSTATE, static_cast<WPARAM>(i - 1), LVIS_SELECTED) &
                 LVIS_SELECTED) != 0;
            setState(i, LVIS_SELECTED, on ? LVIS_SELECTED : 0);
        }
        setState(p, LVIS_SELECTED, 0);
        if (focus >= p) ++focus;
        if (mark >= p) ++mark;
    }
    if (focus >= 0) setState(focus, LVIS_FOCUSED, LVIS_FOCUSED);
    if (mark >= 0) SendMessageW(view_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(mark));
    const int nowTop = static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0));
    if (nowTop != top) SendMessageW(view_, LVM_SCROLL, 0, static_cast<LPARAM>((top - nowTop) * rowHeight()));
    allChanged_ = true;
    if (bulkDepth_ == 0) InvalidateRect(view_, nullptr, TRUE);
}

void Win32ListView::deleteItem(int position) {
    if (!view_) return;
    flushInserts();
    holdRedraw();
    SendMessageW(view_, LVM_DELETEITEM, static_cast<WPARAM>(position), 0);
}

void Win32ListView::deleteAllItems() {
    inserting_ = false;
    if (!view_) return;
    holdRedraw();
    SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
}

bool Win32ListView::isSelected(int position) const {
    if (!view_) return false;
    flushInserts();
    return (SendMessageW(view_, LVM_GETITEMSTATE, static_cast<WPARAM>(position), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

void Win32ListView::setSelected(int position, bool selected) {
    if (!view_) return;
    flushInserts();
    holdRedraw();
    setState(position, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
}

// The view sets every row's state one by one; with the drawing held none of them is painted on its own.
void Win32ListView::setAllSelected(bool selected) {
    BulkUpdate bulk(this);
    setSelected(-1, selected);
}

void Win32ListView::invertSelection() {
    if (!view_) return;
    const std::vector<RowRange> before = selectedRuns();
    const int count = itemCount();
    if (count <= 0) return;
    const std::vector<RowRange> after = symmetricDifference(before, {RowRange{0, count - 1}});
    BulkUpdate bulk(this);
    holdRedraw();
    // Whole-view state first, then the rows of the smaller part one by one.
    const bool fewerAfter = runLength(after) <= runLength(before);
    setState(-1, LVIS_SELECTED, fewerAfter ? 0 : LVIS_SELECTED);
    for (const RowRange& run : fewerAfter ? after : before)
        for (int i = run.first; i <= run.last; ++i)
            setState(i, LVIS_SELECTED, fewerAfter ? LVIS_SELECTED : 0);
}

int Win32ListView::itemCount() const {
    if (!view_) return 0;
    flushInserts();
    return static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0));
}

int Win32ListView::selectedCount() const {
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
    int height = 13;
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
        InvalidateRect(view_, nullptr, TRUE);
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
        InvalidateRect(view_, nullptr, TRUE);
        return;
    }
    if (row.top >= client.bottom) return;
    client.top = row.top;
    InvalidateRect(view_, &client, TRUE);
}

void Win32ListView::rowsChanged() {
    if (!view_) return;
    if (bulkDepth_ > 0)
        allChanged_ = true;
    else
        InvalidateRect(view_, nullptr, FALSE);
}

void Win32ListView::invalidate() {
    if (view_) InvalidateRect(view_, nullptr, FALSE);
}

}  // namespace twk::ui
