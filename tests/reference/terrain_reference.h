// Terrain as first written, kept to check the fast numbering against (tests) and to
// measure it by (benchmarks).
#pragma once

#include "core/colour.h"
#include "core/mesh.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>
#include <vector>

// The numbering as first written: an ordered set of the positions already emitted.
inline Mesh reference_terrain(const RgbImage& image, int n, int scale, int height) {
    std::vector<Vector> grid;
    float d = 1.0f / float(n), v = 0;
    for (int i = 0; i < n; ++i, v += d) {
        float u = 0;
        for (int j = 0; j < n; ++j, u += d) {
            const uint8_t* p = image.pixel(int(float(image.width) * (float(j) / float(n))),
                                           int(float(image.height) * (float(i) / float(n))));
            float h = float((11 * p[0] + 16 * p[1] + 5 * p[2]) / 32) * 0.00390625f;
            grid.emplace_back(float(scale) * u, float(height) * h, float(scale) * v, 0.0f);
        }
    }
    Mesh m;
    m.alloc_vertices(n * n);
    m.alloc_faces(n > 1 ? 2 * (n - 1) * (n - 1) : 0);
    std::set<Vector> emitted;
    int next = 0, face = 0;
    auto index = [&](int i, int j) {
        Vector& p = grid[size_t(i) * n + j];
        if (!emitted.count(p)) {
            p.w = float(next++);
            m.vertices[int(p.w)] = p;
            emitted.insert(p);
        }
        return int(emitted.find(p)->w);
    };
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j)
            for (auto corners :
                 {std::array<std::pair<int, int>, 3>{{{i, j}, {i + 1, j}, {i + 1, j + 1}}},
                  std::array<std::pair<int, int>, 3>{{{i, j}, {i + 1, j + 1}, {i, j + 1}}}}) {
                for (int k = 0; k < 3; ++k)
                    m.faces[face].vindex[k] = index(corners[k].first, corners[k].second);
                ++face;
            }
    return m;
}

// The colours by height as first written: each vertex's entry found by scanning the
// whole map (the last entry whose value lies below the vertex's relative height).
inline void colour_by_height_linear(Mesh& m, const std::vector<Vector>& c,
                                    const std::vector<float>& values) {
    m.build_bbox();
    float lo = m.bbox[4].y, hi = m.bbox[1].y, range = hi - lo;
    size_t n = values.size();
    for (int v = 0; v < m.nv; ++v) {
        float t = range != 0 ? (m.vertices[v].y - lo) / range : 0;
        size_t k = 0;
        for (size_t i = 0; i < n; ++i)
            if (values[i] < t) k = i;
        k = std::min(k, n - 2);
        float gap = values[k + 1] - values[k];
        float s = gap != 0 ? (t - values[k]) / gap : 0;
        m.colours[v] = c[k] * (1 - s) + c[k + 1] * s;
    }
}
