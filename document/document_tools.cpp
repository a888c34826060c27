// The document's operations that make a new mesh or new vertex colours: terrain,
// simplification, subdivision, colouring by height and by morphogens.
#include "core/console.h"
#include "document/document.h"
#include "tools/morphogen_colours.h"
#include "tools/simplify.h"
#include "tools/subdivide.h"

#include <cstdio>
#include <new>

namespace {

HeightColouring height_colouring(const ColourMap& map) {
    return {colour_vectors(map.colours), map.values};
}

bool map_has_entries(const ColourMap& map) {
    return !map.colours.empty() && !map.values.empty();
}

std::string percent(float lod) {
    char text[32];
    std::snprintf(text, sizeof text, "%g%%", double(lod));
    return text;
}

} // namespace

Outcome Document::apply_terrain(const RgbImage& heightmap, const TerrainSettings& settings,
                                const ColourMap& map) {
    Mesh terrain;
    ColourRecipe recipe;
    try {
        generate_terrain(terrain, heightmap, settings);
        console_printf("terrain vertex colours...\n");
        if (map_has_entries(map) && terrain.nv > 0) {
            recipe = height_colouring(map);
            paint(terrain, recipe);
        }
    } catch (const std::bad_alloc&) {
        return Outcome::failure("ERROR: not enough memory for a terrain of " +
                                std::to_string(settings.grid_resolution) +
                                " points a side; the mesh is left as it was");
    }
    Step step = whole_state_step("Terrain");
    mesh = std::move(terrain);
    Changes changed = geometry_replaced(Replacement::Terrain);
    colours_recipe = std::move(recipe);
    return commit(std::move(step), changed | Change::Camera);
}

Outcome Document::colour_by_height(const ColourMap& map) {
    console_printf("terrain vertex colours...\n");
    if (mesh.nv == 0 || !map_has_entries(map)) return Outcome::done({});
    ColourRecipe recipe = height_colouring(map);
    if (same_recipe(colours_recipe, recipe)) return Outcome::done({});
    Step step;
    step.name = "Colour by Height";
    VertexColours colours{std::move(recipe), {}};
    exchange_vertex_colours(colours); // paints the mesh; `colours` then holds the old ones
    step.state.vertex_colours = std::move(colours);
    return commit(std::move(step), Change::Colours);
}

Outcome Document::colour_by_morphogens(const MorphogenSetting& setting) {
    MorphogenSetting next = morphogens; // the document's names stay
    next.mixmode = setting.mixmode;
    next.defaultcolour = setting.defaultcolour;
    next.colours = setting.colours;
    next.tooglestates = setting.tooglestates;
    ColourRecipe recipe = MorphogenColouring{next};
    if (mesh.nv == 0 || same_recipe(colours_recipe, recipe)) {
        morphogens = std::move(next);
        return Outcome::done({});
    }
    Step step;
    step.name = "Morphogen Colours";
    step.state.morphogens = morphogens;
    VertexColours colours{std::move(recipe), {}};
    exchange_vertex_colours(colours); // paints the mesh; `colours` then holds the old ones
    step.state.vertex_colours = std::move(colours);
    morphogens = std::move(next);
    return commit(std::move(step), Change::Colours | Change::ToolLists);
}

Outcome Document::simplify(float lod) {
    if (mesh.nf == 0) return Outcome::failure("ERROR: there is no mesh to simplify");
    const std::string nothing_left = "ERROR: a level of detail of " + percent(lod) +
                                     " leaves no faces; the mesh is left as it was";
    if (simplification_target(mesh.nv, lod / 100) == 0) return Outcome::failure(nothing_left);
    Mesh result;
    try {
        result = simplified(mesh, lod / 100);
        if (result.nf == 0) return Outcome::failure(nothing_left);
        result.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        result.build_centroids();
        result.build_bbox();
    } catch (const std::bad_alloc&) {
        return Outcome::failure("ERROR: not enough memory to simplify " + std::to_string(mesh.nf) +
                                " faces; the mesh is left as it was");
    }
    Step step = whole_state_step("Simplify");
    mesh = std::move(result);
    return commit(std::move(step), geometry_replaced(Replacement::Tool));
}

Outcome Document::subdivide(int levels, float weight) {
    if (mesh.nf == 0) return Outcome::done({}); // nothing to split
    Mesh result;
    SubdivisionResult r = subdivided_levels(mesh, levels, weight, result);
    if (r.outcome == SubdivisionOutcome::Unchanged) return Outcome::done({});
    if (r.outcome == SubdivisionOutcome::Refused) return Outcome::failure(r.message);
    Step step = whole_state_step("Subdivide");
    mesh = std::move(result);
    return commit(std::move(step), geometry_replaced(Replacement::Tool));
}
