// Vertex colours from morphogens: a base colour plus the colours of the morphogens that
// are switched on, each weighted by the vertex's value of it.
#pragma once

#include "core/colour.h"
#include "core/mesh.h"
#include "tools/morphogen_setting.h"

#include <span>
#include <vector>

// Sets every vertex colour of `mesh` (vertices 0 .. nv - 1) from row e of
// `mesh.morphogens`. Entry i (`tooglestates[i]`, `colours[i]`) governs column i of every
// row; it contributes to vertex e when its state is 1 and the value v = row[i] is
// greater than 0. With c = colours[i] as (r/255, g/255, b/255, 1), each contribution
// adds c * v to a sum (additive) or subtracts (1, 1, 1, 1) - c * v (subtractive), all
// four components, in column order and in single precision. The vertex colour is then
// base + sum with sum's x, y and z (not w) divided by 1 + the number of contributions.
// Results are not clamped: alpha is 1 plus the sum of the w terms.
//
// Columns beyond the shorter of `tooglestates` and `colours` are not read; a vertex
// without a row (a mesh not read from OBJ) takes the base colour. Nothing is read
// outside the rows. Time: linear in the values read.
void colour_by_morphogens(Mesh& mesh, MixMode mode, std::span<const int> tooglestates,
                          std::span<const Rgb> colours, const Rgb& base);

// The same with the page's setting.
inline void colour_by_morphogens(Mesh& mesh, const MorphogenSetting& s) {
    colour_by_morphogens(mesh, mix_mode(s.mixmode), s.tooglestates, s.colours, s.defaultcolour);
}

// The colours colour_by_morphogens gives vertices 0 .. nv - 1, into `out` (nv of them),
// the mesh only read. A stop asked of `work` throws WorkStopped and leaves `out` as it
// was.
void morphogen_colours(const Mesh& mesh, MixMode mode, std::span<const int> tooglestates,
                       std::span<const Rgb> colours, const Rgb& base, std::vector<Vector>& out,
                       Work* work = nullptr);
inline void morphogen_colours(const Mesh& mesh, const MorphogenSetting& s, std::vector<Vector>& out,
                              Work* work = nullptr) {
    morphogen_colours(mesh, mix_mode(s.mixmode), s.tooglestates, s.colours, s.defaultcolour, out,
                      work);
}
