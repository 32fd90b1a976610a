#include <cstddef>
#include <new>

namespace twk {

void* allocatePoolChunk(std::size_t size) noexcept {
    return ::operator new(size, std::align_val_t(size), std::nothrow);
}

void freePoolChunk(void* chunk, std::size_t size) noexcept { ::operator delete(chunk, std::align_val_t(size)); }

}  // namespace twk
