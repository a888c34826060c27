// The normal filters: a whole run of mean shift, sphere jump and the median filter on
// real meshes at panel values 5 and 20 (fandisk, the largest shared mesh ogre, and a
// mean shift on the 100,000-face dragon). Baseline in the same run: the filters as
// first written (tests/reference), whose passes walk every remaining face.
#include "bench/bench_files.h"
#include "core/vostrel.h"
#include "segmentation/mean_shift.h"
#include "tests/reference/mean_shift_reference.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

struct Input {
    Mesh mesh;
    std::vector<Vector> normals; // face normals as loaded
};

Input& input(const std::string& path) {
    static std::map<std::string, std::unique_ptr<Input>> loaded;
    auto& in = loaded[path];
    if (!in) {
        in = std::make_unique<Input>();
        if (!load_mesh_file(in->mesh, path)) throw std::runtime_error("cannot load " + path);
        for (const Face& f : in->mesh.faces) in->normals.push_back(f.normal);
    }
    return *in;
}

void restore(Input& in) {
    for (int i = 0; i < in.mesh.nf; ++i) in.mesh.faces[i].normal = in.normals[i];
}

template <typename Filter>
void run_filter(benchmark::State& state, const std::string& path, int mode, float value) {
    Input& in = input(path);
    Vector radius = filter_radius(Vector(value, 0, 0, 1), in.mesh.extent);
    size_t regions = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restore(in);
        auto filter = std::make_unique<Filter>(in.mesh);
        state.ResumeTiming();
        if constexpr (std::is_same_v<Filter, MeanShift>)
            filter->evaluate(radius, CallKind::Run, FilterMode(mode));
        else
            filter->evaluate(radius, 1, mode);
        regions = filter->regions.size();
        benchmark::DoNotOptimize(in.mesh.faces.data());
    }
    state.counters["faces"] = in.mesh.nf;
    if (mode != 2) state.counters["regions"] = double(regions);
}

const char* mode_names[] = {"MeanShift", "SphereJump", "Median"};

bool registered = [] {
    set_console_stream(std::fopen("/dev/null", "w"));
    struct Case {
        const char* name;
        std::vector<int> modes;
        std::vector<float> values;
    };
    for (const Case& c : {Case{"fandisk.obj", {0, 1, 2}, {5, 20}},
                          Case{"ogre.obj", {0, 1, 2}, {5, 20}}, Case{"dragon.obj", {0}, {5}}}) {
        std::string path = bench::find_mesh(c.name);
        if (path.empty()) continue;
        std::string stem = std::string(c.name).substr(0, std::string(c.name).find('.'));
        for (int mode : c.modes)
            for (float value : c.values) {
                std::string name = std::string("BM_") + mode_names[mode] + "/" + stem + "/" +
                                   std::to_string(int(value));
                benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& s) {
                    run_filter<MeanShift>(s, path, mode, value);
                })->Unit(benchmark::kMillisecond);
                benchmark::RegisterBenchmark((name + "/reference").c_str(),
                                             [=](benchmark::State& s) {
                                                 run_filter<ReferenceMeanShift>(s, path, mode,
                                                                                value);
                                             })
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1);
            }
    }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
