#include "formats/text_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_files.h"

namespace twk {
namespace {

std::vector<std::string> copiedLines(const std::string& text, std::size_t capacity) {
    TextBuffer buffer;
    EXPECT_TRUE(buffer.loadText(text.data(), text.size()));
    std::vector<std::string> lines;
    std::vector<char> out(capacity + 8, 'X');
    while (buffer.readLine(out.data(), capacity)) {
        std::string line(out.data());
        EXPECT_LT(line.size(), capacity);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> wholeLines(const std::string& text) {
    TextBuffer buffer;
    EXPECT_TRUE(buffer.loadText(text.data(), text.size()));
    std::vector<std::string> lines;
    std::size_t length = 0;
    while (char* line = buffer.nextLine(&length)) lines.push_back(std::string(line, length));
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextBufferLines, EveryLineEndGivesTheSameLines) {
    const Lines expected{"a", "bc", "d"};
    const std::string texts[] = {"a\r\nbc\r\nd\r\n", "a\nbc\nd", "a\rbc\rd\r", "a\r\nbc\rd\n",
                                 std::string("a\0bc\0d", 6)};
    for (const std::string& text : texts) {
        EXPECT_EQ(copiedLines(text, 780), expected) << text;
        EXPECT_EQ(wholeLines(text), expected) << text;
    }
}

TEST(TextBufferLines, CrSwallowsTheLfsAfterItButLfDoesNot) {
    EXPECT_EQ(wholeLines("a\r\n\n\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(wholeLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(wholeLines("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(copiedLines("a\n\r\nb", 16), (Lines{"a", "", "b"}));
}

TEST(TextBufferLines, SecondByteOfADoubleByteCharacterIsNeverALineEnd) {
    // A lead byte takes the next byte along, whatever it is.
    const std::string text = std::string("x\x81\ny\n\x82\rz\r\n\x83", 11) + std::string(1, '\0') + "w";
    const Lines expected{std::string("x\x81\ny", 4), std::string("\x82\rz", 3), std::string("\x83\0w", 3)};
    EXPECT_EQ(wholeLines(text), expected);
    // The copying reader delivers the same bytes; the embedded NUL ends the copied text.
    EXPECT_EQ(copiedLines(text, 64), (Lines{expected[0], expected[1], "\x83"}));
}

TEST(TextBufferLines, LeadByteAtTheEndOfTheTextStaysInside) {
    EXPECT_EQ(wholeLines("ab\x82"), (Lines{"ab\x82"}));
    EXPECT_EQ(copiedLines("ab\x82", 780), (Lines{"ab\x82"}));
}

TEST(TextBufferLines, LongLineIsCutAtTheCapacityAndContinuesAsTheNextLine) {
    std::string text = std::string(10, 'a') + "\r\n" + "b";
    EXPECT_EQ(copiedLines(text, 5), (Lines{"aaaa", "aaaa", "aa", "b"}));
    // A cut right after a lead byte splits the character; its second byte starts the next line.
    EXPECT_EQ(copiedLines("abcア", 5), (Lines{"abc\x83", "\x41"}));
    EXPECT_EQ(copiedLines("abアd", 5), (Lines{"abア", "d"}));
}

TEST(TextBufferLines, WholeLinesHaveNoLengthLimit) {
    std::string longLine(100000, 'n');
    longLine += "ア";
    EXPECT_EQ(wholeLines(longLine + "\r\nshort\r\n"), (Lines{longLine, "short"}));
}

TEST(TextBufferLines, NothingToReadGivesFalse) {
    TextBuffer empty;
    char out[8];
    EXPECT_FALSE(empty.readLine(out, sizeof out));
    EXPECT_EQ(empty.nextLine(), nullptr);
    TextBuffer text;
    ASSERT_TRUE(text.loadText("abc", 3));
    EXPECT_FALSE(text.readLine(nullptr, 8));
    EXPECT_FALSE(text.readLine(out, 0));
    EXPECT_FALSE(text.readLine(out, 1));  // room for the NUL only: nothing can be taken
    EXPECT_TRUE(text.readLine(out, 2));
    EXPECT_STREQ(out, "a");
}

TEST(TextBufferFile, LoadsWholeFilesAndRefusesWhatItCannotRead) {
    test::TempFolder dir;
    dir.write("list.txt", "one\r\ntwo\r\n");
    dir.write("empty.txt", "");

    TextBuffer buffer;
    ASSERT_EQ(buffer.loadFile(dir.path("list.txt")), FileReadStatus::Ok);
    EXPECT_EQ(buffer.size(), 10u);
    EXPECT_EQ(buffer.path(), dir.path("list.txt"));
    EXPECT_STREQ(buffer.nextLine(), "one");
    EXPECT_STREQ(buffer.nextLine(), "two");
    EXPECT_EQ(buffer.nextLine(), nullptr);

    ASSERT_EQ(buffer.loadFile(dir.path("empty.txt")), FileReadStatus::Ok);
    EXPECT_TRUE(buffer.loaded());
    EXPECT_EQ(buffer.nextLine(), nullptr);

    EXPECT_EQ(buffer.loadFile(dir.path("missing.txt")), FileReadStatus::NotFound);
    EXPECT_FALSE(buffer.loaded());
    EXPECT_EQ(buffer.loadFile(dir.path("nofolder/x.txt")), FileReadStatus::NotFound);
    EXPECT_EQ(buffer.loadFile(dir.prefix()), FileReadStatus::CannotOpen);
}

}  // namespace
}  // namespace twk
