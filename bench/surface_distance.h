// How far a simplified mesh strays from the mesh it was made of: the mean distance from
// points spread evenly over its faces to the nearest point of the original's faces,
// which a uniform grid of the original's faces finds. For the benchmarks that compare
// simplifications; double precision throughout.
#pragma once

#include "core/mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace bench {

using Point = std::array<double, 3>;

inline Point point_of(const Vector& v) {
    return {v.x, v.y, v.z};
}
inline Point minus(const Point& a, const Point& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline double dot(const Point& a, const Point& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Point along(const Point& a, const Point& d, double t) {
    return {a[0] + t * d[0], a[1] + t * d[1], a[2] + t * d[2]};
}

// The squared distance from p to triangle (a, b, c): the closest point by the regions
// of the triangle's corners, edges and face.
inline double squared_distance_to_triangle(const Point& p, const Point& a, const Point& b,
                                           const Point& c) {
    Point ab = minus(b, a), ac = minus(c, a), ap = minus(p, a);
    double d1 = dot(ab, ap), d2 = dot(ac, ap);
    Point q;
    if (d1 <= 0 && d2 <= 0) {
        q = a;
    } else {
        Point bp = minus(p, b);
        double d3 = dot(ab, bp), d4 = dot(ac, bp);
        Point cp = minus(p, c);
        double d5 = dot(ab, cp), d6 = dot(ac, cp);
        double vc = d1 * d4 - d3 * d2, vb = d5 * d2 - d1 * d6, va = d3 * d6 - d5 * d4;
        if (d3 >= 0 && d4 <= d3) {
            q = b;
        } else if (d6 >= 0 && d5 <= d6) {
            q = c;
        } else if (vc <= 0 && d1 >= 0 && d3 <= 0) {
            q = along(a, ab, d1 / (d1 - d3));
        } else if (vb <= 0 && d2 >= 0 && d6 <= 0) {
            q = along(a, ac, d2 / (d2 - d6));
        } else if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) {
            q = along(b, minus(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
        } else {
            double sum = va + vb + vc;
            if (!(sum > 0)) { // a degenerate triangle: its corners
                double best = dot(ap, ap);
                best = std::min(best, dot(minus(p, b), minus(p, b)));
                return std::min(best, dot(minus(p, c), minus(p, c)));
            }
            q = along(along(a, ab, vb / sum), ac, vc / sum);
        }
    }
    Point d = minus(p, q);
    return dot(d, d);
}

// The faces of a mesh in the cells of a grid over its bounding box, about two faces a
// cell, for nearest-point queries.
class FaceGrid {
  public:
    explicit FaceGrid(const Mesh& m) : mesh(m), stamp(size_t(m.nf), 0) {
        for (int k = 0; k < 3; ++k) {
            low[k] = HUGE_VAL;
            high[k] = -HUGE_VAL;
        }
        for (const Vector& v : m.vertices)
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], double(point_of(v)[k]));
                high[k] = std::max(high[k], double(point_of(v)[k]));
            }
        double longest = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2], 1e-30});
        cell = longest / std::clamp(std::cbrt(double(m.nf) / 2), 1.0, 200.0);
        for (int k = 0; k < 3; ++k)
            count[k] = std::max(1, int(std::ceil((high[k] - low[k]) / cell)));
        start.assign(size_t(count[0]) * count[1] * count[2] + 1, 0);
        auto each_cell = [&](int f, auto&& visit) {
            int lo[3], hi[3];
            for (int k = 0; k < 3; ++k) {
                double a = HUGE_VAL, b = -HUGE_VAL;
                for (int c = 0; c < 3; ++c) {
                    double x = point_of(m.vertices[m.faces[f].vindex[c]])[k];
                    a = std::min(a, x);
                    b = std::max(b, x);
                }
                lo[k] = index(a, k);
                hi[k] = index(b, k);
            }
            for (int x = lo[0]; x <= hi[0]; ++x)
                for (int y = lo[1]; y <= hi[1]; ++y)
                    for (int z = lo[2]; z <= hi[2]; ++z) visit(flat(x, y, z));
        };
        for (int f = 0; f < m.nf; ++f) each_cell(f, [&](size_t c) { ++start[c + 1]; });
        for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
        faces.resize(start.back());
        std::vector<size_t> next(start.begin(), start.end() - 1);
        for (int f = 0; f < m.nf; ++f) each_cell(f, [&](size_t c) { faces[next[c]++] = f; });
    }

    // The distance from p to the nearest face: the cells in growing shells around p's
    // cell, until no face of a further shell can be nearer.
    double distance(const Point& p) {
        ++round;
        int at[3];
        for (int k = 0; k < 3; ++k) at[k] = index(p[k], k);
        double best = HUGE_VAL;
        const int widest = std::max({count[0], count[1], count[2]});
        for (int r = 0; r <= widest; ++r) {
            for (int x = at[0] - r; x <= at[0] + r; ++x)
                for (int y = at[1] - r; y <= at[1] + r; ++y)
                    for (int z = at[2] - r; z <= at[2] + r; ++z) {
                        bool shell = std::abs(x - at[0]) == r || std::abs(y - at[1]) == r ||
                                     std::abs(z - at[2]) == r;
                        if (!shell || x < 0 || y < 0 || z < 0 || x >= count[0] || y >= count[1] ||
                            z >= count[2])
                            continue;
                        size_t c = flat(x, y, z);
                        for (size_t i = start[c]; i < start[c + 1]; ++i) {
                            int f = faces[i];
                            if (stamp[f] == round) continue;
                            stamp[f] = round;
                            const int* v = mesh.faces[f].vindex;
                            best = std::min(
                                best, squared_distance_to_triangle(p, point_of(mesh.vertices[v[0]]),
                                                                   point_of(mesh.vertices[v[1]]),
                                                                   point_of(mesh.vertices[v[2]])));
                        }
                    }
            if (best <= double(r) * cell * double(r) * cell) break;
        }
        return std::sqrt(best);
    }

    double diagonal() const {
        Point d = minus(high, low);
        return std::sqrt(dot(d, d));
    }

  private:
    int index(double x, int k) const {
        return std::clamp(int(std::floor((x - low[k]) / cell)), 0, count[k] - 1);
    }
    size_t flat(int x, int y, int z) const { return (size_t(z) * count[1] + y) * count[0] + x; }

    const Mesh& mesh;
    Point low, high;
    double cell;
    int count[3];
    std::vector<size_t> start;
    std::vector<int> faces;
    std::vector<uint32_t> stamp;
    uint32_t round = 0;
};

// The mean distance from `samples` points on the faces of `from`, spread by area (seed
// 1), to the faces of `to`, as a share of the diagonal of `to`'s bounding box.
inline double mean_surface_distance(const Mesh& from, const Mesh& to, int samples = 20000) {
    if (from.nf == 0 || to.nf == 0) return 0;
    std::vector<double> area(size_t(from.nf) + 1, 0);
    for (int f = 0; f < from.nf; ++f) {
        const int* v = from.faces[f].vindex;
        Point a = point_of(from.vertices[v[0]]), ab = minus(point_of(from.vertices[v[1]]), a),
              ac = minus(point_of(from.vertices[v[2]]), a);
        Point n = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                   ab[0] * ac[1] - ab[1] * ac[0]};
        area[f + 1] = area[f] + 0.5 * std::sqrt(dot(n, n));
    }
    FaceGrid grid(to);
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> unit(0, 1);
    double sum = 0;
    for (int s = 0; s < samples; ++s) {
        double pick = unit(rng) * area.back();
        int f = int(std::upper_bound(area.begin(), area.end(), pick) - area.begin()) - 1;
        f = std::clamp(f, 0, from.nf - 1);
        const int* v = from.faces[f].vindex;
        double r1 = std::sqrt(unit(rng)), r2 = unit(rng);
        Point a = point_of(from.vertices[v[0]]), b = point_of(from.vertices[v[1]]),
              c = point_of(from.vertices[v[2]]);
        Point p;
        for (int k = 0; k < 3; ++k) p[k] = (1 - r1) * a[k] + r1 * (1 - r2) * b[k] + r1 * r2 * c[k];
        sum += grid.distance(p);
    }
    return sum / samples / grid.diagonal();
}

// The area of a mesh's faces.
inline double surface_area_of(const Mesh& m) {
    double total = 0;
    for (const Face& face : m.faces) {
        Point a = point_of(m.vertices[face.vindex[0]]);
        Point ab = minus(point_of(m.vertices[face.vindex[1]]), a),
              ac = minus(point_of(m.vertices[face.vindex[2]]), a);
        Point n = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                   ab[0] * ac[1] - ab[1] * ac[0]};
        total += 0.5 * std::sqrt(dot(n, n));
    }
    return total;
}

} // namespace bench
