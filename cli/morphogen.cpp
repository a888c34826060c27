// vostrel-cli morphogen: the morphogen page without a window. The mesh's morphogen names
// fill the page's list as a freshly opened OBJ file does, a .mor file is loaded as
// "Load" loads it, and the mesh is recoloured as the view recolours it.
#include "cli/command.h"
#include "document/document.h"
#include "tools/morphogen_file.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace cli_morphogen {

struct Options {
    std::string mesh, mor, output;
    bool list = false;
};

// Each name with the smallest and largest of its values over the vertices; a name
// without a column of values says so.
void print_names(const Mesh& mesh) {
    for (size_t i = 0; i < mesh.morphogen_names.size(); ++i) {
        bool any = false;
        float lo = 0, hi = 0;
        for (const std::vector<float>& row : mesh.morphogens) {
            if (i >= row.size()) continue;
            lo = any ? std::min(lo, row[i]) : row[i];
            hi = any ? std::max(hi, row[i]) : row[i];
            any = true;
        }
        if (any)
            std::printf("%s\t%g\t%g\n", mesh.morphogen_names[i].c_str(), double(lo), double(hi));
        else
            std::printf("%s\tno values\n", mesh.morphogen_names[i].c_str());
    }
}

IoResult output_allowed(const Options& o) {
    if (o.list) return IoResult::success();
    return mesh_output_allowed(o.output, o.mesh);
}

CommandResult run(const Options& o, const Session& s) {
    if (IoResult r = output_allowed(o); !r) return r;
    if (CommandResult r = s.use_mesh(o.mesh); !r) return r;
    if (o.list) {
        print_names(s.document.mesh);
        return {};
    }
    // The document's setting holds the mesh's names, which the file must fit.
    MorphogenSetting setting = s.document.morphogens;
    if (IoResult r = load_morphogen_setting(o.mor, setting); !r) return r;
    if (Outcome r = s.document.colour_by_morphogens(setting); !r) return r;
    return s.save_mesh(o.output, true);
}

} // namespace cli_morphogen

CommandRun morphogen_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_morphogen::Options>();
    if (!session.in_script())
        session
            .file(
                command.add_option("MESH", o->mesh, "The mesh (.obj with \"mn\" and \"m\" lines)"),
                FileRole::ReadMesh)
            ->required();
    CLI::Option* mor =
        session.file(command.add_option("--mor", o->mor, "The .mor file to apply"), FileRole::Read);
    CLI::Option* output =
        session.in_script()
            ? nullptr
            : session.file(command.add_option("-o,--output", o->output, mesh_output_help()),
                           FileRole::WriteMesh);
    CLI::Option* list = command.add_flag(
        "--list", o->list, "Print each morphogen's name and the range of its values, and stop");
    // --mor (and standalone -o) are needed unless --list is given.
    command.parse_complete_callback([mor, output, list] {
        if (list->count() > 0) return;
        if (mor->count() == 0) throw CLI::RequiredError("--mor");
        if (output && output->count() == 0) throw CLI::RequiredError("--output");
    });
    command.footer("Colours the mesh as the Morphogens page does with the setting of the .mor "
                   "file (whose SIZE must equal the mesh's number of morphogens) and writes it "
                   "as OBJ with a line \"vc r g b\" after every vertex.");
    return [o, &session] { return cli_morphogen::run(*o, session); };
}
