// The refinement of the representatives: patch by patch, the representative moves to
// the face of least distance sum weighted by the memberships of the patch and of its
// nearest patch. One pass; the nearest patch's representative stays where it is.
#include "core/console.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/ordered_sums.h"

#include <bit>
#include <cmath>
#include <cstdint>

void Mesh_Classifier::eval_fuzzy(int k, Work* work) {
    console_printf("Eval FUZZY\n");
    for (int i = 0; i < k; ++i) console_printf("%d\n", representatives[i]);
    const int n = face_count();
    std::vector<float> cost(static_cast<size_t>(n));
    // Faces that already represent a patch of a lower number are not candidates.
    std::vector<char> taken(size_t(n), 0);
    int choice = 0; // stands for a patch where no face qualifies
    for (int patch = 0; patch < k; ++patch) {
        Stage moving(work, double(patch) / k, double(patch + 1) / k);
        const int b = neighbours[patch][0];
        // With the representatives of patches 0 ... patch - 1 moved already.
        compute_memberships(k, work);
        const float* p = memberships[patch].data();
        const float* q = memberships[b].data();
        // Faces with no path to x leave x out of their sums; faces with no path to the
        // patch's representative are no candidates. The term is computed either way and
        // masked off, so that the loops run on vectors.
        auto term = [p, q](int j, int x, float d) {
            const float t = d * p[j] / (p[j] + q[x]);
            return std::bit_cast<float>(std::bit_cast<std::uint32_t>(t) &
                                        -std::uint32_t(d != no_path));
        };
        ordered_face_sums(
            table, term, [](int, float) { return 0.0f; }, cost.data(), work);
        const float* from_representative = face_row(representatives[patch]);
        float least = INFINITY;
        for (int j = 0; j < n; ++j)
            if (!taken[j] && from_representative[j] != no_path && cost[j] <= least) {
                least = cost[j];
                choice = j;
            }
        representatives[patch] = choice;
        taken[choice] = 1;
        rows.keep_only(std::span(representatives.data(), size_t(k)));
    }
    for (int i = 0; i < k; ++i) console_printf("%d\n", representatives[i]);
    compute_memberships(k, work);
}
