#include "segmentation/face_graph.h"

#include <algorithm>

FaceGraph face_graph(int n, std::span<const ShortestPathTable::Weight> weights) {
    struct Set {
        int a, b, order;
        float w;
    };
    std::vector<Set> pairs;
    pairs.reserve(weights.size());
    for (int i = 0; i < int(weights.size()); ++i) {
        const auto& s = weights[i];
        if (s.a >= 0 && s.b < n && s.a != s.b) pairs.push_back({s.a, s.b, i, s.w});
    }
    std::sort(pairs.begin(), pairs.end(), [](const Set& x, const Set& y) {
        if (x.a != y.a) return x.a < y.a;
        if (x.b != y.b) return x.b < y.b;
        return x.order < y.order;
    });
    // The last weight set for each pair, where it is not 0.
    std::vector<Set> kept;
    for (size_t i = 0; i < pairs.size(); ++i) {
        bool last =
            i + 1 == pairs.size() || pairs[i + 1].a != pairs[i].a || pairs[i + 1].b != pairs[i].b;
        if (last && pairs[i].w != 0) kept.push_back(pairs[i]);
    }

    FaceGraph g;
    g.n = n;
    g.start.assign(size_t(n) + 1, 0);
    for (const Set& s : kept) {
        ++g.start[s.a + 1];
        ++g.start[s.b + 1];
    }
    for (int f = 0; f < n; ++f) g.start[f + 1] += g.start[f];
    g.neighbour.resize(size_t(g.start[n]));
    g.weight.resize(size_t(g.start[n]));
    std::vector<int> fill(g.start.begin(), g.start.end() - 1);
    // Pairs sorted by (a, b) list each face's smaller neighbours, then its larger ones,
    // each in increasing order.
    for (const Set& s : kept) {
        g.neighbour[fill[s.a]] = s.b;
        g.weight[fill[s.a]++] = s.w;
        g.neighbour[fill[s.b]] = s.a;
        g.weight[fill[s.b]++] = s.w;
    }
    return g;
}
