// vostrel-cli smooth: the Mean Shift page's filters on a mesh, with the face normals
// they leave written out.
#include "cli/command.h"
#include "core/atomic_file.h"
#include "core/vostrel.h"
#include "segmentation/mean_shift.h"
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
        std::snprintf(line, sizeof line, "%g %g %g\n", double(f.normal.x), double(f.normal.y),
                      double(f.normal.z));
        text += line;
    }
    return text;
}

int run(const Options& o) {
    if (!(o.value >= 0 && o.value <= 100)) {
        std::fprintf(stderr, "vostrel-cli smooth: the filter's value %g is outside 0..100\n",
                     o.value);
        return exit_failure;
    }
    if ((!o.output.empty() && obj_output_refused(o.output, o.file)) ||
        (!o.output.empty() && !o.curve.empty() &&
         output_replaces_input(o.output, o.curve, "OBJ text")))
        return exit_failure;
    WeightCurve curve;
    if (!o.curve.empty())
        if (IoResult r = load_weight_curve(o.curve, curve); !r) return report(r);

    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.file)) return exit_failure;
    MeanShift filter(mesh);
    if (!o.curve.empty()) filter.set_weight_function(curve.points, curve.height);
    // As the page sends it: the slider's value in x, the mode chosen before "Step".
    Vector radius = filter_radius(Vector(float(o.value), 0, 0, 1), mesh.extent);
    filter.mode = o.mode;
    if (o.steps > 0)
        for (int i = 0; i < o.steps; ++i) filter.step(radius);
    else
        filter.evaluate(radius, CallKind::Run, o.mode);

    if (int status = report(write_file_atomically(o.normals, face_normals_text(mesh))))
        return status;
    if (!o.output.empty()) return report(mesh.save_obj(o.output));
    return exit_success;
}

} // namespace cli_smooth

CommandRun smooth_command(CLI::App& command) {
    auto o = std::make_shared<cli_smooth::Options>();
    command.add_option("MESH", o->file, "The mesh (.obj or .net)")->required()->option_text("MESH");
    command
        .add_option("--normals", o->normals,
                    "Where to write the face normals, one line per "
                    "face: \"x y z\"")
        ->required()
        ->option_text("OUT.txt");
    auto* filters = command.add_option_group("filter", "The filter and its value (0..100)");
    // Each names the filter and stores the value.
    auto filter = [&](const char* name, FilterMode mode, const char* help) {
        filters
            ->add_option_function<double>(
                name,
                [o, mode](double value) {
                    o->mode = mode;
                    o->value = value;
                },
                help)
            ->option_text("V");
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
        ->check(CLI::Range(1, 1000000000))
        ->option_text("N");
    command
        .add_option("--curve", o->curve,
                    "Weigh the members by a weight curve: a first line with the plot height, "
                    "then 101 lines \"x y\"")
        ->option_text("FILE");
    command.add_option("-o", o->output, "Also save the mesh as OBJ")->option_text("OUT.obj");
    command.footer("Loads the mesh as the viewer does and runs the Mean Shift page's filter on "
                   "its face normals, printing the filter's console lines; V outside 0..100 "
                   "or a bad curve file is an error (status 1).");
    return [o] { return cli_smooth::run(*o); };
}
