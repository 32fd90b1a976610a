// The row commands over a set of tabs with fake views: what each does to the rows, the selection and the
// status bar, and what each leaves alone when there is nothing for it to do.
#include "core/row_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "support/fakes.h"

namespace twk::test {
namespace {

class RowCommandsTest : public ::testing::Test {
  protected:
    std::string message() const { return reporter_.status[kStatusMessage]; }
    std::string counts() const { return reporter_.status[kStatusCounts]; }

    FakeRowPages pages_{"NNI-"};
    RowCommands rows_{pages_};
    RecordingReporter reporter_;
    ScopedReporter scopedReporter_{&reporter_};
    FixedClock clock_{makeTime(2024, 5, 1, 12, 34, 56)};
    ScopedClock scopedClock_{&clock_};
};

using Command = std::function<void(RowCommands&)>;
struct NamedCommand {
    const char* name;
    Command run;
};
const NamedCommand kEveryCommand[] = {
    {"delete", [](RowCommands& r) { r.deleteSelected(); }},
    {"select all", [](RowCommands& r) { r.selectAll(); }},
    {"invert", [](RowCommands& r) { r.invert(); }},
    {"clear selection", [](RowCommands& r) { r.clearSelection(); }},
    {"clear all", [](RowCommands& r) { r.clearAll(); }},
    {"select marked", [](RowCommands& r) { r.selectMarked(); }},
    {"mark selected", [](RowCommands& r) { r.markSelected(); }},
    {"next mark", [](RowCommands& r) { r.nextMark(); }},
    {"previous mark", [](RowCommands& r) { r.previousMark(); }},
    {"move to the second list", [](RowCommands& r) { r.moveSelectedTo(1); }},
    {"toggle the ignore filter", [](RowCommands& r) { r.toggleFilter(2); }},
};

TEST_F(RowCommandsTest, OnAPageWithoutRowsNoCommandDoesOrSaysAnything) {
    pages_.current = 3;
    pages_.addRows(0, 3);
    for (const NamedCommand& c : kEveryCommand) {
        SCOPED_TRACE(c.name);
        c.run(rows_);
        EXPECT_EQ(message(), "");
        EXPECT_EQ(counts(), "");
        EXPECT_EQ(pages_.holds, 0);
    }
    EXPECT_EQ(pages_.names(0).size(), 3u);
    EXPECT_FALSE(pages_.tabList(0)->usesFilter(pages_.tabList(2)));
}

TEST_F(RowCommandsTest, SelectionCommandsSetTheViewAndReportTheCountsTogether) {
    struct Case {
        const char* name;
        Command run;
        std::vector<int> selectedBefore, selectedAfter;
        const char* message;
    };
    const Case cases[] = {
        {"select all", [](RowCommands& r) { r.selectAll(); }, {1}, {0, 1, 2, 3}, "全4件の情報を選択しました"},
        {"invert", [](RowCommands& r) { r.invert(); }, {1, 2}, {0, 3}, "選択を反転しました"},
        {"clear selection",
         [](RowCommands& r) { r.clearSelection(); },
         {0, 3},
         {},
         "全ての選択を解除しました"},
    };
    pages_.addRows(0, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pages_.view(0)->setAllSelected(false);
        for (int p : c.selectedBefore) pages_.view(0)->setSelected(p, true);
        c.run(rows_);
        EXPECT_EQ(pages_.view(0)->selectedPositions(), c.selectedAfter);
        EXPECT_EQ(counts(), "Hit数:4  選択数:" + std::to_string(c.selectedAfter.size()));
        EXPECT_EQ(message(), std::string("[12:34:56] ") + c.message);
        EXPECT_EQ(pages_.holds, 0);
    }
}

TEST_F(RowCommandsTest, CommandsWithNothingToWorkOnSayNothing) {
    // An empty list for the selection commands and the clear; rows but no selection for delete and move.
    const NamedCommand onEmpty[] = {kEveryCommand[1], kEveryCommand[2], kEveryCommand[3], kEveryCommand[4]};
    for (const NamedCommand& c : onEmpty) {
        SCOPED_TRACE(c.name);
        c.run(rows_);
        EXPECT_EQ(message(), "");
    }
    pages_.addRows(0, 2);
    for (const NamedCommand& c : {kEveryCommand[0], kEveryCommand[9]}) {
        SCOPED_TRACE(c.name);
        c.run(rows_);
        EXPECT_EQ(message(), "");
        EXPECT_EQ(pages_.names(0).size(), 2u);
    }
    EXPECT_EQ(pages_.focused, 0);
}

TEST_F(RowCommandsTest, DeleteTakesTheSelectedRowsAndGivesTheViewTheKeyboard) {
    pages_.addRows(0, 4);
    pages_.view(0)->select({1, 3});
    rows_.deleteSelected();
    EXPECT_EQ(pages_.names(0), (std::vector<std::string>{"row0", "row2"}));
    EXPECT_EQ(counts(), "Hit数:2  選択数:0");
    EXPECT_EQ(message(), "[12:34:56] 2件の情報を削除しました");
    EXPECT_EQ(pages_.focused, 1);
}

TEST_F(RowCommandsTest, ClearAllEmptiesTheListAndItsView) {
    pages_.addRows(0, 3);
    rows_.clearAll();
    EXPECT_EQ(pages_.tabList(0)->count(), 0);
    EXPECT_EQ(pages_.view(0)->itemCount(), 0);
    EXPECT_EQ(message(), "[12:34:56] 一覧をクリアしました");
}

TEST_F(RowCommandsTest, MarkedRowsAreTheSelectedOnesAndCanBeSelectedAgain) {
    pages_.addRows(0, 4);
    pages_.view(0)->select({0, 2});
    rows_.markSelected();
    EXPECT_EQ(message(), "[12:34:56] 2件の情報に検索マークを付加しました");
    pages_.view(0)->setAllSelected(false);
    rows_.selectMarked();
    EXPECT_EQ(pages_.view(0)->selectedPositions(), (std::vector<int>{0, 2}));
    EXPECT_EQ(message(), "[12:34:56] 2件の情報を選択しました");
    EXPECT_EQ(counts(), "Hit数:4  選択数:2");
}

TEST_F(RowCommandsTest, MoveTakesTheSelectedRowsToAnotherTabsListOnly) {
    pages_.addRows(0, 3);
    pages_.view(0)->select({0, 2});
    // Its own tab and a page without a list are no targets.
    rows_.moveSelectedTo(0);
    rows_.moveSelectedTo(3);
    EXPECT_EQ(pages_.names(0).size(), 3u);
    EXPECT_EQ(message(), "");
    rows_.moveSelectedTo(1);
    EXPECT_EQ(pages_.names(0), (std::vector<std::string>{"row1"}));
    EXPECT_EQ(pages_.names(1), (std::vector<std::string>{"row0", "row2"}));
    EXPECT_EQ(message(), "[12:34:56] 2件の情報を移動しました");
}

TEST_F(RowCommandsTest, ToggleFilterLinksAndUnlinksAnotherTabsList) {
    EntryList& list = *pages_.tabList(0);
    EntryList* ignore = pages_.tabList(2);
    rows_.toggleFilter(2);
    EXPECT_TRUE(list.usesFilter(ignore));
    rows_.toggleFilter(2);
    EXPECT_FALSE(list.usesFilter(ignore));
    rows_.toggleFilter(0);
    EXPECT_FALSE(list.usesFilter(&list));
}

}  // namespace
}  // namespace twk::test
