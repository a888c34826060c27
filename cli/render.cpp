// vostrel-cli render: draws the view's frame of a mesh without any display, through
// OSMesa, with the view's own drawing code, and saves it as "Save Rendering..." does.
#define GL_GLEXT_PROTOTYPES
#include "cli/command.h"
#include "cli/headless_gl.h"
#include "core/vostrel.h"
#include "document/document.h"
#include "qtshared/image_files.h"
#include "viewer/gl_clipping.h"
#include "viewer/gl_frame.h"
#include "viewer/gl_frame_grab.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>

namespace cli_render {

constexpr int largest_side = 16384;

struct Options {
    std::string mesh, image;
    std::optional<int> mode; // the document's when not given
    std::string size = "800x600";
    int width = 800, height = 600;
    bool perspective = false;
    bool fit = false;
    int select = 0; // face counted from 1, as a middle click selects it; 0: as it is
    std::string background = "ffffff";
    float rgb[3] = {1, 1, 1};
    std::string clip; // a .clp file of clipping planes
    std::string light = "studio";
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

// The document's selection, planes and render mode as the options set them.
CommandResult set_view(const Options& o, const Session& s) {
    Document& d = s.document;
    if (o.select != 0) {
        if (o.select < 1 || o.select > d.mesh.nf)
            return CommandResult::failure("ERROR: --select " + std::to_string(o.select) + ": " +
                                          s.mesh_name(o.mesh) + " has faces 1 to " +
                                          std::to_string(d.mesh.nf));
        d.select_face(o.select);
    }
    if (!o.clip.empty())
        if (Outcome r = d.load_planes(o.clip); !r) return r;
    if (o.mode) d.set_render_mode(RenderMode(*o.mode));
    return {};
}

// The document's frame, drawn as the view draws it.
CommandResult draw(const Options& o, Document& d) {
    HeadlessGl gl(o.width, o.height);
    if (!gl) return CommandResult::failure("ERROR: " + gl.error());
    // The view's start: GL state, the light set while the model-view matrix is the
    // identity, then the projection for the view's size.
    gl_initialise_state();
    LightPreset preset = LightPreset::Studio;
    preset_named(o.light, preset);
    gl_set_lighting(preset_lighting(preset));
    gl_set_light_position(light_direction(0, 180));
    Projection projection = o.perspective ? Projection::Perspective : d.projection;
    gl_set_projection(o.width, o.height, projection);

    FrameSettings settings;
    settings.render_mode = d.render_mode;
    settings.projection_mode = projection;
    std::copy(o.rgb, o.rgb + 3, settings.background);
    settings.arcball_transform = ArcBall().transform;
    if (o.fit)
        settings.camera_distance =
            fit_camera_distance(d.mesh, settings.arcball_transform, projection, o.width, o.height);
    MeshDrawer drawer;
    FrameLayers layers;
    layers.clipping_planes = clipping_planes_layer(d.planes);
    // A frame clears with the colour the previous one set: the second shows the background.
    gl_paint_frame(settings, d.mesh, drawer, layers);
    gl_paint_frame(settings, d.mesh, drawer, layers);
    glFinish();

    QImage image = frame_image(gl_read_frame(o.width, o.height), o.width, o.height);
    if (IoResult r = save_png(image, o.image); !r) return r;
    std::printf("Saved %s (%dx%d)\n", o.image.c_str(), o.width, o.height);
    return {};
}

CommandResult run(Options& o, const Session& s) {
    parse_size(o.size, o.width, o.height);
    parse_colour(o.background, o.rgb);
    warn_unless_extension(o.image, ".png", "a PNG image");
    if (CommandResult r = s.use_mesh(o.mesh); !r) return r;
    warn_if_empty(s.document.mesh, s.mesh_name(o.mesh));
    if (CommandResult r = set_view(o, s); !r) return r;
    return draw(o, s.document);
}

} // namespace cli_render

CommandRun render_command(CLI::App& command, Session& session) {
    auto o = std::make_shared<cli_render::Options>();
    if (!session.in_script())
        session.file(command.add_option("MESH", o->mesh, mesh_input_help), FileRole::ReadMesh)
            ->required();
    session
        .file(command.add_option("-o,--output", o->image, "The PNG file to write"), FileRole::Write)
        ->required();
    command
        .add_option("--mode", o->mode,
                    "Render mode as in the Render Mode menu: 0 wireframe, 1 wireframe with "
                    "dotted hidden lines, 2 wireframe without hidden lines, 3 polygons and "
                    "wireframe, 4 polygons (default), 5 points, 6 face normals, 7 bounding box, "
                    "8 faces; in a script the mode stays for later frames, and without it a "
                    "frame has the document's (faces after a tool that paints them)")
        ->check(
            number_in(0, render_mode_count - 1, "0 to " + std::to_string(render_mode_count - 1)));
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
                     "Perspective projection for this frame (orthographic by default)");
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
    session.file(command.add_option("--clip", o->clip,
                                    "Clip with the planes of a .clp file, as the clipping page's "
                                    "\"Load\" does"),
                 FileRole::Read);
    command
        .add_option("--light", o->light,
                    "The Lighting Editor's preset: studio, a bright headlight with a highlight "
                    "that lights both sides (the viewer's default), or classic, the original "
                    "dim light")
        ->check(CLI::IsMember({"studio", "classic"}, CLI::ignore_case))
        ->capture_default_str();
    command.footer("Draws the frame the viewer draws for the mesh as loaded (same drawing code, "
                   "through Mesa's OSMesa, no display needed) and saves it as PNG.");
    return [o, &session] { return cli_render::run(*o, session); };
}
