#include "core/entry_pool.h"

#include <new>

namespace twk {

// Provided per platform: kChunkSize bytes aligned to kChunkSize, or nullptr.
void* allocatePoolChunk(std::size_t size) noexcept;
void freePoolChunk(void* chunk, std::size_t size) noexcept;

struct RowArena::Chunk {
    RowArena* owner;
    uint32_t live;  // blocks not yet freed
    uint32_t used;  // bytes carved, this header included
};

namespace {
constexpr uint32_t kFirstBlock = sizeof(void*) == 8 ? 16 : 12;
static_assert(kFirstBlock >= sizeof(void*) + 2 * sizeof(uint32_t), "the chunk header fits before the blocks");

// Blocks find their chunk by its alignment.
template <class Chunk>
Chunk* chunkOf(void* block) {
    return reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(block) &
                                    ~uintptr_t{RowArena::kChunkSize - 1});
}
}  // namespace

RowArena::~RowArena() {
    // Only an empty arena is destroyed; the one chunk still held is the active one.
    if (active_) freeChunk(active_);
}

void* RowArena::allocate(std::size_t bytes) {
    if (bytes == 0 || bytes > kLargestBlock) throw std::bad_alloc();
    Chunk* c = active_;
    if (!c || kChunkSize - c->used < bytes) {
        void* memory = allocatePoolChunk(kChunkSize);
        if (!memory) throw std::bad_alloc();
        if (reinterpret_cast<uintptr_t>(memory) & (kChunkSize - 1)) {
            // Blocks find their chunk by its alignment: a chunk without it cannot be used.
            freePoolChunk(memory, kChunkSize);
            throw std::bad_alloc();
        }
        ++chunks_;
        Chunk* fresh = new (memory) Chunk{this, 0, kFirstBlock};
        // The chunk left behind lives on while it holds rows; an empty one goes now.
        if (c && c->live == 0) freeChunk(c);
        active_ = c = fresh;
    }
    char* block = reinterpret_cast<char*>(c) + c->used;
    c->used += static_cast<uint32_t>(bytes);
    ++c->live;
    ++live_;
    return block;
}

void RowArena::release(void* block, std::size_t bytes) noexcept {
    if (!block) return;
    Chunk* c = chunkOf<Chunk>(block);
    c->owner->releaseHere(c, static_cast<char*>(block), bytes);
}

void RowArena::releaseHere(Chunk* c, char* block, std::size_t bytes) noexcept {
    --c->live;
    --live_;
    if (c == active_) {
        // Kept even when empty, ready for the next rows.
        if (c->live == 0)
            c->used = kFirstBlock;
        else if (bytes && block + bytes == reinterpret_cast<char*>(c) + c->used)
            c->used -= static_cast<uint32_t>(bytes);
        return;
    }
    if (c->live == 0) freeChunk(c);
}

void RowArena::freeChunk(Chunk* c) noexcept {
    if (c == active_) active_ = nullptr;
    --chunks_;
    c->~Chunk();
    freePoolChunk(c, kChunkSize);
}

}  // namespace twk
