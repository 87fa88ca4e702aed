// Counts heap allocations made while counting is on: every malloc, calloc,
// realloc and aligned allocation of the process, and C++ new separately.
#pragma once
#include <cstdint>

struct AllocationCounts {
    uint64_t mallocs; // C allocations of any code in the process
    uint64_t news;    // C++ operator new: our own code and libstdc++
};

void startCountingAllocations();
AllocationCounts stopCountingAllocations();
