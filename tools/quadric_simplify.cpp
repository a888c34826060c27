// Quadric simplification: the library's run on the mesh's triangles, then the
// vertices the triangles left use, renumbered in their order.
#include "tools/quadric_simplify.h"

#include "core/work.h"
#include "tools/simplify.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <meshoptimizer.h>
#include <unordered_set>
#include <vector>

namespace {

struct PositionBits {
    uint32_t x, y, z;
    bool operator==(const PositionBits&) const = default;
};

struct PositionBitsHash {
    size_t operator()(const PositionBits& p) const {
        return (size_t(p.x) * 73856093u) ^ (size_t(p.y) * 19349663u) ^ (size_t(p.z) * 83492791u);
    }
};

// The library takes vertices whose positions are the same to the bit for one vertex
// (a seam) and collapses along the seam, which takes away border edges of the mesh's
// own topology. In the copy it reads, every later vertex at a position already taken
// gets an x of its own by its lowest bits (one or a few units in the last place, the
// exponent untouched): it is then a border vertex, which the lock keeps.
std::vector<float> positions_kept_apart(const float* positions, size_t vertex_count) {
    std::vector<float> apart(positions, positions + 3 * vertex_count);
    std::unordered_set<PositionBits, PositionBitsHash> taken;
    taken.reserve(vertex_count);
    for (size_t v = 0; v < vertex_count; ++v) {
        float* p = &apart[3 * v];
        PositionBits bits{std::bit_cast<uint32_t>(p[0]), std::bit_cast<uint32_t>(p[1]),
                          std::bit_cast<uint32_t>(p[2])};
        const uint32_t x = bits.x;
        for (uint32_t flip = 1; taken.contains(bits); ++flip) bits.x = x ^ flip;
        p[0] = std::bit_cast<float>(bits.x);
        taken.insert(bits);
    }
    return apart;
}

// The vertices `kept` (three corners a triangle) uses, in index order, with their
// colours and morphogen rows, and the triangles with their new numbers; `source` is
// only read, so it stays whole should an allocation fail.
Mesh mesh_of_triangles(const Mesh& source, const std::vector<unsigned>& kept, Work* work) {
    const bool keep_rows = int(source.morphogens.size()) == source.nv;
    std::vector<int> rank(size_t(source.nv), -1);
    for (unsigned v : kept) rank[v] = 0;
    int used = 0;
    for (int& r : rank)
        if (r == 0) r = used++;
    checkpoint(work);

    Mesh mesh;
    mesh.alloc_vertices(used);
    mesh.alloc_faces(int(kept.size() / 3));
    if (keep_rows) mesh.morphogens.reserve(size_t(used));
    for (int v = 0; v < source.nv; ++v) {
        if ((v & 16383) == 0) checkpoint(work); // a row is an allocation
        if (rank[v] < 0) continue;
        mesh.vertices[rank[v]] = source.vertices[v];
        mesh.colours[rank[v]] = source.colours[v];
        if (keep_rows) mesh.morphogens.push_back(source.morphogens[v]);
    }
    for (int i = 0; i < mesh.nf; ++i)
        for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = rank[kept[3 * size_t(i) + k]];
    mesh.link_faces();
    mesh.morphogen_names = source.morphogen_names;
    return mesh;
}

} // namespace

size_t quadric_simplify_indices(unsigned* out, const unsigned* indices, size_t index_count,
                                const float* positions, size_t vertex_count,
                                size_t target_triangles, float max_error, float& error) {
    std::vector<float> apart = positions_kept_apart(positions, vertex_count);
    error = 0;
    return meshopt_simplify(out, indices, index_count, apart.data(), vertex_count,
                            3 * sizeof(float), 3 * target_triangles, max_error,
                            meshopt_SimplifyLockBorder, &error);
}

QuadricSimplification quadric_simplified(const Mesh& mesh, float fraction, float max_error,
                                         Work* work) {
    QuadricSimplification r;
    r.target_vertices = simplification_target(mesh.nv, fraction);
    r.target_faces =
        mesh.nv == 0 ? 0 : int(int64_t(mesh.nf) * r.target_vertices / int64_t(mesh.nv));
    if (r.target_vertices == mesh.nv) {
        r.unchanged = true;
        return r;
    }

    std::vector<float> positions(3 * size_t(mesh.nv));
    {
        Stage reading(work, 0, 0.05);
        for (int v = 0; v < mesh.nv; ++v) {
            positions[3 * size_t(v)] = mesh.vertices[v].x;
            positions[3 * size_t(v) + 1] = mesh.vertices[v].y;
            positions[3 * size_t(v) + 2] = mesh.vertices[v].z;
        }
        checkpoint(work);
    }
    std::vector<unsigned> indices(3 * size_t(mesh.nf));
    for (int i = 0; i < mesh.nf; ++i)
        for (int k = 0; k < 3; ++k)
            indices[3 * size_t(i) + k] = unsigned(mesh.faceptrs[i]->vindex[k]);
    checkpoint(work);

    std::vector<unsigned> kept(indices.size());
    {
        Stage simplifying(work, 0.05, 0.9);
        size_t count =
            quadric_simplify_indices(kept.data(), indices.data(), indices.size(), positions.data(),
                                     size_t(mesh.nv), size_t(r.target_faces), max_error, r.error);
        kept.resize(count);
        checkpoint(work);
    }
    Stage writing(work, 0.9, 1);
    r.mesh = mesh_of_triangles(mesh, kept, work);
    return r;
}
