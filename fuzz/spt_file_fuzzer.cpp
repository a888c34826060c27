// The .spt reader over any bytes, for meshes of 1 to 32 faces (a strip; the first byte
// chooses). With bit 5 of that byte set the rest is the file as it comes, so most sizes
// are wrong and must be refused without a change; otherwise the rest is repeated or cut
// to the size the mesh's table has, is read whole, and a classification and a
// re-clustering run over whatever it holds (NaN, infinities, negative distances) and
// stay within the mesh.
#include "fuzz/fuzz_common.h"
#include "segmentation/mesh_classifier.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

Mesh strip(int faces) {
    std::string obj;
    for (int v = 0; v < faces + 2; ++v)
        obj += "v " + std::to_string(v) + " " + std::to_string(v % 2) + " " +
               std::to_string(v % 3) + "\n";
    for (int f = 0; f < faces; ++f)
        obj += "f " + std::to_string(f + 1) + " " + std::to_string(f + 2) + " " +
               std::to_string(f + 3) + "\n";
    Mesh m;
    if (!m.load_obj_text(obj, "strip.obj")) std::abort();
    build_loaded_mesh(m);
    m.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
    return m;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    if (size < 2) return 0;
    const int faces = 1 + (data[0] & 31);
    const bool as_it_comes = data[0] & 32;
    const int patches = data[1];
    Mesh mesh = strip(faces);
    std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    const size_t wanted = size_t(4 * ShortestPathTable::entry_count_for(faces));
    if (!as_it_comes) {
        if (bytes.empty()) bytes = std::string(4, '\0');
        std::string whole;
        while (whole.size() < wanted) whole += bytes;
        bytes = whole.substr(0, wanted);
    }
    static const std::string path = "/tmp/spt_fuzzer_" + std::to_string(getpid()) + ".spt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);

    Mesh_Classifier c;
    c.attach(mesh);
    IoResult loaded = c.load(path);
    if (bool(loaded) != (bytes.size() == wanted)) std::abort();
    if (!loaded) {
        if (c.rebuild_flag != 1 || c.table.n != 0) std::abort();
        return 0;
    }
    if (c.rebuild_flag != 0 || c.table.n != faces) std::abort();
    if (!c.classify()) std::abort();
    auto check = [&] {
        for (int r : c.representatives)
            if (r < 0 || r >= faces) std::abort();
        // Up to every representative may become a patch (50 candidates and the first).
        if (c.patch_count < 0 || c.patch_count > int(c.representatives.size())) std::abort();
        for (const auto& m : c.memberships)
            if (int(m.size()) != faces) std::abort();
    };
    check();
    c.recluster(patches % 53);
    check();
    c.select_patch(patches % 7);
    c.set_patch_threshold(patches);
    return 0;
}
