#include "core/entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace twk {
namespace {

TEST(MakeEntry, CutsFixedFieldsAndKeepsNameAndExtrasWhole) {
    std::string name(2000, 'n');
    std::string trip(15, 't');
    std::string hash(40, 'H');
    const char* texts[9] = {name.c_str(),   trip.c_str(), "1,234",      "完全キャッシュ", "12",
                            "Jan 01 10:00", "1.0",        hash.c_str(), "extra"};
    EntryPtr e = makeEntry(texts, 9);
    EXPECT_EQ(e->name(), name);
    EXPECT_EQ(std::string(e->trip()), trip.substr(0, 11));
    EXPECT_EQ(std::string(e->hash()), hash.substr(0, 35));
    EXPECT_STREQ(e->ver(), "1.0");
    ASSERT_EQ(e->extraCount(), 1);
    EXPECT_STREQ(e->column(kColFirstUser), "extra");
    EXPECT_EQ(e->column(kColFirstUser + 1), nullptr);
    EXPECT_EQ(e->purgeMark, 0);
    EXPECT_EQ(e->selected, 0);
    EXPECT_FALSE(e->isMarked());
}

TEST(MakeEntry, CutMaySplitADoubleByteCharacter) {
    // Eleven bytes of a trip: five double-byte characters and the lead byte of the sixth.
    const char* texts[8] = {"n", "アイウエオカ", "", "", "", "", "", "h"};
    EntryPtr e = makeEntry(texts, 8);
    EXPECT_EQ(std::strlen(e->trip()), 11u);
    EXPECT_EQ(static_cast<unsigned char>(e->trip()[10]), static_cast<unsigned char>("カ"[0]));
    EXPECT_EQ(e->extraCount(), 0);
    EXPECT_EQ(e->column(kColFirstUser), nullptr);
}

// Every text of a row, as makeEntry's texts.
std::vector<std::string> textsOf(const Entry& e) {
    std::vector<std::string> out = {e.name().str(), e.trip(),       e.size(), e.status(),
                                    e.refAmount(),  e.updateTime(), e.ver(),  e.hash()};
    for (const std::string& extra : e.extraColumns()) out.push_back(extra);
    return out;
}

EntryPtr makeRow(const std::vector<std::string>& texts) {
    std::vector<const char*> p;
    for (const std::string& t : texts) p.push_back(t.c_str());
    return makeEntry(p.data(), static_cast<int>(p.size()));
}

TEST(MakeEntry, RowsOfEveryLengthKeepTheirTextsThroughMergesThatGrowAndShrinkThem) {
    // Names of every length, with double-byte characters and bytes that look like the end of a text, with
    // and without user columns; rows above a chunk's largest block too.
    std::vector<std::vector<std::string>> texts;
    std::vector<EntryPtr> rows;
    for (int length = 0; length < 300; ++length) {
        std::string name;
        for (int k = 0; k < length; ++k) name += "ア\t,"[(length + k) % 4];
        std::vector<std::string> t = {name, "t", "1", "s", std::to_string(length), "u", "v", "h" + name};
        if (length % 3 == 0) t.insert(t.end(), {"", "x" + name});
        if (length == 299) t[0].assign(20000, 'L');
        texts.push_back(t);
        texts.back()[7] = texts.back()[7].substr(0, kHashCap - 1);
        rows.push_back(makeRow(t));
    }
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(textsOf(*rows[i]), texts[i]) << i;
        ASSERT_EQ(rows[i]->name().c_str()[rows[i]->name().size()], 0) << i;
    }
    // A merge takes the name, trip, status, reference amount, time and ver; size, hash and user columns stay.
    auto merged = [](std::vector<std::string> into, const std::vector<std::string>& from) {
        for (int k : {0, 1, 3, 4, 5, 6}) into[k] = from[k];
        return into;
    };
    for (int i : {20, 3, 299, 150}) {
        const int from = 299 - i;
        const std::vector<std::string> expected = merged(texts[i], texts[from]);
        rows[i]->takeTextsOf(*rows[from]);
        ASSERT_EQ(textsOf(*rows[i]), expected) << i << " from " << from;
        texts[i] = expected;
    }
    // Back to shorter texts, after having moved out; and a merge with its own texts.
    rows[20]->takeTextsOf(*rows[21]);
    texts[20] = merged(texts[20], texts[21]);
    rows[21]->takeTextsOf(*rows[21]);
    // Renames, longer and then to a part of its own name.
    rows[40]->rename(std::string(500, 'R'));
    rows[40]->rename(std::string_view(rows[40]->nameText() + 1, 3));
    texts[40][0] = "RRR";
    for (int i = 0; i < 300; ++i) ASSERT_EQ(textsOf(*rows[i]), texts[i]) << i;
    // The rows around them were not touched.
    rows[20].reset();
    rows[299].reset();
    EXPECT_EQ(textsOf(*rows[22]), texts[22]);
}

TEST(MakeEntry, FlagsAndMarkStayThroughAMergeThatMovesTheTexts) {
    EntryPtr e = makeRow({"n", "t", "1", "s", "2", "u", "v", "h"});
    EntryPtr longer = makeRow({std::string(300, 'N'), "T", "9", "S", "3", "U", "V", "H"});
    EXPECT_STREQ(e->mark(), "");
    e->purgeMark = -1;
    e->selected = 1;
    e->setMarked(true);
    e->takeTextsOf(*longer);
    EXPECT_TRUE(e->isMarked());
    EXPECT_STREQ(e->column(kColMark), kMarkText);
    EXPECT_EQ(e->purgeMark, -1);
    EXPECT_EQ(e->selected, 1);
    EXPECT_EQ(textsOf(*e),
              (std::vector<std::string>{std::string(300, 'N'), "T", "1", "S", "3", "U", "V", "h"}));
    e->setMarked(false);
    EXPECT_STREQ(e->mark(), "");
    EXPECT_EQ(e->purgeMark, -1);
}

// A merge taken back gives the row its texts as they were, whether the merge grew them out of the row's block
// or shrank them inside it, with the user columns kept.
TEST(MakeEntry, SavedTextsComeBackAfterAMergeOfEitherLength) {
    const std::vector<std::string> shortRow = {"n", "t", "1", "s", "2", "u", "v", "h", "x"};
    const std::vector<std::string> longRow = {std::string(300, 'N'), "T", "9", "S", "3", "U", "V", "H"};
    for (bool grow : {true, false}) {
        EntryPtr e = makeRow(grow ? shortRow : longRow);
        EntryPtr other = makeRow(grow ? longRow : shortRow);
        const std::vector<std::string> before = textsOf(*e);
        SavedRowTexts saved = e->saveTexts();
        e->takeTextsOf(*other);
        ASSERT_NE(textsOf(*e), before);
        e->restoreTexts(saved);
        EXPECT_EQ(textsOf(*e), before) << (grow ? "grown" : "shrunk");
        e->takeTextsOf(*other);  // the row's texts stay usable where they now are
        EXPECT_EQ(e->name(), other->name());
    }
}

TEST(MakeEntry, InjectedAllocationFailureThrows) {
    const char* texts[8] = {"n", "", "", "", "", "", "", "h"};
    injectEntryAllocationFailure(1);
    EXPECT_NO_THROW(makeEntry(texts, 8));
    EXPECT_THROW(makeEntry(texts, 8), std::bad_alloc);
    injectEntryAllocationFailure(-1);
    EXPECT_NO_THROW(makeEntry(texts, 8));
}

TEST(Columns, BbsViewSkipsTheTrip) {
    EXPECT_EQ(logicalColumnFromView(ListKind::Bbs, 0), kColMark);
    EXPECT_EQ(logicalColumnFromView(ListKind::Bbs, 1), kColName);
    EXPECT_EQ(logicalColumnFromView(ListKind::Bbs, 2), kColSize);
    EXPECT_EQ(logicalColumnFromView(ListKind::Bbs, 4), kColRefAmount);
    EXPECT_EQ(logicalColumnFromView(ListKind::Normal, 2), kColTrip);
    EXPECT_EQ(viewColumnFromLogical(ListKind::Bbs, kColTrip), -1);
    EXPECT_EQ(viewColumnFromLogical(ListKind::Bbs, kColRefAmount), 4);
    EXPECT_STREQ(columnTitle(ListKind::Bbs, 4 + 1), "発言数");
    EXPECT_STREQ(columnTitle(ListKind::Normal, kColRefAmount), "被参照量");
    EXPECT_EQ(columnTitle(ListKind::Bbs, kColTrip), nullptr);
}

TEST(RawRecord, FieldsFollowEachOtherWithTheirCapacities) {
    int total = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(RawRecord::offsetOf(i), total);
        total += RawRecord::capacity(i);
    }
    EXPECT_EQ(total, 380);
}

}  // namespace
}  // namespace twk
