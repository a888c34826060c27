#include "tools/morphogen_colours.h"

#include <algorithm>
#include <vector>

namespace {

template <MixMode mode>
void colour_vertices(Mesh& mesh, const std::vector<Vector>& entry_colours,
                     const std::vector<char>& on, const Vector& base) {
    const Vector white(1); // (1, 1, 1, 1)
    const size_t n = on.size();
    const int nv = int(std::min(size_t(std::max(mesh.nv, 0)), mesh.colours.size()));
    const int rows = int(std::min(mesh.morphogens.size(), size_t(nv)));
    for (int e = 0; e < nv; ++e) {
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
        mesh.colours[e] = colour;
    }
}

} // namespace

void colour_by_morphogens(Mesh& mesh, MixMode mode, std::span<const int> tooglestates,
                          std::span<const Rgb> colours, const Rgb& base) {
    // Each entry's colour and state once, not once per vertex.
    const size_t n = std::min(tooglestates.size(), colours.size());
    std::vector<Vector> entry_colours(n);
    std::vector<char> on(n);
    for (size_t i = 0; i < n; ++i) {
        entry_colours[i] = colour_vector(colours[i]);
        on[i] = tooglestates[i] == 1;
    }
    if (mode == MixMode::Additive)
        colour_vertices<MixMode::Additive>(mesh, entry_colours, on, colour_vector(base));
    else
        colour_vertices<MixMode::Subtractive>(mesh, entry_colours, on, colour_vector(base));
}
