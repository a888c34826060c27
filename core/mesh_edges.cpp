// Edge list: every distinct vertex pair of the faces with the first two faces that
// use it, and per-vertex and per-face neighbour lists that refer into it; and the edge
// table's per-face lists in discovery order.
//
// Edges are ordered by their smaller vertex, ties by first appearance in face
// order. A stable counting sort of all face edges by smaller vertex gives exactly
// that order in linear time; within a bucket a stamp per larger vertex finds the
// edge already seen.
#include "core/mesh.h"

#include "core/big_arrays.h"
#include "core/work_blocks.h"

#include <algorithm>
#include <optional>

namespace {

struct Insertion {
    int hi;
    int face;
    int position; // 3 * face + the pair's place in the face: when the edge was met
};

// Flat lists, filled in edge order so that each list keeps that order too.
void fill_lists(NeighbourLists& lists, int n, const std::vector<std::array<int, 2>>& pairs,
                bool (*use)(const std::array<int, 2>&)) {
    lists.offsets.assign(n + 1, 0);
    for (const auto& p : pairs)
        if (use(p)) {
            ++lists.offsets[p[0] + 1];
            ++lists.offsets[p[1] + 1];
        }
    for (int i = 0; i < n; ++i) lists.offsets[i + 1] += lists.offsets[i];
    lists.refs.resize(lists.offsets[n]);
    std::vector<int> next(lists.offsets.begin(), lists.offsets.end() - 1);
    for (int k = 0; k < int(pairs.size()); ++k) {
        const auto& p = pairs[k];
        if (!use(p)) continue;
        lists.refs[next[p[0]]++] = {k, 1}; // first end sees the second
        lists.refs[next[p[1]]++] = {k, 0};
    }
}

// Per face, the faces found across its edges in the order the face walk found them:
// the edge's first face gets the second and the second the first, when the second is
// met (positions in face order).
void fill_discovery_lists(NeighbourLists& lists, int n,
                          const std::vector<std::array<int, 2>>& pairs,
                          const std::vector<int>& found_at) {
    lists.offsets.assign(n + 1, 0);
    for (int e : found_at)
        if (e >= 0) {
            ++lists.offsets[pairs[e][0] + 1];
            ++lists.offsets[pairs[e][1] + 1];
        }
    for (int i = 0; i < n; ++i) lists.offsets[i + 1] += lists.offsets[i];
    lists.refs.resize(lists.offsets[n]);
    std::vector<int> next(lists.offsets.begin(), lists.offsets.end() - 1);
    for (int e : found_at)
        if (e >= 0) {
            lists.refs[next[pairs[e][0]]++] = {e, 1};
            lists.refs[next[pairs[e][1]]++] = {e, 0};
        }
}

} // namespace

void Mesh::build_edge_list(Work* work) {
    auto drop = [this] {
        edges.clear();
        edgefaces.clear();
        vertexneighbours.clear();
        faceneighbours.clear();
        face_adjacency.clear();
        nedges = 0;
    };
    if (nv == 0) {
        // No vertices, no edges: nothing of an earlier build may outlive its mesh.
        drop();
        edge_list_faces = faces_version;
        built(MESH_EDGE_LIST);
        return;
    }
    try {
        fill_edge_list(work);
    } catch (const WorkStopped&) {
        // Half an edge list is none: emptied, and current for no faces and no shape.
        drop();
        edge_list_faces = ~0u;
        built_for[MESH_EDGE_LIST] = 0;
        throw;
    }
}

void Mesh::find_edges(Work* work, std::vector<int>& found_at) {
    // Face edges bucketed by smaller vertex, in face order within each bucket.
    std::optional<Stage> stage(std::in_place, work, 0, 0.2);
    std::vector<int> start(nv + 1, 0);
    auto valid = [this](int v) { return v >= 0 && v < nv; };
    auto each_edge = [&](auto&& visit) {
        in_blocks(work, nf, 16, [&](int i) {
            const int* vi = faces[i].vindex;
            const int pairs[3][2] = {{vi[0], vi[1]}, {vi[0], vi[2]}, {vi[1], vi[2]}};
            for (int k = 0; k < 3; ++k) {
                const auto& p = pairs[k];
                if (valid(p[0]) && valid(p[1]))
                    visit(std::min(p[0], p[1]), std::max(p[0], p[1]), i, 3 * i + k);
            }
        });
    };
    each_edge([&](int lo, int, int, int) { ++start[lo + 1]; });
    for (int v = 0; v < nv; ++v) start[v + 1] += start[v];
    stage.emplace(work, 0.2, 0.45);
    std::vector<Insertion> bucketed;
    reserve_big(bucketed, start[nv]);
    bucketed.resize(start[nv]);
    {
        std::vector<int> next(start.begin(), start.end() - 1);
        each_edge([&](int lo, int hi, int f, int position) {
            bucketed[next[lo]++] = {hi, f, position};
        });
    }

    // At most one edge per face edge; the room not used is never touched.
    stage.emplace(work, 0.45, 0.75);
    edges.clear();
    edgefaces.clear();
    reserve_big(edges, bucketed.size());
    reserve_big(edgefaces, bucketed.size());
    std::vector<int> stamp(nv, -1), slot(nv, 0);
    in_blocks(work, nv, 14, [&](int lo) {
        for (int j = start[lo]; j < start[lo + 1]; ++j) {
            auto [hi, f, position] = bucketed[j];
            if (stamp[hi] != lo) {
                stamp[hi] = lo;
                slot[hi] = int(edges.size());
                edges.push_back({lo, hi});
                edgefaces.push_back({f, -1});
            } else if (edgefaces[slot[hi]][1] == -1) {
                edgefaces[slot[hi]][1] = f; // a third face on the same edge is not recorded
                found_at[position] = slot[hi];
            }
        }
    });

    // Room for every face edge was reserved; the edges found keep only their own.
    fit_big(edges);
    fit_big(edgefaces);
}

void Mesh::fill_edge_list(Work* work) {
    // The edge whose second face was found at each face-edge position, or -1.
    std::vector<int> found_at(size_t(nf) * 3, -1);
    find_edges(work, found_at);
    // The lists are filled one by one, each transient array freed as soon as its list
    // is done, so that the build's peak stays close to what it leaves.
    Stage stage(work, 0.75, 1);
    fill_discovery_lists(face_adjacency, nf, edgefaces, found_at);
    found_at = {};
    advance(work, 1, 3);
    fill_lists(vertexneighbours, nv, edges, [](const std::array<int, 2>&) { return true; });
    advance(work, 2, 3);
    fill_lists(faceneighbours, nf, edgefaces,
               [](const std::array<int, 2>& e) { return e[1] != -1; });
    nedges = int(edges.size());
    edge_list_faces = faces_version;
    built(MESH_EDGE_LIST);
}
