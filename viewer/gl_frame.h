// The view's OpenGL drawing: state set-up, projection, the frame with its eight render
// modes and the mesh drawing routines. Plain OpenGL 1.x and GLU, no toolkit, so that the
// window and the headless renderer of vostrel-cli draw the same pixels with the same code.
#pragma once

#include "core/arcball.h"
#include "core/mesh.h"
#include "viewer/lighting.h"
#include "viewer/view_modes.h"

#include <GL/gl.h>
#include <functional>
#include <vector>

// What a frame needs besides the mesh.
struct FrameSettings {
    RenderMode render_mode = RenderMode::Polygons;
    Projection projection_mode = Projection::Orthographic;
    float camera_distance = -200;
    float background[3] = {1, 1, 1}; // clear colour of the next frame, 0..1
    Matrix4 arcball_transform;
    float pan[2] = {0, 0}; // the mesh moved in the view plane, in mesh units, y up
};

// Draws the faces of a mesh from vertex arrays: one primitive per face, exactly as one
// begin/end block per face would, at a fraction of the calls. Keeps its index arrays
// between draws.
class MeshDrawer {
  public:
    virtual ~MeshDrawer() = default;
    // Every face as one primitive of the given kind (GL_POINTS, GL_LINE_LOOP,
    // GL_TRIANGLES or GL_POLYGON); only triangles take the vertex colours.
    virtual void draw_faces(const Mesh& mesh, GLenum primitive);
    // Every face flat-shaded in its own colour with its own normal; then, with
    // `marked_only`, only the marked faces (in whatever colour is current).
    virtual void draw_flat_faces(const Mesh& mesh, bool marked_only);
    // For every face in order: a black point at its centroid, then a red line from
    // there along its normal, extent / 30 long. Leaves the current colour red.
    virtual void draw_face_normals(const Mesh& mesh);

  private:
    std::vector<GLuint> indices;
    std::vector<GLsizei> counts;
    std::vector<const void*> starts;
    std::vector<Vector> flat_positions, flat_normals, flat_colours;
    std::vector<GLenum> modes;
    std::vector<GLint> firsts;
};

// How the drawing finds OpenGL functions that the program's OpenGL library need not
// export (extensions): the window's context or OSMesa answers. Without one, the drawing
// keeps to what every library exports.
using GlFunctionLookup = void (*(*)(const char* name))();
void set_gl_function_lookup(GlFunctionLookup lookup);

void draw_selected_face(const Mesh& mesh);
void draw_bounding_box(const Mesh& mesh);

// The fixed OpenGL state of the view: shading, depth, lighting, light 0's colours,
// line and point sizes, polygon offset; clear colour white.
void gl_initialise_state();
void gl_set_light_colours(const Vector& ambient, const Vector& diffuse, const Vector& specular);
// Light 0's colours and the surface's highlight and sidedness; Classic's lighting leaves
// exactly the state gl_initialise_state sets.
void gl_set_lighting(const Lighting& lighting);
// Light 0's direction for an altitude and azimuth in degrees (w = 0: a direction).
Vector light_direction(float altitude, float azimuth);
// Sets light 0's position, transformed by the current model-view matrix.
void gl_set_light_position(const Vector& position);

// Viewport and projection for a view of w x h pixels (0 counts as 1); leaves the
// model-view matrix at identity.
void gl_set_projection(int w, int h, Projection projection_mode);

// What the tools add to a frame, each drawn at its place when set: the clipping planes
// (which also load and enable the six clip planes), the classifier's patch
// representatives, and the mean shift window (drawn centred on the mesh).
struct FrameLayers {
    std::function<void()> clipping_planes;
    std::function<void()> representatives;
    std::function<void()> mean_shift_window;
};

// The colour of the marked faces over their own colours in the faces mode.
constexpr float marked_face_colour[4] = {1.0f, 0.5f, 0.0f, 0.6f};

// One frame: clear, camera, the tools' layers, the mesh in its render mode, the
// selected face.
void gl_paint_frame(const FrameSettings& settings, const Mesh& mesh, MeshDrawer& drawer,
                    const FrameLayers& layers = {});
