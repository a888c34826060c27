#include "document/colour_recipe.h"

#include "terrain/colour_map.h"
#include "tools/morphogen_colours.h"

#include <cstring>

namespace {

bool same_bits(const Vector& a, const Vector& b) {
    return std::memcmp(&a.x, &b.x, 4 * sizeof(float)) == 0;
}

bool same_colouring(const HeightColouring& a, const HeightColouring& b) {
    if (a.colours.size() != b.colours.size() || a.values.size() != b.values.size()) return false;
    for (size_t i = 0; i < a.colours.size(); ++i)
        if (!same_bits(a.colours[i], b.colours[i])) return false;
    return a.values.empty() ||
           std::memcmp(a.values.data(), b.values.data(), a.values.size() * sizeof(float)) == 0;
}

bool same_colouring(const MorphogenColouring& a, const MorphogenColouring& b) {
    const MorphogenSetting &s = a.setting, &t = b.setting;
    return mix_mode(s.mixmode) == mix_mode(t.mixmode) && s.defaultcolour == t.defaultcolour &&
           s.colours == t.colours && s.tooglestates == t.tooglestates;
}

} // namespace

bool same_recipe(const ColourRecipe& a, const ColourRecipe& b) {
    if (a.index() != b.index()) return false;
    if (auto* h = std::get_if<HeightColouring>(&a))
        return same_colouring(*h, std::get<HeightColouring>(b));
    if (auto* m = std::get_if<MorphogenColouring>(&a))
        return same_colouring(*m, std::get<MorphogenColouring>(b));
    return false; // colours without a recipe are not known to be anything's
}

void paint(Mesh& mesh, const ColourRecipe& recipe) {
    if (auto* h = std::get_if<HeightColouring>(&recipe))
        paint_by_height(mesh, h->colours, h->values);
    else if (auto* m = std::get_if<MorphogenColouring>(&recipe))
        colour_by_morphogens(mesh, m->setting);
}
