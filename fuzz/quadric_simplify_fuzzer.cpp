// Quadric simplification on fuzzed small meshes. The first two bytes choose the level of
// detail and the error limit; the rest is read as OBJ text, or, when that gives no face,
// as a binary mesh (see binary_mesh), so that NaN, infinite and coincident positions,
// degenerate and repeated faces all come up. The result must keep its arrays and links
// consistent with every face corner in range, hold no more faces than the source, and
// hold only source vertices, in their order, with their colours and morphogen rows.
#include "fuzz/fuzz_common.h"
#include "tools/quadric_simplify.h"
#include "tools/simplify.h"

#include <bit>
#include <cmath>
#include <string_view>

namespace {

bool same_bits(const Vector& a, const Vector& b) {
    return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
           std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
           std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z) &&
           std::bit_cast<uint32_t>(a.w) == std::bit_cast<uint32_t>(b.w);
}

bool same_rows(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::bit_cast<uint32_t>(a[i]) != std::bit_cast<uint32_t>(b[i])) return false;
    return true;
}

// Every vertex of `result` is a later vertex of `source` than the one before it, with
// the same position, colour and row.
void check_survivors(const Mesh& result, const Mesh& source, bool rows) {
    int was = 0;
    for (int v = 0; v < result.nv; ++v, ++was) {
        while (was < source.nv &&
               !(same_bits(result.vertices[v], source.vertices[was]) &&
                 same_bits(result.colours[v], source.colours[was]) &&
                 (!rows || same_rows(result.morphogens[v], source.morphogens[was]))))
            ++was;
        if (was == source.nv) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    Bytes in(data, size);
    float lod = float(in.next()) * (100.0f / 255);
    // Limits from 0 to 1 of the extent, and one without an end.
    uint8_t limit = in.next();
    float max_error = limit == 255 ? HUGE_VALF : float(limit) / 254;

    Mesh source;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text.remove_prefix(std::min<size_t>(2, size));
    if (!source.load_obj_text(text, "fuzz.obj") || source.nf == 0) {
        source = Mesh();
        binary_mesh(source, in);
    }

    QuadricSimplification q = quadric_simplified(source, lod / 100, max_error);
    if (q.target_vertices != simplification_target(source.nv, lod / 100)) std::abort();
    if (q.unchanged) {
        if (q.target_vertices != source.nv || q.mesh.nv != 0) std::abort();
        return 0;
    }
    const bool rows = int(source.morphogens.size()) == source.nv;
    check_links(q.mesh, rows);
    if (q.mesh.nf > source.nf || q.mesh.nv > source.nv) std::abort();
    check_survivors(q.mesh, source, rows);
    if (!(q.error >= 0)) std::abort();
    return 0;
}
