// Butterfly subdivision: every level splits each triangle into four through one new
// vertex per edge. Old vertices keep their numbers and positions; the new vertex of an
// interior edge is placed by the butterfly stencil with a tension the weight offsets.
#pragma once

#include "core/mesh.h"

#include <array>
#include <string>
#include <vector>

// One edge of the mesh being refined: its ends in the order first met, the first face
// found on it and the last other face (-1 on a border edge).
struct SubdivisionEdge {
    int a, b;
    int face1, face2;
};

struct SubdivisionEdges {
    std::vector<SubdivisionEdge> edges; // in the order first met
    // Per face, the edges of its corner pairs (0, 1), (1, 2), (2, 0): 3 entries a face.
    std::vector<int> face_edges;
};

// The edge table of `faces`: the faces walked in order, each
// through its corner pairs (0, 1), (1, 2), (2, 0); a pair not met before, in either
// order, makes a new edge with face1 = the face, a pair met again sets face2 = the face
// (a third face on an edge replaces the second). Linear in the number of faces.
SubdivisionEdges subdivision_edges(const std::vector<std::array<int, 3>>& faces,
                                   Work* work = nullptr);

// The weight the subdivision panel's slider value (0..100) stands for:
// (0.5 - value / 100) * -0.25 in double precision, stored as float; 0 gives -0.125,
// 25 gives -0.0625 (plain midpoints), 50 gives 0 (the classic stencil), 100 gives 0.125.
float subdivision_weight(int slider_value);
// The butterfly tension w a weight stands for: a level gives the two vertices across an
// edge 2w each and the four beyond them -w, with w = 1/16 + weight; so weight 0 is the
// classic w = 1/16, and -1/16 (slider 25) puts the new vertices at the edges' midpoints.
float butterfly_tension(float weight);

// Why `levels` levels of `mesh` cannot be made, or "" when they can: the face or vertex
// count would pass the int range, or the result would need more memory than the system
// reports available. Cheap: nothing is allocated.
std::string subdivision_refusal(const Mesh& mesh, int levels);

// Refines `mesh` `levels` times (levels >= 1, subdivision_refusal empty; every face
// corner in [0, nv)). Each level: vertex nv + k is made for edge k (ends A, B, faces f1,
// f2): the midpoint (A + B) * 0.5 with w = 1, or, when the edge has two faces with
// opposite corners C, D and all four wing vertices W1..W4 exist (see subdivide.cpp),
//     ((A+B)/2 + (2w + 1/8)(C+D)) + (-1/16 - w)(((W1+W2)+W3)+W4)
// in double precision from the float coordinates, rounded once to float. Face i
// becomes faces 4i .. 4i+3: (c0, m01, m20), (m01, c1, m12), (m20, m12, c2),
// (m01, m12, m20). Old vertices keep position (w included), colour and morphogen row;
// a new vertex gets the mean of its edge's end colours and morphogen values. Vertex
// normals, texture coordinates, face records and the derived data are left at the
// defaults of the allocations. The morphogen names stay.
//
// A stop asked of `work` (taken within each level, every few thousand edges or faces)
// throws WorkStopped and leaves `mesh` as it was.
void subdivide(Mesh& mesh, int levels, float weight, Work* work = nullptr);
// The same as a new mesh; `mesh` is only read.
Mesh subdivided(const Mesh& mesh, int levels, float weight, Work* work = nullptr);

enum class SubdivisionOutcome {
    Unchanged,  // fewer than one level asked for
    Subdivided, // the mesh is replaced by the result, with its data built
    Refused,    // the result would not fit; the mesh is as it was
};

struct SubdivisionResult {
    SubdivisionOutcome outcome;
    std::string message; // why it was refused
};

// What the view does for `subdiv` levels with `weight`: nothing below one level; a
// refusal with its message when the result would not fit (or an allocation fails
// after all: the mesh is then as it was); else subdivide, then the
// builds "MESH_EDGE_LIST MESH_VERTEX_NORMALS" with their progress line, and the
// centroids and bounding box, so that every later tool finds its data current. A stop
// asked of `work` throws WorkStopped and leaves `mesh` as it was.
SubdivisionResult subdivide_levels(Mesh& mesh, int subdiv, float weight, Work* work = nullptr);
// The same into `result`, built aside: `mesh` is only read, and `result` is set only
// when the outcome is Subdivided (a stop leaves it as it was).
SubdivisionResult subdivided_levels(const Mesh& mesh, int subdiv, float weight, Mesh& result,
                                    Work* work = nullptr);
