// The process's allocation functions replaced by counting wrappers around
// glibc's own; libstdc++'s array forms of new and delete call the ones
// replaced here. Linked only into builds without a sanitizer.
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
std::atomic<uint64_t> mallocs{0}, news{0}, frees{0};

void* count(std::atomic<uint64_t>& counter, void* pointer) {
    if (counting.load(std::memory_order_relaxed) && pointer != nullptr)
        counter.fetch_add(1, std::memory_order_relaxed);
    return pointer;
}

} // namespace

void startCountingAllocations() {
    mallocs = news = frees = 0;
    counting = true;
}

AllocationCounts stopCountingAllocations() {
    counting = false;
    return AllocationCounts{mallocs.load(), news.load(), frees.load()};
}

extern "C" {
void* malloc(size_t size) {
    return count(mallocs, __libc_malloc(size));
}
void* calloc(size_t n, size_t size) {
    return count(mallocs, __libc_calloc(n, size));
}
void* realloc(void* pointer, size_t size) {
    return count(mallocs, __libc_realloc(pointer, size));
}
void* aligned_alloc(size_t alignment, size_t size) {
    return count(mallocs, __libc_memalign(alignment, size));
}
void free(void* pointer) {
    __libc_free(count(frees, pointer));
}
}

void* operator new(size_t size) {
    void* pointer = count(news, __libc_malloc(size == 0 ? 1 : size));
    if (pointer == nullptr)
        std::abort();
    return pointer;
}
void operator delete(void* pointer) noexcept {
    free(pointer);
}
void operator delete(void* pointer, size_t) noexcept {
    free(pointer);
}
