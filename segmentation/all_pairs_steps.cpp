// The step counts between all faces. Counting steps over the adjacency is exactly what
// Floyd-Warshall with 1.0 per adjacent pair computes (the counts are small integers,
// exact in float, and 1e9 plus anything stays at least 1e9), at O(n (n + e)) instead of
// O(n^3).
#include "segmentation/face_graph.h"
#include "segmentation/worker_threads.h"

#include <algorithm>

namespace {

// Faces of at most this many neighbours (triangles of a manifold mesh have three) keep
// them in slots of this width, so that a search reads a face's neighbours in one load
// and without loop bounds.
constexpr int neighbour_slots = 4;

// The neighbours of every face in slots, `n` (a face the searches count as reached
// from the start) filling the empty ones; empty when a face has more neighbours.
std::vector<int> slotted_neighbours(const FaceGraph& graph) {
    const int n = graph.n;
    for (int f = 0; f < n; ++f)
        if (graph.start[f + 1] - graph.start[f] > neighbour_slots) return {};
    std::vector<int> slots(size_t(n) * neighbour_slots, n);
    for (int f = 0; f < n; ++f)
        std::copy(graph.neighbour.begin() + graph.start[f],
                  graph.neighbour.begin() + graph.start[f + 1],
                  slots.begin() + ptrdiff_t(f) * neighbour_slots);
    return slots;
}

// Breadth-first search from s until every face below s is reached (or all that can
// be); steps[f] = the steps from s, -1 where not reached. `steps` holds n + 1 entries,
// the last the slots' filler, and `queue` n + 1. Each(face, visit) gives a face's
// neighbours to visit.
template <typename Each>
void search_until_row_is_reached(int s, std::vector<int>& steps, std::vector<int>& queue,
                                 const Each& each) {
    std::fill(steps.begin(), steps.end() - 1, -1);
    steps.back() = 0;
    int remaining = s;
    int head = 0, tail = 0;
    queue[tail++] = s;
    steps[s] = 0;
    int* d = steps.data();
    while (head < tail && remaining > 0) {
        const int v = queue[head++];
        const int next = d[v] + 1;
        each(v, [&](int u) {
            if (d[u] >= 0) return;
            d[u] = next;
            queue[tail++] = u;
            remaining -= u < s;
        });
    }
}

} // namespace

void fill_step_counts(ShortestPathTable& table, const FaceGraph& graph, Work* work) {
    const int n = graph.n;
    const std::vector<int> slots = slotted_neighbours(graph);
    constexpr int block = 64;
    run_tasks((n + block - 1) / block, work, [&](int task) {
        std::vector<int> steps(size_t(n) + 1), queue(size_t(n) + 1);
        const int* start = graph.start.data();
        const int* neighbour = graph.neighbour.data();
        const int* slot = slots.data();
        int end = std::min(n, (task + 1) * block);
        for (int s = task * block; s < end; ++s) {
            stop_if_asked(work);
            // Row s holds the pairs (s, 0) ... (s, s).
            if (!slots.empty())
                search_until_row_is_reached(s, steps, queue, [slot](int v, const auto& visit) {
                    const int* u = slot + ptrdiff_t(v) * neighbour_slots;
                    for (int i = 0; i < neighbour_slots; ++i) visit(u[i]);
                });
            else
                search_until_row_is_reached(s, steps, queue,
                                            [start, neighbour](int v, const auto& visit) {
                                                for (int k = start[v]; k < start[v + 1]; ++k)
                                                    visit(neighbour[k]);
                                            });
            float* row = table.data() + table.offsets[s];
            const int* d = steps.data();
            for (int b = 0; b <= s; ++b) row[b] = d[b] < 0 ? no_path : float(d[b]);
        }
    });
}
