// MeanShift: the normal filters of the view (mean shift, sphere jump, median filter)
// and their working state.
//
// Mean shift and sphere jump gather the faces into regions of nearby centroids and give
// every face of a region the region's mean normal; the median filter replaces each face
// normal by the average normal of a ring neighbourhood, fifty times over. The region
// filters can run one pass at a time ("Step"): the state between calls is kept here.
// Everything is reported on the core's console.
//
// With a Work the filters report the progress their console bar shows and pass
// checkpoints; a stop throws WorkStopped and leaves the filter half-done. Face normals
// written to a `normals` array instead of the mesh leave the mesh as it was.
#pragma once

#include "core/mesh.h"
#include "core/vector.h"
#include "core/work.h"
#include "segmentation/centroid_grid.h"
#include "segmentation/face_list.h"

#include <cmath>
#include <vector>

// Whether a face normal takes part in the filters' sums: every component finite. A face
// of zero area (a repeated corner, corners in a line) has a normal that is no number;
// it adds nothing and takes a filtered normal like any other face.
inline bool usable_normal(const Vector& n) {
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) && std::isfinite(n.w);
}

// Whether a filtered normal may replace the old ones: usable and not zero. A sum that
// cancels (a closed surface in one region) or is no number leaves the old normals.
inline bool usable_result(const Vector& n) {
    return usable_normal(n) && (n.x != 0 || n.y != 0 || n.z != 0);
}

// Which filter runs, as the mean shift page numbers them.
enum class FilterMode : int { MeanShift = 0, SphereJump = 1, Median = 2 };

// How a region filter runs: to the end, or one pass and then stop ("Step").
enum class CallKind : int { Run = 1, Step = 2 };

// The search radius for the page's vector v (v.x is the slider value, 0..100):
// s = v.x / 200 x extent in float, returned as (s, s, s, w = v.x).
Vector filter_radius(const Vector& v, float extent);

class MeanShift {
  public:
    // Bound to `mesh` for its whole life; the mesh is not owned.
    explicit MeanShift(Mesh& mesh);

    // Console progress bar: `progress_width` frames per run (print_progress).
    float progress_width = 10.0f;
    int progress_ticks = 0, progress_step = 0, progress_threshold = 0;

    FilterMode mode = FilterMode::MeanShift; // the filter "Step" runs
    Mesh* mesh;
    // When set, the face normals the filters read and write (one per face, in face
    // order) instead of the faces' own; a run then only reads the mesh, but for the
    // centroids and the edge table where they are stale (see the filters).
    std::vector<Vector>* normals = nullptr;
    FaceList remaining_faces;                 // faces not yet in a region, in index order
    std::vector<Vector> current_region;       // member centroids, each with its face in w
    std::vector<std::vector<Vector>> regions; // closed regions of the current run
    Vector radius{0, 0, 0, 1};                // (s, s, s, panel value)
    Vector centre{0, 0, 0, 1};                // centre of the search sphere (drawn)
    Vector centroid_sum{0}, normal_sum{0};    // running sums of the region being built
    int processed = 0;                        // faces taken out in the current run
    bool growing = false;                     // the mean shift window gained faces last pass
    bool needs_reset = true;                  // the next region run starts from all faces
    int weight_mode = 0;                      // 0 full normals; 1 weighted by the curve
    std::vector<Vector> weight_function;      // weight curve points; only y is read
    int function_height = 0;                  // height of the curve's plot

    // Runs filter `mode` with `radius` (a step or a whole run for the region filters;
    // the median filter always runs whole) and makes `mode` the one "Step" runs. A
    // radius of (0, 0, 0) does nothing. Returns whether a filter ran.
    bool evaluate(const Vector& radius, CallKind kind, FilterMode mode, Work* work = nullptr);
    // "Step": prints "Step", then one pass of the stored mode.
    bool step(const Vector& radius, Work* work = nullptr);

    // Forgets the run in progress and the search sphere, as for a mesh of other faces;
    // the mode, the weight curve and the normals array stay.
    void reset();
    // Whether a stepped run is in progress: its search sphere is shown.
    bool window_shown() const { return !needs_reset; }
    // The memory its state holds, in bytes.
    size_t memory_bytes() const;

    // Uses the weight curve `func` (101 points or more, only y read) with the plot
    // height `height` from now on: weight_mode becomes 1 for good. A shorter curve or a
    // height that is not positive is ignored with a console line; returns whether the
    // curve is used.
    bool set_weight_function(std::vector<Vector> func, int height);

    // The filters themselves. A region run that starts from all faces rebuilds stale
    // centroids first, and the median filter a stale edge table: tools that replace
    // the faces may leave those of the old faces. A stepped run whose faces have been
    // replaced since it began starts over.
    void mean_shift(const Vector& radius, CallKind kind, Work* work = nullptr);
    void sphere_jump(const Vector& radius, CallKind kind, Work* work = nullptr);
    void median_filter(const Vector& radius, Work* work = nullptr);

    // The console progress bar: called with done = 0 at the start of a run (which
    // resets it), it prints a frame each time done reaches the next tenth of total, and
    // reports the same progress to `work`.
    void print_progress(int done, int total, Work* work = nullptr);

    // What member face f adds to the normal sum of a region centred on c.
    Vector contribution(int f, const Vector& c) const;

  private:
    // Face indices of current_region, exact however many faces there are (a float's w
    // holds integers exactly only up to 2^24).
    std::vector<int> current_faces;
    // The faces a region run was started on: a stepped run does not continue on others.
    unsigned run_faces_version = 0;
    int run_nf = -1;
    const Face* run_faces = nullptr;
    // Prunes the within tests of one call; `hits` collects a pass's faces.
    CentroidGrid grid;
    bool grid_active = false;
    std::vector<int> hits;

    Vector& normal_of(int f) { return normals ? (*normals)[size_t(f)] : mesh->faces[f].normal; }
    const Vector& normal_of(int f) const {
        return normals ? (*normals)[size_t(f)] : mesh->faces[f].normal;
    }
    bool start_region_run(const char* title, const Vector& r, Work* work);
    void print_end() const;
    void take(int f, Work* work);
    void gather(const Vector& c, float s, Work* work);
    int open_region(Work* work);
    void add_contribution(int f, const Vector& c);
    void close_region();
    bool pass_ends_call(CallKind kind);
};
