#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/condition.h"

namespace twk {
namespace {

ConditionTerms parse(const std::string& text) {
    ConditionTerms terms;
    bool ok = parseConditionText(text.c_str(), terms);
    EXPECT_TRUE(ok) << "text: " << text;
    return terms;
}

std::vector<std::string> texts(const ConditionTerms& terms) {
    std::vector<std::string> out;
    for (const ConditionTerm& t : terms) out.push_back(t.text);
    return out;
}

TEST(ConditionReader, WrongTextsAreRefusedAndLeaveNoTerms) {
    const char* wrong[] = {
        "",   "   ", "a&",    "&a",    "a&&b",  "\"a\" b", "\"a\"b", "a|  ", "a- \"\"",
        "?x", "? x", "=0123", "<1.5M", "< 100", "=",       ">12KB",  ">K",   "(00",
        "#",  "$",   "%",     "!",     "\"\"",  "a & #",   "a|\"",   "<-1",  ")1,000",
    };
    for (const char* text : wrong) {
        ConditionTerms terms(1);
        EXPECT_FALSE(parseConditionText(text, terms)) << "text: [" << text << "]";
        EXPECT_TRUE(terms.empty()) << "text: [" << text << "]";
    }
    ConditionTerms terms;
    EXPECT_FALSE(parseConditionText(nullptr, terms));
}

TEST(ConditionReader, OperatorsJoinTermsLeftToRight) {
    ConditionTerms t = parse("mp3 | avi - sample & x");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(texts(t), (std::vector<std::string>{"mp3", "avi", "sample", "x"}));
    EXPECT_EQ(t[0].op, TermOperator::None);
    EXPECT_EQ(t[1].op, TermOperator::Or);
    EXPECT_EQ(t[2].op, TermOperator::AndNot);
    EXPECT_EQ(t[3].op, TermOperator::And);
}

TEST(ConditionReader, SpacesInsideATermStayAndTrailingOnesAreCut) {
    EXPECT_EQ(texts(parse("  two words   |x")), (std::vector<std::string>{"two words", "x"}));
    // An escaped trailing space stays; the unescaped ones after it are cut.
    EXPECT_EQ(texts(parse("ab\\   ")), (std::vector<std::string>{"ab "}));
}

TEST(ConditionReader, QuotesAndEscapes) {
    EXPECT_EQ(texts(parse("\"a&b\"")), (std::vector<std::string>{"a&b"}));
    EXPECT_EQ(texts(parse("\" a \" & b")), (std::vector<std::string>{" a ", "b"}));
    EXPECT_EQ(texts(parse("\"say \\\"hi\\\" \\\\\"")), (std::vector<std::string>{"say \"hi\" \\"}));
    EXPECT_EQ(texts(parse("a\\-b")), (std::vector<std::string>{"a-b"}));
    EXPECT_EQ(texts(parse("a\\|b\\&c")), (std::vector<std::string>{"a|b&c"}));
    // A quote that never closes ends the term with the text.
    EXPECT_EQ(texts(parse("x|\"open")), (std::vector<std::string>{"x", "open"}));
    // A quote inside an unquoted term is an ordinary byte.
    EXPECT_EQ(texts(parse("a\"b")), (std::vector<std::string>{"a\"b"}));
    // A backslash at the very end has nothing to escape and stays.
    EXPECT_EQ(texts(parse("dir\\")), (std::vector<std::string>{"dir\\"}));
    EXPECT_EQ(texts(parse("\"dir\\")), (std::vector<std::string>{"dir\\"}));
}

TEST(ConditionReader, SecondBytesAreNeverOperatorsOrEscapes) {
    // 表 and ソ end in 0x5C ("\"); − ends in 0x7C ("|").
    ASSERT_EQ(static_cast<unsigned char>("表"[1]), 0x5C);
    ASSERT_EQ(static_cast<unsigned char>("−"[1]), 0x7C);
    EXPECT_EQ(texts(parse("表-ソ")), (std::vector<std::string>{"表", "ソ"}));
    EXPECT_EQ(texts(parse("a−b")), (std::vector<std::string>{"a−b"}));
    EXPECT_EQ(texts(parse("\"表\"")), (std::vector<std::string>{"表"}));
    // An escaped double-byte character is taken whole, so its 0x5C second byte escapes nothing.
    EXPECT_EQ(texts(parse("\\ソ-x")), (std::vector<std::string>{"ソ", "x"}));
    // A lead byte at the very end of the text is copied alone.
    EXPECT_EQ(texts(parse("ab\x83")), (std::vector<std::string>{"ab\x83"}));
}

TEST(ConditionReader, FirstCharacterChoosesTheTest) {
    struct Case {
        const char* text;
        FieldTest test;
        const char* termText;
    };
    const Case cases[] = {
        {"abc", FieldTest::NameContains, "abc"},
        {"#$ABC", FieldTest::NameContains, "$ABC"},
        {"$ABC", FieldTest::TripContains, "ABC"},
        {"%0A1B", FieldTest::HashContains, "0A1B"},
        {"=1500", FieldTest::SizeEqual, "1,500"},
        {"<1k", FieldTest::SizeLess, "1,000"},
        {">100M", FieldTest::SizeGreater, "100,000,000"},
        {"!1.0", FieldTest::VerEqual, "1.0"},
        {"?", FieldTest::RefUnknown, ""},
        {"(10", FieldTest::RefLess, "10"},
        {")2g", FieldTest::RefGreater, "2,000,000,000"},
        {"\"$q\"", FieldTest::TripContains, "q"},
        {"? ", FieldTest::RefUnknown, ""},
    };
    for (const Case& c : cases) {
        ConditionTerms t = parse(c.text);
        ASSERT_EQ(t.size(), 1u) << c.text;
        EXPECT_EQ(t[0].test, c.test) << c.text;
        EXPECT_EQ(t[0].text, c.termText) << c.text;
    }
}

TEST(ConditionReader, ContainsTermsAreFoldedOutsideDoubleByteCharacters) {
    // ヂ is 0x83 0x61: its second byte is "a" and must not become "A".
    ConditionTerms t = parse("abヂz");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].folded, "ABヂZ");
    EXPECT_EQ(t[0].text, "abヂz");
}

TEST(ConditionReader, NumberNormalisation) {
    struct Case {
        const char* in;
        const char* out;  // nullptr: not a number
    };
    const Case cases[] = {
        {"0", "0"},
        {"7", "7"},
        {"999", "999"},
        {"1000", "1,000"},
        {"1500", "1,500"},
        {"1234567", "1,234,567"},
        {"2G", "2,000,000,000"},
        {"12m", "12,000,000"},
        {"3k", "3,000"},
        {"0K", "0"},
        {"", nullptr},
        {"K", nullptr},
        {"01", nullptr},
        {"1.5", nullptr},
        {"1,000", nullptr},
        {"10KB", nullptr},
        {"10X", nullptr},
        {" 1", nullptr},
        {"1 ", nullptr},
    };
    for (const Case& c : cases) {
        std::string out = "junk";
        bool ok = normalizeNumber(c.in, out);
        EXPECT_EQ(ok, c.out != nullptr) << c.in;
        if (c.out) {
            EXPECT_EQ(out, c.out) << c.in;
        }
    }
}

TEST(ConditionReader, OverlongTermIsCutAndItsRestSkipped) {
    std::string longTerm(2000, 'a');
    ConditionTerms t = parse(longTerm + "b|next");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, std::string(kMaxTermBytes, 'a'));
    EXPECT_EQ(t[1].text, "next");
    EXPECT_EQ(t[1].op, TermOperator::Or);

    // The cut never splits a double-byte character.
    t = parse(std::string(kMaxTermBytes - 1, 'a') + "アb");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, std::string(kMaxTermBytes - 1, 'a'));

    // Quoted terms too, and an escaped quote beyond the cut does not end the term early.
    t = parse("\"" + longTerm + "\\\"-x\" - y");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text.size(), static_cast<std::size_t>(kMaxTermBytes));
    EXPECT_EQ(t[1].text, "y");
    EXPECT_EQ(t[1].op, TermOperator::AndNot);

    // Spaces before the cut are not trailing when the term goes on beyond it.
    t = parse(std::string(kMaxTermBytes - 2, 'a') + "    b");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, std::string(kMaxTermBytes - 2, 'a') + "  ");

    // A long number is cut to its first 1023 digits, then normalised whole.
    t = parse(">" + std::string(1500, '9'));
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text.size(), 1022u + 1022u / 3);
}

}  // namespace
}  // namespace twk
