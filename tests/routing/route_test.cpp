#include <gtest/gtest.h>

#include "core/entry_list.h"
#include "match/condition_list.h"
#include "routing/conditions_file.h"
#include "routing/routing_fakes.h"

namespace twk {
namespace {

using test::makeRecord;

class RouteTest : public ::testing::Test {
  protected:
    RouteTest() {
        tabs.add("新規リスト01", &collecting);
        tabs.add("新規リスト02", &other);
        tabs.add("無視リスト", &ignore);
        tabs.add("BBSリスト", &bbs);
        collecting.linkFilter(&ignore);
        bbs.linkFilter(&ignore);
    }
    int route(const char* name, const char* hash, RouteAction* action = nullptr, EntryList* into = nullptr) {
        return routeCollectedRecord(conditions, makeRecord(name, hash), into ? *into : collecting, 0, action);
    }
    EntryList collecting{ListKind::Normal};
    EntryList other{ListKind::Normal};
    EntryList ignore{ListKind::Ignore};
    EntryList bbs{ListKind::Bbs};
    test::FakeTabs tabs;
    ConditionList conditions;
};

TEST_F(RouteTest, MoveDropAndKeep) {
    conditions.add("sample", "無視リスト", false);
    conditions.add("trailer", "", false);
    resolveDestinations(conditions, tabs);

    RouteAction action;
    EXPECT_EQ(route("a sample.avi", "H1", &action), 0);
    EXPECT_EQ(action, RouteAction::Moved);
    EXPECT_EQ(ignore.count(), 1);
    EXPECT_EQ(collecting.count(), 0);

    EXPECT_EQ(route("movie trailer.avi", "H2", &action), 0);
    EXPECT_EQ(action, RouteAction::Dropped);
    EXPECT_EQ(ignore.count(), 1);
    EXPECT_EQ(collecting.count(), 0);

    EXPECT_EQ(route("film.avi", "H3", &action), 1);
    EXPECT_EQ(action, RouteAction::Kept);
    EXPECT_EQ(collecting.count(), 1);
    // The ignore list now refuses the moved hash in the lists that use it.
    EXPECT_EQ(route("film again.avi", "H1", &action), 0);
    EXPECT_EQ(action, RouteAction::Kept);
    EXPECT_EQ(collecting.count(), 1);
}

TEST_F(RouteTest, AbsentDestinationDropsOnlyWithTheFlag) {
    conditions.add("mp3", "閉じたリスト", true);
    conditions.add("ogg", "閉じたリスト", false);
    resolveDestinations(conditions, tabs);
    RouteAction action;
    EXPECT_EQ(route("song.mp3", "H1", &action), 0);
    EXPECT_EQ(action, RouteAction::Dropped);
    EXPECT_EQ(route("song.ogg", "H2", &action), 1);  // the condition is skipped
    EXPECT_EQ(action, RouteAction::Kept);
    EXPECT_EQ(collecting.count(), 1);
}

TEST_F(RouteTest, FirstUsableMatchDecides) {
    conditions.add("avi", "新規リスト02", false);
    conditions.add("avi", "", false);
    conditions.add("mkv", "", false);
    conditions.add("mkv", "新規リスト02", false);
    conditions.at(2).used = false;  // not in use: never acts
    resolveDestinations(conditions, tabs);
    EXPECT_EQ(route("x.avi", "H1"), 0);
    EXPECT_EQ(other.count(), 1);
    EXPECT_EQ(route("x.mkv", "H2"), 0);
    EXPECT_EQ(other.count(), 2);
    EXPECT_EQ(collecting.count(), 0);
}

TEST_F(RouteTest, ConditionNamingTheCollectingListCountsAsAdded) {
    conditions.add("avi", "新規リスト01", false);
    resolveDestinations(conditions, tabs);
    RouteAction action;
    EXPECT_EQ(route("x.avi", "H1", &action), 1);
    EXPECT_EQ(action, RouteAction::Moved);
    EXPECT_EQ(route("x.avi", "H1", &action), 0);  // already there
}

TEST_F(RouteTest, BbsListIsNeverRouted) {
    conditions.add("thread", "", false);
    conditions.add("スレ", "新規リスト02", false);
    resolveDestinations(conditions, tabs);
    RouteAction action;
    EXPECT_EQ(route("thread", "B1", &action, &bbs), 1);
    EXPECT_EQ(action, RouteAction::Kept);
    EXPECT_EQ(route("スレ", "B2", &action, &bbs), 1);
    EXPECT_EQ(bbs.count(), 2);
    EXPECT_EQ(other.count(), 0);
}

}  // namespace
}  // namespace twk
