// Mesh_Classifier: divides the faces of a mesh into patches over face-to-face
// shortest paths, and keeps the shortest path table.
//
// A classification builds the table (or uses a loaded one), picks 51 representative
// faces by farthest-point sampling, takes the number of patches from the largest drop
// of the sampling distances, computes every face's fuzzy membership in every patch,
// moves each representative to the face of least weighted distance, and paints the
// faces. cluster_patches re-clusters into any number of patches (k-medoids).
//
// Every sum is a float added in loop order (sums of whole step counts, exact in float,
// may be added in any order), every choice keeps the tie rules and start values below,
// so results do not depend on the number of threads.
//
// Faces with no path between them (1e9) stay out of the three least-sum choices: the
// first representative, the refinement and the medoids sum over the faces they have a
// path to, start from +infinity, and a candidate must have a path to the representative
// it would replace. A mesh in pieces thus gets patches within its pieces.
//
// The long steps take a Work for progress and a stop. A stopped classification or
// re-clustering throws WorkStopped and leaves the mesh (its colours and marks) and a
// table it did not build as they were: they write the mesh after their last
// checkpoint. The classifier itself may be left half-done.
#pragma once

#include "core/io_result.h"
#include "core/mesh.h"
#include "core/work.h"
#include "segmentation/face_rows.h"
#include "segmentation/shortest_path_table.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class StepTable;
struct ProxyCopy;

class Mesh_Classifier {
  public:
    Mesh* mesh = nullptr;  // not owned; attached by the view
    std::string mesh_name; // what messages call the mesh (its file's name); "" for "the mesh"
    int rebuild_flag = 1;  // 1: the next classification builds the table; 0: it uses it
    SpMode sp_mode = SpMode::Floyd;
    double weight = 0.5; // share of the centroid distance in an adjacency weight
    std::vector<Vector> centroids;
    float average_geodesic_distance = 0;
    float average_angular_distance = 0;
    int table_face_count = 0;
    ShortestPathTable table;

    std::vector<int> representatives; // a face per patch candidate, in selection order
    int candidate_count = 0;
    int patch_count = 0;
    std::vector<std::vector<float>> memberships; // [patch][face]
    std::vector<Vector> patch_colours;
    std::vector<std::array<int, 2>> neighbours; // per patch: nearest, second-nearest
    // The patch chosen with Previous / Next, -1 for none; its faces are the marked ones.
    int current_patch = -1;
    int patch_threshold = 1; // least membership, in percent, of a face of the current patch
    // The number of patches the faces were last painted in by re-clustering, 0 when they
    // have not been since the last classification or reset.
    int clustered_count = 0;
    // The simplified copy whose classification this one carries to the mesh's faces
    // (proxy_classification.h), or none for a classification of the mesh itself.
    std::shared_ptr<const ProxyCopy> proxy;

    void attach(Mesh& m) { mesh = &m; }

    // A copy of everything but the table, and rebuild_flag and table_face_count that go
    // with it: what a classification changes when it keeps its table.
    Mesh_Classifier copy_without_table() const;
    // Whether the next classify() builds the table: asked for, or the table is not the
    // attached mesh's.
    bool will_rebuild_table() const { return rebuild_flag == 1 || !table_fits_mesh(); }

    // The table steps. build_distances and compute_all_pairs need the mesh's face
    // normals and an edge list of its current faces.
    void build_centroids();
    void build_distances();
    // Reads a .spt file for the attached mesh into the table. The file must hold exactly
    // 4 floats per table entry, each a distance (finite, 0 or more; 1e9 for no path); a
    // file that cannot be opened, has another size or holds another value changes
    // nothing (the error names the first such entry). The spare entries are loaded as 0.
    // On success rebuild_flag is 0.
    IoResult load(const std::string& path);
    // Writes the table as a .spt file (through a temporary file). Refused when the table
    // is not that of the attached mesh.
    IoResult save(const std::string& path);

    // The whole classification of the attached mesh. Refused (nothing changed but the
    // table) for a mesh without faces, or a table too large to address or to hold.
    IoResult classify(Work* work = nullptr);
    void build_patches(Work* work = nullptr);
    void find_patch_count();
    void compute_memberships(int k, Work* work = nullptr);
    void find_neighbours(int k);
    void eval_fuzzy(int k, Work* work = nullptr);
    void cluster_patches(int k, Work* work = nullptr);
    void colour_patches(Work* work = nullptr);
    // Back to the state after construction, but for the settings the panel sends (weight,
    // sp_mode), the patch threshold and the table.
    void reset();

    // What the number of patches k asks of a classified mesh: cluster_patches(k), then
    // compute_memberships(k). Ignored, with a console line, for k outside 1 ... 51, fewer
    // than k representatives, or a mesh whose faces changed since; false then.
    // Sets clustered_count = k. The classification of a simplified copy re-clusters the
    // copy and carries the result over.
    bool recluster(int k, Work* work = nullptr);
    // Chooses the current patch and marks its faces; ignored (with a console line) for
    // a patch that does not exist.
    bool select_patch(int patch);
    // The least membership of the current patch's faces, 1 ... 100 percent.
    void set_patch_threshold(int percent);
    // Marks exactly the faces of the current patch: membership >= threshold / 100.
    void mark_patch_faces();
    // Forgets the current patch and clears the marks it set.
    void release_patch();

    // The representative faces drawn over the mesh: the first patch_count, those that
    // are faces of the attached mesh.
    std::vector<int> drawn_representatives() const;

    // d(face, x) for every face x, from a cache of such rows.
    const float* face_row(int face) { return rows.row(table, face); }

  private:
    int face_count() const { return mesh ? mesh->nf : 0; }
    bool table_fits_mesh() const;
    bool recluster_copy(int k, Work* work);
    // cluster_patches in two: the k-medoids, giving every face's patch, and the painting.
    std::vector<int> cluster(int k, Work* work);
    // costs[c][i]: the distance sum of members[c][i] over the members of patch c, from
    // `steps` (a copy of the table in bytes, made at the first call) where it can be made.
    void member_sums(const std::vector<std::vector<int>>& members, StepTable& steps,
                     std::vector<std::vector<int>>& last, std::vector<std::vector<float>>& costs,
                     Work* work);
    void paint_clusters(const std::vector<int>& patch_of);
    FaceRows rows;
};

// Patch i of k: hsv_to_rgb(float(i) / float(k) * 359.0 rounded to float, 1, 1), alpha 1.
Vector patch_colour(int i, int k);

class EdgeTraversal;

// The classifier page's "Mark Current": the faces of the current patch (membership at
// least the threshold) become a new segment (mark_current), and no patch is current any
// more. Without a current patch nothing changes and the result is -1, with a console
// line; otherwise it is the number of faces in the segment.
int mark_current_patch(Mesh_Classifier& classifier, EdgeTraversal& traversal);

// The view's classification without the view: builds the vertex normals and the edge
// list, attaches the mesh and classifies it.
IoResult classify_mesh(Mesh_Classifier& classifier, Mesh& mesh, Work* work = nullptr);
