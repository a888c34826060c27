// Loading a mesh as the viewer does (read, then every build and the orientation),
// and each build on its own over a mesh loaded once.
#include "bench/bench_files.h"
#include "core/vostrel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using PathSource = std::function<std::string()>;

// The mesh the single-build cases share: loaded on first use and kept while the
// following cases ask for the same file. The builds are repeatable, so running one
// many times over the same mesh measures it as a load would run it.
Mesh& loaded_mesh(const std::string& path) {
    static std::string loaded;
    static std::unique_ptr<Mesh> mesh;
    if (!mesh || loaded != path) {
        mesh.reset(); // one large mesh in memory at a time
        mesh = std::make_unique<Mesh>();
        if (IoResult r = load_mesh_file(*mesh, path); !r) throw std::runtime_error(r.error);
        loaded = path;
    }
    return *mesh;
}

void report(benchmark::State& state, int nv, int nf) {
    state.SetItemsProcessed(int64_t(state.iterations()) * nf);
    state.counters["vertices"] = nv;
    state.counters["faces"] = nf;
}

// A fresh mesh each iteration: its destruction is part of what a reload costs.
void load(benchmark::State& state, const PathSource& source, bool with_builds) {
    std::string path = source();
    int nv = 0, nf = 0;
    for (auto _ : state) {
        Mesh mesh;
        IoResult r = with_builds ? load_mesh_file(mesh, path) : read_mesh_file(mesh, path);
        if (!r) {
            state.SkipWithError(r.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(mesh.normals.data());
        nv = mesh.nv;
        nf = mesh.nf;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bench::file_size(path)));
    report(state, nv, nf);
}

void build(benchmark::State& state, const PathSource& source, void (*run)(Mesh&)) {
    Mesh& mesh = loaded_mesh(source());
    for (auto _ : state) {
        run(mesh);
        benchmark::ClobberMemory();
    }
    report(state, mesh.nv, mesh.nf);
}

void register_file(const std::string& name, const PathSource& source) {
    auto add = [&](const std::string& what, auto function) {
        benchmark::RegisterBenchmark((what + "/" + name).c_str(), function)
            ->Unit(benchmark::kMillisecond);
    };
    add("read_mesh_file", [source](benchmark::State& s) { load(s, source, false); });
    add("load_mesh_file", [source](benchmark::State& s) { load(s, source, true); });

    struct Build {
        const char* name;
        void (*run)(Mesh&);
    };
    const Build builds[] = {
        // As after a read: every derived array stale, so that build() runs each build.
        {"build_loaded_mesh",
         [](Mesh& m) {
             m.shape_changed();
             build_loaded_mesh(m);
         }},
        {"build_edge_list", [](Mesh& m) { m.build_edge_list(); }},
        {"build_normals", [](Mesh& m) { m.build_normals(); }},
        {"build_centroids", [](Mesh& m) { m.build_centroids(); }},
        {"build_bbox", [](Mesh& m) { m.build_bbox(); }},
        {"build_centre", [](Mesh& m) { m.build_centre(); }},
        {"orient_faces", [](Mesh& m) { m.orient_faces(); }},
        {"build_texcoords", [](Mesh& m) { m.build_texcoords(); }},
    };
    for (const Build& b : builds)
        add(b.name, [source, run = b.run](benchmark::State& s) { build(s, source, run); });
}

// Registered before main, as the BENCHMARK macros do.
[[maybe_unused]] const bool registered = bench::register_files(register_file);

} // namespace

BENCHMARK_MAIN();
