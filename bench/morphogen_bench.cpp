// Morphogen colouring: the view's recolouring after a change on the morphogen page, on
// the largest bundled sample and on a million vertex-values (250,000 vertices with four
// morphogens), every morphogen switched on, in both mixing modes. Baseline in the same
// run: the step-by-step version (each value's colour converted where it is used, the
// mode asked for each value).
#include "core/vostrel.h"
#include "tests/reference/morphogen_reference.h"
#include "tools/morphogen_colours.h"
#include "tools/morphogen_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <stdexcept>

namespace {

struct Input {
    Mesh mesh;
    MorphogenSetting setting;
    double values = 0;

    void switch_all_on() {
        set_morphogen_names(setting, setting.names);
        setting.tooglestates.assign(setting.names.size(), 1);
        for (size_t i = 0; i < setting.colours.size(); ++i)
            setting.colours[i] = {int(60 * i) % 256, 255 - int(50 * i) % 256, 128};
        setting.defaultcolour = {40, 40, 40};
        for (const auto& row : mesh.morphogens) values += double(row.size());
    }
};

// The bundled sample with the most vertex-values.
const Input& sample() {
    static Input in = [] {
        Input best;
        std::FILE* null = std::fopen("/dev/null", "w");
        set_console_stream(null);
        for (const char* name : {"spot_morphogens", "plane_morphogens"}) {
            Input candidate;
            std::string path = std::string(VOSTREL_DATA "/morphogens/") + name + ".obj";
            if (!load_mesh_file(candidate.mesh, path))
                throw std::runtime_error("cannot load " + path);
            candidate.setting.names = candidate.mesh.morphogen_names;
            candidate.switch_all_on();
            if (candidate.values > best.values) best = std::move(candidate);
        }
        set_console_stream(nullptr);
        std::fclose(null);
        return best;
    }();
    return in;
}

const Input& million() {
    static Input in = [] {
        Input made;
        const int nv = 250000;
        made.mesh.alloc_vertices(nv);
        std::mt19937 rng(14);
        std::uniform_real_distribution<float> value(-0.5f, 1.5f);
        made.mesh.morphogens.assign(nv, std::vector<float>(4));
        for (auto& row : made.mesh.morphogens)
            for (float& v : row) v = value(rng);
        made.setting.names = {"a", "b", "c", "d"};
        made.switch_all_on();
        return made;
    }();
    return in;
}

void run(benchmark::State& state, const Input& in, bool literal) {
    Mesh mesh = in.mesh.clone();
    mesh.morphogens = in.mesh.morphogens;
    MorphogenSetting s = in.setting;
    s.mixmode = int(state.range(0));
    for (auto _ : state) {
        if (literal)
            colour_by_morphogens_literal(mesh, s.mixmode, s.tooglestates, s.colours,
                                         s.defaultcolour);
        else
            colour_by_morphogens(mesh, s);
        benchmark::DoNotOptimize(mesh.colours.data());
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = mesh.nv;
    state.counters["values"] = in.values;
}

void BM_MorphogenSample(benchmark::State& state) {
    run(state, sample(), false);
}
void BM_MorphogenSampleReference(benchmark::State& state) {
    run(state, sample(), true);
}
void BM_MorphogenMillion(benchmark::State& state) {
    run(state, million(), false);
}
void BM_MorphogenMillionReference(benchmark::State& state) {
    run(state, million(), true);
}

} // namespace

// Argument: the mixing mode (0 additive, 1 subtractive).
BENCHMARK(BM_MorphogenSample)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MorphogenSampleReference)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MorphogenMillion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MorphogenMillionReference)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
