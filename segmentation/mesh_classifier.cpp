#include "segmentation/mesh_classifier.h"

#include "core/console.h"
#include "segmentation/segments.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

constexpr int candidates = 50;
constexpr int most_patches = candidates + 1;

// Consecutive stages of a computation, one per step, each as wide as the step's share
// of the time.
class StepShares {
  public:
    StepShares(Work* w, std::initializer_list<double> s) : work(w), shares(s) {
        for (double share : shares) total += share;
    }
    // The stage of the next step.
    Stage next() {
        double begin = passed / total;
        passed += shares[step++];
        return Stage(work, begin, passed / total);
    }

  private:
    Work* work;
    std::vector<double> shares;
    double total = 0, passed = 0;
    size_t step = 0;
};

} // namespace

bool Mesh_Classifier::table_fits_mesh() const {
    return mesh && table.n == mesh->nf &&
           table.entry_count == ShortestPathTable::entry_count_for(mesh->nf) &&
           (table.entry_count == 0 || table.data());
}

IoResult Mesh_Classifier::classify(Work* work) {
    if (!mesh || mesh->nf == 0)
        return IoResult::failure("ERROR: there is nothing to classify: the mesh has no faces");
    clustered_count = 0;
    bool rebuild = rebuild_flag == 1;
    if (!rebuild && !table_fits_mesh()) {
        console_printf("The shortest path table holds %d faces, the mesh %d: building it anew\n",
                       table.n, mesh->nf);
        rebuild = true;
    }
    // The steps' shares of the time, roughly as on fandisk: the table's sizing and
    // weights, the all-pairs step, the patches and their count, the memberships and
    // neighbours, eval_fuzzy and colour_patches.
    const double pairs_share = !rebuild ? 0 : sp_mode == SpMode::Dijkstra ? 80 : 20;
    StepShares stages(work, {rebuild ? 0.05 : 0, pairs_share, 1, 0.01, 3, 0.01});
    candidate_count = candidates;
    {
        Stage sizing = stages.next();
        if (rebuild) {
            console_printf(sp_mode == SpMode::Dijkstra ? "Using Dijkstra Shortest Path\n"
                                                       : "Using Floyd Shortest Path\n");
            if (IoResult r = table.allocate(mesh->nf, mesh_name); !r) {
                release_patch();
                return r;
            }
            build_centroids();
            build_distances();
        }
    }
    {
        Stage pairs = stages.next();
        if (rebuild) table.compute_all_pairs(sp_mode, work);
    }
    {
        Stage patches = stages.next();
        build_patches(work);
        find_patch_count();
    }
    {
        Stage fuzzy = stages.next();
        compute_memberships(patch_count, work);
        find_neighbours(patch_count);
    }
    {
        Stage refinement = stages.next();
        eval_fuzzy(patch_count, work);
    }
    {
        Stage painting = stages.next();
        colour_patches(work);
    }
    // With the painting, after the last checkpoint: a stop leaves the marks as they were.
    release_patch();
    return IoResult::success();
}

void Mesh_Classifier::reset() {
    representatives.clear();
    patch_colours.clear();
    centroids.clear();
    memberships.clear();
    patch_count = 0;
    candidate_count = 0;
    table_face_count = 0;
    average_geodesic_distance = 0;
    average_angular_distance = 0;
    rebuild_flag = 1;
    current_patch = -1;
    clustered_count = 0;
    neighbours.clear();
    rows.clear();
    proxy.reset();
}

Mesh_Classifier Mesh_Classifier::copy_without_table() const {
    Mesh_Classifier c;
    c.mesh = mesh;
    c.mesh_name = mesh_name;
    c.sp_mode = sp_mode;
    c.weight = weight;
    c.centroids = centroids;
    c.average_geodesic_distance = average_geodesic_distance;
    c.average_angular_distance = average_angular_distance;
    c.representatives = representatives;
    c.candidate_count = candidate_count;
    c.patch_count = patch_count;
    c.memberships = memberships;
    c.patch_colours = patch_colours;
    c.neighbours = neighbours;
    c.current_patch = current_patch;
    c.patch_threshold = patch_threshold;
    c.clustered_count = clustered_count;
    c.proxy = proxy;
    return c;
}

bool Mesh_Classifier::recluster(int k, Work* work) {
    if (k < 1 || k > most_patches) {
        console_printf("Number of patches %d ignored: it must lie between 1 and %d\n", k,
                       most_patches);
        return false;
    }
    if (int(representatives.size()) < k) {
        console_printf("Number of patches %d ignored: the mesh has not been classified\n", k);
        return false;
    }
    if (proxy) return recluster_copy(k, work);
    bool current = table_fits_mesh();
    for (int r : representatives) current = current && r < mesh->nf;
    if (!current) {
        console_printf("Number of patches %d ignored: the mesh has changed since its "
                       "classification\n",
                       k);
        return false;
    }
    // The painting after the last checkpoint, so that a stop leaves the mesh as it was.
    std::vector<int> patch_of;
    {
        Stage clustering(work, 0, 0.95);
        patch_of = cluster(k, work);
    }
    {
        Stage fuzzy(work, 0.95, 1);
        compute_memberships(k, work);
    }
    paint_clusters(patch_of);
    clustered_count = k;
    if (current_patch >= k)
        release_patch();
    else if (current_patch >= 0)
        mark_patch_faces();
    return true;
}

bool Mesh_Classifier::select_patch(int patch) {
    bool known = patch >= 0 && patch < patch_count && int(memberships.size()) == patch_count &&
                 mesh && int(memberships[patch].size()) == mesh->nf;
    if (!known) {
        console_printf("Patch %d ignored: the mesh has %d patches\n", patch, patch_count);
        return false;
    }
    current_patch = patch;
    mark_patch_faces();
    return true;
}

void Mesh_Classifier::set_patch_threshold(int percent) {
    patch_threshold = std::clamp(percent, 1, 100);
    if (current_patch >= 0) mark_patch_faces();
}

void Mesh_Classifier::mark_patch_faces() {
    if (current_patch < 0 || !mesh || current_patch >= int(memberships.size())) return;
    const std::vector<float>& m = memberships[current_patch];
    if (int(m.size()) != mesh->nf) return;
    const float least = float(patch_threshold) / 100;
    for (int f = 0; f < mesh->nf; ++f) mesh->faceptrs[f]->marked = m[f] >= least ? 1 : 0;
}

void Mesh_Classifier::release_patch() {
    if (current_patch < 0) return;
    current_patch = -1;
    if (mesh)
        for (int f = 0; f < mesh->nf; ++f) mesh->faceptrs[f]->marked = 0;
}

std::vector<int> Mesh_Classifier::drawn_representatives() const {
    std::vector<int> faces;
    int count = std::min(patch_count, int(representatives.size()));
    for (int i = 0; i < count; ++i)
        if (representatives[i] >= 0 && representatives[i] < face_count())
            faces.push_back(representatives[i]);
    return faces;
}

IoResult classify_mesh(Mesh_Classifier& classifier, Mesh& mesh, Work* work) {
    mesh.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
    classifier.attach(mesh);
    return classifier.classify(work);
}

int mark_current_patch(Mesh_Classifier& classifier, EdgeTraversal& traversal) {
    if (classifier.current_patch < 0 || !classifier.mesh) {
        console_printf("Mark Current ignored: no patch chosen (Previous, Next)\n");
        return -1;
    }
    classifier.mark_patch_faces();
    int faces = mark_current(*classifier.mesh, traversal);
    classifier.release_patch();
    return faces;
}
