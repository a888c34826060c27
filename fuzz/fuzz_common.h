// Shared by the fuzz targets: silence the console and check a loaded mesh.
#pragma once

#include "core/vostrel.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline void silence_console() {
    static std::FILE* null = std::fopen("/dev/null", "w");
    set_console_stream(null);
}

// The arrays have their sizes (a morphogen row per vertex, or with `rows` false none),
// every face corner is in range and every link points where it should.
inline void check_links(const Mesh& m, bool rows = true) {
    if (int(m.vertices.size()) != m.nv || int(m.colours.size()) != m.nv ||
        int(m.faces.size()) != m.nf || int(m.faceptrs.size()) != m.nf ||
        int(m.morphogens.size()) != (rows ? m.nv : 0))
        std::abort();
    for (int i = 0; i < m.nf; ++i) {
        const Face& f = m.faces[i];
        if (m.faceptrs[i] != &f) std::abort();
        for (int k = 0; k < 3; ++k)
            if (f.vindex[k] < 0 || f.vindex[k] >= m.nv || f.corners[k] != &m.vertices[f.vindex[k]])
                std::abort();
    }
}

inline bool finite_vector(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

// Whatever the input, a mesh that loaded keeps its arrays and links consistent, holds
// only finite numbers, and every build runs within them.
inline void check_and_build(Mesh& m) {
    check_links(m);
    for (int v = 0; v < m.nv; ++v) {
        if (!finite_vector(m.vertices[v]) || !finite_vector(m.colours[v])) std::abort();
        for (float value : m.morphogens[v])
            if (!std::isfinite(value)) std::abort();
    }
    build_loaded_mesh(m);
    m.build({MESH_TEXCOORDS});
}

// The input read byte by byte; past its end, zeros.
class Bytes {
  public:
    Bytes(const uint8_t* d, size_t n) : data(d), size(n) {}
    uint8_t next() { return at < size ? data[at++] : 0; }
    float next_float() {
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits = bits << 8 | next();
        return std::bit_cast<float>(bits);
    }

  private:
    const uint8_t* data;
    size_t size, at = 0;
};

// A small mesh from raw bytes: vertex and face counts, coordinates as raw floats or
// small whole numbers (so that NaN, infinite and coincident positions come up), corners
// in range.
inline void binary_mesh(Mesh& m, Bytes& in) {
    int nv = 1 + in.next() % 48, nf = in.next() % 96;
    m.alloc_vertices(nv);
    for (int v = 0; v < nv; ++v) {
        float c[3];
        for (float& x : c) {
            uint8_t kind = in.next();
            x = kind < 64 ? in.next_float() : float(int(kind % 5) - 2);
        }
        m.vertices[v] = Vector(c[0], c[1], c[2]);
        m.colours[v] = Vector(float(v % 3), 0.5f, 1, 1);
    }
    m.alloc_faces(nf);
    for (int i = 0; i < nf; ++i)
        for (int k = 0; k < 3; ++k) m.faces[i].vindex[k] = in.next() % nv;
    m.link_faces();
}
