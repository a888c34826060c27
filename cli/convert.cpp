// vostrel-cli convert: a mesh loaded as the viewer loads it, saved in the format the
// output's extension names.
#include "cli/command.h"

#include <memory>

CommandRun convert_command(CLI::App& command, Session& session) {
    auto files = std::make_shared<MeshFiles>();
    session.file(command.add_option("INPUT", files->input, mesh_input_help), FileRole::ReadMesh)
        ->required();
    session
        .file(command.add_option("OUTPUT", files->output, mesh_output_help()), FileRole::WriteMesh)
        ->required();
    command.add_flag("--colours", files->colours,
                     "Write the vertex colours so that they survive (in OBJ a line \"vc r g b\" "
                     "after every vertex; STL and OFF keep none)");
    return [files, &session] { return change_mesh(session, *files, [] { return Outcome{}; }); };
}
