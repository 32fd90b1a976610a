#include <gtest/gtest.h>

#include <string>

#include "core/entry_list.h"
#include "match/regex.h"
#include "match/search.h"
#include "support/fakes.h"

namespace twk {
namespace {

struct Page {
    EntryList list;
    test::FakeListView view;
    test::RecordingReporter rec;
    test::ScopedReporter scoped{&rec};

    explicit Page(ListKind kind = ListKind::Normal) : list(kind) { list.setView(&view); }
    void add(const std::string& name, const char* trip = "trip", const char* hash = nullptr) {
        std::string h = hash ? hash : "H" + std::to_string(list.count());
        const char* texts[8] = {name.c_str(), trip, "1,000", "status", "1", "Jan 01 10:00", "1.0", h.c_str()};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
    }
    // The marked rows' names, in display order.
    std::string marked() const {
        std::string out;
        for (int p = 0; p < list.count(); ++p)
            if (list.entryAt(p)->isMarked()) out += list.entryAt(p)->name() + ";";
        return out;
    }
    std::string message() const {
        const std::string& s = rec.status[kStatusMessage];
        return s.size() > 11 ? s.substr(11) : s;  // without "[hh:mm:ss] "
    }
    int search(const char* text, bool regex = false) {
        return runSearchCommand(list, text, regex, list.kind()).result;
    }
};

TEST(SearchCommand, KeywordSearchMarksReplacesAndReports) {
    Page p;
    for (const char* n : {"abc.mp3", "sample.mp3", "ABC.avi", "other"}) p.add(n);
    for (int round = 0; round < 2; ++round) EXPECT_EQ(p.search("abc"), 2);
    EXPECT_EQ(p.marked(), "abc.mp3;ABC.avi;");
    EXPECT_EQ(p.message(), "2件の情報が検索されました");
    EXPECT_EQ(p.rec.status[kStatusCounts], "Hit数:4  選択数:0");
    EXPECT_GE(p.view.invalidations, 1);
    EXPECT_EQ(p.search("mp3 - sample"), 1);
    EXPECT_EQ(p.marked(), "abc.mp3;");

    // A wrong text keeps the marks; the text still goes to the history.
    SearchOutcome out = runSearchCommand(p.list, "a&", false, ListKind::Normal);
    EXPECT_EQ(out.result, -1);
    EXPECT_TRUE(out.remember);
    EXPECT_EQ(p.marked(), "abc.mp3;");
    EXPECT_EQ(p.message(), "検索文字列の指定に誤りがあります");

    // An empty text clears every mark and is not remembered.
    out = runSearchCommand(p.list, "", false, ListKind::Normal);
    EXPECT_EQ(out.result, 0);
    EXPECT_FALSE(out.remember);
    EXPECT_EQ(p.marked(), "");
    EXPECT_EQ(p.message(), "0件の情報が検索されました");
}

TEST(SearchCommand, EmptyListAndOverlongText) {
    Page p;
    EXPECT_EQ(p.search("a&&"), 0);  // the text is not even read
    EXPECT_EQ(p.message(), "0件の情報が検索されました");
    // The text is cut to the search box's limit, so it fits in the first name.
    p.add(std::string(kSearchTextMax, 'a'));
    std::string text(kSearchTextMax + 40, 'a');
    EXPECT_EQ(p.search(text.c_str()), 1);
    EXPECT_EQ(searchList(p.list, SearchField::Name, text.c_str(), false), 0);
}

TEST(SearchCommand, PrefixesChooseTheFieldOfAPattern) {
    for (ListKind kind : {ListKind::Normal, ListKind::Bbs}) {
        Page p(kind);
        p.add("%50 off", "$x", "0A11");
        p.add("plain name", "zz", "B0A2");
        p.add("$x thread", "trip", "0A33");
        EXPECT_EQ(p.search("%^0A", true), 2);  // hash
        EXPECT_EQ(p.marked(), "%50 off;$x thread;");
        EXPECT_EQ(p.search("^plain", true), 1);  // name
        EXPECT_EQ(p.search("%", true), 1);       // a prefix alone is looked for in the names
        EXPECT_EQ(p.marked(), "%50 off;");
        // "$x": the trip on a file page; on the BBS page a name pattern ("$" is a line end, so nothing).
        EXPECT_EQ(p.search("$x", true), kind == ListKind::Bbs ? 0 : 1);
        // With the option off, prefixes are keyword terms: "%0A" is a hash containing 0A.
        EXPECT_EQ(p.search("%0A"), 3);
        EXPECT_EQ(p.search("%^0A"), 0);
    }
}

TEST(SearchCommand, MarkSortedListGathersMarkedRowsAndKeepsSelection) {
    for (int descending = 0; descending <= 1; ++descending) {
        Page p;
        for (const char* n : {"r0", "x1", "r2", "x3", "r4", "x5"}) p.add(n);
        p.list.setSortState(kColMark, descending);
        p.view.select({0, 3});  // r0 and x3
        EXPECT_EQ(p.search("x"), 3);
        EXPECT_EQ(p.list.sortDescending(), descending);
        std::string order, selected;
        for (int i = 0; i < p.list.count(); ++i) {
            const Entry& e = *p.list.entryAt(i);
            order += e.isMarked() ? "x" : "r";
            if (p.view.isSelected(i)) selected += e.name() + ";";
        }
        EXPECT_EQ(order, descending ? "rrrxxx" : "xxxrrr");
        EXPECT_TRUE(selected == "r0;x3;" || selected == "x3;r0;") << selected;
        EXPECT_EQ(p.view.selectedCount(), 2);
    }
    // Other sort orders are left alone.
    Page p;
    p.add("r0");
    p.add("x1");
    EXPECT_EQ(p.search("x"), 1);
    EXPECT_EQ(p.list.entryAt(0)->name(), "r0");
}

TEST(SearchCommand, CostlyRegexIsAnsweredOnLongRows) {
    Page p;
    for (const char* n : {"keep", "xx1", "xx2"}) p.add(n);
    // Rows where 「(.?){1000}xx」 has 3,000 states to follow at every byte: the walk once ran out of its
    // budget on them, and the search said the text was wrong.
    for (int i = 0; i < 4; ++i) p.add("x" + std::string(2999, 'a'));
    ASSERT_EQ(p.search("keep"), 1);
    EXPECT_EQ(p.search("(.?){1000}xx", true), 2);
    EXPECT_EQ(p.marked(), "xx1;xx2;");
    EXPECT_EQ(p.message(), "2件の情報が検索されました");
}

// Ordinary patterns cost no more than the allowance per byte of text, so that no list is too large for them,
// and the search marks the rows that each finds one by one.
TEST(SearchList, OrdinaryPatternsStayWithinTheAllowancePerByte) {
    EntryList list(ListKind::Normal);
    static const char* const kWords[] = {"Live",    "アニメ", "Best", "第12話",
                                         "Concert", "主題歌", "Vol",  "Remix"};
    static const char* const kEnds[] = {".avi", ".mp4", " (1920x1080).avi", ".zip", "_sample.mp3"};
    unsigned long long bytes = 0;
    for (int i = 0; i < 2000; ++i) {
        std::string name = "[" + std::string(kWords[i % 8]) + "]";
        for (int w = 0; w < 12; ++w) name += std::string(" ") + kWords[(i * 7 + w * (i % 5 + 1)) % 8];
        name += kEnds[i % 5];
        bytes += name.size() + 1;
        const std::string hash = "H" + std::to_string(i);
        const char* texts[8] = {name.c_str(), "trip",         "1,000", "status",
                                "1",          "Jan 01 10:00", "1.0",   hash.c_str()};
        ASSERT_EQ(list.addTexts(8, texts, 0), 1);
    }
    // The list benchmark's pattern, and patterns that walk to the end of every row and back.
    for (const char* pattern :
         {"第[0-9]+話.*?\\.(avi|mp4)", ".*x$", "Live.*Best.*avi$", "[^ ]+\\.(zip|rar)$"}) {
        std::unique_ptr<Regex> re = compileRegex(pattern);
        ASSERT_NE(re, nullptr);
        constexpr unsigned long long kPlenty = 1ull << 40;
        RegexBudget budget{kPlenty};
        int expected = 0;
        for (int i = 0; i < list.count(); ++i)
            expected += matchRegex(*re, list.entryAt(i)->nameText(), nullptr, &budget) > 0;
        EXPECT_LE(kPlenty - budget.steps, kRegexStepsPerByte * bytes) << pattern;
        EXPECT_EQ(searchList(list, SearchField::Name, pattern, true), expected) << pattern;
    }
}

}  // namespace
}  // namespace twk
