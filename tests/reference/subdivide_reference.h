// Butterfly subdivision as first written: whole meshes cloned level by level and an
// edge table searched linearly for every pair, so a level is quadratic in its edges.
// Kept to check the fast subdivision against (tests) and to measure it by (benchmarks).
#pragma once

#include "core/mesh.h"

#include <algorithm>
#include <vector>

namespace reference {

struct LinearEdge {
    int a, b;
    int face1, face2;
};

// The edge of x and y, in either order, or -1: a search from the first edge.
inline int find_linear_edge(const std::vector<LinearEdge>& table, int x, int y) {
    for (size_t k = 0; k < table.size(); ++k)
        if ((table[k].a == x && table[k].b == y) || (table[k].a == y && table[k].b == x))
            return int(k);
    return -1;
}

inline std::vector<LinearEdge> linear_edge_table(const Mesh& m) {
    static const int pairs[3][2] = {{0, 1}, {1, 2}, {2, 0}};
    std::vector<LinearEdge> table;
    for (int i = 0; i < m.nf; ++i) {
        const Face& f = *m.faceptrs[i];
        for (const auto& p : pairs) {
            int x = int(f.corners[p[0]] - m.vertices.data());
            int y = int(f.corners[p[1]] - m.vertices.data());
            int k = find_linear_edge(table, x, y);
            if (k < 0)
                table.push_back({x, y, i, -1});
            else
                table[k].face2 = i;
        }
    }
    return table;
}

// The first corner of the face that is neither x nor y, or -1.
inline int linear_other_corner(const Face& f, int x, int y) {
    for (int c : f.vindex)
        if (c != x && c != y) return c;
    return -1;
}

inline Vector linear_edge_vertex(const Mesh& m, const std::vector<LinearEdge>& table,
                                 const LinearEdge& k, float weight) {
    const Vector &A = m.vertices[k.a], &B = m.vertices[k.b];
    Vector p = (A + B) * 0.5f;
    p.w = 1;
    if (k.face2 == -1) return p;
    int c = linear_other_corner(*m.faceptrs[k.face1], k.a, k.b);
    int d = linear_other_corner(*m.faceptrs[k.face2], k.a, k.b);
    if (c < 0 || d < 0) return p;
    int wings[4];
    const int ends[4][2] = {{k.a, c}, {k.a, d}, {k.b, c}, {k.b, d}};
    for (int j = 0; j < 4; ++j) {
        int e = find_linear_edge(table, ends[j][0], ends[j][1]);
        if (e < 0 || table[e].face2 == -1) return p;
        const LinearEdge& wing = table[e];
        int face = wing.face1;
        if (face == k.face1 || face == k.face2) face = wing.face2;
        wings[j] = linear_other_corner(*m.faceptrs[face], wing.a, wing.b);
        if (wings[j] < 0) return p;
    }
    double w = weight;
    auto coordinate = [&](int axis) {
        auto at = [&](int v) { return double((&m.vertices[v].x)[axis]); };
        return float(((at(k.a) + at(k.b)) / 2 + (2 * w + 1.0 / 8) * (at(c) + at(d))) +
                     (-1.0 / 16 - w) *
                         (((at(wings[0]) + at(wings[1])) + at(wings[2])) + at(wings[3])));
    };
    return Vector(coordinate(0), coordinate(1), coordinate(2));
}

// `levels` levels of `source` as the view's mesh gets them: positions, colours and
// morphogen rows of the vertices (the new ones the means of their edge's ends), and the
// faces' corners.
inline Mesh literal_subdivide(const Mesh& source, int levels, float weight) {
    Mesh m = source.clone();
    bool rows = int(source.morphogens.size()) == source.nv;
    if (rows) m.morphogens = source.morphogens;
    for (int level = 0; level < levels; ++level) {
        std::vector<LinearEdge> table = linear_edge_table(m);
        int nv = m.nv, ne = int(table.size());
        Mesh n;
        n.alloc_vertices(nv + ne);
        for (int v = 0; v < nv; ++v) {
            n.vertices[v] = m.vertices[v];
            n.colours[v] = m.colours[v];
        }
        if (rows) n.morphogens = m.morphogens;
        for (int k = 0; k < ne; ++k) {
            const LinearEdge& e = table[k];
            n.vertices[nv + k] = linear_edge_vertex(m, table, e, weight);
            n.colours[nv + k] = (m.colours[e.a] + m.colours[e.b]) * 0.5f;
            if (rows) {
                const auto &ra = m.morphogens[e.a], &rb = m.morphogens[e.b];
                std::vector<float> mean(std::min(ra.size(), rb.size()));
                for (size_t j = 0; j < mean.size(); ++j) mean[j] = (ra[j] + rb[j]) * 0.5f;
                n.morphogens.push_back(mean);
            }
        }
        n.alloc_faces(4 * m.nf);
        for (int i = 0; i < m.nf; ++i) {
            const Face& f = *m.faceptrs[i];
            int c0 = f.vindex[0], c1 = f.vindex[1], c2 = f.vindex[2];
            int m01 = nv + find_linear_edge(table, c0, c1);
            int m12 = nv + find_linear_edge(table, c1, c2);
            int m20 = nv + find_linear_edge(table, c2, c0);
            const int corners[4][3] = {
                {c0, m01, m20}, {m01, c1, m12}, {m20, m12, c2}, {m01, m12, m20}};
            for (int j = 0; j < 4; ++j) {
                n.faces[4 * i + j] = f;
                for (int q = 0; q < 3; ++q) n.faces[4 * i + j].vindex[q] = corners[j][q];
            }
        }
        n.link_faces();
        m = std::move(n);
    }
    // As the slot takes the result over: positions, colours and normals, and the faces'
    // corners; the face records start afresh.
    Mesh out;
    out.alloc_vertices(m.nv);
    for (int v = 0; v < m.nv; ++v) {
        out.vertices[v] = m.vertices[v];
        out.colours[v] = m.colours[v];
        out.normals[v] = m.normals[v];
    }
    out.alloc_faces(m.nf);
    for (int i = 0; i < m.nf; ++i)
        for (int k = 0; k < 3; ++k) out.faces[i].vindex[k] = m.faces[i].vindex[k];
    out.link_faces();
    out.morphogens = std::move(m.morphogens);
    return out;
}

} // namespace reference
