#include <gtest/gtest.h>

#include <string>

#include "match/regex.h"
#include "match/regex_scan.h"

namespace twk {
namespace {

// "start,end" of the whole match, "none" when there is none, "error" when the pattern does not compile. The
// search's scanner must give the same yes or no. It follows every path at once, up to a state per byte read
// at each byte: the 60,000-state literal over 256 KB is left to the walk, which finds it at the first start.
std::string find(const std::string& pattern, const std::string& text) {
    std::unique_ptr<Regex> re = compileRegex(pattern);
    if (!re) return "error";
    MatchSlots slots;
    const int n = matchRegex(*re, text, &slots);
    if (re->stateCount() * (text.size() + 1) < (std::size_t(1) << 28)) {
        EXPECT_EQ(RegexScanner(*re).matches(text), n > 0) << pattern;
    }
    if (n == 0) return "none";
    EXPECT_EQ(n, re->groupCount() + 1);
    EXPECT_EQ(slots.size(), static_cast<std::size_t>(n));
    return std::to_string(slots.whole().start) + "," + std::to_string(slots.whole().end);
}

TEST(RegexPriority, FirstPathWinsNotLongest) {
    EXPECT_EQ(find("a|ab", "ab"), "0,1");
    EXPECT_EQ(find("ab|a", "ab"), "0,2");
    EXPECT_EQ(find("x|y|z", "zyx"), "0,1");
    EXPECT_EQ(find("a*", "aaa"), "0,3");
    EXPECT_EQ(find("a*?", "aaa"), "0,0");
    EXPECT_EQ(find("a+?", "aaa"), "0,1");
    EXPECT_EQ(find("a?", "a"), "0,1");
    EXPECT_EQ(find("a??", "a"), "0,0");
    EXPECT_EQ(find("a.*?c", "abcbc"), "0,3");
    EXPECT_EQ(find("a.*c", "abcbc"), "0,5");
    EXPECT_EQ(find("b", "aab"), "2,3");
}

TEST(RegexPriority, EmptyTextNeverMatches) {
    EXPECT_EQ(find("a*", ""), "none");
    EXPECT_EQ(find("", ""), "none");
    EXPECT_EQ(find("", "x"), "0,0");
}

TEST(RegexRepetition, BoundsReadings) {
    EXPECT_EQ(find("a{2,3}", "aa"), "0,2");
    EXPECT_EQ(find("a{2,3}", "aaaa"), "0,3");
    EXPECT_EQ(find("a{2}", "a"), "none");
    EXPECT_EQ(find("a{2}", "aaa"), "0,2");
    EXPECT_EQ(find("a{0}", "aaab"), "0,3");  // like "a*"
    EXPECT_EQ(find("a{,}", "aab"), "0,2");
    EXPECT_EQ(find("a{2,}", "aaaa"), "0,4");
    EXPECT_EQ(find("a{2,}", "ab"), "none");
    EXPECT_EQ(find("a{,2}", "aaa"), "0,2");
    EXPECT_EQ(find("a{3,1}", "aaaa"), "0,3");  // n < m: exactly m
    EXPECT_EQ(find("a{3,1}", "aa"), "none");
    EXPECT_EQ(find("a{x2y,z3}", "aaaa"), "0,3");  // other bytes between the braces are skipped
    EXPECT_EQ(find("a{1,3}?", "aaa"), "0,1");
    EXPECT_EQ(find("a{0,2}?b", "aab"), "0,3");
    EXPECT_EQ(find("(ab){2}", "ababab"), "0,4");
}

TEST(RegexRepetition, HugeBoundsFailCleanly) {
    RegexError error = RegexError::None;
    EXPECT_EQ(compileRegex("a{99999999999999}", &error), nullptr);
    EXPECT_EQ(error, RegexError::TooComplex);
    EXPECT_EQ(compileRegex("(a{1000}){1000}", &error), nullptr);
    EXPECT_EQ(error, RegexError::TooComplex);
    EXPECT_EQ(compileRegex("((a{100}){100}){100}", &error), nullptr);
    EXPECT_NE(compileRegex("(a{100}){100}", &error), nullptr);
    EXPECT_NE(compileRegex("(.{250}){250}", &error), nullptr);
    EXPECT_EQ(find("\\d{1000}", std::string(999, '7') + "x" + std::string(1000, '7')), "1000,2000");
    EXPECT_EQ(error, RegexError::None);
    std::string deep(kRegexMaxNesting + 1, '(');
    EXPECT_EQ(compileRegex(deep, &error), nullptr);
    EXPECT_EQ(error, RegexError::TooComplex);
}

TEST(RegexLenient, UnbalancedAndUnterminated) {
    EXPECT_EQ(find("(ab", "xab"), "1,3");
    EXPECT_EQ(find("ab)cd", "abcd"), "0,2");  // the rest after a stray ")" is ignored
    EXPECT_EQ(find("ab)cd", "xxab"), "2,4");
    EXPECT_EQ(find("[ab", "zzz"), "0,0");  // an unterminated class ends the pattern
    EXPECT_EQ(find("x[ab", "zzz"), "none");
    EXPECT_EQ(find("a{2", "b"), "none");  // "a" alone; the repetition and the rest are dropped
    EXPECT_EQ(find("a{2", "ba"), "1,2");
}

TEST(RegexLenient, QuantifierWithoutOperand) {
    EXPECT_EQ(find("*a", "ba"), "1,2");  // "*" of nothing matches the empty string
    EXPECT_EQ(find("?a", "ba"), "1,2");
    EXPECT_EQ(find("+a", "ba"), "none");   // "+" of nothing makes its path unmatchable
    EXPECT_EQ(find("+a|b", "ab"), "1,2");  // ...only its own alternative
    EXPECT_EQ(find("{2}a", "aa"), "none");
    EXPECT_EQ(find("{0,2}a", "a"), "0,1");
    EXPECT_EQ(find("a**", "aa"), "0,2");  // the second "*" has no operand
    EXPECT_EQ(find("a*+", "aa"), "none");
}

TEST(RegexLenient, StrayClosingBracketsAreLiterals) {
    EXPECT_EQ(find("a]", "xa]"), "1,3");
    EXPECT_EQ(find("[b]x]", "bx]"), "0,3");
    EXPECT_EQ(find("a}", "a}"), "0,2");
    EXPECT_EQ(find("}?a", "a"), "0,1");
    EXPECT_EQ(find("a{2}}", "aa}"), "0,3");
}

TEST(RegexAnchors, LineStartAndEnd) {
    EXPECT_EQ(find("^abc", "abcdef"), "0,3");
    EXPECT_EQ(find("^abc", "xabc"), "none");
    EXPECT_EQ(find("^abc", "x\r\nabc"), "3,6");
    EXPECT_EQ(find("abc$", "xxabc"), "2,5");
    EXPECT_EQ(find("abc$", "abcx"), "none");
    EXPECT_EQ(find("abc$", "abc\r\nx"), "0,3");
    EXPECT_EQ(find("$", "abc"), "none");
    EXPECT_EQ(find("^", "abc"), "0,0");
    EXPECT_EQ(find("^$", "a\n\nb"), "none");  // start positions skip every CR and LF
}

TEST(RegexAnchors, MisplacedAnchorsKillOnlyTheirPath) {
    EXPECT_EQ(find("a^b", "a^b"), "none");
    EXPECT_EQ(find("a$b", "a$b"), "none");
    EXPECT_EQ(find("(^a)", "a"), "none");
    EXPECT_EQ(find("x|a^b", "ax"), "1,2");
    EXPECT_FALSE(compileRegex("a^b")->anchoredAtLineStart());
}

TEST(RegexAnchors, FlagsAreGlobal) {
    // A "^" in one top-level alternative makes the whole pattern try line starts only...
    EXPECT_EQ(find("^a|b", "xb"), "none");
    EXPECT_EQ(find("^a|b", "x\nb"), "2,3");
    // ...and a "$" in one makes every alternative end at a line end without consuming CR or LF.
    EXPECT_EQ(find("a$|b", "bx"), "none");
    EXPECT_EQ(find("a$|b", "xb"), "1,2");
    EXPECT_EQ(find("x.*$", "x\ny"), "0,1");
    EXPECT_EQ(find("x\\s*$", "x \n"), "0,2");
    std::unique_ptr<Regex> re = compileRegex("^a|b$");
    ASSERT_NE(re, nullptr);
    EXPECT_TRUE(re->anchoredAtLineStart());
    EXPECT_TRUE(re->anchoredAtLineEnd());
}

TEST(RegexEscapes, PatternMode) {
    EXPECT_EQ(find("\\x41", "zA"), "1,2");
    EXPECT_EQ(find("\\X4a", "J"), "0,1");
    EXPECT_EQ(find("\\x414", "A4"), "0,2");  // at most two hex digits
    EXPECT_EQ(find("\\x4", std::string("\x04")), "0,1");
    EXPECT_EQ(find("\\.", "ab.c"), "2,3");
    EXPECT_EQ(find("\\.", "abc"), "none");
    EXPECT_EQ(find("\\t", "a\tb"), "1,2");
    EXPECT_EQ(find("\\N\\R\\T", "\n\r\t"), "0,3");
    EXPECT_EQ(find("\\\\", "a\\b"), "1,2");
    EXPECT_EQ(find("\\(\\)\\[\\]\\{\\}", "(){}()[]{}"), "4,10");
    EXPECT_EQ(find("\\d+", "x12"), "1,3");
    EXPECT_EQ(find("\\D", "12a"), "2,3");
    EXPECT_EQ(find("\\w+", "  a_9-"), "2,5");
    EXPECT_EQ(find("\\W", "a_9-"), "3,4");
    EXPECT_EQ(find("\\s", "a\tb"), "1,2");
    EXPECT_EQ(find("\\S+", " \r\nab "), "3,5");
}

TEST(RegexEscapes, PatternEnds) {
    // A trailing "\" is a literal backslash.
    EXPECT_EQ(find("a\\", "xa\\"), "1,3");
    EXPECT_EQ(find("a\\", "a"), "none");
    // A trailing 「\x」 gives the byte 0, which no text character is.
    EXPECT_EQ(find("a\\x", "a"), "none");
    EXPECT_EQ(find("a\\x|b", "ab"), "1,2");
}

TEST(RegexClasses, ItemsAndNegation) {
    EXPECT_EQ(find("[\\d]", "x5"), "1,2");
    EXPECT_EQ(find("[^\\d]", "5"), "none");
    EXPECT_EQ(find("[^\\d]", "5a"), "1,2");
    EXPECT_EQ(find("[\\D]", "5a"), "1,2");
    EXPECT_EQ(find("[a\\D]", "a"), "0,1");
    EXPECT_EQ(find("[\\Dx]", "5"), "none");
    EXPECT_EQ(find("[\\s]", "a b"), "1,2");
    EXPECT_EQ(find("[\\w-]+", "@a-b_c@"), "1,6");
    EXPECT_EQ(find("[a-c]+", "xabcd"), "1,4");
    EXPECT_EQ(find("[-a]", "x-"), "1,2");
    EXPECT_EQ(find("[a-]", "x-"), "1,2");
    EXPECT_EQ(find("[]a]", "x]"), "1,2");
    EXPECT_EQ(find("[^]a]", "]ab"), "2,3");
    EXPECT_EQ(find("[\\x41-\\x43]+", "ABCD"), "0,3");
    EXPECT_EQ(find("[\\t]", "a\tb"), "1,2");
    EXPECT_EQ(find("[\\\\]", "a\\"), "1,2");
}

TEST(RegexClasses, EscapedSpecialsAreLiteral) {
    // 「\^」 「\-」 「\]」 inside a class are the characters, not negation, a range or the end of the class.
    EXPECT_EQ(find("[\\^]", "ab^"), "2,3");
    EXPECT_EQ(find("[\\^a]", "b^"), "1,2");
    EXPECT_EQ(find("[a\\-z]+", "bm-za"), "2,5");
    EXPECT_EQ(find("[\\]]", "a]"), "1,2");
    EXPECT_EQ(find("[\\x5e]", "a^"), "1,2");
    EXPECT_EQ(find("[!-\\-]+", "a!,-."), "1,4");  // an escaped character can still end a range
}

TEST(RegexClasses, LengthLimit) {
    EXPECT_NE(compileRegex("[" + std::string(255, 'a') + "]"), nullptr);
    RegexError error = RegexError::None;
    EXPECT_EQ(compileRegex("[" + std::string(256, 'a') + "]", &error), nullptr);
    EXPECT_EQ(error, RegexError::ClassTooLong);
    // Counted as the user wrote it: 「\d」 is two bytes, 「\x41」 one.
    EXPECT_NE(compileRegex("[" + std::string(253, 'a') + "\\d]"), nullptr);
    EXPECT_EQ(compileRegex("[" + std::string(254, 'a') + "\\d]"), nullptr);
    std::string escapes = "[";
    for (int i = 0; i < 255; ++i) escapes += "\\x41";
    EXPECT_NE(compileRegex(escapes + "]"), nullptr);
    EXPECT_EQ(compileRegex(escapes + "b]"), nullptr);
}

TEST(RegexDoubleByte, CharactersAreUnits) {
    EXPECT_EQ(find("a.c", "aあc"), "0,4");
    EXPECT_EQ(find("^.$", "あ"), "0,2");
    EXPECT_EQ(find("あ+", "xああい"), "1,5");
    EXPECT_EQ(find("[あ-ん]", "a"), "none");
    EXPECT_EQ(find("[あ-ん]", "aか"), "1,3");
    EXPECT_EQ(find("[あ-ん]", "カ"), "none");
    EXPECT_EQ(find("[^あ-ん]", "かa"), "2,3");
    EXPECT_EQ(find("[あい]+", "うあいあ"), "2,8");
    EXPECT_EQ(find("[^あ]", "あい"), "2,4");
}

TEST(RegexDoubleByte, SecondBytesNeverActAsAscii) {
    // 表 and ソ end in 0x5C ("\"); ア ends in 0x41 ("A"); ポ ends in 0x7C ("|"); マ ends in 0x7D ("}").
    EXPECT_EQ(find("表", "x表"), "1,3");
    EXPECT_EQ(find("ソ+", "ソソ"), "0,4");
    EXPECT_EQ(find("[表]", "\\表"), "1,3");
    EXPECT_EQ(find("[ソ]", "\\"), "none");
    EXPECT_EQ(find("ポ", "|ポ"), "1,3");
    EXPECT_EQ(find("ポ|x", "ポ"), "0,2");
    EXPECT_EQ(find("\\表", "表"), "0,2");  // an escaped double-byte character is the character
    // A match never starts on a second byte.
    EXPECT_EQ(find("A", "ア"), "none");
    EXPECT_EQ(find("\\\\", "表"), "none");
    EXPECT_EQ(find("A", "アA"), "2,3");
    EXPECT_EQ(find("a{マ2}", "aa"), "0,2");  // a second byte 0x7D inside braces does not close them
}

TEST(RegexDoubleByte, CutCharacters) {
    // A field cut in the middle of a double-byte character ends in a lone lead byte: a character of its own.
    const std::string cut = std::string("ab") + "\x82";
    EXPECT_EQ(find("b.", cut), "1,3");
    EXPECT_EQ(find("b..", cut), "none");
    EXPECT_EQ(find("b$", cut), "none");
    // A pattern cut the same way ends in a one-byte literal that finds that lone byte.
    EXPECT_EQ(find(cut, "xx" + cut), "2,5");
    EXPECT_EQ(find(cut, "abあ"), "none");
}

TEST(RegexGroups, SlotsRecordTheWalk) {
    std::unique_ptr<Regex> re = compileRegex("(a+)(b)?c");
    ASSERT_NE(re, nullptr);
    EXPECT_EQ(re->groupCount(), 2);
    MatchSlots slots;
    ASSERT_EQ(matchRegex(*re, "xaac", &slots), 3);
    EXPECT_EQ(slots.spans[0].start, 1);
    EXPECT_EQ(slots.spans[0].end, 4);
    EXPECT_EQ(slots.spans[1].start, 1);
    EXPECT_EQ(slots.spans[1].end, 3);
    // Group 2 was entered on a path that failed ("b" against "c"): its start stays recorded, its end never
    // was.
    EXPECT_EQ(slots.spans[2].start, 3);
    EXPECT_TRUE(slots.spans[2].end < 0);
    // No match leaves the slots alone.
    MatchSlots untouched;
    EXPECT_EQ(matchRegex(*re, "bbb", &untouched), 0);
    EXPECT_TRUE(untouched.spans.empty());
    EXPECT_EQ(matchRegex(*re, "aac", nullptr), 3);
}

TEST(RegexGroups, UnclosedGroupsAreNumberedInOrder) {
    std::unique_ptr<Regex> re = compileRegex("(a(b");
    ASSERT_NE(re, nullptr);
    EXPECT_EQ(re->groupCount(), 2);
    EXPECT_EQ(find("(a(b", "ab"), "0,2");
}

TEST(RegexBoundedWork, EpsilonLoopsTerminate) {
    EXPECT_EQ(find("(a*)*b", "aaab"), "0,4");
    EXPECT_EQ(find("(a*)*", "b"), "0,0");
    EXPECT_EQ(find("(a|)+c", "aac"), "0,3");
    EXPECT_EQ(find("()*x", "yx"), "1,2");
    EXPECT_EQ(find("(a*?)*?b", "ab"), "0,2");
    EXPECT_EQ(find("(|a)*b", "aab"), "0,3");
    EXPECT_EQ(find("(^)*a", "a"), "0,1");
    EXPECT_EQ(find("($)*", "a"), "0,0");
}

TEST(RegexBoundedWork, PathologicalPatternsOnLongTexts) {
    // Each (state, position) pair is entered once per call, so these finish at once; plain backtracking
    // would need longer than the age of the universe. Timing is left to the benchmarks: the test passes by
    // finishing at all.
    const std::string as(20000, 'a');
    EXPECT_EQ(find("(a*)*b", as), "none");
    EXPECT_EQ(find("(a|aa)*c", as), "none");
    EXPECT_EQ(find("(a|a)*$", as + "b"), "none");
    EXPECT_EQ(find("((a+)+)+b", as), "none");
    EXPECT_EQ(find("(a*)*", as), "0,20000");
}

TEST(RegexBoundedWork, LongTextsNeedNoDeepStack) {
    // A 256 KB text and a 60 KB pattern: the walk and the compiler use their own stacks, not the thread's.
    const std::string text(1 << 18, 'a');
    EXPECT_EQ(find("a*$", text), "0,262144");
    EXPECT_EQ(find("(a|b)+?$", text), "0,262144");
    EXPECT_EQ(find(std::string(60000, 'a'), text), "0,60000");
    EXPECT_EQ(find(std::string(100000, 'a'), text), "error");  // more states than allowed
    EXPECT_EQ(find(std::string(100000, '(') + "a", "a"), "error");
}

TEST(RegexReuse, OneRegexManyTexts) {
    std::unique_ptr<Regex> re = compileRegex("[0-9]+\\.mp3$");
    ASSERT_NE(re, nullptr);
    EXPECT_EQ(matchRegex(*re, "song 12.mp3"), 1);
    EXPECT_EQ(matchRegex(*re, "song.mp3"), 0);
    EXPECT_EQ(matchRegex(*re, std::string(5000, '1') + ".mp3"), 1);
    EXPECT_EQ(matchRegex(*re, "1.mp3x"), 0);
    EXPECT_EQ(matchRegex(*re, "9.mp3"), 1);
    releaseRegex(re);
    EXPECT_EQ(re, nullptr);
}

}  // namespace
}  // namespace twk
