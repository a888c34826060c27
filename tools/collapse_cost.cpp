// The collapse costs of a vertex. Everything that decides a cost is computed in the
// order the scalar procedure gives, so the results are the same bit for bit: the
// four-lane code only does four of those computations at once. Minimum and maximum
// keep the running value on a tie or a NaN, as "x if x < m" and "m if m > x" do.
#include "tools/collapse_cost.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// A face's term against another, from their normals.
float term_of(const float* nx, const float* ny, const float* nz, int f, int s) {
    return (1 - ((nx[f] * nx[s] + ny[f] * ny[s]) + nz[f] * nz[s])) * 0.5f;
}

// A normal's three components as bits, -0 as +0: a zero's sign reaches no term, since
// a product with it is a zero, a zero added to a number leaves the number, and a dot
// product of zero gives 1 - 0 = 1 whatever its sign. (Flat faces along an axis have
// normals such as (-0, 1, 0) and (0, 1, -0).)
struct NormalBits {
    uint32_t x, y, z;

    explicit NormalBits(const float* n)
        : x(std::bit_cast<uint32_t>(n[0] + 0.0f)), y(std::bit_cast<uint32_t>(n[1] + 0.0f)),
          z(std::bit_cast<uint32_t>(n[2] + 0.0f)) {}
    bool operator==(const NormalBits&) const = default;
    size_t hash() const {
        return size_t(
            (x * 0x9E3779B97F4A7C15ull ^ y * 0xC2B2AE3D27D4EB4Full ^ z * 0x165667B19E3779F9ull) >>
            20);
    }
};

// Groups w's faces by normal, to the bit: scratch.normal gets each distinct normal once,
// in the order first met, and scratch.normal_of[i] the place of face i's. Faces of the
// same normal give the same terms, and neither a smallest nor a largest changes when a
// term comes again, so the curvatures need each normal once: on a flat surface, one.
// A face with the normal of the face before it needs no look-up, and the table is made
// only when a second normal comes.
int group_normals(std::span<const int> faces, const CollapseTriangle* triangles,
                  CollapseScratch& scratch) {
    const int nf = int(faces.size());
    std::vector<int>& table = scratch.table;
    table.clear();
    scratch.normal_of.resize(size_t(nf));
    for (int k = 0; k < 3; ++k) scratch.normal[k].clear();
    auto bits_of = [&](int place) {
        const float n[3] = {scratch.normal[0][place], scratch.normal[1][place],
                            scratch.normal[2][place]};
        return NormalBits(n);
    };
    // The place of `bits` in the table, which it gets if it is new.
    auto place_of = [&](NormalBits bits, const float* n) {
        const size_t mask = table.size() - 1;
        for (size_t at = bits.hash() & mask;; at = (at + 1) & mask) {
            int place = table[at] - 1;
            if (place < 0) {
                place = int(scratch.normal[0].size());
                for (int k = 0; k < 3; ++k) scratch.normal[k].push_back(n[k]);
                table[at] = place + 1;
                return place;
            }
            if (bits_of(place) == bits) return place;
        }
    };
    int last = -1;
    for (int i = 0; i < nf; ++i) {
        const float* n = triangles[faces[i]].normal;
        const NormalBits bits(n);
        if (last >= 0 && bits_of(last) == bits) {
            scratch.normal_of[i] = last;
            continue;
        }
        if (last < 0) {
            last = 0;
            for (int k = 0; k < 3; ++k) scratch.normal[k].push_back(n[k]);
        } else {
            if (table.empty()) {
                table.assign(size_t(1) << std::bit_width(unsigned(2 * nf)), 0);
                table[bits_of(0).hash() & (table.size() - 1)] = 1;
            }
            last = place_of(bits, n);
        }
        scratch.normal_of[i] = last;
    }
    return int(scratch.normal[0].size());
}

// Finds which neighbour a face's corner is, through a table by vertex of places in the
// neighbour list (an entry counts only where the list holds that vertex there, so the
// table is never cleared). A neighbour listed twice is found at its last entry.
class NeighbourSlots {
  public:
    NeighbourSlots(std::span<const int> list, std::vector<int>& slot)
        : neighbours(list), slots(slot) {
        int top = 0;
        for (int n : neighbours) top = std::max(top, n);
        if (slots.size() <= size_t(top)) slots.resize(size_t(top) + 1, 0);
        for (size_t j = 0; j < neighbours.size(); ++j) slots[neighbours[j]] = int(j);
    }

    // The neighbour corner k of c is, or -1; corners repeated in a face count once.
    int at(const int* c, int k) const {
        if ((k > 0 && c[k] == c[0]) || (k > 1 && c[k] == c[1])) return -1;
        if (size_t(c[k]) >= slots.size()) return -1;
        int j = slots[c[k]];
        return size_t(j) < neighbours.size() && neighbours[j] == c[k] ? j : -1;
    }
    int owner(int j) const { return slots[neighbours[j]]; }

  private:
    std::span<const int> neighbours;
    std::vector<int>& slots;
};

// side_start[j + 1]: how many of w's faces have neighbour j as a corner.
void count_sides(std::span<const int> faces, const CollapseTriangle* triangles,
                 const NeighbourSlots& slots, int nn, std::vector<int>& start) {
    start.assign(size_t(nn) + 1, 0);
    for (int f : faces)
        for (int k = 0; k < 3; ++k)
            if (int j = slots.at(triangles[f].vertex, k); j >= 0) ++start[j + 1];
}

// The faces on each neighbour's edge (w's faces that have the neighbour as a corner,
// once per entry of the face), as the places of their normals: neighbour j's are
// sides[side_start[j], side_start[j + 1]), after count_sides.
void gather_sides(std::span<const int> faces, const CollapseTriangle* triangles,
                  const NeighbourSlots& slots, int nn, CollapseScratch& scratch) {
    std::vector<int>& start = scratch.side_start;
    for (int j = 0; j < nn; ++j) start[j + 1] += start[j];
    scratch.sides.resize(size_t(start[nn]));
    for (size_t i = 0; i < faces.size(); ++i)
        for (int k = 0; k < 3; ++k)
            if (int j = slots.at(triangles[faces[i]].vertex, k); j >= 0)
                scratch.sides[start[j]++] = scratch.normal_of[i];
    // Each start moved to the next one's; one step back puts them right.
    for (int j = nn; j > 0; --j) start[j] = start[j - 1];
    start[0] = 0;
}

// The largest over `distinct` normals f of the smallest term of f against the normals
// sides[first, last).
float curvature_over(const CollapseScratch& scratch, int distinct, const int* sides, int first,
                     int last) {
    const float* nx = scratch.normal[0].data();
    const float* ny = scratch.normal[1].data();
    const float* nz = scratch.normal[2].data();
    float largest = 0;
    for (int f = 0; f < distinct; ++f) {
        float smallest = 1;
        for (int s = first; s < last; ++s) {
            float term = term_of(nx, ny, nz, f, sides[s]);
            smallest = term < smallest ? term : smallest;
        }
        largest = smallest > largest ? smallest : largest;
    }
    return largest;
}

// curvature[j]: for neighbour j, the largest over the faces f of the smallest term of
// f against the faces that have the neighbour, over distinct normals only. With one
// normal, every edge with a face has the same curvature, and every edge without one
// too: only whether an edge has faces is sought.
void grouped_curvatures(std::span<const int> neighbours, std::span<const int> faces,
                        const CollapseTriangle* triangles, CollapseScratch& scratch,
                        float* curvature) {
    const int distinct = group_normals(faces, triangles, scratch);
    const int nn = int(neighbours.size());
    const NeighbourSlots slots(neighbours, scratch.slot);
    count_sides(faces, triangles, slots, nn, scratch.side_start);
    if (distinct == 1) {
        const int only = 0;
        const float edge = curvature_over(scratch, 1, &only, 0, 1);
        const float bare = curvature_over(scratch, 1, &only, 0, 0);
        for (int j = 0; j < nn; ++j) curvature[j] = scratch.side_start[j + 1] > 0 ? edge : bare;
    } else {
        gather_sides(faces, triangles, slots, nn, scratch);
        for (int j = 0; j < nn; ++j)
            curvature[j] = curvature_over(scratch, distinct, scratch.sides.data(),
                                          scratch.side_start[j], scratch.side_start[j + 1]);
    }
    // A neighbour listed twice: its earlier entries are the same edge as its last.
    for (int j = 0; j < nn; ++j)
        if (int owner = slots.owner(j); owner != j) curvature[j] = curvature[owner];
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
    float best = collapse_cost_ceiling;
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

// The largest over `faces` f of the smallest term of f against `against`, in the order
// of the scalar procedure; a NaN term is never taken, so neither the order nor a face
// that comes again changes it.
float curvature_against(std::span<const int> faces, std::span<const int> against,
                        const CollapseTriangle* triangles) {
    float largest = 0;
    for (int f : faces) {
        const float* a = triangles[f].normal;
        float smallest = 1;
        for (int s : against) {
            const float* b = triangles[s].normal;
            float term = (1 - ((a[0] * b[0] + a[1] * b[1]) + a[2] * b[2])) * 0.5f;
            smallest = term < smallest ? term : smallest;
        }
        largest = smallest > largest ? smallest : largest;
    }
    return largest;
}

// Sets a face's normal to (x, y, z); whether it is what it was, a zero's sign aside.
bool renew_normal(CollapseTriangle& t, float x, float y, float z) {
    const NormalBits before(t.normal);
    t.normal[0] = x;
    t.normal[1] = y;
    t.normal[2] = z;
    return NormalBits(t.normal) == before;
}

#if defined(__SSE2__)
// set_collapse_normal for four faces at once, lane by lane the same operations in the
// same order (each exact to the bit in either form); whether all four kept theirs. A
// face that comes twice sees the normal its first lane gave it, as one at a time would.
bool four_normals(CollapseTriangle* const* t, const CollapsePoint* points) {
    // Each coordinate of each corner, lane by lane, straight into a register (written
    // out and read back whole, four floats would wait for their stores).
    __m128 p[3][3]; // corner, coordinate
    for (int k = 0; k < 3; ++k) {
        const CollapsePoint* q[4];
        for (int i = 0; i < 4; ++i) q[i] = &points[t[i]->vertex[k]];
        p[k][0] = _mm_setr_ps(q[0]->x, q[1]->x, q[2]->x, q[3]->x);
        p[k][1] = _mm_setr_ps(q[0]->y, q[1]->y, q[2]->y, q[3]->y);
        p[k][2] = _mm_setr_ps(q[0]->z, q[1]->z, q[2]->z, q[3]->z);
    }
    auto side = [&](int from, int to, int c) { return _mm_sub_ps(p[to][c], p[from][c]); };
    __m128 ax = side(0, 1, 0), ay = side(0, 1, 1), az = side(0, 1, 2);
    __m128 bx = side(1, 2, 0), by = side(1, 2, 1), bz = side(1, 2, 2);
    __m128 n[3] = {_mm_sub_ps(_mm_mul_ps(ay, bz), _mm_mul_ps(az, by)),
                   _mm_sub_ps(_mm_mul_ps(az, bx), _mm_mul_ps(ax, bz)),
                   _mm_sub_ps(_mm_mul_ps(ax, by), _mm_mul_ps(ay, bx))};
    __m128 len = _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(n[0], n[0]), _mm_mul_ps(n[1], n[1])),
                                        _mm_mul_ps(n[2], n[2])));
    __m128 divide = _mm_cmpneq_ps(len, _mm_setzero_ps()); // a NaN length divides too
    alignas(16) float out[3][4];
    for (int c = 0; c < 3; ++c)
        _mm_store_ps(out[c], _mm_or_ps(_mm_and_ps(divide, _mm_div_ps(n[c], len)),
                                       _mm_andnot_ps(divide, n[c])));
    bool kept = true;
    for (int i = 0; i < 4; ++i) kept &= renew_normal(*t[i], out[0][i], out[1][i], out[2][i]);
    return kept;
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

namespace {

// set_collapse_normal for the faces `at` gives for 0 .. count - 1, four at a time where
// that can be done; whether every normal stayed.
template <typename At>
bool renew_normals(int count, At at, const CollapsePoint* points) {
    bool kept = true;
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4) {
        CollapseTriangle* const four[4] = {&at(i), &at(i + 1), &at(i + 2), &at(i + 3)};
        kept &= four_normals(four, points);
    }
#endif
    for (; i < count; ++i) {
        CollapseTriangle t = at(i);
        set_collapse_normal(t, points);
        kept &= renew_normal(at(i), t.normal[0], t.normal[1], t.normal[2]);
    }
    return kept;
}

} // namespace

bool set_collapse_normals(std::span<const int> faces, CollapseTriangle* triangles,
                          const CollapsePoint* points) {
    auto at = [&](int i) -> CollapseTriangle& { return triangles[faces[size_t(i)]]; };
    return renew_normals(int(faces.size()), at, points);
}

void set_collapse_normals(CollapseTriangle* first, CollapseTriangle* last,
                          const CollapsePoint* points) {
    auto at = [&](int i) -> CollapseTriangle& { return first[i]; };
    renew_normals(int(last - first), at, points);
}

float collapse_edge_cost(int w, int n, std::span<const int> faces,
                         const CollapseTriangle* triangles, const CollapsePoint* points,
                         CollapseScratch& scratch) {
    std::vector<int>& sides = scratch.sides;
    sides.clear();
    for (int f : faces)
        if (triangles[f].has(n)) sides.push_back(f);
    return curvature_against(faces, sides, triangles) * edge_length(points[w], points[n]);
}

[[gnu::noinline]] float collapse_curvature_floor(std::span<const int> faces,
                                                 const CollapseTriangle* triangles) {
    return faces.size() > 16 ? 0 : curvature_against(faces, faces, triangles);
}

float collapse_edge_length(const CollapsePoint& a, const CollapsePoint& b) {
    return edge_length(a, b);
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
    grouped_curvatures(neighbours, faces, triangles, scratch, curvature);
    CheapestEdge cheapest;
    for (size_t j = 0; j < nn; ++j) {
        costs[j] = curvature[j] * edge_length(points[w], points[neighbours[j]]);
        cheapest.offer(int(j), costs[j]);
    }
    return cheapest.result(neighbours, costs);
}
