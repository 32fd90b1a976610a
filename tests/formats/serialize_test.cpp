#include "formats/serialize.h"

#include <gtest/gtest.h>

#include <string>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "formats/list_file.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

class SerializeTest : public ::testing::Test {
  protected:
    void add(EntryList& l, const std::string& name, const char* trip, const char* size, const char* hash,
             std::vector<std::string> extras = {}) {
        std::vector<const char*> texts = {name.c_str(), trip,          size,  "完全キャッシュ",
                                          "12",         "12/01 10:00", "1.0", hash};
        for (const auto& e : extras) texts.push_back(e.c_str());
        ASSERT_EQ(l.addTexts(static_cast<int>(texts.size()), texts.data(), 0), 1);
    }
    static std::string text(const SerializedRows& r) {
        if (!r.block) return "<none>";
        EXPECT_EQ(r.block[r.length], 0);
        return std::string(r.block.get(), r.length);
    }
    EntryList list{ListKind::Normal};
};

TEST_F(SerializeTest, EveryFormWritesItsLine) {
    add(list, "a,b.avi", "trip", "1,024", "HASH1");
    add(list, "c", "", "5", "HASH2");
    struct Case {
        int form;
        const char* expected;
    } cases[] = {
        {ListForm,
         "a,b.avi\ttrip\t1,024\t完全キャッシュ\t12\t12/01 10:00\t1.0\tHASH1\r\n"
         "c\t\t5\t完全キャッシュ\t12\t12/01 10:00\t1.0\tHASH2\r\n"},
        {NameForm, "a,b.avi\r\nc\r\n"},
        {HashForm, "HASH1\r\nHASH2\r\n"},
        {TripForm, "trip\r\n\r\n"},
        {KeyInfoForm, "a,b.avi trip 1,024 HASH1\r\nc  5 HASH2\r\n"},
        {DownloadForm, "a b.avi,,0,0,HASH1,1\r\nc,,0,0,HASH2,1\r\n"},
        {DownloadBbsForm, "a b.avi,BBS,0,0,HASH1,1\r\nc,BBS,0,0,HASH2,1\r\n"},
        {IgnoreForm, "a b.avi,,0,0,HASH1,0,1,1\r\nc,,0,0,HASH2,0,1,1\r\n"},
        {IgnoreBbsForm, "a b.avi,BBS,0,0,HASH1,0,1,1\r\nc,BBS,0,0,HASH2,0,1,1\r\n"},
    };
    for (const Case& c : cases) {
        SerializedRows r = serializeRows(list, c.form);
        EXPECT_EQ(text(r), c.expected) << "form " << c.form;
        EXPECT_EQ(r.lines, 2);
        EXPECT_FALSE(r.noMemory);
    }
    EXPECT_EQ(text(serializeRows(list, 6)), "<none>");  // not a form
}

TEST_F(SerializeTest, HostFormsCutTheNameTo259BytesOthersKeepItWhole) {
    std::string name = std::string(258, 'x') + "アイ";  // the cut falls inside ア
    add(list, name, "t", "1", "H");
    EXPECT_EQ(text(serializeRows(list, DownloadForm)), std::string(258, 'x') + "\x83" + ",,0,0,H,1\r\n");
    EXPECT_EQ(text(serializeRows(list, NameForm)), name + "\r\n");
    EXPECT_EQ(text(serializeRows(list, KeyInfoForm)), name + " t 1 H\r\n");
}

TEST_F(SerializeTest, SelectedOnlyAndExcludedHashesChooseTheRows) {
    test::FakeListView view;
    list.setView(&view);
    add(list, "one", "", "1", "H1");
    add(list, "two", "", "1", "H2");
    add(list, "three", "", "1", "H3");
    view.select({0, 2});
    list.syncSelectionFromView();

    SerializedRows r = serializeRows(list, NameForm | SelectedOnly);
    EXPECT_EQ(text(r), "one\r\nthree\r\n");
    EXPECT_EQ(r.lines, 2);

    HashSet excluded;
    excluded.add("H3");
    excluded.add("H1x");  // not equal: no prefix match
    excluded.add("H");
    r = serializeRows(list, DownloadForm | SelectedOnly, &excluded);
    EXPECT_EQ(text(r), "one,,0,0,H1,1\r\n");
    EXPECT_EQ(r.lines, 1);

    excluded.add("H1");
    r = serializeRows(list, DownloadForm | SelectedOnly, &excluded);
    EXPECT_EQ(r.length, 0u);
    EXPECT_EQ(r.lines, 0);
    EXPECT_EQ(r.block, nullptr);
    EXPECT_FALSE(r.noMemory);
    list.setView(nullptr);
}

TEST_F(SerializeTest, LinesFollowTheDisplayOrder) {
    add(list, "b", "", "1", "H1");
    add(list, "c", "", "1", "H2");
    add(list, "a", "", "1", "H3");
    EXPECT_EQ(text(serializeRows(list, NameForm)), "b\r\nc\r\na\r\n");
    list.sort(kColHash);
    EXPECT_EQ(text(serializeRows(list, NameForm)), "b\r\nc\r\na\r\n");
    list.sort(kColHash);
    EXPECT_EQ(text(serializeRows(list, NameForm)), "a\r\nc\r\nb\r\n");
}

TEST_F(SerializeTest, EmptyListGivesNoBlock) {
    SerializedRows r = serializeRows(list, ListForm);
    EXPECT_EQ(r.block, nullptr);
    EXPECT_EQ(r.length, 0u);
}

TEST_F(SerializeTest, SavedListReadsBackWithTheSameRowsInTheSameOrder) {
    test::TempFolder dir;
    add(list, "z", "t1", "1", "H1", {"x", "", "z"});
    add(list, "ア表", "t2", "2", "H2");
    add(list, "m", "t3", "3", "H3", {"", ""});
    list.setAllMarks(true);
    list.entryAt(1)->selected = 1;
    ASSERT_EQ(saveListFile(list, dir.path("saved.txt")), 3);

    EntryList back(ListKind::Normal);
    ASSERT_EQ(readListFile(back, dir.path("saved.txt")), 3);
    ASSERT_EQ(back.count(), 3);
    for (int p = 0; p < 3; ++p) {
        const Entry& a = *list.entryAt(p);
        const Entry& b = *back.entryAt(p);
        EXPECT_EQ(b.name, a.name);
        EXPECT_STREQ(b.trip, a.trip);
        EXPECT_STREQ(b.hash, a.hash);
        EXPECT_STREQ(b.status, a.status);
        EXPECT_EQ(b.extraColumns, a.extraColumns);
        EXPECT_FALSE(b.isMarked());
        EXPECT_EQ(b.selected, 0);
    }
    EXPECT_EQ(dir.listing(), "saved.txt");
}

TEST_F(SerializeTest, FailedSaveLeavesTheOldFileWhole) {
    test::TempFolder dir;
    dir.write("list.txt", "old row\tT\t1\tS\t1\tU\tV\tOLD\r\n");
    for (int i = 0; i < 50; ++i)
        add(list, "row" + std::to_string(i), "t", "1", ("H" + std::to_string(i)).c_str());

    injectFileWriteFailure(100);  // the disk fills up part way through
    EXPECT_EQ(saveListFile(list, dir.path("list.txt")), -1);
    injectFileWriteFailure(-1);
    EXPECT_EQ(dir.read("list.txt"), "old row\tT\t1\tS\t1\tU\tV\tOLD\r\n");
    EXPECT_EQ(dir.listing(), "list.txt");  // no temporary file left behind

    ASSERT_EQ(saveListFile(list, dir.path("list.txt")), 50);
    EXPECT_EQ(dir.read("list.txt"), std::string(serializeRows(list, ListForm).block.get()));
}

TEST_F(SerializeTest, SavingAnEmptyListLeavesAnEmptyFile) {
    test::TempFolder dir;
    dir.write("list.txt", "old\r\n");
    EXPECT_EQ(saveListFile(list, dir.path("list.txt")), 0);
    EXPECT_TRUE(dir.exists("list.txt"));
    EXPECT_EQ(dir.read("list.txt"), "");
    EXPECT_EQ(saveListFile(list, dir.path("nofolder/list.txt")), -1);
}

}  // namespace
}  // namespace twk
