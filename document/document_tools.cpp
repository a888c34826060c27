// The document's operations that make a new mesh or new vertex colours: terrain,
// simplification (by either method), subdivision, colouring by height and by morphogens.
#include "core/console.h"
#include "document/document.h"
#include "tools/morphogen_colours.h"
#include "tools/quadric_simplify.h"
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

// An estimate as a percentage, to three significant digits.
std::string rough_percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g%%", share * 100);
    return text;
}

} // namespace

class Document::TerrainTask : public Task {
  public:
    TerrainTask(const RgbImage& image, const TerrainSettings& grid, const ColourMap& colour_map)
        : Task("Building the terrain"), heightmap(image), settings(grid), map(colour_map) {}

    void run(Work& work) override {
        if (heightmap.width <= 0 || heightmap.height <= 0) {
            result = IoResult::failure("Load a heightmap first");
            return;
        }
        try {
            generate_terrain(terrain, heightmap, settings, &work);
            console_printf("terrain vertex colours...\n");
            if (map_has_entries(map) && terrain.nv > 0) {
                recipe = height_colouring(map);
                paint(terrain, recipe);
            }
        } catch (const std::bad_alloc&) {
            result = IoResult::failure("ERROR: not enough memory for a terrain of " +
                                       std::to_string(settings.grid_resolution) +
                                       " points a side; the mesh is left as it was");
        }
    }
    Outcome finish(Document& d) override {
        if (!result) return Outcome::from(result);
        return d.replace_mesh("Terrain", std::move(terrain), Replacement::Terrain,
                              std::move(recipe), Change::Camera);
    }

  private:
    RgbImage heightmap;
    TerrainSettings settings;
    ColourMap map;
    IoResult result;
    Mesh terrain;
    ColourRecipe recipe;
};

std::unique_ptr<Task> Document::terrain_task(const RgbImage& heightmap,
                                             const TerrainSettings& settings,
                                             const ColourMap& map) {
    return std::make_unique<TerrainTask>(heightmap, settings, map);
}

Outcome Document::apply_terrain(const RgbImage& heightmap, const TerrainSettings& settings,
                                const ColourMap& map) {
    return run_now(terrain_task(heightmap, settings, map));
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

// The colours are made aside and put in place in the finish; the setting becomes the
// document's (its names stay) even when the colours are already its.
class Document::MorphogenTask : public Task {
  public:
    MorphogenTask(const Document& d, const MorphogenSetting& setting)
        : Task("Colouring by morphogens"), doc(d), next(d.morphogens) {
        next.mixmode = setting.mixmode;
        next.defaultcolour = setting.defaultcolour;
        next.colours = setting.colours;
        next.tooglestates = setting.tooglestates;
        recipe = MorphogenColouring{next};
        unchanged = d.mesh.nv == 0 || same_recipe(d.colours_recipe, recipe);
    }

    void run(Work& work) override {
        if (!unchanged) morphogen_colours(doc.mesh, next, colours, &work);
    }
    Outcome finish(Document& d) override {
        if (unchanged) {
            d.morphogens = std::move(next);
            return Outcome::done({});
        }
        Step step;
        step.name = "Morphogen Colours";
        step.state.morphogens = d.morphogens;
        VertexColours old;
        if (std::holds_alternative<std::monostate>(d.colours_recipe))
            old.colours = std::move(d.mesh.colours);
        else
            old.recipe = d.colours_recipe;
        d.mesh.colours = std::move(colours);
        d.colours_recipe = std::move(recipe);
        step.state.vertex_colours = std::move(old);
        d.morphogens = std::move(next);
        return d.commit(std::move(step), Change::Colours | Change::ToolLists);
    }

  private:
    const Document& doc;
    MorphogenSetting next;
    ColourRecipe recipe;
    bool unchanged;
    std::vector<Vector> colours;
};

std::unique_ptr<Task> Document::morphogen_task(const MorphogenSetting& setting) {
    return std::make_unique<MorphogenTask>(*this, setting);
}

Outcome Document::colour_by_morphogens(const MorphogenSetting& setting) {
    return run_now(morphogen_task(setting));
}

// Built aside from the document's mesh, which is only read, by the method the
// document had when the task began.
class Document::SimplifyTask : public Task {
  public:
    SimplifyTask(const Document& d, float level)
        : Task("Simplifying"), doc(d), lod(level), settings(d.simplification) {}

    void run(Work& work) override {
        const Mesh& source = doc.mesh;
        if (source.nf == 0) {
            result = IoResult::failure("ERROR: there is no mesh to simplify");
            return;
        }
        const std::string nothing_left = "ERROR: a level of detail of " + percent(lod) +
                                         " leaves no faces; the mesh is left as it was";
        if (simplification_target(source.nv, lod / 100) == 0) {
            result = IoResult::failure(nothing_left);
            return;
        }
        try {
            Stage collapses(&work, 0, 0.9);
            if (settings.method == SimplifyMethod::Quadric) {
                QuadricSimplification q =
                    quadric_simplified(source, lod / 100, settings.max_error, &work);
                unchanged = q.unchanged;
                report = quadric_report(source, q);
                simplified_mesh = std::move(q.mesh);
                if (unchanged) return;
            } else {
                simplified_mesh = simplified(source, lod / 100, &work);
            }
        } catch (const std::bad_alloc&) {
            result =
                IoResult::failure("ERROR: not enough memory to simplify " +
                                  std::to_string(source.nf) + " faces; the mesh is left as it was");
            return;
        }
        if (simplified_mesh.nf == 0) {
            result = IoResult::failure(nothing_left);
            return;
        }
        checkpoint(&work);
        simplified_mesh.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        simplified_mesh.build_centroids();
        simplified_mesh.build_bbox();
    }
    Outcome finish(Document& d) override {
        if (!result) return Outcome::from(result);
        Outcome outcome =
            unchanged ? Outcome::done({})
                      : d.replace_mesh("Simplify", std::move(simplified_mesh), Replacement::Tool);
        if (!report.empty()) {
            console_printf("%s\n", report.c_str());
            outcome.note = report;
        }
        return outcome;
    }

  private:
    // What the quadric method left, and why it left more than it was aimed at.
    std::string quadric_report(const Mesh& source, const QuadricSimplification& q) const {
        if (q.unchanged)
            return "Quadric simplification at " + percent(lod) + " keeps all " +
                   std::to_string(source.nv) + " vertices: the mesh is left as it is";
        std::string text = "Quadric simplification: " + std::to_string(q.mesh.nv) +
                           " vertices and " + std::to_string(q.mesh.nf) + " faces left of " +
                           std::to_string(source.nv) + " and " + std::to_string(source.nf) +
                           " (aimed at " + std::to_string(q.target_vertices) + " vertices, " +
                           std::to_string(q.target_faces) + " faces), error " +
                           rough_percent(q.error) + " of the extent";
        if (q.short_of_target())
            text += "; stopped short: the locked borders and the error limit of " +
                    rough_percent(settings.max_error) + " allow no more";
        return text;
    }

    const Document& doc;
    float lod;
    SimplifySettings settings;
    IoResult result;
    Mesh simplified_mesh;
    bool unchanged = false;
    std::string report; // the quadric method's
};

std::unique_ptr<Task> Document::simplify_task(float lod) {
    return std::make_unique<SimplifyTask>(*this, lod);
}

Outcome Document::simplify(float lod) {
    return run_now(simplify_task(lod));
}

Outcome Document::set_simplification(const SimplifySettings& settings) {
    if (!(settings.max_error >= 0))
        return Outcome::failure("ERROR: the error limit must be 0 or more, not " +
                                rough_percent(settings.max_error));
    simplification = settings;
    return Outcome::done({});
}

class Document::SubdivideTask : public Task {
  public:
    SubdivideTask(const Document& d, int how_many, float tension)
        : Task("Subdividing"), doc(d), levels(how_many), weight(tension) {}

    void run(Work& work) override {
        if (doc.mesh.nf == 0) return; // nothing to split
        outcome = subdivided_levels(doc.mesh, levels, weight, refined, &work);
    }
    Outcome finish(Document& d) override {
        if (outcome.outcome == SubdivisionOutcome::Unchanged) return Outcome::done({});
        if (outcome.outcome == SubdivisionOutcome::Refused)
            return Outcome::failure(outcome.message);
        return d.replace_mesh("Subdivide", std::move(refined), Replacement::Tool);
    }

  private:
    const Document& doc;
    int levels;
    float weight;
    SubdivisionResult outcome{SubdivisionOutcome::Unchanged, ""};
    Mesh refined;
};

std::unique_ptr<Task> Document::subdivide_task(int levels, float weight) {
    return std::make_unique<SubdivideTask>(*this, levels, weight);
}

Outcome Document::subdivide(int levels, float weight) {
    return run_now(subdivide_task(levels, weight));
}
