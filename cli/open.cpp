// The script line open: a mesh file becomes the document's mesh, as File > Open makes it
// the window's, with a new history. A file without faces opens too (info says so).
#include "cli/command.h"
#include "document/document.h"

#include <memory>

CommandRun open_command(CLI::App& command, Session& session) {
    auto path = std::make_shared<std::string>();
    session.file(command.add_option("FILE", *path, mesh_input_help), FileRole::ReadMesh)
        ->required();
    return [path, &session]() -> CommandResult {
        return session.document.open(*path, OpenRule::AnyMesh);
    };
}
