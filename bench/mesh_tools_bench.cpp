// Simplification and subdivision, each with its plain version as the baseline in the
// same run:
// - simplification of ogre.obj (62,194 vertices, 124,008 faces) and armadillo.obj
//   (25,002 vertices, 50,000 faces) to a level of detail of 50%, by simplify() alone
//   and with the builds the view runs after it, and at 100% (no collapse: the set-up
//   and the write-back alone); the baseline scans every live vertex for the cheapest
//   at each collapse;
// - subdivision of stanford_bunny.obj (69,451 faces) two levels, to 1,111,216 faces,
//   alone and with the view's builds; and of cow.obj (5,804 faces) one level, where
//   the baseline (a mesh cloned per level, the edge table searched linearly for every
//   pair) can run too.
// - the two simplification methods side by side, edge collapses (simplify()) and the
//   quadric simplifier (quadric_simplified(), the default error limit), on
//   stanford_bunny.obj, armadillo.obj and ogre.obj at levels of detail of 50% and 10%;
//   besides the time, each reports what it left, the mean distance from its result to
//   the mesh it was made of (surface_error, a share of the box diagonal; see
//   surface_distance.h), the mean distance the other way round (coverage_error, which
//   also sees holes) and the result's area over the original's (area_ratio).
// - simplification where many collapses meet one vertex, to 50%: a flat fan of 10,000
//   triangles round one vertex (the centre first in the numbering, and last), and flat
//   grids of 200k and 1M faces (317 x 317 and 708 x 708 vertices); with ogre and
//   armadillo at 50%, each against the simplification as it was before (a copy, in
//   previous_simplify.h) in the same run. The baseline's cost grows with the cube of a
//   fan's size (a fan of 2,500 took it 15 s), so the fans are timed at 2,500 triangles
//   both ways and at 10,000 now only; the 1M grid (over three minutes before) too.
// A ratio to a baseline is best read from a run that interleaves the repetitions of
// both (--benchmark_repetitions=4 --benchmark_enable_random_interleaving=true): on a
// shared machine whose speed drifts from one minute to the next, both then see the
// same drift.
#include "bench/bench_files.h"
#include "bench/previous_simplify.h"
#include "bench/surface_distance.h"
#include "core/vostrel.h"
#include "tests/crowded_meshes.h"
#include "tests/reference/simplify_reference.h"
#include "tests/reference/subdivide_reference.h"
#include "tools/quadric_simplify.h"
#include "tools/simplify.h"
#include "tools/simplify_method.h"
#include "tools/subdivide.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// The generated meshes, by the names the cases give them.
const std::map<std::string, std::function<Mesh()>> generated = {
    {"flat_fan_2500", [] { return flat_fan_mesh(2500); }},
    {"flat_fan_2500_centre_last", [] { return flat_fan_mesh(2500, true); }},
    {"flat_fan_10k", [] { return flat_fan_mesh(10000); }},
    {"flat_fan_10k_centre_last", [] { return flat_fan_mesh(10000, true); }},
    {"flat_grid_200k", [] { return flat_grid_mesh(317, 317); }},
    {"flat_grid_1m", [] { return flat_grid_mesh(708, 708); }},
};

const Mesh& loaded(const std::string& name) {
    static std::map<std::string, Mesh> meshes;
    auto it = meshes.find(name);
    if (it == meshes.end() && generated.count(name)) {
        it = meshes.emplace(name, generated.at(name)()).first;
    } else if (it == meshes.end()) {
        std::string path = bench::find_mesh(name.c_str());
        if (path.empty()) throw std::runtime_error(name + " is not in the shared data");
        Mesh m;
        if (IoResult r = load_mesh_file(m, path); !r) throw std::runtime_error(r.error);
        it = meshes.emplace(name, std::move(m)).first;
    }
    return it->second;
}

// `run` on the loaded mesh as the view holds it, copied and freed outside the timing.
void tool_case(benchmark::State& state, const std::string& name,
               const std::function<void(Mesh&)>& run) {
    const Mesh& source = loaded(name);
    int nv = 0, nf = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<Mesh>(source.clone());
        m->morphogens = source.morphogens;
        state.ResumeTiming();
        run(*m);
        nv = m->nv;
        nf = m->nf;
        benchmark::DoNotOptimize(m->faces.data());
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    state.counters["vertices"] = nv;
    state.counters["faces"] = nf;
}

// `simplify` on the loaded mesh, timed alone; then how far its last result strays from
// the mesh and how much of the area it keeps.
void method_case(benchmark::State& state, const std::string& name,
                 const std::function<Mesh(const Mesh&)>& simplify) {
    const Mesh& source = loaded(name);
    Mesh result;
    for (auto _ : state) {
        state.PauseTiming();
        result = Mesh();
        state.ResumeTiming();
        result = simplify(source);
        benchmark::DoNotOptimize(result.faces.data());
    }
    state.counters["vertices"] = result.nv;
    state.counters["faces"] = result.nf;
    state.counters["surface_error"] = bench::mean_surface_distance(result, source);
    // The other way round, which also sees what the result lost (holes, a shrunk border).
    state.counters["coverage_error"] = bench::mean_surface_distance(source, result);
    state.counters["area_ratio"] = bench::surface_area_of(result) / bench::surface_area_of(source);
}

void register_case(const std::string& name, const char* file, const std::function<void(Mesh&)>& run,
                   bool once = false) {
    auto* b = benchmark::RegisterBenchmark(
        name.c_str(), [file, run](benchmark::State& state) { tool_case(state, file, run); });
    b->Unit(benchmark::kMillisecond);
    if (once) b->Iterations(1);
}

bool registered = [] {
    set_console_stream(std::fopen("/dev/null", "w"));
    for (const char* file : {"ogre.obj", "armadillo.obj"}) {
        if (bench::find_mesh(file).empty()) continue;
        std::string stem(file, std::string(file).find('.'));
        register_case("BM_Simplify/" + stem + "/lod50", file,
                      [](Mesh& m) { simplify(m, 50.0f / 100); });
        register_case("BM_Simplify/" + stem + "/lod100", file, [](Mesh& m) { simplify(m, 1); });
        register_case("BM_SimplifyWithBuilds/" + stem + "/lod50", file,
                      [](Mesh& m) { simplify_lod(m, 50); });
        register_case(
            "BM_SimplifyScan/" + stem + "/lod50", file,
            [](Mesh& m) { reference::literal_simplify(m, 50.0f / 100); }, true);
    }
    // The crowded cases and the two real meshes, now and before.
    for (const char* name :
         {"flat_fan_2500", "flat_fan_2500_centre_last", "flat_fan_10k", "flat_fan_10k_centre_last",
          "flat_grid_200k", "flat_grid_1m", "ogre.obj", "armadillo.obj"}) {
        if (!generated.count(name) && bench::find_mesh(name).empty()) continue;
        const std::string stem = std::string(name).substr(0, std::string(name).find('.'));
        register_case("BM_SimplifyCrowded/" + stem + "/lod50", name,
                      [](Mesh& m) { simplify(m, 50.0f / 100); });
        if (std::string(name).find("_10k") == std::string::npos &&
            std::string(name) != "flat_grid_1m")
            register_case("BM_SimplifyCrowdedBefore/" + stem + "/lod50", name,
                          [](Mesh& m) { m = previous::simplified(m, 50.0f / 100); });
    }
    for (const char* file : {"stanford_bunny.obj", "armadillo.obj", "ogre.obj"}) {
        if (bench::find_mesh(file).empty()) continue;
        std::string stem(file, std::string(file).find('.'));
        for (int lod : {50, 10}) {
            const float fraction = float(lod) / 100;
            std::string tail = stem + "/lod" + std::to_string(lod);
            auto edge = [fraction](const Mesh& m) { return simplified(m, fraction); };
            auto quadric = [fraction](const Mesh& m) {
                return quadric_simplified(m, fraction, default_quadric_max_error).mesh;
            };
            for (auto& [method, run] :
                 {std::pair<std::string, std::function<Mesh(const Mesh&)>>{"edge_collapse", edge},
                  {"quadric", quadric}})
                benchmark::RegisterBenchmark(
                    ("BM_SimplifyMethod/" + method + "/" + tail).c_str(),
                    [file, run](benchmark::State& state) { method_case(state, file, run); })
                    ->Unit(benchmark::kMillisecond);
        }
    }
    struct Subdivision {
        const char* file;
        int levels;
        bool linear;
    };
    for (Subdivision c : {Subdivision{"stanford_bunny.obj", 2, false}, {"cow.obj", 1, true}}) {
        if (bench::find_mesh(c.file).empty()) continue;
        std::string tag(c.file, std::string(c.file).find('.'));
        tag.append("/").append(std::to_string(c.levels));
        int levels = c.levels;
        register_case("BM_Subdivide/" + tag, c.file,
                      [levels](Mesh& m) { subdivide(m, levels, 0); });
        register_case("BM_SubdivideWithBuilds/" + tag, c.file,
                      [levels](Mesh& m) { subdivide_levels(m, levels, 0); });
        if (c.linear)
            register_case("BM_SubdivideLinear/" + tag, c.file, [levels](Mesh& m) {
                Mesh result = reference::literal_subdivide(m, levels, 0);
                m = std::move(result);
            });
    }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
