// What a list tells one watcher of its own about every change of its rows, their order, their texts and their
// search marks, as it happens: enough to replay the same changes, in the same order, onto another list. The
// list view hears of rows as items (list_view.h); this hears of the rows themselves. A list calls nothing
// when no observer is set (EntryList::setObserver).
//
// Positions are display positions at the moment of the change. The path, the modified flag and the sort state
// without a sort are read from the list whenever they are wanted: they have no calls here. The calls must not
// throw: they run in the middle of the list's own steps.
#pragma once

namespace twk {

struct Entry;

class ListObserver {
  public:
    virtual ~ListObserver() = default;
    // A row now stands at `position` (the rows from there on moved one down).
    virtual void rowInserted(int position, const Entry& row) = 0;
    // The row at `position` left the list; it is still readable during the call (freed, or moved to another
    // list, afterwards).
    virtual void rowRemoved(int position, const Entry& row) = 0;
    // Many rows changed at once (the list was emptied, took every row of another list, or an empty list was
    // filled in one batch): only the list as it is now says what it holds.
    virtual void rowsReset() = 0;
    // The rows are about to be sorted (which then cannot fail) by a logical column and direction, with
    // `month` the month the comparison takes its update-time keys from (RowComparator). Called before the
    // sort, so that what the sort reads (the marks, for the mark column) can still be seen as it was.
    virtual void rowsSorting(int column, int descending, int month) = 0;
    // A row is about to take other texts in place (a merge of a known hash, or a merge taken back), and has
    // just taken them. Its position, hash, size and user columns stay.
    virtual void rowTextsChanging(const Entry& row) = 0;
    virtual void rowTextsChanged(const Entry& row) = 0;
    // The search marks of any rows changed (a search, marking the selection, setting all marks).
    virtual void marksChanged() = 0;
    // The list is being destroyed: the observer must forget it.
    virtual void listGone() = 0;
};

}  // namespace twk
