#include "segmentation/nearest_faces.h"

#include "segmentation/centroid_grid.h"
#include "segmentation/face_list.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>

namespace nearest {

float squared_distance(const Vector& a, const Vector& b) {
    float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// A first radius: the side of a cube holding about four centroids, were they spread
// evenly through their bounding box.
float first_radius(const std::vector<Vector>& centroids, int finite_count) {
    Vector lo(HUGE_VALF, HUGE_VALF, HUGE_VALF), hi(-HUGE_VALF, -HUGE_VALF, -HUGE_VALF);
    for (const Vector& c : centroids) {
        if (!c.is_finite()) continue;
        lo = Vector(std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z));
        hi = Vector(std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z));
    }
    double volume = 1;
    double largest = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
    if (!(largest > 0)) return 1;
    for (double side : {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z})
        volume *= std::max(side, largest * 1e-3);
    return float(std::cbrt(volume * 4 / finite_count));
}

// The grids of growing radii, each made when a point first needs it.
class Grids {
  public:
    // A radius of 0 (centroids closer than floats can tell apart) would never grow.
    Grids(const std::vector<Vector>& c, float first, Work* w)
        : centroids(c), radius(first > FLT_MIN ? first : FLT_MIN), work(w) {
        all.fill(int(c.size()));
    }
    int nearest(const Vector& p) {
        for (size_t level = 0;; ++level) {
            if (level == grids.size() && !add_level()) return brute_force(p);
            hits.clear();
            grids[level]->query(centroids, p, radii[level], hits);
            if (hits.empty()) continue;
            int best = -1;
            float least = HUGE_VALF;
            for (int f : hits) {
                float d = squared_distance(p, centroids[size_t(f)]);
                if (d < least || (d == least && f < best)) {
                    least = d;
                    best = f;
                }
            }
            return best;
        }
    }

  private:
    const std::vector<Vector>& centroids;
    float radius;
    Work* work;
    FaceList all;
    std::vector<std::unique_ptr<CentroidGrid>> grids;
    std::vector<float> radii;
    std::vector<int> hits;

    // False once the radius no longer squares to a finite number.
    bool add_level() {
        auto grid = std::make_unique<CentroidGrid>();
        if (!grid->build(centroids, all, radius, work)) return false;
        grids.push_back(std::move(grid));
        radii.push_back(radius);
        radius *= 4;
        return true;
    }
    int brute_force(const Vector& p) const {
        int best = -1;
        float least = HUGE_VALF;
        for (size_t f = 0; f < centroids.size(); ++f) {
            if (!centroids[f].is_finite()) continue;
            float d = squared_distance(p, centroids[f]);
            if (best < 0 || d < least) {
                least = d;
                best = int(f);
            }
        }
        return best;
    }
};

} // namespace nearest

std::vector<int> nearest_faces(const std::vector<Vector>& points,
                               const std::vector<Vector>& centroids, Work* work) {
    using namespace nearest;
    std::vector<int> out(points.size(), -1);
    const int finite_count = int(std::count_if(centroids.begin(), centroids.end(),
                                               [](const Vector& c) { return c.is_finite(); }));
    if (finite_count == 0) return out;
    Grids grids(centroids, first_radius(centroids, finite_count), work);
    for (size_t i = 0; i < points.size(); ++i) {
        if ((i & 4095) == 0) advance(work, int64_t(i), int64_t(points.size()));
        if (points[i].is_finite()) out[i] = grids.nearest(points[i]);
    }
    return out;
}
