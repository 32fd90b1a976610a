#include "core/entry_pool.h"

#include <new>

namespace twk {

// Provided per platform: kChunkSize bytes aligned to kChunkSize, or nullptr.
void* allocatePoolChunk(std::size_t size) noexcept;
void freePoolChunk(void* chunk, std::size_t size) noexcept;

struct SlotPool::Chunk {
    SlotPool* owner;
    Chunk* prev;
    Chunk* next;  // links of the partial list
    FreeSlot* free;
    uint32_t live;
    uint32_t bumped;  // slots handed out from the untouched end
    bool inPartial;
};

namespace {
constexpr std::size_t roundUp(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}
}  // namespace

SlotPool::SlotPool(std::size_t slotSize, std::size_t slotAlign)
    // A free slot holds a link, so every slot is aligned for one too.
    : slotSize_(roundUp(slotSize < sizeof(FreeSlot) ? sizeof(FreeSlot) : slotSize,
                        slotAlign < alignof(FreeSlot) ? alignof(FreeSlot) : slotAlign)),
      firstSlot_(roundUp(sizeof(Chunk), 16)),
      capacity_((kChunkSize - firstSlot_) / slotSize_) {}

SlotPool::~SlotPool() {
    // Only an empty pool is destroyed; the chunks still held are the active one and empty partial ones.
    while (partial_) {
        Chunk* c = partial_;
        unlinkPartial(c);
        freeChunk(c);
    }
    if (active_) freeChunk(active_);
}

SlotPool::Chunk* SlotPool::newChunk() {
    void* memory = allocatePoolChunk(kChunkSize);
    if (!memory) throw std::bad_alloc();
    if (reinterpret_cast<uintptr_t>(memory) & (kChunkSize - 1)) {
        // Slots find their chunk by its alignment: a chunk without it cannot be used.
        freePoolChunk(memory, kChunkSize);
        throw std::bad_alloc();
    }
    ++chunks_;
    return new (memory) Chunk{this, nullptr, nullptr, nullptr, 0, 0, false};
}

void SlotPool::freeChunk(Chunk* c) noexcept {
    if (c == active_) active_ = nullptr;
    --chunks_;
    c->~Chunk();
    freePoolChunk(c, kChunkSize);
}

void SlotPool::unlinkPartial(Chunk* c) noexcept {
    if (c->prev) c->prev->next = c->next;
    if (c->next) c->next->prev = c->prev;
    if (partial_ == c) partial_ = c->next;
    c->prev = c->next = nullptr;
    c->inPartial = false;
}

void* SlotPool::allocate() {
    Chunk* c = active_;
    if (!c || (!c->free && c->bumped == capacity_)) {
        // The active chunk is full: it leaves every list until one of its slots is freed.
        if (partial_) {
            c = partial_;
            unlinkPartial(c);
        } else {
            c = newChunk();
        }
        active_ = c;
    }
    void* slot;
    if (c->free) {
        slot = c->free;
        c->free = c->free->next;
    } else {
        slot = reinterpret_cast<char*>(c) + firstSlot_ + c->bumped++ * slotSize_;
    }
    ++c->live;
    ++live_;
    return slot;
}

namespace {
// Slots find their chunk by its alignment.
template <class Chunk>
Chunk* chunkOf(void* slot) {
    return reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(slot) & ~uintptr_t{SlotPool::kChunkSize - 1});
}
}  // namespace

void SlotPool::releaseToOwner(void* slot) noexcept {
    if (slot) chunkOf<Chunk>(slot)->owner->release(slot);
}

void SlotPool::release(void* slot) noexcept {
    if (!slot) return;
    Chunk* c = chunkOf<Chunk>(slot);
    FreeSlot* f = static_cast<FreeSlot*>(slot);
    f->next = c->free;
    c->free = f;
    --c->live;
    --live_;
    if (c == active_) return;  // kept even when empty, ready for the next rows
    if (c->live == 0) {
        if (c->inPartial) unlinkPartial(c);
        freeChunk(c);
    } else if (!c->inPartial) {
        c->next = partial_;
        if (partial_) partial_->prev = c;
        partial_ = c;
        c->inPartial = true;
    }
}

}  // namespace twk
