// The live vertices of the simplification ordered by (cost, index), so that the top is
// the first cheapest vertex in index order: what a scan of the live vertices from the
// start finds, since they stay in index order.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

// A four-way indexed heap. Costs must not be NaN; -0 counts as +0.
class VertexHeap {
  public:
    // All vertices 0 .. cost.size() - 1 with their costs.
    void build(const std::vector<float>& cost) {
        int n = int(cost.size());
        keys.resize(n);
        slot.resize(n);
        for (int v = 0; v < n; ++v) {
            keys[v] = key(cost[v], v);
            slot[v] = v;
        }
        // From the last vertex with a child up.
        for (int i = n > 1 ? (n - 2) / arity : -1; i >= 0; --i) sift_down(i);
    }

    int size() const { return int(keys.size()); }
    // The first cheapest vertex; the heap must not be empty.
    int top() const { return int(uint32_t(keys[0])); }

    // What top() would give after pop() if no cost changed in between, or -1 when the
    // heap holds fewer than two vertices: the cheapest child of the top.
    int runner_up() const {
        int n = int(keys.size());
        if (n < 2) return -1;
        uint64_t best = keys[1];
        for (int c = 2; c < std::min(arity + 1, n); ++c) best = keys[c] < best ? keys[c] : best;
        return int(uint32_t(best));
    }

    void pop() {
        slot[top()] = -1;
        uint64_t last = keys.back();
        keys.pop_back();
        if (keys.empty()) return;
        keys[0] = last;
        sift_down(0);
    }

    // Vertex v, still in the heap, now costs `cost`.
    void update(int v, float cost) {
        int i = slot[v];
        uint64_t old = keys[i];
        keys[i] = key(cost, v);
        if (keys[i] < old)
            sift_up(i);
        else
            sift_down(i);
    }

  private:
    static constexpr int arity = 4;
    std::vector<uint64_t> keys;
    std::vector<int> slot; // the position of each vertex in `keys`, -1 once popped

    // (cost, v) as one integer in the same order: the cost's bits made to sort as
    // unsigned integers (sign flipped for positives, all bits for negatives), v below.
    static uint64_t key(float cost, int v) {
        uint32_t bits = std::bit_cast<uint32_t>(cost + 0.0f);
        bits = bits & 0x80000000u ? ~bits : bits | 0x80000000u;
        return uint64_t(bits) << 32 | uint32_t(v);
    }
    void place(int i, uint64_t k) {
        keys[i] = k;
        slot[uint32_t(k)] = i;
    }
    void sift_up(int i) {
        uint64_t k = keys[i];
        while (i > 0) {
            int parent = (i - 1) / arity;
            if (keys[parent] <= k) break;
            place(i, keys[parent]);
            i = parent;
        }
        place(i, k);
    }
    void sift_down(int i) {
        uint64_t k = keys[i];
        int n = int(keys.size());
        for (;;) {
            int first = arity * i + 1;
            if (first >= n) break;
            int last = std::min(first + arity, n);
            int child = first;
            uint64_t smallest = keys[first];
            for (int c = first + 1; c < last; ++c) {
                bool less = keys[c] < smallest;
                smallest = less ? keys[c] : smallest;
                child = less ? c : child;
            }
            if (smallest >= k) break;
            place(i, smallest);
            i = child;
        }
        place(i, k);
    }
};
