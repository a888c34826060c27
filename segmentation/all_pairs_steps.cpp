// The step counts between all faces. Counting steps over the adjacency is exactly what
// Floyd-Warshall with 1.0 per adjacent pair computes (the counts are small integers,
// exact in float, and 1e9 plus anything stays at least 1e9), at O(n (n + e)) instead of
// O(n^3).
#include "segmentation/face_graph.h"
#include "segmentation/worker_threads.h"

void fill_step_counts(ShortestPathTable& table, const FaceGraph& graph, Work* work) {
    const int n = graph.n;
    constexpr int block = 64;
    run_tasks((n + block - 1) / block, work, [&](int task) {
        std::vector<int> steps(static_cast<size_t>(n)), queue(static_cast<size_t>(n));
        const int* start = graph.start.data();
        const int* neighbour = graph.neighbour.data();
        int end = std::min(n, (task + 1) * block);
        for (int s = task * block; s < end; ++s) {
            stop_if_asked(work);
            std::fill(steps.begin(), steps.end(), -1);
            // Row s holds the pairs (s, 0) ... (s, s); the search stops once it has
            // reached all of those faces.
            int remaining = s;
            int head = 0, tail = 0;
            queue[tail++] = s;
            steps[s] = 0;
            while (head < tail && remaining > 0) {
                int v = queue[head++];
                int next = steps[v] + 1;
                for (int k = start[v]; k < start[v + 1]; ++k) {
                    int u = neighbour[k];
                    if (steps[u] >= 0) continue;
                    steps[u] = next;
                    queue[tail++] = u;
                    remaining -= u < s;
                }
            }
            float* row = table.data() + table.offsets[s];
            const int* d = steps.data();
            for (int b = 0; b <= s; ++b) row[b] = d[b] < 0 ? no_path : float(d[b]);
        }
    });
}
