// vostrel-cli simplify: the simplification panel's "Apply" without a window: the mesh
// loaded as the viewer loads it, simplified to a level of detail as the view does it,
// saved as OBJ.
#include "cli/command.h"
#include "document/document.h"

#include <memory>

namespace cli_simplify {

struct Options {
    MeshFiles files;
    float lod = 75;
};

} // namespace cli_simplify

CommandRun simplify_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_simplify::Options>();
    add_mesh_files(command, session, o->files,
                   "Write a line \"vc r g b\" after every vertex (the survivors keep theirs)");
    command
        .add_option("--lod", o->lod,
                    "Level of detail: the percentage of the vertices to keep, 0 to 100")
        ->required()
        ->check(number_in(0, 100, "0 to 100"));
    command.footer("Collapses edges, the cheapest first (edge length times the curvature "
                   "around the edge), until trunc(vertices x P / 100) vertices are left, then "
                   "saves the result. A level of detail that would leave no face is refused, "
                   "and nothing is saved.");
    return [o, &session] {
        return change_mesh(session, o->files, [&] { return session.document.simplify(o->lod); });
    };
}
