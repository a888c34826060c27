// k-medoids over the shortest path table: every face joins the patch of the nearest
// representative, every patch's representative becomes its member of least distance
// sum, until nothing moves (500 passes at most); then the faces take their patch's
// colour.
#include "core/console.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/ordered_sums.h"
#include "segmentation/step_table.h"

#include <cmath>
#include <cstdint>
#include <vector>

void Mesh_Classifier::cluster_patches(int k, Work* work) {
    paint_clusters(cluster(k, work));
}

void Mesh_Classifier::paint_clusters(const std::vector<int>& patch_of) {
    for (int f = 0; f < face_count(); ++f) mesh->faceptrs[f]->colour = patch_colours[patch_of[f]];
}

namespace {

// Whether the patches' sums, taken patch by patch over their members, read fewer cache
// lines of the table than one pass over it whole: members spread over the whole table
// would make each patch read most of it again.
bool sums_by_patch(const std::vector<std::vector<int>>& members, int n) {
    constexpr int floats_per_line = 16;
    int64_t lines = 0;
    for (const std::vector<int>& m : members) {
        int64_t blocks = 0;
        for (size_t i = 0; i < m.size(); ++i)
            blocks += i == 0 || m[i] / floats_per_line != m[i - 1] / floats_per_line;
        lines += int64_t(m.size()) * blocks / 2;
    }
    return lines < int64_t(n) * n / (2 * floats_per_line);
}

} // namespace

// The distance sums of every patch's members over the members of the patch they have a
// path to, in face order: costs[c][i] for members[c][i]. From `steps` where the
// distances are small step counts; else a patch whose members are those of the last
// pass keeps its sums (`last` holds the members they were taken over).
void Mesh_Classifier::member_sums(const std::vector<std::vector<int>>& members, StepTable& steps,
                                  std::vector<std::vector<int>>& last,
                                  std::vector<std::vector<float>>& costs, Work* work) {
    const int n = face_count(), k = int(members.size());
    // Sums of all faces at once, cost[f] for face f, handed out patch by patch.
    std::vector<int> patch_of(static_cast<size_t>(n));
    for (int c = 0; c < k; ++c)
        for (int f : members[c]) patch_of[f] = c;
    auto hand_out = [&](const std::vector<float>& cost) {
        for (int c = 0; c < k; ++c) {
            costs[c].resize(members[c].size());
            for (size_t i = 0; i < members[c].size(); ++i) costs[c][i] = cost[members[c][i]];
            last[c] = members[c];
        }
    };
    std::vector<float> cost;
    if (const StepTable* counts = steps.of(table, work)) {
        const std::vector<std::uint8_t> of(patch_of.begin(), patch_of.end()); // k <= 51
        cost.resize(size_t(n));
        same_patch_step_sums(*counts, of, cost.data(), work);
        return hand_out(cost);
    }
    auto with_path = [](int, int, float dist) { return dist != no_path ? dist : 0.0f; };
    auto none = [](int, float) { return 0.0f; };
    if (!sums_by_patch(members, n)) {
        // One pass over the whole table; other patches' members add 0.
        const int* of = patch_of.data();
        cost.resize(size_t(n));
        ordered_face_sums(
            table,
            [of, with_path](int j, int x, float dist) {
                return of[j] == of[x] ? with_path(j, x, dist) : 0.0f;
            },
            none, cost.data(), work);
        return hand_out(cost);
    }
    double total = 0, passed = 0;
    for (const std::vector<int>& m : members) total += double(m.size()) * double(m.size());
    for (int c = 0; c < k; ++c) {
        const double share = double(members[c].size()) * double(members[c].size());
        Stage patch(work, total > 0 ? passed / total : 0, total > 0 ? (passed + share) / total : 1);
        passed += share;
        if (members[c] == last[c] && costs[c].size() == members[c].size()) continue;
        costs[c].resize(members[c].size());
        ordered_member_sums(table, members[c], with_path, none, costs[c].data(), work);
        last[c] = members[c];
    }
}

// The number of passes is not known beforehand (runs on real meshes take some 2 to 20):
// pass p ends at p / (p + 4) of the whole, and the end of the run at all of it.
std::vector<int> Mesh_Classifier::cluster(int k, Work* work) {
    const int n = face_count();
    patch_colours.clear();
    for (int i = 0; i < k; ++i) patch_colours.push_back(patch_colour(i, k));
    // The new representatives. A patch none of whose members has a path to its
    // representative (an empty one, say) keeps its previous representative.
    std::vector<int> fresh(representatives.begin(), representatives.begin() + k);
    std::vector<int> patch_of(static_cast<size_t>(n));
    std::vector<std::vector<int>> members(static_cast<size_t>(k)), last(static_cast<size_t>(k));
    std::vector<std::vector<float>> costs(static_cast<size_t>(k));
    StepTable steps; // for this run only: a classifier kept for undoing holds no copy
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
        for (std::vector<int>& m : members) m.clear();
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
            members[choice].push_back(f);
        }

        // Members with no path to their representative are no candidates.
        member_sums(members, steps, last, costs, work);
        for (int c = 0; c < k; ++c) {
            float least = INFINITY;
            for (size_t i = 0; i < members[c].size(); ++i) {
                const int f = members[c][i];
                if (d[c][f] != no_path && costs[c][i] <= least) {
                    least = costs[c][i];
                    fresh[c] = f;
                }
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
