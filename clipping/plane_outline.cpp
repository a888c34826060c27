#include "clipping/plane_outline.h"

#include <algorithm>
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
    std::vector<Vector> points;
    for (const auto& [p, q] : cube_edges) {
        const Vector &from = cube[p], &to = cube[q];
        float t = normal.dot(centre - from) / normal.dot(to - from);
        if (t >= 0 && t <= 1) points.push_back(from + (to - from) * t);
    }
    if (points.size() < 2) return points;

    Vector sum = points[0];
    for (size_t k = 1; k < points.size(); ++k) sum += points[k];
    Vector mean = sum / float(points.size());
    Vector r = points[0] - mean;
    r.normalise();
    Vector n = normal;
    n.normalise();
    std::vector<double> angle(points.size());
    for (size_t k = 1; k < points.size(); ++k) {
        Vector v = points[k] - mean;
        v.normalise();
        Vector across;
        across.cross(r, v);
        double degrees = std::atan2(double(n.dot(across)), double(r.dot(v))) * 57.29577950560105;
        angle[k] = degrees < 0 ? degrees + 360 : degrees;
    }

    // Taking the smallest remaining angle each time, the earlier point on equal angles,
    // is a stable sort by angle; undefined angles are never smaller than anything, so
    // they go last.
    std::vector<size_t> order(points.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin() + 1, order.end(), [&angle](size_t a, size_t b) {
        if (std::isnan(angle[a])) return false;
        return std::isnan(angle[b]) || angle[a] < angle[b];
    });
    std::vector<Vector> outline;
    outline.reserve(points.size());
    for (size_t k : order) outline.push_back(points[k]);
    return outline;
}
