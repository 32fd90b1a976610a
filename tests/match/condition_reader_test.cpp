#include <gtest/gtest.h>

#include <string>

#include "match/condition.h"

namespace twk {
namespace {

// The terms as "<operator><test>[text]", or "wrong".
std::string read(const std::string& text) {
    ConditionTerms terms(1);
    if (!parseConditionText(text.c_str(), terms)) return terms.empty() ? "wrong" : "wrong, terms left";
    static const char kOps[] = " &|-";
    static const char kTests[] = ".$%=<>!?()";
    std::string out;
    for (const ConditionTerm& t : terms) {
        if (t.op != TermOperator::None) out += kOps[static_cast<int>(t.op)];
        out += kTests[static_cast<int>(t.test)];
        out += "[" + t.text + "]";
    }
    return out;
}

TEST(ConditionReader, ReadsTermsOperatorsAndPrefixes) {
    const char* const cases[][2] = {
        {"mp3 | avi - sample & x", ".[mp3]|.[avi]-.[sample]&.[x]"},
        {"  two words   |x", ".[two words]|.[x]"},
        {"ab\\   ", ".[ab ]"},  // an escaped trailing space stays
        {"\"a&b\"", ".[a&b]"},
        {"\" a \" & b", ".[ a ]&.[b]"},
        {"\"say \\\"hi\\\" \\\\\"", ".[say \"hi\" \\]"},
        {"a\\-b\\|c\\&d", ".[a-b|c&d]"},
        {"x|\"open", ".[x]|.[open]"},  // the text may end inside quotes
        {"a\"b", ".[a\"b]"},
        {"dir\\", ".[dir\\]"},  // nothing left to escape: the backslash stays
        {"#$ABC|$ABC|%0A1B|!1.0|?|? ", ".[$ABC]|$[ABC]|%[0A1B]|![1.0]|?[]|?[]"},
        {"=1500|<1k|>100M|(10|)2g|=0K", "=[1,500]|<[1,000]|>[100,000,000]|([10]|)[2,000,000,000]|=[0]"},
        {"=1234567|=999|=0", "=[1,234,567]|=[999]|=[0]"},
        {"\"$q\"", "$[q]"},
        // Second bytes are never operators or escapes: 表 and ソ end in 0x5C, − in 0x7C.
        {"表-ソ", ".[表]-.[ソ]"},
        {"a−b", ".[a−b]"},
        {"\\ソ-x", ".[ソ]-.[x]"},  // an escaped character is taken whole
        {"ab\x83", ".[ab\x83]"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c[0]), c[1]) << c[0];
}

TEST(ConditionReader, WrongTextsAreRefused) {
    const char* wrong[] = {"",        "   ", "a&",     "&a",     "a&&b",  "\"a\" b", "\"a\"b", "a|  ",
                           "a- \"\"", "?x",  "? x",    "=0123",  "<1.5M", "< 100",   "=",      ">12KB",
                           ">K",      "(00", "#",      "$",      "%",     "!",       "\"\"",   "a & #",
                           "a|\"",    "<-1", ")1,000", ">1 000", "=1.0",  "(-5",     ">0x10"};
    for (const char* text : wrong) EXPECT_EQ(read(text), "wrong") << "[" << text << "]";
    ConditionTerms terms;
    EXPECT_FALSE(parseConditionText(nullptr, terms));
}

TEST(ConditionReader, NameTermsAreFoldedOutsideDoubleByteCharacters) {
    // ヂ is 0x83 0x61: its second byte reads "a" and must stay.
    ConditionTerms t;
    ASSERT_TRUE(parseConditionText("abヂz", t));
    EXPECT_EQ(t[0].folded, "ABヂZ");
}

TEST(ConditionReader, OverlongTermIsCutAtWholeCharactersAndItsRestSkipped) {
    const std::string a(kMaxTermBytes, 'a');
    EXPECT_EQ(read(std::string(2000, 'a') + "b|next"), ".[" + a + "]|.[next]");
    EXPECT_EQ(read(a.substr(1) + "アb"), ".[" + a.substr(1) + "]");
    EXPECT_EQ(read("\"" + std::string(2000, 'a') + "\\\"-x\" - y"), ".[" + a + "]-.[y]");
    // Spaces before the cut are not trailing when the term goes on beyond it.
    EXPECT_EQ(read(a.substr(2) + "    b"), ".[" + a.substr(2) + "  ]");
    // A long number is cut to its first digits, then normalised whole.
    ConditionTerms t;
    ASSERT_TRUE(parseConditionText((">" + std::string(1500, '9')).c_str(), t));
    EXPECT_EQ(t[0].text.size(), 1022u + 1022u / 3);
}

}  // namespace
}  // namespace twk
