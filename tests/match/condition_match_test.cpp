#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "core/text.h"
#include "match/condition.h"

namespace twk {
namespace {

struct Row {
    std::string name = "name";
    std::string trip = "trip";
    std::string size = "1,000";
    std::string refAmount = "5";
    std::string ver = "1.0";
    std::string hash = "00112233445566778899AABBCCDDEEFF";
};

EntryPtr entryOf(const Row& r) {
    const char* texts[8] = {r.name.c_str(),      r.trip.c_str(), r.size.c_str(), "status",
                            r.refAmount.c_str(), "Jan 01 10:00", r.ver.c_str(),  r.hash.c_str()};
    return makeEntry(texts, 8);
}

RawRecord recordOf(const Row& r) {
    RawRecord raw;
    std::memset(&raw, 0, sizeof raw);
    const std::string* fields[8] = {&r.name,      &r.trip, &r.size, nullptr,
                                    &r.refAmount, nullptr, &r.ver,  &r.hash};
    for (int i = 0; i < 8; ++i)
        if (fields[i]) copyCut(raw.field(i), RawRecord::capacity(i), fields[i]->c_str());
    return raw;
}

// Evaluates the condition on the row as an Entry and as a raw record; both must agree.
bool holds(const char* condition, const Row& row) {
    ConditionTerms terms;
    EXPECT_TRUE(parseConditionText(condition, terms)) << condition;
    bool onEntry = evaluateTerms(terms, *entryOf(row));
    bool onRecord = evaluateTerms(terms, recordOf(row));
    EXPECT_EQ(onEntry, onRecord) << condition;
    return onEntry;
}

Row named(const std::string& name) {
    Row r;
    r.name = name;
    return r;
}

TEST(ConditionMatch, NameContainsFoldsAsciiOnly) {
    EXPECT_TRUE(holds("abc", named("xABCy")));
    EXPECT_TRUE(holds("ABC", named("xabcy")));
    EXPECT_FALSE(holds("ＡＢＣ", named("ａｂｃ")));
    EXPECT_TRUE(holds("ＡＢＣ", named("xＡＢＣ")));
    EXPECT_FALSE(holds("abc", named("")));
    EXPECT_FALSE(holds("abcd", named("abc")));
    // Half-width kana are single bytes and are compared exactly.
    EXPECT_TRUE(holds("ｱｲ", named("aｱｲ")));
}

TEST(ConditionMatch, NeverMatchesInsideADoubleByteCharacter) {
    // ア イ ウ are 0x83 0x41 / 0x43 / 0x45: their second bytes read "A", "C", "E".
    EXPECT_FALSE(holds("a", named("ア")));
    EXPECT_FALSE(holds("c", named("zzzzzzzzzzzzzzzzアイウ")));
    EXPECT_FALSE(holds("E", named("アイウzzzzzzzzzzzzzzzzzz")));
    EXPECT_TRUE(holds("e", named("アイウzzzzzzzzzzzzzzzzzzE")));
    // A term beginning with a second byte value does not match from the middle of ソ (0x83 0x5C).
    EXPECT_FALSE(holds("#\\\\x", named("ソx")));
    EXPECT_TRUE(holds("#\\\\x", named("a\\x")));
}

// Straightforward reading of the substring test, used as the reference for the fast scan.
bool referenceContains(const std::string& field, const std::string& key) {
    if (key.empty()) return false;
    auto up = [](unsigned char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
    std::size_t n = field.size();
    for (std::size_t pos = 0; pos < n;) {
        std::size_t i = 0, f = pos;
        bool ok = true;
        while (i < key.size() && ok) {
            if (f >= n) {
                ok = false;
            } else if (isLeadByte(key[i]) && i + 1 < key.size()) {
                ok = f + 1 < n && field[f] == key[i] && field[f + 1] == key[i + 1];
                i += 2;
                f += 2;
            } else {
                ok = up(static_cast<unsigned char>(field[f])) == static_cast<unsigned char>(key[i]);
                ++i;
                ++f;
            }
        }
        if (ok) return true;
        pos += (isLeadByte(field[pos]) && pos + 1 < n) ? 2 : 1;
    }
    return false;
}

TEST(ConditionMatch, FastScanAgreesWithTheReferenceOnRandomText) {
    const unsigned char alphabet[] = {'a', 'A', 'b', 'B', ' ', 0x83, 0x41, 0x61, 0x95, 0x5C, 0xB1, '3'};
    std::mt19937 rng(1234);
    auto randomText = [&](std::size_t maxLen) {
        std::string s(rng() % (maxLen + 1), ' ');
        for (char& c : s) c = static_cast<char>(alphabet[rng() % sizeof alphabet]);
        return s;
    };
    int hits = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string field = randomText(40);
        std::string key = randomText(3);
        if (key.empty()) continue;
        // Keys are stored folded, as the reader folds them.
        std::string folded = key;
        for (std::size_t i = 0; i < folded.size(); ++i) {
            if (isLeadByte(folded[i]) && i + 1 < folded.size()) {
                ++i;
            } else if (folded[i] >= 'a' && folded[i] <= 'z') {
                folded[i] = static_cast<char>(folded[i] - 32);
            }
        }
        bool expected = referenceContains(field, folded);
        hits += expected;
        ASSERT_EQ(fieldContains(field.data(), field.size(), folded), expected)
            << "field [" << field << "] key [" << folded << "]";
    }
    EXPECT_GT(hits, 1000);  // the alphabet is small enough that matches are common
}

TEST(ConditionMatch, FieldTestsReadTheirOwnFields) {
    Row r;
    r.name = "$ABC file";
    r.trip = "xABCx";
    r.hash = "FF0A1B22";
    EXPECT_TRUE(holds("$abc", r));
    EXPECT_TRUE(holds("%0a1b", r));
    EXPECT_TRUE(holds("#$ABC", r));
    r.name = "plain";
    EXPECT_FALSE(holds("#$ABC", r));
    EXPECT_FALSE(holds("%plain", r));
    r.trip = "";
    EXPECT_FALSE(holds("$abc", r));
}

TEST(ConditionMatch, SizeComparisons) {
    Row big, small;
    big.size = "123,456,789";
    small.size = "99,999,999";
    EXPECT_TRUE(holds(">100M", big));
    EXPECT_FALSE(holds(">100M", small));
    EXPECT_TRUE(holds("<100M", small));
    EXPECT_TRUE(holds("=123456789", big));
    EXPECT_FALSE(holds("=123456788", big));
    Row none;
    none.size = "";
    EXPECT_TRUE(holds("<0", none));  // a field without digits is smaller than any number
    EXPECT_FALSE(holds(">0", none));
    Row zero;
    zero.size = "0";
    EXPECT_TRUE(holds("=0", zero));
    EXPECT_TRUE(holds("=0K", zero));
    EXPECT_FALSE(holds("<0K", zero));
}

TEST(ConditionMatch, ReferenceAmountTests) {
    Row unknown, spaced, twelve;
    unknown.refAmount = "?";
    spaced.refAmount = "  ?";
    twelve.refAmount = "12";
    EXPECT_TRUE(holds("?", unknown));
    EXPECT_TRUE(holds("?", spaced));
    EXPECT_FALSE(holds("?", twelve));
    EXPECT_TRUE(holds(")10", twelve));
    EXPECT_FALSE(holds("(10", twelve));
    EXPECT_TRUE(holds("(10", unknown));  // no digits: smaller than any number
    Row prefixed;
    prefixed.refAmount = "x 2,000";  // leading non-digits are skipped
    EXPECT_TRUE(holds(")1999", prefixed));
    EXPECT_TRUE(holds("(2001", prefixed));
}

TEST(ConditionMatch, VersionIsComparedExactly) {
    Row r;
    r.ver = "1.0";
    EXPECT_TRUE(holds("!1.0", r));
    EXPECT_FALSE(holds("!1", r));
    EXPECT_FALSE(holds("!1.00", r));
    r.ver = "a";
    EXPECT_FALSE(holds("!A", r));
}

TEST(ConditionMatch, LeftToRightWithoutPrecedence) {
    EXPECT_TRUE(holds("mp3 | avi - sample", named("x.mp3")));
    EXPECT_TRUE(holds("mp3 | avi - sample", named("x.AVI")));
    EXPECT_FALSE(holds("mp3 | avi - sample", named("sample.mp3")));
    EXPECT_FALSE(holds("mp3 | avi - sample", named("x.ogg")));
    // (a or b) and c
    EXPECT_FALSE(holds("a|b&c", named("a")));
    EXPECT_TRUE(holds("a|b&c", named("bc")));
    // a and not b
    EXPECT_TRUE(holds("a - b", named("a")));
    EXPECT_FALSE(holds("a - b", named("ab")));
    // After a false AND the result stays false; an OR can bring it back.
    EXPECT_FALSE(holds("x&a", named("a")));
    EXPECT_TRUE(holds("x&a|a", named("a")));
    EXPECT_FALSE(holds("x-a", named("a")));
}

TEST(ConditionMatch, NoTermsNeverHold) {
    ConditionTerms none;
    EXPECT_FALSE(evaluateTerms(none, *entryOf(Row())));
    EXPECT_FALSE(evaluateTerms(none, recordOf(Row())));
}

TEST(ConditionMatch, FieldsWithoutTerminatorAreReadWithinTheirBuffer) {
    // A number field that fills its buffer to the last byte.
    const char full[5] = {'1', ',', '2', '3', '4'};
    EXPECT_EQ(compareNumberField(full, sizeof full, "1,234"), 0);
    EXPECT_LT(compareNumberField(full, sizeof full, "1,235"), 0);
    EXPECT_GT(compareNumberField(full, sizeof full, "999"), 0);
    const char name[3] = {'a', 'b', 'c'};
    EXPECT_TRUE(fieldContains(name, sizeof name, "BC"));
    EXPECT_FALSE(fieldContains(name, sizeof name, "BCD"));
    // A NUL ends the field even when the length says more.
    EXPECT_FALSE(fieldContains("ab\0cd", 5, "CD"));
}

}  // namespace
}  // namespace twk
