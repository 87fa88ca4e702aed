// Counts the process's heap allocations (C and C++ new apart) and frees while on.
#pragma once
#include <cstdint>

struct AllocationCounts {
    uint64_t mallocs; // C allocations of any code in the process
    uint64_t news;    // C++ operator new: our own code and libstdc++
    uint64_t frees;   // free and delete of anything but null
};

void startCountingAllocations();
AllocationCounts stopCountingAllocations();
