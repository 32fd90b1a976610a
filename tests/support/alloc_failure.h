// Allocation failures on demand: while an AllocationFailure is alive, the allocations made through operator
// new are counted, and the one with the given number (0 = the first) fails as if memory had run out. A
// program that uses it has every operator new replaced by a counting one (alloc_failure.cpp).
#pragma once

#include <atomic>

namespace twk::test {

// Allocations inside a pause are neither counted nor failed: for the stand-ins of platform parts that never
// throw (a list view control), so that a failure is not made to happen where the real part cannot fail.
inline std::atomic<int> g_allocationPause{0};

class AllocationPause {
  public:
    AllocationPause() { ++g_allocationPause; }
    ~AllocationPause() { --g_allocationPause; }
    AllocationPause(const AllocationPause&) = delete;
    AllocationPause& operator=(const AllocationPause&) = delete;
};

class AllocationFailure {
  public:
    // failAt < 0 only counts.
    explicit AllocationFailure(long failAt);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    // Whether the allocation numbered failAt was asked for (and failed), and how many were asked for.
    bool fired() const;
    long counted() const;
};

}  // namespace twk::test
