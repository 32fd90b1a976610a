#include "formats/read_ahead.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "formats/text_buffer.h"
#include "support/temp_files.h"

namespace twk {
namespace {

using Lines = std::vector<std::string>;

// Every line as "n|field|field...", from any reader with nextFields.
template <class Reader>
Lines linesOf(Reader& reader, int maxFields, std::size_t limit = static_cast<std::size_t>(-1)) {
    Lines out;
    char* fields[20];
    std::size_t lengths[20];
    for (int n; out.size() < limit && (n = reader.nextFields(fields, maxFields, lengths)) >= 0;) {
        std::string joined = std::to_string(n);
        for (int k = 0; k < n; ++k) joined += "|" + std::string(fields[k], lengths[k]);
        out.push_back(joined);
    }
    return out;
}

Lines expectedLines(const std::string& text, int maxFields) {
    TextBuffer whole;
    EXPECT_TRUE(whole.loadText(text.data(), text.size()));
    return linesOf(whole, maxFields);
}

std::string randomText(std::mt19937& rng, int round) {
    const unsigned char alphabet[] = {'a', 'b', '\t', '\t', '\r', '\n', 0, 0x81, 0x9F, 0xE0, 0xA5, ' ', 0x40};
    std::string text;
    for (int k = 200 + rng() % 3000; k > 0; --k) text += static_cast<char>(alphabet[rng() % sizeof alphabet]);
    if (round % 3 == 0)
        text += std::string(700, 'x') + "\t" + std::string(300, '\x81');  // longer than a window
    if (round % 5 == 0) text += "\r";                                     // a CR as the very last byte
    return text;
}

TEST(ReadAheadLines, GiveTheLinesOfTheWholeTextWhateverTheWindow) {
    test::TempFolder dir;
    std::mt19937 rng(41);
    for (int round = 0; round < 60; ++round) {
        const std::string text = randomText(rng, round);
        dir.write("t.txt", text);
        for (int maxFields : {3, 19}) {
            const Lines expected = expectedLines(text, maxFields);
            for (std::size_t window : {1u, 7u, 64u, 65u, 130u, 512u}) {
                ReadAheadLines lines;
                ASSERT_EQ(lines.open(dir.path("t.txt"), maxFields, window), FileReadStatus::Ok);
                // A text of several windows is split on a second thread.
                ASSERT_EQ(lines.threaded(), text.size() / window >= ReadAheadLines::kThreadedFromWindows);
                EXPECT_EQ(lines.size(), text.size());
                ASSERT_EQ(linesOf(lines, maxFields), expected) << "round " << round << ", window " << window;
                EXPECT_EQ(lines.readStatus(), FileReadStatus::Ok);
            }
        }
    }
}

TEST(ReadAheadLines, SmallFilesAreSplitOnTheCallersThread) {
    test::TempFolder dir;
    const std::string text = "a\tb\nc\td\te\r\n";
    dir.write("t.txt", text);
    ReadAheadLines lines;
    ASSERT_EQ(lines.open(dir.path("t.txt"), 19), FileReadStatus::Ok);
    EXPECT_FALSE(lines.threaded());
    EXPECT_EQ(linesOf(lines, 19), (Lines{"2|a|b", "3|c|d|e"}));

    ReadAheadLines missing;
    EXPECT_EQ(missing.open(dir.path("missing.txt"), 19), FileReadStatus::NotFound);
    EXPECT_FALSE(missing.threaded());
}

TEST(ReadAheadLines, AFailedReadEndsTheLinesAndSaysWhy) {
    test::TempFolder dir;
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line" + std::to_string(i) + "\tfield\n";
    dir.write("t.txt", text);
    const Lines expected = expectedLines(text, 19);
    injectFileReadFailure(static_cast<long long>(text.size() / 2));
    ReadAheadLines lines;
    const FileReadStatus opened = lines.open(dir.path("t.txt"), 19, 4096);
    const Lines got = linesOf(lines, 19);
    injectFileReadFailure(-1);
    ASSERT_EQ(opened, FileReadStatus::Ok);
    EXPECT_TRUE(lines.threaded());
    EXPECT_EQ(lines.readStatus(), FileReadStatus::ShortRead);
    ASSERT_LT(got.size(), expected.size());
    EXPECT_EQ(got, Lines(expected.begin(), expected.begin() + got.size())) << "the lines before are whole";
}

TEST(ReadAheadLines, CanBeLeftBeforeTheEnd) {
    // The reading thread may be waiting for a free window or still reading: either way it stops.
    test::TempFolder dir;
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line" + std::to_string(i) + "\n";
    dir.write("t.txt", text);
    for (std::size_t taken : {0u, 1u, 3u, 500u}) {
        ReadAheadLines lines;
        ASSERT_EQ(lines.open(dir.path("t.txt"), 19, 256), FileReadStatus::Ok);
        EXPECT_EQ(linesOf(lines, 19, taken).size(), taken);
    }
}

}  // namespace
}  // namespace twk
