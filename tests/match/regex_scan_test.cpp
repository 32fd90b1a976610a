// The search's scanner against the engine's walk: on random patterns of the whole syntax (anchors in and out
// of place, escapes, classes, double-byte characters, lenient readings) and random texts (CR and LF, lead
// bytes followed by CR, LF or an ASCII byte, a lone lead byte at the end), both must say the same. A
// disagreement is shrunk to a small pattern and text before it is reported.
#include "match/regex_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "match/regex.h"

namespace twk {
namespace {

// Pieces of patterns; double-byte characters are written as cp932 bytes: あ 82A0, ア 8341 (second byte "A"),
// 表 955C (second byte "\"), ん 82F1.
const char* const kPatternPieces[] = {
    "a",
    "b",
    "x",
    ".",
    "\\d",
    "\\w",
    "\\s",
    "\\S",
    "[ab]",
    "[^a]",
    "[a-c]",
    "[\\d]",
    "[^\\r\\n]",
    "\x82\xA0",
    "\x83\x41",
    "\x95\x5C",
    "[\x82\xA0-\x82\xF1]",
    "[^\x82\xA0]",
    "\\x0d",
    "\\n",
    "^",
    "$",
    "(",
    ")",
    "|",
    "*",
    "+",
    "?",
    "*?",
    "+?",
    "{2}",
    "{1,3}",
    "{0}",
    "{,2}",
    "{2,}",
    "[",
    "]",
    "}",
    "\\",
    "\\x",
    "\x82",
    "\\\x95\x5C",
    "A",
    "\\.",
    "[\\^a]",
};

const char* const kTextPieces[] = {
    "a",
    "b",
    "x",
    "1",
    " ",
    "\r",
    "\n",
    "\r\n",
    "A",
    "\x82\xA0",
    "\x83\x41",
    "\x95\x5C",
    "\x82\r",
    "\x82\n",
    "\x82"
    "a",
    ".",
    "\\",
};

std::string randomPattern(std::mt19937& rng) {
    std::string p;
    for (int n = static_cast<int>(rng() % 9); n > 0; --n)
        p += kPatternPieces[rng() % std::size(kPatternPieces)];
    return p;
}

std::string randomText(std::mt19937& rng) {
    std::string t;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) t += kTextPieces[rng() % std::size(kTextPieces)];
    if (rng() % 6 == 0) t += '\x82';  // a field cut inside a double-byte character
    return t;
}

// -1: the pattern does not compile or the walk gave up; else whether the two disagree.
int disagree(const std::string& pattern, const std::string& text, std::size_t cacheBytes) {
    std::unique_ptr<Regex> re = compileRegex(pattern);
    if (!re) return -1;
    RegexBudget budget{1ull << 40};
    const int n = matchRegex(*re, text, nullptr, &budget);
    if (n == kRegexGaveUp) return -1;
    RegexScanner scanner(*re, cacheBytes);
    return scanner.matches(text) != (n > 0) ? 1 : 0;
}

// Drops bytes from the pattern, then from the text, while the two still disagree.
void shrink(std::string& pattern, std::string& text, std::size_t cacheBytes) {
    for (std::string* s : {&pattern, &text, &pattern}) {
        for (std::size_t i = 0; i < s->size();) {
            std::string kept = *s;
            s->erase(i, 1);
            if (disagree(pattern, text, cacheBytes) == 1) continue;
            *s = kept;
            ++i;
        }
    }
}

std::string shown(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

TEST(RegexScanner, AgreesWithTheWalkOnRandomPatternsAndTexts) {
    // A roomy cache, and one so small that it is emptied all the time and the scanner ends up stepping.
    for (const std::size_t cacheBytes : {kRegexScanCacheBytes, std::size_t(2048)}) {
        for (const uint32_t seed : {1u, 22u, 20261209u}) {
            std::mt19937 rng(seed);
            int matched = 0;
            int compared = 0;
            for (int p = 0; p < 1500; ++p) {
                const std::string pattern = randomPattern(rng);
                std::unique_ptr<Regex> re = compileRegex(pattern);
                if (!re) continue;
                // One scanner for all the texts of a pattern, as a search keeps one for all its rows, and one
                // that reads them two at a time.
                RegexScanner scanner(*re, cacheBytes);
                RegexScanner paired(*re, cacheBytes);
                std::string previous;
                int previousN = kRegexGaveUp;
                for (int t = 0; t < 12; ++t) {
                    std::string text = randomText(rng);
                    const int n = matchRegex(*re, text);
                    if (n == kRegexGaveUp) continue;
                    ++compared;
                    matched += n > 0;
                    if (previousN != kRegexGaveUp) {
                        bool first = false, second = false;
                        paired.matchesTwo(previous.c_str(), text.c_str(), &first, &second);
                        ASSERT_TRUE(first == (previousN > 0) && second == (n > 0))
                            << "seed " << seed << ", cache " << cacheBytes << ": pattern \"" << shown(pattern)
                            << "\" texts \"" << shown(previous) << "\" and \"" << shown(text)
                            << "\": read side by side, the scanner and the walk disagree";
                        previousN = kRegexGaveUp;
                    } else {
                        previous = text;
                        previousN = n;
                    }
                    if (scanner.matches(text) == (n > 0)) continue;
                    std::string small = pattern;
                    shrink(small, text, cacheBytes);
                    FAIL() << "seed " << seed << ", cache " << cacheBytes << ": pattern \"" << shown(small)
                           << "\" text \"" << shown(text) << "\": the scanner and the walk disagree";
                }
            }
            // Both answers must be common, or the comparison says little.
            EXPECT_GT(matched, compared / 5);
            EXPECT_LT(matched, compared - compared / 5);
        }
    }
}

// A pattern whose deterministic states are as many as the bytes read: the cache is emptied again and again,
// never holds more than it may, and the scanner goes over to stepping the set of states, with the same
// answers.
TEST(RegexScanner, ThrashingCacheStaysBoundedAndRight) {
    std::unique_ptr<Regex> re = compileRegex("(a|b)*a(a|b){14}c");
    ASSERT_NE(re, nullptr);
    constexpr std::size_t kCache = 64 * 1024;
    RegexScanner scanner(*re, kCache);
    RegexScanner paired(*re, kCache);
    std::string previous = "ab";
    std::mt19937 rng(5);
    std::size_t peak = 0;
    for (int row = 0; row < 40; ++row) {
        std::string text;
        for (int i = 0; i < 3000; ++i) text += "ab"[rng() % 2];
        if (row % 3 == 0) text += 'c';
        EXPECT_EQ(scanner.matches(text), matchRegex(*re, text) > 0) << row;
        peak = std::max(peak, scanner.cacheBytesHeld());
        // Two texts side by side, the cache emptied on the way of the first.
        bool first = false, second = false;
        paired.matchesTwo(text.c_str(), previous.c_str(), &first, &second);
        EXPECT_EQ(first, matchRegex(*re, text) > 0) << row;
        EXPECT_EQ(second, matchRegex(*re, previous) > 0) << row;
        previous = text;
    }
    EXPECT_GT(scanner.flushes(), 1u);
    EXPECT_TRUE(scanner.stepping());
    EXPECT_LE(peak, kCache);
}

// Patterns the walk's budget once refused on long lists are answered on any number of rows.
TEST(RegexScanner, CostlyPatternsAreAnswered) {
    struct Case {
        const char* pattern;
        std::string text;
        bool match;
    };
    const std::string as(300, 'a');
    const Case cases[] = {
        {"(.?){10000}xx", as + "xx", true},
        {"(.?){10000}xx", as + "x", false},
        {".{10,50}x", "0123456789x", true},
        {".{10,50}x", "012345678x", false},
        {"(.{250}){250}", as, false},
        {"(.{20}){3}$", std::string(60, 'z'), true},
        {"(.{20}){3}$", std::string(59, 'z'), false},  // shorter than any match: not read through
        {"((\\w+\\s*)+)+x", as + " " + as + "!", false},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Regex> re = compileRegex(c.pattern);
        ASSERT_NE(re, nullptr) << c.pattern;
        RegexScanner scanner(*re);
        for (int row = 0; row < 100; ++row) ASSERT_EQ(scanner.matches(c.text), c.match) << c.pattern;
    }
}

}  // namespace
}  // namespace twk
