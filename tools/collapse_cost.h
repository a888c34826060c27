// What collapsing a vertex onto one of its neighbours costs in the simplification, all
// in single precision: the edge length times a curvature term from the unit normals
// of the vertex's faces, (1 - n1 . n2) * 0.5, the dot product summed x, y, z.
#pragma once

#include <span>
#include <vector>

struct CollapsePoint {
    float x, y, z;
};

// A working triangle: its corners and its normal.
struct CollapseTriangle {
    int vertex[3];
    float normal[3];

    bool has(int v) const { return (vertex[0] == v) | (vertex[1] == v) | (vertex[2] == v); }
};

// Sets t.normal to normalise((P1 - P0) x (P2 - P1)) by the Vector rules, or to the
// cross product itself when its length is 0.
void set_collapse_normal(CollapseTriangle& t, const CollapsePoint* points);
// set_collapse_normal for each of `faces`; whether every normal is what it was, a
// zero's sign aside (which no cost sees).
bool set_collapse_normals(std::span<const int> faces, CollapseTriangle* triangles,
                          const CollapsePoint* points);
// set_collapse_normal for the triangles [first, last).
void set_collapse_normals(CollapseTriangle* first, CollapseTriangle* last,
                          const CollapsePoint* points);

// Room for the evaluations of one thread, kept from one to the next.
struct CollapseScratch {
    std::vector<int> normal_of;         // per face: its normal's place among the distinct ones
    std::vector<float> normal[3];       // the distinct normals by component
    std::vector<int> table;             // open addressing: a distinct normal's place + 1, or 0
    std::vector<int> slot;              // per vertex: its place among the neighbours, if any
    std::vector<int> side_start;        // per neighbour: where its sides begin in `sides`
    std::vector<int> sides;             // the normals of the faces on each edge, by neighbour
    std::vector<float> curvature, cost; // per neighbour
};

// The cost an edge must be under to win outright, and the cost of a vertex none of whose
// edges is (see cheapest_collapse).
constexpr float collapse_cost_ceiling = 1000000;

struct Collapse {
    float cost;
    int target; // a neighbour, or -1 when there is none
};

// The cheapest collapse of vertex w, whose neighbours and faces (indices into
// `triangles`, whose corners index `points`) are given in list order. For each
// neighbour n, the edge length times the largest, over w's faces f, of the smallest
// term of f against the faces on the edge (w's faces that have n, a repeated face
// once per entry); the first edge cheaper than 1,000,000 and every later one that is
// strictly cheaper win, so a NaN never does.
//
// No neighbours: cost -0.01 and target -1. Neighbours but no edge below 1,000,000
// (huge or NaN costs): cost 1,000,000 and the first cheapest edge that is a number,
// else the first neighbour, so that a vertex with neighbours always has a target.
Collapse cheapest_collapse(int w, std::span<const int> neighbours, std::span<const int> faces,
                           const CollapseTriangle* triangles, const CollapsePoint* points,
                           CollapseScratch& scratch);

// The cost of collapsing w onto its neighbour n alone, bit for bit as cheapest_collapse
// weighs that edge. Costs are never below 0: a NaN at worst.
float collapse_edge_cost(int w, int n, std::span<const int> faces,
                         const CollapseTriangle* triangles, const CollapsePoint* points,
                         CollapseScratch& scratch);

// The least curvature an edge of a vertex with these faces can have, whatever faces are
// on it: the largest over the faces f of the smallest term of f against any of them
// (an edge's curvature takes the smallest against some of them only), so an edge
// never costs less than this times its length. 0, which bounds every curvature too,
// for more than sixteen faces.
float collapse_curvature_floor(std::span<const int> faces, const CollapseTriangle* triangles);

// The length of the edge from a to b, as the costs take it.
float collapse_edge_length(const CollapsePoint& a, const CollapsePoint& b);

// Vertices with five to eight faces take eight lanes (AVX2) where the processor has
// them, four otherwise, with the same results. With `allow` false, four lanes
// whatever the processor, so that tests may run that path anywhere.
void allow_wide_collapse_costs(bool allow);
