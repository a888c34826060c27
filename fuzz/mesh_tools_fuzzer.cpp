// Simplification and subdivision on fuzzed small meshes. The first three bytes choose
// the level of detail, the subdivision levels and the weight slider; the rest is read
// as OBJ text, or, when that gives no face, as a binary mesh (vertex and face counts,
// coordinates as raw floats or small whole numbers, corners), so that NaN, infinite
// and coincident positions and degenerate faces all come up. Each tool must leave
// every face corner in range, and on meshes small enough for the plain versions give
// exactly their result.
#include "fuzz/fuzz_common.h"
#include "tests/reference/simplify_reference.h"
#include "tests/reference/subdivide_reference.h"
#include "tools/simplify.h"
#include "tools/subdivide.h"

#include <cmath>
#include <string_view>

namespace {

// The same float to the bit; any two NaNs count as the same, since which operand's
// payload a NaN result carries is the compiler's choice.
bool same_float(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

bool same_vector(const Vector& a, const Vector& b) {
    return same_float(a.x, b.x) && same_float(a.y, b.y) && same_float(a.z, b.z) &&
           same_float(a.w, b.w);
}

void check_same(const Mesh& a, const Mesh& b) {
    if (a.nv != b.nv || a.nf != b.nf) std::abort();
    for (int v = 0; v < a.nv; ++v)
        if (!same_vector(a.vertices[v], b.vertices[v]) || !same_vector(a.colours[v], b.colours[v]))
            std::abort();
    if (a.morphogens.size() != b.morphogens.size()) std::abort();
    for (size_t v = 0; v < a.morphogens.size(); ++v) {
        const auto &ra = a.morphogens[v], &rb = b.morphogens[v];
        if (ra.size() != rb.size()) std::abort();
        for (size_t i = 0; i < ra.size(); ++i)
            if (!same_float(ra[i], rb[i])) std::abort();
    }
    for (int i = 0; i < a.nf; ++i)
        for (int k = 0; k < 3; ++k)
            if (a.faces[i].vindex[k] != b.faces[i].vindex[k]) std::abort();
}

Mesh copy_of(const Mesh& m) {
    Mesh c = m.clone();
    c.morphogens = m.morphogens;
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    Bytes in(data, size);
    float lod = float(in.next()) * (100.0f / 255);
    int levels = 1 + in.next() % 3;
    float weight = subdivision_weight(in.next() % 101);

    Mesh source;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    text.remove_prefix(std::min<size_t>(3, size));
    if (!source.load_obj_text(text, "fuzz.obj") || source.nf == 0) {
        source = Mesh();
        binary_mesh(source, in);
    }

    Mesh simplified = copy_of(source);
    simplify_lod(simplified, lod);
    bool rows = int(source.morphogens.size()) == source.nv;
    check_links(simplified, rows);
    if (simplified.nv != simplification_target(source.nv, lod / 100)) std::abort();
    if (source.nv <= 300) {
        Mesh plain = copy_of(source);
        reference::literal_simplify(plain, lod / 100);
        check_same(simplified, plain);
    }

    // Results past 20,000 faces take too long for a fuzzer's input.
    while (levels > 0 && int64_t(source.nf) << (2 * levels) > 20000) --levels;
    if (levels == 0 || !subdivision_refusal(source, levels).empty()) return 0;
    Mesh refined = copy_of(source);
    if (subdivide_levels(refined, levels, weight).outcome != SubdivisionOutcome::Subdivided)
        std::abort();
    check_links(refined, rows);
    if (source.nf <= 200) {
        Mesh plain = reference::literal_subdivide(source, levels, weight);
        check_same(refined, plain);
    }
    return 0;
}
