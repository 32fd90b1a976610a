// Storage for rows: a list of half a million rows would otherwise be half a million separate heap blocks,
// each with its own header and slack. Rows of any size are carved one after another from aligned chunks of
// 64 KiB, so that the rows made together lie together with nothing between them. A chunk whose rows are all
// freed goes back to the heap, so closing a large list returns its memory. The room of a freed row is taken
// again when it was the last one carved (a row made and then refused at once); otherwise it waits for the
// rest of its chunk. Like the lists themselves, the arena belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace twk {

class RowArena {
  public:
    static constexpr std::size_t kChunkSize = 64 * 1024;
    // The largest block the arena carves; larger rows are the caller's to place.
    static constexpr std::size_t kLargestBlock = kChunkSize / 8;

    RowArena() = default;
    ~RowArena();
    RowArena(const RowArena&) = delete;
    RowArena& operator=(const RowArena&) = delete;

    // A block of 1 .. kLargestBlock bytes, aligned to 1; throws std::bad_alloc when no chunk can be had.
    void* allocate(std::size_t bytes);
    // Gives a block back to the arena it came from. `bytes` is its size, or 0 when not known (its room is
    // then not taken again before its chunk empties).
    static void release(void* block, std::size_t bytes) noexcept;

    // For tests and diagnostics.
    std::size_t chunkCount() const { return chunks_; }
    std::size_t liveCount() const { return live_; }

  private:
    struct Chunk;

    void releaseHere(Chunk* c, char* block, std::size_t bytes) noexcept;
    void freeChunk(Chunk* c) noexcept;

    Chunk* active_ = nullptr;  // blocks are carved from here
    std::size_t chunks_ = 0;
    std::size_t live_ = 0;
};

}  // namespace twk
