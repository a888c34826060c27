// Opening the generated torus of a million triangles as the viewer opens it
// (load_mesh_file: the read and every build) from OBJ, binary PLY and binary STL, the
// three files written once by our writers from the same mesh (without colours, which STL
// cannot hold); and saving that mesh in each format written (save_mesh_file, with the
// colours where the format keeps them), for what the writers cost beside the readers.
//
//   scene_file_bench --benchmark_repetitions=4 --benchmark_enable_random_interleaving=true
//
// Interleaved repetitions see the same drift of a shared machine. Counters: the file's
// size (file_MB), the mesh's arrays once open (mesh_MB), and the most the heap held
// beyond what it held before, while the open or save ran (peak_MB): every allocation of
// the program is counted, Assimp's and those of the child process it reads in included. An open
// that the loader cannot do yet (an extension it does not take) is reported as an error of its
// case.
#include "bench/bench_files.h"
#include "bench/heap_count.h"
#include "core/mesh_file.h"
#include "core/scene_writer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

const Mesh& torus() {
    static Mesh mesh = [] {
        bench::Quiet quiet;
        Mesh m;
        if (IoResult r = load_mesh_file(m, bench::torus_obj()); !r)
            throw std::runtime_error(r.error);
        return m;
    }();
    return mesh;
}

// A file in the temporary folder, removed at exit.
class TempFile {
  public:
    explicit TempFile(const std::string& name)
        : path((std::filesystem::temp_directory_path() /
                ("vostrel_bench_" + std::to_string(::getpid()) + "_" + name))
                   .string()) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    const std::string path;
};

// The torus as `extension` (".ply"), written on first use.
const std::string& torus_file(const std::string& extension) {
    static TempFile obj("torus.obj"), ply("torus.ply"), stl("torus.stl");
    const TempFile& file = extension == ".obj" ? obj : extension == ".ply" ? ply : stl;
    if (!std::filesystem::exists(file.path)) {
        bench::Quiet quiet;
        if (IoResult r = save_mesh_file(torus(), file.path, false); !r)
            throw std::runtime_error(r.error);
    }
    return file.path;
}

void BM_Open(benchmark::State& state, const std::string& extension) {
    const std::string& path = torus_file(extension);
    bench::Quiet quiet;
    double mesh_mb = 0, peak_mb = 0;
    for (auto _ : state) {
        size_t before = bench::reset_peak();
        Mesh mesh;
        if (IoResult r = load_mesh_file(mesh, path); !r) {
            state.SkipWithError(r.error.c_str());
            return;
        }
        benchmark::DoNotOptimize(mesh.faces.data());
        mesh_mb = double(mesh.memory_bytes()) / 1e6;
        peak_mb = double(bench::heap().peak - before) / 1e6;
    }
    state.counters["file_MB"] = double(bench::file_size(path)) / 1e6;
    state.counters["mesh_MB"] = mesh_mb;
    state.counters["peak_MB"] = peak_mb;
}

void BM_Save(benchmark::State& state, SaveFormat format) {
    const Mesh& mesh = torus();
    TempFile file(std::string("saved") + format_info(format).extension);
    bench::Quiet quiet;
    double peak_mb = 0;
    for (auto _ : state) {
        size_t before = bench::reset_peak();
        if (IoResult r = save_mesh_file(mesh, file.path, format, format_info(format).colours); !r) {
            state.SkipWithError(r.error.c_str());
            return;
        }
        peak_mb = double(bench::heap().peak - before) / 1e6;
    }
    state.counters["file_MB"] = double(bench::file_size(file.path)) / 1e6;
    state.counters["peak_MB"] = peak_mb;
}

const bool registered = [] {
    bench::fix_malloc_thresholds();
    for (const char* extension : {".obj", ".ply", ".stl"})
        benchmark::RegisterBenchmark((std::string("BM_Open/") + (extension + 1)).c_str(), BM_Open,
                                     std::string(extension))
            ->Unit(benchmark::kMillisecond);
    for (const SaveFormatInfo& f : save_formats())
        benchmark::RegisterBenchmark((std::string("BM_Save/") + (f.extension + 1)).c_str(), BM_Save,
                                     f.format)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
