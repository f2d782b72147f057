// The global allocation functions of the perf suite, replaced to count
// every allocation and, on request, to fail them; the array forms call these
// by default. Nothrow too, or a sanitizer's would pair its own allocation
// with our free(). In a file of their own, so that the compiler does not pair
// a free() with an inlined operator new.
#include "perf/counting_allocator.h"

#include <cstdlib>
#include <new>

std::atomic<long> g_allocations{0};
std::atomic<long> g_frees{0};
std::atomic<bool> g_failAllocations{false};

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    const bool fail = g_failAllocations.load(std::memory_order_relaxed);
    if (void* memory = fail ? nullptr : std::malloc(size != 0 ? size : 1)) return memory;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}
void operator delete(void* memory) noexcept { g_frees += memory != nullptr; std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }
