#include "core/entry_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace twk {
namespace {

TEST(SlotPool, SlotsAreDistinctAlignedAndReusedAndEmptyChunksGoBack) {
    SlotPool pool(184, 8);
    const std::size_t perChunk = pool.slotsPerChunk();
    ASSERT_GT(perChunk, 100u);
    std::vector<void*> slots;
    for (std::size_t i = 0; i < perChunk * 5 + 3; ++i) {
        void* s = pool.allocate();
        ASSERT_EQ(reinterpret_cast<uintptr_t>(s) % 8, 0u);
        std::memset(s, 0xAB, 184);  // every byte of a slot is ours
        slots.push_back(s);
    }
    EXPECT_EQ(std::set<void*>(slots.begin(), slots.end()).size(), slots.size());
    EXPECT_EQ(pool.chunkCount(), 6u);

    // Freeing every other slot keeps the chunks; as many new slots fit in the freed places without a new
    // chunk, and none of them is a slot still in use.
    for (std::size_t i = 0; i < slots.size(); i += 2) pool.release(slots[i]);
    for (std::size_t i = 0; i < slots.size(); i += 2) slots[i] = pool.allocate();
    EXPECT_EQ(std::set<void*>(slots.begin(), slots.end()).size(), slots.size());
    EXPECT_EQ(pool.chunkCount(), 6u);

    // In random order everything goes back; only the chunk rows are taken from stays.
    std::shuffle(slots.begin(), slots.end(), std::mt19937(11));
    for (void* s : slots) pool.release(s);
    EXPECT_EQ(pool.liveCount(), 0u);
    EXPECT_EQ(pool.chunkCount(), 1u);
    pool.release(nullptr);
}

TEST(SlotPool, ASlotGoesBackToThePoolItCameFrom) {
    SlotPool small(64, 8), large(400, 8);
    std::vector<void*> slots;
    for (int i = 0; i < 1000; ++i) slots.push_back(i % 3 ? small.allocate() : large.allocate());
    for (void* s : slots) SlotPool::releaseToOwner(s);
    SlotPool::releaseToOwner(nullptr);
    EXPECT_EQ(small.liveCount(), 0u);
    EXPECT_EQ(large.liveCount(), 0u);
    EXPECT_EQ(small.chunkCount(), 1u);
    EXPECT_EQ(large.chunkCount(), 1u);
}

TEST(SlotPool, ManyRowsComeAndGoWithoutLeavingChunksBehind) {
    SlotPool pool(100, 4);
    std::mt19937 rng(3);
    std::vector<void*> live;
    for (int round = 0; round < 200000; ++round) {
        if (live.empty() || rng() % 3 != 0) {
            live.push_back(pool.allocate());
        } else {
            std::size_t k = rng() % live.size();
            pool.release(live[k]);
            live[k] = live.back();
            live.pop_back();
        }
    }
    EXPECT_EQ(pool.liveCount(), live.size());
    // Never more chunks than the live slots need, plus the half-empty ones the random frees left.
    EXPECT_LE(pool.chunkCount(), live.size() / pool.slotsPerChunk() * 3 + 2);
    for (void* s : live) pool.release(s);
    EXPECT_EQ(pool.chunkCount(), 1u);
}

}  // namespace
}  // namespace twk
