#include "core/sort.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/text.h"

namespace twk {

namespace {

// Month of an abbreviation, indexed by the sum of its three ASCII codes minus 268; 0 where no month is.
constexpr int kMonthBySum[40] = {12, 2, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0,
                                 3,  0, 0, 4, 0, 0, 10, 5, 9, 0, 0, 7, 0, 6, 0, 0, 0, 0, 0, 11};

int sign(int v) {
    return (v > 0) - (v < 0);
}

const char* skipNonDigits(const char* s) {
    while (*s && !(*s >= '0' && *s <= '9')) ++s;
    return s;
}

}  // namespace

int compareNumericText(const char* a, const char* b) {
    std::size_t la = std::strlen(a), lb = std::strlen(b);
    if (la != lb) return la > lb ? 1 : -1;
    return sign(localeCompare(a, b));
}

int compareRefAmountText(const char* a, const char* b) {
    return compareNumericText(skipNonDigits(a), skipNonDigits(b));
}

int compareNameBytes(const char* a, std::size_t alen, const char* b, std::size_t blen) {
    std::size_t n = alen < blen ? alen : blen;
    int r = std::memcmp(a, b, n);
    if (r != 0) return r < 0 ? -1 : 1;
    if (alen == blen) return 0;
    return alen < blen ? -1 : 1;
}

bool monthKey(const char* updateTime, int currentMonth, int* key) {
    // The first three bytes as signed 8-bit values (the field buffer is at least 16 bytes, zero-filled).
    int sum = static_cast<signed char>(updateTime[0]);
    if (updateTime[0]) {
        sum += static_cast<signed char>(updateTime[1]);
        if (updateTime[1]) sum += static_cast<signed char>(updateTime[2]);
    }
    int index = sum - 268;
    if (index < 0 || index >= 40) {
        *key = 0;
        return false;
    }
    int month = kMonthBySum[index];
    *key = month > currentMonth ? month - 12 : month;
    return true;
}

RowComparator::RowComparator(int column, int flag, int currentMonth)
    : column_(column), flag_(flag), month_(currentMonth), keyed_(column == kColName) {}

uint64_t namePrefixKey(std::string_view name) {
    // Big-endian first eight bytes, zero-padded: names hold no NUL, so a shorter name sorts first as it
    // should.
    uint64_t key = 0;
    std::size_t n = name.size() < 8 ? name.size() : 8;
    for (std::size_t i = 0; i < 8; ++i) key = (key << 8) | (i < n ? static_cast<unsigned char>(name[i]) : 0u);
    return key;
}

uint64_t namePrefixKey(const char* name) {
    uint64_t key = 0;
    int i = 0;
    for (; i < 8 && name[i]; ++i) key = (key << 8) | static_cast<unsigned char>(name[i]);
    return i == 0 ? 0 : key << (8 * (8 - i));
}

uint64_t RowComparator::keyOf(const Entry& e) const {
    return keyed_ ? namePrefixKey(e.nameText()) : 0;
}

int RowComparator::operator()(const Entry& a, const Entry& b) const {
    // base(x, y) orders x against y ascending; "descending" columns return base(a, b), ascending ones
    // base(b, a), so that a negative result puts b before a.
    switch (column_) {
        case kColMark:
            return flag_ == 0 ? sign(localeCompare(a.mark(), b.mark()))
                              : sign(localeCompare(b.mark(), a.mark()));
        case kColName: {
            // Names hold no 0, so that byte order is the order of the terminated texts.
            int r = sign(std::strcmp(b.nameText(), a.nameText()));
            return flag_ == 0 ? r : -r;
        }
        case kColTrip:
            return flag_ == 0 ? sign(localeCompare(a.trip(), b.trip()))
                              : sign(localeCompare(b.trip(), a.trip()));
        case kColSize:
            return flag_ == 0 ? compareNumericText(a.size(), b.size())
                              : compareNumericText(b.size(), a.size());
        case kColStatus:
            return flag_ == 0 ? sign(localeCompare(b.status(), a.status()))
                              : sign(localeCompare(a.status(), b.status()));
        case kColRefAmount:
            return flag_ == 0 ? compareRefAmountText(a.refAmount(), b.refAmount())
                              : compareRefAmountText(b.refAmount(), a.refAmount());
        case kColUpdateTime: {
            // Equal when either sum falls outside the month table; else by month key (0 for a sum on no
            // month), then by the whole text.
            int ka, kb;
            if (!monthKey(a.updateTime(), month_, &ka) || !monthKey(b.updateTime(), month_, &kb)) return 0;
            if (ka != kb) return flag_ == 0 ? sign(ka - kb) : sign(kb - ka);
            return flag_ == 0 ? sign(localeCompare(a.updateTime(), b.updateTime()))
                              : sign(localeCompare(b.updateTime(), a.updateTime()));
        }
        case kColVer:
            return flag_ == 0 ? sign(localeCompare(a.ver(), b.ver())) : sign(localeCompare(b.ver(), a.ver()));
        case kColHash:
            return flag_ == 0 ? sign(localeCompare(b.hash(), a.hash()))
                              : sign(localeCompare(a.hash(), b.hash()));
        default:
            break;
    }
    // User column i: absent rows first when ascending (low 16 bits of the flag not 1), last when descending.
    const char* va = a.column(column_);
    const char* vb = b.column(column_);
    bool descending = (flag_ & 0xFFFF) == 1;
    if (!va || !vb) {
        if (!va && !vb) return 0;
        // Ascending: an absent b goes before a (negative); descending: after (positive).
        int r = !vb ? -1 : 1;
        return descending ? -r : r;
    }
    if (va == vb) return 0;
    return descending ? sign(localeCompare(va, vb)) : sign(localeCompare(vb, va));
}

namespace {
template <class Cmp>
void quicksort(RowRef* rows, int lo, int hi, const Cmp& cmp) {
    // Recurse into the smaller part and loop on the larger, so that the depth stays O(log n); the partition
    // and the order in which ranges are finished are those of the list's quicksort (the larger range is
    // sorted last either way, and sorting one range never touches the other).
    while (lo < hi) {
        const RowRef pivot = rows[lo + (hi - lo) / 2];
        int i = lo, j = hi;
        while (i <= j) {
            while (cmp(pivot, rows[i]) < 0) ++i;
            while (cmp(pivot, rows[j]) > 0) --j;
            if (j < i) break;
            std::swap(rows[i], rows[j]);
            ++i;
            --j;
        }
        if (hi - i < j - lo) {
            quicksort(rows, i, hi, cmp);
            hi = j;
        } else {
            quicksort(rows, lo, j, cmp);
            lo = i;
        }
    }
}
}  // namespace

void quicksortRows(RowRef* rows, int n, const RowComparator& cmp) {
    if (n < 2) return;
    quicksort(rows, 0, n - 1, cmp);
}

}  // namespace twk
