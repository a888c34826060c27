// The formats read through Assimp, from memory: the first byte chooses the format, by
// the byte each one's files start with ("p" for PLY, "{" for glTF, ...) or, for any
// other byte, by its value; the whole input is the file.
#include "core/scene_reader.h"
#include "fuzz/fuzz_common.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

const char* format_of(uint8_t first) {
    switch (first) {
    case 'p':
        return "ply";
    case 's':
        return "stl";
    case 'O':
    case 'C':
    case 'N':
        return "off";
    case '{':
        return "gltf";
    case 'g':
        return "glb";
    case '<':
        return "dae";
    case 'M':
        return "3ds";
    case 'K':
    case ';':
        return "fbx";
    default:
        break;
    }
    static const char* const formats[] = {"ply", "stl", "off", "glb", "gltf", "dae", "3ds", "fbx"};
    return formats[first % 8];
}

} // namespace

// Assimp leaks on some of its own error paths (an STL mesh given up half read); those
// leaks are its, not ours, and would stop every run at once.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libassimp.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    silence_console();
    Mesh m;
    std::string name = std::string("fuzz.") + format_of(data[0]);
    if (read_scene_bytes(m, std::string_view(reinterpret_cast<const char*>(data), size), name)) {
        m.morphogens.resize(m.nv); // no format read through Assimp carries per-vertex values
        check_and_build(m);
    }
    return 0;
}
