// vostrel-cli render: draws the view's frame of a mesh without any display, through
// OSMesa, with the view's own drawing code, and saves it as "Save Rendering..." does.
#define GL_GLEXT_PROTOTYPES
#include "cli/command.h"
#include "cli/headless_gl.h"
#include "core/vostrel.h"
#include "qtshared/image_files.h"
#include "viewer/gl_clipping.h"
#include "viewer/gl_frame.h"
#include "viewer/gl_frame_grab.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace cli_render {

constexpr int largest_side = 16384;

struct Options {
    std::string mesh, image;
    int mode = int(RenderMode::Polygons);
    std::string size = "800x600";
    int width = 800, height = 600;
    bool perspective = false;
    bool fit = false;
    int select = 0; // face counted from 1, as a middle click selects it
    std::string background = "ffffff";
    float rgb[3] = {1, 1, 1};
    std::string clip; // a .clp file of clipping planes
};

bool parse_size(const std::string& s, int& w, int& h) {
    char x;
    int n = 0;
    return std::sscanf(s.c_str(), "%d%c%d%n", &w, &x, &h, &n) == 3 && (x == 'x' || x == 'X') &&
           n == int(s.size()) && w > 0 && h > 0 && w <= largest_side && h <= largest_side;
}

bool parse_colour(const std::string& s, float rgb[3]) {
    // Exactly six hex digits: sscanf alone would also take "0x12ab" or " +12ab".
    if (s.size() != 6 || !std::all_of(s.begin(), s.end(),
                                      [](char c) { return std::isxdigit((unsigned char)c) != 0; }))
        return false;
    unsigned value = unsigned(std::stoul(s, nullptr, 16));
    for (int i = 0; i < 3; ++i) rgb[i] = float((value >> (16 - 8 * i)) & 0xFF) / 255;
    return true;
}

int run(Options& o) {
    parse_size(o.size, o.width, o.height);
    parse_colour(o.background, o.rgb);
    if (output_replaces_input(o.image, o.mesh, "a PNG image")) return exit_failure;
    warn_unless_extension(o.image, ".png", "a PNG image");
    Mesh mesh;
    if (!load_mesh_reporting(mesh, o.mesh)) return exit_failure;
    warn_if_empty(mesh, o.mesh);
    if (o.select != 0) {
        if (o.select < 1 || o.select > mesh.nf) {
            std::fprintf(stderr, "ERROR: --select %d: %s has faces 1 to %d\n", o.select,
                         o.mesh.c_str(), mesh.nf);
            return exit_failure;
        }
        mesh.selectedface = o.select;
    }
    // The view's planes after a load: on the cube around the mesh, then the file's.
    PlaneWidgetInCube planes;
    planes.set_size(cube_size_around(mesh));
    if (!o.clip.empty())
        if (IoResult r = planes.load(o.clip); !r) return report(r);

    HeadlessGl gl(o.width, o.height);
    if (!gl) {
        std::fprintf(stderr, "ERROR: %s\n", gl.error().c_str());
        return exit_failure;
    }
    // The view's start: GL state, the light set while the model-view matrix is the
    // identity, then the projection for the view's size.
    gl_initialise_state();
    gl_set_light_position(light_direction(0, 180));
    Projection projection = o.perspective ? Projection::Perspective : Projection::Orthographic;
    gl_set_projection(o.width, o.height, projection);

    FrameSettings settings;
    settings.render_mode = RenderMode(o.mode);
    settings.projection_mode = projection;
    std::copy(o.rgb, o.rgb + 3, settings.background);
    settings.arcball_transform = ArcBall().transform;
    if (o.fit)
        settings.camera_distance =
            fit_camera_distance(mesh, settings.arcball_transform, projection, o.width, o.height);
    MeshDrawer drawer;
    FrameLayers layers;
    layers.clipping_planes = clipping_planes_layer(planes);
    // A frame clears with the colour the previous one set: the second shows the background.
    gl_paint_frame(settings, mesh, drawer, layers);
    gl_paint_frame(settings, mesh, drawer, layers);
    glFinish();

    QImage image = frame_image(gl_read_frame(o.width, o.height), o.width, o.height);
    if (int status = report(save_png(image, o.image)); status != exit_success) return status;
    std::printf("Saved %s (%dx%d)\n", o.image.c_str(), o.width, o.height);
    return exit_success;
}

} // namespace cli_render

CommandRun render_command(CLI::App& command) {
    auto o = std::make_shared<cli_render::Options>();
    command.add_option("MESH", o->mesh, "The mesh (.obj or .net)")->required();
    command.add_option("-o,--output", o->image, "The PNG file to write")->required();
    command
        .add_option("--mode", o->mode,
                    "Render mode as in the Render Mode menu: 0 wireframe, 1 wireframe with "
                    "dotted hidden lines, 2 wireframe without hidden lines, 3 polygons and "
                    "wireframe, 4 polygons (default), 5 points, 6 face normals, 7 bounding box, "
                    "8 faces")
        ->check(CLI::Range(0, render_mode_count - 1));
    command.add_option("--size", o->size, "Width x height in pixels, each 1 to 16384")
        ->check(CLI::Validator(
            [](std::string& s) {
                int w, h;
                return cli_render::parse_size(s, w, h) ? std::string()
                                                       : "takes WxH, e.g. 800x600, each 1 to 16384";
            },
            "WxH"))
        ->capture_default_str();
    command.add_flag("--perspective", o->perspective,
                     "Perspective projection (orthographic by default)");
    command.add_option("--background", o->background, "Background colour as six hex digits")
        ->check(CLI::Validator(
            [](std::string& s) {
                float rgb[3];
                return cli_render::parse_colour(s, rgb) ? std::string()
                                                        : "takes six hex digits, e.g. ffffff";
            },
            "RRGGBB"))
        ->capture_default_str();
    command.add_flag("--fit", o->fit,
                     "Frame the whole mesh with a small margin, as View > Fit Mesh to View does "
                     "(without it the camera stands where the viewer puts it for a load with "
                     "Fit on Open off)");
    command.add_option("--select", o->select,
                       "Show face F (counted from 1) selected, in red, as a middle click does");
    command.add_option("--clip", o->clip,
                       "Clip with the planes of a .clp file, as the clipping page's \"Load\" does");
    command.footer("Draws the frame the viewer draws for the mesh as loaded (same drawing code, "
                   "through Mesa's OSMesa, no display needed) and saves it as PNG.");
    return [o] { return cli_render::run(*o); };
}
