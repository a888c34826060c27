// The nearest centroid by grids against a test of every face, on random clouds with
// points far outside them (the radius grows) and centroids that are not finite.
#include "segmentation/nearest_faces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

int nearest_by_every_face(const Vector& p, const std::vector<Vector>& centroids) {
    int best = -1;
    float least = HUGE_VALF;
    for (size_t f = 0; f < centroids.size(); ++f) {
        const Vector& c = centroids[f];
        if (!c.is_finite()) continue;
        float dx = p.x - c.x, dy = p.y - c.y, dz = p.z - c.z;
        float d = dx * dx + dy * dy + dz * dz;
        if (best < 0 || d < least) {
            least = d;
            best = int(f);
        }
    }
    return best;
}

} // namespace

TEST(NearestFaces, SameAsTestingEveryFace) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        // Flat clouds too, and a coarse lattice for ties.
        std::uniform_real_distribution<float> along(-1, 1), across(round % 3 == 0 ? 0 : -1, 1);
        std::vector<Vector> centroids(size_t(50 + round * 40)), points(300);
        for (Vector& c : centroids)
            c = Vector(along(random), across(random),
                       round % 4 == 1 ? std::round(along(random)) : 0);
        centroids[3] = Vector(NAN, 0, 0);
        for (size_t i = 0; i < points.size(); ++i)
            points[i] =
                Vector(along(random) * (i % 10 == 0 ? 50 : 1), along(random), along(random));
        points[5] = Vector(INFINITY, 0, 0);
        std::vector<int> found = nearest_faces(points, centroids);
        for (size_t i = 0; i < points.size(); ++i)
            EXPECT_EQ(found[i], i == 5 ? -1 : nearest_by_every_face(points[i], centroids))
                << "round " << round << ", point " << i;
    }
    EXPECT_EQ(nearest_faces({Vector(0, 0, 0)}, {Vector(NAN, 0, 0)}), std::vector<int>{-1});
}
