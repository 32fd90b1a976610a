#include "match/condition_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/entry_list.h"

namespace twk {
namespace {

EntryPtr file(const char* name, const char* size = "1,000") {
    const char* texts[8] = {name, "trip", size, "status", "3", "Jan 01 10:00", "1.0", "HASH"};
    return makeEntry(texts, 8);
}

RawRecord record(const char* name) {
    RawRecord raw;
    std::memset(&raw, 0, sizeof raw);
    std::strcpy(raw.name, name);
    std::strcpy(raw.size, "1,000");
    return raw;
}

TEST(ConditionList, AddSetsStateFromDestinationAndFlag) {
    ConditionList list;
    EXPECT_EQ(list.add("mp3", "", false), 0);
    EXPECT_EQ(list.add("avi", "新規リスト02", true), 1);
    EXPECT_EQ(list.add("ogg", "新規リスト02", false), 2);
    EXPECT_EQ(list.add("a&", "x", false), -1);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0).state, kConditionIgnore);
    EXPECT_EQ(list.at(1).state, kConditionIgnore);
    EXPECT_EQ(list.at(2).state, kConditionInactive);
    for (const Condition& c : list) {
        EXPECT_TRUE(c.used);
        EXPECT_EQ(c.destination, nullptr);
    }
    EXPECT_EQ(list.at(1).text, "avi");
    EXPECT_EQ(list.at(1).destinationName, "新規リスト02");
    EXPECT_TRUE(list.at(1).ignoreIfAbsent);
}

TEST(ConditionList, BindingAndUnbindingMoveBetweenStates) {
    ConditionList list;
    list.add("ogg", "dest", false);
    list.add("avi", "dest", true);
    EntryList target(ListKind::Normal);
    for (Condition& c : list) c.bindDestination(&target);
    EXPECT_EQ(list.at(0).state, kConditionMove);
    EXPECT_EQ(list.at(0).destination, &target);
    for (Condition& c : list) c.unbindDestination();
    EXPECT_EQ(list.at(0).state, kConditionInactive);
    EXPECT_EQ(list.at(1).state, kConditionIgnore);
    EXPECT_EQ(list.at(0).destination, nullptr);
}

TEST(ConditionList, FirstUsableMatchingConditionWins) {
    ConditionList list;
    list.add("sample", "closed", false);  // inactive: skipped
    list.add("mp3", "", false);
    list.add("sample", "", false);
    list.add("mp3", "", false);
    EXPECT_EQ(findMatchingCondition(list, *file("sample.mp3")), 1);
    EXPECT_EQ(findMatchingCondition(list, *file("sample.ogg")), 2);
    EXPECT_EQ(findMatchingCondition(list, *file("x.ogg")), -1);
    list.at(1).used = false;
    EXPECT_EQ(findMatchingCondition(list, *file("sample.mp3")), 2);
    EntryList target(ListKind::Normal);
    list.at(0).bindDestination(&target);
    EXPECT_EQ(findMatchingCondition(list, *file("sample.mp3")), 0);
    // Raw records are routed by the same rules.
    EXPECT_EQ(findMatchingCondition(list, record("sample.mp3")), 0);
    EXPECT_EQ(findMatchingCondition(list, record("x.mp3")), 3);
    EXPECT_EQ(findMatchingCondition(list, record("")), -1);
}

TEST(ConditionList, ConditionWithoutTermsIsNotUsable) {
    ConditionList list;
    list.add("x", "", false);
    list.at(0).terms.clear();
    EXPECT_FALSE(list.at(0).usable());
    EXPECT_EQ(findMatchingCondition(list, *file("x")), -1);
    EXPECT_EQ(findMatchingCondition(ConditionList(), *file("x")), -1);
}

TEST(ConditionList, RemoveAndSwapKeepTheOtherConditions) {
    ConditionList list;
    list.add("a", "", false);
    list.add("b", "", false);
    list.add("c", "", false);
    EXPECT_EQ(list.swap(0, 2), 1);
    EXPECT_EQ(list.swap(0, 3), 0);
    EXPECT_EQ(list.at(0).text, "c");
    EXPECT_EQ(list.removeAt(1), 1);
    EXPECT_EQ(list.removeAt(-1), 0);
    EXPECT_EQ(list.removeAt(2), 0);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.at(1).text, "a");
    EXPECT_EQ(findMatchingCondition(list, *file("xa")), 1);
}

}  // namespace
}  // namespace twk
