#include "routing/fixed_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "routing/routing_fakes.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

std::string line(const std::string& name, const std::string& hash) {
    return name + "\tT\t1\tS\t1\tU\tV\t" + hash + "\r\n";
}

void add(EntryList& list, const char* name, const char* hash) {
    const char* texts[8] = {name, "T", "1", "S", "1", "U", "V", hash};
    list.addTexts(8, texts, 0);
}

class FixedListsTest : public ::testing::Test {
  protected:
    FixedListsTest() : files(dir.prefix()) {
        tabs.add("新規リスト01", &normal);
        tabs.add("無視リスト", &ignore);
        tabs.add("BBSリスト", &bbs);
        tabs.add("設定", nullptr);
        normal.linkFilter(&ignore);
        bbs.linkFilter(&ignore);
    }
    test::TempFolder dir;
    FixedListFiles files;
    EntryList normal{ListKind::Normal};
    EntryList ignore{ListKind::Ignore};
    EntryList bbs{ListKind::Bbs};
    test::FakeTabs tabs;
};

TEST_F(FixedListsTest, EndingWithEmptyListsLeavesEmptyFilesAndMissingFilesLoadEmpty) {
    EXPECT_EQ(files.loadAll(tabs), 0);
    EXPECT_FALSE(files.loadFailed(ListKind::Ignore));
    EXPECT_FALSE(files.loadFailed(ListKind::Bbs));
    EXPECT_EQ(ignore.count(), 0);
    EXPECT_EQ(files.saveAll(tabs), 2);
    EXPECT_EQ(dir.listing(), "BbsList.txt IgnoreList.txt");
    EXPECT_EQ(dir.read(kIgnoreListFileName), "");
    EXPECT_EQ(dir.read(kBbsListFileName), "");
}

TEST_F(FixedListsTest, RowsComeBackInOrderAndTheIgnoreListKeepsHashesOut) {
    add(bbs, "thread b", "B2");
    add(bbs, "thread a", "B1");
    add(ignore, "unwanted", "X");
    ASSERT_EQ(files.saveAll(tabs), 2);
    EXPECT_EQ(dir.read(kBbsListFileName), line("thread b", "B2") + line("thread a", "B1"));

    // The next start.
    EntryList normal2(ListKind::Normal), ignore2(ListKind::Ignore), bbs2(ListKind::Bbs);
    normal2.linkFilter(&ignore2);
    bbs2.linkFilter(&ignore2);
    add(normal2, "collected early", "X");
    test::FakeTabs tabs2;
    tabs2.add("新規リスト01", &normal2);
    tabs2.add("無視リスト", &ignore2);
    tabs2.add("BBSリスト", &bbs2);
    EXPECT_EQ(files.loadAll(tabs2), 3);
    EXPECT_EQ(normal2.count(), 0);  // purged by the ignore list's load
    ASSERT_EQ(bbs2.count(), 2);
    EXPECT_EQ(bbs2.entryAt(0)->name, "thread b");
    EXPECT_EQ(bbs2.path(), dir.path(kBbsListFileName));
    EXPECT_FALSE(bbs2.modified());
    EXPECT_FALSE(ignore2.modified());
    const char* texts[8] = {"again", "", "", "", "", "", "", "X"};
    EXPECT_EQ(normal2.addTexts(8, texts, 0), 0);
}

TEST_F(FixedListsTest, LoadEmptiesTheListAndItsView) {
    test::FakeListView view;
    bbs.setView(&view);
    add(bbs, "stale", "S");
    dir.write(kBbsListFileName, line("fresh", "F"));
    files.loadAll(tabs);
    ASSERT_EQ(bbs.count(), 1);
    EXPECT_EQ(bbs.entryAt(0)->name, "fresh");
    EXPECT_EQ(view.itemCount(), 1);
    bbs.setView(nullptr);
}

TEST_F(FixedListsTest, FileThatExistsButCannotBeLoadedIsNotOverwritten) {
    // An ignore list grown past the size the program reads.
    {
        std::string big = line("kept", "K");
        dir.write(kIgnoreListFileName, big);
        std::filesystem::resize_file(dir.path(kIgnoreListFileName), kMaxTextFileSize + 1);
    }
    dir.write(kBbsListFileName, line("thread", "T"));
    files.loadAll(tabs);
    EXPECT_TRUE(files.loadFailed(ListKind::Ignore));
    EXPECT_FALSE(files.loadFailed(ListKind::Bbs));
    EXPECT_EQ(ignore.count(), 0);
    EXPECT_EQ(ignore.path(), "");

    add(ignore, "new this run", "N");
    add(bbs, "another", "A");
    EXPECT_EQ(files.saveAll(tabs), 1);
    EXPECT_EQ(std::filesystem::file_size(dir.path(kIgnoreListFileName)), kMaxTextFileSize + 1);
    EXPECT_EQ(dir.read(kBbsListFileName), line("thread", "T") + line("another", "A"));

    // Once the file can be read again, the lists are saved as usual.
    dir.write(kIgnoreListFileName, line("kept", "K"));
    files.loadAll(tabs);
    EXPECT_FALSE(files.loadFailed(ListKind::Ignore));
    EXPECT_EQ(files.saveAll(tabs), 2);
}

TEST_F(FixedListsTest, NoListOfTheKindSkipsItsFile) {
    test::FakeTabs onlyNormal;
    onlyNormal.add("新規リスト01", &normal);
    dir.write(kIgnoreListFileName, line("x", "X"));
    EXPECT_EQ(files.loadAll(onlyNormal), 0);
    EXPECT_EQ(files.saveAll(onlyNormal), 0);
    EXPECT_EQ(dir.read(kIgnoreListFileName), line("x", "X"));
    EXPECT_EQ(files.pathOf(ListKind::Normal), "");
}

}  // namespace
}  // namespace twk
