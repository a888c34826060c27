// The representatives of a classification: the face of least distance sum, then
// farthest-point samples; and the number of patches from the largest drop of the
// sampling distances.
#include "core/console.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/ordered_sums.h"

#include <cmath>

void Mesh_Classifier::build_patches(Work* work) {
    console_printf("Building Patches\n");
    representatives.clear();
    const int n = face_count();

    // Every face's sum of distances in face order, leaving out the values 1e8 and "no
    // path" (so that a mesh in pieces still has sums to compare).
    std::vector<float> sums(static_cast<size_t>(n));
    auto counted = [](float d) { return d == 1e8f || d == no_path ? 0.0f : d; };
    {
        Stage summing(work, 0, 0.8);
        ordered_face_sums(
            table, [&](int, int, float d) { return counted(d); },
            [&](int, float d) { return counted(d); }, sums.data(), work);
    }
    // Any sum qualifies, however large, but NaN; face 0 when none does.
    float least = INFINITY;
    int first = 0;
    for (int i = 0; i < n; ++i)
        if (sums[i] <= least) {
            least = sums[i];
            first = i;
        }
    representatives.push_back(first);

    // nearest[f]: the least distance from f to a representative so far.
    std::vector<float> nearest(size_t(n), 1e9f);
    auto take = [&](int face) {
        const float* d = face_row(face);
        for (int f = 0; f < n; ++f)
            if (d[f] < nearest[f]) nearest[f] = d[f];
    };
    take(first);
    Stage sampling(work, 0.8, 1);
    for (int round = 0; round < candidate_count; ++round) {
        advance(work, round, candidate_count);
        float farthest = 0;
        int choice = 0;
        for (int f = 0; f < n; ++f)
            if (nearest[f] >= farthest) {
                farthest = nearest[f];
                choice = f;
            }
        representatives.push_back(choice);
        take(choice);
    }
}

void Mesh_Classifier::find_patch_count() {
    const int count = int(representatives.size());
    std::vector<float> separation(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        float least = 1e9f;
        for (int j = 0; j < i; ++j) {
            float d = table.distance(representatives[i], representatives[j]);
            if (d < least) least = d;
        }
        separation[i] = least;
    }
    float largest = 0;
    patch_count = 0;
    for (int j = 2; j <= count - 1; ++j) {
        float drop = separation[j - 1] - separation[j];
        if (drop >= largest) {
            largest = drop;
            patch_count = j;
        }
    }
    console_printf("Optimal Number of Patches:%d\n", patch_count);
}
