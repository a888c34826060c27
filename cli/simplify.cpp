// vostrel-cli simplify: the simplification panel's "Apply" without a window: the mesh
// loaded as the viewer loads it, simplified to a level of detail by the page's method
// as the view does it, saved as OBJ.
#include "cli/command.h"
#include "document/document.h"

#include <cmath>
#include <map>
#include <memory>
#include <optional>

namespace cli_simplify {

struct Options {
    MeshFiles files;
    float lod = 75;
    SimplifyMethod method = SimplifyMethod::EdgeCollapse;
    std::optional<float> max_error;
};

Outcome run(const Options& o, Document& document) {
    SimplifySettings settings{o.method, o.max_error.value_or(default_quadric_max_error)};
    if (Outcome r = document.set_simplification(settings); !r) return r;
    return document.simplify(o.lod);
}

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
    const std::map<std::string, SimplifyMethod> methods{
        {"edge-collapse", SimplifyMethod::EdgeCollapse}, {"quadric", SimplifyMethod::Quadric}};
    command
        .add_option("--method", o->method,
                    "edge-collapse (the default): the cheapest edge by length times "
                    "curvature first; quadric: meshoptimizer's quadric simplifier, the "
                    "borders kept")
        ->transform(CLI::CheckedTransformer(methods, CLI::ignore_case));
    CLI::Option* max_error =
        command
            .add_option("--max-error", o->max_error,
                        "quadric only: stop before a collapse would move the surface by more "
                        "than E times the mesh's extent, 0 or more (default 0.005)")
            ->check(number_in(0, HUGE_VAL, "0 or more"));
    command.parse_complete_callback([o, max_error] {
        if (max_error->count() > 0 && o->method != SimplifyMethod::Quadric)
            throw CLI::ValidationError("--max-error", "applies to --method quadric only");
    });
    command.footer(
        "edge-collapse collapses edges, the cheapest first (edge length times the curvature "
        "around the edge), until trunc(vertices x P / 100) vertices are left. quadric aims "
        "meshoptimizer's simplifier at the same share of the faces, keeps every border edge "
        "and stops early at the error limit or where the borders allow no more; it prints "
        "what it left and its error estimate. Then the result is saved. A level of detail "
        "that would leave no face is refused, and nothing is saved.");
    return [o, &session] {
        return change_mesh(session, o->files,
                           [&] { return cli_simplify::run(*o, session.document); });
    };
}
