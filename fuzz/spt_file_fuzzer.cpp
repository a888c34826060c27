// The .spt reader over any bytes, for meshes of 1 to 32 faces (a strip; the first byte
// chooses). With bit 5 of that byte set the rest is the file as it comes, so most sizes
// are wrong and must be refused without a change; otherwise the rest is repeated or cut
// to the size the mesh's table has (with bit 6 set, each value made a finite number of
// either sign). A file is taken exactly when it has the table's size and every pair's
// value is a distance (finite, not below 0); the table it gives holds only distances,
// is written as it is, and a classification and a re-clustering run over it and stay
// within the mesh.
#include "core/text_file.h"
#include "fuzz/fuzz_common.h"
#include "segmentation/mesh_classifier.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

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

// Whether every pair's value of the file (the spare ones are no pair's) is a distance.
bool holds_distances(const std::string& bytes, int faces) {
    const size_t pairs = size_t(faces) * size_t(faces + 1) / 2;
    for (size_t i = 0; i < pairs && 4 * i + 4 <= bytes.size(); ++i) {
        float d;
        std::memcpy(&d, bytes.data() + 4 * i, 4); // little-endian, as the fuzzer runs
        if (!std::isfinite(d) || d < 0) return false;
    }
    return true;
}

// Every value of the table is a distance; the spare ones are 0.
void check_distances(const float* values, std::int64_t count, int faces) {
    const std::int64_t pairs = std::int64_t(faces) * (faces + 1) / 2;
    for (std::int64_t i = 0; i < count; ++i)
        if (!std::isfinite(values[i]) || values[i] < 0 || (i >= pairs && values[i] != 0))
            std::abort();
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
        if (data[0] & 64)
            for (size_t i = 0; i + 3 < bytes.size(); i += 4)
                if ((bytes[i + 3] & 0x7F) == 0x7F) bytes[i + 2] &= 0x7F; // exponent below all ones
    }
    static const std::string path = "/tmp/spt_fuzzer_" + std::to_string(getpid()) + ".spt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);

    Mesh_Classifier c;
    c.attach(mesh);
    IoResult loaded = c.load(path);
    if (bool(loaded) != (bytes.size() == wanted && holds_distances(bytes, faces))) std::abort();
    if (!loaded) {
        if (c.rebuild_flag != 1 || c.table.n != 0) std::abort();
        return 0;
    }
    if (c.rebuild_flag != 0 || c.table.n != faces) std::abort();
    check_distances(c.table.data(), c.table.entry_count, faces);
    static const std::string again = path + ".again";
    if (!c.save(again)) std::abort();
    std::string written;
    if (!read_file(again, written) || written.size() != wanted) std::abort();
    std::vector<float> values(wanted / 4);
    std::memcpy(values.data(), written.data(), wanted);
    check_distances(values.data(), std::int64_t(values.size()), faces);
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
