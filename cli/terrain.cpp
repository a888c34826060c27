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

CommandResult run(const Options& o, const Session& s) {
    if (IoResult r = mesh_output_allowed(o.output, ""); !r) return r;
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
    session
        .file(command.add_option(
                  "HEIGHTMAP", o->heightmap,
                  "The heightmap (PNG, BMP, JPEG, TIFF or another image format Qt reads)"),
              FileRole::Read)
        ->required();
    if (!session.in_script())
        session
            .file(command.add_option("-o,--output", o->output, mesh_output_help()),
                  FileRole::WriteMesh)
            ->required();
    command
        .add_option("--resolution", o->settings.grid_resolution,
                    "Grid points along each side, 2 to 512 (one point makes no face)")
        ->check(number_in(2, 512, "2 to 512"))
        ->capture_default_str();
    command.add_option("--scale", o->settings.grid_scale, "Side of the grid, 1 to 512")
        ->check(number_in(1, 512, "1 to 512"))
        ->capture_default_str();
    command
        .add_option("--height", o->settings.height_scale,
                    "Height of a pixel of full brightness, 1 to 1024")
        ->check(number_in(1, 1024, "1 to 1024"))
        ->capture_default_str();
    session.file(command.add_option("--colour-map", o->colour_map,
                                    "A .map file (default: black at 0, white at 1)"),
                 FileRole::Read);
    if (!session.in_script())
        command.add_flag("--colours", o->colours, "Write the height colours as \"vc\" lines");
    command.footer("Builds the terrain the Terrain page builds: the image scaled to 256 x 256, a "
                   "grid of N x N points of side S and height scale H, coloured by the map, "
                   "saved as OBJ.");
    return [o, &session] { return cli_terrain::run(*o, session); };
}
