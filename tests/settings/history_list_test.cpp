#include "settings/history_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twk {
namespace {

std::vector<std::string> entries(const HistoryList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.entry(i));
    return out;
}

using Texts = std::vector<std::string>;

TEST(HistoryList, PushFrontMovesKnownTextsAndKeepsCase) {
    HistoryList list;
    list.reset(10);
    EXPECT_TRUE(list.pushFront("b"));
    EXPECT_TRUE(list.pushFront("a"));
    EXPECT_TRUE(list.pushFront("B"));
    EXPECT_EQ(entries(list), (Texts{"B", "a", "b"}));
    EXPECT_TRUE(list.pushFront("b"));
    EXPECT_EQ(entries(list), (Texts{"b", "B", "a"}));
    EXPECT_TRUE(list.pushFront("b"));
    EXPECT_EQ(entries(list), (Texts{"b", "B", "a"}));
    // Equal means the same length too: a prefix is a different text.
    EXPECT_TRUE(list.pushFront("bb"));
    EXPECT_EQ(entries(list), (Texts{"bb", "b", "B", "a"}));
}

TEST(HistoryList, FullListDropsItsOldestEntry) {
    HistoryList list;
    list.reset(10);
    for (int i = 0; i < 11; ++i) list.pushFront("w" + std::to_string(i));
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.entry(0), "w10");
    EXPECT_EQ(list.entry(9), "w1");
    // A text already present in a full list moves without dropping anything.
    list.pushFront("w1");
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.entry(0), "w1");
    EXPECT_EQ(list.entry(9), "w2");

    HistoryList one;
    one.reset(1);
    one.pushFront("x");
    one.pushFront("y");
    EXPECT_EQ(entries(one), (Texts{"y"}));
}

TEST(HistoryList, RefusesEmptyTextsAndListsWithoutRoom) {
    HistoryList list;
    EXPECT_FALSE(list.pushFront("a"));  // never reset: no room
    list.reset(3);
    EXPECT_FALSE(list.pushFront(""));
    EXPECT_EQ(list.count(), 0);

    for (std::int32_t capacity : {0, -1, INT32_MIN, HistoryList::kCapacityLimit + 1, INT32_MAX}) {
        list.reset(3);
        list.pushFront("a");
        list.reset(capacity);
        EXPECT_EQ(list.capacity(), 0) << capacity;
        EXPECT_EQ(list.count(), 0) << capacity;
        EXPECT_FALSE(list.pushFront("a")) << capacity;
    }
    list.reset(HistoryList::kCapacityLimit);
    EXPECT_EQ(list.capacity(), HistoryList::kCapacityLimit);
}

TEST(HistoryList, EntryOutsideTheListIsEmpty) {
    HistoryList list;
    list.reset(5);
    list.pushFront("a");
    EXPECT_EQ(list.entry(0), "a");
    EXPECT_EQ(list.entry(1), "");
    EXPECT_EQ(list.entry(-1), "");
    EXPECT_EQ(list.entry(INT32_MAX), "");
}

TEST(HistoryList, LongTextsAreCutToTheLongestEntry) {
    HistoryList list;
    list.reset(2);
    list.pushFront(std::string(300, 'x'));
    EXPECT_EQ(list.entry(0).size(), HistoryList::kMaxEntryLength);
    // The cut text equals a 259-byte text, so that one moves instead of being repeated.
    list.pushFront(std::string(HistoryList::kMaxEntryLength, 'x'));
    EXPECT_EQ(list.count(), 1);
}

}  // namespace
}  // namespace twk
