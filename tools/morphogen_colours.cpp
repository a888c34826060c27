#include "tools/morphogen_colours.h"

#include "core/work_blocks.h"

#include <algorithm>
#include <vector>

namespace {

// Colours of vertices 0 .. nv - 1 into `out`, from the mesh's rows only.
template <MixMode mode>
void colour_vertices(const Mesh& mesh, const std::vector<Vector>& entry_colours,
                     const std::vector<char>& on, const Vector& base, int nv, Vector* out,
                     Work* work) {
    const Vector white(1); // (1, 1, 1, 1)
    const size_t n = on.size();
    const int rows = int(std::min(mesh.morphogens.size(), size_t(nv)));
    in_blocks(work, nv, 14, [&](int e) {
        Vector sum(0); // (0, 0, 0, 0)
        int count = 1;
        if (e < rows) {
            const std::vector<float>& row = mesh.morphogens[e];
            const size_t m = std::min(row.size(), n);
            for (size_t i = 0; i < m; ++i) {
                const float v = row[i];
                if (!on[i] || !(v > 0)) continue;
                if constexpr (mode == MixMode::Additive)
                    sum = sum + entry_colours[i] * v;
                else
                    sum = sum - (white - entry_colours[i] * v);
                ++count;
            }
        }
        sum /= float(count); // x, y and z only
        Vector colour = base;
        colour += sum;
        out[e] = colour;
    });
}

void colour_into(const Mesh& mesh, MixMode mode, std::span<const int> tooglestates,
                 std::span<const Rgb> colours, const Rgb& base, int nv, Vector* out, Work* work) {
    // Each entry's colour and state once, not once per vertex.
    const size_t n = std::min(tooglestates.size(), colours.size());
    std::vector<Vector> entry_colours(n);
    std::vector<char> on(n);
    for (size_t i = 0; i < n; ++i) {
        entry_colours[i] = colour_vector(colours[i]);
        on[i] = tooglestates[i] == 1;
    }
    if (mode == MixMode::Additive)
        colour_vertices<MixMode::Additive>(mesh, entry_colours, on, colour_vector(base), nv, out,
                                           work);
    else
        colour_vertices<MixMode::Subtractive>(mesh, entry_colours, on, colour_vector(base), nv, out,
                                              work);
}

} // namespace

void colour_by_morphogens(Mesh& mesh, MixMode mode, std::span<const int> tooglestates,
                          std::span<const Rgb> colours, const Rgb& base) {
    const int count = int(std::min(size_t(std::max(mesh.nv, 0)), mesh.colours.size()));
    colour_into(mesh, mode, tooglestates, colours, base, count, mesh.colours.data(), nullptr);
}

void morphogen_colours(const Mesh& mesh, MixMode mode, std::span<const int> tooglestates,
                       std::span<const Rgb> colours, const Rgb& base, std::vector<Vector>& out,
                       Work* work) {
    Stage whole(work, 0, 1);
    std::vector<Vector> coloured(size_t(std::max(mesh.nv, 0)));
    colour_into(mesh, mode, tooglestates, colours, base, int(coloured.size()), coloured.data(),
                work);
    out = std::move(coloured);
}
