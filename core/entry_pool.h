// Storage for rows: a list of half a million rows would otherwise be half a million separate heap blocks.
// Rows are carved from aligned chunks of 64 KiB; a chunk whose rows are all freed goes back to the heap, so
// closing a large list returns its memory. Like the lists themselves, the pool belongs to one thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace twk {

class SlotPool {
  public:
    static constexpr std::size_t kChunkSize = 64 * 1024;

    // slotSize and slotAlign: of the objects kept; slotAlign is a power of two up to 16.
    SlotPool(std::size_t slotSize, std::size_t slotAlign);
    ~SlotPool();
    SlotPool(const SlotPool&) = delete;
    SlotPool& operator=(const SlotPool&) = delete;

    // A slot of slotSize bytes; throws std::bad_alloc when no chunk can be had.
    void* allocate();
    void release(void* slot) noexcept;
    // Gives a slot back to the pool it came from, whichever that is.
    static void releaseToOwner(void* slot) noexcept;

    // For tests and diagnostics.
    std::size_t chunkCount() const { return chunks_; }
    std::size_t slotsPerChunk() const { return capacity_; }
    std::size_t liveCount() const { return live_; }

  private:
    struct FreeSlot {
        FreeSlot* next;
    };
    struct Chunk;

    Chunk* newChunk();
    void unlinkPartial(Chunk* c) noexcept;
    void freeChunk(Chunk* c) noexcept;

    std::size_t slotSize_;
    std::size_t firstSlot_;  // offset of slot 0 from the chunk's start
    std::size_t capacity_;
    Chunk* active_ = nullptr;   // rows are taken from here first
    Chunk* partial_ = nullptr;  // other chunks with free slots
    std::size_t chunks_ = 0;
    std::size_t live_ = 0;
};

}  // namespace twk
