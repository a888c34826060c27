// Counting every allocation of a benchmark program: the bytes operator new holds now
// and the most it has held since the last reset, in memory shared with the child
// processes a read makes, so that their allocations count as the program's.
//
// Include it in one file of a program only: it replaces the global operator new and
// delete.
#pragma once

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <sys/mman.h>

namespace bench {

struct HeapCount {
    std::atomic<size_t> now{0}, peak{0};
};

inline HeapCount& heap() {
    static HeapCount* count = [] {
        void* page = mmap(nullptr, sizeof(HeapCount), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED) std::abort();
        return new (page) HeapCount;
    }();
    return *count;
}

inline void note_allocation(void* p) {
    size_t now = heap().now += malloc_usable_size(p);
    size_t peak = heap().peak.load(std::memory_order_relaxed);
    while (now > peak && !heap().peak.compare_exchange_weak(peak, now)) {
    }
}

// Restarts the peak from the heap as it is; returns that level.
inline size_t reset_peak() {
    size_t now = heap().now.load();
    heap().peak = now;
    return now;
}

} // namespace bench

void* operator new(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    bench::note_allocation(p);
    return p;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    bench::heap().now -= malloc_usable_size(p);
    std::free(p);
}

void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}
