// Simplification: ogre.obj (62,194 vertices, 124,008 faces) and armadillo.obj (25,002
// vertices, 50,000 faces) taken to a level of detail of 50%, by simplify() alone and
// with the builds the view runs after it. Baseline in the same run: the plain
// procedure, which scans every live vertex for the cheapest at each collapse.
#include "bench/bench_files.h"
#include "core/vostrel.h"
#include "tests/reference/simplify_reference.h"
#include "tools/simplify.h"

#include <benchmark/benchmark.h>

#include <map>
#include <stdexcept>
#include <string>

namespace {

const Mesh& loaded(const std::string& name) {
    static std::map<std::string, Mesh> meshes;
    auto it = meshes.find(name);
    if (it == meshes.end()) {
        std::string path = bench::shared_mesh(name.c_str());
        if (path.empty()) throw std::runtime_error(name + " is not in the shared data");
        Mesh m;
        if (IoResult r = load_mesh_file(m, path); !r) throw std::runtime_error(r.error);
        it = meshes.emplace(name, std::move(m)).first;
    }
    return it->second;
}

// The loaded mesh as the view holds it, copied outside the timing.
template <typename Run>
void simplify_case(benchmark::State& state, const std::string& name, Run run) {
    const Mesh& source = loaded(name);
    int left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Mesh m = source.clone();
        m.morphogens = source.morphogens;
        state.ResumeTiming();
        run(m);
        left = m.nv;
        benchmark::DoNotOptimize(m.faces.data());
    }
    state.counters["vertices"] = source.nv;
    state.counters["left"] = left;
}

void BM_Simplify(benchmark::State& state, std::string name) {
    simplify_case(state, name, [](Mesh& m) { simplify(m, 50.0f / 100); });
}

void BM_SimplifyWithBuilds(benchmark::State& state, std::string name) {
    simplify_case(state, name, [](Mesh& m) { simplify_lod(m, 50); });
}

void BM_SimplifyScan(benchmark::State& state, std::string name) {
    simplify_case(state, name, [](Mesh& m) { reference::literal_simplify(m, 50.0f / 100); });
}

bool registered = [] {
    set_console_stream(std::fopen("/dev/null", "w"));
    for (const char* name : {"ogre.obj", "armadillo.obj"}) {
        if (bench::shared_mesh(name).empty()) continue;
        std::string stem = std::string(name).substr(0, std::string(name).find('.'));
        benchmark::RegisterBenchmark(("BM_Simplify/" + stem + "/lod50").c_str(), BM_Simplify, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_SimplifyWithBuilds/" + stem + "/lod50").c_str(),
                                     BM_SimplifyWithBuilds, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_SimplifyScan/" + stem + "/lod50").c_str(),
                                     BM_SimplifyScan, name)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
