// Frame time of the view's drawing on a 500,000-face mesh in every render mode: the
// vertex arrays the view uses against one begin/end block per face; and, for the face
// normals mode, the view's drawing with its normals still drawn one begin/end block at
// a time, as they were before they too came from arrays. Runs on the X
// server in DISPLAY (xvfb-run) with the view's context and framebuffer formats.
#include "core/vostrel.h"
#include "tests/gui/immediate_drawer.h"
#include "viewer/gl_frame.h"
#include "viewer/qt_gl_context.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

// A sphere of rings x segments quads, each split in two: 2 * rings * segments faces.
Mesh sphere(int rings, int segments) {
    Mesh m;
    m.alloc_vertices((rings + 1) * segments);
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s < segments; ++s) {
            float theta = float(M_PI) * float(r) / float(rings),
                  phi = 2 * float(M_PI) * float(s) / float(segments);
            Vector& v = m.vertices[r * segments + s];
            v = Vector(std::sin(theta) * std::cos(phi), std::cos(theta),
                       std::sin(theta) * std::sin(phi));
            m.colours[r * segments + s] = Vector(0.8f, 0.6f, 0.4f);
        }
    m.alloc_faces(2 * rings * segments);
    int f = 0;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            int a = r * segments + s, b = r * segments + (s + 1) % segments;
            int c = a + segments, d = b + segments;
            int quads[2][3] = {{a, c, b}, {b, c, d}};
            for (auto& q : quads) {
                for (int k = 0; k < 3; ++k) m.faces[f].vindex[k] = q[k];
                ++f;
            }
        }
    m.link_faces();
    std::FILE* null = std::fopen("/dev/null", "w");
    set_console_stream(null);
    build_loaded_mesh(m);
    set_console_stream(nullptr);
    std::fclose(null);
    return m;
}

struct GlSetup {
    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;
    Mesh mesh = sphere(500, 500);

    GlSetup() {
        context.create();
        surface.create();
        context.makeCurrent(&surface);
        fbo = std::make_unique<QOpenGLFramebufferObject>(
            800, 600, QOpenGLFramebufferObject::CombinedDepthStencil);
        fbo->bind();
        gl_initialise_state();
        gl_set_light_position(light_direction(0, 180));
        gl_set_projection(800, 600, Projection::Orthographic);
    }
};

GlSetup* setup;

void frame(benchmark::State& state, MeshDrawer& drawer) {
    FrameSettings s;
    s.render_mode = RenderMode(state.range(0));
    s.camera_distance = -250;
    s.arcball_transform = ArcBall().transform;
    for (auto _ : state) {
        gl_paint_frame(s, setup->mesh, drawer);
        glFinish();
    }
    state.counters["faces"] = setup->mesh.nf;
}

void BM_FrameVertexArrays(benchmark::State& state) {
    MeshDrawer drawer;
    frame(state, drawer);
}

void BM_FrameBeginEndPerFace(benchmark::State& state) {
    ImmediateDrawer drawer;
    frame(state, drawer);
}

class NormalsBeginEndDrawer : public MeshDrawer {
  public:
    void draw_face_normals(const Mesh& mesh) override {
        ImmediateDrawer::draw_face_normals_immediately(mesh);
    }
};

void BM_FrameNormalsBeginEnd(benchmark::State& state) {
    NormalsBeginEndDrawer drawer;
    frame(state, drawer);
}

BENCHMARK(BM_FrameVertexArrays)
    ->DenseRange(0, render_mode_count - 1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK(BM_FrameBeginEndPerFace)
    ->DenseRange(0, render_mode_count - 1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK(BM_FrameNormalsBeginEnd)
    ->Arg(int(RenderMode::FaceNormals))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    use_compatibility_gl_format();
    QGuiApplication app(argc, argv);
    GlSetup gl;
    setup = &gl;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
