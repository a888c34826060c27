// The step counts between all faces. Counting steps over the adjacency is exactly what
// Floyd-Warshall with 1.0 per adjacent pair computes (the counts are small integers,
// exact in float, and 1e9 plus anything stays at least 1e9), at O(n (n + e)) instead of
// O(n^3).
#include "segmentation/face_graph.h"
#include "segmentation/worker_threads.h"

void fill_step_counts(ShortestPathTable& table, const FaceGraph& graph) {
    const int n = graph.n;
    constexpr int block = 64;
    run_tasks((n + block - 1) / block, [&](int task) {
        std::vector<int> level(static_cast<size_t>(n)), seen(size_t(n), -1),
            queue(static_cast<size_t>(n));
        int end = std::min(n, (task + 1) * block);
        for (int s = task * block; s < end; ++s) {
            // Row s holds the pairs (s, 0) ... (s, s); the search stops once it has
            // reached all of those faces.
            int remaining = s;
            int head = 0, tail = 0;
            queue[tail++] = s;
            seen[s] = s;
            level[s] = 0;
            while (head < tail && remaining > 0) {
                int v = queue[head++];
                for (int u : graph.neighbours(v)) {
                    if (seen[u] == s) continue;
                    seen[u] = s;
                    level[u] = level[v] + 1;
                    queue[tail++] = u;
                    if (u < s) --remaining;
                }
            }
            float* row = table.data() + table.offsets[s];
            for (int b = 0; b <= s; ++b) row[b] = seen[b] == s ? float(level[b]) : no_path;
        }
    });
}
