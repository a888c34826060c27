// Real meshes for the tests and benchmarks: those whose licence lets the project carry
// them are in tests/data/meshes, the others are read from the shared data folder beside
// the clone when it is there.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// The path of real mesh `name` (a file name), from the repository first, else from the
// shared folder; "" when neither has it.
inline std::string real_mesh(const std::string& name) {
    for (const char* folder : {VOSTREL_TEST_MESHES, VOSTREL_SHARED_DATA "/meshes"}) {
        std::filesystem::path path = std::filesystem::path(folder) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) return path.string();
    }
    return {};
}

// What a test or benchmark says when it skips for want of `name`.
inline std::string missing_mesh(const std::string& name) {
    return "needs ../shared/data/meshes/" + name + ", not beside this clone";
}

// The file names of the OBJ meshes in either folder, sorted, each once.
inline std::vector<std::string> real_mesh_names() {
    std::vector<std::string> names;
    for (const char* folder : {VOSTREL_TEST_MESHES, VOSTREL_SHARED_DATA "/meshes"}) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            if (entry.path().extension() == ".obj")
                names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
