// vostrel-cli convert: a mesh loaded as the viewer loads it, saved as OBJ.
#include "cli/command.h"

#include <memory>

CommandRun convert_command(CLI::App& command, Session& session) {
    auto files = std::make_shared<MeshFiles>();
    session
        .file(command.add_option("INPUT", files->input, "The mesh (.obj or .net)"),
              FileRole::ReadMesh)
        ->required();
    session
        .file(command.add_option("OUTPUT", files->output, "The OBJ file to write"),
              FileRole::WriteMesh)
        ->required();
    command.add_flag("--colours", files->colours,
                     "Write a line \"vc r g b\" after every vertex so that colours survive");
    return [files, &session] { return change_mesh(session, *files, [] { return Outcome{}; }); };
}
