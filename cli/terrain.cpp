// vostrel-cli terrain: the terrain page's "Apply" without a window: the heightmap loaded
// and scaled as the page loads it, the same grid, coloured by the same map, saved as OBJ.
#include "cli/commands.h"
#include "core/vostrel.h"
#include "terrain/colour_map.h"
#include "terrain/heightmap_image.h"
#include "terrain/terrain_grid.h"

#include <cstdio>

namespace {

struct Options {
    std::string heightmap, output, colour_map;
    TerrainSettings settings;
    bool colours = false;
};

bool parse_int(const std::string& text, int minimum, int maximum, int& value) {
    int n = 0;
    return std::sscanf(text.c_str(), "%d%n", &value, &n) == 1 && n == int(text.size()) &&
           value >= minimum && value <= maximum;
}

bool parse(const Arguments& args, Options& o, std::string& problem) {
    struct Setting {
        const char* option;
        int* field;
        int maximum;
    } settings[] = {{"--resolution", &o.settings.grid_resolution, 512},
                    {"--scale", &o.settings.grid_scale, 512},
                    {"--height", &o.settings.height_scale, 1024}};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool takes_value = a == "-o" || a == "--output" || a == "--colour-map";
        for (const Setting& s : settings) takes_value |= a == s.option;
        if (takes_value && i + 1 >= args.size())
            return problem = "terrain: " + a + " needs a value", false;
        if (a == "-o" || a == "--output") {
            o.output = args[++i];
        } else if (a == "--colour-map") {
            o.colour_map = args[++i];
        } else if (a == "--colours") {
            o.colours = true;
        } else if (takes_value) {
            for (const Setting& s : settings)
                if (a == s.option && !parse_int(args[++i], 1, s.maximum, *s.field))
                    return problem = "terrain: " + a + " takes a whole number from 1 to " +
                                     std::to_string(s.maximum),
                           false;
        } else if (a.starts_with("-") && a.size() > 1) {
            return problem = "terrain: unknown option '" + a + "'", false;
        } else if (o.heightmap.empty()) {
            o.heightmap = a;
        } else {
            return problem = "terrain: more than one HEIGHTMAP", false;
        }
    }
    if (o.heightmap.empty()) return problem = "terrain: missing HEIGHTMAP.png", false;
    if (o.output.empty()) return problem = "terrain: missing -o OUT.obj", false;
    return true;
}

} // namespace

int terrain_command(const Arguments& args) {
    Options o;
    std::string problem;
    if (!parse(args, o, problem)) return usage_error(problem);

    QImage heightmap = load_heightmap_image(QString::fromStdString(o.heightmap));
    if (heightmap.isNull()) {
        std::fprintf(stderr, "ERROR: could not read the heightmap %s as PNG\n",
                     o.heightmap.c_str());
        return 1;
    }
    ColourMap map = ColourMap::initial();
    if (!o.colour_map.empty()) {
        if (IoResult r = load_colour_map(o.colour_map, map); !r) {
            std::fprintf(stderr, "%s\n", r.error.c_str());
            return 1;
        }
    }

    Mesh mesh;
    generate_terrain(mesh, rgb_image(heightmap), o.settings);
    colour_by_height(mesh, colour_vectors(map.colours), map.values);
    if (IoResult r = mesh.save_obj(o.output, o.colours); !r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
    }
    return 0;
}
