// The portable comparison against the platform's Japanese comparison, on generated single-byte texts.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>

#include "core/text.h"

namespace twk {
namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(TextCompareOnWindows, RunsWithTheJapaneseCodePage) {
    EXPECT_EQ(GetACP(), 932u);
}

TEST(TextCompareOnWindows, EmulationAgreesOnGeneratedAsciiTexts) {
    // Alphabets: letters, digits, punctuation, white space, and the characters that only count last. Bytes
    // 0x80 and above are left out: the emulation documents that it does not follow the system there.
    const std::string alphabet = "aAbBzZ09 -'!\"#$%&()*,./:;?@[]^_`{|}~\\+<=>\t\x01\x1f\x7f";
    std::mt19937 rng(12345);
    EmulatedComparer emulated;
    const TextComparer& system = systemTextComparer();
    int disagreements = 0;
    std::string firstA, firstB;
    for (int i = 0; i < 20000; ++i) {
        std::string a, b;
        int la = rng() % 5, lb = rng() % 5;
        for (int k = 0; k < la; ++k) a += alphabet[rng() % alphabet.size()];
        // Half of the pairs share a prefix, so that the later levels get exercised.
        if (rng() % 2) {
            b = a.substr(0, rng() % (a.size() + 1));
            lb = rng() % 3;
        }
        for (int k = 0; k < lb; ++k) b += alphabet[rng() % alphabet.size()];
        if (sign(emulated.compare(a.c_str(), b.c_str())) != sign(system.compare(a.c_str(), b.c_str()))) {
            if (disagreements++ == 0) {
                firstA = a;
                firstB = b;
            }
        }
    }
    EXPECT_EQ(disagreements, 0) << "first: \"" << firstA << "\" vs \"" << firstB << "\" system "
                                << system.compare(firstA.c_str(), firstB.c_str()) << " emulated "
                                << emulated.compare(firstA.c_str(), firstB.c_str());
}

TEST(TextCompareOnWindows, HashLikeTextsAgree) {
    std::mt19937 rng(7);
    const char hex[] = "0123456789ABCDEFabcdef";
    EmulatedComparer emulated;
    for (int i = 0; i < 5000; ++i) {
        std::string a, b;
        for (int k = 0; k < 32; ++k) a += hex[rng() % 22];
        b = a.substr(0, rng() % 33);
        while (b.size() < 32) b += hex[rng() % 22];
        ASSERT_EQ(sign(emulated.compare(a.c_str(), b.c_str())),
                  sign(systemTextComparer().compare(a.c_str(), b.c_str())))
            << a << " " << b;
    }
}

// Lists decide most probes by the sort-key prefixes: a smaller prefix must never belong to the greater text.
TEST(TextCompareOnWindows, SortKeyPrefixesNeverContradictTheComparison) {
    const std::string alphabet = "aAbB09 -'!~\\+\x01\x7f\x81\x40\x82\xa0\xb1";
    std::mt19937 rng(99);
    const TextComparer& system = systemTextComparer();
    for (int i = 0; i < 20000; ++i) {
        std::string a, b;
        for (int k = 0, n = rng() % 20; k < n; ++k) a += alphabet[rng() % alphabet.size()];
        // Every other pair shares a beginning, so that the second windows get to decide too.
        if (i % 2) b = a.substr(0, rng() % (a.size() + 1));
        for (int k = 0, n = rng() % 8; k < n; ++k) b += alphabet[rng() % alphabet.size()];
        uint64_t ka = system.sortKeyPrefix(a.c_str()), kb = system.sortKeyPrefix(b.c_str());
        if (ka == kb) {
            // Equal prefixes: the second windows decide in their turn.
            ka = system.sortKeySecond(a.c_str());
            kb = system.sortKeySecond(b.c_str());
        }
        if (ka < kb) {
            ASSERT_LT(system.compare(a.c_str(), b.c_str()), 0) << a << " / " << b;
        }
        if (kb < ka) {
            ASSERT_GT(system.compare(a.c_str(), b.c_str()), 0) << a << " / " << b;
        }
    }
    EXPECT_NE(system.sortKeyPrefix("abc"), system.sortKeyPrefix("abd")) << "prefixes must discriminate";
}

// ASCII texts take their prefixes from a table of weights instead of the system: they must be the very bytes
// the system maps, for every ASCII character in every place.
TEST(TextCompareOnWindows, TablePrefixesAreTheSystemsOwnSortKeyBytes) {
    const TextComparer& system = systemTextComparer();
    std::mt19937 rng(42);
    auto expectSame = [&](const std::string& text) {
        ASSERT_EQ(system.sortKeyPrefix(text.c_str()), systemSortKeyPrefixAsMapped(text.c_str())) << text;
        ASSERT_EQ(system.sortKeySecond(text.c_str()), systemSortKeySecondAsMapped(text.c_str())) << text;
    };
    // Every ASCII character before, among and after weighted ones, and texts of every length up to nine.
    for (int c = 1; c < 0x80; ++c) {
        const std::string one(1, static_cast<char>(c));
        for (const std::string& text : {one + "ABCD", "AB" + one + "CD", "ABCD" + one, "ABC" + one,
                                        one + one + one + one, "ABCDEFG" + one + "H", "ABCDEFGH" + one})
            expectSame(text);
    }
    for (int i = 0; i < 30000; ++i) {
        std::string text;
        const bool hashLike = i % 2 == 0;
        for (int k = 0, n = rng() % 18; k < n; ++k)
            text += hashLike ? "0123456789ABCDEFabcdef"[rng() % 22] : static_cast<char>(1 + rng() % 0x7F);
        expectSame(text);
    }
    // Texts with a double-byte character ask the system.
    expectSame("ABCDア");
    expectSame("アABCD");
    expectSame("ABCDEFGアH");
}

}  // namespace
}  // namespace twk
