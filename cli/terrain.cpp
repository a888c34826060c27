// vostrel-cli terrain: the terrain page's "Apply" without a window: the heightmap loaded
// and scaled as the page loads it, the same grid, coloured by the same map, saved as OBJ.
#include "cli/command.h"
#include "document/document.h"
#include "qtshared/image_files.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"

#include <memory>

namespace cli_terrain {

struct Options {
    std::string heightmap, output, colour_map;
    TerrainSettings settings;
    bool colours = false;
};

IoResult output_allowed(const Options& o) {
    if (IoResult r = keeps_input(o.output, o.heightmap, "OBJ text"); !r) return r;
    if (!o.colour_map.empty())
        if (IoResult r = keeps_input(o.output, o.colour_map, "OBJ text"); !r) return r;
    warn_unless_extension(o.output, ".obj", "OBJ text");
    return IoResult::success();
}

CommandResult run(const Options& o, const Session& s) {
    if (IoResult r = output_allowed(o); !r) return r;
    std::string why;
    QImage heightmap = load_heightmap_image(QString::fromStdString(o.heightmap), &why);
    if (heightmap.isNull())
        return CommandResult::failure("ERROR: could not read the heightmap " + o.heightmap + ": " +
                                      why);
    ColourMap map = ColourMap::initial();
    if (!o.colour_map.empty())
        if (IoResult r = load_colour_map(o.colour_map, map); !r) return r;
    if (Outcome r = s.document.apply_terrain(rgb_image(heightmap), o.settings, map); !r) return r;
    return s.save_mesh(o.output, o.colours);
}

} // namespace cli_terrain

CommandRun terrain_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_terrain::Options>();
    command
        .add_option("HEIGHTMAP", o->heightmap,
                    "The heightmap (PNG, BMP, JPEG, TIFF or another image format Qt reads)")
        ->required();
    if (!session.in_script())
        command.add_option("-o,--output", o->output, "The OBJ file to write")->required();
    command
        .add_option("--resolution", o->settings.grid_resolution,
                    "Grid points along each side, 2 to 512 (one point makes no face)")
        ->check(CLI::Range(2, 512))
        ->capture_default_str();
    command.add_option("--scale", o->settings.grid_scale, "Side of the grid, 1 to 512")
        ->check(CLI::Range(1, 512))
        ->capture_default_str();
    command
        .add_option("--height", o->settings.height_scale,
                    "Height of a pixel of full brightness, 1 to 1024")
        ->check(CLI::Range(1, 1024))
        ->capture_default_str();
    command.add_option("--colour-map", o->colour_map,
                       "A .map file (default: black at 0, white at 1)");
    if (!session.in_script())
        command.add_flag("--colours", o->colours, "Write the height colours as \"vc\" lines");
    command.footer("Builds the terrain the Terrain page builds: the image scaled to 256 x 256, a "
                   "grid of N x N points of side S and height scale H, coloured by the map, "
                   "saved as OBJ.");
    return [o, &session] { return cli_terrain::run(*o, session); };
}
