// StepTable: a shortest path table whose distances are all small step counts, one byte
// per pair in the same packed order, for the sums that only add distances up.
//
// Such sums are whole numbers below 2^24 (at most 65,535 faces of at most 254 steps),
// so every float partial sum is exact and the float result is the same in any order of
// addition: they can be taken from a quarter of the memory, in whatever order reads it
// fastest, with the result of a sum in face order bit for bit.
#pragma once

#include "core/work.h"
#include "segmentation/shortest_path_table.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class StepTable {
  public:
    // The byte that stands for "no path".
    static constexpr std::uint8_t none = 255;

    // The copy of `table`, made at the first call for its current distances: empty when
    // a distance is neither 1e9 nor a whole number of at most 254, or the memory cannot
    // be had. nullptr then. With a Work: progress and checkpoints; a stop leaves it
    // empty.
    const StepTable* of(const ShortestPathTable& table, Work* work = nullptr);
    void clear();

    int faces() const { return n; }
    // Pairs (r, 0) ... (r, r).
    const std::uint8_t* row(int r) const { return steps.get() + offsets[r]; }

  private:
    bool copy(const ShortestPathTable& table, Work* work);

    const ShortestPathTable* source = nullptr;
    unsigned generation = 0;
    bool usable = false;
    int n = 0;
    std::vector<std::int64_t> offsets;
    std::unique_ptr<std::uint8_t[]> steps;
};

// For every face f: sums[f] = the sum of d(f, x) over the faces x != f with
// patch_of[x] == patch_of[f] and a path to f, as a float. Patches are numbered below
// 255. With a Work: progress and checkpoints.
void same_patch_step_sums(const StepTable& steps, std::span<const std::uint8_t> patch_of,
                          float* sums, Work* work = nullptr);
