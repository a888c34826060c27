// vostrel-cli terrain: the terrain page's "Apply" without a window: the heightmap loaded
// and scaled as the page loads it, the same grid, coloured by the same map, saved as OBJ.
#include "cli/command.h"
#include "core/vostrel.h"
#include "qtshared/image_files.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"

#include <cstdio>
#include <memory>

namespace cli_terrain {

struct Options {
    std::string heightmap, output, colour_map;
    TerrainSettings settings;
    bool colours = false;
};

int run(const Options& o) {
    if (output_replaces_input(o.output, o.heightmap, "OBJ text") ||
        (!o.colour_map.empty() && output_replaces_input(o.output, o.colour_map, "OBJ text")))
        return exit_failure;
    warn_unless_extension(o.output, ".obj", "OBJ text");
    std::string why;
    QImage heightmap = load_heightmap_image(QString::fromStdString(o.heightmap), &why);
    if (heightmap.isNull()) {
        std::fprintf(stderr, "ERROR: could not read the heightmap %s: %s\n", o.heightmap.c_str(),
                     why.c_str());
        return exit_failure;
    }
    ColourMap map = ColourMap::initial();
    if (!o.colour_map.empty())
        if (IoResult r = load_colour_map(o.colour_map, map); !r) return report(r);

    Mesh mesh;
    generate_terrain(mesh, rgb_image(heightmap), o.settings);
    colour_by_height(mesh, colour_vectors(map.colours), map.values);
    return report(mesh.save_obj(o.output, o.colours));
}

} // namespace cli_terrain

CommandRun terrain_command(CLI::App& command) {
    auto o = std::make_shared<cli_terrain::Options>();
    command
        .add_option("HEIGHTMAP", o->heightmap,
                    "The heightmap (PNG, BMP, JPEG, TIFF or another image format Qt reads)")
        ->required();
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
    command.add_flag("--colours", o->colours, "Write the height colours as \"vc\" lines");
    command.footer("Builds the terrain the Terrain page builds: the image scaled to 256 x 256, a "
                   "grid of N x N points of side S and height scale H, coloured by the map, "
                   "saved as OBJ.");
    return [o] { return cli_terrain::run(*o); };
}
