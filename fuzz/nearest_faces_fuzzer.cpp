// The nearest centroid on fuzzed clouds: the first byte splits the floats that follow
// (raw bits, so NaN, infinities, huge and tiny values all come up) into centroids and
// points. Every answer must be a face no further than any other finite centroid, the
// lower number on a tie, as a test of every face finds it.
#include "segmentation/nearest_faces.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

float squared_distance(const Vector& a, const Vector& b) {
    float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

int by_every_face(const Vector& p, const std::vector<Vector>& centroids) {
    int best = -1;
    float least = HUGE_VALF;
    for (size_t f = 0; f < centroids.size(); ++f)
        if (centroids[f].is_finite()) {
            float d = squared_distance(p, centroids[f]);
            if (best < 0 || d < least) least = d, best = int(f);
        }
    return best;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t count = (size - 1) / 12;
    const size_t split = count ? data[0] % (count + 1) : 0;
    std::vector<Vector> centroids, points;
    for (size_t i = 0; i < count; ++i) {
        float v[3];
        std::memcpy(v, data + 1 + 12 * i, 12);
        (i < split ? centroids : points).push_back(Vector(v[0], v[1], v[2]));
    }
    std::vector<int> found = nearest_faces(points, centroids);
    for (size_t i = 0; i < points.size(); ++i)
        if (found[i] != (points[i].is_finite() ? by_every_face(points[i], centroids) : -1))
            std::abort();
    return 0;
}
