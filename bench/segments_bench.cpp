// Edge traversal and segment export on a large real mesh (ogre.obj, 124,008 faces) and
// the generated torus (1,000,000 faces). Baseline in the same run: the step-by-step
// versions of tests/reference (the traversal making every one of its passes, the export
// scanning all faces per segment and welding through an ordered set of positions).
//
// Traversal: ten starts spread over the faces, each followed by "Mark Current", as
// `vostrel-cli segment` with ten --at does. Export: the files' contents (no disk) for
// those ten segments, and for a thousand single-face segments.
#include "bench/bench_files.h"
#include "core/mesh_file.h"
#include "segmentation/segments.h"
#include "tests/reference/segments_reference.h"
#include "tools/edge_traversal.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>

namespace {

constexpr int starts = 10, depth = 200, angle = 30;

int start_face(const Mesh& m, int k) {
    return int(int64_t(m.nf) * k / starts);
}

struct Input {
    Mesh mesh;
    std::vector<std::vector<int>> lists; // the reference's adjacency
};

// Loaded once per file; the benchmarks share it and leave it as they found it, apart
// from marks, segments and the vertices' w, which each run sets afresh.
Input& input(const std::string& path) {
    static std::map<std::string, Input> loaded;
    auto found = loaded.find(path);
    if (found != loaded.end()) return found->second;
    Input& in = loaded[path];
    if (!load_mesh_file(in.mesh, path)) throw std::runtime_error("cannot load " + path);
    Mesh read;
    read_mesh_file(read, path); // the corners as the loader's edge build saw them
    in.lists = reference_face_lists(read);
    return in;
}

void reset_segments(Mesh& m) {
    for (Face& f : m.faces) f.segment = 0;
}

// Ten traversals with "Mark Current" after each; returns the segment count.
int ten_segments(Mesh& m) {
    reset_segments(m);
    EdgeTraversal t;
    for (int k = 0; k < starts; ++k) {
        m.selectedface = start_face(m, k) + 1;
        traverse(m, t, depth, angle);
        mark_current(m, t);
    }
    return t.region_counter;
}

int ten_segments_reference(Input& in) {
    reset_segments(in.mesh);
    int regions = 0;
    for (int k = 0; k < starts; ++k) {
        reference_traverse(in.mesh, in.lists, start_face(in.mesh, k), depth, angle);
        reference_mark_current(in.mesh, regions, std::rand() % 32768);
    }
    return regions;
}

// A thousand single-face segments spread over the faces.
int many_segments(Mesh& m) {
    reset_segments(m);
    int regions = 0;
    for (int f = 0; f < m.nf; f += std::max(1, m.nf / 1000)) m.faces[f].segment = ++regions;
    return regions;
}

void BM_TenTraversals(benchmark::State& state, std::function<std::string()> path) {
    Input& in = input(path());
    for (auto _ : state) benchmark::DoNotOptimize(ten_segments(in.mesh));
    state.counters["faces"] = in.mesh.nf;
}

void BM_TenTraversalsReference(benchmark::State& state, std::function<std::string()> path) {
    Input& in = input(path());
    for (auto _ : state) benchmark::DoNotOptimize(ten_segments_reference(in));
    state.counters["faces"] = in.mesh.nf;
}

template <int (*Segments)(Mesh&)>
void BM_Export(benchmark::State& state, std::function<std::string()> path) {
    Input& in = input(path());
    int regions = Segments(in.mesh);
    for (auto _ : state) {
        size_t corners = 0;
        for_each_segment_mesh(in.mesh, regions,
                              [&](int, const SegmentMesh& s) { corners += s.corners.size(); });
        benchmark::DoNotOptimize(corners);
    }
    state.counters["segments"] = regions;
}

template <int (*Segments)(Mesh&)>
void BM_ExportReference(benchmark::State& state, std::function<std::string()> path) {
    Input& in = input(path());
    int regions = Segments(in.mesh);
    for (auto _ : state) benchmark::DoNotOptimize(reference_segment_meshes(in.mesh, regions));
    state.counters["segments"] = regions;
}

[[maybe_unused]] const bool registered = bench::register_files([](const char* name, auto path) {
    std::string n(name);
    auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark(("TenTraversals/" + n).c_str(), BM_TenTraversals, path)->Unit(ms);
    benchmark::RegisterBenchmark(("TenTraversalsReference/" + n).c_str(), BM_TenTraversalsReference,
                                 path)
        ->Unit(ms);
    benchmark::RegisterBenchmark(("ExportTenSegments/" + n).c_str(), BM_Export<ten_segments>, path)
        ->Unit(ms);
    benchmark::RegisterBenchmark(("ExportTenSegmentsReference/" + n).c_str(),
                                 BM_ExportReference<ten_segments>, path)
        ->Unit(ms);
    benchmark::RegisterBenchmark(("ExportManySegments/" + n).c_str(), BM_Export<many_segments>,
                                 path)
        ->Unit(ms);
    benchmark::RegisterBenchmark(("ExportManySegmentsReference/" + n).c_str(),
                                 BM_ExportReference<many_segments>, path)
        ->Unit(ms);
});

} // namespace

BENCHMARK_MAIN();
