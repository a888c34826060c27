// Tight loops with progress and a stop: the steps go in blocks, and the checkpoint comes
// between blocks, so that the loop inside a block is the loop as it is without a Work.
#pragma once

#include "core/work.h"

#include <cstddef>
#include <cstdint>

// step(i) for i = 0 .. n - 1 (i of n's type), with progress (i of n) and a checkpoint
// before every block of 2^bits steps.
template <typename Index, typename Step>
void in_blocks(Work* work, Index n, int bits, Step step) {
    const Index block = Index(1) << bits;
    for (Index first = 0; first < n; first += block) {
        advance(work, int64_t(first), int64_t(n));
        const Index last = n - first > block ? first + block : n;
        for (Index i = first; i < last; ++i) step(i);
    }
}
