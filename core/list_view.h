// What a list keeps in step with: the owner-drawn list view of its page. The view holds one empty item per
// row (or only their count) and the selection (or shows the rows' own); every cell is painted from the row at
// draw time.
#pragma once

namespace twk {

class ListViewOps {
  public:
    virtual ~ListViewOps() = default;
    virtual void insertItem(int position) = 0;
    virtual void deleteItem(int position) = 0;
    virtual void deleteAllItems() = 0;
    virtual bool isSelected(int position) const = 0;
    virtual void setSelected(int position, bool selected) = 0;
    virtual int itemCount() const = 0;
    virtual int selectedCount() const = 0;
    // First visible row (from the vertical scroll position) and the height of one row in pixels.
    virtual int topRow() const = 0;
    virtual int rowHeight() const = 0;
    virtual void scrollBy(int dy) = 0;
    // Around operations that add or remove many rows: the view stops drawing (and is hidden) until the
    // matching end, then repaints once. Calls nest.
    virtual void beginBulkUpdate() = 0;
    virtual void endBulkUpdate() = 0;
    virtual void invalidate() = 0;
    // Rows already shown changed their texts in place (a known hash took newer texts); a view that repaints
    // only the rows it knows to have moved must repaint them all.
    virtual void rowsChanged() {}
    // The view shows the rows' own `selected` flags as its selection: reading the selection into the rows, or
    // the rows' flags into the view, has nothing to copy.
    virtual bool selectionIsRows() const { return false; }
    // Every item selected or none; every item's selection reversed. Both return how many are selected now.
    virtual int setAllSelected(bool selected) {
        const int n = itemCount();
        for (int i = 0; i < n; ++i) setSelected(i, selected);
        return selected ? n : 0;
    }
    virtual int invertSelection() {
        const int n = itemCount();
        int on = 0;
        for (int i = 0; i < n; ++i) {
            const bool select = !isSelected(i);
            setSelected(i, select);
            on += select;
        }
        return on;
    }
};

// Scope guard for a bulk update of an optional view.
class BulkUpdate {
  public:
    explicit BulkUpdate(ListViewOps* view) : view_(view) {
        if (view_) view_->beginBulkUpdate();
    }
    ~BulkUpdate() {
        if (view_) view_->endBulkUpdate();
    }
    BulkUpdate(const BulkUpdate&) = delete;
    BulkUpdate& operator=(const BulkUpdate&) = delete;

  private:
    ListViewOps* view_;
};

}  // namespace twk
