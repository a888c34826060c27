// vostrel-cli subdivide: the subdivision panel's "Apply" without a window: the mesh
// loaded as the viewer loads it, refined by butterfly subdivision as the view does it,
// saved as OBJ.
#include "tools/subdivide.h"
#include "cli/command.h"
#include "document/document.h"

#include <climits>
#include <memory>
#include <optional>

namespace cli_subdivide {

struct Options {
    MeshFiles files;
    int levels = 1;
    float weight = 0;
    std::optional<int> slider;
};

Outcome run(const Options& o, Document& document) {
    return document.subdivide(o.levels, o.slider ? subdivision_weight(*o.slider) : o.weight);
}

} // namespace cli_subdivide

CommandRun subdivide_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_subdivide::Options>();
    add_mesh_files(command, session, o->files,
                   "Write a line \"vc r g b\" after every vertex (new vertices get the mean of "
                   "their edge's ends)");
    command.add_option("--levels", o->levels, "Subdivision levels, 1 or more")
        ->required()
        ->check(number_in(1, INT_MAX, "1 or more"));
    CLI::App* weight = command.add_option_group("weight", "The tension, one of:");
    weight
        ->add_option("--weight", o->weight,
                     "Weight w, -0.125 to 0.125: -0.0625 gives plain midpoints, 0 the classic "
                     "butterfly stencil")
        ->check(number_in(-0.125, 0.125, "-0.125 to 0.125"));
    weight
        ->add_option("--weight-slider", o->slider,
                     "The Subdivide page's weight slider, 0 to 100: w = (0.5 - S / 100) x "
                     "-0.25, so 25 gives midpoints and 50 the classic stencil")
        ->check(number_in(0, 100, "0 to 100"));
    weight->require_option(1);
    command.footer("Splits every triangle into four per level through a new vertex on each "
                   "edge, placed by the butterfly rule (interior edges) or at the midpoint "
                   "(border edges), then saves the result. A result too large for the memory "
                   "is refused.");
    return [o, &session] {
        return change_mesh(session, o->files,
                           [&] { return cli_subdivide::run(*o, session.document); });
    };
}
