#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "match/search.h"
#include "support/fakes.h"

namespace twk {
namespace {

using test::FakeListView;
using test::RecordingReporter;
using test::ScopedReporter;

struct Fixture {
    EntryList list{ListKind::Normal};
    FakeListView view;
    RecordingReporter rec;
    ScopedReporter scoped{&rec};

    Fixture() { list.setView(&view); }
    void add(const std::string& name, const std::string& hash, const char* trip = "trip") {
        const char* texts[8] = {name.c_str(), trip,           "1,000", "status",
                                "1",          "Jan 01 10:00", "1.0",   hash.c_str()};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
    }
    std::vector<std::string> marked() const {
        std::vector<std::string> out;
        for (int p = 0; p < list.count(); ++p)
            if (list.entryAt(p)->isMarked()) out.push_back(list.entryAt(p)->name);
        return out;
    }
    bool messageEndsWith(const std::string& tail) const {
        const std::string& s = rec.status[kStatusMessage];
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    }
};

TEST(SearchCommand, KeywordSearchMarksMatchesAndReportsTheCount) {
    Fixture f;
    f.add("abc.mp3", "H1");
    f.add("sample.mp3", "H2");
    f.add("ABC.avi", "H3");
    f.add("other", "H4");
    for (int round = 0; round < 2; ++round) {
        SearchOutcome out = runSearchCommand(f.list, "abc", false, ListKind::Normal);
        EXPECT_EQ(out.result, 2);
        EXPECT_TRUE(out.remember);
        EXPECT_EQ(f.marked(), (std::vector<std::string>{"abc.mp3", "ABC.avi"}));
    }
    EXPECT_TRUE(f.messageEndsWith("2件の情報が検索されました"));
    EXPECT_EQ(f.rec.status[kStatusCounts], "Hit数:4  選択数:0");
    EXPECT_GE(f.view.invalidations, 1);

    // A new search replaces every mark.
    EXPECT_EQ(runSearchCommand(f.list, "mp3 - sample", false, ListKind::Normal).result, 1);
    EXPECT_EQ(f.marked(), (std::vector<std::string>{"abc.mp3"}));
    // With the option off a "%" term is the keyword prefix: the hash contains the text.
    EXPECT_EQ(runSearchCommand(f.list, "%h", false, ListKind::Normal).result, 4);
}

TEST(SearchCommand, EmptyTextClearsAllMarksWithoutHistory) {
    Fixture f;
    f.add("a", "H1");
    f.add("b", "H2");
    runSearchCommand(f.list, "a|b", false, ListKind::Normal);
    ASSERT_EQ(f.marked().size(), 2u);
    SearchOutcome out = runSearchCommand(f.list, "", false, ListKind::Normal);
    EXPECT_EQ(out.result, 0);
    EXPECT_FALSE(out.remember);
    EXPECT_TRUE(f.marked().empty());
    EXPECT_TRUE(f.messageEndsWith("0件の情報が検索されました"));
}

TEST(SearchCommand, WrongTextKeepsMarksAndReportsTheError) {
    Fixture f;
    f.add("a", "H1");
    f.add("b", "H2");
    runSearchCommand(f.list, "a", false, ListKind::Normal);
    for (const char* wrong : {"a&", "\"a\" b", "<1.5M", "?x"}) {
        SearchOutcome out = runSearchCommand(f.list, wrong, false, ListKind::Normal);
        EXPECT_EQ(out.result, -1) << wrong;
        EXPECT_TRUE(out.remember);
        EXPECT_EQ(f.marked(), (std::vector<std::string>{"a"})) << wrong;
        EXPECT_TRUE(f.messageEndsWith("検索文字列の指定に誤りがあります")) << wrong;
    }
}

TEST(SearchCommand, EmptyListReportsNoRowsEvenForAWrongText) {
    Fixture f;
    EXPECT_EQ(searchList(f.list, SearchField::Name, "a&&", false), 0);
    SearchOutcome out = runSearchCommand(f.list, "a&&", false, ListKind::Normal);
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(f.messageEndsWith("0件の情報が検索されました"));
}

TEST(SearchCommand, TextIsReadUpToTheSearchBoxLimit) {
    Fixture f;
    f.add(std::string(kSearchTextMax, 'a'), "H1");
    f.add("short", "H2");
    // The term is cut to the box's limit, so it fits in the first row's name.
    std::string text(kSearchTextMax + 40, 'a');
    EXPECT_EQ(runSearchCommand(f.list, text.c_str(), false, ListKind::Normal).result, 1);
    EXPECT_EQ(searchList(f.list, SearchField::Name, text.c_str(), false), 0);
}

// Positions (in display order) of the rows with the given names.
std::vector<int> positionsOf(const EntryList& list, const std::vector<std::string>& names) {
    std::vector<int> out;
    for (int p = 0; p < list.count(); ++p)
        for (const std::string& n : names)
            if (list.entryAt(p)->name == n) out.push_back(p);
    return out;
}

TEST(SearchCommand, MarkSortedListGathersMarkedRowsAndKeepsSelection) {
    for (int descending = 0; descending <= 1; ++descending) {
        Fixture f;
        const char* names[] = {"r0", "x1", "r2", "x3", "r4", "x5"};
        for (int i = 0; i < 6; ++i) f.add(names[i], "H" + std::to_string(i));
        f.list.setSortState(kColMark, descending);
        f.view.select({0, 3});  // r0 and x3
        SearchOutcome out = runSearchCommand(f.list, "x", false, ListKind::Normal);
        ASSERT_EQ(out.result, 3);
        EXPECT_EQ(f.list.sortColumn(), kColMark);
        EXPECT_EQ(f.list.sortDescending(), descending);
        std::vector<int> markedAt = positionsOf(f.list, {"x1", "x3", "x5"});
        std::vector<int> expected = descending ? std::vector<int>{3, 4, 5} : std::vector<int>{0, 1, 2};
        EXPECT_EQ(markedAt, expected) << "descending " << descending;
        EXPECT_EQ(f.view.selectedPositions(), positionsOf(f.list, {"r0", "x3"}));
    }
}

TEST(SearchCommand, OtherSortOrdersAreLeftAlone) {
    Fixture f;
    f.add("r0", "H0");
    f.add("x1", "H1");
    f.list.setSortState(kColName, 0);
    EXPECT_EQ(runSearchCommand(f.list, "x", false, ListKind::Normal).result, 1);
    EXPECT_EQ(f.list.entryAt(0)->name, "r0");
    EXPECT_EQ(f.list.sortColumn(), kColName);
}

}  // namespace
}  // namespace twk
