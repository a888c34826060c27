// vostrel-cli subdivide: the subdivision panel's "Apply" without a window: the mesh
// loaded as the viewer loads it, refined by butterfly subdivision as the view does it,
// saved as OBJ.
#include "tools/subdivide.h"
#include "cli/command.h"

#include <cstdio>
#include <memory>

namespace cli_subdivide {

struct Options {
    std::string input, output;
    int levels = 1;
    float weight = 0;
    int slider = 50;
    bool colours = false;
    CLI::Option* slider_option = nullptr;
};

int run(const Options& o) {
    if (obj_output_refused(o.output, o.input)) return exit_failure;
    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.input)) return exit_failure;
    float weight = o.slider_option->count() ? subdivision_weight(o.slider) : o.weight;
    SubdivisionResult r = subdivide_levels(mesh, o.levels, weight);
    if (r.outcome == SubdivisionOutcome::Refused) {
        std::fprintf(stderr, "%s\n", r.message.c_str());
        return exit_failure;
    }
    return report(mesh.save_obj(o.output, o.colours));
}

} // namespace cli_subdivide

CommandRun subdivide_command(CLI::App& command) {
    auto o = std::make_shared<cli_subdivide::Options>();
    command.add_option("MESH", o->input, "The mesh (.obj or .net)")->required();
    command.add_option("-o,--output", o->output, "The OBJ file to write")->required();
    command.add_option("--levels", o->levels, "Subdivision levels, 1 or more")
        ->required()
        ->check(CLI::PositiveNumber);
    CLI::App* weight = command.add_option_group("weight", "The tension, one of:");
    weight
        ->add_option("--weight", o->weight,
                     "Weight w, -0.125 to 0.125: -0.0625 gives plain midpoints, 0 the classic "
                     "butterfly stencil")
        ->check(CLI::Range(-0.125f, 0.125f))
        ->check(not_nan());
    o->slider_option =
        weight
            ->add_option("--weight-slider", o->slider,
                         "The Subdivide page's weight slider, 0 to 100: w = (0.5 - S / 100) x "
                         "-0.25, so 25 gives midpoints and 50 the classic stencil")
            ->check(CLI::Range(0, 100));
    weight->require_option(1);
    command.add_flag("--colours", o->colours,
                     "Write a line \"vc r g b\" after every vertex (new vertices get the mean "
                     "of their edge's ends)");
    command.footer("Splits every triangle into four per level through a new vertex on each "
                   "edge, placed by the butterfly rule (interior edges) or at the midpoint "
                   "(border edges), then saves the result. A result too large for the memory "
                   "is refused.");
    return [o] { return cli_subdivide::run(*o); };
}
