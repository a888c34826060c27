// The lightest paths between all faces: Dijkstra from every face with a binary heap.
// Nodes are settled in order of (distance, face), the order a plain search for the
// least unsettled distance (ties to the smaller face) would take, so the float sums
// are the same as that search's.
#include "segmentation/face_graph.h"
#include "segmentation/worker_threads.h"

#include <cmath>
#include <functional>
#include <utility>

void fill_weighted_distances(ShortestPathTable& table, const FaceGraph& graph, Work* work) {
    const int n = graph.n;
    // Each task runs a block of sources and writes their columns row by row, so that a
    // row is written in runs rather than one float at a time.
    constexpr int block = 32;
    run_tasks((n + block - 1) / block, work, [&](int task) {
        const int first = task * block, last = std::min(n, first + block);
        std::vector<float> found(size_t(last - first) * size_t(n));
        std::vector<float> dist(static_cast<size_t>(n));
        std::vector<char> settled(static_cast<size_t>(n));
        std::vector<std::pair<float, int>> heap;
        const std::greater<std::pair<float, int>> later;
        for (int s = first; s < last; ++s) {
            stop_if_asked(work);
            std::fill(dist.begin(), dist.end(), INFINITY);
            std::fill(settled.begin(), settled.end(), 0);
            heap.clear();
            dist[s] = 0;
            heap.push_back({0.0f, s});
            // Only the faces s ... n - 1 are needed from this source.
            int remaining = n - s;
            while (!heap.empty() && remaining > 0) {
                std::pop_heap(heap.begin(), heap.end(), later);
                int v = heap.back().second;
                heap.pop_back();
                if (settled[v]) continue;
                settled[v] = 1;
                if (v >= s) --remaining;
                for (int k = graph.start[v]; k < graph.start[v + 1]; ++k) {
                    int u = graph.neighbour[k];
                    float through = dist[v] + graph.weight[k];
                    if (through < dist[u]) {
                        dist[u] = through;
                        heap.push_back({through, u});
                        std::push_heap(heap.begin(), heap.end(), later);
                    }
                }
            }
            float* out = found.data() + size_t(s - first) * size_t(n);
            for (int b = s; b < n; ++b) out[b] = settled[b] ? dist[b] : no_path;
        }
        for (int b = first; b < n; ++b) {
            float* row = table.data() + table.offsets[b];
            int end = std::min(last, b + 1);
            for (int s = first; s < end; ++s) row[s] = found[size_t(s - first) * size_t(n) + b];
        }
    });
}
