#include "ui/list_view_win32.h"

#include <commctrl.h>

namespace twk::ui {

void Win32ListView::insertItem(int position) {
    if (!view_) return;
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = position;
    item.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(view_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::deleteItem(int position) {
    if (view_) SendMessageW(view_, LVM_DELETEITEM, static_cast<WPARAM>(position), 0);
}

void Win32ListView::deleteAllItems() {
    if (view_) SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
}

bool Win32ListView::isSelected(int position) const {
    if (!view_) return false;
    return (SendMessageW(view_, LVM_GETITEMSTATE, static_cast<WPARAM>(position), LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

void Win32ListView::setSelected(int position, bool selected) {
    if (!view_) return;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(view_, LVM_SETITEMSTATE, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::setAllSelected(bool selected) {
    setSelected(-1, selected);
}

int Win32ListView::itemCount() const {
    return view_ ? static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int Win32ListView::selectedCount() const {
    return view_ ? static_cast<int>(SendMessageW(view_, LVM_GETSELECTEDCOUNT, 0, 0)) : 0;
}

int Win32ListView::topRow() const {
    return view_ ? static_cast<int>(SendMessageW(view_, LVM_GETTOPINDEX, 0, 0)) : 0;
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
    if (view_) SendMessageW(view_, LVM_SCROLL, 0, static_cast<LPARAM>(dy));
}

void Win32ListView::beginBulkUpdate() {
    if (bulkDepth_++ == 0 && view_) SendMessageW(view_, WM_SETREDRAW, FALSE, 0);
}

void Win32ListView::endBulkUpdate() {
    if (bulkDepth_ <= 0) return;
    if (--bulkDepth_ == 0 && view_) {
        SendMessageW(view_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view_, nullptr, TRUE);
    }
}

void Win32ListView::invalidate() {
    if (view_) InvalidateRect(view_, nullptr, FALSE);
}

}  // namespace twk::ui
