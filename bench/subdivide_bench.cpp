// Butterfly subdivision: stanford_bunny.obj (69,451 faces) two levels, to 1,111,216
// faces, by subdivide() alone and with the builds the view runs after it; and cow.obj
// (5,804 faces) one level, where the baseline can run in the same binary: the plain
// procedure, which clones a mesh per level and searches the edge table linearly for
// every pair.
#include "bench/bench_files.h"
#include "core/vostrel.h"
#include "tests/reference/subdivide_reference.h"
#include "tools/subdivide.h"

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

// The loaded mesh as the view holds it, copied outside the timing; the result is
// freed outside it too.
template <typename Run>
void subdivide_case(benchmark::State& state, const std::string& name, Run run) {
    const Mesh& source = loaded(name);
    int faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<Mesh>(source.clone());
        m->morphogens = source.morphogens;
        state.ResumeTiming();
        run(*m);
        faces = m->nf;
        benchmark::DoNotOptimize(m->faces.data());
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = faces;
}

void BM_Subdivide(benchmark::State& state, std::string name, int levels) {
    subdivide_case(state, name, [levels](Mesh& m) { subdivide(m, levels, 0); });
}

void BM_SubdivideWithBuilds(benchmark::State& state, std::string name, int levels) {
    subdivide_case(state, name, [levels](Mesh& m) { subdivide_levels(m, levels, 0); });
}

void BM_SubdivideLinear(benchmark::State& state, std::string name, int levels) {
    subdivide_case(state, name, [levels](Mesh& m) {
        Mesh result = reference::literal_subdivide(m, levels, 0);
        m = std::move(result);
    });
}

bool registered = [] {
    set_console_stream(std::fopen("/dev/null", "w"));
    struct Case {
        const char* file;
        int levels;
        bool linear;
    };
    for (Case c : {Case{"stanford_bunny.obj", 2, false}, Case{"cow.obj", 1, true}}) {
        if (bench::shared_mesh(c.file).empty()) continue;
        std::string file = c.file;
        std::string tag;
        tag.append("/")
            .append(file, 0, file.find('.'))
            .append("/")
            .append(std::to_string(c.levels));
        benchmark::RegisterBenchmark(("BM_Subdivide" + tag).c_str(), BM_Subdivide, file, c.levels)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_SubdivideWithBuilds" + tag).c_str(),
                                     BM_SubdivideWithBuilds, file, c.levels)
            ->Unit(benchmark::kMillisecond);
        if (c.linear)
            benchmark::RegisterBenchmark(("BM_SubdivideLinear" + tag).c_str(), BM_SubdivideLinear,
                                         file, c.levels)
                ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
