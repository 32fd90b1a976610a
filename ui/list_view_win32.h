// The owner-drawn report list view of a page, as the rows' lists see it. Does not own the window.
//
// A view made with LVS_OWNERDATA holds no items at all, only a row count and the states of the rows
// (selection, focus): rows inserted into it are counted while a bulk update lasts and handed to the view at
// its end, with the states of the rows already there moved to where those rows went, so that a collection or
// a load costs the view next to nothing however many rows it adds. Other views get one item per row.
#pragma once

#include <windows.h>

#include <vector>

#include "core/inserted_rows.h"
#include "core/list_view.h"

namespace twk::ui {

class Win32ListView final : public ListViewOps {
  public:
    Win32ListView() = default;
    explicit Win32ListView(HWND view) { attach(view); }
    void attach(HWND view);
    HWND hwnd() const { return view_; }
    bool ownerData() const { return ownerData_; }

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
    void rowsChanged() override;

    void setAllSelected(bool selected);
    // Every row selected that was not, and the others not: with the drawing held, whole-view calls and one
    // call per row of the smaller part.
    void invertSelection();
    int bulkDepth() const { return bulkDepth_; }
    // The selected rows as runs of positions, ascending.
    std::vector<RowRange> selectedRuns() const;

  private:
    // Hands the rows inserted so far to an owner-data view. Needs no memory: without it the states are moved
    // row by row.
    void flushInserts() const noexcept;
    void flushMapped() const;
    // The view grows to `count` rows by rows inserted at `positions`, in that order (each among the rows as
    // they were then): the states of the rows from there on move one row down, one row at a time. Needs no
    // memory.
    void growRowByRow(const int* positions, std::size_t n, int count) const noexcept;
    void setState(int position, UINT mask, UINT state) const;
    void holdRedraw() const;
    // Repaints the rows from `first` to the end of the view, or none when they lie below it.
    void invalidateFrom(int first) const;

    HWND view_ = nullptr;
    bool ownerData_ = false;
    int bulkDepth_ = 0;
    mutable bool redrawHeld_ = false;
    // What a bulk update changed without holding the drawing: all rows shown, or the rows from a position on.
    mutable bool allChanged_ = false;
    mutable int changedFrom_ = -1;
    mutable int lastRowHeight_ = 0;
    mutable bool inserting_ = false;
    mutable InsertedRows inserted_;
};

}  // namespace twk::ui
