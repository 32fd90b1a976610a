#include "settings/history_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twk {
namespace {

using Texts = std::vector<std::string>;

Texts entries(const HistoryList& list) {
    Texts out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.entry(i));
    return out;
}

TEST(HistoryList, PushFrontMovesKnownTextsAndDropsTheOldest) {
    HistoryList list;
    list.reset(3);
    for (const char* text : {"b", "a", "B"}) EXPECT_TRUE(list.pushFront(text));
    EXPECT_EQ(entries(list), (Texts{"B", "a", "b"}));  // case matters
    list.pushFront("b");
    EXPECT_EQ(entries(list), (Texts{"b", "B", "a"}));  // moved, not repeated, nothing dropped
    list.pushFront("bb");
    EXPECT_EQ(entries(list), (Texts{"bb", "b", "B"}));  // a new text drops the oldest
    EXPECT_FALSE(list.pushFront(""));
    EXPECT_EQ(list.count(), 3);

    list.reset(10);
    for (int i = 0; i < 11; ++i) list.pushFront("w" + std::to_string(i));
    EXPECT_EQ(list.count(), 10);
    EXPECT_EQ(list.entry(0), "w10");
    EXPECT_EQ(list.entry(9), "w1");
    EXPECT_EQ(list.entry(10), "");
    EXPECT_EQ(list.entry(-1), "");
}

TEST(HistoryList, CapacitiesWithoutRoomKeepNothing) {
    HistoryList list;
    EXPECT_FALSE(list.pushFront("a"));  // never reset
    for (std::int32_t capacity : {0, -1, INT32_MIN}) {
        list.reset(3);
        list.pushFront("a");
        list.reset(capacity);
        EXPECT_EQ(list.capacity(), 0) << capacity;
        EXPECT_EQ(list.count(), 0) << capacity;
        EXPECT_FALSE(list.pushFront("a")) << capacity;
    }
}

TEST(HistoryList, CapacitiesAboveTheLimitKeepTheLimit) {
    HistoryList list;
    for (std::int32_t capacity : {HistoryList::kCapacityLimit + 1, INT32_MAX}) {
        list.reset(capacity);
        EXPECT_EQ(list.capacity(), HistoryList::kCapacityLimit) << capacity;
        for (int i = 0; i <= HistoryList::kCapacityLimit; ++i) list.pushFront("w" + std::to_string(i));
        EXPECT_EQ(list.count(), HistoryList::kCapacityLimit) << capacity;
        EXPECT_EQ(list.entry(HistoryList::kCapacityLimit - 1), "w1") << capacity;
    }
}

TEST(HistoryList, LongTextsAreCutToTheLongestEntry) {
    HistoryList list;
    list.reset(2);
    list.pushFront(std::string(300, 'x'));
    EXPECT_EQ(list.entry(0).size(), HistoryList::kMaxEntryLength);
    list.pushFront(std::string(HistoryList::kMaxEntryLength, 'x'));  // equal to the cut text
    EXPECT_EQ(list.count(), 1);
}

}  // namespace
}  // namespace twk
