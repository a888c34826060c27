// Input files for the benchmarks: a generated torus of a million triangles, written
// once per run to a temporary file, and the real meshes of the shared data folder
// when they are there.
#pragma once

#include "core/console.h"
#include "tests/real_meshes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace bench {

// The core's progress lines go nowhere while it lives.
struct Quiet {
    std::FILE* null = std::fopen("/dev/null", "w");
    Quiet() { set_console_stream(null); }
    ~Quiet() {
        set_console_stream(nullptr);
        std::fclose(null);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
};

// Six significant digits in plain decimal: the reader's numbers have no exponent.
inline int format_coordinate(char* out, size_t size, double v) {
    if (std::fabs(v) < 1e-9) v = 0; // sin and cos leave crumbs such as 6e-17
    if (v == 0) return std::snprintf(out, size, "0");
    // The exponent of the value rounded to six digits, so 0.9999996 gives "1.00000".
    char rounded[32];
    std::snprintf(rounded, sizeof rounded, "%.5e", v);
    int exponent = std::atoi(std::strchr(rounded, 'e') + 1);
    return std::snprintf(out, size, "%.*f", std::max(0, 5 - exponent), v);
}

// A closed torus of rings * segments vertices and twice as many triangles, each
// quad of the grid split along the same diagonal, corners counter-clockwise seen
// from outside.
inline void write_torus_obj(const std::string& path, int rings, int segments) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) throw std::runtime_error("cannot write " + path);
    static char buffer[1 << 20];
    std::setvbuf(f.get(), buffer, _IOFBF, sizeof buffer);

    const double major = 1.0, minor = 0.35, two_pi = 6.283185307179586;
    char x[32], y[32], z[32];
    for (int i = 0; i < rings; ++i) {
        double u = two_pi * i / rings;
        for (int j = 0; j < segments; ++j) {
            double v = two_pi * j / segments;
            double r = major + minor * std::cos(v);
            format_coordinate(x, sizeof x, r * std::cos(u));
            format_coordinate(y, sizeof y, r * std::sin(u));
            format_coordinate(z, sizeof z, minor * std::sin(v));
            std::fprintf(f.get(), "v %s %s %s\n", x, y, z);
        }
    }
    auto index = [&](int i, int j) { return (i % rings) * segments + (j % segments) + 1; };
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            int a = index(i, j), b = index(i + 1, j), c = index(i + 1, j + 1), d = index(i, j + 1);
            std::fprintf(f.get(), "f %d %d %d\nf %d %d %d\n", a, b, c, a, c, d);
        }
    }
    if (std::ferror(f.get())) throw std::runtime_error("cannot write " + path);
}

// The generated torus: 500,000 vertices and 1,000,000 triangles, written on first
// use (listing the benchmarks costs nothing) and removed at exit.
class TorusFile {
  public:
    TorusFile() = default;
    TorusFile(const TorusFile&) = delete;
    TorusFile& operator=(const TorusFile&) = delete;
    ~TorusFile() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove(path, ignored);
    }

    const std::string& get() {
        if (path.empty()) {
            // The name must end in ".obj": the loader picks its reader by extension.
            auto file = std::filesystem::temp_directory_path() /
                        ("vostrel_bench_torus_" + std::to_string(::getpid()) + ".obj");
            write_torus_obj(file.string(), 1000, 500);
            path = file.string();
        }
        return path;
    }

  private:
    std::string path;
};

inline const std::string& torus_obj() {
    static TorusFile file;
    return file.get();
}

// glibc raises its mmap and trim thresholds as large blocks are freed, so a case
// would run faster or slower according to the cases run before it in the same
// process. Fixed thresholds make every iteration take fresh memory from the system
// and give it back, as a first load in a new process does. GLIBC_TUNABLES, when
// set, is left to decide.
inline void fix_malloc_thresholds() {
#if defined(__GLIBC__)
    if (std::getenv("GLIBC_TUNABLES")) return;
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
#endif
}

// A real mesh, from the repository's test meshes or the shared data folder, or "" when
// neither has it (the benchmark then says so on standard error).
inline std::string find_mesh(const char* name) {
    std::string path = real_mesh(name);
    if (path.empty()) std::fprintf(stderr, "skipped: %s\n", missing_mesh(name).c_str());
    return path;
}

inline size_t file_size(const std::string& path) {
    return std::filesystem::file_size(path);
}

// Quiets the core's progress lines, sets the heap up as a fresh process has it, and
// registers the benchmarks of every input file: the generated torus and, where the
// shared data is there, ogre.obj. `register_file(name, path_source)`.
template <typename Register>
bool register_files(Register register_file) {
    set_console_stream(std::fopen("/dev/null", "w"));
    fix_malloc_thresholds();
    register_file("torus_1M", [] { return torus_obj(); });
    if (std::string ogre = find_mesh("ogre.obj"); !ogre.empty())
        register_file("ogre", [ogre] { return ogre; });
    return true;
}

} // namespace bench
