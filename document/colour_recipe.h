// How the vertex colours of a mesh were made, when a colouring of the mesh's own data
// made them: by height from a colour map, or from the morphogens with a setting. Such
// colours can be made again exactly, so the history keeps the recipe instead of the
// colours (a few bytes instead of twenty a vertex). Colours of any other origin (a
// file, a tool that carried them over) have no recipe.
#pragma once

#include "core/mesh.h"
#include "tools/morphogen_setting.h"

#include <variant>
#include <vector>

struct HeightColouring {
    std::vector<Vector> colours; // 0..1, alpha in w
    std::vector<float> values;
};

struct MorphogenColouring {
    MorphogenSetting setting; // the names are not read
};

// std::monostate: no recipe, the colours are only what the mesh holds.
using ColourRecipe = std::variant<std::monostate, HeightColouring, MorphogenColouring>;

// Whether two recipes give the same colours on any mesh: the same kind, with every
// number the same bits (Vector's == compares x, y and z only). Never for std::monostate.
bool same_recipe(const ColourRecipe& a, const ColourRecipe& b);

// Colours `mesh` by `recipe`, silently (the console line is its operation's). A
// height colouring without entries leaves the colours as they are. Nothing for
// std::monostate.
void paint(Mesh& mesh, const ColourRecipe& recipe);
