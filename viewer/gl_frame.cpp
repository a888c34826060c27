#define GL_GLEXT_PROTOTYPES
#include "viewer/gl_frame.h"

#include <GL/glext.h>
#include <GL/glu.h>
#include <cmath>
#include <cstring>

namespace {

// Every drawing routine works in mesh coordinates centred on the mesh's centre.
struct CentredOnMesh {
    explicit CentredOnMesh(const Mesh& mesh) {
        glPushMatrix();
        glTranslatef(-mesh.centre.x, -mesh.centre.y, -mesh.centre.z);
    }
    ~CentredOnMesh() { glPopMatrix(); }
};

void vertex(const Vector& v) {
    glVertex3f(v.x, v.y, v.z);
}

GlFunctionLookup gl_function_lookup = nullptr;

// The context's glMultiModeDrawArraysIBM, which draws primitives of several kinds from
// one array in one call, or nullptr.
PFNGLMULTIMODEDRAWARRAYSIBMPROC multimode_draw_arrays() {
    if (!gl_function_lookup) return nullptr;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!extensions || !std::strstr(extensions, "GL_IBM_multimode_draw_arrays")) return nullptr;
    return reinterpret_cast<PFNGLMULTIMODEDRAWARRAYSIBMPROC>(
        gl_function_lookup("glMultiModeDrawArraysIBM"));
}

// Mode 1: hidden edges dotted and faint, visible edges solid.
void draw_wireframe_dotted_hidden_lines(const Mesh& mesh, MeshDrawer& drawer) {
    glEnable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glLineStipple(2, 0xAAAA);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_STIPPLE);
    glColor4f(0, 0, 0, 0.25f);
    drawer.draw_faces(mesh, GL_LINE_LOOP);
    glDisable(GL_LINE_STIPPLE);
    glColor4f(0, 0, 0, 0); // invisible faces that only fill the depth buffer
    drawer.draw_faces(mesh, GL_POLYGON);
    glDisable(GL_BLEND);
    glLineWidth(2);
    glColor3f(0, 0, 0);
    drawer.draw_faces(mesh, GL_LINE_LOOP);
    glEnable(GL_LIGHTING);
    glDisable(GL_POLYGON_OFFSET_FILL);
}

// Mode 8: flat faces in their own colours, then the marked faces again in the highlight
// colour, blended over them at the same depth.
void draw_faces_mode(const Mesh& mesh, MeshDrawer& drawer) {
    glShadeModel(GL_FLAT);
    drawer.draw_flat_faces(mesh, false);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glColor4fv(marked_face_colour);
    drawer.draw_flat_faces(mesh, true);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
}

void draw_mesh(RenderMode render_mode, const Mesh& mesh, MeshDrawer& drawer) {
    switch (render_mode) {
    case RenderMode::Wireframe:
        glDisable(GL_LIGHTING);
        glColor3f(0, 0, 0);
        drawer.draw_faces(mesh, GL_LINE_LOOP);
        glEnable(GL_LIGHTING);
        break;
    case RenderMode::WireframeDottedHiddenLines:
        draw_wireframe_dotted_hidden_lines(mesh, drawer);
        break;
    case RenderMode::WireframeNoHiddenLines:
        glEnable(GL_POLYGON_OFFSET_FILL);
        glDisable(GL_LIGHTING);
        glEnable(GL_BLEND);
        glColor4f(0, 0, 0, 0);
        drawer.draw_faces(mesh, GL_POLYGON);
        glColor4f(0, 0, 0, 1);
        drawer.draw_faces(mesh, GL_LINE_LOOP);
        glEnable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glDisable(GL_POLYGON_OFFSET_FILL);
        break;
    case RenderMode::PolygonsWireframe:
        glEnable(GL_POLYGON_OFFSET_FILL);
        drawer.draw_faces(mesh, GL_TRIANGLES);
        glColor3f(0, 0, 0);
        glDisable(GL_LIGHTING);
        drawer.draw_faces(mesh, GL_LINE_LOOP);
        glEnable(GL_LIGHTING);
        glDisable(GL_POLYGON_OFFSET_FILL);
        break;
    case RenderMode::Polygons:
        drawer.draw_faces(mesh, GL_TRIANGLES);
        break;
    case RenderMode::Points:
        glDisable(GL_LIGHTING);
        glColor3f(0, 0, 0);
        drawer.draw_faces(mesh, GL_POINTS);
        glEnable(GL_LIGHTING);
        break;
    case RenderMode::FaceNormals:
        glDisable(GL_LIGHTING);
        drawer.draw_face_normals(mesh);
        draw_wireframe_dotted_hidden_lines(mesh, drawer);
        break;
    case RenderMode::BoundingBox:
        glDisable(GL_LIGHTING);
        draw_bounding_box(mesh);
        glEnable(GL_LIGHTING);
        break;
    case RenderMode::Faces:
        draw_faces_mode(mesh, drawer);
        break;
    }
}

} // namespace

void set_gl_function_lookup(GlFunctionLookup lookup) {
    gl_function_lookup = lookup;
}

void MeshDrawer::draw_faces(const Mesh& mesh, GLenum primitive) {
    if (mesh.nf == 0) return;
    CentredOnMesh centred(mesh);

    size_t n = size_t(mesh.nf) * 3;
    indices.resize(n);
    for (int i = 0; i < mesh.nf; ++i)
        for (int k = 0; k < 3; ++k) indices[size_t(i) * 3 + k] = GLuint(mesh.faces[i].vindex[k]);

    const GLsizei stride = sizeof(Vector);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, &mesh.vertices[0].x);
    glNormalPointer(GL_FLOAT, stride, &mesh.normals[0].x);
    bool coloured = primitive == GL_TRIANGLES;
    if (coloured) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, stride, &mesh.colours[0].x);
    }

    if (primitive == GL_POINTS || primitive == GL_TRIANGLES) {
        // Separate points and separate triangles are the same whether drawn in one
        // call or one call per face.
        glDrawElements(primitive, GLsizei(n), GL_UNSIGNED_INT, indices.data());
    } else {
        // Loops and polygons close per face: one primitive each, as a begin/end block
        // per face would (a line stipple restarts with each loop).
        counts.assign(mesh.nf, 3);
        starts.resize(mesh.nf);
        for (int i = 0; i < mesh.nf; ++i) starts[i] = indices.data() + size_t(i) * 3;
        glMultiDrawElements(primitive, counts.data(), GL_UNSIGNED_INT, starts.data(), mesh.nf);
    }

    if (coloured) {
        glDisableClientState(GL_COLOR_ARRAY);
        // The current colour is undefined after drawing from a colour array; a begin/end
        // block would leave the last corner's colour.
        const Vector& last = mesh.colours[mesh.faces[mesh.nf - 1].vindex[2]];
        glColor3f(last.x, last.y, last.z);
    }
    const Vector& last_normal = mesh.normals[mesh.faces[mesh.nf - 1].vindex[2]];
    glNormal3f(last_normal.x, last_normal.y, last_normal.z);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void MeshDrawer::draw_flat_faces(const Mesh& mesh, bool marked_only) {
    if (mesh.nf == 0) return;
    CentredOnMesh centred(mesh);
    // Three corners of their own per face, each carrying the face's normal and colour:
    // flat shading takes them from the last corner.
    flat_positions.clear();
    flat_normals.clear();
    flat_colours.clear();
    for (int i = 0; i < mesh.nf; ++i) {
        const Face& f = mesh.faces[i];
        if (marked_only && !f.marked) continue;
        for (int k = 0; k < 3; ++k) {
            flat_positions.push_back(mesh.vertices[f.vindex[k]]);
            flat_normals.push_back(f.normal);
            flat_colours.push_back(f.colour);
        }
    }
    if (flat_positions.empty()) return;
    const GLsizei stride = sizeof(Vector);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, &flat_positions[0].x);
    glNormalPointer(GL_FLOAT, stride, &flat_normals[0].x);
    if (!marked_only) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, stride, &flat_colours[0].x);
    }
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(flat_positions.size()));
    if (!marked_only) glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void draw_selected_face(const Mesh& mesh) {
    int s = mesh.selectedface;
    if (s < 1 || s > mesh.nf) return;
    CentredOnMesh centred(mesh);
    const Face& f = mesh.faces[s - 1];
    glColor3f(1, 0, 0);
    glNormal3f(f.normal.x, f.normal.y, f.normal.z);
    glBegin(GL_TRIANGLES);
    for (const Vector* corner : f.corners) vertex(*corner);
    glEnd();
}

// Points and lines alternate, and where two of them meet at one depth the later one
// shows, so the order is kept: one primitive each, drawn in one call where the
// OpenGL implementation can draw primitives of mixed kinds from one array.
void MeshDrawer::draw_face_normals(const Mesh& mesh) {
    if (mesh.nf == 0) return;
    CentredOnMesh centred(mesh);
    float length = mesh.extent / 30;
    size_t n = size_t(mesh.nf);
    flat_positions.resize(3 * n);
    flat_colours.resize(3 * n);
    const Vector black(0, 0, 0, 1), red(1, 0, 0, 1);
    for (size_t i = 0; i < n; ++i) {
        const Vector& c = mesh.centroids[i];
        flat_positions[3 * i] = c;
        flat_positions[3 * i + 1] = c;
        flat_positions[3 * i + 2] = c + mesh.faces[i].normal * length;
        flat_colours[3 * i] = black;
        flat_colours[3 * i + 1] = red;
        flat_colours[3 * i + 2] = red;
    }
    const GLsizei stride = sizeof(Vector);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, &flat_positions[0].x);
    glColorPointer(4, GL_FLOAT, stride, &flat_colours[0].x);
    if (auto draw_mixed = multimode_draw_arrays()) {
        modes.resize(2 * n);
        firsts.resize(2 * n);
        counts.resize(2 * n);
        for (size_t i = 0; i < n; ++i) {
            modes[2 * i] = GL_POINTS;
            firsts[2 * i] = GLint(3 * i);
            counts[2 * i] = 1;
            modes[2 * i + 1] = GL_LINES;
            firsts[2 * i + 1] = GLint(3 * i + 1);
            counts[2 * i + 1] = 2;
        }
        draw_mixed(modes.data(), firsts.data(), counts.data(), GLsizei(2 * n), sizeof(GLenum));
    } else {
        for (size_t i = 0; i < n; ++i) {
            glDrawArrays(GL_POINTS, GLint(3 * i), 1);
            glDrawArrays(GL_LINES, GLint(3 * i + 1), 2);
        }
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4f(1, 0, 0, 1); // as the last line left it
}

void draw_bounding_box(const Mesh& mesh) {
    static constexpr int sides[6][4] = {{0, 1, 2, 3}, {3, 2, 5, 4}, {4, 7, 6, 5},
                                        {0, 1, 6, 7}, {1, 6, 5, 2}, {0, 7, 4, 3}};
    CentredOnMesh centred(mesh);
    glColor3f(0, 1, 0);
    for (const auto& side : sides) {
        glBegin(GL_LINE_LOOP);
        for (int corner : side) vertex(mesh.bbox[corner]);
        glEnd();
    }
}

void gl_initialise_state() {
    glClearColor(1, 1, 1, 1);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    gl_set_light_colours(Vector(0.5f, 0.5f, 0.5f, 1), Vector(0.125f, 0.125f, 0.125f, 1),
                         Vector(0, 0, 0, 1));

    glLineWidth(2);
    glPointSize(3);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glPolygonOffset(1.0f, 0.0001f);
}

void gl_set_light_colours(const Vector& ambient, const Vector& diffuse, const Vector& specular) {
    const float a[4] = {ambient.x, ambient.y, ambient.z, ambient.w};
    const float d[4] = {diffuse.x, diffuse.y, diffuse.z, diffuse.w};
    const float s[4] = {specular.x, specular.y, specular.z, specular.w};
    glLightfv(GL_LIGHT0, GL_AMBIENT, a);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, d);
    glLightfv(GL_LIGHT0, GL_SPECULAR, s);
}

void gl_set_lighting(const Lighting& l) {
    gl_set_light_colours(l.ambient, l.diffuse, l.specular);
    const float s = l.surface_specular;
    const float surface[4] = {s, s, s, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, surface);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, l.shininess);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, l.two_sided ? GL_TRUE : GL_FALSE);
}

Vector light_direction(float altitude, float azimuth) {
    const float pi = 3.1415927f;
    float a = altitude * pi / 180, b = azimuth * pi / 180;
    return Vector(std::cos(b) * std::sin(a), std::sin(b) * std::sin(a), std::cos(a), 0);
}

void gl_set_light_position(const Vector& p) {
    const float position[4] = {p.x, p.y, p.z, p.w};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void gl_set_projection(int w, int h, Projection projection_mode) {
    if (w == 0) w = 1;
    if (h == 0) h = 1;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (projection_mode == Projection::Orthographic)
        glOrtho(-w * 0.5, w * 0.5, -h * 0.5, h * 0.5, -orthographic_depth, orthographic_depth);
    else
        gluPerspective(perspective_fov_y, double(w) / double(h), perspective_near, perspective_far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void gl_paint_frame(const FrameSettings& s, const Mesh& mesh, MeshDrawer& drawer,
                    const FrameLayers& layers) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(s.background[0], s.background[1], s.background[2], 1); // for the next frame

    glLoadIdentity();
    if (s.projection_mode == Projection::Orthographic) {
        float scale = -s.camera_distance;
        glScalef(scale, scale, scale);
    } else {
        gluLookAt(0, 0, -s.camera_distance, 0, 0, 0, 0, 1, 0);
    }
    glTranslatef(s.pan[0], s.pan[1], 0);
    glMultMatrixf(s.arcball_transform.data());

    if (layers.clipping_planes) layers.clipping_planes();
    draw_mesh(s.render_mode, mesh, drawer);

    glDisable(GL_LIGHTING);
    draw_selected_face(mesh);
    if (layers.representatives) layers.representatives();
    if (layers.mean_shift_window) {
        CentredOnMesh centred(mesh);
        layers.mean_shift_window();
    }
    for (int plane = 0; plane < 6; ++plane) glDisable(GL_CLIP_PLANE0 + plane);
    glEnable(GL_LIGHTING);
}
