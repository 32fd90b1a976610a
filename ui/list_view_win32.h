// The owner-drawn report list view of a page, as the rows' lists see it. Does not own the window.
#pragma once

#include <windows.h>

#include "core/list_view.h"

namespace twk::ui {

class Win32ListView final : public ListViewOps {
  public:
    Win32ListView() = default;
    explicit Win32ListView(HWND view) : view_(view) {}
    void attach(HWND view) { view_ = view; }
    HWND hwnd() const { return view_; }

    void insertItem(int position) override;
    void deleteItem(int position) override;
    void deleteAllItems() override;
    bool isSelected(int position) const override;
    void setSelected(int position, bool selected) override;
    int itemCount() const override;
    int selectedCount() const override;
    int topRow() const override;
    // The height of one row as the view lays it out (the first item's rectangle); before the view has an
    // item, the height it last reported, or the height of a line of its font.
    int rowHeight() const override;
    void scrollBy(int dy) override;
    void beginBulkUpdate() override;
    void endBulkUpdate() override;
    void invalidate() override;

    void setAllSelected(bool selected);
    int bulkDepth() const { return bulkDepth_; }

  private:
    HWND view_ = nullptr;
    int bulkDepth_ = 0;
    mutable int lastRowHeight_ = 0;
};

}  // namespace twk::ui
