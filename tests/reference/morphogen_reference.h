// Vertex colours from morphogens as first written, step by step: every value's colour
// converted where it is used and the mixing mode asked for each value. Kept to check the
// recolouring against (tests) and to measure it by (benchmarks).
#pragma once

#include "core/colour.h"
#include "core/mesh.h"

#include <vector>

inline void colour_by_morphogens_literal(Mesh& m, int mixmode, const std::vector<int>& states,
                                         const std::vector<Rgb>& colours, const Rgb& base) {
    for (int e = 0; e < m.nv; ++e) {
        m.colours[e] = Vector(float(base.r) / 255, float(base.g) / 255, float(base.b) / 255, 1);
        Vector sum(0, 0, 0, 0);
        int count = 1;
        if (size_t(e) < m.morphogens.size()) {
            for (size_t i = 0; i < m.morphogens[e].size(); ++i) {
                if (i >= states.size() || i >= colours.size()) break;
                float v = m.morphogens[e][i];
                if (states[i] != 1 || !(v > 0)) continue;
                Vector c(float(colours[i].r) / 255, float(colours[i].g) / 255,
                         float(colours[i].b) / 255, 1);
                if (mixmode == 0)
                    sum = sum + c * v;
                else
                    sum = sum - (Vector(1, 1, 1, 1) - c * v);
                count = count + 1;
            }
        }
        sum.x /= float(count);
        sum.y /= float(count);
        sum.z /= float(count);
        m.colours[e] += sum;
    }
}
