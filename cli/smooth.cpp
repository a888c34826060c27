// vostrel-cli smooth: the Mean Shift page's filters on a mesh, with the face normals
// they leave written out.
#include "cli/command.h"
#include "core/atomic_file.h"
#include "document/document.h"
#include "segmentation/weight_curve.h"

#include <cstdio>
#include <memory>

namespace cli_smooth {

struct Options {
    std::string file, normals, curve, output;
    double value = 0;
    FilterMode mode = FilterMode::MeanShift;
    int steps = 0;
};

std::string face_normals_text(const Mesh& mesh) {
    std::string text;
    char line[128];
    for (const Face& f : mesh.faces) {
        // A face whose normal never was a number (zero area) and that no filtered normal
        // reached is written as 0 0 0: the file holds numbers only.
        const Vector n = usable_normal(f.normal) ? f.normal : Vector(0, 0, 0);
        std::snprintf(line, sizeof line, "%g %g %g\n", double(n.x), double(n.y), double(n.z));
        text += line;
    }
    return text;
}

IoResult output_allowed(const Options& o) {
    if (o.output.empty()) return IoResult::success();
    return mesh_output_allowed(o.output, o.file);
}

// As the page runs it: the slider's value in x, the mode chosen before "Step".
void filter(const Options& o, Document& d) {
    const Vector v(float(o.value), 0, 0, 1);
    d.set_filter_mode(o.mode);
    if (o.steps > 0)
        for (int i = 0; i < o.steps; ++i) d.filter_step(v);
    else
        d.filter_normals(v, o.mode);
}

CommandResult run(const Options& o, const Session& s) {
    if (!(o.value >= 0 && o.value <= 100)) {
        char text[96];
        std::snprintf(text, sizeof text,
                      "vostrel-cli smooth: the filter's value %g is outside 0..100", o.value);
        return CommandResult::failure(text);
    }
    if (IoResult r = output_allowed(o); !r) return r;
    WeightCurve curve;
    if (!o.curve.empty())
        if (IoResult r = load_weight_curve(o.curve, curve); !r) return r;

    if (CommandResult r = s.use_mesh(o.file); !r) return r;
    Document& d = s.document;
    if (!o.curve.empty()) d.set_weight_curve(curve.points, curve.height);
    filter(o, d);
    if (!o.normals.empty())
        if (IoResult r = write_file_atomically(o.normals, face_normals_text(d.mesh)); !r) return r;
    return s.save_mesh(o.output, false);
}

} // namespace cli_smooth

CommandRun smooth_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_smooth::Options>();
    if (!session.in_script())
        session.file(command.add_option("MESH", o->file, mesh_input_help), FileRole::ReadMesh)
            ->required()
            ->option_text("MESH");
    CLI::Option* normals = session
                               .file(command.add_option("--normals", o->normals,
                                                        "Where to write the face normals, one "
                                                        "line per face: \"x y z\""),
                                     FileRole::Write)
                               ->option_text("OUT.txt");
    if (!session.in_script()) normals->required();
    auto* filters = command.add_option_group("filter", "The filter and its value (0..100)");
    // Each names the filter and stores the value.
    auto filter = [&](const char* name, FilterMode mode, const char* help) {
        CLI::Option* option = filters
                                  ->add_option_function<double>(
                                      name,
                                      [o, mode](double value) {
                                          o->mode = mode;
                                          o->value = value;
                                      },
                                      help)
                                  ->option_text("V");
        option->check(finite_number());
        session.check_in_script(option, number_in(0, 100, "0 to 100"));
    };
    filter("--mean-shift", FilterMode::MeanShift,
           "Mean shift with the Sphere Radius slider at V: s = V / 200 x extent");
    filter("--sphere-jump", FilterMode::SphereJump,
           "Sphere jump with the Sphere Radius slider at V");
    filter("--median", FilterMode::Median, "Median filter of depth floor(V)");
    filters->require_option(1);
    command
        .add_option("--steps", o->steps,
                    "Run N single passes (\"Step\") instead of a whole run; each step of the "
                    "median filter is a whole run")
        ->check(number_in(1, 1e9, "1 to 1000000000"))
        ->option_text("N");
    session
        .file(command.add_option(
                  "--curve", o->curve,
                  "Weigh the members by a weight curve: a first line with the plot height, "
                  "then 101 lines \"x y\""),
              FileRole::Read)
        ->option_text("FILE");
    if (!session.in_script())
        session
            .file(command.add_option("-o", o->output, "Also save the mesh: " + mesh_output_help()),
                  FileRole::WriteMesh)
            ->option_text("OUT.obj");
    command.footer("Loads the mesh as the viewer does and runs the Mean Shift page's filter on "
                   "its face normals, printing the filter's console lines; V outside 0..100 "
                   "or a bad curve file is an error (status 1).");
    return [o, &session] { return cli_smooth::run(*o, session); };
}
