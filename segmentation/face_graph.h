// FaceGraph: the faces of a mesh as a graph, two faces adjacent where the shortest path
// table holds a weight other than 0 for them, and the all-pairs steps over it.
#pragma once

#include "core/work.h"
#include "segmentation/shortest_path_table.h"

#include <span>
#include <vector>

struct FaceGraph {
    int n = 0;
    std::vector<int> start;     // face f's neighbours: [start[f], start[f + 1])
    std::vector<int> neighbour; // in increasing face order
    std::vector<float> weight;  // the pair's weight, beside each neighbour

    std::span<const int> neighbours(int f) const {
        return {neighbour.data() + start[f], neighbour.data() + start[f + 1]};
    }
};

// The graph of n faces from a list of weights in the order they were set: the last
// weight set for a pair counts; pairs whose weight is 0, pairs of a face with itself and
// faces outside [0, n) give no adjacency.
FaceGraph face_graph(int n, std::span<const ShortestPathTable::Weight> weights);

// Fills the table (sized for graph.n faces) with the number of steps between every two
// faces, as 1.0 per step, 0 on the diagonal and 1e9 where no path exists: one
// breadth-first search per face, row r written from the search of face r. With a Work:
// progress by blocks of sources, a stop checked before every search.
void fill_step_counts(ShortestPathTable& table, const FaceGraph& graph, Work* work = nullptr);

// Fills the table (sized for graph.n faces) with the float sum of weights along the
// lightest path: Dijkstra from every face, nodes settled in order of (distance, face),
// each relaxation rounded to float and taken when strictly lighter; pair (a, b), a <= b,
// holds the value found from a; 0 on the diagonal, 1e9 where no path exists. The Work as
// for fill_step_counts.
void fill_weighted_distances(ShortestPathTable& table, const FaceGraph& graph,
                             Work* work = nullptr);
