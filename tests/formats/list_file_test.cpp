#include "formats/list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/entry_list.h"
#include "formats/file_io.h"
#include "formats/text_buffer.h"
#include "support/fakes.h"
#include "support/temp_files.h"

namespace twk {
namespace {

// "name\ttrip\tsize\tstatus\tref\ttime\tver\thash" with the given name and hash.
std::string row(const std::string& name, const std::string& hash, const std::string& ver = "1.0") {
    return name + "\tT\t1,024\t完全キャッシュ\t3\t12/01 10:00\t" + ver + "\t" + hash;
}

std::vector<std::string> names(const EntryList& list) {
    std::vector<std::string> out;
    for (int p = 0; p < list.count(); ++p) out.push_back(list.entryAt(p)->name);
    return out;
}

void addRow(EntryList& list, const std::string& name, const std::string& hash) {
    const char* texts[8] = {name.c_str(), "T", "1", "S", "1", "U", "V", hash.c_str()};
    ASSERT_EQ(list.addTexts(8, texts, 0), 1);
}

TEST(SplitFields, KeepsFurtherTabsInTheLastField) {
    std::string text;
    for (int i = 1; i <= 20; ++i) text += (i > 1 ? "\t" : "") + std::to_string(i);
    std::vector<char> line(text.begin(), text.end());
    line.push_back(0);
    char* fields[19];
    ASSERT_EQ(splitFields(line.data(), fields, kListFileFields), 19);
    EXPECT_STREQ(fields[0], "1");
    EXPECT_STREQ(fields[17], "18");
    EXPECT_STREQ(fields[18], "19\t20");

    std::vector<char> pasted(text.begin(), text.end());
    pasted.push_back(0);
    ASSERT_EQ(splitFields(pasted.data(), fields, kPastedTextFields), 18);
    EXPECT_STREQ(fields[16], "17");
    EXPECT_STREQ(fields[17], "18\t19\t20");

    char trailing[] = "a\t\tb\t";
    ASSERT_EQ(splitFields(trailing, fields, kListFileFields), 4);
    EXPECT_STREQ(fields[1], "");
    EXPECT_STREQ(fields[3], "");
}

class ListFileTest : public ::testing::Test {
  protected:
    std::string file(const std::string& bytes) {
        dir.write("list.txt", bytes);
        return dir.path("list.txt");
    }
    test::TempFolder dir;
    EntryList list{ListKind::Normal};
};

TEST_F(ListFileTest, ReadsRowsOfEveryFormAndSkipsWhatIsNotARow) {
    const std::string text = row("eight", "H1") + "\r\n" +
                             "seven\tT\t1\tS\t5\tU\tH2\n" +      // older form: no version field
                             "\r\n\n" +                          // blank lines
                             "six\tT\t1\tS\t5\tH3\r" +           // too few fields
                             row("extra", "H4") + "\tc1\t\tc3";  // user columns, one of them empty
    int added = readListFile(list, file(text));
    EXPECT_EQ(added, 3);
    ASSERT_EQ(names(list), (std::vector<std::string>{"eight", "seven", "extra"}));
    const Entry& seven = *list.entryAt(1);
    EXPECT_STREQ(seven.ver, "");
    EXPECT_STREQ(seven.hash, "H2");
    EXPECT_STREQ(seven.updateTime, "U");
    EXPECT_STREQ(list.entryAt(0)->status, "完全キャッシュ");
    EXPECT_EQ(list.entryAt(2)->extraColumns, (std::vector<std::string>{"c1", "", "c3"}));
}

TEST_F(ListFileTest, TwentyValuesKeepTheRestInTheLastField) {
    std::string text = row("n", "H");
    for (int i = 9; i <= 20; ++i) text += "\t" + std::to_string(i);
    ASSERT_EQ(readListFile(list, file(text)), 1);
    const auto& extras = list.entryAt(0)->extraColumns;
    ASSERT_EQ(extras.size(), 11u);
    EXPECT_EQ(extras[9], "18");
    EXPECT_EQ(extras[10], "19\t20");
}

TEST_F(ListFileTest, LongLinesAreReadWhole) {
    // Names longer than a line buffer are kept and written whole, so they must come back whole: no cut row
    // and no stray second row made of the rest of the line.
    const std::string longName(5000, 'L');
    const std::string tail = "\tT\t1\tS\t5\tU\tV\tHX\tT\t1\tS\t5\tU\tV\tHY";  // would make a row on its own
    std::string text = row(longName + "a", "H1") + "\r\n" + longName + tail + "\r\n" + row("short", "H2");
    ASSERT_EQ(readListFile(list, file(text)), 3);
    EXPECT_EQ(list.entryAt(0)->name, longName + "a");
    EXPECT_EQ(list.entryAt(1)->name, longName);
    EXPECT_STREQ(list.entryAt(1)->hash, "HX");
    EXPECT_EQ(list.entryAt(2)->name, "short");
}

TEST_F(ListFileTest, PathAndModifiedFollowWhatTheListHeldBefore) {
    ASSERT_EQ(readListFile(list, file(row("a", "H1"))), 1);
    EXPECT_EQ(list.path(), dir.path("list.txt"));
    EXPECT_FALSE(list.modified());

    dir.write("second.txt", row("b", "H2"));
    ASSERT_EQ(readListFile(list, dir.path("second.txt")), 1);
    EXPECT_EQ(list.path(), dir.path("second.txt"));
    EXPECT_TRUE(list.modified());

    // A file with nothing usable still becomes the list's file.
    EntryList other(ListKind::Normal);
    dir.write("empty.txt", "");
    EXPECT_EQ(readListFile(other, dir.path("empty.txt")), 0);
    EXPECT_EQ(other.path(), dir.path("empty.txt"));
    EXPECT_FALSE(other.modified());
}

TEST_F(ListFileTest, FileThatCannotBeLoadedLeavesTheListAlone) {
    ASSERT_EQ(readListFile(list, file(row("a", "H1"))), 1);
    list.setModified(false);
    ListFileLoad load = loadListFile(list, dir.path("missing.txt"));
    EXPECT_EQ(load.status, FileReadStatus::NotFound);
    EXPECT_EQ(load.added, 0);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.path(), dir.path("list.txt"));
    EXPECT_FALSE(list.modified());
    EXPECT_EQ(loadListFile(list, dir.prefix()).status, FileReadStatus::CannotOpen);
    EXPECT_EQ(list.path(), dir.path("list.txt"));
}

TEST_F(ListFileTest, CountsOnlyRowsAddedAndPurgesTheListsThatUseIt) {
    EntryList ignore(ListKind::Ignore);
    EntryList filtered(ListKind::Normal);
    filtered.linkFilter(&ignore);
    addRow(filtered, "keep", "K");
    addRow(filtered, "gone", "G");
    addRow(ignore, "present", "P");

    // "P" merges into the present row and "G" is new: one row added, and "G" leaves the list that uses it.
    std::string text = row("dup", "P") + "\r\n" + row("g", "G") + "\r\n";
    EXPECT_EQ(readListFile(ignore, file(text)), 1);
    EXPECT_EQ(names(filtered), (std::vector<std::string>{"keep"}));
    EXPECT_TRUE(ignore.modified());

    // A list that uses the ignore list refuses its hashes when reading a file.
    EntryList fresh(ListKind::Normal);
    fresh.linkFilter(&ignore);
    EXPECT_EQ(readListFile(fresh, file(row("x", "G") + "\n" + row("y", "Y"))), 1);
    EXPECT_EQ(names(fresh), (std::vector<std::string>{"y"}));
}

TEST_F(ListFileTest, RowsGoIntoTheViewInOneBulkUpdate) {
    test::FakeListView view;
    list.setView(&view);
    ASSERT_EQ(readListFile(list, file(row("a", "H1") + "\n" + row("b", "H2"))), 2);
    EXPECT_EQ(view.itemCount(), 2);
    EXPECT_EQ(view.bulkBegins, 1);
    EXPECT_EQ(view.bulkDepth(), 0);
    list.setView(nullptr);
}

TEST(PastedText, EighteenFieldsAtMostAndNoOlderForm) {
    EntryList list(ListKind::Normal);
    std::string text = "seven\tT\t1\tS\t5\tU\tH2\r\n" + row("eight", "H1");
    for (int i = 9; i <= 20; ++i) text += "\t" + std::to_string(i);
    TextBuffer buffer;
    ASSERT_TRUE(buffer.loadText(text.data(), text.size()));
    EXPECT_EQ(addListLines(list, buffer, pastedTextRules(0)), 1);
    ASSERT_EQ(list.count(), 1);
    const auto& extras = list.entryAt(0)->extraColumns;
    ASSERT_EQ(extras.size(), 10u);
    EXPECT_EQ(extras[9], "18\t19\t20");
}

}  // namespace
}  // namespace twk
