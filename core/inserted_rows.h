// Rows inserted into a list view that holds only a row count and the states of single rows (the focus, the
// Shift anchor): the inserts are collected and handed to the view at once, and those states must then move to
// where their rows went.
#pragma once

#include <vector>

namespace twk {

class InsertedRows {
  public:
    // Starts a batch on a view of `count` rows.
    void reset(int count);
    // One row inserted at `position` of the rows as they are now (0 .. count()); a position outside is
    // taken as an append. Throws std::bad_alloc with nothing recorded when there is no room for it.
    void insert(int position);

    int baseCount() const { return base_; }
    int count() const { return count_; }
    bool empty() const { return count_ == base_; }
    // The first position whose row is not the one that was there at the start (count() when none).
    int firstChanged() const { return firstChanged_; }
    // Whether some row went before a row that was there at the start (otherwise every row kept its position).
    bool movesOldRows() const { return !shifting_.empty(); }

    // The positions of the inserts that went before some old row, in the order they came (each among the rows
    // as they were then).
    const std::vector<int>& shiftingInserts() const { return shifting_; }
    // Works out the new positions now (needs memory), so that map() then needs none.
    void resolveNow() const { resolve(); }

    // Where the row at `oldPosition` (0 .. baseCount() - 1) is now. The first call after inserts works out
    // the new positions once.
    int map(int oldPosition) const;

  private:
    void resolve() const;

    int base_ = 0;
    int count_ = 0;
    int lastOld_ = -1;  // position of the last row that was there at the start
    int firstChanged_ = 0;
    std::vector<int> shifting_;  // positions of the inserts that went before some old row, in order
    mutable bool resolved_ = true;
    mutable std::vector<int> before_;  // per such insert, sorted: the number of old rows before it
};

}  // namespace twk
