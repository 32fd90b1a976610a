#include "formats/text_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formats/list_file.h"
#include "support/temp_files.h"

namespace twk {
namespace {

using Lines = std::vector<std::string>;

// The lines of a text through the copying reader with the given capacity, or (capacity 0) the in-place one.
Lines lines(const std::string& text, std::size_t capacity = 0) {
    TextBuffer buffer;
    EXPECT_TRUE(buffer.loadText(text.data(), text.size()));
    Lines out;
    std::size_t length = 0;
    std::vector<char> copy(capacity + 1);
    if (capacity == 0)
        while (char* line = buffer.nextLine(&length)) out.emplace_back(line, length);
    else
        while (buffer.readLine(copy.data(), capacity)) out.emplace_back(copy.data());
    return out;
}

TEST(TextBufferLines, EveryLineEndGivesTheSameLines) {
    const std::string texts[] = {"a\r\nbc\r\nd\r\n", "a\nbc\nd", "a\rbc\rd\r", "a\r\nbc\rd\n",
                                 std::string("a\0bc\0d", 6)};
    for (const std::string& text : texts) {
        EXPECT_EQ(lines(text, 780), (Lines{"a", "bc", "d"}));
        EXPECT_EQ(lines(text), (Lines{"a", "bc", "d"}));
    }
    // CR takes the LFs right after it along; LF alone does not.
    EXPECT_EQ(lines("a\r\n\n\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(lines("a\n\nb\r\rc"), (Lines{"a", "", "b", "", "c"}));
}

TEST(TextBufferLines, SecondByteOfADoubleByteCharacterIsNeverALineEnd) {
    const std::string text = std::string("x\x81\ny\n\x82\rz\r\n\x83\0w\n\x84", 15);
    EXPECT_EQ(lines(text), (Lines{std::string("x\x81\ny"), "\x82\rz", std::string("\x83\0w", 3), "\x84"}));
    // The copying reader takes the same bytes; the NUL inside the third line ends its copy.
    EXPECT_EQ(lines(text, 64), (Lines{"x\x81\ny", "\x82\rz", "\x83", "\x84"}));
}

TEST(TextBufferLines, CopiedLinesAreCutAtTheCapacityAndGoOnAsTheNextLine) {
    EXPECT_EQ(lines("aaaaaaaaaa\r\nb", 5), (Lines{"aaaa", "aaaa", "aa", "b"}));
    // A cut right after a lead byte splits the character: its second byte (0x41) starts the next line.
    EXPECT_EQ(lines("abcア", 5), (Lines{"abc\x83", "A"}));
    EXPECT_EQ(lines("abアd", 5), (Lines{"abア", "d"}));
    // In-place lines have no limit.
    const std::string longLine = std::string(100000, 'n') + "ア";
    EXPECT_EQ(lines(longLine + "\r\nshort"), (Lines{longLine, "short"}));
}

// Each line's fields, as "a|b|c"; the one-pass splitter (fused) or the line reader followed by splitFields.
Lines fieldsOf(const std::string& text, int maxFields, bool fused) {
    TextBuffer buffer;
    EXPECT_TRUE(buffer.loadText(text.data(), text.size()));
    Lines out;
    char* fields[20];
    std::size_t lengths[20];
    for (;;) {
        int n = 0;
        if (fused) {
            n = buffer.nextFields(fields, maxFields, lengths);
            for (int k = 0; k < n; ++k) EXPECT_EQ(lengths[k], std::strlen(fields[k]));
        } else {
            std::size_t length = 0;
            char* line = buffer.nextLine(&length);
            n = !line ? -1 : length == 0 ? 0 : splitFields(line, fields, maxFields);
        }
        if (n < 0) break;
        std::string joined;
        for (int k = 0; k < n; ++k) joined += (k ? "|" : "") + std::string(fields[k]);
        out.push_back(joined);
    }
    return out;
}

TEST(TextBufferLines, OnePassSplitGivesTheFieldsOfLineThenSplit) {
    const std::string texts[] = {
        "\tleading tab\tx\r\n\t\t\n",                                       // empty first fields
        "aaaaaaaaaaaaaaaa\tbbbbbbbbbbbbbbbbbbbb\tc\r\n\r\nd",               // tabs past whole words
        std::string("\x81\tafter a lead byte\t\x82\0kept\ttab\n\x83", 32),  // a tab or NUL as second byte
        "a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\tm\tn\to\tp\tq\tr\ts\tt\tu",    // more tabs than fields
        "ファイル\tトリップ\x01\x0B\x7F\xA0\xFD\t\xFF",                     // bytes that only look special
    };
    for (const std::string& text : texts)
        for (int maxFields : {1, 2, 19})
            EXPECT_EQ(fieldsOf(text, maxFields, true), fieldsOf(text, maxFields, false)) << text;
    // Random texts rich in tabs, line ends and lead bytes.
    std::mt19937 rng(19);
    const unsigned char alphabet[] = {'a', '\t', '\r', '\n', 0, 0x81, 0x9F, 0xE0, 0xA5, 'Z', ' ', 0x40};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int k = rng() % 200; k > 0; --k) text += static_cast<char>(alphabet[rng() % sizeof alphabet]);
        ASSERT_EQ(fieldsOf(text, 19, true), fieldsOf(text, 19, false));
    }
    EXPECT_EQ(fieldsOf("a\tb\n", 19, true), (Lines{"a|b"}));
    // Long lines mostly of lead bytes: characters and runs of lead bytes straddle the 64-byte blocks, and a
    // line end or NUL right after a block edge may be a second byte.
    const unsigned char leadRich[] = {0x81, 0x81, 0xE0, 0x9F, 0xFC, 'a', '\t', 0x81, 0xE0, 'b'};
    for (int round = 0; round < 400; ++round) {
        std::string text;
        for (int k = 100 + rng() % 1500; k > 0; --k) {
            const unsigned r = rng() % 100;
            text += static_cast<char>(r < 2   ? '\n'
                                      : r < 3 ? '\r'
                                      : r < 4 ? 0
                                              : leadRich[rng() % sizeof leadRich]);
        }
        for (int maxFields : {3, 19})
            ASSERT_EQ(fieldsOf(text, maxFields, true), fieldsOf(text, maxFields, false));
    }
}

// A file read a window at a time gives the very lines and fields of the whole text, whatever the window.
TEST(TextBufferLines, FilesReadInWindowsGiveTheSameFields) {
    test::TempFolder dir;
    std::mt19937 rng(23);
    const unsigned char alphabet[] = {'a', 'b', '\t', '\r', '\n', 0, 0x81, 0x9F, 0xE0, 0xA5, ' ', 0x40};
    for (int round = 0; round < 120; ++round) {
        std::string text;
        for (int k = rng() % 600; k > 0; --k) text += static_cast<char>(alphabet[rng() % sizeof alphabet]);
        if (round % 4 == 0) text += std::string(300, 'x');  // a line longer than small windows
        dir.write("t.txt", text);
        TextBuffer whole;
        ASSERT_TRUE(whole.loadText(text.data(), text.size()));
        std::vector<std::string> expected;
        char* fields[20];
        std::size_t lengths[20];
        for (int n; (n = whole.nextFields(fields, 19, lengths)) >= 0;) {
            std::string joined = std::to_string(n);
            for (int k = 0; k < n; ++k) joined += "|" + std::string(fields[k], lengths[k]);
            expected.push_back(joined);
        }
        for (std::size_t window : {1u, 2u, 7u, 64u, 65u, 66u, 130u, 100000u}) {
            TextBuffer streamed;
            ASSERT_EQ(streamed.openFile(dir.path("t.txt"), window), FileReadStatus::Ok);
            EXPECT_EQ(streamed.size(), text.size());
            std::vector<std::string> got;
            for (int n; (n = streamed.nextFields(fields, 19, lengths)) >= 0;) {
                std::string joined = std::to_string(n);
                for (int k = 0; k < n; ++k) {
                    ASSERT_EQ(lengths[k], std::strlen(fields[k]));
                    joined += "|" + std::string(fields[k], lengths[k]);
                }
                got.push_back(joined);
            }
            ASSERT_EQ(streamed.readStatus(), FileReadStatus::Ok);
            ASSERT_EQ(got, expected) << "window " << window << ", round " << round;
        }
    }
    TextBuffer none;
    EXPECT_EQ(none.openFile(dir.path("missing.txt")), FileReadStatus::NotFound);
    dir.write("empty.txt", "");
    ASSERT_EQ(none.openFile(dir.path("empty.txt")), FileReadStatus::Ok);
    char* fields[20];
    EXPECT_EQ(none.nextFields(fields, 19), -1);
}

TEST(TextBufferLines, NothingToReadGivesFalse) {
    TextBuffer buffer;
    char out[8];
    EXPECT_FALSE(buffer.readLine(out, sizeof out));
    EXPECT_EQ(buffer.nextLine(), nullptr);
    ASSERT_TRUE(buffer.loadText("abc", 3));
    EXPECT_FALSE(buffer.readLine(nullptr, 8));
    EXPECT_FALSE(buffer.readLine(out, 0));
    EXPECT_FALSE(buffer.readLine(out, 1));  // room for the NUL only
}

TEST(TextBufferFile, LoadsWholeFilesAndTellsWhyNot) {
    test::TempFolder dir;
    dir.write("list.txt", "one\r\ntwo");
    dir.write("empty.txt", "");
    TextBuffer buffer;
    ASSERT_EQ(buffer.loadFile(dir.path("list.txt")), FileReadStatus::Ok);
    EXPECT_EQ(buffer.size(), 8u);
    EXPECT_STREQ(buffer.nextLine(), "one");
    EXPECT_STREQ(buffer.nextLine(), "two");
    EXPECT_EQ(buffer.nextLine(), nullptr);
    ASSERT_EQ(buffer.loadFile(dir.path("empty.txt")), FileReadStatus::Ok);
    EXPECT_EQ(buffer.nextLine(), nullptr);
    EXPECT_EQ(buffer.loadFile(dir.path("missing.txt")), FileReadStatus::NotFound);
    EXPECT_FALSE(buffer.loaded());
    EXPECT_EQ(buffer.loadFile(dir.prefix()), FileReadStatus::CannotOpen);
}

}  // namespace
}  // namespace twk
