// vostrel-cli render: draws the view's frame of a mesh without any display, through
// OSMesa, with the view's own drawing code, and saves it as "Save Rendering..." does.
#define GL_GLEXT_PROTOTYPES
#include "cli/commands.h"
#include "core/vostrel.h"
#include "viewer/frame_image.h"
#include "viewer/gl_frame.h"

#include <GL/glext.h>
#include <GL/osmesa.h>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Options {
    std::string mesh, image;
    int mode = RENDER_POLYGONS;
    int width = 800, height = 600;
    bool perspective = false;
    float background[3] = {1, 1, 1};
};

bool parse_size(const std::string& s, int& w, int& h) {
    char x;
    int n = 0;
    return std::sscanf(s.c_str(), "%d%c%d%n", &w, &x, &h, &n) == 3 && (x == 'x' || x == 'X') &&
           n == int(s.size()) && w > 0 && h > 0 && w <= 16384 && h <= 16384;
}

bool parse_colour(const std::string& s, float rgb[3]) {
    std::string hex = s[0] == '#' ? s.substr(1) : s;
    unsigned value;
    int n = 0;
    if (hex.size() != 6 || std::sscanf(hex.c_str(), "%6x%n", &value, &n) != 1 || n != 6)
        return false;
    for (int i = 0; i < 3; ++i) rgb[i] = float((value >> (16 - 8 * i)) & 0xFF) / 255;
    return true;
}

bool parse(const Arguments& args, Options& o, std::string& problem) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> const std::string* {
            if (i + 1 < args.size()) return &args[++i];
            problem = std::string("render: ") + name + " needs a value";
            return nullptr;
        };
        if (a == "-o" || a == "--output") {
            const std::string* v = value("-o");
            if (!v) return false;
            o.image = *v;
        } else if (a == "--mode") {
            const std::string* v = value("--mode");
            if (!v) return false;
            if (v->size() != 1 || (*v)[0] < '0' || (*v)[0] > '7')
                return problem = "render: --mode takes 0 to 7", false;
            o.mode = (*v)[0] - '0';
        } else if (a == "--size") {
            const std::string* v = value("--size");
            if (!v) return false;
            if (!parse_size(*v, o.width, o.height))
                return problem = "render: --size takes WxH, e.g. 800x600", false;
        } else if (a == "--perspective") {
            o.perspective = true;
        } else if (a == "--background") {
            const std::string* v = value("--background");
            if (!v) return false;
            if (v->empty() || !parse_colour(*v, o.background))
                return problem = "render: --background takes RRGGBB, e.g. ffffff", false;
        } else if (a.starts_with("-") && a.size() > 1) {
            return problem = "render: unknown option '" + a + "'", false;
        } else if (o.mesh.empty()) {
            o.mesh = a;
        } else {
            return problem = "render: more than one MESH", false;
        }
    }
    if (o.mesh.empty()) return problem = "render: missing MESH", false;
    if (o.image.empty()) return problem = "render: missing -o IMAGE.png", false;
    return true;
}

struct ContextDeleter {
    void operator()(osmesa_context* c) const { OSMesaDestroyContext(c); }
};

} // namespace

int render_command(const Arguments& args) {
    Options o;
    std::string problem;
    if (!parse(args, o, problem)) return usage_error(problem);

    Mesh mesh;
    if (IoResult r = load_mesh_file(mesh, o.mesh); !r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return 1;
    }

    const int attributes[] = {OSMESA_FORMAT,
                              OSMESA_BGRA,
                              OSMESA_DEPTH_BITS,
                              24,
                              OSMESA_STENCIL_BITS,
                              8,
                              OSMESA_PROFILE,
                              OSMESA_COMPAT_PROFILE,
                              0};
    std::unique_ptr<osmesa_context, ContextDeleter> context(
        OSMesaCreateContextAttribs(attributes, nullptr));
    std::vector<unsigned char> buffer(size_t(o.width) * size_t(o.height) * 4);
    if (!context ||
        !OSMesaMakeCurrent(context.get(), buffer.data(), GL_UNSIGNED_BYTE, o.width, o.height)) {
        std::fprintf(stderr, "ERROR: no OpenGL context for rendering (OSMesa)\n");
        return 1;
    }

    // Draw into a framebuffer object of the formats the window's view draws into, so
    // that blending and depth tests round alike.
    GLuint fbo, colour, depth;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, o.width, o.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, o.width, o.height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "ERROR: no framebuffer object for rendering\n");
        return 1;
    }

    // The view's start: GL state, the light set while the model-view matrix is the
    // identity, then the projection for the view's size.
    gl_initialise_state();
    gl_set_light_position(light_direction(0, 180));
    int projection_mode = o.perspective ? 0 : 1;
    gl_set_projection(o.width, o.height, projection_mode);

    FrameSettings settings;
    settings.render_mode = o.mode;
    settings.projection_mode = projection_mode;
    std::copy(o.background, o.background + 3, settings.background);
    settings.arcball_transform = ArcBall().transform;
    MeshDrawer drawer;
    // A frame clears with the colour the previous one set: the second shows the background.
    gl_paint_frame(settings, mesh, drawer);
    gl_paint_frame(settings, mesh, drawer);
    glFinish();

    if (!grab_frame_image(o.width, o.height).save(QString::fromStdString(o.image), "PNG")) {
        std::fprintf(stderr, "ERROR: could not write %s\n", o.image.c_str());
        return 1;
    }
    std::printf("Saved %s (%dx%d)\n", o.image.c_str(), o.width, o.height);
    return 0;
}
