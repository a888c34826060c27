// Meshes where many collapses of the simplification meet one vertex: flat grids, where
// every edge costs the same, and fans of triangles round one vertex. Shared by the
// tests, which compare the simplification with the scan on small ones, and the
// benchmarks, which time large ones.
#pragma once

#include "core/mesh.h"

#include <cmath>

// A w x h grid of points (x, height(x, z), z), squares split into (a, c, b), (b, c, d).
template <typename Height>
Mesh grid_mesh(int w, int h, Height height) {
    Mesh m;
    m.alloc_vertices(w * h);
    for (int z = 0; z < h; ++z)
        for (int x = 0; x < w; ++x)
            m.vertices[z * w + x] = Vector(float(x), height(float(x), float(z)), float(z));
    m.alloc_faces(2 * (w - 1) * (h - 1));
    int i = 0;
    for (int z = 0; z + 1 < h; ++z)
        for (int x = 0; x + 1 < w; ++x) {
            int a = z * w + x, b = a + 1, c = a + w, d = c + 1;
            for (int corners : {0, 1}) {
                int* vindex = m.faces[i++].vindex;
                vindex[0] = corners ? b : a;
                vindex[1] = c;
                vindex[2] = corners ? d : b;
            }
        }
    m.link_faces();
    return m;
}

inline Mesh flat_grid_mesh(int w, int h) {
    return grid_mesh(w, h, [](float, float) { return 0.0f; });
}

// `count` triangles round one vertex, closed into a disc: the centre is vertex 0, or
// the last vertex when `centre_last`; the rim, on the unit circle, at height
// rim_height(i) for rim vertex i.
template <typename Height>
Mesh fan_mesh(int count, bool centre_last, Height rim_height) {
    Mesh m;
    m.alloc_vertices(count + 1);
    const int centre = centre_last ? count : 0, first = centre_last ? 0 : 1;
    m.vertices[centre] = Vector(0, 0, 0);
    for (int i = 0; i < count; ++i) {
        float angle = 6.2831853f * float(i) / float(count);
        m.vertices[first + i] = Vector(std::cos(angle), rim_height(i), std::sin(angle));
    }
    m.alloc_faces(count);
    for (int i = 0; i < count; ++i) {
        int* vindex = m.faces[i].vindex;
        vindex[0] = centre;
        vindex[1] = first + (i + 1) % count;
        vindex[2] = first + i;
    }
    m.link_faces();
    return m;
}

inline Mesh flat_fan_mesh(int count, bool centre_last = false) {
    return fan_mesh(count, centre_last, [](int) { return 0.0f; });
}
