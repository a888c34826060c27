#include "core/big_arrays.h"

#include <cstdint>
#include <sys/mman.h>

void advise_huge_pages(void* data, size_t bytes) {
    constexpr uintptr_t huge = uintptr_t(2) << 20;
    if (bytes < huge) return;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + huge - 1) & ~(huge - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(huge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
