#include "core/entry_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace twk {
namespace {

struct Block {
    char* at;
    std::size_t bytes;
};

bool sameChunk(const char* a, const char* b) {
    return reinterpret_cast<uintptr_t>(a) / RowArena::kChunkSize ==
           reinterpret_cast<uintptr_t>(b) / RowArena::kChunkSize;
}

TEST(RowArena, BlocksFollowEachOtherWithoutGapsAndEmptyChunksGoBack) {
    RowArena arena;
    std::vector<Block> blocks;
    std::size_t total = 0;
    std::mt19937 rng(5);
    for (int i = 0; i < 5000; ++i) {
        const std::size_t bytes = 1 + rng() % 300;
        char* at = static_cast<char*>(arena.allocate(bytes));
        std::memset(at, 0xAB, bytes);  // every byte of a block is ours
        if (!blocks.empty() && sameChunk(at, blocks.back().at)) {
            ASSERT_EQ(at, blocks.back().at + blocks.back().bytes);
        }
        blocks.push_back(Block{at, bytes});
        total += bytes;
    }
    // Every chunk is full but for less than a block.
    const std::size_t chunks = arena.chunkCount();
    EXPECT_LE(chunks, total / (RowArena::kChunkSize - 300) + 1);

    // Freeing every other block keeps every chunk; the rest, in random order, leaves only the active one.
    std::vector<Block> rest;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (i % 2 == 0)
            RowArena::release(blocks[i].at, blocks[i].bytes);
        else
            rest.push_back(blocks[i]);
    }
    EXPECT_EQ(arena.chunkCount(), chunks);
    std::shuffle(rest.begin(), rest.end(), std::mt19937(11));
    for (const Block& b : rest) RowArena::release(b.at, b.bytes);
    EXPECT_EQ(arena.liveCount(), 0u);
    EXPECT_EQ(arena.chunkCount(), 1u);
    RowArena::release(nullptr, 0);
}

TEST(RowArena, ABlockFreedRightAfterItWasMadeIsTakenAgain) {
    RowArena arena;
    void* kept = arena.allocate(100);
    void* refused = arena.allocate(130);
    RowArena::release(refused, 130);
    EXPECT_EQ(arena.allocate(40), refused);
    // Not when its size is not known, nor for a block that is not the last.
    void* unknown = arena.allocate(10);
    RowArena::release(unknown, 0);
    EXPECT_NE(arena.allocate(10), unknown);
    RowArena::release(kept, 100);
    EXPECT_NE(arena.allocate(100), kept);
    EXPECT_EQ(arena.liveCount(), 3u);
}

TEST(RowArena, ManyRowsComeAndGoWithoutLeavingChunksBehind) {
    RowArena small, large;
    std::mt19937 rng(3);
    std::vector<Block> live;
    for (int round = 0; round < 200000; ++round) {
        if (live.empty() || rng() % 3 != 0) {
            RowArena& arena = rng() % 2 ? small : large;
            const std::size_t bytes =
                &arena == &small ? 20 + rng() % 60 : 200 + rng() % RowArena::kLargestBlock / 2;
            live.push_back(Block{static_cast<char*>(arena.allocate(bytes)), bytes});
        } else {
            std::size_t k = rng() % live.size();
            RowArena::release(live[k].at, live[k].bytes);
            live[k] = live.back();
            live.pop_back();
        }
    }
    EXPECT_EQ(small.liveCount() + large.liveCount(), live.size());
    for (const Block& b : live) RowArena::release(b.at, b.bytes);
    EXPECT_EQ(small.liveCount() + large.liveCount(), 0u);
    EXPECT_EQ(small.chunkCount(), 1u);
    EXPECT_EQ(large.chunkCount(), 1u);
    EXPECT_THROW(small.allocate(RowArena::kLargestBlock + 1), std::bad_alloc);
}

}  // namespace
}  // namespace twk
