#include "core/big_arrays.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Advises the whole pages of `page` bytes inside [data, data + bytes).
void advise_pages(void* data, size_t bytes, uintptr_t page, int advice) {
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

} // namespace

void advise_huge_pages(void* data, size_t bytes) {
    constexpr uintptr_t huge = uintptr_t(2) << 20;
    if (bytes >= huge) advise_pages(data, bytes, huge, MADV_HUGEPAGE);
}

void populate_pages(void* data, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    advise_pages(data, bytes, uintptr_t(sysconf(_SC_PAGESIZE)), MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}
