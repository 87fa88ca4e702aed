// The process's allocation functions replaced by counting wrappers around
// glibc's own. Linked only into builds without a sanitizer, which has its own
// replacements.
#include "tests/soak/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<uint64_t> mallocCount{0};
std::atomic<uint64_t> newCount{0};

void countMalloc() {
    if (counting.load(std::memory_order_relaxed))
        mallocCount.fetch_add(1, std::memory_order_relaxed);
}

void* countedNew(size_t size) {
    if (counting.load(std::memory_order_relaxed))
        newCount.fetch_add(1, std::memory_order_relaxed);
    void* pointer = __libc_malloc(size == 0 ? 1 : size);
    if (pointer == nullptr)
        std::abort();
    return pointer;
}

} // namespace

void startCountingAllocations() {
    mallocCount = 0;
    newCount = 0;
    counting = true;
}

AllocationCounts stopCountingAllocations() {
    counting = false;
    return AllocationCounts{mallocCount.load(), newCount.load()};
}

extern "C" {
void* malloc(size_t size) {
    countMalloc();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    countMalloc();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size) {
    countMalloc();
    return __libc_realloc(pointer, size);
}
void* memalign(size_t alignment, size_t size) {
    countMalloc();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    countMalloc();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    countMalloc();
    *out = __libc_memalign(alignment, size);
    return *out == nullptr ? 12 /* ENOMEM */ : 0;
}
void free(void* pointer) { __libc_free(pointer); }
}

void* operator new(size_t size) { return countedNew(size); }
void* operator new[](size_t size) { return countedNew(size); }
void operator delete(void* pointer) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, size_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, size_t) noexcept { __libc_free(pointer); }
