// The owner-drawn report list view of a page, as the rows' lists see it. Does not own the window.
//
// A view made with LVS_OWNERDATA holds no items at all, only a row count, the focus and the Shift anchor.
// Rows inserted into it are counted while a bulk update lasts and handed to the view at its end, with the
// focus and the anchor moved to where their rows went, so that a collection or a load costs the view next to
// nothing however many rows it adds.
//
// Such a view's selection is the rows' own `selected` flags (showSelectionOf): the view asks the rows for a
// row's state when it paints it, so that selecting, inverting or clearing every row, or a sort that keeps the
// selection on its rows, costs what the rows cost and no call to the view per row. The selection that the
// user's clicks and keys make is set on the rows here, as the view's own handling would make it; messages
// that others send the view about the selection are answered from the rows. Other views get one item per
// row and keep their selection themselves.
#pragma once

#include <windows.h>
// The control declarations need the base declarations first.
#include <commctrl.h>

#include "core/inserted_rows.h"
#include "core/list_view.h"

namespace twk {
class EntryList;
}

namespace twk::ui {

class Win32ListView final : public ListViewOps {
  public:
    // Hands a message to the view's own handling (the procedure the page's subclass replaced).
    using Forward = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

    Win32ListView() = default;
    explicit Win32ListView(HWND view) { attach(view); }
    void attach(HWND view);
    HWND hwnd() const { return view_; }
    bool ownerData() const { return ownerData_; }
    // The rows whose `selected` flags are the selection of this owner-data view; nullptr: none.
    void showSelectionOf(EntryList* rows);

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
    bool selectionIsRows() const override { return rows_ != nullptr; }

    // Both return how many rows are selected now.
    int setAllSelected(bool selected) override;
    // Every row selected that was not, and the others not.
    int invertSelection() override;
    int bulkDepth() const { return bulkDepth_; }

    // The page's side of a view whose selection is the rows'. A message sent to the view about the selection
    // (LVM_SETITEMSTATE, LVM_GETITEMSTATE, LVM_GETSELECTEDCOUNT, LVM_GETNEXTITEM for selected rows) is
    // answered from the rows: true, with its result.
    bool answer(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A button or key that selects rows (true, with the message's result; `forward` gets the message or what
    // the view itself must still do of it); false for any other message.
    bool onInput(UINT message, WPARAM wParam, LPARAM lParam, Forward forward, LRESULT* result);
    // The view's notifications to its page: the state of a row it paints, and selections it made itself.
    void onNotify(NMHDR* header);

  private:
    // How a click or a key on a row sets the selection, as the view's own handling does.
    enum class Pick {
        None,      // the focus moves, the selection stays
        Only,      // the row alone
        Range,     // the rows from the Shift anchor to the row, alone
        AddRange,  // the same, added to the selection
        Toggle,    // the row's state reversed
    };
    // Hands the rows inserted so far to an owner-data view. Needs no memory: without it the focus and the
    // anchor are moved by counting the inserts.
    void flushInserts() const noexcept;
    // The view grows to `count` rows by rows inserted at `positions`, in that order (each among the rows as
    // they were then): the focus and the anchor move down past them. Needs no memory.
    void growRowByRow(const int* positions, std::size_t n, int count) const noexcept;
    void setState(int position, UINT mask, UINT state) const;
    void holdRedraw() const;
    // Marks `area` (nullptr: the whole view) for painting, but for the view's header: only the rows change.
    void invalidateRows(const RECT* area, bool erase) const;
    // Repaints the rows from `first` to the end of the view, or none when they lie below it.
    void invalidateFrom(int first) const;

    // The selection as the rows hold it.
    bool rowSelected(int position) const;
    // Clamped to the rows; returns how many rows it set.
    int selectRows(int first, int last, bool selected);
    // Returns how many rows are selected now.
    int invertRows();
    int countSelectedRows() const;
    int nextSelectedRow(int after) const;
    // Paints a row again, or every row shown; within a bulk update, every row once it ends.
    void repaintRow(int position) const;
    void repaintRows() const;
    // `pick` on `row` (the Shift anchor was `mark`), leaving the anchor where the view's own handling leaves
    // it; `byKey`: a key made it (Ctrl+Space keeps the anchor when it clears the row).
    void pickRow(int row, Pick pick, int mark, bool byKey);
    bool onKey(WPARAM key);
    int hitRow(LPARAM point) const;

    HWND view_ = nullptr;
    bool ownerData_ = false;
    EntryList* rows_ = nullptr;
    int bulkDepth_ = 0;
    mutable bool redrawHeld_ = false;
    // What a bulk update changed without holding the drawing: all rows shown, or the rows from a position on.
    mutable bool allChanged_ = false;
    mutable int changedFrom_ = -1;
    mutable int lastRowHeight_ = 0;
    mutable bool inserting_ = false;
    mutable InsertedRows inserted_;
    // While this class changes the view's rows, the view's notifications say nothing about the selection:
    // the rows have already changed under the positions it reports.
    mutable int quiet_ = 0;
    // While the view handles a click whose selection is made here.
    bool clicking_ = false;
};

}  // namespace twk::ui
