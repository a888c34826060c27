// The collapse costs of a vertex. Everything that decides a cost is computed in the
// order the scalar procedure gives, so the results are the same bit for bit: the
// four-lane code only does four of those computations at once. Minimum and maximum
// keep the running value on a tie or a NaN, as "x if x < m" and "m if m > x" do.
#include "tools/collapse_cost.h"

#include "core/vector.h"

#include <bit>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
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

#if defined(__SSE2__)
// The same for at most 4 * Blocks faces, four faces at a time: the terms of every pair
// of faces first (a term does not depend on the order of its faces: the products
// commute and the sum runs x, y, z either way), 0 in the lanes past the last face,
// which the largest, never below 0, passes over; then per neighbour a mask of the
// faces that have it.
template <int Blocks>
void lane_curvatures(std::span<const int> neighbours, std::span<const int> faces,
                     const CollapseTriangle* triangles, float* curvature) {
    int nf = int(faces.size());
    // Four triangles at a time go from rows (three corners and the normal's x, then
    // its y and z) to columns, straight into registers. The lanes past the last face
    // take a triangle with no corners and a zero normal.
    static_assert(offsetof(CollapseTriangle, normal) == 3 * sizeof(int) &&
                  sizeof(CollapseTriangle) == 6 * sizeof(float));
    static const CollapseTriangle none{{-1, -1, -1}, {0, 0, 0}};
    const __m128 one = _mm_set1_ps(1), half = _mm_set1_ps(0.5f);
    __m128 valid[Blocks], fx[Blocks], fy[Blocks], fz[Blocks];
    __m128i k0[Blocks], k1[Blocks], k2[Blocks];
    for (int b = 0; b < Blocks; ++b) {
        const CollapseTriangle* t[4];
        for (int q = 0; q < 4; ++q) t[q] = 4 * b + q < nf ? &triangles[faces[4 * b + q]] : &none;
        __m128 r0 = _mm_loadu_ps(reinterpret_cast<const float*>(t[0]->vertex));
        __m128 r1 = _mm_loadu_ps(reinterpret_cast<const float*>(t[1]->vertex));
        __m128 r2 = _mm_loadu_ps(reinterpret_cast<const float*>(t[2]->vertex));
        __m128 r3 = _mm_loadu_ps(reinterpret_cast<const float*>(t[3]->vertex));
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        k0[b] = _mm_castps_si128(r0);
        k1[b] = _mm_castps_si128(r1);
        k2[b] = _mm_castps_si128(r2);
        fx[b] = r3;
        __m128 s0 =
            _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t[0]->normal + 1)));
        __m128 s1 =
            _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t[1]->normal + 1)));
        __m128 s2 =
            _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t[2]->normal + 1)));
        __m128 s3 =
            _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(t[3]->normal + 1)));
        __m128 low = _mm_unpacklo_ps(s0, s1), high = _mm_unpacklo_ps(s2, s3);
        fy[b] = _mm_movelh_ps(low, high);
        fz[b] = _mm_movehl_ps(high, low);
        __m128i lane = _mm_setr_epi32(4 * b, 4 * b + 1, 4 * b + 2, 4 * b + 3);
        valid[b] = _mm_castsi128_ps(_mm_cmplt_epi32(lane, _mm_set1_epi32(nf)));
    }
    // terms[s][b]: face s against faces 4b .. 4b + 3.
    __m128 terms[4 * Blocks][Blocks];
    for (int s = 0; s < nf; ++s) {
        const float* n = triangles[faces[s]].normal;
        __m128 x = _mm_set1_ps(n[0]), y = _mm_set1_ps(n[1]), z = _mm_set1_ps(n[2]);
        for (int b = 0; b < Blocks; ++b) {
            __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(fx[b], x), _mm_mul_ps(fy[b], y)),
                                    _mm_mul_ps(fz[b], z));
            terms[s][b] = _mm_and_ps(_mm_mul_ps(_mm_sub_ps(one, dot), half), valid[b]);
        }
    }
    for (size_t j = 0; j < neighbours.size(); ++j) {
        __m128i id = _mm_set1_epi32(neighbours[j]);
        unsigned on_edge = 0; // bit s: face s has the neighbour
        for (int b = 0; b < Blocks; ++b) {
            __m128i has =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(k0[b], id), _mm_cmpeq_epi32(k1[b], id)),
                             _mm_cmpeq_epi32(k2[b], id));
            on_edge |= unsigned(_mm_movemask_ps(_mm_castsi128_ps(has))) << (4 * b);
        }
        __m128 smallest[Blocks];
        for (int b = 0; b < Blocks; ++b) smallest[b] = one;
        for (unsigned bits = on_edge; bits; bits &= bits - 1) {
            const __m128* row = terms[std::countr_zero(bits)];
            for (int b = 0; b < Blocks; ++b) smallest[b] = _mm_min_ps(row[b], smallest[b]);
        }
        // None of these is a NaN, so the largest does not depend on the order.
        __m128 largest = _mm_setzero_ps();
        for (int b = 0; b < Blocks; ++b) largest = _mm_max_ps(smallest[b], largest);
        largest = _mm_max_ps(largest, _mm_movehl_ps(largest, largest));
        largest = _mm_max_ss(largest, _mm_shuffle_ps(largest, largest, 1));
        curvature[j] = _mm_cvtss_f32(largest);
    }
}
#endif

// length[j]: the length of the edge to neighbour j by the Vector rule,
// sqrt((x x + y y) + z z), four edges at a time where there are four.
void edge_lengths(int w, std::span<const int> neighbours, const CollapsePoint* points,
                  float* length) {
    const CollapsePoint& here = points[w];
    int nn = int(neighbours.size()), j = 0;
#if defined(__SSE2__)
    __m128 hx = _mm_set1_ps(here.x), hy = _mm_set1_ps(here.y), hz = _mm_set1_ps(here.z);
    for (; j + 4 <= nn; j += 4) {
        const CollapsePoint& a = points[neighbours[j]];
        const CollapsePoint& b = points[neighbours[j + 1]];
        const CollapsePoint& c = points[neighbours[j + 2]];
        const CollapsePoint& d = points[neighbours[j + 3]];
        __m128 x = _mm_sub_ps(_mm_setr_ps(a.x, b.x, c.x, d.x), hx);
        __m128 y = _mm_sub_ps(_mm_setr_ps(a.y, b.y, c.y, d.y), hy);
        __m128 z = _mm_sub_ps(_mm_setr_ps(a.z, b.z, c.z, d.z), hz);
        __m128 squares =
            _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z));
        _mm_storeu_ps(length + j, _mm_sqrt_ps(squares));
    }
#endif
    for (; j < nn; ++j) {
        const CollapsePoint& p = points[neighbours[j]];
        float x = p.x - here.x, y = p.y - here.y, z = p.z - here.z;
        length[j] = std::sqrt(x * x + y * y + z * z);
    }
}

} // namespace

void set_collapse_normal(CollapseTriangle& t, const CollapsePoint* points) {
    const CollapsePoint& p0 = points[t.vertex[0]];
    const CollapsePoint& p1 = points[t.vertex[1]];
    const CollapsePoint& p2 = points[t.vertex[2]];
    Vector a(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z);
    Vector b(p2.x - p1.x, p2.y - p1.y, p2.z - p1.z);
    Vector n;
    n.cross(a, b);
    if (n.length() != 0) {
        n.x /= n.len;
        n.y /= n.len;
        n.z /= n.len;
    }
    t.normal[0] = n.x;
    t.normal[1] = n.y;
    t.normal[2] = n.z;
}

Collapse cheapest_collapse(int w, std::span<const int> neighbours, std::span<const int> faces,
                           const CollapseTriangle* triangles, const CollapsePoint* points,
                           CollapseScratch& scratch) {
    int nn = int(neighbours.size());
    if (nn == 0) return {-0.01f, -1};
    if (scratch.curvature.size() < size_t(nn)) {
        scratch.curvature.resize(size_t(nn) * 2);
        scratch.length.resize(size_t(nn) * 2);
    }
    float* curvature = scratch.curvature.data();
    float* length = scratch.length.data();
    edge_lengths(w, neighbours, points, length);
    // Up to sixteen faces four at a time; no faces (all curvatures 0) and more faces
    // one at a time.
    switch ((faces.size() + 3) / 4) {
#if defined(__SSE2__)
    case 1:
        lane_curvatures<1>(neighbours, faces, triangles, curvature);
        break;
    case 2:
        lane_curvatures<2>(neighbours, faces, triangles, curvature);
        break;
    case 3:
        lane_curvatures<3>(neighbours, faces, triangles, curvature);
        break;
    case 4:
        lane_curvatures<4>(neighbours, faces, triangles, curvature);
        break;
#endif
    default:
        plain_curvatures(neighbours, faces, triangles, scratch, curvature);
        break;
    }

    Collapse best{1000000, -1};
    int chosen = -1;
    for (int j = 0; j < nn; ++j) {
        float c = curvature[j] * length[j];
        bool cheaper = c < best.cost;
        chosen = cheaper ? j : chosen;
        best.cost = cheaper ? c : best.cost;
    }
    if (chosen < 0) {
        chosen = 0;
        float cheapest = NAN;
        for (int j = 0; j < nn; ++j) {
            float c = curvature[j] * length[j];
            if (!std::isnan(c) && (std::isnan(cheapest) || c < cheapest)) {
                cheapest = c;
                chosen = j;
            }
        }
    }
    best.target = neighbours[chosen];
    return best;
}
