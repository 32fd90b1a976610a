#include "core/text.h"

#include <gtest/gtest.h>

#include "core/utf16_text.h"

namespace twk {
namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(LeadByte, Cp932Ranges) {
    EXPECT_FALSE(isLeadByte(static_cast<unsigned char>(0x80)));
    EXPECT_TRUE(isLeadByte(static_cast<unsigned char>(0x81)));
    EXPECT_TRUE(isLeadByte(static_cast<unsigned char>(0x9F)));
    EXPECT_FALSE(isLeadByte(static_cast<unsigned char>(0xA0)));  // half-width kana are single bytes
    EXPECT_FALSE(isLeadByte(static_cast<unsigned char>(0xDF)));
    EXPECT_TRUE(isLeadByte(static_cast<unsigned char>(0xE0)));
    EXPECT_TRUE(isLeadByte(static_cast<unsigned char>(0xFC)));
    EXPECT_FALSE(isLeadByte(static_cast<unsigned char>(0xFD)));
    EXPECT_TRUE(isLeadByte("表"[0]));
}

// A text that does not fit its cell ends in an ellipsis after the whole characters that fit beside it.
TEST(CopyCut, CutsByBytes) {
    char buf[4];
    copyCut(buf, sizeof buf, "abcdef");
    EXPECT_STREQ(buf, "abc");
    copyCut(buf, sizeof buf, "");
    EXPECT_STREQ(buf, "");
}

// Bytes that are no cp932 character convert as the system's code page 932 converts them (this runs against
// the system in the Windows build).
TEST(Utf16FromCp932, ConvertsBytesThatAreNoCharacterAsTheSystemDoes) {
    const struct {
        std::string bytes;
        std::u16string units;
    } cases[] = {
        {"表\x81\x40", u"表\u3000"},
        {"\x85\x40!", u"\u30FB!"},  // a pair that is no character
        {"\xFC\xFC!", u"\u30FB!"},
        {"\x81\x20!", u"\u30FB!"},  // a lead byte takes any byte with it
        {"\x81\xFF!", u"\u30FB!"},
        {std::string("\x81\0A", 3), std::u16string(u"\u30FB\0A", 3)},  // but a NUL
        {"A\x81", u"A\u30FB"},
        {"\x80\xA0\xFD\xFE\xFF", u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(utf16FromCp932(c.bytes) == c.units) << testing::PrintToString(c.bytes);
}

// Pairs whose order was read off the system comparison with the Japanese locale.
TEST(EmulatedComparer, FollowsTheSystemOrder) {
    EmulatedComparer c;
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"a", "A", -1},
        {"A", "b", -1},
        {"Ab", "aB", 1},
        {"aB", "Ab", -1},
        {"abc", "ABD", -1},
        {"co-op", "coop", 1},
        {"co-op", "cop", -1},
        {"a-b", "ab-", 1},
        {"-ab", "a-b", 1},
        {"ab'", "a-b", -1},
        {"a--b", "a-b", 1},
        {"a-", "a'", 1},
        {"'a", "a'", 1},
        {"a-", "-a", -1},
        {"A-b", "a-B", 1},
        {"a b", "ab", -1},
        {"10", "9", -1},
        {"1", "a", -1},
        {"!", "0", -1},
        {"~", "\\", -1},
        {"\\", "+", -1},
        {" ", "!", -1},
        {"\x01"
         "a",
         "a", 1},
        {"\x7f", "\x01", 1},
        {"", "", 0},
        {"", "-", -1},
        {"ABC", "ABC", 0},
    };
    for (const Case& k : cases) EXPECT_EQ(sign(c.compare(k.a, k.b)), k.expected) << k.a << " vs " << k.b;
}

TEST(EmulatedComparer, IsAntisymmetricOnSamples) {
    EmulatedComparer c;
    const char* texts[] = {"",   "a",   "A",   "-", "a-", "-a", "ab", "aB",
                           "Ab", "a'b", "a-b", "0", "~",  "\\", "ア"};
    for (const char* a : texts)
        for (const char* b : texts) EXPECT_EQ(sign(c.compare(a, b)), -sign(c.compare(b, a))) << a << " " << b;
}

TEST(EmulatedComparer, SortKeyPrefixesNeverContradictTheComparison) {
    const std::string alphabet = "aAbBzZ09 -'!~\\+\x01\x7f\x81\xa0\xfc";
    EmulatedComparer c;
    unsigned seed = 5;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
    for (int i = 0; i < 50000; ++i) {
        std::string a, b;
        for (int k = 0, n = next() % 20; k < n; ++k) a += alphabet[next() % alphabet.size()];
        // Every other pair shares a beginning, so that the second windows get to decide too.
        if (i % 2) b = a.substr(0, next() % (a.size() + 1));
        for (int k = 0, n = next() % 8; k < n; ++k) b += alphabet[next() % alphabet.size()];
        uint64_t ka = c.sortKeyPrefix(a.c_str()), kb = c.sortKeyPrefix(b.c_str());
        if (ka == kb) {
            // Equal prefixes: the second windows decide in their turn.
            ka = c.sortKeySecond(a.c_str());
            kb = c.sortKeySecond(b.c_str());
        }
        if (ka < kb) {
            ASSERT_LT(c.compare(a.c_str(), b.c_str()), 0) << a << " / " << b;
        }
        if (kb < ka) {
            ASSERT_GT(c.compare(a.c_str(), b.c_str()), 0) << a << " / " << b;
        }
    }
}

}  // namespace
}  // namespace twk
