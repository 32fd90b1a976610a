#include "formats/line_scan.h"

#include <gtest/gtest.h>

#include <random>

namespace twk {
namespace {

// Second bytes that are not lead bytes, worked out one character at a time from byte 0.
uint64_t secondBytesOneByOne(uint64_t lead) {
    uint64_t seconds = 0;
    for (int i = 0; i < 64; ++i) {
        if (!((lead >> i) & 1)) continue;
        if (i + 1 < 64 && !((lead >> (i + 1)) & 1)) seconds |= uint64_t{1} << (i + 1);
        ++i;  // the byte after a lead byte is its second byte, whatever it is
    }
    return seconds;
}

TEST(LineScan, SecondBytesFollowOddRunsOfLeadBytes) {
    // Runs reaching bit 63 are left to the next block; compare below them.
    auto belowTrailingRun = [](uint64_t lead) {
        if (!(lead >> 63)) return ~uint64_t{0};
        if (~lead == 0) return uint64_t{0};
        int width = 64 - __builtin_clzll(~lead);
        return (uint64_t{1} << width) - 1;
    };
    std::mt19937_64 rng(5);
    for (int round = 0; round < 20000; ++round) {
        // Sparse, dense and run-heavy masks.
        uint64_t lead = rng();
        if (round % 3 == 1) lead &= rng();
        if (round % 3 == 2) lead |= rng() | rng();
        const uint64_t window = belowTrailingRun(lead);
        ASSERT_EQ(secondBytesAfterLeadRuns(lead) & window, secondBytesOneByOne(lead) & window)
            << std::hex << lead;
    }
    EXPECT_EQ(secondBytesAfterLeadRuns(0b0111), uint64_t{0b1000});
    EXPECT_EQ(secondBytesAfterLeadRuns(0b0110), uint64_t{0});
    EXPECT_EQ(secondBytesAfterLeadRuns(0b1011), uint64_t{0b10000});  // the pair 0-1, then 3 with 4
}

TEST(LineScan, FastMasksAgreeWithTheByteByByteOnes) {
    std::mt19937 rng(7);
    unsigned char block[kLineBlockSize];
    for (int round = 0; round < 5000; ++round) {
        for (unsigned char& c : block) c = static_cast<unsigned char>(round % 2 ? rng() : rng() % 16);
        const LineBlockMasks fast = lineBlockMasks(block), slow = lineBlockMasksPortable(block);
        ASSERT_EQ(fast.tab, slow.tab);
        ASSERT_EQ(fast.lineEnd, slow.lineEnd);
        ASSERT_EQ(fast.zero, slow.zero);
        ASSERT_EQ(fast.lead, slow.lead);
    }
    // Every byte value once, in four blocks.
    for (int base = 0; base < 256; base += kLineBlockSize) {
        for (int i = 0; i < kLineBlockSize; ++i) block[i] = static_cast<unsigned char>(base + i);
        const LineBlockMasks fast = lineBlockMasks(block), slow = lineBlockMasksPortable(block);
        EXPECT_EQ(fast.lead, slow.lead) << base;
        EXPECT_EQ(fast.lineEnd, slow.lineEnd) << base;
    }
}

}  // namespace
}  // namespace twk
