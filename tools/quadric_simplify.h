// Quadric simplification through meshoptimizer (meshopt_simplify): edges collapse by
// the error of the quadrics of the faces around them, the cheapest first, until a
// number of triangles is left or the next collapse would move the surface further than
// a limit. Border vertices are locked (meshopt_SimplifyLockBorder), so every border
// edge stays where it is, and so does a seam: vertices that share a position are
// kept apart for the library (it would take them for one and collapse along the seam).
#pragma once

#include "core/mesh.h"

#include <cstddef>

// Over plain arrays: `indices` holds three vertex numbers a triangle, each below
// `vertex_count`, and `positions` x, y, z a vertex. Writes the triangles left, in their
// order, into `out` (room for `index_count` entries, whatever the target) and returns
// how many indices it wrote: those of `target_triangles` (a collapse that takes two
// triangles may leave one fewer), or more where the locked borders, the topology or
// `max_error` stop it short. `max_error` is a share of the largest side of the
// positions' bounding box; `error` gets the library's estimate of the result's, in the
// same terms. The library runs to its end: it cannot be stopped in between.
size_t quadric_simplify_indices(unsigned* out, const unsigned* indices, size_t index_count,
                                const float* positions, size_t vertex_count,
                                size_t target_triangles, float max_error, float& error);

struct QuadricSimplification {
    Mesh mesh;               // the result; empty when `unchanged`
    bool unchanged = false;  // the fraction keeps every vertex: nothing was done
    int target_vertices = 0; // simplification_target(nv, fraction)
    int target_faces = 0;    // the faces the library was aimed at: nf x target_vertices / nv
    float error = 0;         // the library's estimate, a share of the extent
    bool short_of_target() const { return !unchanged && mesh.nf > target_faces; }
};

// Simplifies `mesh` (only read; every face corner in [0, nv)) towards the share
// `fraction` of its vertices: the library is aimed at the same share of the faces, and
// stops there, at `max_error` (a share of the extent, 0 or more) or where nothing is
// left to collapse. The vertices no face uses any more go; the survivors keep their
// order, position, colour and morphogen row (rows only when the mesh has one per
// vertex), and the faces left keep their order with the survivors' new numbers.
// Everything else returns to the defaults of the allocations, as simplified() leaves it;
// the morphogen names stay. A fraction that keeps every vertex does nothing.
//
// A stop asked of `work` (before and after the library's run, and while the result is
// made) throws WorkStopped and leaves `mesh` as it was.
QuadricSimplification quadric_simplified(const Mesh& mesh, float fraction, float max_error,
                                         Work* work = nullptr);
