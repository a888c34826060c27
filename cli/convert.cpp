// vostrel-cli convert: a mesh loaded as the viewer loads it, saved as OBJ.
#include "cli/command.h"
#include "core/vostrel.h"

#include <memory>

namespace cli_convert {

struct Options {
    std::string input, output;
    bool colours = false;
};

int run(const Options& o) {
    if (obj_output_refused(o.output, o.input)) return exit_failure;
    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.input)) return exit_failure;
    return report(mesh.save_obj(o.output, o.colours));
}

} // namespace cli_convert

CommandRun convert_command(CLI::App& command) {
    auto o = std::make_shared<cli_convert::Options>();
    command.add_option("INPUT", o->input, "The mesh (.obj or .net)")->required();
    command.add_option("OUTPUT", o->output, "The OBJ file to write")->required();
    command.add_flag("--colours", o->colours,
                     "Write a line \"vc r g b\" after every vertex so that colours survive");
    return [o] { return cli_convert::run(*o); };
}
