#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "match/condition_list.h"
#include "routing/conditions_file.h"
#include "routing/routing_fakes.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

TEST(ParseFileInteger, SignHexAndDecimalUpToTheFirstOtherCharacter) {
    EXPECT_EQ(parseFileInteger("-12x"), -12);
    EXPECT_EQ(parseFileInteger("+0x1F"), 31);
    EXPECT_EQ(parseFileInteger("010"), 10);  // decimal, not octal
    EXPECT_EQ(parseFileInteger("0x"), 0);
    EXPECT_EQ(parseFileInteger("yes"), 0);
    // Values out of range stay non-zero instead of wrapping round to 0.
    EXPECT_EQ(parseFileInteger("4294967296"), 2147483647);
    EXPECT_EQ(parseFileInteger("-0x100000000"), -2147483647 - 1);
}

class ConditionFileTest : public ::testing::Test {
  protected:
    ConditionFileTest() {
        tabs.add("新規リスト01", &collecting);
        tabs.add("新規リスト02", &other);
        tabs.add("無視リスト", &ignore);
        tabs.add("BBSリスト", &bbs);
        tabs.add("設定", nullptr);
        collecting.linkFilter(&ignore);
    }
    int route(const char* name, const char* hash, EntryList* into = nullptr) {
        return routeCollectedRecord(conditions, test::makeRecord(name, hash), into ? *into : collecting, 0,
                                    &action);
    }
    test::TempFolder dir;
    const std::string path = dir.path(kConditionFileName);
    EntryList collecting{ListKind::Normal};
    EntryList other{ListKind::Normal};
    EntryList ignore{ListKind::Ignore};
    EntryList bbs{ListKind::Bbs};
    test::FakeTabs tabs;
    ConditionList conditions;
    RouteAction action = RouteAction::Kept;
};

TEST_F(ConditionFileTest, LoadsThreeAndFourFieldLinesAndSkipsTheRest) {
    test::FakeListView view;
    view.insertItem(0);  // left from before: emptied first
    conditions.add("old", "", false);
    dir.write(kConditionFileName,
              "1\tmp3\t無視リスト\t0\r\n"
              "1\tmp3\t新規リスト03\r\n"  // three fields: flag off
              "0x0\tavi\t\t1\r\n\r\n"
              "1\tonly two\r\n"
              "1\ta&\t\t0\r\n"                   // wrong condition text
              "-3\t\"x\"\t設定\t7\textra\r\n");  // flag "7\textra": on; the settings tab holds no list
    EXPECT_EQ(loadConditionFile(conditions, path, tabs, &view), 4);
    EXPECT_EQ(view.itemCount(), 4);
    ASSERT_EQ(conditions.count(), 4);
    EXPECT_EQ(conditions.at(0).destination, &ignore);
    EXPECT_EQ(conditions.at(0).state, kConditionMove);
    EXPECT_FALSE(conditions.at(1).ignoreIfAbsent);
    EXPECT_EQ(conditions.at(1).state, kConditionInactive);
    EXPECT_FALSE(conditions.at(2).used);
    EXPECT_EQ(conditions.at(2).state, kConditionIgnore);
    EXPECT_TRUE(conditions.at(3).used);
    EXPECT_EQ(conditions.at(3).destination, nullptr);
    EXPECT_EQ(conditions.at(3).state, kConditionIgnore);

    // A file that cannot be read takes none of them away.
    FileReadStatus status = FileReadStatus::Ok;
    EXPECT_EQ(loadConditionFile(conditions, dir.path("none.txt"), tabs, &view, &status), -1);
    EXPECT_EQ(status, FileReadStatus::NotFound);
    EXPECT_EQ(conditions.count(), 4);
    EXPECT_EQ(view.itemCount(), 4);
}

// The end writes the file only while the conditions held are known to be the file's: not after a start that
// found the file but could not read it, until it is read or saved on command.
TEST_F(ConditionFileTest, AFileThatCouldNotBeReadIsNotReplacedAtTheEnd) {
    ConditionFile missing(dir.path("none.txt"));
    EXPECT_EQ(missing.load(conditions, tabs), -1);
    EXPECT_TRUE(missing.known());

    std::filesystem::create_directory(path);  // there, and not readable as a file
    ConditionFile file(path);
    conditions.add("kept", "", false);
    EXPECT_EQ(file.load(conditions, tabs), -1);
    EXPECT_EQ(conditions.count(), 1);
    EXPECT_EQ(file.saveAtEnd(conditions), 0);
    std::filesystem::remove(path);
    dir.write(kConditionFileName, "1\tfile's\t\t0\r\n");
    EXPECT_EQ(file.saveAtEnd(conditions), 0);
    EXPECT_EQ(dir.read(kConditionFileName), "1\tfile's\t\t0\r\n");

    EXPECT_EQ(file.load(conditions, tabs), 1);  // 開き直す
    EXPECT_EQ(file.saveAtEnd(conditions), 1);
    ConditionFile saved(path);
    EXPECT_EQ(saved.save(conditions), 1);  // 上書き保存
    EXPECT_TRUE(saved.known());
}

TEST_F(ConditionFileTest, SavedConditionsReadBackTheSameAndAFailedSaveKeepsTheOldFile) {
    // Longer than any line buffer, but texts the program can hold.
    conditions.add(std::string(1500, 'q').c_str(), std::string(600, 'd').c_str(), true);
    conditions.add("mp3 | avi - sample", "無視リスト", false);
    conditions.at(1).used = false;
    ASSERT_EQ(saveConditionFile(conditions, path), 2);
    const std::string saved = dir.read(kConditionFileName);
    EXPECT_EQ(saved.substr(1500 + 600 + 7), "0\tmp3 | avi - sample\t無視リスト\t0\r\n");

    ConditionList back;
    ASSERT_EQ(loadConditionFile(back, path, tabs), 2);
    EXPECT_EQ(conditionFileText(back), saved);

    injectFileWriteFailure(3);
    EXPECT_EQ(saveConditionFile(back, path), -1);
    injectFileWriteFailure(-1);
    EXPECT_EQ(dir.read(kConditionFileName), saved);
    EXPECT_EQ(dir.listing(), kConditionFileName);
}

TEST_F(ConditionFileTest, DestinationsFollowTheTabs) {
    EntryList second{ListKind::Normal};
    tabs.add("新規リスト01", &second);  // the same title further right
    conditions.add("a", "新規リスト01", false);
    conditions.add("b", "新規リスト0", false);  // a prefix of a title is not the title
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).destination, &collecting);
    EXPECT_EQ(conditions.at(1).state, kConditionInactive);

    tabs.remove(0);  // closed: the other tab with the title takes over
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).destination, &second);
    tabs.rename(tabs.tabCount() - 1, "renamed.txt");
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(conditions.at(0).state, kConditionInactive);
    EXPECT_EQ(conditions.at(0).destination, nullptr);
}

TEST_F(ConditionFileTest, MoveDropSkipAndKeep) {
    conditions.add("sample", "無視リスト", false);
    conditions.add("trailer", "", false);
    conditions.add("mp3", "閉じたリスト", true);   // absent, flag on: drops
    conditions.add("ogg", "閉じたリスト", false);  // absent, flag off: skipped
    resolveDestinations(conditions, tabs);

    EXPECT_EQ(route("a sample.avi", "H1"), 0);
    EXPECT_EQ(action, RouteAction::Moved);
    EXPECT_EQ(ignore.count(), 1);
    EXPECT_EQ(route("movie trailer.avi", "H2"), 0);
    EXPECT_EQ(action, RouteAction::Dropped);
    EXPECT_EQ(route("song.mp3", "H3"), 0);
    EXPECT_EQ(action, RouteAction::Dropped);
    EXPECT_EQ(route("song.ogg", "H4"), 1);
    EXPECT_EQ(action, RouteAction::Kept);
    EXPECT_EQ(collecting.count(), 1);
    EXPECT_EQ(ignore.count(), 1);
    // The moved hash is now refused by the list that uses the ignore list.
    EXPECT_EQ(route("film.avi", "H1"), 0);
    EXPECT_EQ(action, RouteAction::Kept);
}

TEST_F(ConditionFileTest, FirstUsableMatchDecides) {
    conditions.add("avi", "新規リスト02", false);
    conditions.add("avi", "", false);
    conditions.add("mkv", "", false);
    conditions.add("mkv", "新規リスト01", false);
    conditions.at(2).used = false;  // not in use: never acts
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(route("x.avi", "H1"), 0);
    EXPECT_EQ(other.count(), 1);
    // A condition may name the collecting list itself: that counts as added there.
    EXPECT_EQ(route("x.mkv", "H2"), 1);
    EXPECT_EQ(action, RouteAction::Moved);
    EXPECT_EQ(collecting.count(), 1);
}

TEST_F(ConditionFileTest, BbsListIsNeverRouted) {
    conditions.add("thread", "", false);
    conditions.add("スレ", "新規リスト02", false);
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(route("thread", "B1", &bbs), 1);
    EXPECT_EQ(route("スレ", "B2", &bbs), 1);
    EXPECT_EQ(bbs.count(), 2);
    EXPECT_EQ(other.count(), 0);
}

}  // namespace
}  // namespace twk
