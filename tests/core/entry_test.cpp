#include "core/entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace twk {
namespace {

TEST(MakeEntry, CutsFixedFieldsAndKeepsNameAndExtrasWhole) {
    std::string name(2000, 'n');
    std::string trip(15, 't');
    std::string hash(40, 'H');
    const char* texts[9] = {name.c_str(),   trip.c_str(), "1,234",      "完全キャッシュ", "12",
                            "Jan 01 10:00", "1.0",        hash.c_str(), "extra"};
    EntryPtr e = makeEntry(texts, 9);
    EXPECT_EQ(e->name, name);
    EXPECT_EQ(std::string(e->trip), trip.substr(0, 11));
    EXPECT_EQ(std::string(e->hash), hash.substr(0, 35));
    EXPECT_STREQ(e->ver, "1.0");
    ASSERT_EQ(e->extraColumns.size(), 1u);
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
    EXPECT_EQ(std::strlen(e->trip), 11u);
    EXPECT_EQ(static_cast<unsigned char>(e->trip[10]), static_cast<unsigned char>("カ"[0]));
    EXPECT_TRUE(e->extraColumns.empty());
    EXPECT_EQ(e->column(kColFirstUser), nullptr);
}

TEST(MakeEntry, NamesOfEveryLengthLiveWithTheirRowUntilTheyOutgrowIt) {
    std::string names[300];
    EntryPtr rows[300];
    for (int length = 0; length < 300; ++length) {
        // Double-byte characters and bytes that look like the end of a text.
        for (int k = 0; k < length; ++k) names[length] += "ア\t,"[(length + k) % 4];
        const char* texts[8] = {names[length].c_str(), "t", "1", "s", "2", "u", "v", "h"};
        rows[length] = makeEntry(texts, 8);
    }
    for (int length = 0; length < 300; ++length) {
        const RowName& name = rows[length]->name;
        ASSERT_EQ(name, names[length]) << length;
        ASSERT_EQ(name.c_str()[length], 0) << length;
        EXPECT_EQ(name.ownsBlock(), length > 255) << "a name of " << length << " bytes";
    }
    // A row renamed to a longer name than its room moves the name out; a shorter one stays in that block.
    RowName& renamed = rows[20]->name;
    renamed = rows[100]->name;
    EXPECT_EQ(renamed, names[100]);
    EXPECT_TRUE(renamed.ownsBlock());
    renamed = "short";
    EXPECT_EQ(renamed, "short");
    renamed = std::string_view(renamed.data() + 1, 3);  // its own bytes
    EXPECT_EQ(renamed, "hor");
    RowName& kept = rows[50]->name;
    kept = std::string_view(kept.data() + 10, 5);
    EXPECT_EQ(kept, names[50].substr(10, 5));
    EXPECT_FALSE(kept.ownsBlock());
    RowName copy = rows[299]->name;
    EXPECT_EQ(copy, rows[299]->name);
    EXPECT_NE(copy.data(), rows[299]->name.data());
    // A row made without room (copied, or made by hand) takes a name of any length.
    Entry plain;
    EXPECT_EQ(plain.name, "");
    plain.name = names[7];
    EXPECT_EQ(plain.name + "!", names[7] + "!");
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
