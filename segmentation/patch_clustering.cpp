// k-medoids over the shortest path table: every face joins the patch of the nearest
// representative, every patch's representative becomes its member of least distance
// sum, until nothing moves (500 passes at most); then the faces take their patch's
// colour.
#include "core/console.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/ordered_sums.h"

void Mesh_Classifier::cluster_patches(int k, Work* work) {
    paint_clusters(cluster(k, work));
}

void Mesh_Classifier::paint_clusters(const std::vector<int>& patch_of) {
    for (int f = 0; f < face_count(); ++f) mesh->faceptrs[f]->colour = patch_colours[patch_of[f]];
}

// The number of passes is not known beforehand (runs on real meshes take some 2 to 20):
// pass p ends at p / (p + 4) of the whole, and the end of the run at all of it.
std::vector<int> Mesh_Classifier::cluster(int k, Work* work) {
    const int n = face_count();
    patch_colours.clear();
    for (int i = 0; i < k; ++i) patch_colours.push_back(patch_colour(i, k));
    // The new representatives. A patch none of whose members has a distance sum within
    // 1,000,000 (an empty one, or one spread over separate pieces) keeps its previous
    // representative.
    std::vector<int> fresh(representatives.begin(), representatives.begin() + k);
    std::vector<int> patch_of(static_cast<size_t>(n));
    std::vector<float> cost(static_cast<size_t>(n));
    std::vector<const float*> d(static_cast<size_t>(k));
    int choice = 0; // stands for a face no representative is near enough to
    auto reached = [](int passes) { return double(passes) / (passes + 4); };
    for (int pass = 1;; ++pass) {
        Stage this_pass(work, reached(pass - 1), reached(pass));
        rows.keep_only(std::span(representatives.data(), size_t(k)));
        for (int i = 0; i < k; ++i) {
            checkpoint(work); // a row not yet gathered reads a column of the table
            d[i] = face_row(representatives[i]);
        }
        for (int f = 0; f < n; ++f) {
            float least = 1000000;
            for (int i = 0; i < k; ++i) {
                float distance = f == representatives[i] ? 0.0f : d[i][f];
                if (distance <= least) {
                    least = distance;
                    choice = i;
                }
            }
            patch_of[f] = choice;
        }

        // Each face's distance sum over the members of its patch, in face order.
        const int* of = patch_of.data();
        ordered_face_sums(
            table, [of](int j, int x, float dist) { return of[j] == of[x] ? dist : 0.0f; },
            [](int, float) { return 0.0f; }, cost.data(), work);
        std::vector<float> least(size_t(k), 1000000);
        for (int f = 0; f < n; ++f) {
            int c = patch_of[f];
            if (cost[f] <= least[c]) {
                least[c] = cost[f];
                fresh[c] = f;
            }
        }

        bool moved = false;
        for (int i = 0; i < k; ++i) moved |= fresh[i] != representatives[i];
        if (moved) std::copy(fresh.begin(), fresh.end(), representatives.begin());
        if (pass == 500) {
            console_printf("WARNING: MAX ITERATIONS REACHED!!!\n");
            break;
        }
        if (!moved) break;
    }
    return patch_of;
}
