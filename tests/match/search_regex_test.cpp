#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "match/search.h"
#include "support/fakes.h"

namespace twk {
namespace {

using test::RecordingReporter;
using test::ScopedReporter;

struct Rows {
    EntryList list;
    RecordingReporter rec;
    ScopedReporter scoped{&rec};

    explicit Rows(ListKind kind) : list(kind) {
        add("%50 off $x deal", "$x", "0A11");
        add("plain name", "zz", "B0A2");
        add("$x thread", "trip", "0A33");
    }
    void add(const char* name, const char* trip, const char* hash) {
        const char* texts[8] = {name, trip, "1,000", "status", "1", "Jan 01 10:00", "1.0", hash};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
    }
    std::vector<int> marked() const {
        std::vector<int> out;
        for (int p = 0; p < list.count(); ++p)
            if (list.entryAt(p)->isMarked()) out.push_back(p);
        return out;
    }
};

TEST(SearchRegex, PrefixesChooseTheField) {
    Rows r(ListKind::Normal);
    // "%" searches the hash: rows whose hash begins with 0A.
    EXPECT_EQ(runSearchCommand(r.list, "%^0A", true, ListKind::Normal).result, 2);
    EXPECT_EQ(r.marked(), (std::vector<int>{0, 2}));
    // "$" searches the trip.
    EXPECT_EQ(runSearchCommand(r.list, "$^z", true, ListKind::Normal).result, 1);
    EXPECT_EQ(r.marked(), (std::vector<int>{1}));
    // Without a prefix the name is searched.
    EXPECT_EQ(runSearchCommand(r.list, "^plain", true, ListKind::Normal).result, 1);
    EXPECT_EQ(r.marked(), (std::vector<int>{1}));
    // A prefix alone is searched for in the names.
    EXPECT_EQ(runSearchCommand(r.list, "%", true, ListKind::Normal).result, 1);
    EXPECT_EQ(r.marked(), (std::vector<int>{0}));
    EXPECT_EQ(runSearchCommand(r.list, "$", true, ListKind::Normal).result, 0);
}

TEST(SearchRegex, BbsPageKnowsOnlyTheHashPrefix) {
    Rows r(ListKind::Bbs);
    // "$x" is searched for in the thread titles; as a pattern "$" is a line end, so it cannot match here.
    SearchOutcome out = runSearchCommand(r.list, "$x", true, ListKind::Bbs);
    EXPECT_EQ(out.result, 0);
    EXPECT_TRUE(r.marked().empty());
    EXPECT_EQ(runSearchCommand(r.list, "thread", true, ListKind::Bbs).result, 1);
    EXPECT_EQ(runSearchCommand(r.list, "%^0A", true, ListKind::Bbs).result, 2);
    // On a file page the same text searches the trips.
    Rows files(ListKind::Normal);
    EXPECT_EQ(runSearchCommand(files.list, "$x", true, ListKind::Normal).result, 1);
    EXPECT_EQ(files.marked(), (std::vector<int>{0}));
}

TEST(SearchRegex, OptionOffReadsPrefixesAsKeywordTerms) {
    Rows r(ListKind::Normal);
    // "%0A" is a keyword term on the hash: it contains 0A anywhere.
    EXPECT_EQ(runSearchCommand(r.list, "%0A", false, ListKind::Normal).result, 3);
    // "^" is an ordinary byte in a keyword term.
    EXPECT_EQ(runSearchCommand(r.list, "%^0A", false, ListKind::Normal).result, 0);
}

TEST(SearchRegex, PatternIsMatchedOnTheChosenField) {
    Rows r(ListKind::Normal);
    EXPECT_EQ(searchList(r.list, SearchField::Name, "PLAIN", true), 0);
    EXPECT_EQ(searchList(r.list, SearchField::Name, "pl.in", true), 1);
    EXPECT_EQ(searchList(r.list, SearchField::Hash, "A[0-9]$", true), 1);
    EXPECT_EQ(searchList(r.list, SearchField::Trip, "^z", true), 1);
}

}  // namespace
}  // namespace twk
