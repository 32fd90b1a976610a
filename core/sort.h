// Row comparisons by logical column and the list's quicksort.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/entry.h"
#include "core/entry_list.h"

namespace twk {

// Compares rows for the order of one logical column and direction flag. The sign says where b goes relative
// to a: negative, b is ordered before a; positive, after; 0, equal. Not a strict weak order (the month key
// makes unrelated rows equal): never hand it to std::sort.
class RowComparator {
  public:
    // currentMonth (1..12) decides which months belong to the previous year for the update-time column.
    RowComparator(int column, int flag, int currentMonth);
    int operator()(const Entry& a, const Entry& b) const;
    // The same comparison of two references whose keys were made by keyOf: decided by the keys when they
    // differ (the order of the keys agrees with the order of the rows), by the rows otherwise.
    int operator()(const RowRef& a, const RowRef& b) const {
        if (keyed_ && a.key != b.key) return (b.key < a.key) == (flag_ == 0) ? -1 : 1;
        return (*this)(*a.entry, *b.entry);
    }
    // A prefix of the row's value in this column whose unsigned order never contradicts the ascending order
    // of the column: the first eight name bytes for the name column; 0 for the others (no prefix).
    uint64_t keyOf(const Entry& e) const;
    int column() const { return column_; }
    int flag() const { return flag_; }
    int month() const { return month_; }

  private:
    int column_;
    int flag_;
    int month_;
    bool keyed_;
};

// Base comparisons shared with the conditions and the merge rule.
int compareNumericText(const char* a, const char* b);    // longer text is larger; equal lengths by locale
int compareRefAmountText(const char* a, const char* b);  // as above after skipping leading non-digits
int compareNameBytes(const char* a, std::size_t alen, const char* b, std::size_t blen);
// Month key of an update time, from the sum of its first three bytes: the month, or month - 12 for months
// after currentMonth. A sum inside the table that names no month (a text such as "Foo 1") gives month 0, key
// 0, and true: it sorts by that key like any other month. Only a sum outside the table (an empty text, a date
// in digits such as "2026/01/01") gives false, key 0, and such a row compares equal to every row.
bool monthKey(const char* updateTime, int currentMonth, int* key);

// Sorts rows[0..n-1] in place with the list's quicksort (middle pivot, not stable). The keys must have been
// made by cmp.keyOf.
void quicksortRows(RowRef* rows, int n, const RowComparator& cmp);
uint64_t namePrefixKey(std::string_view name);
uint64_t namePrefixKey(const char* name);  // the same for a terminated name

// Sorts n items (of any type with a uint64_t member `key`) by key, stably: equal keys keep their input order.
// A radix sort by 16-bit digits that skips the digits all keys share, between two stores of n items (each
// with store[i] reading item i and store.put(i, item) writing it, such as the pages of a list): the items
// start in `from` and end in `to`, each pass moving them from one store to the other, so that no third store
// is needed.
template <class Item, class From, class To>
void sortByKeyStableInto(From& from, To& to, std::size_t n) {
    if (n == 0) return;
    uint64_t differ = 0;
    const uint64_t key0 = from[0].key;
    for (std::size_t i = 0; i < n; ++i) differ |= from[i].key ^ key0;
    int passes = 0;
    for (int shift = 0; shift < 64; shift += 16) passes += ((differ >> shift) & 0xFFFF) != 0;
    std::vector<uint32_t> counts(1u << 16);
    auto pass = [&](auto& src, auto& dst, int shift) {
        std::fill(counts.begin(), counts.end(), 0u);
        for (std::size_t i = 0; i < n; ++i) ++counts[(src[i].key >> shift) & 0xFFFF];
        uint32_t sum = 0;
        for (uint32_t& c : counts) {
            const uint32_t k = c;
            c = sum;
            sum += k;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const Item item = src[i];
            dst.put(counts[(item.key >> shift) & 0xFFFF]++, item);
        }
    };
    // An even number of passes starts from a copy in `to`.
    bool inTo = passes % 2 == 0;
    if (inTo)
        for (std::size_t i = 0; i < n; ++i) to.put(i, from[i]);
    for (int shift = 0; shift < 64; shift += 16) {
        if (((differ >> shift) & 0xFFFF) == 0) continue;
        if (inTo)
            pass(to, from, shift);
        else
            pass(from, to, shift);
        inTo = !inTo;
    }
}

// A vector as such a store.
template <class Item>
struct VectorStore {
    std::vector<Item>& items;
    const Item& operator[](std::size_t i) const { return items[i]; }
    void put(std::size_t i, const Item& item) { items[i] = item; }
};

}  // namespace twk
