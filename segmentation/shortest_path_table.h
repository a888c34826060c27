// ShortestPathTable: a distance for every unordered pair of faces, stored once per pair
// in a packed lower triangle with the diagonal, row by row, and the adjacency weights
// the distances are computed from.
//
// Pair (a, b) lives at offsets[max(a, b)] + min(a, b). The array holds
// entry_count = floor(n * n / 2 + n) floats: the n (n + 1) / 2 addressed pairs and
// floor(n / 2) spare ones at the end, which are kept at 0 and written to file with the
// rest. 1e9 in a distance means "no path".
#pragma once

#include "core/io_result.h"
#include "core/work.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

// How the all-pairs step measures a path: Floyd counts the steps across adjacent faces,
// Dijkstra adds up the adjacency weights along the lightest path.
enum class SpMode : int { Floyd = 0, Dijkstra = 1 };

// The distance that stands for "no path".
constexpr float no_path = 1e9f;

class ShortestPathTable {
  public:
    // floor(n * n * 0.5 + n) in double precision, as the table counts its entries.
    static std::int64_t entry_count_for(int n);
    // The largest entry count a table may have: its indices are 32-bit.
    static constexpr std::int64_t max_entries = 2147483647;

    int n = 0;
    std::int64_t entry_count = 0;
    std::vector<std::int64_t> offsets; // offsets[i] = i (i + 1) / 2

    // Sizes the table for n faces: prints the allocation report, frees the arrays and
    // allocates new ones (distances 0, no weights). A table too large to address or to
    // hold in this computer's memory is refused with size_refusal(faces, mesh) and left
    // as it was; one whose memory cannot be obtained is refused with the reason and left
    // empty (n = 0).
    IoResult allocate(int faces, const std::string& mesh = "");
    // The largest face count whose table can be addressed and held here.
    static int max_faces_here();
    // What a refusal for size says: the mesh (its name, "the mesh" when empty), its faces,
    // the memory its table would need, what fits, and what to do instead.
    static std::string size_refusal(int faces, const std::string& mesh);
    // Frees everything: n = 0, entry count 0.
    void clear();

    std::int64_t index(int a, int b) const { return a >= b ? offsets[a] + b : offsets[b] + a; }
    float distance(int a, int b) const { return distances[index(a, b)]; }
    // The addressed part of row r: pairs (r, 0) ... (r, r).
    const float* row(int r) const { return distances.get() + offsets[r]; }
    // All entry_count distances, spare ones included.
    float* data() { return distances.get(); }
    const float* data() const { return distances.get(); }

    // The adjacency weight of (a, b); a pair set more than once keeps the last weight.
    void set_weight(int a, int b, float w);
    // The weight last set for (a, b), or 0.
    float edge_weight(int a, int b) const;
    void clear_weights() { weights.clear(); }

    // Fills the distances from the weights: every pair of faces whose weight is not 0 is
    // adjacent. Floyd: the least number of steps across adjacent faces (1.0 per step, the
    // Floyd-Warshall result), by one breadth-first search per face. Dijkstra: the least
    // float sum of weights along a path, by Dijkstra from every face; pair (a, b) holds
    // the value found from the smaller face. 0 on the diagonal, 1e9 where no path exists.
    // With a Work: progress over the sources; a stop leaves the distances half-filled
    // (and their generation renewed) and the weights as they were.
    void compute_all_pairs(SpMode mode, Work* work = nullptr);

    // Changes whenever the distances may have changed (sizing, computing, loading), so
    // that copies taken from them can tell they are stale.
    unsigned generation() const { return generation_; }
    void distances_changed();

    struct Weight {
        int a, b; // a <= b
        float w;
    };
    // Every weight set since the last sizing, in the order set.
    std::span<const Weight> weight_list() const { return weights; }

  private:
    struct FreeDeleter {
        void operator()(float* p) const { std::free(p); }
    };
    std::unique_ptr<float[], FreeDeleter> distances;
    std::vector<Weight> weights;
    unsigned generation_ = 0;
};
