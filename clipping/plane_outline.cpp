#include "clipping/plane_outline.h"

#include <cmath>
#include <numeric>

const std::array<std::array<int, 2>, 12> cube_edges = {{{0, 2},
                                                        {0, 1},
                                                        {0, 4},
                                                        {2, 6},
                                                        {2, 3},
                                                        {3, 1},
                                                        {3, 7},
                                                        {1, 5},
                                                        {4, 5},
                                                        {4, 6},
                                                        {7, 5},
                                                        {7, 6}}};

std::vector<Vector> plane_outline(const Vector& normal, const Vector& centre,
                                  const std::array<Vector, 8>& cube) {
    // At most one point per edge: fixed arrays, one allocation for the result.
    std::array<Vector, cube_edges.size()> points;
    size_t n = 0;
    for (const auto& [p, q] : cube_edges) {
        const Vector &from = cube[p], &to = cube[q];
        float t = normal.dot(centre - from) / normal.dot(to - from);
        if (t >= 0 && t <= 1) points[n++] = from + (to - from) * t;
    }
    if (n < 2) return std::vector<Vector>(points.begin(), points.begin() + long(n));

    Vector sum = points[0];
    for (size_t k = 1; k < n; ++k) sum += points[k];
    Vector mean = sum / float(n);
    Vector r = points[0] - mean;
    r.normalise();
    Vector unit_normal = normal;
    unit_normal.normalise();
    std::array<double, cube_edges.size()> angle{};
    for (size_t k = 1; k < n; ++k) {
        Vector v = points[k] - mean;
        v.normalise();
        Vector across;
        across.cross(r, v);
        double degrees =
            std::atan2(double(unit_normal.dot(across)), double(r.dot(v))) * 57.29577950560105;
        angle[k] = degrees < 0 ? degrees + 360 : degrees;
    }

    // Taking the smallest remaining angle each time, the earlier point on equal angles,
    // is a stable sort by angle (here by insertion, a dozen points at most); undefined
    // angles are never smaller than anything, so they go last.
    auto before = [&angle](size_t a, size_t b) {
        if (std::isnan(angle[a])) return false;
        return std::isnan(angle[b]) || angle[a] < angle[b];
    };
    std::array<size_t, cube_edges.size()> order;
    std::iota(order.begin(), order.begin() + long(n), size_t(0));
    for (size_t k = 2; k < n; ++k) {
        size_t point = order[k], j = k;
        for (; j > 1 && before(point, order[j - 1]); --j) order[j] = order[j - 1];
        order[j] = point;
    }
    std::vector<Vector> outline;
    outline.reserve(n);
    for (size_t k = 0; k < n; ++k) outline.push_back(points[order[k]]);
    return outline;
}

Mesh cube_corner_mesh(const std::array<Vector, 8>& cube, const Vector& centre) {
    Mesh corners;
    corners.alloc_vertices(int(cube.size()));
    for (size_t k = 0; k < cube.size(); ++k) corners.vertices[k] = cube[k] + centre;
    corners.centre = centre;
    return corners;
}
