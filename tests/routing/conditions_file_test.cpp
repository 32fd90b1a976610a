#include "routing/conditions_file.h"

#include <gtest/gtest.h>

#include <string>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "match/condition_list.h"
#include "routing/routing_fakes.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

TEST(ParseFileInteger, SignHexAndDecimalUpToTheFirstOtherCharacter) {
    EXPECT_EQ(parseFileInteger("1"), 1);
    EXPECT_EQ(parseFileInteger("0"), 0);
    EXPECT_EQ(parseFileInteger("-12x"), -12);
    EXPECT_EQ(parseFileInteger("+7"), 7);
    EXPECT_EQ(parseFileInteger("0x1F"), 31);
    EXPECT_EQ(parseFileInteger("-0x10"), -16);
    EXPECT_EQ(parseFileInteger("010"), 10);  // decimal, not octal
    EXPECT_EQ(parseFileInteger("0x"), 0);
    EXPECT_EQ(parseFileInteger("yes"), 0);
    EXPECT_EQ(parseFileInteger(""), 0);
    EXPECT_EQ(parseFileInteger(" 2"), 2);
    // Out of range values stay non-zero instead of wrapping round to 0.
    EXPECT_EQ(parseFileInteger("4294967296"), 2147483647);
    EXPECT_EQ(parseFileInteger("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(parseFileInteger("0x100000000"), 2147483647);
}

class ConditionFileTest : public ::testing::Test {
  protected:
    ConditionFileTest() {
        tabs.add("新規リスト01", &normal);
        tabs.add("無視リスト", &ignore);
        tabs.add("設定", nullptr);
    }
    std::string file(const std::string& bytes) {
        dir.write(kConditionFileName, bytes);
        return dir.path(kConditionFileName);
    }
    test::TempFolder dir;
    EntryList normal{ListKind::Normal};
    EntryList ignore{ListKind::Ignore};
    test::FakeTabs tabs;
    ConditionList conditions;
};

TEST_F(ConditionFileTest, LoadsThreeAndFourFieldLinesAndSkipsTheRest) {
    test::FakeListView view;
    view.insertItem(0);  // an item left from before: emptied first
    conditions.add("old", "", false);
    const std::string text =
        "1\tmp3\t無視リスト\t0\r\n"
        "1\tmp3\t新規リスト02\r\n"  // three fields: flag off
        "0x0\tavi\t\t1\r\n"
        "\r\n"
        "1\tonly two\r\n"
        "1\ta&\t\t0\r\n"                  // wrong condition text
        "-3\t\"x\"\t設定\t7\textra\r\n";  // flag field "7\textra": non-zero
    EXPECT_EQ(loadConditionFile(conditions, file(text), tabs, &view), 4);
    ASSERT_EQ(conditions.count(), 4);

    EXPECT_EQ(conditions.at(0).destination, &ignore);
    EXPECT_EQ(conditions.at(0).state, kConditionMove);

    EXPECT_FALSE(conditions.at(1).ignoreIfAbsent);
    EXPECT_EQ(conditions.at(1).destinationName, "新規リスト02");
    EXPECT_EQ(conditions.at(1).state, kConditionInactive);

    EXPECT_FALSE(conditions.at(2).used);
    EXPECT_TRUE(conditions.at(2).ignoreIfAbsent);
    EXPECT_EQ(conditions.at(2).state, kConditionIgnore);

    // The settings tab holds no list: not a destination.
    EXPECT_TRUE(conditions.at(3).used);
    EXPECT_TRUE(conditions.at(3).ignoreIfAbsent);
    EXPECT_EQ(conditions.at(3).destination, nullptr);
    EXPECT_EQ(conditions.at(3).state, kConditionIgnore);

    EXPECT_EQ(view.itemCount(), 4);
    EXPECT_EQ(view.log.at(1), "deleteAll");
}

TEST_F(ConditionFileTest, MissingFileLeavesTheListEmpty) {
    conditions.add("old", "", false);
    EXPECT_EQ(loadConditionFile(conditions, dir.path("none.txt"), tabs), -1);
    EXPECT_EQ(conditions.count(), 0);
}

TEST_F(ConditionFileTest, SavedConditionsReadBackTheSame) {
    const std::string longText(1500, 'q');  // longer than any line buffer, but a text the program can hold
    conditions.add("mp3 | avi - sample", "無視リスト", false);
    conditions.add(longText.c_str(), std::string(600, 'd').c_str(), true);
    conditions.add("「ア」", "", false);
    conditions.at(2).used = false;
    const std::string path = dir.path(kConditionFileName);
    ASSERT_EQ(saveConditionFile(conditions, path), 3);
    const std::string start = "1\tmp3 | avi - sample\t無視リスト\t0\r\n1\tqqq";
    EXPECT_EQ(dir.read(kConditionFileName).substr(0, start.size()), start);

    ConditionList back;
    ASSERT_EQ(loadConditionFile(back, path, tabs), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.at(i).text, conditions.at(i).text);
        EXPECT_EQ(back.at(i).destinationName, conditions.at(i).destinationName);
        EXPECT_EQ(back.at(i).used, conditions.at(i).used);
        EXPECT_EQ(back.at(i).ignoreIfAbsent, conditions.at(i).ignoreIfAbsent);
    }
    EXPECT_EQ(dir.listing(), kConditionFileName);
}

TEST_F(ConditionFileTest, FailedSaveKeepsTheOldFile) {
    file("1\tkeep\t\t0\r\n");
    conditions.add("new", "", false);
    injectFileWriteFailure(3);
    EXPECT_EQ(saveConditionFile(conditions, dir.path(kConditionFileName)), -1);
    injectFileWriteFailure(-1);
    EXPECT_EQ(dir.read(kConditionFileName), "1\tkeep\t\t0\r\n");
    EXPECT_EQ(saveConditionFile(conditions, dir.path("nofolder/c.txt")), -1);
}

TEST_F(ConditionFileTest, DestinationsFollowTheTabs) {
    EntryList second{ListKind::Normal};
    tabs.add("新規リスト01", &second);  // the same title further right
    conditions.add("a", "新規リスト01", false);
    conditions.add("b", "新規リスト0", false);  // a prefix of a title is not the title
    conditions.add("c", "", false);
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).destination, &normal);
    EXPECT_EQ(conditions.at(1).state, kConditionInactive);
    EXPECT_EQ(conditions.at(2).state, kConditionIgnore);

    // The list is closed: the condition turns inactive; a new tab with the title brings it back.
    tabs.remove(0);
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).destination, &second);
    tabs.remove(tabs.tabCount() - 1);
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).state, kConditionInactive);
    EXPECT_EQ(conditions.at(0).destination, nullptr);
    tabs.add("新規リスト01", &normal);
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).state, kConditionMove);
    EXPECT_EQ(conditions.at(0).destination, &normal);
}

}  // namespace
}  // namespace twk
