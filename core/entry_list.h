// The rows of one list tab, kept in display order and in hash order, in pages of 1024 references.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/entry.h"

namespace twk {

class ListObserver;
class ListViewOps;
class RowComparator;

// A reference to a row in one order, with a key prefix of the row for that order (see RowComparator): probes
// of a search and comparisons of a sort decide by the prefixes when they differ, without touching the row.
struct RowRef {
    Entry* entry;
    uint64_t key;
};

// One order of the rows: an array of pages of up to 1024 references. A Fenwick tree over the page counts
// finds the page of a display position in O(log pages). A page keeps its references in a ring (slot i is cell
// (head + i) mod 1024), so that an insertion or a removal moves only the shorter side of its slot, and a row
// pushed onto the front of the next page moves nothing there.
class PageArray {
  public:
    static constexpr int kPageSize = 1024;
    static constexpr int kCellMask = kPageSize - 1;
    struct Page {
        RowRef cells[kPageSize];
    };
    struct Slot {
        int page;
        int slot;
    };

    PageArray() = default;
    PageArray(const PageArray&) = delete;
    PageArray& operator=(const PageArray&) = delete;

    int size() const { return total_; }
    int pageCount() const { return static_cast<int>(pages_.size()); }
    int pageSize(int page) const { return pages_[page].count; }
    // The memory of the pages and their index (not of the rows they refer to).
    std::size_t heldBytes() const {
        return pages_.capacity() * sizeof pages_[0] + pages_.size() * sizeof(Page) +
               tree_.capacity() * sizeof(int);
    }

    Slot locate(int position) const;  // position in 0 .. size() - 1
    Entry* at(int position) const;
    Entry* get(Slot s) const { return cellOf(pages_[s.page], s.slot).entry; }
    const RowRef& refAt(Slot s) const { return cellOf(pages_[s.page], s.slot); }
    // Puts another reference in a slot; keeping the order right is the caller's.
    void put(Slot s, RowRef r) {
        PageRec& p = pages_[s.page];
        cellOf(p, s.slot) = r;
        if (s.slot == 0) keepFirst(p);
    }

    // Inserts at (page, slot) as the list's insertion rule says; slot may equal the page's count, and slot
    // 1024 means slot 0 of the next page.
    void insertAt(Slot where, RowRef r);
    void append(RowRef r);
    // Appends n references at once (the index is made once).
    void appendAll(const RowRef* refs, std::size_t n);
    Entry* removeAt(Slot where);
    void clear();  // drops every reference (owns nothing)
    void swap(PageArray& other) noexcept;

    // All references in order, and writing them back in the same page shape.
    void copyOut(std::vector<Entry*>& out) const;
    void copyOut(std::vector<RowRef>& out) const;
    void copyIn(const std::vector<RowRef>& in);
    // Recomputes every key prefix.
    template <class KeyFn>
    void rekey(KeyFn&& keyOf);

    // Binary search of the list's insertion rule: compare(probe) is compare(new row, probed row) for the
    // probed reference. Returns whether an equal row was found; `where` is the found slot or the insertion
    // slot, `position` likewise.
    template <class Cmp>
    bool search(Cmp&& compare, Slot* where, int* position) const;
    // The same result for an order without equal rows (the hash order), found page by page: first among the
    // pages' first rows, then inside one page, so that most probes touch memory that every search shares.
    // Only the page an insertion point at a page boundary falls on may differ from search().
    template <class Cmp>
    bool searchStrict(Cmp&& compare, Slot* where, int* position) const;

  private:
    // A page with its count, the cell of its slot 0 and a copy of the reference there, held apart from the
    // page: finding the page of a position, and the first rounds of searchStrict, read none of the pages.
    struct PageRec {
        std::unique_ptr<Page> page;
        int count = 0;
        int head = 0;
        RowRef first{};  // slot 0's reference while count > 0
    };
    static RowRef& cellOf(const PageRec& p, int slot) { return p.page->cells[(p.head + slot) & kCellMask]; }
    static void keepFirst(PageRec& p) { p.first = p.page->cells[p.head]; }
    // The reference at a position on the page `page` (whose first position is `start`) or a few pages away,
    // or null when it lies farther: a search's next probes, fetched early. (The searches prefetch in their
    // own bodies: the compiler drops calls of a function whose only effect is a prefetch.)
    const RowRef* nearCell(int position, int page, int start) const {
        for (int steps = 0; position < start; ++steps) {
            if (page == 0 || steps == kNearPages) return nullptr;
            start -= pages_[--page].count;
        }
        for (int steps = 0; position >= start + pages_[page].count; ++steps) {
            if (page + 1 == pageCount() || steps == kNearPages) return nullptr;
            start += pages_[page++].count;
        }
        return &cellOf(pages_[page], position - start);
    }
    static constexpr int kNearPages = 4;
    static PageRec newPage();
    void rebuildIndex();
    void addToIndex(int page, int delta);
    int firstPosition(int page) const;  // sum of the counts of pages before `page`

    std::vector<PageRec> pages_;
    std::vector<int> tree_ = std::vector<int>(1, 0);  // Fenwick tree over the page counts, 1-based
    int total_ = 0;
};

template <class Cmp>
bool PageArray::search(Cmp&& compare, Slot* where, int* position) const {
    int lo = 0, hi = total_ - 1;
    Slot last{0, 0};
    int lastR = 0;
    bool probed = false;
    // The page of the last lookup, positions [pageStart, pageEnd): once the range has narrowed to one page,
    // a probe is found there without walking the index again.
    int page = 0, pageStart = 0, pageEnd = 0;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        Slot s;
        if (mid >= pageStart && mid < pageEnd) {
            s = Slot{page, mid - pageStart};
        } else {
            s = locate(mid);
            page = s.page;
            pageStart = mid - s.slot;
            pageEnd = pageStart + pages_[page].count;
        }
        // The probes that can come next, when they lie on this page or near it, are fetched while this one
        // compares.
        const int next[2] = {lo + (mid - 1 - lo) / 2, mid + 1 + (hi - mid - 1) / 2};
        for (int k = 0; k < 2; ++k) {
            if (next[k] < lo || next[k] > hi || next[k] == mid) continue;
            if (const RowRef* c = nearCell(next[k], page, pageStart)) __builtin_prefetch(c);
        }
        int r = compare(cellOf(pages_[s.page], s.slot));
        probed = true;
        last = s;
        lastR = r;
        if (r == 0) {
            *where = s;
            *position = mid;
            return true;
        }
        if (r < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    if (!probed) {
        *where = Slot{0, 0};
    } else {
        if (lastR < 0) ++last.slot;
        if (last.slot == kPageSize) last = Slot{last.page + 1, 0};
        *where = last;
    }
    *position = lo;
    return false;
}

template <class Cmp>
bool PageArray::searchStrict(Cmp&& compare, Slot* where, int* position) const {
    int pages = pageCount();
    if (pages == 0) {
        *where = Slot{0, 0};
        *position = 0;
        return false;
    }
    // The last page whose first row is not after the key (page 0 when the key goes before everything).
    int lo = 1, hi = pages - 1, page = 0;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int r = compare(pages_[mid].first);
        if (r == 0) {
            *where = Slot{mid, 0};
            *position = firstPosition(mid);
            return true;
        }
        if (r < 0) {
            page = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    const PageRec& p = pages_[page];
    int a = 0, b = p.count - 1;
    while (a <= b) {
        int mid = a + (b - a) / 2;
        if (a < mid) __builtin_prefetch(&cellOf(p, a + (mid - 1 - a) / 2));
        if (mid < b) __builtin_prefetch(&cellOf(p, mid + 1 + (b - mid - 1) / 2));
        int r = compare(cellOf(p, mid));
        if (r == 0) {
            *where = Slot{page, mid};
            *position = firstPosition(page) + mid;
            return true;
        }
        if (r < 0)
            a = mid + 1;
        else
            b = mid - 1;
    }
    *where = Slot{page, a};
    *position = firstPosition(page) + a;
    return false;
}

template <class KeyFn>
void PageArray::rekey(KeyFn&& keyOf) {
    for (PageRec& p : pages_) {
        for (int i = 0; i < p.count; ++i) {
            RowRef& r = cellOf(p, i);
            r.key = keyOf(*r.entry);
        }
        keepFirst(p);
    }
}

class EntryList {
  public:
    explicit EntryList(ListKind kind);
    ~EntryList();
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;

    ListKind kind() const { return kind_; }
    int count() const { return display_.size(); }
    int sortColumn() const { return sortColumn_; }
    int sortDescending() const { return sortDescending_; }
    // Sets the order that sorted insertion follows without sorting.
    void setSortState(int column, int descending);
    int selectedCount() const { return selectedCount_; }
    bool modified() const { return modified_ != 0; }
    void setModified(bool on) { modified_ = on ? 1 : 0; }
    bool purgePending() const { return purgePending_ != 0; }
    const std::string& path() const { return path_; }
    void setPath(std::string p) { path_ = std::move(p); }

    ListViewOps* view() const { return view_; }
    void setView(ListViewOps* view) { view_ = view; }
    // The one watcher of the rows' changes (list_observer.h), or none.
    ListObserver* observer() const { return observer_; }
    void setObserver(ListObserver* observer) { observer_ = observer; }

    // Adding. mode 1 inserts at the sorted position, anything else appends. Return 1 added, 0 not added.
    int addTexts(int n, const char* const* texts, int mode);
    int addRawRecord(const RawRecord& raw, int mode);  // runs purgeDependents after an add
    int addEntry(EntryPtr entry);                      // sorted position; frees the row when refused
    // Display position of the new row, or -1 when the hash is present (then a larger reference amount
    // merges). Throws std::bad_alloc when a page cannot be had; the list is then as it was.
    int insertEntry(Entry* entry, int mode);

    // Looking up.
    Entry* entryAt(int position) const;
    int findHash(const char* hash) const;  // position in the hash order, or -1
    int markHash(const char* hash);
    int hashInFilters(const char* hash) const;
    int usesFilter(const EntryList* list) const;

    // Places a row at a display position (0 .. count()) without asking the sort order, the filter lists, the
    // view or the dependent lists: a list rebuilt from a record of its changes. Returns 1, or 0 when the hash
    // is present or the position lies outside (the row is then freed). Throws std::bad_alloc as insertEntry.
    int placeEntry(EntryPtr entry, int position);
    // The row (of this list) takes the texts of `from` as a merge does, whatever their reference amounts.
    // Throws std::bad_alloc as Entry::takeTextsOf.
    void retakeTexts(Entry& row, const Entry& from);
    // Rows' search marks were written directly (a search): the observer hears of it.
    void marksWritten();

    // Removing.
    int removeAt(int position, bool free);
    int clear();
    // An empty list takes every row of `from` (which becomes empty) in its order, without needing memory: its
    // view gains their items and its dependent lists learn their hashes.
    void takeRows(EntryList& from) noexcept;

    // Filter links.
    int linkFilter(EntryList* list);
    int unlinkFilter(EntryList* list);
    const std::vector<EntryList*>& filterLists() const { return filterLists_; }
    const std::vector<EntryList*>& dependentLists() const { return dependentLists_; }
    void markInDependents(const char* hash);
    void purgeDependents();
    int purgeMarked();

    // Selection and marks.
    int syncSelectionFromView();
    int pushSelectionToView();
    int deleteSelected();
    int moveSelectedTo(EntryList& target);
    int selectMarked();
    int markSelected();
    void setAllMarks(bool on);
    int scrollToMark(bool forward);

    // Sorting: same column flips the direction, another column starts with flag 0. Throws std::bad_alloc,
    // with the list as it was, when there is no room for the order.
    int sort(int column);
    // The same with room for count() references in `scratch`: needs no memory.
    int sort(int column, std::vector<RowRef>& scratch);
    // Sorts by a column and direction with the update-time keys of `month` (a sort made earlier, again).
    // Throws std::bad_alloc, with the list as it was, when there is no room for the order.
    void sortAs(int column, int descending, int month);

    // The comparison of the current sort order (month read from the clock now).
    RowComparator currentComparator() const;

    // The memory the rows and the pages of both orders hold.
    std::size_t heldBytes() const;

    // Page shapes, for tests and diagnostics.
    const PageArray& displayPages() const { return display_; }
    const PageArray& hashPages() const { return hashes_; }

  private:
    friend class AppendBatch;
    int addMade(EntryPtr entry, int mode);
    // A row of a hash already present takes the incoming texts when its reference amount is the larger.
    void mergeRow(Entry& existing, const Entry& incoming);
    // The rest of an add once insertEntry has placed the row at `position` (-1: refused or merged, freed).
    int adoptInserted(Entry* entry, int position);
    // hashInFilters asking every filter list but `passedOver` (none when null).
    int hashInFiltersBut(const char* hash, const EntryList* passedOver) const;
    RowRef hashRef(Entry* e) const;
    void rekeyDisplay();
    void sortRows(int month, std::vector<RowRef>& rows);
    void removeFromHashOrder(Entry* e);
    void setViewSelected(int position, bool selected);

    PageArray display_;
    PageArray hashes_;
    int sortColumn_ = kColName;
    int sortDescending_ = 0;
    std::vector<EntryList*> filterLists_;
    std::vector<EntryList*> dependentLists_;
    int selectedCount_ = 0;
    ListKind kind_;
    int modified_ = 0;
    ListViewOps* view_ = nullptr;
    ListObserver* observer_ = nullptr;
    int purgePending_ = 0;
    bool displayKeysStale_ = false;  // a merge renamed a row since the name prefixes were made
    std::string path_;
};

// Adds many rows to a list one after another, with the result of addTexts(n, texts, mode) for each. When the
// list is empty at the start and the rows are appended (mode other than 1), the rows are kept aside and the
// list is built once by finish(): one sort of the hash order instead of an insertion per row, with the same
// rows, merges, order, filter refusals, marks in dependent lists and view items. Until finish() the list does
// not show the rows. purgeDependents stays the caller's, as after addTexts.
// A batch adds all of its rows or none: when memory runs out for one, the rows it added leave again, the rows
// it merged take back their texts, the memory message (175) is shown once and the batch adds nothing more.
class AppendBatch {
  public:
    AppendBatch(EntryList& list, int mode);
    ~AppendBatch();
    AppendBatch(const AppendBatch&) = delete;
    AppendBatch& operator=(const AppendBatch&) = delete;

    // 1 when the row was added, 0 when not; while deferring, 1 when the row was taken (a later duplicate of
    // its hash may still merge into an earlier row), so count with the total of finish().
    int add(int n, const char* const* texts);
    // The same with the texts' lengths known (lengths[i] is strlen(texts[i])), or measured when lengths is
    // null.
    int add(int n, const char* const* texts, const std::size_t* lengths);
    // Builds the list and returns the number of rows added by the batch.
    int finish();
    // Room for about this many rows, so that the rows kept aside are not moved as they grow.
    void reserve(std::size_t rows);
    // Drops the rows kept aside instead of building the list with them (rows already added stay).
    void abandon();

    // Whether memory ran out (the list is then as it was before the batch).
    bool failed() const { return failed_; }

  private:
    // What a batch into a list with rows did, so that it can be taken back: a row inserted (at `position`),
    // or a row of the list that took newer texts (`texts` holds the old ones).
    struct Step {
        Entry* row;
        int position;         // -1: a merge
        SavedRowTexts texts;  // of a merged row, before the merge
    };
    int addNow(int n, const char* const* texts, const std::size_t* lengths);
    void takeBack() noexcept;
    void freeArrived() noexcept;
    void fail();

    EntryList& list_;
    int mode_;
    bool deferred_;
    bool finished_ = false;
    bool failed_ = false;
    bool wasModified_;
    int added_ = 0;
    std::vector<Step> steps_;
    // Rows taken while deferring: in the order they came with their display-order keys (in pages that
    // become the display order's when no row merged), and with their hash-order keys. Both keys are made
    // while the row is fresh in memory.
    std::unique_ptr<const RowComparator> displayOrder_;
    PageArray arrived_;
    std::vector<RowRef> keyed_;
};

// Test hook: make the next allocations of list pages fail. failAfter = k lets k more pages be made first; -1
// disables.
void injectPageAllocationFailure(int failAfter);

}  // namespace twk
