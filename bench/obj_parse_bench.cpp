// OBJ parsing, our reader against tinyobjloader (default settings: triangulation
// and vertex colours on) and fast_obj on the same files in the same run. The "file" pairs read
// from disk as a loader would; the "text" pairs parse text already in memory, which
// leaves out the file reading, and the "read_file" pair times that reading alone. Our
// reader parses a large text in two parts on two threads; "vostrel_one_part" is the same
// text parsed in one, the baseline of that.
#include "bench/bench_files.h"
#include "bench/fast_obj/fast_obj.h"
#include "core/obj_parts.h"
#include "core/vostrel.h"

#include <benchmark/benchmark.h>
#include <tiny_obj_loader.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

using PathSource = std::function<std::string()>;

std::string read_text(const std::string& path) {
    std::string text;
    if (!read_file(path, text)) throw std::runtime_error("cannot read " + path);
    return text;
}

void report(benchmark::State& state, size_t bytes, size_t vertices, size_t faces) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["vertices"] = double(vertices);
    state.counters["faces"] = double(faces);
}

size_t tinyobj_faces(const tinyobj::ObjReader& reader) {
    size_t n = 0;
    for (const tinyobj::shape_t& shape : reader.GetShapes())
        n += shape.mesh.num_face_vertices.size();
    return n;
}

// A fresh mesh or reader each iteration, so both sides pay for their allocations
// and their frees alike.
void vostrel_file(benchmark::State& state, const PathSource& source) {
    std::string path = source();
    size_t nv = 0, nf = 0;
    for (auto _ : state) {
        Mesh mesh;
        if (IoResult r = mesh.load_obj(path); !r) {
            state.SkipWithError(r.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(mesh.faces.data());
        nv = mesh.nv;
        nf = mesh.nf;
    }
    report(state, bench::file_size(path), nv, nf);
}

void tinyobj_file(benchmark::State& state, const PathSource& source) {
    std::string path = source();
    size_t nv = 0, nf = 0;
    for (auto _ : state) {
        tinyobj::ObjReader reader;
        if (!reader.ParseFromFile(path)) {
            state.SkipWithError(reader.Error().c_str());
            break;
        }
        benchmark::DoNotOptimize(reader.GetAttrib().vertices.data());
        nv = reader.GetAttrib().vertices.size() / 3;
        nf = tinyobj_faces(reader);
    }
    report(state, bench::file_size(path), nv, nf);
}

// fast_obj reads the file itself (it has no parse from memory).
void fast_obj_file(benchmark::State& state, const PathSource& source) {
    std::string path = source();
    size_t nv = 0, nf = 0;
    for (auto _ : state) {
        fastObjMesh* mesh = fast_obj_read(path.c_str());
        if (!mesh) {
            state.SkipWithError(("fast_obj cannot read " + path).c_str());
            break;
        }
        benchmark::DoNotOptimize(mesh->positions);
        nv = mesh->position_count - 1; // its first position is a dummy
        nf = mesh->face_count;
        fast_obj_destroy(mesh);
    }
    report(state, bench::file_size(path), nv, nf);
}

// Our reader over text in memory, its lines in two parts on two threads from `split`
// on (0: in one part, the baseline of the two).
void vostrel_parts(benchmark::State& state, const PathSource& source, bool two) {
    std::string path = source();
    std::string text = read_text(path);
    size_t nv = 0, nf = 0;
    for (auto _ : state) {
        Mesh mesh;
        if (IoResult r = load_obj_text_in_parts(mesh, text, path, two ? text.size() / 2 : 0); !r) {
            state.SkipWithError(r.error.c_str());
            break;
        }
        benchmark::DoNotOptimize(mesh.faces.data());
        nv = mesh.nv;
        nf = mesh.nf;
    }
    report(state, text.size(), nv, nf);
}

void vostrel_text(benchmark::State& state, const PathSource& source) {
    vostrel_parts(state, source, true);
}

void vostrel_one_part(benchmark::State& state, const PathSource& source) {
    vostrel_parts(state, source, false);
}

void tinyobj_text(benchmark::State& state, const PathSource& source) {
    std::string text = read_text(source());
    size_t nv = 0, nf = 0;
    for (auto _ : state) {
        tinyobj::ObjReader reader;
        if (!reader.ParseFromString(text, "")) {
            state.SkipWithError(reader.Error().c_str());
            break;
        }
        benchmark::DoNotOptimize(reader.GetAttrib().vertices.data());
        nv = reader.GetAttrib().vertices.size() / 3;
        nf = tinyobj_faces(reader);
    }
    report(state, text.size(), nv, nf);
}

// Reading the file whole, as our reader does before parsing, against the least that
// can cost: the size known up front and one read into a string sized once.
void vostrel_read(benchmark::State& state, const PathSource& source) {
    std::string path = source();
    for (auto _ : state) {
        std::string text;
        if (!read_file(path, text)) {
            state.SkipWithError(("cannot read " + path).c_str());
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bench::file_size(path)));
}

void presized_read(benchmark::State& state, const PathSource& source) {
    std::string path = source();
    size_t size = bench::file_size(path);
    for (auto _ : state) {
        std::string text(size, '\0');
        std::FILE* f = std::fopen(path.c_str(), "rb");
        size_t n = f ? std::fread(text.data(), 1, size, f) : 0;
        if (f) std::fclose(f);
        if (n != size) {
            state.SkipWithError(("cannot read " + path).c_str());
            break;
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void register_file(const std::string& name, const PathSource& source) {
    struct Case {
        const char* prefix;
        void (*run)(benchmark::State&, const PathSource&);
    };
    const Case cases[] = {
        {"parse_file/vostrel/", vostrel_file},
        {"parse_file/tinyobjloader/", tinyobj_file},
        {"parse_file/fast_obj/", fast_obj_file},
        {"parse_text/vostrel/", vostrel_text},
        {"parse_text/vostrel_one_part/", vostrel_one_part},
        {"parse_text/tinyobjloader/", tinyobj_text},
        {"read_file/vostrel/", vostrel_read},
        {"read_file/presized/", presized_read},
    };
    for (const Case& c : cases)
        benchmark::RegisterBenchmark((c.prefix + name).c_str(), c.run, source)
            ->Unit(benchmark::kMillisecond);
}

// Registered before main, as the BENCHMARK macros do.
[[maybe_unused]] const bool registered = bench::register_files(register_file);

} // namespace

BENCHMARK_MAIN();
