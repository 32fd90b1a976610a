#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "core/entry.h"
#include "core/text.h"
#include "match/condition.h"

namespace twk {
namespace {

struct Case {
    const char* condition;
    const char* name;
    const char* trip;
    const char* size;
    const char* refAmount;
    const char* ver;
    const char* hash;
    bool expected;
};

TEST(ConditionMatch, EntryAndRawRecordGiveTheExpectedAnswer) {
    const Case cases[] = {
        {"abc", "xABCy", "", "1", "1", "1", "H", true},
        {"ＡＢＣ", "ａｂｃ", "", "1", "1", "1", "H", false},  // double-byte letters are not folded
        {"ｱｲ", "aｱｲ", "", "1", "1", "1", "H", true},
        {"abc", "", "abc", "1", "1", "1", "abc", false},  // an empty name contains nothing
        // ア イ ウ are 0x83 0x41 / 0x43 / 0x45, ソ is 0x83 0x5C: no match starts on a second byte.
        {"a", "ア", "", "1", "1", "1", "H", false},
        {"c", "zzzzzzzzzzzzzzzzzzzzzzzzアイウ", "", "1", "1", "1", "H", false},
        {"e", "アイウzzzzzzzzzzzzzzzzzzzzzzzE", "", "1", "1", "1", "H", true},
        {"#\\\\x", "ソx", "", "1", "1", "1", "H", false},
        {"#\\\\x", "ソ\\x", "", "1", "1", "1", "H", true},
        // An escaped lead byte takes its second byte with it: "\ソ" is ソ, whose second byte (a "\") escapes
        // nothing, so that "|z" stays an alternative.
        {"\\ソ|z", "z", "", "1", "1", "1", "H", true},
        {"\\ソ|z", "xソ", "", "1", "1", "1", "H", true},
        {"\\ア", "Aア", "", "1", "1", "1", "H", true},
        {"\\ア", "A", "", "1", "1", "1", "H", false},
        {"$abc", "n", "xABCx", "1", "1", "1", "H", true},
        {"%0a1b", "n", "t", "1", "1", "1", "FF0A1B22", true},
        {"#$ABC", "$ABC file", "ABC", "1", "1", "1", "H", true},
        {">100M", "n", "", "123,456,789", "1", "1", "H", true},
        {">100M", "n", "", "99,999,999", "1", "1", "H", false},
        {"<0", "n", "", "", "1", "1", "H", true},  // no digits: smaller than any number
        {"=0K", "n", "", "0", "1", "1", "H", true},
        {"<0K", "n", "", "0", "1", "1", "H", false},
        {"?", "n", "", "1", "?", "1", "H", true},
        {"?", "n", "", "1", "  ?", "1", "H", true},
        {"?", "n", "", "1", "12", "1", "H", false},
        {")10", "n", "", "1", "12", "1", "H", true},
        {"(10", "n", "", "1", "?", "1", "H", true},
        {"(2001", "n", "", "1", "x 2,000", "1", "H", true},  // leading non-digits are skipped
        {"!1.0", "n", "", "1", "1", "1.0", "H", true},
        {"!1", "n", "", "1", "1", "1.0", "H", false},
        // Left to right without precedence.
        {"mp3 | avi - sample", "x.AVI", "", "1", "1", "1", "H", true},
        {"mp3 | avi - sample", "sample.mp3", "", "1", "1", "1", "H", false},
        {"a|b&c", "a", "", "1", "1", "1", "H", false},
        {"a|b&c", "bc", "", "1", "1", "1", "H", true},
        {"a - b", "ab", "", "1", "1", "1", "H", false},
        {"x&a|a", "a", "", "1", "1", "1", "H", true},
    };
    for (const Case& c : cases) {
        const char* texts[8] = {c.name, c.trip, c.size, "status", c.refAmount, "Jan 01 10:00", c.ver, c.hash};
        EntryPtr entry = makeEntry(texts, 8);
        RawRecord raw;
        std::memset(&raw, 0, sizeof raw);
        for (int i = 0; i < 8; ++i) copyCut(raw.field(i), RawRecord::capacity(i), texts[i]);
        ConditionTerms terms;
        ASSERT_TRUE(parseConditionText(c.condition, terms)) << c.condition;
        EXPECT_EQ(evaluateTerms(terms, *entry), c.expected) << c.condition << " on " << c.name;
        EXPECT_EQ(evaluateTerms(terms, raw), c.expected) << c.condition << " on " << c.name;
    }
}

// Straightforward reading of the substring test, the reference for the block-filtered scan.
bool referenceContains(const std::string& field, const std::string& key) {
    auto up = [](unsigned char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
    std::size_t n = field.size();
    for (std::size_t pos = 0; pos < n; pos += (isLeadByte(field[pos]) && pos + 1 < n) ? 2 : 1) {
        std::size_t i = 0, f = pos;
        bool ok = true;
        while (i < key.size() && ok) {
            bool pair = isLeadByte(key[i]) && i + 1 < key.size();
            if (pair)
                ok = f + 1 < n && field[f] == key[i] && field[f + 1] == key[i + 1];
            else
                ok = f < n && up(static_cast<unsigned char>(field[f])) == static_cast<unsigned char>(key[i]);
            i += pair ? 2 : 1;
            f += pair ? 2 : 1;
        }
        if (ok) return true;
    }
    return false;
}

TEST(ConditionMatch, BlockScanAgreesWithTheReferenceOnRandomText) {
    const unsigned char alphabet[] = {'a', 'A', 'b', 'B', ' ', 0x83, 0x41, 0x61, 0x95, 0x5C, 0xB1, '3'};
    std::mt19937 rng(1234);
    auto randomText = [&](std::size_t maxLen, bool fold) {
        std::string s(rng() % (maxLen + 1), ' ');
        for (char& c : s) c = static_cast<char>(alphabet[rng() % sizeof alphabet]);
        // Keys are folded outside double-byte pairs, as the reader stores them.
        for (std::size_t i = 0; fold && i < s.size(); ++i) {
            if (isLeadByte(s[i]) && i + 1 < s.size())
                ++i;
            else if (s[i] >= 'a' && s[i] <= 'z')
                s[i] = static_cast<char>(s[i] - 32);
        }
        return s;
    };
    int hits = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string field = randomText(60, false), key = randomText(4, true);
        if (key.empty()) continue;
        bool expected = referenceContains(field, key);
        hits += expected;
        ASSERT_EQ(fieldContains(field.data(), field.size(), key), expected)
            << "[" << field << "] [" << key << "]";
    }
    EXPECT_GT(hits, 1000);
}

// Chains of name terms on list rows, whose names the scan reads up to their NUL in aligned blocks: the one
// pass over the name for every key (and its early end) against the terms read one by one.
TEST(ConditionMatch, NameChainsAgreeWithTheReferenceOnRandomRows) {
    const unsigned char alphabet[] = {'a', 'A', 'b', 'B', ' ', 0x83, 0x41, 0x61, 0x95, 0x5C, 0xB1, '3'};
    const char* const kOps[] = {" & ", " | ", " - "};
    std::mt19937 rng(4321);
    auto randomText = [&](std::size_t minLen, std::size_t maxLen) {
        std::string s(minLen + rng() % (maxLen - minLen + 1), ' ');
        for (char& c : s) c = static_cast<char>(alphabet[rng() % sizeof alphabet]);
        return s;
    };
    int matched = 0, rows = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = "\"" + randomText(1, 3) + "\"";
        for (int k = rng() % 4; k > 0; --k) text += kOps[rng() % 3] + ("\"" + randomText(1, 3) + "\"");
        ConditionTerms terms;
        if (!parseConditionText(text.c_str(), terms)) continue;
        // The hash's length moves the name to every place within an aligned block.
        const std::string name = randomText(0, 70), hash(rng() % 40, 'H');
        const char* texts[8] = {name.c_str(), "", "1", "", "1", "", "1", hash.c_str()};
        const EntryPtr row = makeEntry(texts, 8);
        bool expected = false;
        for (const ConditionTerm& t : terms) {
            const bool hit = referenceContains(name, t.folded);
            if (t.op == TermOperator::None) expected = hit;
            if (t.op == TermOperator::And && expected) expected = hit;
            if (t.op == TermOperator::Or && !expected) expected = hit;
            if (t.op == TermOperator::AndNot && expected) expected = !hit;
        }
        ++rows;
        matched += expected;
        ASSERT_EQ(TermMatcher(terms).matches(*row), expected) << text << " on [" << name << "]";
        ASSERT_EQ(evaluateTerms(terms, *row), expected) << text << " on [" << name << "]";
    }
    EXPECT_GT(matched, rows / 5);
    EXPECT_LT(matched, rows * 4 / 5);
}

TEST(ConditionMatch, FieldsAreReadWithinTheirBuffers) {
    const char full[5] = {'1', ',', '2', '3', '4'};  // a number field without terminator
    EXPECT_EQ(compareNumberField(full, sizeof full, "1,234"), 0);
    EXPECT_LT(compareNumberField(full, sizeof full, "1,235"), 0);
    const char name[3] = {'a', 'b', 'c'};
    EXPECT_TRUE(fieldContains(name, sizeof name, "BC"));
    EXPECT_FALSE(fieldContains(name, sizeof name, "BCD"));
    EXPECT_FALSE(fieldContains("ab\0cd", 5, "CD"));  // a NUL ends the field
}

}  // namespace
}  // namespace twk
