// Level-of-detail simplification by repeated edge collapses: the vertex whose cheapest
// collapse changes the shape least moves onto that neighbour, the faces on the edge
// disappear, until the requested fraction of the vertices is left. The cost of a
// collapse is the edge length times a curvature term from the normals of the faces
// around the edge, all in single precision.
#pragma once

#include "core/mesh.h"

// The number of vertices a run keeps: trunc(nv * fraction), the product in single
// precision (fraction 0.7f on 10 vertices keeps 7). A product that is not below nv
// (fraction 1 and more, NaN) keeps all nv, one that is not above 0 keeps none.
int simplification_target(int nv, float fraction);

// Collapses vertices of `mesh` until simplification_target(mesh.nv, fraction) are
// left, always the cheapest first (ties: the lowest index). Needs every face corner in
// [0, nv). Surviving vertices keep their order, position, colour and morphogen row
// (rows only when the mesh has one per vertex); surviving faces keep their order and
// get the survivors' new numbers. Everything else returns to the defaults of
// Mesh::clear and the allocations: normals, texture coordinates, face records, the
// derived data. The morphogen names stay. An empty mesh stays empty.
//
// A stop asked of `work` (in the set-up, on both its threads, and every thousand or so
// collapses) throws WorkStopped on the caller's thread and leaves `mesh` as it was.
void simplify(Mesh& mesh, float fraction, Work* work = nullptr);
// The same as a new mesh; `mesh` is only read.
Mesh simplified(const Mesh& mesh, float fraction, Work* work = nullptr);

// What the view does for a level of detail of `lod` percent: simplify(mesh, lod / 100),
// then the builds "MESH_VERTEX_NORMALS MESH_EDGE_LIST" with their progress line, and
// the centroids and bounding box, so that every later tool finds its data current.
void simplify_lod(Mesh& mesh, float lod, Work* work = nullptr);
// The same as a new mesh, built aside: an allocation failure leaves `mesh` whole.
Mesh simplified_lod(const Mesh& mesh, float lod, Work* work = nullptr);
