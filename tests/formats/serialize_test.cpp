#include "formats/serialize.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "formats/list_file.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

class SerializeTest : public ::testing::Test {
  protected:
    void add(const std::string& name, const char* trip, const char* hash,
             std::vector<std::string> extras = {}) {
        std::vector<const char*> texts = {name.c_str(), trip,          "1,024", "完全キャッシュ",
                                          "12",         "12/01 10:00", "1.0",   hash};
        for (const auto& e : extras) texts.push_back(e.c_str());
        ASSERT_EQ(list.addTexts(static_cast<int>(texts.size()), texts.data(), 0), 1);
    }
    static std::string text(const SerializedRows& r) {
        if (!r.block) return "<none>";
        EXPECT_EQ(r.block[r.length], 0);
        return std::string(r.block.get(), r.length);
    }
    test::TempFolder dir;
    EntryList list{ListKind::Normal};
};

TEST_F(SerializeTest, EveryFormWritesItsLine) {
    add("a,b.avi", "trip", "HASH1", {"x"});
    add("c", "", "HASH2");
    const std::pair<int, const char*> cases[] = {
        {ListForm,
         "a,b.avi\ttrip\t1,024\t完全キャッシュ\t12\t12/01 10:00\t1.0\tHASH1\tx\r\n"
         "c\t\t1,024\t完全キャッシュ\t12\t12/01 10:00\t1.0\tHASH2\r\n"},
        {NameForm, "a,b.avi\r\nc\r\n"},
        {HashForm, "HASH1\r\nHASH2\r\n"},
        {TripForm, "trip\r\n\r\n"},
        {KeyInfoForm, "a,b.avi trip 1,024 HASH1\r\nc  1,024 HASH2\r\n"},
        {DownloadForm, "a b.avi,,0,0,HASH1,1\r\nc,,0,0,HASH2,1\r\n"},
        {DownloadBbsForm, "a b.avi,BBS,0,0,HASH1,1\r\nc,BBS,0,0,HASH2,1\r\n"},
        {IgnoreForm, "a b.avi,,0,0,HASH1,0,1,1\r\nc,,0,0,HASH2,0,1,1\r\n"},
        {IgnoreBbsForm, "a b.avi,BBS,0,0,HASH1,0,1,1\r\nc,BBS,0,0,HASH2,0,1,1\r\n"},
    };
    for (const auto& [form, expected] : cases) {
        SerializedRows r = serializeRows(list, form);
        EXPECT_EQ(text(r), expected) << "form " << form;
        EXPECT_EQ(r.lines, 2);
    }
    EXPECT_EQ(text(serializeRows(list, 6)), "<none>");  // not a form

    // Host forms cut the name to 259 bytes, even inside a double-byte character; the others keep it whole.
    list.clear();
    const std::string name = std::string(258, 'x') + "アイ";
    add(name, "t", "H");
    EXPECT_EQ(text(serializeRows(list, IgnoreForm)), std::string(258, 'x') + "\x83,,0,0,H,0,1,1\r\n");
    EXPECT_EQ(text(serializeRows(list, NameForm)), name + "\r\n");
}

TEST_F(SerializeTest, SelectionExclusionsAndDisplayOrderChooseTheLines) {
    test::FakeListView view;
    list.setView(&view);
    add("one", "", "H1");
    add("two", "", "H2");
    add("three", "", "H3");
    view.select({0, 2});
    list.syncSelectionFromView();
    EXPECT_EQ(text(serializeRows(list, NameForm | SelectedOnly)), "one\r\nthree\r\n");

    HashSet excluded;
    excluded.add("H3");
    excluded.add("H1x");  // whole hashes only, no prefixes
    excluded.add("H");
    SerializedRows r = serializeRows(list, DownloadForm | SelectedOnly, &excluded);
    EXPECT_EQ(text(r), "one,,0,0,H1,1\r\n");
    EXPECT_EQ(r.lines, 1);
    excluded.add("H1");
    r = serializeRows(list, DownloadForm | SelectedOnly, &excluded);
    EXPECT_EQ(r.block, nullptr);
    EXPECT_EQ(r.length, 0u);
    EXPECT_EQ(r.lines, 0);

    list.sort(kColHash);
    list.sort(kColHash);  // descending
    EXPECT_EQ(text(serializeRows(list, NameForm)), "three\r\ntwo\r\none\r\n");
    list.setView(nullptr);
}

TEST_F(SerializeTest, SavedListReadsBackWithTheSameRowsInTheSameOrder) {
    add("z", "t1", "H1", {"x", "", "z"});
    add("ア表", "t2", "H2");
    add("m", "t3", "H3", {"", ""});
    list.setAllMarks(true);
    list.entryAt(1)->selected = 1;
    // A cp932 file name, one of its characters ending in the byte of "\\".
    ASSERT_EQ(saveListFile(list, dir.path("保存表.txt")), 3);

    EntryList back(ListKind::Normal);
    ASSERT_EQ(readListFile(back, dir.path("保存表.txt")), 3);
    EXPECT_EQ(text(serializeRows(back, ListForm)), text(serializeRows(list, ListForm)));
    EXPECT_EQ(back.entryAt(2)->extraColumns(), (std::vector<std::string>{"", ""}));
    EXPECT_FALSE(back.entryAt(0)->isMarked());
    EXPECT_EQ(back.entryAt(1)->selected, 0);
}

TEST_F(SerializeTest, FailedSaveLeavesTheOldFileWhole) {
    const std::string old = "old row\tT\t1\tS\t1\tU\tV\tOLD\r\n";
    dir.write("list.txt", old);
    for (int i = 0; i < 50; ++i) add("row" + std::to_string(i), "t", ("H" + std::to_string(i)).c_str());

    injectFileWriteFailure(100);  // the disk fills up part way through
    EXPECT_EQ(saveListFile(list, dir.path("list.txt")), -1);
    injectFileWriteFailure(-1);
    EXPECT_EQ(dir.read("list.txt"), old);
    EXPECT_EQ(dir.listing(), "list.txt");  // no temporary file left behind
    EXPECT_EQ(saveListFile(list, dir.path("nofolder/list.txt")), -1);

    ASSERT_EQ(saveListFile(list, dir.path("list.txt")), 50);
    EXPECT_EQ(dir.read("list.txt"), std::string(serializeRows(list, ListForm).block.get()));
    // An empty list still leaves an empty file.
    list.clear();
    EXPECT_EQ(saveListFile(list, dir.path("list.txt")), 0);
    EXPECT_TRUE(dir.exists("list.txt"));
    EXPECT_EQ(dir.read("list.txt"), "");
}

}  // namespace
}  // namespace twk
