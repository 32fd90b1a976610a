#include "core/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "support/fakes.h"

namespace twk {
namespace {

struct Row {
    const char* name;
    const char* size;
    const char* ref;
    const char* time;
};

void fill(EntryList& list, const std::vector<Row>& rows) {
    int i = 0;
    for (const Row& r : rows) {
        std::string hash = "h" + std::to_string(i++);
        const char* texts[8] = {r.name, "", r.size, "", r.ref, r.time, "", hash.c_str()};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
    }
}

EntryPtr rowUpdatedAt(const char* time) {
    const char* texts[8] = {"n", "", "", "", "", time, "", "h"};
    return makeEntry(texts, 8);
}

std::vector<std::string> names(const EntryList& list) {
    std::vector<std::string> out;
    for (int p = 0; p < list.count(); ++p) out.push_back(list.entryAt(p)->name().str());
    return out;
}

using Names = std::vector<std::string>;

TEST(Sort, ColumnClicksChooseAndFlipTheDirection) {
    EntryList list(ListKind::Normal);
    fill(list, {{"B", "999", "", ""}, {"A", "1,000", "", ""}, {"C", "5", "", ""}});
    EXPECT_EQ(list.sort(kColSize), 1);  // largest first; 1,000 is longer than 999
    EXPECT_EQ(names(list), (Names{"A", "B", "C"}));
    list.sort(kColSize);
    EXPECT_EQ(names(list), (Names{"C", "B", "A"}));
    EXPECT_EQ(list.sortDescending(), 1);
    list.sort(kColName);
    EXPECT_EQ(list.sortDescending(), 0);
    EXPECT_EQ(names(list), (Names{"A", "B", "C"}));
}

TEST(Sort, NameOrderIsByUnsignedBytesShorterFirst) {
    EntryList list(ListKind::Normal);
    fill(list, {{"ab", "", "", ""}, {"表", "", "", ""}, {"a", "", "", ""}, {"B", "", "", ""}});
    list.sort(kColSize);
    list.sort(kColName);
    EXPECT_EQ(names(list), (Names{"B", "a", "ab", "表"}));
}

TEST(Sort, ReferenceAmountSkipsLeadingNonDigits) {
    EntryList list(ListKind::Normal);
    fill(list,
         {{"q", "", "?", ""}, {"ten", "", "  10", ""}, {"nine", "", "x9", ""}, {"big", "", "1,000", ""}});
    list.sort(kColRefAmount);
    EXPECT_EQ(names(list), (Names{"big", "ten", "nine", "q"}));
    EXPECT_GT(compareRefAmountText("1", "?"), 0);
    EXPECT_EQ(compareRefAmountText("?", ""), 0);
}

TEST(Sort, MonthsAfterTheCurrentOneBelongToLastYear) {
    test::FixedClock clk(test::makeTime(2026, 2, 10));
    test::ScopedClock scope(&clk);
    EntryList list(ListKind::Normal);
    fill(list,
         {{"dec", "", "", "Dec 30 10:00"}, {"jan", "", "", "Jan 02 10:00"}, {"feb", "", "", "Feb 01 10:00"}});
    list.sort(kColUpdateTime);  // newest first
    EXPECT_EQ(names(list), (Names{"feb", "jan", "dec"}));
    clk.set(test::makeTime(2026, 12, 10));
    list.setSortState(kColName, 0);
    list.sort(kColUpdateTime);
    EXPECT_EQ(names(list), (Names{"dec", "feb", "jan"}));
    // Same month: the whole text decides.
    RowComparator cmp(kColUpdateTime, 0, 12);
    EntryPtr a = rowUpdatedAt("Mar 01 10:00"), b = rowUpdatedAt("Mar 02 10:00");
    EXPECT_LT(cmp(*a, *b), 0) << "b is newer and goes first";
}

TEST(Sort, UnknownOrEmptyTimesCompareEqualToEverything) {
    int key = 1;
    EXPECT_FALSE(monthKey("", 5, &key));
    EXPECT_FALSE(monthKey("2026/01/01", 5, &key));
    EXPECT_TRUE(monthKey("Nov 1", 12, &key));
    EXPECT_EQ(key, 11);
    EXPECT_TRUE(monthKey("Nov 1", 10, &key));
    EXPECT_EQ(key, -1);
    EXPECT_TRUE(monthKey("Foo 1", 5, &key)) << "a sum inside the table on no month is month 0";
    EXPECT_EQ(key, 0);
    RowComparator cmp(kColUpdateTime, 0, 6);
    EntryPtr a = rowUpdatedAt("???"), b = rowUpdatedAt("Jun 01");
    EXPECT_EQ(cmp(*a, *b), 0);
    EXPECT_EQ(cmp(*b, *a), 0);
}

TEST(Sort, UserColumnsPutAbsentValuesFirstAscendingAndLastDescending) {
    EntryList list(ListKind::Normal);
    const char* withX[9] = {"x", "", "", "", "", "", "", "h1", "b"};
    const char* withEmpty[9] = {"e", "", "", "", "", "", "", "h2", ""};
    const char* absent[8] = {"none", "", "", "", "", "", "", "h3"};
    const char* withA[9] = {"a", "", "", "", "", "", "", "h4", "a"};
    list.addTexts(9, withX, 0);
    list.addTexts(9, withEmpty, 0);
    list.addTexts(8, absent, 0);
    list.addTexts(9, withA, 0);
    list.sort(kColFirstUser);
    EXPECT_EQ(names(list), (Names{"none", "e", "a", "x"}));
    list.sort(kColFirstUser);
    EXPECT_EQ(names(list), (Names{"x", "a", "e", "none"}));
}

TEST(Sort, EmptyListOnlyChangesColumnAndDirection) {
    EntryList list(ListKind::Bbs);
    EXPECT_EQ(list.sort(kColUpdateTime), 0);
    EXPECT_EQ(list.sortColumn(), kColUpdateTime);
    EXPECT_EQ(list.sortDescending(), 0);
    EXPECT_EQ(list.sort(kColUpdateTime), 0);
    EXPECT_EQ(list.sortDescending(), 1);
}

TEST(Sort, SortedInsertionUsesTheCurrentOrderAndGoesBeforeEqualRows) {
    EntryList list(ListKind::Normal);
    fill(list, {{"a", "10", "", ""}, {"c", "30", "", ""}});
    list.sort(kColSize);  // 30, 10
    const char* texts[8] = {"b", "", "20", "", "", "", "", "hb"};
    ASSERT_EQ(list.addTexts(8, texts, 1), 1);
    EXPECT_EQ(names(list), (Names{"c", "b", "a"}));
    const char* equal[8] = {"b2", "", "20", "", "", "", "", "hb2"};
    EXPECT_EQ(list.insertEntry(makeEntry(equal, 8).release(), 1), 1);
    EXPECT_EQ(names(list), (Names{"c", "b2", "b", "a"}));
}

// The quicksort must stay within its range whatever the comparison says (the month key is not a strict weak
// order).
TEST(Sort, QuicksortSurvivesRowsThatCompareEqualToEverything) {
    EntryList list(ListKind::Normal);
    std::vector<Row> rows;
    const char* times[] = {"Jan 1", "", "Mar 3", "zzz", "Dec 9", "Feb 2", "", "Jun 6"};
    for (int i = 0; i < 4000; ++i) rows.push_back({"r", "", "", times[(i * 7) % 8]});
    fill(list, rows);
    list.sort(kColUpdateTime);
    list.sort(kColUpdateTime);
    EXPECT_EQ(list.count(), 4000);
}

// The radix sort between two stores ends in the second whatever the number of digits the keys differ in (each
// digit is one pass), and keeps equal keys in their input order.
TEST(Sort, KeySortIntoAnotherStoreIsStableForEveryNumberOfPasses) {
    struct Item {
        uint64_t key;
        int index;
    };
    std::mt19937_64 rng(7);
    for (uint64_t varying : {0x0ull, 0x00000000000F0000ull, 0x000000FF0000FF00ull, 0x0F0F0F0F0F0F0000ull,
                             0xFFFFFFFFFFFFFFFFull}) {
        for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{3000}}) {
            std::vector<Item> from(n);
            for (std::size_t i = 0; i < n; ++i)
                from[i] = Item{0x1234000000000000ull | (rng() & varying), int(i)};
            std::vector<Item> expected = from;
            std::stable_sort(expected.begin(), expected.end(),
                             [](const Item& a, const Item& b) { return a.key < b.key; });
            struct DequeStore {
                std::deque<Item> items;
                const Item& operator[](std::size_t i) const { return items[i]; }
                void put(std::size_t i, const Item& item) { items[i] = item; }
            } to{std::deque<Item>(n)};
            VectorStore<Item> source{from};
            sortByKeyStableInto<Item>(source, to, n);
            for (std::size_t i = 0; i < n; ++i) {
                ASSERT_EQ(to[i].key, expected[i].key) << std::hex << varying << " at " << i;
                ASSERT_EQ(to[i].index, expected[i].index) << std::hex << varying << " at " << i;
            }
        }
    }
}

}  // namespace
}  // namespace twk
