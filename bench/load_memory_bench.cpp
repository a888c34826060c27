// The memory of opening the generated torus of a million triangles: the reader alone
// (read_mesh_file), the reader and every build (load_mesh_file), and the document's open
// (the loaded mesh and the copy kept for Reload). Counters: the most the heap held beyond
// what it held before, while the case ran (peak_MB), and the bytes each array holds
// once open (its capacity), in MB.
//
//   load_memory_bench --benchmark_repetitions=3
//
// For the peak of the whole process, the mapped file's pages included, run one case
// once under /usr/bin/time -v:
//
//   /usr/bin/time -v load_memory_bench --benchmark_filter=BM_Load --benchmark_min_time=0
#include "bench/bench_files.h"
#include "bench/heap_count.h"
#include "core/mesh_file.h"
#include "document/document.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace {

template <typename T>
double mb(const std::vector<T>& v) {
    return double(v.capacity() * sizeof(T)) / 1e6;
}

double mb(const NeighbourLists& lists) {
    return mb(lists.offsets) + mb(lists.refs);
}

void count_arrays(benchmark::State& state, const Mesh& m, const std::string& prefix) {
    state.counters[prefix + "mesh_MB"] = double(m.memory_bytes()) / 1e6;
    if (prefix.empty()) {
        state.counters["vertices"] = mb(m.vertices);
        state.counters["normals"] = mb(m.normals);
        state.counters["colours"] = mb(m.colours);
        state.counters["texcoords"] = mb(m.texcoords);
        state.counters["centroids"] = mb(m.centroids);
        state.counters["faces"] = mb(m.faces);
        state.counters["faceptrs"] = mb(m.faceptrs);
        state.counters["edges"] = mb(m.edges) + mb(m.edgefaces);
        state.counters["vertex_nb"] = mb(m.vertexneighbours);
        state.counters["face_nb"] = mb(m.faceneighbours);
        state.counters["face_adj"] = mb(m.face_adjacency);
    }
}

// Runs `open` once an iteration and reports its heap peak; `after` counts what it left.
void measure(benchmark::State& state, const std::function<bool()>& open,
             const std::function<void()>& after) {
    bench::Quiet quiet;
    double peak_mb = 0;
    for (auto _ : state) {
        size_t before = bench::reset_peak();
        if (!open()) {
            state.SkipWithError("cannot open the torus");
            return;
        }
        peak_mb = double(bench::heap().peak - before) / 1e6;
        after();
    }
    state.counters["peak_MB"] = peak_mb;
}

// The reader alone, or the reader and every build.
void BM_Mesh(benchmark::State& state, IoResult (*load)(Mesh&, const std::string&, Work*)) {
    Mesh mesh;
    measure(
        state, [&] { return bool(load(mesh, bench::torus_obj(), nullptr)); },
        [&] {
            count_arrays(state, mesh, "");
            mesh.clear();
        });
}

void BM_OpenDocument(benchmark::State& state) {
    std::unique_ptr<Document> doc;
    measure(
        state,
        [&] {
            doc = std::make_unique<Document>();
            return bool(doc->open(bench::torus_obj()));
        },
        [&] {
            count_arrays(state, doc->mesh, "");
            count_arrays(state, doc->kept, "kept_");
            doc.reset();
        });
}

const bool registered = [] {
    bench::fix_malloc_thresholds();
    bench::torus_obj(); // written before any case, so that no case counts the writing
    benchmark::RegisterBenchmark("BM_Read/torus_1M", BM_Mesh, read_mesh_file)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Load/torus_1M", BM_Mesh, load_mesh_file)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OpenDocument/torus_1M", BM_OpenDocument)
        ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
