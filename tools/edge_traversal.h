// EdgeTraversal: the view's edge traversal state, which grows a marked region of faces
// from the picked face, and the segment counter of the marked regions.
#pragma once

class Mesh;
struct Vector;

class EdgeTraversal {
  public:
    int region_counter = 0; // segments handed out so far: the last segment number
    int depth = 0;          // rings to grow; 0 grows none
    int angle = 0;          // largest angle crossed, in degrees (exclusive)
};

// Stores `depth` and `angle` in `traversal`, clears every face's mark and, when the
// mesh's selected face names a face (1 <= selectedface <= nf), marks the faces reached
// from it in `depth` rings across edges whose faces' normals are less than `angle`
// degrees apart (see edge_angle). Ring r + 1 holds the unmarked neighbours of ring r,
// taken from the end of ring r and walked in each face's discovery-order adjacency;
// the start face is marked only when a later ring reaches it again.
//
// The adjacency is the edge table's; when it belongs to earlier faces (or was never
// built) the edge list is rebuilt first. Costs one pass over the faces to clear the
// marks plus the faces reached and their neighbours. Depth 0 or less marks nothing.
// Returns the number of faces marked.
int traverse(Mesh& mesh, EdgeTraversal& traversal, int depth, int angle);

// The angle in degrees, 0..90, between the face normals a and b, where faces facing
// opposite ways count as parallel: the float dot product (x, then y, then z, no fused
// multiply-add), its arc cosine in double, times 180 / 3.141592654, folded about 90.
// A dot product outside -1..1 (rounding, or normals that are not unit vectors) gives
// NaN, which no angle test passes.
double edge_angle(const Vector& a, const Vector& b);
