// The region filters (mean shift, sphere jump) and the median filter.
//
// Each pass of a region filter gathers the remaining faces whose centroids lie within
// s of a fixed centre, in increasing face order. Instead of testing every remaining
// face, a pass asks a grid over the centroids for the faces within s and takes them
// in face order: the same faces in the same order, so the sums are the same floats.
#include "segmentation/mean_shift.h"

#include "core/console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

Vector filter_radius(const Vector& v, float extent) {
    float s = v.x / 200 * extent;
    return {s, s, s, v.x};
}

MeanShift::MeanShift(Mesh& m) : mesh(&m) {}

size_t MeanShift::memory_bytes() const {
    size_t n = sizeof(MeanShift) + remaining_faces.memory_bytes() + grid.memory_bytes() +
               (current_region.capacity() + weight_function.capacity()) * sizeof(Vector) +
               (current_faces.capacity() + hits.capacity()) * sizeof(int);
    for (const std::vector<Vector>& r : regions) n += r.capacity() * sizeof(Vector);
    return n + regions.capacity() * sizeof(std::vector<Vector>);
}

void MeanShift::reset() {
    MeanShift fresh(*mesh);
    fresh.mode = mode;
    fresh.weight_mode = weight_mode;
    fresh.weight_function = std::move(weight_function);
    fresh.function_height = function_height;
    fresh.normals = normals;
    *this = std::move(fresh);
}

void MeanShift::print_progress(int done, int total, Work* work) {
    if (total == 0) return;
    if (done == 0) {
        progress_ticks = 0;
        progress_step = int(std::floor(float(total) / progress_width + 0.5f));
        progress_threshold = 0;
    }
    if (done != progress_threshold) return;
    ++progress_ticks;
    // The bar keeps its width even when a small total makes more frames than it has
    // places for (the step rounds down to 1, or a stepped run crosses runs).
    int places = std::max(int(progress_width) - 1, 0);
    int stars = std::clamp(progress_ticks - 1, 0, places);
    std::string bar(size_t(places) + 2, ' ');
    bar.front() = '[';
    bar.back() = ']';
    std::fill_n(bar.begin() + 1, stars, '*');
    console_printf("\r\rProgress = %s", bar.c_str());
    std::fflush(console_stream());
    if (work) work->advance(done, total);
    progress_threshold += progress_step;
}

bool MeanShift::set_weight_function(std::vector<Vector> func, int height) {
    if (func.size() < 101) {
        console_printf("Weight curve ignored: %zu points, 101 needed\n", func.size());
        return false;
    }
    if (height <= 0) {
        console_printf("Weight curve ignored: plot height %d\n", height);
        return false;
    }
    weight_mode = 1;
    function_height = height;
    weight_function = std::move(func);
    return true;
}

Vector MeanShift::contribution(int f, const Vector& c) const {
    const Vector& normal = normal_of(f);
    if (weight_mode == 0) return normal;
    Vector offset = mesh->centroids[f] - c;
    float d = offset.length();
    float k = std::floor(d / radius.x * 100 + 0.5f);
    // Only points of the curve are read: a distance the curve does not cover (which
    // only geometry that is not finite gives) weighs nothing.
    if (!(k >= 0 && k < float(weight_function.size()))) return 0.0f * normal;
    float weight = 1 - weight_function[size_t(k)].y / float(function_height);
    if (weight < 0) weight = 0;
    return weight * normal;
}

bool MeanShift::evaluate(const Vector& r, CallKind kind, FilterMode m, Work* work) {
    if (r == Vector(0, 0, 0)) return false;
    mode = m;
    Stage run(work, 0, 1); // done to the end when the filter is
    switch (m) {
    case FilterMode::MeanShift:
        mean_shift(r, kind, work);
        return true;
    case FilterMode::SphereJump:
        sphere_jump(r, kind, work);
        return true;
    case FilterMode::Median:
        median_filter(r, work);
        return true;
    }
    return false;
}

bool MeanShift::step(const Vector& r, Work* work) {
    console_printf("Step\n");
    return evaluate(r, CallKind::Step, mode, work);
}

// The common start of the region filters; false when there is nothing to gather.
bool MeanShift::start_region_run(const char* title, const Vector& r, Work* work) {
    console_printf("Evaluating %s: \n", title);
    console_printf("WEIGHT_MODE = %d\n", weight_mode);
    radius = r;
    // A stepped run continues only on the faces it began on.
    if (!needs_reset && (mesh->faces_version != run_faces_version || mesh->nf != run_nf ||
                         mesh->faces.data() != run_faces))
        needs_reset = true;
    if (needs_reset) {
        // Tools that replace the faces may leave the centroids of the old ones.
        if (!mesh->derived_current(MESH_CENTROIDS)) mesh->build_centroids();
        run_faces_version = mesh->faces_version;
        run_nf = mesh->nf;
        run_faces = mesh->faces.data();
        regions.clear();
        current_region.clear();
        current_faces.clear();
        centroid_sum = Vector(0);
        growing = false;
        processed = 0;
        remaining_faces.fill(mesh->nf);
        needs_reset = false;
    }
    if (processed == mesh->nf) return false;
    grid_active = grid.build(mesh->centroids, remaining_faces, radius.x, work);
    return true;
}

void MeanShift::print_end() const {
    console_printf("\nData Size:\t\t%d \n", mesh->nf);
    console_printf("Mean Shift Radius:\t%f \n", double(radius.x));
    console_printf("Number of Regions:\t%d \n", int(regions.size()));
}

// Moves face f from the remaining faces into the current region; a checkpoint every
// 4096 faces, for passes that take many.
void MeanShift::take(int f, Work* work) {
    if ((processed & 4095) == 4095) checkpoint(work);
    Vector c = mesh->centroids[f];
    c.w = float(f);
    current_region.push_back(c);
    current_faces.push_back(f);
    remaining_faces.remove(f);
    if (grid_active) grid.remove(f);
    print_progress(processed, mesh->nf, work);
    ++processed;
}

// The remaining faces within s of c, in face order, into `hits`. Once a pass, so a
// checkpoint; a query visits the faces of a few cells, but the walk without the grid
// every remaining face.
void MeanShift::gather(const Vector& c, float s, Work* work) {
    checkpoint(work);
    hits.clear();
    if (grid_active) {
        grid.query(mesh->centroids, c, s, hits);
        std::sort(hits.begin(), hits.end());
    } else {
        int walked = 0;
        for (int f = remaining_faces.front(); f >= 0; f = remaining_faces.next(f)) {
            if ((++walked & 4095) == 0) checkpoint(work);
            if (mesh->centroids[f].within(c, s)) hits.push_back(f);
        }
    }
}

// Opens a region at the first remaining face: the search starts at its centroid.
int MeanShift::open_region(Work* work) {
    current_region.clear();
    current_faces.clear();
    int seed = remaining_faces.front();
    centre = mesh->centroids[seed];
    take(seed, work);
    const Vector& normal = normal_of(seed);
    normal_sum = usable_normal(normal) ? normal : Vector(0);
    return seed;
}

// Adds what member f adds to the normal sum, unless its normal is no number.
void MeanShift::add_contribution(int f, const Vector& c) {
    if (usable_normal(normal_of(f))) normal_sum += contribution(f, c);
}

// Gives every member of the current region the normal sum, when it is one: else each
// keeps its own.
void MeanShift::close_region() {
    if (usable_result(normal_sum))
        for (int f : current_faces) normal_of(f) = normal_sum;
    regions.push_back(current_region);
}

// The end of a pass: the run is over when no face remains, a step after one pass.
bool MeanShift::pass_ends_call(CallKind kind) {
    bool done = false;
    if (remaining_faces.empty()) {
        needs_reset = true;
        processed = 0;
        done = true;
    }
    if (kind == CallKind::Step) {
        console_printf("\n");
        done = true;
    }
    return done;
}

void MeanShift::mean_shift(const Vector& r, CallKind kind, Work* work) {
    if (!start_region_run("MEAN_SHIFT", r, work)) return;
    float s = radius.x;
    const std::vector<Vector>& centroids = mesh->centroids;
    bool done = false;
    while (!done) {
        if (!growing) {
            open_region(work);
            centroid_sum = centre;
        }
        growing = false;
        gather(centre, s, work);
        for (int f : hits) {
            take(f, work);
            centroid_sum += centroids[f];
            add_contribution(f, centre);
            growing = true;
        }
        if (growing && !remaining_faces.empty()) {
            centre = centroid_sum / float(current_region.size());
        } else {
            normal_sum /= float(current_region.size());
            normal_sum.normalise();
            close_region();
        }
        done = pass_ends_call(kind);
    }
    print_end();
}

void MeanShift::sphere_jump(const Vector& r, CallKind kind, Work* work) {
    if (!start_region_run("SHPERE_JUMP", r, work)) return;
    float s = radius.x;
    const std::vector<Vector>& centroids = mesh->centroids;
    bool done = false;
    while (!done) {
        int seed = open_region(work);
        gather(centroids[seed], s, work);
        for (int f : hits) {
            add_contribution(f, centroids[seed]);
            take(f, work);
        }
        normal_sum.normalise();
        close_region();
        done = pass_ends_call(kind);
    }
    print_end();
}
