// Terrain: the Terrain page's "Apply" on the largest grid (512 x 512 points, 522,242
// faces): generation with its builds, then the recolouring by height. Baseline in the
// same run: the numbering as first written (an ordered set of emitted points) with the
// same builds, and the colour map searched linearly.
#include "bench/bench_files.h"
#include "core/vostrel.h"
#include "qtshared/image_files.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"
#include "tests/reference/terrain_reference.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>

namespace {

const TerrainSettings largest{512, 256, 64};

struct Inputs {
    RgbImage heightmap;
    ColourMap map;
    Inputs() {
        heightmap =
            rgb_image(load_heightmap_image(VOSTREL_DATA "/heightmaps/puget_sound_crop_256_u8.png"));
        if (heightmap.width == 0) throw std::runtime_error("no heightmap");
        if (!load_colour_map(VOSTREL_DATA "/colourmaps/hypsometric.map", map))
            throw std::runtime_error("no colour map");
    }
};

const Inputs& inputs() {
    static Inputs in;
    return in;
}

using bench::Quiet;

void BM_TerrainApply(benchmark::State& state) {
    const Inputs& in = inputs();
    Quiet quiet;
    std::vector<Vector> colours = colour_vectors(in.map.colours);
    for (auto _ : state) {
        Mesh mesh;
        generate_terrain(mesh, in.heightmap, largest);
        colour_by_height(mesh, colours, in.map.values);
        benchmark::DoNotOptimize(mesh.colours.data());
    }
    state.counters["faces"] = 2.0 * 511 * 511;
}

void BM_TerrainApplyReference(benchmark::State& state) {
    const Inputs& in = inputs();
    Quiet quiet;
    std::vector<Vector> colours = colour_vectors(in.map.colours);
    for (auto _ : state) {
        Mesh mesh = reference_terrain(in.heightmap, largest.grid_resolution, largest.grid_scale,
                                      largest.height_scale);
        mesh.link_faces();
        mesh.build({MESH_CENTRE, MESH_FACE_NORMALS, MESH_VERTEX_NORMALS, MESH_TEXCOORDS});
        colour_by_height_linear(mesh, colours, in.map.values);
        benchmark::DoNotOptimize(mesh.colours.data());
    }
    state.counters["faces"] = 2.0 * 511 * 511;
}

} // namespace

BENCHMARK(BM_TerrainApply)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TerrainApplyReference)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
