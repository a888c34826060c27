// Helpers shared by the core tests.
#pragma once

#include "core/console.h"
#include "core/mesh.h"
#include "real_meshes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The path of a file of the project's bundled data.
inline std::string bundled_data(const std::string& name) {
    return std::string(VOSTREL_DATA) + "/" + name;
}

// The literal versions the tests compare the fast ones with are quadratic or worse, and
// many times slower again under the sanitisers: there they are compared on meshes up to
// this many faces, and larger meshes go through the fast versions alone.
#if defined(VOSTREL_SANITIZED)
constexpr int literal_face_limit = 6000;
#else
constexpr int literal_face_limit = 1 << 30;
#endif

// Every face of `m` has three corners among its vertices.
inline testing::AssertionResult faces_in_range(const Mesh& m) {
    for (int i = 0; i < m.nf; ++i)
        for (int k = 0; k < 3; ++k)
            if (m.faces[i].vindex[k] < 0 || m.faces[i].vindex[k] >= m.nv)
                return testing::AssertionFailure() << "face " << i << " corner " << k;
    return testing::AssertionSuccess();
}

// A test name made of a mesh's file name.
inline std::string test_name_of(const testing::TestParamInfo<std::string>& info) {
    std::string name = std::filesystem::path(info.param).stem().string();
    for (char& c : name)
        if (!std::isalnum((unsigned char)c)) c = '_';
    return name;
}

// Collects what the core prints on its console while alive.
class ConsoleCapture {
  public:
    ConsoleCapture() : file(std::tmpfile()) { set_console_stream(file); }
    ~ConsoleCapture() {
        set_console_stream(nullptr);
        std::fclose(file);
    }
    std::string text() {
        std::fflush(file);
        std::string s;
        std::rewind(file);
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) s.append(buf, n);
        return s;
    }

  private:
    std::FILE* file;
};

// A folder of its own for a test's files, removed afterwards.
class TempDir {
  public:
    TempDir() {
        char name[] = "/tmp/vostrel-test-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

// Loads OBJ text with the console silenced.
inline IoResult load_obj_string(Mesh& m, const std::string& text) {
    ConsoleCapture quiet;
    return m.load_obj_text(text, "test.obj");
}
inline IoResult load_net_string(Mesh& m, const std::string& text) {
    ConsoleCapture quiet;
    return m.load_net_text(text, "test.net");
}
