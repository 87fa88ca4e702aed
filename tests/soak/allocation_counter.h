// Counts heap allocations made while counting is on: every malloc, calloc,
// realloc and aligned allocation of the process, C++ new separately, and the
// frees and deletes of both.
#pragma once
#include <cstdint>

struct AllocationCounts {
    uint64_t mallocs; // C allocations of any code in the process
    uint64_t news;    // C++ operator new: our own code and libstdc++
    uint64_t frees;   // free and delete of anything but null
};

void startCountingAllocations();
AllocationCounts stopCountingAllocations();
