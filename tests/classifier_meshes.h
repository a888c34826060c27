// Meshes for the classifier's tests: small random ones of every kind of connectivity,
// and real ones loaded as the viewer loads them.
#pragma once

#include "core/mesh_file.h"
#include "test_util.h"

#include <random>
#include <string>

// A mesh from OBJ text, built as a loaded mesh is, console silenced.
inline Mesh mesh_from_obj(const std::string& text) {
    Mesh m;
    ConsoleCapture quiet;
    EXPECT_TRUE(m.load_obj_text(text, "test.obj"));
    build_loaded_mesh(m);
    return m;
}

// A grid of (w + 1) x (h + 1) vertices with random heights, two triangles per cell,
// each cell left out with probability `holes` (so that pieces come apart); heights
// between 0 and `relief`.
inline std::string random_grid_obj(std::mt19937& rng, int w, int h, double holes,
                                   float relief = 1) {
    std::uniform_real_distribution<float> height(0, 1);
    std::bernoulli_distribution hole(holes);
    std::string obj;
    for (int y = 0; y <= h; ++y)
        for (int x = 0; x <= w; ++x)
            obj += "v " + std::to_string(x) + " " + std::to_string(y) + " " +
                   std::to_string(relief * height(rng)) + "\n";
    auto v = [w](int x, int y) { return std::to_string(y * (w + 1) + x + 1); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (hole(rng)) continue;
            obj += "f " + v(x, y) + " " + v(x + 1, y) + " " + v(x + 1, y + 1) + "\n";
            obj += "f " + v(x, y) + " " + v(x + 1, y + 1) + " " + v(x, y + 1) + "\n";
        }
    return obj;
}

// Triangles over a small pool of random vertices: edges shared by several faces, pairs
// of faces sharing two edges, repeated faces and separate pieces all turn up.
inline std::string random_soup_obj(std::mt19937& rng, int vertices, int faces) {
    std::uniform_real_distribution<float> coordinate(-1, 1);
    std::uniform_int_distribution<int> pick(1, vertices);
    std::string obj;
    for (int i = 0; i < vertices; ++i)
        obj += "v " + std::to_string(coordinate(rng)) + " " + std::to_string(coordinate(rng)) +
               " " + std::to_string(coordinate(rng)) + "\n";
    for (int f = 0; f < faces; ++f) {
        int a = pick(rng), b = pick(rng), c = pick(rng);
        while (b == a) b = pick(rng);
        while (c == a || c == b) c = pick(rng);
        obj += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + "\n";
    }
    return obj;
}

// A real test mesh loaded as the viewer loads it (false when it is absent).
inline bool load_real_mesh(Mesh& m, const std::string& name) {
    ConsoleCapture quiet;
    std::string path = real_mesh(name);
    return !path.empty() && load_mesh_file(m, path);
}

// Skips the test when real mesh `name` is absent; else loads it into `m`.
#define LOAD_REAL_MESH_OR_SKIP(m, name)                                                            \
    if (!load_real_mesh(m, name)) GTEST_SKIP() << missing_mesh(name)
