#include "support/alloc_failure.h"

#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace twk::test {

namespace {
std::atomic<bool> g_armed{false};
std::atomic<long> g_failAt{-1};
std::atomic<long> g_counted{0};
std::atomic<bool> g_fired{false};

// Whether this allocation is the one to fail.
bool failNow() {
    if (!g_armed.load(std::memory_order_relaxed) || g_allocationPause.load(std::memory_order_relaxed) > 0)
        return false;
    const long n = g_counted.fetch_add(1);
    if (n != g_failAt.load()) return false;
    g_fired = true;
    return true;
}

void* allocate(std::size_t size) noexcept {
    if (failNow()) return nullptr;
    return std::malloc(size ? size : 1);
}

void* allocateAligned(std::size_t size, std::size_t align) noexcept {
    if (failNow()) return nullptr;
    if (size == 0) size = 1;
#ifdef _WIN32
    return _aligned_malloc(size, align);
#else
    void* p = nullptr;
    if (align < sizeof(void*)) align = sizeof(void*);
    return posix_memalign(&p, align, size) == 0 ? p : nullptr;
#endif
}

void releaseAligned(void* p) noexcept {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}
}  // namespace

AllocationFailure::AllocationFailure(long failAt) {
    g_counted = 0;
    g_fired = false;
    g_failAt = failAt;
    g_armed = true;
}

AllocationFailure::~AllocationFailure() {
    g_armed = false;
    g_failAt = -1;
}

bool AllocationFailure::fired() const {
    return g_fired;
}

long AllocationFailure::counted() const {
    return g_counted;
}

}  // namespace twk::test

// The replaced allocation functions.
void* operator new(std::size_t size) {
    if (void* p = twk::test::allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = twk::test::allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return twk::test::allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return twk::test::allocate(size);
}
void* operator new(std::size_t size, std::align_val_t align) {
    if (void* p = twk::test::allocateAligned(size, static_cast<std::size_t>(align))) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) {
    if (void* p = twk::test::allocateAligned(size, static_cast<std::size_t>(align))) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return twk::test::allocateAligned(size, static_cast<std::size_t>(align));
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    return twk::test::allocateAligned(size, static_cast<std::size_t>(align));
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    twk::test::releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    twk::test::releaseAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    twk::test::releaseAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    twk::test::releaseAligned(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    twk::test::releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    twk::test::releaseAligned(p);
}
