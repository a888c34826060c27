// vostrel-cli simplify: the simplification panel's "Apply" without a window: the mesh
// loaded as the viewer loads it, simplified to a level of detail as the view does it,
// saved as OBJ.
#include "tools/simplify.h"
#include "cli/command.h"

#include <memory>

namespace cli_simplify {

struct Options {
    std::string input, output;
    float lod = 75;
    bool colours = false;
};

int run(const Options& o) {
    if (obj_output_refused(o.output, o.input)) return exit_failure;
    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.input)) return exit_failure;
    simplify_lod(mesh, o.lod);
    return report(mesh.save_obj(o.output, o.colours));
}

} // namespace cli_simplify

CommandRun simplify_command(CLI::App& command) {
    auto o = std::make_shared<cli_simplify::Options>();
    command.add_option("MESH", o->input, "The mesh (.obj or .net)")->required();
    command.add_option("-o,--output", o->output, "The OBJ file to write")->required();
    command
        .add_option("--lod", o->lod,
                    "Level of detail: the percentage of the vertices to keep, 0 to 100")
        ->required()
        ->check(CLI::Range(0.0f, 100.0f))
        ->check(not_nan());
    command.add_flag("--colours", o->colours,
                     "Write a line \"vc r g b\" after every vertex (the survivors keep theirs)");
    command.footer("Collapses edges, the cheapest first (edge length times the curvature "
                   "around the edge), until trunc(vertices x P / 100) vertices are left, then "
                   "saves the result. With P = 0 nothing is left, and there is nothing to "
                   "save.");
    return [o] { return cli_simplify::run(*o); };
}
