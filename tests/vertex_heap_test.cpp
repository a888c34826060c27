#include "tools/vertex_heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// The vertex a scan of `cost` from the start finds: the first cheapest live one.
int first_cheapest(const std::vector<float>& cost, const std::vector<bool>& live) {
    int pick = -1;
    for (int v = 0; v < int(cost.size()); ++v)
        if (live[v] && (pick < 0 || cost[v] < cost[pick])) pick = v;
    return pick;
}

TEST(VertexHeap, YieldsTheFirstCheapestAsAScanWould) {
    // runner_up() is checked against the scan once the top has gone, as well.
    // Few distinct costs, so that ties are common; the isolated vertices' -0.01, zeros
    // of both signs, tiny and huge costs.
    const float costs[] = {-0.01f, 0.0f, -0.0f, 1e-30f, 5.96e-8f, 0.25f, 0.5f, 1000000};
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> pick_cost(0, 7);
    for (int n : {1, 2, 5, 17, 300}) {
        std::vector<float> cost(n);
        for (float& c : cost) c = costs[pick_cost(rng)];
        std::vector<bool> live(n, true);
        VertexHeap heap;
        heap.build(cost);
        for (int left = n; left > 0; --left) {
            ASSERT_EQ(heap.size(), left);
            int top = heap.top();
            ASSERT_EQ(top, first_cheapest(cost, live));
            int next = heap.runner_up();
            heap.pop();
            live[top] = false;
            ASSERT_EQ(next, first_cheapest(cost, live));
            // Some of the others change their costs, up or down.
            for (int k = 0; k < 3; ++k) {
                int v = std::uniform_int_distribution<int>(0, n - 1)(rng);
                if (!live[v]) continue;
                cost[v] = costs[pick_cost(rng)];
                heap.update(v, cost[v]);
            }
        }
    }
}

TEST(VertexHeap, AnEmptyHeapBuilds) {
    VertexHeap heap;
    heap.build({});
    EXPECT_EQ(heap.size(), 0);
}

} // namespace
