// vostrel-cli classify: the classifier page's run without a window: the table built or
// loaded, the classification, the panel's re-clustering into the patch count found (or
// the one asked for), and what it leaves: the table, the face colours, the mesh.
#include "cli/command.h"
#include "core/atomic_file.h"
#include "core/vostrel.h"
#include "segmentation/mesh_classifier.h"

#include <cstdio>
#include <map>
#include <memory>
#include <optional>

namespace cli_classify {

struct Options {
    std::string file, load_table, save_table, faces, output;
    std::optional<double> weight;
    std::optional<int> patches;
    SpMode mode = SpMode::Floyd;
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

// Each file written must not be one of the files read, nor another one written, unless
// it is the OBJ mesh that the OBJ output replaces.
bool outputs_replace_inputs(const Options& o) {
    struct Output {
        const std::string& name;
        const char* written;
    } outputs[] = {
        {o.save_table, "a shortest path table"}, {o.faces, "face colours"}, {o.output, "OBJ text"}};
    for (const Output& out : outputs) {
        if (out.name.empty()) continue;
        bool obj = &out.name == &o.output;
        if ((!obj || mesh_format(o.file) != MeshFormat::Obj) &&
            output_replaces_input(out.name, o.file, out.written))
            return true;
        for (const std::string* other : {&o.load_table, &o.save_table, &o.faces, &o.output})
            if (other != &out.name && !other->empty() &&
                output_replaces_input(out.name, *other, out.written))
                return true;
    }
    return false;
}

int run(const Options& o) {
    if (outputs_replace_inputs(o)) return exit_failure;
    if (!o.output.empty()) warn_unless_extension(o.output, ".obj", "OBJ text");
    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.file)) return exit_failure;
    Mesh_Classifier classifier;
    classifier.attach(mesh);
    // As the weight slider sends it: a float.
    if (o.weight) classifier.weight = double(float(*o.weight));
    classifier.sp_mode = o.mode;
    if (!o.load_table.empty())
        if (IoResult r = classifier.load(o.load_table); !r) return report(r);
    if (IoResult r = classify_mesh(classifier, mesh); !r) return report(r);
    classifier.recluster(o.patches ? *o.patches : classifier.patch_count);
    if (!o.save_table.empty())
        if (IoResult r = classifier.save(o.save_table); !r) return report(r);
    if (!o.faces.empty())
        if (IoResult r = write_face_colours(mesh, o.faces); !r) return report(r);
    if (!o.output.empty()) return report(mesh.save_obj(o.output));
    return exit_success;
}

} // namespace cli_classify

CommandRun classify_command(CLI::App& command) {
    auto o = std::make_shared<cli_classify::Options>();
    command.add_option("MESH", o->file, "The mesh (.obj or .net)")->required();
    command
        .add_option("--weight", o->weight,
                    "Share of the centroid distance in the adjacency weights, 0 to 1 (the "
                    "Weight slider / 100; default 0.5)")
        ->check(CLI::Range(0.0, 1.0));
    command
        .add_option("--patches", o->patches,
                    "Re-cluster into this many patches, 1 to 51 (default: the number found)")
        ->check(CLI::Range(1, 51));
    const std::map<std::string, SpMode> modes{{"floyd", SpMode::Floyd},
                                              {"dijkstra", SpMode::Dijkstra}};
    command
        .add_option("--mode", o->mode,
                    "floyd: distances count the steps across faces; dijkstra: they add up the "
                    "adjacency weights (default floyd)")
        ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case));
    command.add_option("--load-table", o->load_table,
                       "Use this .spt file (made for this mesh) instead of building the table");
    command.add_option("--save-table", o->save_table, "Save the shortest path table as .spt");
    command.add_option("--faces", o->faces,
                       "Write the face colours, one line \"r g b\" per face in face order");
    command.add_option("-o,--output", o->output, "Save the mesh as OBJ");
    command.footer("Classifies the faces into patches as the Classify page does: the shortest "
                   "path table, representatives by farthest-point sampling, the patch count "
                   "from the largest drop, fuzzy refinement, then k-medoids into K patches. "
                   "Progress lines go to standard output.");
    return [o] { return cli_classify::run(*o); };
}
