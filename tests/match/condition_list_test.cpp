#include "match/condition_list.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/entry_list.h"

namespace twk {
namespace {

RawRecord record(const char* name) {
    RawRecord raw;
    std::memset(&raw, 0, sizeof raw);
    std::strcpy(raw.name, name);
    return raw;
}

TEST(ConditionList, StatesAndTheFirstUsableMatch) {
    ConditionList list;
    EXPECT_EQ(list.add("sample", "閉じたリスト", false), 0);  // destination absent, flag off: inactive
    EXPECT_EQ(list.add("mp3", "", false), 1);
    EXPECT_EQ(list.add("sample", "閉じたリスト", true), 2);  // absent, flag on: ignore
    EXPECT_EQ(list.add("mp3", "", false), 3);
    EXPECT_EQ(list.add("a&", "", false), -1);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.at(0).state, kConditionInactive);
    EXPECT_EQ(list.at(1).state, kConditionIgnore);
    EXPECT_EQ(list.at(2).state, kConditionIgnore);

    const char* texts[8] = {"sample.mp3", "", "", "", "", "", "", "H"};
    EXPECT_EQ(findMatchingCondition(list, *makeEntry(texts, 8)), 1);
    EXPECT_EQ(findMatchingCondition(list, record("sample.ogg")), 2);
    EXPECT_EQ(findMatchingCondition(list, record("x.ogg")), -1);
    list.at(1).used = false;
    EXPECT_EQ(findMatchingCondition(list, record("sample.mp3")), 2);

    EntryList target(ListKind::Normal);
    list.at(0).bindDestination(&target);
    EXPECT_EQ(list.at(0).state, kConditionMove);
    EXPECT_EQ(findMatchingCondition(list, record("sample.mp3")), 0);
    list.at(0).unbindDestination();
    EXPECT_EQ(list.at(0).state, kConditionInactive);
    EXPECT_EQ(list.at(0).destination, nullptr);

    list.at(3).terms.clear();  // a condition without terms is never usable
    EXPECT_EQ(findMatchingCondition(list, record("x.mp3")), -1);
}

}  // namespace
}  // namespace twk
