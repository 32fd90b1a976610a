#include "routing/fixed_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "routing/routing_fakes.h"
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

// The lists of one run of the program.
struct ProgramRun {
    ProgramRun() {
        tabs.add("新規リスト01", &normal);
        tabs.add("無視リスト", &ignore);
        tabs.add("BBSリスト", &bbs);
        tabs.add("設定", nullptr);
        normal.linkFilter(&ignore);
        bbs.linkFilter(&ignore);
    }
    EntryList normal{ListKind::Normal};
    EntryList ignore{ListKind::Ignore};
    EntryList bbs{ListKind::Bbs};
    test::FakeTabs tabs;
};

class FixedListsTest : public ::testing::Test {
  protected:
    test::TempFolder dir;
    FixedListFiles files{dir.prefix()};
};

TEST_F(FixedListsTest, MissingFilesLoadEmptyAndEmptyListsLeaveEmptyFiles) {
    ProgramRun run;
    EXPECT_EQ(files.loadAll(run.tabs), 0);
    EXPECT_FALSE(files.loadFailed(ListKind::Ignore));
    EXPECT_EQ(files.saveAll(run.tabs), 2);
    EXPECT_EQ(dir.listing(), "BbsList.txt IgnoreList.txt");
    EXPECT_EQ(dir.read(kIgnoreListFileName), "");
}

TEST_F(FixedListsTest, RowsComeBackInOrderAndTheIgnoreListKeepsHashesOut) {
    {
        ProgramRun first;
        add(first.bbs, "thread b", "B2");
        add(first.bbs, "thread a", "B1");
        add(first.ignore, "unwanted", "X");
        ASSERT_EQ(files.saveAll(first.tabs), 2);
    }
    EXPECT_EQ(dir.read(kBbsListFileName), line("thread b", "B2") + line("thread a", "B1"));

    ProgramRun next;
    add(next.normal, "collected early", "X");
    add(next.bbs, "stale", "S");
    EXPECT_EQ(files.loadAll(next.tabs), 3);
    EXPECT_EQ(next.normal.count(), 0);  // purged by the ignore list's load
    ASSERT_EQ(next.bbs.count(), 2);     // emptied first
    EXPECT_EQ(next.bbs.entryAt(0)->name(), "thread b");
    EXPECT_EQ(next.bbs.path(), dir.path(kBbsListFileName));
    EXPECT_FALSE(next.bbs.modified());
    add(next.normal, "again", "X");
    EXPECT_EQ(next.normal.count(), 0);
}

TEST_F(FixedListsTest, FileThatExistsButCannotBeLoadedIsNotOverwritten) {
    // An ignore list grown past the size the program reads.
    dir.write(kIgnoreListFileName, line("kept", "K"));
    std::filesystem::resize_file(dir.path(kIgnoreListFileName), kMaxTextFileSize + 1);
    dir.write(kBbsListFileName, line("thread", "T"));
    ProgramRun run;
    files.loadAll(run.tabs);
    EXPECT_TRUE(files.loadFailed(ListKind::Ignore));
    EXPECT_FALSE(files.loadFailed(ListKind::Bbs));
    EXPECT_EQ(run.ignore.path(), "");

    add(run.ignore, "new this run", "N");
    add(run.bbs, "another", "A");
    EXPECT_EQ(files.saveAll(run.tabs), 1);
    EXPECT_EQ(std::filesystem::file_size(dir.path(kIgnoreListFileName)), kMaxTextFileSize + 1);
    EXPECT_EQ(dir.read(kBbsListFileName), line("thread", "T") + line("another", "A"));

    // Once the file can be read again, both are saved as usual.
    dir.write(kIgnoreListFileName, line("kept", "K"));
    files.loadAll(run.tabs);
    EXPECT_EQ(files.saveAll(run.tabs), 2);
}

}  // namespace
}  // namespace twk
