// vostrel-cli convert: a mesh loaded as the viewer loads it, saved as OBJ.
#include "cli/command.h"
#include "core/vostrel.h"

#include <memory>

namespace {

struct Options {
    std::string input, output;
    bool colours = false;
};

int run(const Options& o) {
    // Onto an OBJ input is fine: it is read whole before the new text replaces it.
    if (mesh_format(o.input) != MeshFormat::Obj &&
        output_replaces_input(o.output, o.input, "OBJ text"))
        return exit_failure;
    warn_unless_extension(o.output, ".obj", "OBJ text");
    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.input)) return exit_failure;
    return report(mesh.save_obj(o.output, o.colours));
}

} // namespace

CommandRun convert_command(CLI::App& command) {
    auto o = std::make_shared<Options>();
    command.add_option("INPUT", o->input, "The mesh (.obj or .net)")->required();
    command.add_option("OUTPUT", o->output, "The OBJ file to write")->required();
    command.add_flag("--colours", o->colours,
                     "Write a line \"vc r g b\" after every vertex so that colours survive");
    return [o] { return run(*o); };
}
