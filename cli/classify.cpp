// vostrel-cli classify: the classifier page's run without a window: the table built or
// loaded, the classification with the re-clustering into the patch count found (or the
// one asked for), and what it leaves: the table, the face colours, the mesh.
#include "cli/command.h"
#include "core/atomic_file.h"
#include "core/mesh_file.h"
#include "document/document.h"

#include <cstdio>
#include <map>
#include <memory>
#include <optional>

namespace cli_classify {

struct Options {
    std::string file, load_table, save_table, faces, output;
    std::optional<double> weight;
    std::optional<int> patches, proxy;
    std::optional<SpMode> mode;
};

// One line "r g b" per face, in face order.
IoResult write_face_colours(const Mesh& mesh, const std::string& path) {
    std::string text;
    char line[64];
    for (int f = 0; f < mesh.nf; ++f) {
        const Vector& c = mesh.faceptrs[f]->colour;
        int n = std::snprintf(line, sizeof line, "%g %g %g\n", c.x, c.y, c.z);
        text.append(line, size_t(n));
    }
    return write_file_atomically(path, text);
}

// The classification with the panel's settings, then the re-clustering asked for.
CommandResult classify(const Options& o, Document& d) {
    // The document takes a classification without a mesh for nothing to do; a command
    // given an empty mesh says so, as the classifier does for one without faces.
    if (d.mesh.nv == 0)
        return CommandResult::failure("ERROR: there is nothing to classify: the mesh has no faces");
    // As the weight slider sends it: a float.
    if (o.weight) d.set_classifier_weight(double(float(*o.weight)));
    if (o.mode) d.set_shortest_path_mode(*o.mode);
    if (o.proxy) d.classify_proxy_faces = *o.proxy;
    if (!o.load_table.empty())
        if (IoResult r = d.load_table(o.load_table); !r) return r;
    if (Outcome r = d.classify(o.patches.value_or(0)); !r) return r;
    return {};
}

CommandResult run(const Options& o, const Session& s) {
    if (IoResult r = mesh_output_allowed(o.output, s.input_file(o.file)); !r) return r;
    if (CommandResult r = s.use_mesh(o.file); !r) return r;
    Document& d = s.document;
    if (CommandResult r = classify(o, d); !r) return r;
    if (!o.save_table.empty())
        if (IoResult r = d.save_table(o.save_table); !r) return r;
    if (!o.faces.empty())
        if (IoResult r = write_face_colours(d.mesh, o.faces); !r) return r;
    return s.save_mesh(o.output, false);
}

} // namespace cli_classify

CommandRun classify_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_classify::Options>();
    if (!session.in_script())
        session.file(command.add_option("MESH", o->file, mesh_input_help), FileRole::ReadMesh)
            ->required();
    command
        .add_option("--weight", o->weight,
                    "Share of the centroid distance in the adjacency weights, 0 to 1 (the "
                    "Weight slider / 100; default 0.5)")
        ->check(number_in(0, 1, "0 to 1"));
    command
        .add_option("--patches", o->patches,
                    "Re-cluster into this many patches, 1 to 51 (default: the number found)")
        ->check(number_in(1, 51, "1 to 51"));
    command
        .add_option("--proxy", o->proxy,
                    "Classify a copy simplified to about N faces (quadric method) and give each "
                    "face the patch of the copy's face nearest to it: approximate, for meshes "
                    "whose table would not fit in memory (a mesh of N faces or fewer is "
                    "classified itself)")
        ->check(number_in(1, 1000000, "1 to 1,000,000"));
    const std::map<std::string, SpMode> modes{{"floyd", SpMode::Floyd},
                                              {"dijkstra", SpMode::Dijkstra}};
    command
        .add_option("--mode", o->mode,
                    "floyd: distances count the steps across faces; dijkstra: they add up the "
                    "adjacency weights (default floyd)")
        ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case));
    session.file(
        command.add_option("--load-table", o->load_table,
                           "Use this .spt file (made for this mesh) instead of building the table"),
        FileRole::Read);
    session.file(
        command.add_option("--save-table", o->save_table, "Save the shortest path table as .spt"),
        FileRole::Write);
    session.file(command.add_option("--faces", o->faces,
                                    "Write the face colours, one line \"r g b\" per face in "
                                    "face order"),
                 FileRole::Write);
    if (!session.in_script())
        session.file(command.add_option("-o,--output", o->output, mesh_output_help()),
                     FileRole::WriteMesh);
    command.footer("Classifies the faces into patches as the Classify page does: the shortest "
                   "path table, representatives by farthest-point sampling, the patch count "
                   "from the largest drop, fuzzy refinement, then k-medoids into K patches. "
                   "Progress lines go to standard output.");
    return [o, &session] { return cli_classify::run(*o, session); };
}
