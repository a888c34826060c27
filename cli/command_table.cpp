#include "cli/command.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr CommandUse standalone = CommandUse::Standalone, script = CommandUse::Script,
                     both = CommandUse::Both;

const Command table[] = {
    {"open", "Open a mesh file as the document's mesh", open_command, script, "open FILE"},
    {"save", "Save the document's mesh in the format its extension names", save_command, script,
     "save FILE [--colours]"},
    {"reload", "Bring back the mesh as last opened", reload_command, script, "reload"},
    {"info", "Print a mesh's counts, bounding box, extent and centre", info_command, both,
     "info [--json]"},
    {"convert", "Load a mesh as the viewer does and save it in the format its extension names",
     convert_command, standalone, ""},
    {"morphogen", "Colour a mesh by its morphogens with a .mor setting and save it as OBJ",
     morphogen_command, both, "morphogen (--mor F | --list)"},
    {"segment", "Traverse and mark segments from given faces and save them as OBJ files",
     segment_command, both, "segment --at F:D:A ..."},
    {"save-segments", "Write the segments into a folder, as \"Save ALL...\" does",
     save_segments_command, script, "save-segments DIR"},
    {"classify", "Divide a mesh's faces into patches over face-to-face shortest paths",
     classify_command, both,
     "classify [--weight W] [--patches K] [--mode floyd|dijkstra] [--load-table F] "
     "[--save-table F] [--faces F]"},
    {"clip-planes", "Move the clipping planes by a script and save them as .clp",
     clip_planes_command, both,
     "clip-planes [--load IN.clp] [--script ACTIONS] [--save OUT.clp] [--outlines F]"},
    {"simplify", "Simplify a mesh to a level of detail and save it as OBJ", simplify_command, both,
     "simplify --lod P [--method edge-collapse|quadric] [--max-error E]"},
    {"subdivide", "Refine a mesh by butterfly subdivision and save it as OBJ", subdivide_command,
     both, "subdivide --levels N (--weight W | --weight-slider S)"},
    {"smooth", "Filter a mesh's face normals (mean shift, sphere jump, median)", smooth_command,
     both,
     "smooth (--mean-shift V | --sphere-jump V | --median V) [--normals F] [--steps N] "
     "[--curve F]"},
#ifdef VOSTREL_RENDER
    {"render", "Draw the viewer's frame of a mesh without a display and save it as PNG",
     render_command, both,
     "render -o F.png [--mode N] [--size WxH] [--perspective] [--background RRGGBB] "
     "[--select F] [--fit] [--clip F.clp]"},
    {"terrain", "Build the Terrain page's terrain from a heightmap and save it as OBJ",
     terrain_command, both,
     "terrain HEIGHTMAP [--resolution N] [--scale S] [--height H] [--colour-map F]"},
#endif
    {"undo", "Take back the last step", undo_command, script, "undo"},
    {"redo", "Do the step last taken back again", redo_command, script, "redo"},
    {"run", "Run a script of commands, one a line, on one document", run_command, standalone, ""},
};

} // namespace

std::span<const Command> commands() {
    return table;
}

void warn_if_empty(const Mesh& mesh, const std::string& name) {
    if (mesh.nv == 0)
        std::fprintf(stderr, "WARNING: %s holds no vertices\n", name.c_str());
    else if (mesh.nf == 0)
        std::fprintf(stderr, "WARNING: %s holds no faces\n", name.c_str());
}

CLI::Validator number_in(double low, double high, const std::string& range) {
    return CLI::Validator(
        [low, high, range](std::string& s) -> std::string {
            char* end = nullptr;
            double value = std::strtod(s.c_str(), &end);
            // Text that is no number is left to the conversion, which names the type.
            if (end == s.c_str() || *end != '\0') return {};
            if (!std::isfinite(value)) return "takes a finite number, not " + s;
            if (value < low || value > high) return "takes " + range + ", not " + s;
            return {};
        },
        "");
}

CLI::Validator finite_number() {
    return number_in(-HUGE_VAL, HUGE_VAL, "");
}
