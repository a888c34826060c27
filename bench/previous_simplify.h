// The edge-collapse simplification as it was before the collapse costs of vertices
// with many faces went by distinct normals and the collapses moved faces in one walk:
// the baseline that mesh_tools_bench.cpp (its only user) measures the simplification
// by, in the same run. Kept word for word but for the names of its entry points.
#pragma once

#include "core/mesh.h"
#include "core/work.h"
#include "tools/simplify.h"
#include "tools/small_list.h"
#include "tools/vertex_heap.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace previous {
// What collapsing a vertex onto one of its neighbours costs in the simplification, all
// in single precision: the edge length times a curvature term from the unit normals
// of the vertex's faces, (1 - n1 . n2) * 0.5, the dot product summed x, y, z.

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

// Room for the evaluations of one thread, kept from one to the next.
struct CollapseScratch {
    std::vector<int> corner[3];         // the faces' corners by position
    std::vector<float> normal[3];       // the faces' normals by component
    std::vector<int> sides;             // the faces on one edge
    std::vector<float> curvature, cost; // per neighbour
};

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

// Vertices with five to eight faces take eight lanes (AVX2) where the processor has
// them, four otherwise, with the same results. With `allow` false, four lanes
// whatever the processor, so that tests may run that path anywhere.
void allow_wide_collapse_costs(bool allow);
// The collapse costs of a vertex. Everything that decides a cost is computed in the
// order the scalar procedure gives, so the results are the same bit for bit: the
// four-lane code only does four of those computations at once. Minimum and maximum
// keep the running value on a tie or a NaN, as "x if x < m" and "m if m > x" do.

#if defined(__SSE2__)
#endif
#if defined(__x86_64__)
#endif

namespace {

// curvature[j]: for neighbour j, the largest over the faces f of the smallest term of
// f against the faces that have the neighbour, one face at a time.
void plain_curvatures(std::span<const int> neighbours, std::span<const int> faces,
                      const CollapseTriangle* triangles, CollapseScratch& scratch,
                      float* curvature) {
    int nf = int(faces.size());
    for (int k = 0; k < 3; ++k) {
        scratch.corner[k].resize(nf);
        scratch.normal[k].resize(nf);
    }
    for (int i = 0; i < nf; ++i)
        for (int k = 0; k < 3; ++k) {
            scratch.corner[k][i] = triangles[faces[i]].vertex[k];
            scratch.normal[k][i] = triangles[faces[i]].normal[k];
        }
    const float* nx = scratch.normal[0].data();
    const float* ny = scratch.normal[1].data();
    const float* nz = scratch.normal[2].data();
    std::vector<int>& sides = scratch.sides;
    for (size_t j = 0; j < neighbours.size(); ++j) {
        int n = neighbours[j];
        sides.clear();
        for (int s = 0; s < nf; ++s)
            if (scratch.corner[0][s] == n || scratch.corner[1][s] == n || scratch.corner[2][s] == n)
                sides.push_back(s);
        float largest = 0;
        for (int f = 0; f < nf; ++f) {
            float smallest = 1;
            for (int s : sides) {
                float term = (1 - ((nx[f] * nx[s] + ny[f] * ny[s]) + nz[f] * nz[s])) * 0.5f;
                smallest = term < smallest ? term : smallest;
            }
            largest = smallest > largest ? smallest : largest;
        }
        curvature[j] = largest;
    }
}

// The length of (x, y, z) by the Vector rule, sqrt((x x + y y) + z z).
float length_of(float x, float y, float z) {
#if defined(__SSE2__)
    // The instruction alone: std::sqrt also tests for a negative or NaN argument, to
    // set errno.
    return _mm_cvtss_f32(_mm_sqrt_ss(_mm_set_ss(x * x + y * y + z * z)));
#else
    return std::sqrt(x * x + y * y + z * z);
#endif
}

float edge_length(const CollapsePoint& a, const CollapsePoint& b) {
    return length_of(b.x - a.x, b.y - a.y, b.z - a.z);
}

// The edges offered in neighbour order: the first cheaper than 1,000,000 and every
// later strictly cheaper one win. With none, the first cheapest that is a number, else
// the first neighbour.
class CheapestEdge {
  public:
    void offer(int j, float cost) {
        bool cheaper = cost < best;
        chosen = cheaper ? j : chosen;
        best = cheaper ? cost : best;
    }

    // `costs` holds every edge's cost, for the case of none below 1,000,000.
    Collapse result(std::span<const int> neighbours, const float* costs) const {
        if (chosen >= 0) return {best, neighbours[chosen]};
        int first = 0;
        float cheapest = NAN;
        for (size_t j = 0; j < neighbours.size(); ++j) {
            float c = costs[j];
            if (!std::isnan(c) && (std::isnan(cheapest) || c < cheapest)) {
                cheapest = c;
                first = int(j);
            }
        }
        return {best, neighbours[first]};
    }

  private:
    float best = 1000000;
    int chosen = -1;
};

#if defined(__SSE2__)
// Four triangles as columns: corners and normal components, lane i from triangle i.
struct Columns {
    __m128i k0, k1, k2;
    __m128 x, y, z;
};

// The triangles go from rows (three corners and the normal's x, then its y and z) to
// columns straight in registers.
Columns columns_of(const CollapseTriangle* const* q) {
    static_assert(offsetof(CollapseTriangle, normal) == 3 * sizeof(int) &&
                  sizeof(CollapseTriangle) == 6 * sizeof(float));
    __m128 r0 = _mm_loadu_ps(reinterpret_cast<const float*>(q[0]->vertex));
    __m128 r1 = _mm_loadu_ps(reinterpret_cast<const float*>(q[1]->vertex));
    __m128 r2 = _mm_loadu_ps(reinterpret_cast<const float*>(q[2]->vertex));
    __m128 r3 = _mm_loadu_ps(reinterpret_cast<const float*>(q[3]->vertex));
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    __m128 yz[4];
    for (int i = 0; i < 4; ++i)
        yz[i] =
            _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(q[i]->normal + 1)));
    __m128 low = _mm_unpacklo_ps(yz[0], yz[1]), high = _mm_unpacklo_ps(yz[2], yz[3]);
    return {_mm_castps_si128(r0),     _mm_castps_si128(r1),    _mm_castps_si128(r2), r3,
            _mm_movelh_ps(low, high), _mm_movehl_ps(high, low)};
}

// The largest of 0 and the four lanes, none of them a NaN (so in any order).
float largest_lane(__m128 v) {
    v = _mm_max_ps(v, _mm_setzero_ps());
    v = _mm_max_ps(v, _mm_movehl_ps(v, v));
    return _mm_cvtss_f32(_mm_max_ss(v, _mm_shuffle_ps(v, v, 1)));
}

// The faces to take in `lanes` lanes: past the last face, the last face again. A face
// taken twice changes neither a smallest nor a largest, and the loops keep a fixed
// length.
template <int lanes>
void lane_faces(std::span<const int> faces, const CollapseTriangle* triangles,
                const CollapseTriangle* (&t)[lanes]) {
    const int last = int(faces.size()) - 1;
    for (int i = 0; i < lanes; ++i) t[i] = &triangles[faces[std::min(i, last)]];
}

// The same for 4 * (Blocks - 1) < faces <= 4 * Blocks, with the costs and the choice,
// four faces at a time: the terms of every pair of faces first (a term does not
// depend on the order of its faces: the products commute and the sum runs x, y, z
// either way), then per neighbour a mask of the faces that have it.
template <int Blocks>
Collapse lane_collapse(int w, std::span<const int> neighbours, std::span<const int> faces,
                       const CollapseTriangle* triangles, const CollapsePoint* points,
                       float* costs) {
    constexpr int lanes = 4 * Blocks;
    const CollapseTriangle* t[lanes];
    lane_faces(faces, triangles, t);
    Columns f[Blocks];
    for (int b = 0; b < Blocks; ++b) f[b] = columns_of(t + 4 * b);
    // terms[s][b]: face s against faces 4b .. 4b + 3.
    const __m128 one = _mm_set1_ps(1), half = _mm_set1_ps(0.5f);
    __m128 terms[lanes][Blocks];
    for (int s = 0; s < lanes; ++s) {
        const float* n = t[s]->normal;
        __m128 x = _mm_set1_ps(n[0]), y = _mm_set1_ps(n[1]), z = _mm_set1_ps(n[2]);
        for (int b = 0; b < Blocks; ++b) {
            __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(f[b].x, x), _mm_mul_ps(f[b].y, y)),
                                    _mm_mul_ps(f[b].z, z));
            terms[s][b] = _mm_mul_ps(_mm_sub_ps(one, dot), half);
        }
    }
    const CollapsePoint& here = points[w];
    const unsigned real = (2u << (faces.size() - 1)) - 1; // the repeats would only add work
    CheapestEdge cheapest;
    for (size_t j = 0; j < neighbours.size(); ++j) {
        int n = neighbours[j];
        __m128i id = _mm_set1_epi32(n);
        unsigned on_edge = 0; // bit s: face s has the neighbour
        for (int b = 0; b < Blocks; ++b) {
            __m128i has = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi32(f[b].k0, id), _mm_cmpeq_epi32(f[b].k1, id)),
                _mm_cmpeq_epi32(f[b].k2, id));
            on_edge |= unsigned(_mm_movemask_ps(_mm_castsi128_ps(has))) << (4 * b);
        }
        __m128 smallest[Blocks];
        for (int b = 0; b < Blocks; ++b) smallest[b] = one;
        for (unsigned bits = on_edge & real; bits; bits &= bits - 1) {
            const __m128* row = terms[std::countr_zero(bits)];
            for (int b = 0; b < Blocks; ++b) smallest[b] = _mm_min_ps(row[b], smallest[b]);
        }
        __m128 largest = smallest[0];
        for (int b = 1; b < Blocks; ++b) largest = _mm_max_ps(smallest[b], largest);
        costs[j] = largest_lane(largest) * edge_length(here, points[n]);
        cheapest.offer(int(j), costs[j]);
    }
    return cheapest.result(neighbours, costs);
}
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VOSTREL_WIDE_COSTS 1
// lane_collapse<2> in eight lanes (AVX2): 4 < faces <= 8 in one block. Compiled for
// AVX2 alone, and called only where the processor has it.
__attribute__((target("avx2"))) Collapse wide_collapse(int w, std::span<const int> neighbours,
                                                       std::span<const int> faces,
                                                       const CollapseTriangle* triangles,
                                                       const CollapsePoint* points, float* costs) {
    const CollapseTriangle* t[8];
    lane_faces(faces, triangles, t);
    Columns low = columns_of(t), high = columns_of(t + 4);
    __m256i k0 = _mm256_set_m128i(high.k0, low.k0), k1 = _mm256_set_m128i(high.k1, low.k1),
            k2 = _mm256_set_m128i(high.k2, low.k2);
    __m256 fx = _mm256_set_m128(high.x, low.x), fy = _mm256_set_m128(high.y, low.y),
           fz = _mm256_set_m128(high.z, low.z);
    const __m256 one = _mm256_set1_ps(1), half = _mm256_set1_ps(0.5f);
    __m256 terms[8];
    for (int s = 0; s < 8; ++s) {
        const float* n = t[s]->normal;
        __m256 x = _mm256_set1_ps(n[0]), y = _mm256_set1_ps(n[1]), z = _mm256_set1_ps(n[2]);
        __m256 dot = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(fx, x), _mm256_mul_ps(fy, y)),
                                   _mm256_mul_ps(fz, z));
        terms[s] = _mm256_mul_ps(_mm256_sub_ps(one, dot), half);
    }
    const CollapsePoint& here = points[w];
    const unsigned real = (2u << (faces.size() - 1)) - 1;
    CheapestEdge cheapest;
    for (size_t j = 0; j < neighbours.size(); ++j) {
        int n = neighbours[j];
        __m256i id = _mm256_set1_epi32(n);
        __m256i has =
            _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi32(k0, id), _mm256_cmpeq_epi32(k1, id)),
                            _mm256_cmpeq_epi32(k2, id));
        unsigned on_edge = unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(has)));
        __m256 smallest = one;
        for (unsigned bits = on_edge & real; bits; bits &= bits - 1)
            smallest = _mm256_min_ps(terms[std::countr_zero(bits)], smallest);
        __m128 largest =
            _mm_max_ps(_mm256_extractf128_ps(smallest, 1), _mm256_castps256_ps128(smallest));
        costs[j] = largest_lane(largest) * edge_length(here, points[n]);
        cheapest.offer(int(j), costs[j]);
    }
    return cheapest.result(neighbours, costs);
}

bool has_avx2() {
    __builtin_cpu_init(); // this may run before the library's own constructor has
    return __builtin_cpu_supports("avx2");
}
#else
bool has_avx2() {
    return false;
}
#endif

std::atomic<bool> wide_costs{has_avx2()};

} // namespace

void allow_wide_collapse_costs(bool allow) {
    wide_costs.store(allow && has_avx2(), std::memory_order_relaxed);
}

void set_collapse_normal(CollapseTriangle& t, const CollapsePoint* points) {
    const CollapsePoint& p0 = points[t.vertex[0]];
    const CollapsePoint& p1 = points[t.vertex[1]];
    const CollapsePoint& p2 = points[t.vertex[2]];
    // The Vector operations written out on floats: a = P1 - P0, b = P2 - P1, a x b.
    float ax = p1.x - p0.x, ay = p1.y - p0.y, az = p1.z - p0.z;
    float bx = p2.x - p1.x, by = p2.y - p1.y, bz = p2.z - p1.z;
    float x = ay * bz - az * by, y = az * bx - ax * bz, z = ax * by - ay * bx;
    if (float len = length_of(x, y, z); len != 0) {
        x /= len;
        y /= len;
        z /= len;
    }
    t.normal[0] = x;
    t.normal[1] = y;
    t.normal[2] = z;
}

Collapse cheapest_collapse(int w, std::span<const int> neighbours, std::span<const int> faces,
                           const CollapseTriangle* triangles, const CollapsePoint* points,
                           CollapseScratch& scratch) {
    size_t nn = neighbours.size();
    if (nn == 0) return {-0.01f, -1};
    if (scratch.cost.size() < nn) {
        scratch.cost.resize(nn * 2);
        scratch.curvature.resize(nn * 2);
    }
    float* costs = scratch.cost.data();
    // Up to sixteen faces four at a time; no faces (all curvatures 0) and more faces
    // one at a time.
    switch ((faces.size() + 3) / 4) {
#if defined(__SSE2__)
    case 1:
        return lane_collapse<1>(w, neighbours, faces, triangles, points, costs);
    case 2:
#if defined(VOSTREL_WIDE_COSTS)
        if (wide_costs.load(std::memory_order_relaxed))
            return wide_collapse(w, neighbours, faces, triangles, points, costs);
#endif
        return lane_collapse<2>(w, neighbours, faces, triangles, points, costs);
    case 3:
        return lane_collapse<3>(w, neighbours, faces, triangles, points, costs);
    case 4:
        return lane_collapse<4>(w, neighbours, faces, triangles, points, costs);
#endif
    default:
        break;
    }
    float* curvature = scratch.curvature.data();
    plain_curvatures(neighbours, faces, triangles, scratch, curvature);
    CheapestEdge cheapest;
    for (size_t j = 0; j < nn; ++j) {
        costs[j] = curvature[j] * edge_length(points[w], points[neighbours[j]]);
        cheapest.offer(int(j), costs[j]);
    }
    return cheapest.result(neighbours, costs);
}
// Edge-collapse simplification. The working vertices and triangles keep their
// neighbour and face lists with the exact list semantics every collapse relies on
// (appends, first-occurrence removals, walks from the last entry), because which edge
// collapses next depends on the order of those lists. What is not kept is the cost of
// the plain procedure: instead of scanning all live vertices for the first cheapest
// one, an indexed heap keyed by (cost, index) yields it, since live vertices stay in
// index order; instead of renumbering the vertices after each removal, survivors are
// numbered by rank at the end; the live lists are flags; list updates that cannot
// change any list the procedure reads later are left out.

namespace {

struct alignas(64) WorkVertex {
    SmallList neighbours; // vertices sharing a live triangle, each once
    SmallList faces;      // live triangles using the vertex, once per corner it holds
};

std::span<const int> span_of(const SmallList& list) {
    return {list.begin(), size_t(list.size())};
}

// Asks for the records the first eight entries of `list` lead to, the last entry again
// past its end: a loop of fixed length, whose end is always foreseen.
template <typename T>
void prefetch_entries(const SmallList& list, const T* records) {
    const int* entry = list.begin();
    int last = list.size() - 1;
    if (last < 0) return;
    for (int i = 0; i < 8; ++i) __builtin_prefetch(records + entry[std::min(i, last)]);
}

// Everything the simplification writes is its own until the result is handed over: a
// stop (WorkStopped, taken on the caller's thread) leaves the mesh it reads as it was.
class Simplifier {
  public:
    Simplifier(const Mesh& mesh, Work* w)
        : work(w), point(size_t(mesh.nv)), vertices(new WorkVertex[size_t(mesh.nv)]),
          cost(size_t(mesh.nv)), target(size_t(mesh.nv), -1), live(size_t(mesh.nv), 1),
          triangles(size_t(mesh.nf)), triangle_live(size_t(mesh.nf), 1) {
        for (int v = 0; v < mesh.nv; ++v)
            point[v] = {mesh.vertices[v].x, mesh.vertices[v].y, mesh.vertices[v].z};
        checkpoint(work);
        for (int i = 0; i < mesh.nf; ++i)
            for (int k = 0; k < 3; ++k) triangles[i].vertex[k] = mesh.faceptrs[i]->vindex[k];
        checkpoint(work);
        prepare();
        heap.build(cost);
        live_vertices = mesh.nv;
    }

    void run(int goal) {
        // About a millisecond of collapses between stops.
        const int64_t collapses = live_vertices - goal;
        for (int64_t done = 0; live_vertices > goal; ++done) {
            advance_every(work, done, collapses, 10);
            int u = heap.top();
            collapse(u, target[u]);
        }
    }

    // The survivors in index order, numbered by rank, as a new mesh: `source` is read
    // only, so it stays whole should an allocation fail.
    Mesh result(const Mesh& source) const {
        bool keep_rows = int(source.morphogens.size()) == source.nv;
        std::vector<int> rank(point.size(), -1);
        int kept = 0;
        for (size_t v = 0; v < point.size(); ++v)
            if (live[v]) rank[v] = kept++;
        int faces = 0;
        for (char alive : triangle_live) faces += alive;
        checkpoint(work);

        Mesh mesh;
        mesh.alloc_vertices(kept);
        mesh.alloc_faces(faces);
        if (keep_rows) mesh.morphogens.reserve(size_t(kept));
        for (size_t v = 0; v < point.size(); ++v) {
            if ((v & 16383) == 0) checkpoint(work); // a row is an allocation
            if (rank[v] < 0) continue;
            mesh.vertices[rank[v]] = source.vertices[v];
            mesh.colours[rank[v]] = source.colours[v];
            if (keep_rows) mesh.morphogens.push_back(source.morphogens[v]);
        }
        checkpoint(work);
        int i = 0;
        for (size_t f = 0; f < triangles.size(); ++f) {
            if (!triangle_live[f]) continue;
            for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = rank[triangles[f].vertex[k]];
            ++i;
        }
        mesh.link_faces();
        mesh.morphogen_names = source.morphogen_names;
        return mesh;
    }

  private:
    // What one thread needs for its own: room for cost evaluations, blocks for lists.
    struct ThreadRoom {
        CollapseScratch scratch;
        BlockPool pool;
        std::vector<int> seen;  // per vertex: the last vertex it was found a neighbour of
        std::vector<int> found; // one vertex's corners, the first of each marked to keep
    };

    Work* work;
    std::vector<CollapsePoint> point;
    std::unique_ptr<WorkVertex[]> vertices; // uninitialised until each one's lists are built
    std::vector<float> cost;                // of each vertex's cheapest collapse
    std::vector<int> target;                // the neighbour of that collapse, or -1
    std::vector<char> live;                 // still among the live vertices
    std::vector<CollapseTriangle> triangles;
    std::vector<char> triangle_live;
    VertexHeap heap;
    int live_vertices = 0;
    int collapsing = -1; // the vertex being collapsed, while it is
    ThreadRoom room[2];  // the first for everything after the set-up
    std::vector<int> remembered;

    // Per corner, bucketed by vertex in face order: the face and its other two corners
    // in position order.
    struct Corner {
        int face, first, second;
    };

    // The triangles' normals and every vertex's lists and cost. A vertex's lists come
    // from the faces holding it, in face order: each face once per corner the vertex
    // holds, and the face's other corners by position, each once (in a face (a, a, b),
    // a is its own neighbour). The corners are bucketed by vertex for that.
    //
    // Two threads may share the work: the normals, then the vertices (a vertex's cost
    // needs only its own lists and the normals).
    void prepare() {
        int nv = int(point.size()), nf = int(triangles.size());
        std::vector<int> start(size_t(nv) + 1, 0);
        for (const CollapseTriangle& t : triangles)
            for (int k = 0; k < 3; ++k) ++start[t.vertex[k] + 1];
        for (int v = 0; v < nv; ++v) start[v + 1] += start[v];
        checkpoint(work);
        std::vector<Corner> corner(static_cast<size_t>(start[nv]));
        std::vector<int> next(start.begin(), start.end() - 1);
        auto bucket = [&] {
            for (int i = 0; i < nf; ++i) {
                if ((i & 65535) == 0) checkpoint(work);
                const int* t = triangles[i].vertex;
                corner[next[t[0]]++] = {i, t[1], t[2]};
                corner[next[t[1]]++] = {i, t[0], t[2]};
                corner[next[t[2]]++] = {i, t[0], t[1]};
            }
        };

        // Both kinds of work go in chunks from shared counters, so that a thread that
        // starts late, or not at all, leaves its share to the other.
        constexpr int face_chunk = 4096, vertex_chunk = 256;
        std::atomic<int> next_face{0}, faces_done{0}, next_vertex{0};
        // Between chunks, never within one, so that every chunk taken is done: the
        // caller's thread (the Work's checkpoints are its own) takes a stop, the second
        // thread only leaves the chunks not taken yet to it.
        auto going_on = [&](bool caller) {
            if (!caller) return !(work && work->stopped());
            advance(work, std::min(next_vertex.load(std::memory_order_relaxed), nv), nv);
            return true;
        };
        auto normals = [&](bool caller) {
            for (;;) {
                if (!going_on(caller)) return;
                int first = next_face.fetch_add(face_chunk, std::memory_order_relaxed);
                if (first >= nf) return;
                int last = std::min(first + face_chunk, nf);
                for (int i = first; i < last; ++i) set_collapse_normal(triangles[i], point.data());
                if (faces_done.fetch_add(last - first, std::memory_order_release) + last - first ==
                    nf)
                    faces_done.notify_all();
            }
        };
        auto build = [&](ThreadRoom& mine, bool caller) {
            mine.seen.assign(size_t(nv), -1);
            for (;;) {
                if (!going_on(caller)) return;
                int first = next_vertex.fetch_add(vertex_chunk, std::memory_order_relaxed);
                if (first >= nv) return;
                for (int v = first; v < std::min(first + vertex_chunk, nv); ++v) {
                    SmallList& faces = vertices[v].faces;
                    faces.clear();
                    // Each corner goes into `found`, and the count moves past it when
                    // it is new: no branch on what the mesh holds.
                    size_t needed = std::max(2 * size_t(start[v + 1] - start[v]), size_t(16));
                    if (mine.found.size() < needed) mine.found.resize(2 * needed);
                    int* seen = mine.seen.data();
                    int* found = mine.found.data();
                    int count = 0;
                    for (int c = start[v]; c < start[v + 1]; ++c) {
                        faces.push_back(corner[c].face, mine.pool);
                        for (int n : {corner[c].first, corner[c].second}) {
                            found[count] = n;
                            count += seen[n] != v;
                            seen[n] = v;
                        }
                    }
                    vertices[v].neighbours.assign(found, count, mine.pool);
                    update_cost(v, mine.scratch);
                }
            }
        };
        // On a large mesh a second thread starts on the normals while the first buckets
        // the corners, then takes on what is left of them; without one (a small mesh, or
        // no thread to be had) the first does it all. Only the lists can fail (out of
        // memory): a failure on the second thread is raised on the first, and a failure
        // (or a stop) on either stops both.
        std::atomic<bool> bucketed{false}, abandoned{false};
        std::exception_ptr failure;
        auto normals_done = [&] {
            for (int done; (done = faces_done.load(std::memory_order_acquire)) != nf &&
                           !abandoned.load(std::memory_order_acquire);)
                faces_done.wait(done);
        };
        std::thread other;
        if (nv > 8 * vertex_chunk) {
            try {
                other = std::thread([&] {
                    normals(false);
                    bucketed.wait(false);
                    normals_done();
                    try {
                        build(room[1], false);
                    } catch (...) {
                        failure = std::current_exception();
                        next_vertex.store(nv);
                    }
                });
            } catch (const std::system_error&) {
                // No second thread: this one does it all.
            }
        }
        try {
            bucket();
            bucketed.store(true);
            bucketed.notify_one();
            normals(true);
            normals_done();
            build(room[0], true);
        } catch (...) {
            // Whatever the second thread waits for, or would take next, is there or gone;
            // the faces counted done pass nf, which wakes it.
            abandoned.store(true, std::memory_order_release);
            next_face.store(nf);
            next_vertex.store(nv);
            bucketed.store(true);
            bucketed.notify_one();
            faces_done.fetch_add(nf + 1, std::memory_order_release);
            faces_done.notify_all();
            if (other.joinable()) other.join();
            throw;
        }
        if (other.joinable()) other.join();
        if (failure) std::rethrow_exception(failure);
    }

    void update_cost(int w, CollapseScratch& scratch) {
        Collapse c =
            cheapest_collapse(w, span_of(vertices[w].neighbours), span_of(vertices[w].faces),
                              triangles.data(), point.data(), scratch);
        cost[w] = c.cost;
        target[w] = c.target;
    }

    // Drops b from a's neighbours when no triangle of a has b. Lists of and entries for
    // the collapsing vertex are left alone: its own list is read again only to take it
    // out of its neighbours' lists, which drops every entry for it, and the order of
    // the other entries does not depend on when that one goes.
    void remove_if_non_neighbour(int a, int b) {
        if (a == collapsing || b == collapsing) return;
        WorkVertex& va = vertices[a];
        if (!va.neighbours.contains(b)) return;
        if (!any_face_has(va.faces, b)) va.neighbours.remove_first(b);
    }

    // Whether a triangle of `faces` has v. The first eight faces are tested in a loop
    // of fixed length (the last face again past the end), whose end is foreseen.
    bool any_face_has(const SmallList& faces, int v) const {
        const int* f = faces.begin();
        int last = faces.size() - 1;
        if (last < 0) return false;
        bool has = false;
        for (int i = 0; i < 8; ++i) has |= triangles[f[std::min(i, last)]].has(v);
        for (int i = 8; i <= last; ++i) has |= triangles[f[i]].has(v);
        return has;
    }

    void delete_triangle(int f) {
        const CollapseTriangle& t = triangles[f];
        triangle_live[f] = 0;
        for (int k = 0; k < 3; ++k) vertices[t.vertex[k]].faces.remove_first(f);
        for (int k = 0; k < 3; ++k) {
            int a = t.vertex[k], b = t.vertex[(k + 1) % 3];
            remove_if_non_neighbour(a, b);
            remove_if_non_neighbour(b, a);
        }
    }

    // The first corner holding u now holds v. Of the pairs of corners, only those with
    // the new corner can add a neighbour: the others were corners of this live triangle
    // already. They are linked in the order of all pairs (i, j), i != j.
    void replace_vertex(int f, int u, int v) {
        CollapseTriangle& t = triangles[f];
        int p = t.vertex[0] == u ? 0 : t.vertex[1] == u ? 1 : 2;
        t.vertex[p] = v;
        vertices[u].faces.remove_first(f);
        vertices[v].faces.push_back(f, room[0].pool);
        const int* c = t.vertex;
        auto link = [&](int i, int j) { vertices[c[i]].neighbours.add_unique(c[j], room[0].pool); };
        switch (p) {
        case 0:
            link(0, 1), link(0, 2), link(1, 0), link(2, 0);
            break;
        case 1:
            link(0, 1), link(1, 0), link(1, 2), link(2, 1);
            break;
        default:
            link(0, 2), link(1, 2), link(2, 0), link(2, 1);
            break;
        }
        set_collapse_normal(t, point.data());
    }

    // Takes x out of its neighbours' lists and out of the live vertices (x is the
    // heap's top whenever this runs).
    void remove_vertex(int x) {
        SmallList& own = vertices[x].neighbours;
        for (int n : own)
            if (n != x) vertices[n].neighbours.remove_first(x);
        own.clear();
        live[x] = 0;
        heap.pop();
        --live_vertices;
    }

    void collapse(int u, int v) {
        if (v < 0) {
            remove_vertex(u);
            return;
        }
        const SmallList& own = vertices[u].neighbours;
        remembered.assign(own.begin(), own.end());
        // What the walks and the new costs read first, asked for at once: both lines of
        // each neighbour's record, their points, u's triangles, then what the
        // neighbours' lists lead to.
        for (int n : remembered) {
            __builtin_prefetch(&vertices[n].neighbours);
            __builtin_prefetch(&vertices[n].faces);
            __builtin_prefetch(&point[n]);
        }
        for (int f : vertices[u].faces) __builtin_prefetch(&triangles[f]);
        for (int n : remembered) {
            prefetch_entries(vertices[n].faces, triangles.data());
            prefetch_entries(vertices[n].neighbours, point.data());
        }
        // The next collapse is most often the vertex next in line now (about four times
        // in five on scanned meshes): its record is asked for while this one runs.
        if (int next = heap.runner_up(); next >= 0) {
            __builtin_prefetch(&vertices[next].neighbours);
            __builtin_prefetch(&vertices[next].faces);
            __builtin_prefetch(&point[next]);
        }
        collapsing = u;
        // Both walks go from the last face to the first; a deletion may take two
        // entries of a face that holds u twice, so an index past the end is skipped.
        const SmallList& faces = vertices[u].faces;
        for (int i = faces.size() - 1; i >= 0; --i)
            if (i < faces.size() && triangles[faces[i]].has(v)) delete_triangle(faces[i]);
        for (int i = faces.size() - 1; i >= 0; --i)
            if (i < faces.size()) replace_vertex(faces[i], u, v);
        remove_vertex(u);
        collapsing = -1;
        for (int n : remembered) {
            if (!live[n]) continue; // u itself, when it was its own neighbour
            update_cost(n, room[0].scratch);
            heap.update(n, cost[n]);
        }
    }
};

} // namespace

// The simplification of `mesh` to `fraction` of its vertices, as a new mesh.
inline Mesh simplified(const Mesh& mesh, float fraction) {
    int goal = simplification_target(mesh.nv, fraction);
    Simplifier simplifier(mesh, nullptr);
    simplifier.run(goal);
    return simplifier.result(mesh);
}

} // namespace previous
