// The script line save: the document's mesh in the format the file's extension names, as
// convert writes it.
#include "cli/command.h"
#include "document/document.h"

#include <memory>

namespace cli_save {

struct Options {
    std::string path;
    bool colours = false;
};

CommandResult run(const Options& o, const Session& s) {
    if (CommandResult r = s.need_mesh(); !r) return r;
    // The file last opened may be replaced only by one of its format, as convert's input.
    if (IoResult r = mesh_output_allowed(o.path, s.document.file_name); !r) return r;
    return s.document.save(o.path, o.colours);
}

} // namespace cli_save

CommandRun save_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_save::Options>();
    session.file(command.add_option("FILE", o->path, mesh_output_help()), FileRole::WriteMesh)
        ->required();
    command.add_flag("--colours", o->colours,
                     "Write the vertex colours (in OBJ a line \"vc r g b\" after every vertex)");
    return [o, &session] { return cli_save::run(*o, session); };
}
