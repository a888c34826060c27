#include "segmentation/proxy_classification.h"

#include "core/console.h"
#include "segmentation/nearest_faces.h"

void follow_copy(ProxyCopy& copy, const Mesh& original, Work* work) {
    copy.mesh.build({MESH_CENTROIDS});
    copy.face_of = nearest_faces(original.centroids, copy.mesh.centroids, work);
}

void carry_classification(const std::shared_ptr<const ProxyCopy>& copy, Mesh& original,
                          Mesh_Classifier& into) {
    const Mesh_Classifier& from = copy->classifier;
    const Mesh& small = copy->mesh;
    into.reset();
    into.attach(original);
    into.proxy = copy;
    into.average_geodesic_distance = from.average_geodesic_distance;
    into.average_angular_distance = from.average_angular_distance;
    into.candidate_count = from.candidate_count;
    into.patch_count = from.patch_count;
    into.patch_colours = from.patch_colours;
    into.neighbours = from.neighbours;
    into.current_patch = from.current_patch;
    into.clustered_count = from.clustered_count;

    std::vector<Vector> picked;
    for (int r : from.representatives)
        picked.push_back(r >= 0 && r < small.nf ? small.centroids[size_t(r)] : Vector(NAN, 0, 0));
    into.representatives = nearest_faces(picked, original.centroids);

    into.memberships.assign(from.memberships.size(), std::vector<float>(size_t(original.nf), 0));
    for (int f = 0; f < original.nf; ++f) {
        const int c = copy->face_of[size_t(f)];
        if (c < 0 || c >= small.nf) continue;
        for (size_t p = 0; p < from.memberships.size(); ++p)
            if (size_t(c) < from.memberships[p].size())
                into.memberships[p][size_t(f)] = from.memberships[p][size_t(c)];
        original.faceptrs[f]->colour = small.faceptrs[c]->colour;
        original.faceptrs[f]->marked = small.faceptrs[c]->marked;
    }
}

namespace {

// The copy's table lent to a classifier while it lives.
class TableLoan {
  public:
    TableLoan(ShortestPathTable& owner, ShortestPathTable& borrower) : from(owner), to(borrower) {
        to = std::move(from);
    }
    ~TableLoan() { from = std::move(to); }
    TableLoan(const TableLoan&) = delete;
    TableLoan& operator=(const TableLoan&) = delete;

  private:
    ShortestPathTable &from, &to;
};

} // namespace

// The copy re-clustered as a copy of its own, so that the classifiers kept for undoing
// keep theirs; only the table is shared.
bool Mesh_Classifier::recluster_copy(int k, Work* work) {
    if (!mesh || proxy->face_of.size() != size_t(mesh->nf)) {
        console_printf("Number of patches %d ignored: the mesh has changed since its "
                       "classification\n",
                       k);
        return false;
    }
    auto next = std::make_shared<ProxyCopy>();
    next->mesh = proxy->mesh.clone();
    next->classifier = proxy->classifier.copy_without_table();
    next->classifier.table_face_count = proxy->classifier.table_face_count;
    next->classifier.rebuild_flag = 0;
    next->classifier.current_patch = current_patch; // chosen on the carried classification
    next->classifier.patch_threshold = patch_threshold;
    next->classifier.attach(next->mesh);
    next->table = proxy->table;
    next->face_of = proxy->face_of;
    bool clustered;
    {
        TableLoan loan(*next->table, next->classifier.table);
        clustered = next->classifier.recluster(k, work);
    }
    if (!clustered) return false;
    Mesh& original = *mesh;
    carry_classification(next, original, *this);
    if (current_patch >= 0) mark_patch_faces();
    return true;
}
