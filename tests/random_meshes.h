// Meshes for the tests that compare a fast algorithm with its plain version: small
// meshes written out, random ones, and the comparison of two tools' results. RandomMeshes: small
// meshes with coincident vertices, degenerate faces (a repeated corner), faces sharing edges and
// repeated faces, at several scales.
#pragma once

#include "core/mesh.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <vector>

using Tri = std::array<int, 3>;

// A mesh of the given vertices and faces, linked.
inline Mesh make_mesh(const std::vector<Vector>& positions, const std::vector<Tri>& faces) {
    Mesh m;
    m.alloc_vertices(int(positions.size()));
    for (size_t v = 0; v < positions.size(); ++v) m.vertices[v] = positions[v];
    m.alloc_faces(int(faces.size()));
    for (size_t i = 0; i < faces.size(); ++i)
        for (int k = 0; k < 3; ++k) m.faces[i].vindex[k] = faces[i][k];
    m.link_faces();
    return m;
}

inline std::vector<Tri> faces_of(const Mesh& m) {
    std::vector<Tri> out;
    for (const Face& f : m.faces) out.push_back({f.vindex[0], f.vindex[1], f.vindex[2]});
    return out;
}

struct RandomMeshes {
    explicit RandomMeshes(unsigned seed) : rng(seed) {}

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }

    // `missing_corners` puts -1 in some corners after link_faces, which cannot point a
    // corner at vertex -1; only the edge list copes with such faces.
    void fill(Mesh& m, bool missing_corners) {
        int nv = uniform(1, 60);
        int nf = uniform(0, 150);
        m.alloc_vertices(nv);

        // Whole-number coordinates on a small grid give ties in every extreme and
        // coincident vertices; the other styles vary the scale.
        int style = uniform(0, 3);
        const float scales[4] = {1.0f, 1.0f, 1000.0f, 1e-3f};
        bool random_w = chance(0.3);
        std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
        for (int v = 0; v < nv; ++v) {
            Vector& p = m.vertices[v];
            if (v > 0 && chance(0.15)) {
                p = m.vertices[uniform(0, v - 1)];
            } else if (style == 0) {
                p = Vector(float(uniform(-2, 2)), float(uniform(-2, 2)), float(uniform(-2, 2)));
            } else {
                p = Vector(coordinate(rng) * scales[style], coordinate(rng) * scales[style],
                           coordinate(rng) * scales[style]);
            }
            if (random_w) p.w = coordinate(rng) + 1.5f;
        }

        m.alloc_faces(nf);
        for (int i = 0; i < nf; ++i) {
            int* c = m.faces[i].vindex;
            int kind = uniform(0, 19);
            if (kind < 2) { // degenerate: a repeated corner
                int a = uniform(0, nv - 1), b = kind == 0 ? a : uniform(0, nv - 1);
                c[0] = a;
                c[1] = a;
                c[2] = b;
                std::shuffle(c, c + 3, rng);
            } else if (kind < 6 && i > 0) { // shares an edge with an earlier face
                const int* e = m.faces[uniform(0, i - 1)].vindex;
                int k = uniform(0, 2);
                c[0] = e[k];
                c[1] = e[(k + 1) % 3];
                c[2] = uniform(0, nv - 1);
                std::shuffle(c, c + 3, rng);
            } else if (kind < 7 && i > 0) { // repeats an earlier face
                const int* e = m.faces[uniform(0, i - 1)].vindex;
                std::copy(e, e + 3, c);
                std::shuffle(c, c + 3, rng);
            } else {
                for (int k = 0; k < 3; ++k) c[k] = uniform(0, nv - 1);
            }
        }
        m.link_faces();

        if (missing_corners)
            for (int i = 0; i < nf; ++i)
                if (chance(0.15)) {
                    int* c = m.faces[i].vindex;
                    c[uniform(0, 2)] = -1;
                    if (chance(0.3)) c[uniform(0, 2)] = -1;
                }
    }

    std::mt19937 rng;
};

// Surface-like meshes: a height grid of up to 12 x 12 points whose heights are whole
// numbers on some grids (flat stretches, ties of cost) and random on others, each
// square split along either diagonal, the faces sometimes shuffled; sometimes a few
// unused vertices and degenerate faces; random colours and morphogen rows.
inline void fill_surface(Mesh& m, std::mt19937& rng) {
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    int w = uniform(2, 12), h = uniform(2, 12), extra = chance(0.3) ? uniform(1, 3) : 0;
    bool whole = chance(0.5);
    int nv = w * h + extra;
    m.alloc_vertices(nv);
    for (int v = 0; v < nv; ++v) {
        float height = whole ? float(uniform(0, 2)) * (chance(0.7) ? 0.0f : 1.0f) : unit(rng);
        m.vertices[v] = Vector(float(v % w), height, float(v / w));
        m.colours[v] = Vector(unit(rng), unit(rng), unit(rng), unit(rng));
    }
    std::vector<std::array<int, 3>> faces;
    for (int y = 0; y + 1 < h; ++y)
        for (int x = 0; x + 1 < w; ++x) {
            int a = y * w + x, b = a + 1, c = a + w, d = c + 1;
            if (chance(0.5)) {
                faces.push_back({a, c, b});
                faces.push_back({b, c, d});
            } else {
                faces.push_back({a, c, d});
                faces.push_back({a, d, b});
            }
        }
    if (chance(0.3)) std::shuffle(faces.begin(), faces.end(), rng);
    if (chance(0.3))
        for (int k = uniform(1, 3); k > 0; --k) {
            int a = uniform(0, nv - 1), b = uniform(0, nv - 1);
            faces.insert(faces.begin() + uniform(0, int(faces.size())), {a, a, b});
        }
    m.alloc_faces(int(faces.size()));
    for (size_t i = 0; i < faces.size(); ++i)
        for (int k = 0; k < 3; ++k) m.faces[i].vindex[k] = faces[i][k];
    m.link_faces();
    int columns = uniform(0, 2);
    for (int v = 0; v < nv; ++v) {
        m.morphogens.emplace_back();
        for (int c = 0; c < columns; ++c) m.morphogens.back().push_back(unit(rng));
    }
}

// Two meshes hold the same vertices (positions with w, colours and morphogen rows, to
// the bit) and the same faces.
inline testing::AssertionResult same_vertices_and_faces(const Mesh& got, const Mesh& want) {
    // Any two NaNs count as the same: which operand's payload a NaN result carries is
    // the compiler's choice.
    auto bits = [](const Vector& v) {
        auto word = [](float f) { return std::isnan(f) ? ~0u : std::bit_cast<uint32_t>(f); };
        return std::array<uint32_t, 4>{word(v.x), word(v.y), word(v.z), word(v.w)};
    };
    if (got.nv != want.nv || got.nf != want.nf)
        return testing::AssertionFailure() << got.nv << " vertices and " << got.nf
                                           << " faces, expected " << want.nv << " and " << want.nf;
    for (int v = 0; v < got.nv; ++v) {
        if (bits(got.vertices[v]) != bits(want.vertices[v]))
            return testing::AssertionFailure()
                   << "vertex " << v << " is (" << got.vertices[v].x << ", " << got.vertices[v].y
                   << ", " << got.vertices[v].z << "), expected (" << want.vertices[v].x << ", "
                   << want.vertices[v].y << ", " << want.vertices[v].z << ")";
        if (bits(got.colours[v]) != bits(want.colours[v]))
            return testing::AssertionFailure() << "colour of vertex " << v << " differs";
    }
    auto row_bits = [&](const std::vector<float>& row) {
        std::vector<std::array<uint32_t, 4>> out;
        for (float f : row) out.push_back(bits(Vector(f, 0, 0, 0)));
        return out;
    };
    if (got.morphogens.size() != want.morphogens.size())
        return testing::AssertionFailure() << "morphogen rows differ";
    for (size_t v = 0; v < got.morphogens.size(); ++v)
        if (row_bits(got.morphogens[v]) != row_bits(want.morphogens[v]))
            return testing::AssertionFailure() << "morphogen row " << v << " differs";
    for (int i = 0; i < got.nf; ++i)
        for (int k = 0; k < 3; ++k)
            if (got.faces[i].vindex[k] != want.faces[i].vindex[k] ||
                got.faces[i].corners[k] != &got.vertices[got.faces[i].vindex[k]])
                return testing::AssertionFailure()
                       << "face " << i << " corner " << k << " is " << got.faces[i].vindex[k]
                       << ", expected " << want.faces[i].vindex[k];
    return testing::AssertionSuccess();
}
