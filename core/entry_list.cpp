#include "core/entry_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/list_observer.h"
#include "core/list_view.h"
#include "core/platform.h"
#include "core/report.h"
#include "core/sort.h"
#include "core/text.h"

namespace twk {

// ---------------------------------------------------------------------------------------------------------------
// PageArray

namespace {
constexpr int kPageSize = PageArray::kPageSize;

// Moves the n references of a page's ring from cell `from` on one cell up (cell i to cell i + 1, the last
// cell to cell 0).
void shiftUp(RowRef* cells, int from, int n) {
    const int end = from + n;
    if (end < kPageSize) {
        std::memmove(cells + from + 1, cells + from, sizeof(RowRef) * n);
        return;
    }
    std::memmove(cells + 1, cells, sizeof(RowRef) * (end - kPageSize));
    cells[0] = cells[kPageSize - 1];
    std::memmove(cells + from + 1, cells + from, sizeof(RowRef) * (kPageSize - 1 - from));
}

// Moves the n references of a page's ring from cell `from` on one cell down (cell i to cell i - 1, cell 0 to
// the last cell).
void shiftDown(RowRef* cells, int from, int n) {
    if (n == 0) return;
    if (from == 0) {
        cells[kPageSize - 1] = cells[0];
        std::memmove(cells, cells + 1, sizeof(RowRef) * (n - 1));
        return;
    }
    const int end = from + n;
    if (end <= kPageSize) {
        std::memmove(cells + from - 1, cells + from, sizeof(RowRef) * n);
        return;
    }
    std::memmove(cells + from - 1, cells + from, sizeof(RowRef) * (kPageSize - from));
    cells[kPageSize - 1] = cells[0];
    std::memmove(cells, cells + 1, sizeof(RowRef) * (end - kPageSize - 1));
}

// Calls f(cells, n) for the one or two runs of cells that hold a page's slots in order.
template <class Page, class F>
void forEachRun(Page* page, int head, int count, F&& f) {
    const int first = count < kPageSize - head ? count : kPageSize - head;
    f(page->cells + head, first);
    if (first < count) f(page->cells, count - first);
}
}  // namespace

void PageArray::rebuildIndex() {
    int n = pageCount();
    tree_.assign(n + 1, 0);
    for (int i = 1; i <= n; ++i) {
        tree_[i] += pages_[i - 1].count;
        int parent = i + (i & -i);
        if (parent <= n) tree_[parent] += tree_[i];
    }
}

void PageArray::addToIndex(int page, int delta) {
    int n = pageCount();
    for (int i = page + 1; i <= n; i += i & -i) tree_[i] += delta;
}

int PageArray::firstPosition(int page) const {
    int sum = 0;
    for (int i = page; i > 0; i -= i & -i) sum += tree_[i];
    return sum;
}

PageArray::Slot PageArray::locate(int position) const {
    // Fenwick descent: the largest prefix of pages whose counts add up to at most `position`.
    int n = pageCount();
    int step = 1;
    while (step * 2 <= n) step *= 2;
    int index = 0;
    int rest = position;
    for (; step > 0; step /= 2) {
        int next = index + step;
        if (next <= n && tree_[next] <= rest) {
            index = next;
            rest -= tree_[next];
        }
    }
    return Slot{index, rest};
}

Entry* PageArray::at(int position) const {
    if (position < 0 || position >= total_) return nullptr;
    return get(locate(position));
}

void PageArray::insertAt(Slot where, RowRef e) {
    // Whatever can fail happens before anything changes: the index's room for a new page, then the page.
    tree_.reserve(pages_.size() + 2);
    int i = where.page;
    int s = where.slot;
    if (s == kPageSize) {
        ++i;
        s = 0;
    }
    bool reshaped = false;
    if (i == pageCount()) {
        pages_.push_back(newPage());
        reshaped = true;
    }
    if (pages_[i].count == kPageSize) {
        // The page's last row goes to the front of the next page, a new one when that is full too.
        if (i == pageCount() - 1) {
            pages_.push_back(newPage());
            reshaped = true;
        } else if (pages_[i + 1].count == kPageSize) {
            pages_.insert(pages_.begin() + i + 1, newPage());
            reshaped = true;
        }
        PageRec& full = pages_[i];
        PageRec& next = pages_[i + 1];
        next.head = (next.head - 1) & kCellMask;
        next.page->cells[next.head] = cellOf(full, kPageSize - 1);
        keepFirst(next);
        ++next.count;
        --full.count;
        if (!reshaped) {
            addToIndex(i + 1, 1);
            addToIndex(i, -1);
        }
    }
    PageRec& page = pages_[i];
    if (s < page.count - s) {
        // The slots before s move one cell down, into the cell before the head.
        const int from = page.head;
        page.head = (page.head - 1) & kCellMask;
        shiftDown(page.page->cells, from, s);
    } else {
        shiftUp(page.page->cells, (page.head + s) & kCellMask, page.count - s);
    }
    cellOf(page, s) = e;
    if (s == 0) keepFirst(page);
    ++page.count;
    ++total_;
    if (reshaped)
        rebuildIndex();
    else
        addToIndex(i, 1);
}

namespace {
int g_pageFailAfter = -1;
}  // namespace

void injectPageAllocationFailure(int failAfter) {
    g_pageFailAfter = failAfter;
}

PageArray::PageRec PageArray::newPage() {
    if (g_pageFailAfter == 0) throw std::bad_alloc();
    if (g_pageFailAfter > 0) --g_pageFailAfter;
    // Cells outside the slots are never read: they are left as they come.
    PageRec p;
    p.page.reset(new Page);
    return p;
}

void PageArray::appendAll(const RowRef* refs, std::size_t n) {
    std::size_t done = 0;
    try {
        while (done < n) {
            if (pages_.empty() || pages_.back().count == kPageSize) pages_.push_back(newPage());
            PageRec& last = pages_.back();
            const bool fresh = last.count == 0;
            const std::size_t room = static_cast<std::size_t>(kPageSize - last.count);
            const int take = static_cast<int>(n - done < room ? n - done : room);
            // The free cells after the last slot, in one or two runs.
            forEachRun(last.page.get(), (last.head + last.count) & kCellMask, take,
                       [&](RowRef* cells, int k) {
                           std::memcpy(cells, refs + done, sizeof(RowRef) * k);
                           done += k;
                       });
            last.count += take;
            if (fresh) keepFirst(last);
        }
    } catch (...) {
        total_ += static_cast<int>(done);
        rebuildIndex();
        throw;
    }
    total_ += static_cast<int>(n);
    rebuildIndex();
}

void PageArray::append(RowRef e) {
    if (!pages_.empty() && pages_.back().count != kPageSize) {
        PageRec& last = pages_.back();
        cellOf(last, last.count++) = e;
        addToIndex(pageCount() - 1, 1);
    } else {
        tree_.reserve(pages_.size() + 2);
        pages_.push_back(newPage());
        pages_.back().page->cells[0] = e;
        pages_.back().first = e;
        pages_.back().count = 1;
        // A new last page: its Fenwick node covers the pages below it.
        int n = pageCount();
        tree_.push_back(0);
        int sum = 1;
        int low = n - (n & -n);
        // Node n covers pages (low, n]; add the nodes that tile (low, n - 1].
        for (int j = n - 1; j > low; j -= j & -j) sum += tree_[j];
        tree_[n] = sum;
    }
    ++total_;
}

Entry* PageArray::removeAt(Slot where) {
    PageRec& page = pages_[where.page];
    const int s = where.slot;
    Entry* e = cellOf(page, s).entry;
    --total_;
    if (page.count == 1) {
        pages_.erase(pages_.begin() + where.page);
        rebuildIndex();
        return e;
    }
    if (s < page.count - 1 - s) {
        // The slots before s move one cell up, and the head with them.
        shiftUp(page.page->cells, page.head, s);
        page.head = (page.head + 1) & kCellMask;
        if (s == 0) keepFirst(page);
    } else {
        shiftDown(page.page->cells, (page.head + s + 1) & kCellMask, page.count - 1 - s);
    }
    --page.count;
    addToIndex(where.page, -1);
    return e;
}

void PageArray::clear() {
    // The page records go with their pages (the index keeps its room).
    std::vector<PageRec>().swap(pages_);
    tree_.assign(1, 0);
    total_ = 0;
}

void PageArray::swap(PageArray& other) noexcept {
    pages_.swap(other.pages_);
    tree_.swap(other.tree_);
    std::swap(total_, other.total_);
}

void PageArray::copyOut(std::vector<Entry*>& out) const {
    out.clear();
    out.reserve(total_);
    for (const PageRec& p : pages_)
        forEachRun(p.page.get(), p.head, p.count, [&](const RowRef* cells, int k) {
            for (int i = 0; i < k; ++i) out.push_back(cells[i].entry);
        });
}

void PageArray::copyOut(std::vector<RowRef>& out) const {
    out.clear();
    out.reserve(total_);
    for (const PageRec& p : pages_)
        forEachRun(p.page.get(), p.head, p.count,
                   [&](const RowRef* cells, int k) { out.insert(out.end(), cells, cells + k); });
}

void PageArray::copyIn(const std::vector<RowRef>& in) {
    std::size_t k = 0;
    for (PageRec& p : pages_) {
        p.head = 0;
        std::memcpy(p.page->cells, in.data() + k, sizeof(RowRef) * p.count);
        keepFirst(p);
        k += p.count;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// EntryList

namespace {
// A row of a hash already present: the present row takes the new texts when the new reference amount is the
// larger number (the reference column's comparison with flag 0 is positive exactly then). Size, hash, mark,
// selection, user columns and position stay.
// What a merge did to the row already present.
enum class Merge { Nothing, Texts, Renamed };
// The observer, when there is one, hears of the change before and after it.
Merge mergeInto(Entry& existing, const Entry& incoming, ListObserver* observer = nullptr) {
    if (compareRefAmountText(incoming.refAmount(), existing.refAmount()) <= 0) return Merge::Nothing;
    const bool renamed = existing.name() != incoming.name();
    if (observer) observer->rowTextsChanging(existing);
    existing.takeTextsOf(incoming);
    if (observer) observer->rowTextsChanged(existing);
    return renamed ? Merge::Renamed : Merge::Texts;
}

}  // namespace

EntryList::EntryList(ListKind kind) : kind_(kind) {}

EntryList::~EntryList() {
    if (observer_) {
        ListObserver* gone = observer_;
        observer_ = nullptr;
        gone->listGone();
    }
    clear();
    // Leave no dangling links behind in the lists this one was linked with (without copies: a destructor
    // must not need memory).
    while (!filterLists_.empty()) unlinkFilter(filterLists_.back());
    while (!dependentLists_.empty()) dependentLists_.back()->unlinkFilter(this);
}

RowComparator EntryList::currentComparator() const {
    int month = sortColumn_ == kColUpdateTime ? clock().now().month : 1;
    return RowComparator(sortColumn_, sortDescending_, month);
}

Entry* EntryList::entryAt(int position) const {
    return display_.at(position);
}

int EntryList::findHash(const char* hash) const {
    PageArray::Slot where;
    int position;
    // Ascending lstrcmpA order: the probed row goes before the key when it compares lower.
    const TextComparer& cmp = textComparer();
    const uint64_t key = cmp.sortKeyPrefix(hash);
    bool found = hashes_.searchStrict(
        [&](const RowRef& probe) {
            if (probe.key != key) return probe.key < key ? -1 : 1;
            return cmp.compare(probe.entry->hash(), hash);
        },
        &where, &position);
    return found ? position : -1;
}

int EntryList::markHash(const char* hash) {
    int p = findHash(hash);
    if (p < 0) return 0;
    hashes_.at(p)->purgeMark = 1;
    return 1;
}

int EntryList::hashInFilters(const char* hash) const {
    return hashInFiltersBut(hash, nullptr);
}

int EntryList::hashInFiltersBut(const char* hash, const EntryList* passedOver) const {
    for (const EntryList* f : filterLists_)
        if (f != passedOver && f->findHash(hash) != -1) return 1;
    return 0;
}

int EntryList::usesFilter(const EntryList* list) const {
    return std::find(filterLists_.begin(), filterLists_.end(), list) != filterLists_.end() ? 1 : 0;
}

RowRef EntryList::hashRef(Entry* e) const {
    return RowRef{e, textComparer().sortKeyPrefix(e->hash())};
}

void EntryList::rekeyDisplay() {
    displayKeysStale_ = false;
    RowComparator cmp = currentComparator();
    display_.rekey([&cmp](const Entry& e) { return cmp.keyOf(e); });
}

void EntryList::setSortState(int column, int descending) {
    sortColumn_ = column;
    sortDescending_ = descending;
    rekeyDisplay();
}

int EntryList::insertEntry(Entry* entry, int mode) {
    PageArray::Slot where;
    int position;
    const RowRef hashed = hashRef(entry);
    const TextComparer& text = textComparer();
    auto byHash = [&](const RowRef& probe) {
        if (probe.key != hashed.key) return probe.key < hashed.key ? -1 : 1;
        return text.compare(probe.entry->hash(), entry->hash());
    };
    if (hashes_.searchStrict(byHash, &where, &position)) {
        mergeRow(*hashes_.get(where), *entry);
        return -1;
    }
    hashes_.insertAt(where, hashed);
    try {
        RowComparator cmp = currentComparator();
        const RowRef row{entry, cmp.keyOf(*entry)};
        if (mode == 1) {
            if (displayKeysStale_) rekeyDisplay();
            // Before an equal row when one is found: the found slot is where the new row goes.
            display_.search([&](const RowRef& probe) { return cmp(row, probe); }, &where, &position);
            display_.insertAt(where, row);
        } else {
            position = display_.size();
            display_.append(row);
        }
    } catch (...) {
        // No display slot: the row leaves the hash order again, so that the list is as it was.
        removeFromHashOrder(entry);
        throw;
    }
    if (observer_) observer_->rowInserted(position, *entry);
    return position;
}

int EntryList::placeEntry(EntryPtr entry, int position) {
    if (position < 0 || position > count()) return 0;
    PageArray::Slot where;
    int at;
    const RowRef hashed = hashRef(entry.get());
    const TextComparer& text = textComparer();
    if (hashes_.searchStrict(
            [&](const RowRef& probe) {
                if (probe.key != hashed.key) return probe.key < hashed.key ? -1 : 1;
                return text.compare(probe.entry->hash(), entry->hash());
            },
            &where, &at))
        return 0;
    hashes_.insertAt(where, hashed);
    try {
        const RowRef row{entry.get(), currentComparator().keyOf(*entry)};
        if (position == count())
            display_.append(row);
        else
            display_.insertAt(display_.locate(position), row);
    } catch (...) {
        removeFromHashOrder(entry.get());
        throw;
    }
    Entry* placed = entry.release();
    if (observer_) observer_->rowInserted(position, *placed);
    return 1;
}

void EntryList::retakeTexts(Entry& row, const Entry& from) {
    const bool renamed = row.name() != from.name();
    if (observer_) observer_->rowTextsChanging(row);
    row.takeTextsOf(from);
    if (observer_) observer_->rowTextsChanged(row);
    if (renamed && sortColumn_ == kColName) displayKeysStale_ = true;
}

void EntryList::marksWritten() {
    if (observer_) observer_->marksChanged();
}

void EntryList::mergeRow(Entry& existing, const Entry& incoming) {
    const Merge merge = mergeInto(existing, incoming, observer_);
    if (merge != Merge::Nothing && view_) view_->rowsChanged();
    // A renamed row keeps its place; the name prefixes are made again before they are next relied on.
    if (merge == Merge::Renamed && sortColumn_ == kColName) displayKeysStale_ = true;
}

int EntryList::addMade(EntryPtr entry, int mode) {
    int pos;
    try {
        pos = insertEntry(entry.get(), mode);
    } catch (const std::bad_alloc&) {
        reportAllocationFailure(MemoryPlace::AddRow);
        return 0;  // `entry` frees the row; the list is as it was
    }
    return adoptInserted(entry.release(), pos);
}

int EntryList::adoptInserted(Entry* entry, int position) {
    if (position == -1) {
        freeEntry(entry);
        return 0;
    }
    markInDependents(entry->hash());
    if (view_) view_->insertItem(position);
    modified_ = 1;
    return 1;
}

int EntryList::addTexts(int n, const char* const* texts, int mode) {
    if (n <= 7) return 0;
    if (hashInFilters(texts[7])) return 0;
    EntryPtr e;
    try {
        e = makeEntry(texts, n);
    } catch (const std::bad_alloc&) {
        reportAllocationFailure(MemoryPlace::AddRow);
        return 0;
    }
    return addMade(std::move(e), mode);
}

int EntryList::addRawRecord(const RawRecord& raw, int mode) {
    const char* texts[8];
    for (int i = 0; i < 8; ++i) texts[i] = raw.field(i);
    int r = addTexts(8, texts, mode);
    if (r == 1) purgeDependents();
    return r;
}

int EntryList::addEntry(EntryPtr entry) {
    if (hashInFilters(entry->hash())) return 0;
    return addMade(std::move(entry), 1);
}

void EntryList::removeFromHashOrder(Entry* e) {
    PageArray::Slot where;
    int position;
    const RowRef hashed = hashRef(e);
    const TextComparer& text = textComparer();
    auto byHash = [&](const RowRef& probe) {
        if (probe.key != hashed.key) return probe.key < hashed.key ? -1 : 1;
        return text.compare(probe.entry->hash(), e->hash());
    };
    if (hashes_.searchStrict(byHash, &where, &position)) hashes_.removeAt(where);
}

int EntryList::removeAt(int position, bool free) {
    if (position < 0 || position >= count()) return 0;
    Entry* e = display_.removeAt(display_.locate(position));
    removeFromHashOrder(e);
    if (observer_) observer_->rowRemoved(position, *e);
    if (free) freeEntry(e);
    return 1;
}

std::size_t EntryList::heldBytes() const {
    std::size_t bytes = display_.heldBytes() + hashes_.heldBytes();
    for (int p = 0; p < display_.pageCount(); ++p)
        for (int s = 0; s < display_.pageSize(p); ++s) bytes += display_.get({p, s})->heldBytes();
    return bytes;
}

int EntryList::clear() {
    if (count() == 0) return 0;
    // Freed where they are, so that clearing needs no memory.
    for (int page = 0; page < display_.pageCount(); ++page)
        for (int slot = 0; slot < display_.pageSize(page); ++slot)
            freeEntry(display_.get(PageArray::Slot{page, slot}));
    display_.clear();
    hashes_.clear();
    modified_ = 1;
    if (observer_) observer_->rowsReset();
    return 1;
}

void EntryList::takeRows(EntryList& from) noexcept {
    if (count() != 0) return;
    display_.swap(from.display_);
    hashes_.swap(from.hashes_);
    rekeyDisplay();
    if (from.observer_) from.observer_->rowsReset();
    if (observer_) observer_->rowsReset();
    for (int p = 0; p < count(); ++p) {
        if (view_) view_->insertItem(p);
        markInDependents(display_.at(p)->hash());
    }
    if (count() > 0) modified_ = 1;
}

int EntryList::linkFilter(EntryList* list) {
    if (usesFilter(list)) return 0;
    // Room in both lists first, so that a link is made in both or in neither.
    filterLists_.reserve(filterLists_.size() + 1);
    list->dependentLists_.reserve(list->dependentLists_.size() + 1);
    filterLists_.push_back(list);
    if (std::find(list->dependentLists_.begin(), list->dependentLists_.end(), this) ==
        list->dependentLists_.end())
        list->dependentLists_.push_back(this);
    return 1;
}

int EntryList::unlinkFilter(EntryList* list) {
    auto it = std::find(filterLists_.begin(), filterLists_.end(), list);
    if (it == filterLists_.end()) return 0;
    filterLists_.erase(it);
    auto& deps = list->dependentLists_;
    deps.erase(std::remove(deps.begin(), deps.end(), this), deps.end());
    return 1;
}

void EntryList::markInDependents(const char* hash) {
    for (EntryList* l : dependentLists_)
        if (l->markHash(hash) == 1) l->purgePending_ = 1;
}

void EntryList::purgeDependents() {
    for (EntryList* l : dependentLists_) l->purgeMarked();
}

int EntryList::purgeMarked() {
    if (!purgePending_ || count() == 0) return 0;
    BulkUpdate bulk(view_);
    for (int p = count() - 1; p >= 0; --p) {
        if (display_.at(p)->purgeMark == 1) {
            removeAt(p, true);
            if (view_) view_->deleteItem(p);
            modified_ = 1;
        }
    }
    purgePending_ = 0;
    return 1;
}

int EntryList::syncSelectionFromView() {
    const bool rowsHoldIt = view_ && view_->selectionIsRows();
    int n = 0;
    for (int p = 0; p < count(); ++p) {
        Entry* e = display_.at(p);
        if (!rowsHoldIt) e->selected = (view_ && view_->isSelected(p)) ? 1 : 0;
        n += e->selected == 1;
    }
    selectedCount_ = n;
    return n;
}

void EntryList::setViewSelected(int position, bool selected) {
    if (view_) view_->setSelected(position, selected);
}

int EntryList::pushSelectionToView() {
    if (selectedCount_ == 0) return 0;
    if (view_ && view_->selectionIsRows()) return selectedCount_;
    BulkUpdate bulk(view_);
    for (int p = 0; p < count(); ++p) setViewSelected(p, display_.at(p)->selected == 1);
    return selectedCount_;
}

int EntryList::deleteSelected() {
    if (selectedCount_ == 0) return 0;
    BulkUpdate bulk(view_);
    bool removed = false;
    for (int p = count() - 1; p >= 0; --p) {
        if (display_.at(p)->selected == 1) {
            removeAt(p, true);
            if (view_) view_->deleteItem(p);
            removed = true;
        }
    }
    if (removed) modified_ = 1;
    selectedCount_ = 0;
    return 1;
}

namespace {
// A row on its way to another list, with what is needed to take the step back.
struct MoveStep {
    enum Kind { Refused, Merged, Inserted } kind;
    Entry* row;
    int from;     // display position in the source
    int to;       // display position in the target (Inserted)
    Entry* into;  // the target's row of the same hash (Merged), and its texts before
    SavedRowTexts texts;
    // The row's own marks.
    int32_t selected, purgeMark;
    bool marked;
};
// A moved row waits with this mark until the target's view has its item.
constexpr int32_t kMovingIn = -2;

void clearMoveMarks(Entry& e) {
    e.selected = 0;
    e.purgeMark = 0;
    e.setMarked(false);
}
}  // namespace

int EntryList::moveSelectedTo(EntryList& target) {
    if (selectedCount_ == 0) return -1;
    if (&target == this) return 0;  // the rows are where they are to go
    BulkUpdate bulk(view_);
    BulkUpdate targetBulk(target.view_);

    // First every selected row takes its place in the target while it stays here too, from the last to the
    // first. What needs memory (the target's pages, a merged name, the record of the steps) is had there;
    // when it cannot be, the steps are taken back and both lists are as they were.
    // The result is that of the list's own order of steps, where each row leaves this list before
    // target.addEntry sees it: this list's copy of a row is the only row of its hash here, and it is gone by
    // then, so that the target's filter test passes over this list (when it is one of the target's filter
    // lists) and asks only the others. Nothing else that the test or the merge reads changes while the rows
    // move: the other lists change only when the target's dependents are purged, at the end.
    std::vector<MoveStep> steps;
    steps.reserve(selectedCount_);
    const bool hadStaleKeys = target.displayKeysStale_;
    try {
        for (int p = count() - 1; p >= 0; --p) {
            Entry* e = display_.at(p);
            if (e->selected != 1) continue;
            steps.emplace_back();
            MoveStep& step = steps.back();
            step.kind = MoveStep::Refused;  // nothing to take back until it is more
            step.row = e;
            step.from = p;
            step.selected = e->selected;
            step.purgeMark = e->purgeMark;
            step.marked = e->isMarked();
            if (target.hashInFiltersBut(e->hash(), this)) {
                step.kind = MoveStep::Refused;
                continue;
            }
            const int found = target.findHash(e->hash());
            if (found >= 0) {
                // A merge only once the old texts are kept.
                step.texts = target.hashes_.at(found)->saveTexts();
                step.into = target.hashes_.at(found);
                step.kind = MoveStep::Merged;
                target.mergeRow(*step.into, *e);
                continue;
            }
            step.kind = MoveStep::Inserted;
            // As it arrives: no selection and no marks (a target sorted by the mark sees it unmarked).
            clearMoveMarks(*e);
            try {
                step.to = target.insertEntry(e, 1);
            } catch (...) {
                e->selected = step.selected;
                e->purgeMark = step.purgeMark;
                e->setMarked(step.marked);
                steps.pop_back();
                throw;
            }
            e->purgeMark = kMovingIn;
        }
    } catch (const std::bad_alloc&) {
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            if (it->kind == MoveStep::Inserted) {
                target.removeAt(it->to, false);
                it->row->selected = it->selected;
                it->row->purgeMark = it->purgeMark;
                it->row->setMarked(it->marked);
            } else if (it->kind == MoveStep::Merged) {
                if (target.observer_) target.observer_->rowTextsChanging(*it->into);
                it->into->restoreTexts(it->texts);
                if (target.observer_) target.observer_->rowTextsChanged(*it->into);
            }
        }
        target.displayKeysStale_ = hadStaleKeys || target.displayKeysStale_;
        throw;
    }

    // Then the rows leave this list; nothing below needs memory.
    int accepted = 0;
    for (MoveStep& step : steps) {
        removeAt(step.from, false);
        if (view_) view_->deleteItem(step.from);
        modified_ = 1;
        if (step.kind != MoveStep::Inserted) {
            freeEntry(step.row);  // refused, or merged into the target's row
            continue;
        }
        ++accepted;
    }
    selectedCount_ = 0;
    if (accepted > 0) {
        // The target's view gains the items in ascending order, each at its row's final position.
        for (int page = 0, p = 0; page < target.display_.pageCount(); ++page) {
            for (int slot = 0; slot < target.display_.pageSize(page); ++slot, ++p) {
                Entry* e = target.display_.get(PageArray::Slot{page, slot});
                if (e->purgeMark != kMovingIn) continue;
                e->purgeMark = 0;
                if (target.view_) target.view_->insertItem(p);
            }
        }
        // Then the lists that use the target learn the hashes (after the items: a target that is its own
        // filter list marks its new rows, which the purge takes out again with their items, as the list's own
        // order does).
        for (const MoveStep& step : steps)
            if (step.kind == MoveStep::Inserted) target.markInDependents(step.row->hash());
        target.modified_ = 1;
        target.purgeDependents();
    }
    return accepted;
}

int EntryList::selectMarked() {
    BulkUpdate bulk(view_);
    int n = 0;
    for (int p = 0; p < count(); ++p) {
        Entry* e = display_.at(p);
        if (e->isMarked()) {
            setViewSelected(p, true);
            ++n;
        } else {
            setViewSelected(p, false);
            e->selected = 0;
        }
    }
    selectedCount_ = n;
    return n;
}

int EntryList::markSelected() {
    int n = 0;
    for (int p = 0; p < count(); ++p) {
        Entry* e = display_.at(p);
        if (view_ && view_->isSelected(p)) {
            e->selected = 1;
            e->setMarked(true);
            ++n;
        } else {
            e->selected = 0;
            e->setMarked(false);
        }
    }
    selectedCount_ = n;
    marksWritten();
    if (view_) view_->invalidate();
    return n;
}

void EntryList::setAllMarks(bool on) {
    for (int p = 0; p < count(); ++p) {
        Entry* e = display_.at(p);
        e->setMarked(on);
    }
    marksWritten();
    if (view_) view_->invalidate();
}

int EntryList::scrollToMark(bool forward) {
    int n = count();
    if (n < 2) return -1;
    int t = view_ ? view_->topRow() : 0;
    if (t < 0) t = 0;
    if (t >= n) t = n - 1;
    int found = -1;
    if (forward) {
        for (int p = t + 1; p < n && found < 0; ++p)
            if (display_.at(p)->isMarked()) found = p;
        for (int p = 0; p < t && found < 0; ++p)
            if (display_.at(p)->isMarked()) found = p;
    } else {
        for (int p = t - 1; p >= 0 && found < 0; --p)
            if (display_.at(p)->isMarked()) found = p;
        for (int p = n - 1; p > t && found < 0; --p)
            if (display_.at(p)->isMarked()) found = p;
    }
    if (found < 0) return -1;
    // Scroll by the view's real row height, so that the marked row becomes the top row.
    if (view_) view_->scrollBy((found - t) * view_->rowHeight());
    return found;
}

int EntryList::sort(int column) {
    std::vector<RowRef> rows;
    rows.reserve(count());  // before the order changes: a sort without room leaves the list as it was
    return sort(column, rows);
}

int EntryList::sort(int column, std::vector<RowRef>& rows) {
    if (column == sortColumn_) {
        sortDescending_ = 1 - sortDescending_;
    } else {
        sortColumn_ = column;
        sortDescending_ = 0;
    }
    rekeyDisplay();
    if (count() == 0) return 0;
    sortRows(currentComparator().month(), rows);
    return 1;
}

void EntryList::sortRows(int month, std::vector<RowRef>& rows) {
    RowComparator cmp(sortColumn_, sortDescending_, month);
    if (observer_) observer_->rowsSorting(sortColumn_, sortDescending_, month);
    display_.copyOut(rows);
    quicksortRows(rows.data(), static_cast<int>(rows.size()), cmp);
    display_.copyIn(rows);
}

void EntryList::sortAs(int column, int descending, int month) {
    std::vector<RowRef> rows;
    rows.reserve(count());
    sortColumn_ = column;
    sortDescending_ = descending;
    rekeyDisplay();
    if (count() > 0) sortRows(month, rows);
}

// ---------------------------------------------------------------------------------------------------------------
// AppendBatch

AppendBatch::AppendBatch(EntryList& list, int mode)
    : list_(list),
      mode_(mode),
      deferred_(mode != 1 && list.count() == 0),
      wasModified_(list.modified()),
      displayOrder_(std::make_unique<RowComparator>(list.currentComparator())) {}

AppendBatch::~AppendBatch() {
    finish();
    freeArrived();
}

void AppendBatch::freeArrived() noexcept {
    for (int page = 0; page < arrived_.pageCount(); ++page)
        for (int slot = 0; slot < arrived_.pageSize(page); ++slot)
            freeEntry(arrived_.get(PageArray::Slot{page, slot}));
    arrived_.clear();
}

void AppendBatch::fail() {
    if (deferred_) {
        abandon();
    } else {
        takeBack();
        finished_ = true;
    }
    failed_ = true;
    added_ = 0;
    reportAllocationFailure(MemoryPlace::AddRow);
}

void AppendBatch::takeBack() noexcept {
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
        if (it->position >= 0) {
            list_.removeAt(it->position, true);
            if (list_.view_) list_.view_->deleteItem(it->position);
        } else {
            if (list_.observer_) list_.observer_->rowTextsChanging(*it->row);
            it->row->restoreTexts(it->texts);
            if (list_.observer_) list_.observer_->rowTextsChanged(*it->row);
            if (list_.view_) list_.view_->rowsChanged();
        }
    }
    steps_.clear();
    list_.modified_ = wasModified_ ? 1 : 0;
}

int AppendBatch::addNow(int n, const char* const* texts, const std::size_t* lengths) {
    EntryPtr e = lengths ? makeEntry(texts, lengths, n) : makeEntry(texts, n);
    // Room for this step before anything changes (doubling, so that the steps are not copied per row).
    if (steps_.size() == steps_.capacity()) steps_.reserve(steps_.empty() ? 64 : 2 * steps_.size());
    const int found = list_.findHash(e->hash());
    if (found >= 0) {
        Entry& existing = *list_.hashes_.at(found);
        if (compareRefAmountText(e->refAmount(), existing.refAmount()) <= 0) return 0;
        SavedRowTexts kept = existing.saveTexts();  // before the row takes the new texts
        list_.mergeRow(existing, *e);
        steps_.push_back(Step{&existing, -1, std::move(kept)});
        return 0;
    }
    const int position = list_.insertEntry(e.get(), mode_);
    steps_.push_back(Step{e.release(), position, {}});
    if (list_.view_) list_.view_->insertItem(position);
    list_.modified_ = 1;
    return 1;
}

void AppendBatch::abandon() {
    finished_ = true;
    freeArrived();
    keyed_ = std::vector<RowRef>();
}

void AppendBatch::reserve(std::size_t rows) {
    if (!deferred_ || rows <= keyed_.capacity()) return;
    try {
        keyed_.reserve(rows);
    } catch (const std::bad_alloc&) {
        // Only a hint: the rows grow their storage as they come.
    }
}

int AppendBatch::add(int n, const char* const* texts) {
    return add(n, texts, nullptr);
}

int AppendBatch::add(int n, const char* const* texts, const std::size_t* lengths) {
    if (failed_ || n <= 7) return 0;
    if (list_.hashInFilters(texts[7])) return 0;
    if (!deferred_) {
        try {
            const int r = addNow(n, texts, lengths);
            added_ += r;
            return r;
        } catch (const std::bad_alloc&) {
            fail();
            return 0;
        }
    }
    try {
        EntryPtr e = lengths ? makeEntry(texts, lengths, n) : makeEntry(texts, n);
        keyed_.push_back(RowRef{e.get(), textComparer().sortKeyPrefix(e->hash())});
        try {
            arrived_.append(RowRef{e.get(), displayOrder_->keyOf(*e)});
        } catch (const std::bad_alloc&) {
            keyed_.pop_back();
            throw;
        }
        e.release();
    } catch (const std::bad_alloc&) {
        fail();
        return 0;
    }
    return 1;
}

namespace {
// Marks a row kept aside that merged into an earlier one, until it is deleted.
constexpr int32_t kMergedAway = -1;
}  // namespace

int AppendBatch::finish() {
    if (finished_) return added_;
    finished_ = true;
    if (!deferred_) {
        // The rows stay: the lists that use this one learn their hashes.
        for (const Step& step : steps_)
            if (step.position >= 0) list_.markInDependents(step.row->hash());
        steps_ = std::vector<Step>();
        return added_;
    }
    if (arrived_.size() == 0) return added_;

    // The rows in hash order; rows of equal hashes stay in the order they came, so that the first one becomes
    // the row and each later one merges into it as it would have one by one.
    const TextComparer& text = textComparer();
    // Rows of equal keys, ordered by the next bytes of their sort keys and then by the comparison.
    struct Tied {
        uint64_t second;
        RowRef row;
    };
    auto bySecondThenText = [&](const Tied& a, const Tied& b) {
        if (a.second != b.second) return a.second < b.second;
        return text.compare(a.row.entry->hash(), b.row.entry->hash()) < 0;
    };
    // The hash order's pages by position (all full but the last).
    struct PageSlots {
        PageArray& pages;
        static PageArray::Slot slot(std::size_t i) {
            return PageArray::Slot{static_cast<int>(i / PageArray::kPageSize),
                                   static_cast<int>(i % PageArray::kPageSize)};
        }
        const RowRef& operator[](std::size_t i) const { return pages.refAt(slot(i)); }
        void put(std::size_t i, const RowRef& r) { pages.put(slot(i), r); }
    };
    bool merged = false, renamed = false;
    try {
        // The pages are made at once; the sort passes the rows between them and keyed_ and leaves them there.
        const std::size_t n = keyed_.size();
        list_.hashes_.appendAll(keyed_.data(), n);
        PageSlots slots{list_.hashes_};
        try {
            VectorStore<RowRef> copy{keyed_};
            sortByKeyStableInto<RowRef>(copy, slots, n);
        } catch (const std::bad_alloc&) {
            // No room for the radix sort: the merge sort manages without (more slowly).
            std::stable_sort(keyed_.begin(), keyed_.end(),
                             [](const RowRef& a, const RowRef& b) { return a.key < b.key; });
            for (std::size_t i = 0; i < n; ++i) slots.put(i, keyed_[i]);
        }
        // The copy is done with: less memory at the peak.
        keyed_ = std::vector<RowRef>();
        // Each group of equal keys in order; a row whose hash equals an earlier one's merges into it and is
        // put after the group's rows that stay, to be dropped below.
        std::vector<Tied> tied;
        for (std::size_t g = 0; g < n;) {
            std::size_t end = g + 1;
            while (end < n && slots[end].key == slots[g].key) ++end;
            if (end - g == 1) {
                g = end;
                continue;
            }
            tied.clear();
            for (std::size_t k = g; k < end; ++k)
                tied.push_back(Tied{text.sortKeySecond(slots[k].entry->hash()), slots[k]});
            std::stable_sort(tied.begin(), tied.end(), bySecondThenText);
            std::size_t kept = g, away = end;
            for (std::size_t k = 0; k < tied.size();) {
                const Tied& first = tied[k];
                std::size_t same = k + 1;
                for (; same < tied.size() && tied[same].second == first.second &&
                       text.compare(tied[same].row.entry->hash(), first.row.entry->hash()) == 0;
                     ++same) {
                    renamed |= mergeInto(*first.row.entry, *tied[same].row.entry) == Merge::Renamed;
                    tied[same].row.entry->purgeMark = kMergedAway;
                    slots.put(--away, tied[same].row);
                    merged = true;
                }
                slots.put(kept++, first.row);
                k = same;
            }
            g = end;
        }
        if (merged) {
            std::vector<RowRef> staying;
            staying.reserve(n);
            for (std::size_t i = 0; i < n; ++i)
                if (slots[i].entry->purgeMark != kMergedAway) staying.push_back(slots[i]);
            list_.hashes_.clear();
            list_.hashes_.appendAll(staying.data(), staying.size());
        }
        // Without merges the rows as they came are the display order.
        if (merged) {
            for (int page = 0; page < arrived_.pageCount(); ++page) {
                for (int slot = 0; slot < arrived_.pageSize(page); ++slot) {
                    const RowRef& r = arrived_.refAt(PageArray::Slot{page, slot});
                    if (r.entry->purgeMark == kMergedAway) continue;
                    list_.display_.append(renamed ? RowRef{r.entry, displayOrder_->keyOf(*r.entry)} : r);
                }
            }
        }
    } catch (const std::bad_alloc&) {
        // The list was empty and is so again; the rows kept aside are freed with the batch.
        list_.hashes_.clear();
        list_.display_.clear();
        failed_ = true;
        reportAllocationFailure(MemoryPlace::AddRow);
        return added_;
    }

    // Nothing below can fail: the rows are the list's now.
    if (merged) {
        for (int page = 0; page < arrived_.pageCount(); ++page)
            for (int slot = 0; slot < arrived_.pageSize(page); ++slot) {
                Entry* e = arrived_.get(PageArray::Slot{page, slot});
                if (e->purgeMark == kMergedAway) freeEntry(e);
            }
        arrived_.clear();
    } else {
        list_.display_.swap(arrived_);
    }
    for (int page = 0; page < list_.display_.pageCount(); ++page) {
        for (int slot = 0; slot < list_.display_.pageSize(page); ++slot) {
            list_.markInDependents(list_.display_.get(PageArray::Slot{page, slot})->hash());
            if (list_.view_) list_.view_->insertItem(added_);
            ++added_;
        }
    }
    if (added_ > 0) list_.modified_ = 1;
    if (list_.observer_) list_.observer_->rowsReset();
    return added_;
}

}  // namespace twk
