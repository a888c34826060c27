#include "cli/command.h"
#include "document/document.h"

CommandResult::CommandResult(const IoResult& r)
    : status(r ? exit_success : exit_failure), message(r ? std::string() : r.error) {}

CommandResult CommandResult::failure(std::string text) {
    CommandResult r;
    r.status = exit_failure;
    r.message = std::move(text);
    return r;
}

CommandResult CommandResult::usage(std::string text) {
    CommandResult r = failure(std::move(text));
    r.status = exit_usage;
    return r;
}

CommandResult Session::use_mesh(const std::string& path) const {
    return in_script() ? need_mesh() : document.open(path, OpenRule::AnyMesh);
}

// A file opened, even an empty one, or a mesh built; undoing a terrain that came first
// leaves none.
CommandResult Session::need_mesh() const {
    if (!document.file_name.empty() || document.mesh.nv > 0) return {};
    return CommandResult::failure(
        "ERROR: there is no mesh yet: open one (open FILE) or build a terrain (terrain "
        "HEIGHTMAP) first");
}

const std::string& Session::input_file(const std::string& path) const {
    return in_script() ? document.file_name : path;
}

CommandResult Session::save_mesh(const std::string& path, bool colours) const {
    if (in_script() || path.empty()) return {};
    return document.save(path, colours);
}

std::string Session::mesh_name(const std::string& path) const {
    return in_script() ? std::string("the mesh") : path;
}

void Session::check_in_script(CLI::Option* option, const CLI::Validator& check) const {
    if (in_script()) option->check(check);
}

namespace {

CommandResult refused_if(const std::string& clash) {
    return clash.empty() ? CommandResult() : CommandResult::failure(clash);
}

} // namespace

CommandResult Session::check_files(int line) {
    std::vector<NamedFile> given = files.given();
    if (!in_script()) return refused_if(clashing_files(given));
    if (!script_files) script_files.emplace(script);
    std::string clash = script_files->add_line(line, std::move(given));
    files.clear(); // the options go with the line's parser
    return refused_if(clash);
}

void add_mesh_files(CLI::App& command, Session& session, MeshFiles& files,
                    const char* colours_help) {
    if (session.in_script()) return;
    session.file(command.add_option("MESH", files.input, mesh_input_help), FileRole::ReadMesh)
        ->required();
    session
        .file(command.add_option("-o,--output", files.output, mesh_output_help()),
              FileRole::WriteMesh)
        ->required();
    command.add_flag("--colours", files.colours, colours_help);
}

CommandResult change_mesh(const Session& session, const MeshFiles& files,
                          const std::function<Outcome()>& tool) {
    if (IoResult r = mesh_output_allowed(files.output, files.input); !r) return r;
    if (CommandResult r = session.use_mesh(files.input); !r) return r;
    if (Outcome r = tool(); !r) return r;
    return session.save_mesh(files.output, files.colours);
}
