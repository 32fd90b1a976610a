#include <windows.h>

#include <cstddef>

namespace twk {

// Reservations are made at 64 KiB boundaries, so a chunk of 64 KiB comes aligned without waste.
void* allocatePoolChunk(std::size_t size) noexcept {
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void freePoolChunk(void* chunk, std::size_t) noexcept { VirtualFree(chunk, 0, MEM_RELEASE); }

}  // namespace twk
