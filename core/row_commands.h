// The row commands of the page shown: delete, select all, invert, clear the selection, clear the list, select
// the marked rows, mark the selected ones, go to the next or previous mark, move the selected rows to another
// tab's list and link or unlink another tab's list as a filter. Each decides what its rows need and reports
// its counts and message; the lists and the view come through RowPages (the window's tab set).
#pragma once

namespace twk {

class EntryList;
class ListViewOps;

class RowPages {
  public:
    virtual ~RowPages() = default;
    // The list of the page shown, and its view when that page shows rows (nullptr otherwise).
    virtual EntryList* currentList() const = 0;
    virtual ListViewOps* currentView() const = 0;
    // The list of the tab at `index`; nullptr when that tab holds none.
    virtual EntryList* tabList(int index) const = 0;
    // The keyboard goes to the current view.
    virtual void focusView() = 0;
    // Status texts set between the two are shown together when the second comes.
    virtual void holdStatus() {}
    virtual void releaseStatus() {}
};

class RowCommands {
  public:
    explicit RowCommands(RowPages& pages) : pages_(pages) {}

    void deleteSelected();
    void selectAll();
    void invert();
    void clearSelection();
    void clearAll();
    void selectMarked();
    void markSelected();
    void nextMark();
    void previousMark();
    // The selected rows to the list of tab `index` (not the current one).
    void moveSelectedTo(int index);
    // The list of tab `index` filters the current list, or no longer does.
    void toggleFilter(int index);

  private:
    // Every row of the current view selected, or none, and the counts shown; returns the number of rows (0
    // when there is no view with rows, and nothing was done).
    int selectEvery(bool selected);

    RowPages& pages_;
};

}  // namespace twk
