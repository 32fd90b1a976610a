#include "formats/list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "formats/read_ahead.h"
#include "formats/text_buffer.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

std::string row(const std::string& name, const std::string& hash) {
    return name + "\tT\t1,024\t完全キャッシュ\t3\t12/01 10:00\t1.0\t" + hash;
}

std::vector<std::string> names(const EntryList& list) {
    std::vector<std::string> out;
    for (int p = 0; p < list.count(); ++p) out.push_back(list.entryAt(p)->name().str());
    return out;
}

class ListFileTest : public ::testing::Test {
  protected:
    std::string file(const std::string& bytes, const std::string& name = "list.txt") {
        dir.write(name, bytes);
        return dir.path(name);
    }
    test::TempFolder dir;
    EntryList list{ListKind::Normal};
};

TEST_F(ListFileTest, ReadsEveryRowFormAndSkipsWhatIsNotARow) {
    std::string twenty = row("twenty", "H5");
    for (int i = 9; i <= 20; ++i) twenty += "\t" + std::to_string(i);
    const std::string text = row("eight", "H1") + "\r\n" +
                             "seven\tT\t1\tS\t5\tU\tH2\n" +        // older form without the version
                             "\r\n\n" + "six\tT\t1\tS\t5\tH3\r" +  // blank lines, too few fields
                             row("extra", "H4") + "\tc1\t\tc3\r\n" + twenty;
    EXPECT_EQ(readListFile(list, file(text)), 4);
    ASSERT_EQ(names(list), (std::vector<std::string>{"eight", "seven", "extra", "twenty"}));
    EXPECT_STREQ(list.entryAt(1)->ver(), "");
    EXPECT_STREQ(list.entryAt(1)->hash(), "H2");
    EXPECT_STREQ(list.entryAt(0)->status(), "完全キャッシュ");
    EXPECT_EQ(list.entryAt(2)->extraColumns(), (std::vector<std::string>{"c1", "", "c3"}));
    // Nineteen fields at most: the rest, TABs included, stays in the last one.
    ASSERT_EQ(list.entryAt(3)->extraColumns().size(), 11u);
    EXPECT_EQ(list.entryAt(3)->extraColumns()[10], "19\t20");

    // Pasted text: eighteen fields at most, and no older form.
    EntryList pasted(ListKind::Normal);
    const std::string paste = "seven\tT\t1\tS\t5\tU\tH2\r\n" + twenty;
    TextBuffer buffer;
    ASSERT_TRUE(buffer.loadText(paste.data(), paste.size()));
    EXPECT_EQ(addListLines(pasted, buffer, pastedTextRules(1)), 1);
    EXPECT_EQ(pasted.entryAt(0)->extraColumns().back(), "18\t19\t20");
}

TEST_F(ListFileTest, LongLinesAreReadWhole) {
    // Names of any length are kept and written, so they must come back whole: no cut row, no stray rows.
    const std::string longName(5000, 'L');
    std::string text = row(longName, "H1") + "\r\n" + row("short", "H2");
    ASSERT_EQ(readListFile(list, file(text)), 2);
    EXPECT_EQ(list.entryAt(0)->name(), longName);
    EXPECT_EQ(list.entryAt(1)->name(), "short");
}

TEST_F(ListFileTest, PathAndModifiedFollowWhatTheListHeldBefore) {
    test::FakeListView view;
    list.setView(&view);
    ASSERT_EQ(readListFile(list, file(row("a", "H1"))), 1);
    EXPECT_EQ(list.path(), dir.path("list.txt"));
    EXPECT_FALSE(list.modified());
    EXPECT_EQ(view.itemCount(), 1);
    EXPECT_EQ(view.bulkDepth(), 0);

    ASSERT_EQ(readListFile(list, file(row("b", "H2"), "second.txt")), 1);
    EXPECT_EQ(list.path(), dir.path("second.txt"));
    EXPECT_TRUE(list.modified());

    // A file that cannot be loaded leaves the rows, the path and the flag alone.
    list.setModified(false);
    ListFileLoad load = loadListFile(list, dir.path("missing.txt"));
    EXPECT_EQ(load.status, FileReadStatus::NotFound);
    EXPECT_EQ(load.added, 0);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.path(), dir.path("second.txt"));
    EXPECT_FALSE(list.modified());
    list.setView(nullptr);
}

// The file is read a window at a time into an empty list: a read that fails half way adds nothing at all.
TEST_F(ListFileTest, AReadThatFailsHalfWayLeavesTheListAsItWas) {
    // A small file is split on this thread; one of several windows on a second one.
    for (int rows : {20000, 160000}) {
        SCOPED_TRACE(rows);
        std::string text;
        for (int i = 0; i < rows; ++i)
            text += row("row" + std::to_string(i), "H" + std::to_string(i)) + "\r\n";
        ASSERT_EQ(rows > 20000, text.size() >= ReadAheadLines::kThreadedFromWindows * TextBuffer::kWindow);
        const std::string path = file(text);
        EntryList target(ListKind::Normal);
        EntryList dependent(ListKind::Normal);
        dependent.linkFilter(&target);
        const char* texts[8] = {"d", "", "", "", "", "", "", "H7"};
        dependent.addTexts(8, texts, 0);

        injectFileReadFailure(static_cast<long long>(text.size() / 2));
        ListFileLoad load = loadListFile(target, path);
        injectFileReadFailure(-1);
        EXPECT_EQ(load.status, FileReadStatus::ShortRead);
        EXPECT_EQ(load.added, 0);
        EXPECT_EQ(target.count(), 0);
        EXPECT_EQ(target.path(), "");
        EXPECT_FALSE(dependent.purgePending()) << "no hash of the file marked the rows of lists that use it";

        // Read whole, the same file gives every row, in the file's order.
        EXPECT_EQ(loadListFile(target, path).added, rows);
        const std::string last = "row" + std::to_string(rows - 1);
        ASSERT_EQ(target.count(), rows);
        EXPECT_EQ(target.entryAt(rows - 1)->name(), last);
        for (int p = 0; p < rows; p += 997) ASSERT_EQ(target.entryAt(p)->name(), "row" + std::to_string(p));
        EXPECT_EQ(dependent.count(), 0) << "the row of a hash in the file was purged";
        target.clear();
    }
}

TEST_F(ListFileTest, CountsOnlyRowsAddedAndPurgesTheListsThatUseIt) {
    EntryList ignore(ListKind::Ignore);
    list.linkFilter(&ignore);
    const char* keep[8] = {"keep", "", "", "", "", "", "", "K"};
    const char* gone[8] = {"gone", "", "", "", "", "", "", "G"};
    const char* present[8] = {"present", "", "", "", "1", "", "", "P"};
    list.addTexts(8, keep, 0);
    list.addTexts(8, gone, 0);
    ignore.addTexts(8, present, 0);

    // "P" merges into the present row; "G" is new and leaves the list that uses the ignore list.
    EXPECT_EQ(readListFile(ignore, file(row("dup", "P") + "\r\n" + row("g", "G"))), 1);
    EXPECT_EQ(names(list), (std::vector<std::string>{"keep"}));
    // And it is refused when that list reads a file.
    EXPECT_EQ(readListFile(list, file(row("x", "G") + "\n" + row("y", "Y"))), 1);
    EXPECT_EQ(names(list), (std::vector<std::string>{"keep", "y"}));
}

}  // namespace
}  // namespace twk
