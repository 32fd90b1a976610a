// A reference model of the list store, written from the rules of rows and columns, of the list and of
// sorting alone: the oracle of list_model_test.cpp, which runs random operations on it and on
// EntryList and compares them after every step.
//
// It is meant to be obviously right, not fast: a list is a plain vector of rows in display order, every
// lookup is a linear scan, and each operation follows its rule's steps in their order. There are no pages
// (their shapes are not observable), and no hash order is kept: the hash order of the rows is their hashes
// sorted. The one thing taken from the program is the platform's locale-aware comparison (lstrcmpA,
// `localeCompare`), which the program reaches as a platform interface.
//
// Every list has a view: the model of the list view keeps one selected flag per item and the first visible
// row, which is all that the list reads from it or writes to it.
#pragma once

#include <string>
#include <vector>

#include "core/entry.h"
#include "core/text.h"

namespace twk::model {

// lstrcmpA, reduced to its sign.
inline int lstrcmp(const std::string& a, const std::string& b) {
    int r = localeCompare(a.c_str(), b.c_str());
    return (r > 0) - (r < 0);
}

// A row. Every text is kept as a std::string; the fixed fields already cut to their capacity.
struct Row {
    int purgeMark = 0;
    int selected = 0;
    std::string mark;  // "" or "○"
    std::string name, trip, size, status, refAmount, updateTime, ver, hash;
    std::vector<std::string> extraColumns;
};

// Capacity - 1 bytes at most, cut by byte count.
inline std::string cut(const std::string& text, int capacity) {
    return text.size() < static_cast<std::size_t>(capacity) ? text : text.substr(0, capacity - 1);
}

// makeEntry(texts, n): n >= 8.
inline Row makeRow(const std::vector<std::string>& texts) {
    Row r;
    r.name = texts[0];
    r.trip = cut(texts[1], 12);
    r.size = cut(texts[2], 16);
    r.status = cut(texts[3], 20);
    r.refAmount = cut(texts[4], 16);
    r.updateTime = cut(texts[5], 16);
    r.ver = cut(texts[6], 4);
    r.hash = cut(texts[7], 36);
    for (std::size_t i = 8; i < texts.size(); ++i) r.extraColumns.push_back(texts[i]);
    return r;
}

// The raw record's buffer cuts its eight fields (name 260, then the row's own capacities).
inline std::vector<std::string> rawRecordTexts(const std::vector<std::string>& texts) {
    const int caps[8] = {260, 12, 16, 20, 16, 16, 4, 36};
    std::vector<std::string> out;
    for (int i = 0; i < 8; ++i) out.push_back(cut(texts[i], caps[i]));
    return out;
}

// Sorting: the comparisons. compare(a, b) < 0 puts b before a, > 0 after a.

// As numeric text: the longer text is the larger; equal lengths by lstrcmpA.
inline int compareNumeric(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() > b.size() ? 1 : -1;
    return lstrcmp(a, b);
}

// The reference amount: numeric text after the leading bytes that are not ASCII digits.
inline std::string fromFirstDigit(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && !(s[i] >= '0' && s[i] <= '9')) ++i;
    return s.substr(i);
}

// The name: bytes as unsigned values over the shorter length, then the shorter first.
inline int compareNameBytes(const std::string& a, const std::string& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = a[i], y = b[i];
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The month key of an update time: false when the sum of its first three bytes (signed, 0 past the end of the
// text) minus 268 is outside 0 .. 39.
inline bool monthKeyOf(const std::string& t, int currentMonth, int* key) {
    int sum = 0;
    for (std::size_t i = 0; i < 3; ++i) sum += i < t.size() ? static_cast<signed char>(t[i]) : 0;
    int index = sum - 268;
    if (index < 0 || index > 39) return false;
    // The month table: {index, month}; every other index is month 0.
    const int table[12][2] = {{0, 12},  {1, 2},  {13, 1}, {17, 8}, {20, 3}, {23, 4},
                              {26, 10}, {27, 5}, {28, 9}, {31, 7}, {33, 6}, {39, 11}};
    int month = 0;
    for (const auto& entry : table)
        if (entry[0] == index) month = entry[1];
    *key = month > currentMonth ? month - 12 : month;
    return true;
}

// The value of a logical column, or nothing (for a user column the row has no value for).
inline const std::string* columnOf(const Row& r, int column) {
    switch (column) {
        case 0:
            return &r.mark;
        case 1:
            return &r.name;
        case 2:
            return &r.trip;
        case 3:
            return &r.size;
        case 4:
            return &r.status;
        case 5:
            return &r.refAmount;
        case 6:
            return &r.updateTime;
        case 7:
            return &r.ver;
        case 8:
            return &r.hash;
    }
    std::size_t i = static_cast<std::size_t>(column - 9);
    return i < r.extraColumns.size() ? &r.extraColumns[i] : nullptr;
}

// The comparison of a logical column with direction flag 0 or 1 (the sort's table): base(a, b) compares
// the two values (negative when a's is the smaller); flag 0 gives each column its first direction, flag 1 the
// other one.
inline int compareRows(const Row& a, const Row& b, int column, int flag, int currentMonth) {
    int base = 0;
    bool descendingFirst = false;
    switch (column) {
        case 0:
            base = lstrcmp(a.mark, b.mark);
            descendingFirst = true;
            break;
        case 1:
            base = compareNameBytes(a.name, b.name);
            break;
        case 2:
            base = lstrcmp(a.trip, b.trip);
            descendingFirst = true;
            break;
        case 3:
            base = compareNumeric(a.size, b.size);
            descendingFirst = true;
            break;
        case 4:
            base = lstrcmp(a.status, b.status);
            break;
        case 5:
            base = compareNumeric(fromFirstDigit(a.refAmount), fromFirstDigit(b.refAmount));
            descendingFirst = true;
            break;
        case 6: {
            int ka, kb;
            if (!monthKeyOf(a.updateTime, currentMonth, &ka) || !monthKeyOf(b.updateTime, currentMonth, &kb))
                return 0;
            base = ka != kb ? (ka < kb ? -1 : 1) : lstrcmp(a.updateTime, b.updateTime);
            descendingFirst = true;
            break;
        }
        case 7:
            base = lstrcmp(a.ver, b.ver);
            descendingFirst = true;
            break;
        case 8:
            base = lstrcmp(a.hash, b.hash);
            break;
        default: {
            // A user column: absent is the smallest value (first ascending, last descending).
            const std::string* va = columnOf(a, column);
            const std::string* vb = columnOf(b, column);
            if (!va && !vb)
                base = 0;
            else if (!va)
                base = -1;
            else if (!vb)
                base = 1;
            else
                base = lstrcmp(*va, *vb);
            break;
        }
    }
    bool descending = descendingFirst ? flag == 0 : flag == 1;
    // Descending: b goes before a (negative) when b is the larger, i.e. when base(a, b) < 0.
    return descending ? base : -base;
}

// The model of the list view: one item per row with its selected state, and the first visible row.
struct View {
    std::vector<bool> items;
    int top = 0;  // as last scrolled to
    // The first visible row that the view reports: a view never shows less than its last row.
    int firstRow() const {
        int n = static_cast<int>(items.size());
        return top >= n ? (n > 0 ? n - 1 : 0) : top < 0 ? 0 : top;
    }
};

// One list.
struct List {
    ListKind kind = ListKind::Normal;
    std::vector<Row> rows;  // display order
    int sortColumn = 1;
    int sortDescending = 0;
    std::vector<int> filterLists;     // indices into the store
    std::vector<int> dependentLists;  // indices into the store
    int selectedCount = 0;
    int modified = 0;
    int purgePending = 0;
    View view;
};

// All lists of the program; lists refer to each other by index.
struct Store {
    std::vector<List> lists;
    int month = 1;  // the current month that the update-time column reads (GetLocalTime)

    int count(int l) const { return static_cast<int>(lists[l].rows.size()); }

    // findHash: the position in the hash order (the number of rows whose hash is smaller), or -1.
    int findHash(int l, const std::string& hash) const {
        bool found = false;
        int smaller = 0;
        for (const Row& r : lists[l].rows) {
            int c = lstrcmp(r.hash, hash);
            if (c == 0) found = true;
            if (c < 0) ++smaller;
        }
        return found ? smaller : -1;
    }
    Row* rowOfHash(int l, const std::string& hash) {
        for (Row& r : lists[l].rows)
            if (lstrcmp(r.hash, hash) == 0) return &r;
        return nullptr;
    }
    int markHash(int l, const std::string& hash) {
        Row* r = rowOfHash(l, hash);
        if (!r) return 0;
        r->purgeMark = 1;
        return 1;
    }
    int hashInFilters(int l, const std::string& hash) const {
        for (int f : lists[l].filterLists)
            if (findHash(f, hash) != -1) return 1;
        return 0;
    }
    int usesFilter(int l, int other) const {
        for (int f : lists[l].filterLists)
            if (f == other) return 1;
        return 0;
    }

    // insertEntry: the display position, or -1 when the hash is present (merged when the new reference amount
    // is the larger).
    int insertEntry(int l, const Row& n, int mode) {
        List& list = lists[l];
        if (Row* e = rowOfHash(l, n.hash)) {
            if (compareRows(n, *e, 5, 0, month) <= 0) return -1;
            e->name = n.name;
            e->trip = n.trip;
            e->status = n.status;
            e->refAmount = n.refAmount;
            e->updateTime = n.updateTime;
            e->ver = n.ver;
            return -1;
        }
        if (mode == 1) {
            int lo = 0, hi = count(l) - 1, pos = -1;
            while (lo <= hi) {
                int mid = (lo + hi) / 2;
                int r = compareRows(n, list.rows[mid], list.sortColumn, list.sortDescending, month);
                if (r == 0) {
                    pos = mid;
                    break;
                }
                if (r < 0)
                    lo = mid + 1;
                else
                    hi = mid - 1;
            }
            if (pos < 0) pos = lo;
            list.rows.insert(list.rows.begin() + pos, n);
            return pos;
        }
        list.rows.push_back(n);
        return count(l) - 1;
    }

    // The end of addTexts and addEntry, from the filter test on.
    int addRow(int l, const Row& row, const std::string& filterHash, int mode) {
        if (hashInFilters(l, filterHash)) return 0;
        int pos = insertEntry(l, row, mode);
        if (pos == -1) return 0;
        markInDependents(l, row.hash);
        List& list = lists[l];
        list.view.items.insert(list.view.items.begin() + pos, false);
        list.modified = 1;
        return 1;
    }
    int addTexts(int l, const std::vector<std::string>& texts, int mode) {
        if (texts.size() <= 7) return 0;
        return addRow(l, makeRow(texts), texts[7], mode);
    }
    int addRawRecord(int l, const std::vector<std::string>& texts, int mode) {
        std::vector<std::string> raw = rawRecordTexts(texts);
        int r = addTexts(l, raw, mode);
        if (r == 1) purgeDependents(l);
        return r;
    }
    int addEntry(int l, const Row& row) { return addRow(l, row, row.hash, 1); }

    int removeAt(int l, int position) {
        if (position < 0 || position >= count(l)) return 0;
        lists[l].rows.erase(lists[l].rows.begin() + position);
        return 1;
    }
    int clear(int l) {
        if (count(l) == 0) return 0;
        lists[l].rows.clear();
        lists[l].modified = 1;
        return 1;
    }

    int linkFilter(int l, int other) {
        if (usesFilter(l, other)) return 0;
        lists[l].filterLists.push_back(other);
        std::vector<int>& deps = lists[other].dependentLists;
        bool there = false;
        for (int d : deps) there = there || d == l;
        if (!there) deps.push_back(l);
        return 1;
    }
    int unlinkFilter(int l, int other) {
        if (!usesFilter(l, other)) return 0;
        std::vector<int>& filters = lists[l].filterLists;
        for (std::size_t i = 0; i < filters.size(); ++i)
            if (filters[i] == other) {
                filters.erase(filters.begin() + i);
                break;
            }
        std::vector<int>& deps = lists[other].dependentLists;
        for (std::size_t i = 0; i < deps.size(); ++i)
            if (deps[i] == l) {
                deps.erase(deps.begin() + i);
                break;
            }
        return 1;
    }
    void markInDependents(int l, const std::string& hash) {
        for (int d : lists[l].dependentLists)
            if (markHash(d, hash) == 1) lists[d].purgePending = 1;
    }
    void purgeDependents(int l) {
        for (int d : lists[l].dependentLists) purgeMarked(d);
    }
    int purgeMarked(int l) {
        List& list = lists[l];
        if (list.purgePending == 0 || count(l) == 0) return 0;
        for (int p = count(l) - 1; p >= 0; --p) {
            if (list.rows[p].purgeMark == 1) {
                removeAt(l, p);
                list.view.items.erase(list.view.items.begin() + p);
                list.modified = 1;
            }
        }
        list.purgePending = 0;
        return 1;
    }

    int syncSelectionFromView(int l) {
        List& list = lists[l];
        int n = 0;
        for (int p = 0; p < count(l); ++p) {
            bool on = p < static_cast<int>(list.view.items.size()) && list.view.items[p];
            list.rows[p].selected = on ? 1 : 0;
            n += on;
        }
        list.selectedCount = n;
        return n;
    }
    void setViewSelected(int l, int p, bool on) {
        View& v = lists[l].view;
        if (p >= 0 && p < static_cast<int>(v.items.size())) v.items[p] = on;
    }
    int pushSelectionToView(int l) {
        List& list = lists[l];
        if (list.selectedCount == 0) return 0;
        for (int p = 0; p < count(l); ++p) setViewSelected(l, p, list.rows[p].selected == 1);
        return list.selectedCount;
    }
    int deleteSelected(int l) {
        List& list = lists[l];
        if (list.selectedCount == 0) return 0;
        bool removed = false;
        for (int p = count(l) - 1; p >= 0; --p) {
            if (list.rows[p].selected == 1) {
                removeAt(l, p);
                list.view.items.erase(list.view.items.begin() + p);
                removed = true;
            }
        }
        if (removed) list.modified = 1;
        list.selectedCount = 0;
        return 1;
    }
    // Each selected row, from the last to the first, leaves this list and is handed to target.addEntry.
    int moveSelectedTo(int l, int target) {
        if (lists[l].selectedCount == 0) return -1;
        int moved = 0;
        for (int p = count(l) - 1; p >= 0; --p) {
            List& list = lists[l];
            if (list.rows[p].selected != 1) continue;
            Row row = list.rows[p];
            removeAt(l, p);
            list.view.items.erase(list.view.items.begin() + p);
            row.selected = 0;
            row.purgeMark = 0;
            row.mark.clear();
            list.modified = 1;
            moved += addEntry(target, row);
        }
        lists[l].selectedCount = 0;
        if (moved > 0) purgeDependents(target);
        return moved;
    }
    int selectMarked(int l) {
        List& list = lists[l];
        int n = 0;
        for (int p = 0; p < count(l); ++p) {
            if (!list.rows[p].mark.empty()) {
                setViewSelected(l, p, true);
                ++n;
            } else {
                setViewSelected(l, p, false);
                list.rows[p].selected = 0;
            }
        }
        list.selectedCount = n;
        return n;
    }
    int markSelected(int l) {
        List& list = lists[l];
        int n = 0;
        for (int p = 0; p < count(l); ++p) {
            bool on = p < static_cast<int>(list.view.items.size()) && list.view.items[p];
            list.rows[p].selected = on ? 1 : 0;
            list.rows[p].mark = on ? kMarkText : "";
            n += on;
        }
        list.selectedCount = n;
        return n;
    }
    void setAllMarks(int l, bool on) {
        for (Row& r : lists[l].rows)
            if (!on)
                r.mark.clear();
            else if (r.mark.empty())
                r.mark = kMarkText;
    }
    int scrollToMark(int l, bool forward) {
        List& list = lists[l];
        int n = count(l);
        if (n < 2) return -1;
        int t = list.view.firstRow();
        auto marked = [&](int p) { return !list.rows[p].mark.empty(); };
        int found = -1;
        if (forward) {
            for (int p = t + 1; p < n && found < 0; ++p)
                if (marked(p)) found = p;
            for (int p = 0; p < t && found < 0; ++p)
                if (marked(p)) found = p;
        } else {
            for (int p = t - 1; p >= 0 && found < 0; --p)
                if (marked(p)) found = p;
            for (int p = n - 1; p > t && found < 0; --p)
                if (marked(p)) found = p;
        }
        if (found < 0) return -1;
        list.view.top = t + (found - t);  // scrolled by (found - t) rows
        return found;
    }

    // Sorting.
    int sort(int l, int column) {
        List& list = lists[l];
        if (column == list.sortColumn) {
            list.sortDescending = 1 - list.sortDescending;
        } else {
            list.sortColumn = column;
            list.sortDescending = 0;
        }
        if (count(l) == 0) return 0;
        quicksort(list, 0, count(l) - 1);
        return 1;
    }
    void quicksort(List& list, int lo, int hi) {
        if (lo >= hi) return;
        const Row pivot = list.rows[(lo + hi) / 2];
        auto cmp = [&](const Row& b) {
            return compareRows(pivot, b, list.sortColumn, list.sortDescending, month);
        };
        int i = lo, j = hi;
        while (i <= j) {
            // at(): a comparison that ran past the range would throw here rather than read outside.
            while (cmp(list.rows.at(i)) < 0) ++i;
            while (cmp(list.rows.at(j)) > 0) --j;
            if (j < i) break;
            std::swap(list.rows[i], list.rows[j]);
            ++i;
            --j;
        }
        quicksort(list, i, hi);
        quicksort(list, lo, j);
    }
};

}  // namespace twk::model
