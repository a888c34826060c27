// A mesh word by word, for tests that compare two meshes exactly.
#pragma once

#include "core/mesh.h"

#include <bit>
#include <cstdint>
#include <vector>

// Everything of a mesh a tool could read, word by word, but for the versions (a copy has
// its own) and the room of its arrays.
inline std::vector<uint64_t> mesh_words(const Mesh& m) {
    std::vector<uint64_t> w{uint64_t(m.nv), uint64_t(m.nf), uint64_t(m.nedges),
                            m.edge_list_current(), uint64_t(m.selectedface)};
    auto add = [&w](const Vector& v) {
        for (float f : {v.x, v.y, v.z, v.w, v.len}) w.push_back(std::bit_cast<uint32_t>(f));
    };
    for (int flag = MESH_CENTRE; flag <= MESH_BB; ++flag) w.push_back(m.derived_current(flag));
    add(m.centre);
    w.push_back(std::bit_cast<uint32_t>(m.extent));
    for (const Vector& v : m.bbox) add(v);
    for (const auto* array : {&m.vertices, &m.normals, &m.colours, &m.texcoords, &m.centroids})
        for (const Vector& v : *array) add(v);
    for (int i = 0; i < m.nf; ++i) {
        const Face& f = m.faces[i];
        add(f.normal);
        add(f.colour);
        w.insert(w.end(), {uint64_t(f.marked), uint64_t(f.segment), m.faceptrs[i] == &f});
        for (int k = 0; k < 3; ++k)
            w.insert(w.end(), {uint64_t(f.vindex[k]), f.corners[k] == &m.vertices[f.vindex[k]]});
    }
    for (const auto* pairs : {&m.edges, &m.edgefaces})
        for (const auto& p : *pairs) w.insert(w.end(), {uint64_t(p[0]), uint64_t(p[1])});
    for (const NeighbourLists* lists :
         {&m.vertexneighbours, &m.faceneighbours, &m.face_adjacency}) {
        w.insert(w.end(), lists->offsets.begin(), lists->offsets.end());
        for (const EdgeRef& r : lists->refs) w.insert(w.end(), {uint64_t(r.edge), uint64_t(r.end)});
    }
    for (const auto& row : m.morphogens)
        for (float f : row) w.push_back(std::bit_cast<uint32_t>(f));
    return w;
}
