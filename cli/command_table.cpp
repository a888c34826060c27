#include "cli/command.h"

#include "core/mesh_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const Command table[] = {
    {"info", "Print a mesh's counts, bounding box, extent and centre", info_command},
    {"convert", "Load a mesh as the viewer does and save it as OBJ", convert_command},
    {"morphogen", "Colour a mesh by its morphogens with a .mor setting and save it as OBJ",
     morphogen_command},
    {"segment", "Traverse and mark segments from given faces and save them as OBJ files",
     segment_command},
    {"classify", "Divide a mesh's faces into patches over face-to-face shortest paths",
     classify_command},
    {"clip-planes", "Move the clipping planes by a script and save them as .clp",
     clip_planes_command},
    {"simplify", "Simplify a mesh to a level of detail and save it as OBJ", simplify_command},
    {"subdivide", "Refine a mesh by butterfly subdivision and save it as OBJ", subdivide_command},
    {"smooth", "Filter a mesh's face normals (mean shift, sphere jump, median)", smooth_command},
#ifdef VOSTREL_RENDER
    {"render", "Draw the viewer's frame of a mesh without a display and save it as PNG",
     render_command},
    {"terrain", "Build the Terrain page's terrain from a heightmap and save it as OBJ",
     terrain_command},
#endif
};

} // namespace

std::span<const Command> commands() {
    return table;
}

bool load_mesh_reporting(Mesh& mesh, const std::string& path) {
    IoResult r = load_mesh_file(mesh, path);
    if (!r) std::fprintf(stderr, "%s\n", r.error.c_str());
    return bool(r);
}

void warn_if_empty(const Mesh& mesh, const std::string& path) {
    if (mesh.nv == 0)
        std::fprintf(stderr, "WARNING: %s holds no vertices\n", path.c_str());
    else if (mesh.nf == 0)
        std::fprintf(stderr, "WARNING: %s holds no faces\n", path.c_str());
}

int report(const IoResult& r) {
    if (r) return exit_success;
    std::fprintf(stderr, "%s\n", r.error.c_str());
    return exit_failure;
}

CLI::Validator not_nan() {
    return CLI::Validator(
        [](std::string& s) {
            return std::isnan(std::strtod(s.c_str(), nullptr)) ? std::string("not a number")
                                                               : std::string();
        },
        "");
}
