// Test doubles for the engine's platform interfaces.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/list_view.h"
#include "core/platform.h"
#include "core/report.h"
#include "core/row_commands.h"
#include "core/text.h"
#include "support/alloc_failure.h"

namespace twk::test {

// A list view that keeps items, selection and scroll position, and records what was asked of it.
class FakeListView : public ListViewOps {
  public:
    void insertItem(int position) override;
    void deleteItem(int position) override;
    void deleteAllItems() override;
    bool isSelected(int position) const override;
    void setSelected(int position, bool selected) override;
    int itemCount() const override { return static_cast<int>(items_.size()); }
    int selectedCount() const override;
    int topRow() const override { return top_; }
    int rowHeight() const override { return rowHeight_; }
    void scrollBy(int dy) override;
    void beginBulkUpdate() override {
        ++bulkDepth_;
        ++bulkBegins;
    }
    void endBulkUpdate() override { --bulkDepth_; }
    void invalidate() override { ++invalidations; }

    void select(std::initializer_list<int> positions);
    std::vector<int> selectedPositions() const;
    void setTop(int row) { top_ = row; }
    void setRowHeight(int h) { rowHeight_ = h; }
    int bulkDepth() const { return bulkDepth_; }

    std::vector<std::string> log;  // "insert 3", "delete 0", "scroll 36", ...
    int invalidations = 0;
    int bulkBegins = 0;
    int setSelectedCalls = 0;

  private:
    std::vector<bool> items_;  // selected state per item
    int top_ = 0;
    int rowHeight_ = 18;
    int bulkDepth_ = 0;
};

// The rows of a set of tabs for the row and clipboard commands. Tabs from a word: "N" a normal list, "I" the
// ignore list, "-" a page without rows (the settings page).
class FakeRowPages final : public RowPages {
  public:
    explicit FakeRowPages(const std::string& tabs);
    EntryList* currentList() const override { return tabList(current); }
    ListViewOps* currentView() const override { return view(current); }
    EntryList* tabList(int index) const override { return tabs_[static_cast<size_t>(index)].list.get(); }
    void focusView() override { ++focused; }
    void holdStatus() override { ++holds; }
    void releaseStatus() override { --holds; }

    FakeListView* view(int index) const { return tabs_[static_cast<size_t>(index)].view.get(); }
    // Rows named row0, row1, ... (hashes hash0, hash1, ...) into the list of tab `index`.
    void addRows(int index, int n);
    std::vector<std::string> names(int index) const;

    int current = 0;
    int focused = 0;
    int holds = 0;

  private:
    struct Tab {
        std::unique_ptr<EntryList> list;
        std::unique_ptr<FakeListView> view;
    };
    std::vector<Tab> tabs_;
};

class RecordingReporter : public Reporter {
  public:
    // The status bar and the message box do not throw: what they keep is not made to fail.
    void setStatusText(int part, const char* text) override {
        AllocationPause pause;
        status[part] = text;
    }
    void showErrorBox(const char* text, bool ownerless) override {
        AllocationPause pause;
        boxes.push_back(text);
        lastOwnerless = ownerless;
    }
    std::string status[3];
    std::vector<std::string> boxes;
    bool lastOwnerless = false;
};

class FixedClock : public Clock {
  public:
    explicit FixedClock(LocalTime t) : t_(t) {}
    LocalTime now() const override { return t_; }
    void set(LocalTime t) { t_ = t; }

  private:
    LocalTime t_;
};

// Installs a reporter / clock for the life of a test and restores the previous one.
class ScopedReporter {
  public:
    explicit ScopedReporter(Reporter* r) : old_(setReporter(r)) {}
    ~ScopedReporter() { setReporter(old_); }

  private:
    Reporter* old_;
};

class ScopedClock {
  public:
    explicit ScopedClock(const Clock* c) : old_(setClock(c)) {}
    ~ScopedClock() { setClock(old_); }

  private:
    const Clock* old_;
};

LocalTime makeTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);

}  // namespace twk::test
