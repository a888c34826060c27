#define GL_GLEXT_PROTOTYPES
#include "viewer/gl_frame.h"

#include <GL/glext.h>
#include <GL/glu.h>
#include <cmath>

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

void draw_mesh(int render_mode, const Mesh& mesh, MeshDrawer& drawer) {
    switch (render_mode) {
    case RENDER_WIREFRAME:
        glDisable(GL_LIGHTING);
        glColor3f(0, 0, 0);
        drawer.draw_faces(mesh, GL_LINE_LOOP);
        glEnable(GL_LIGHTING);
        break;
    case RENDER_WIREFRAME_DOTTED_HL:
        draw_wireframe_dotted_hidden_lines(mesh, drawer);
        break;
    case RENDER_WIREFRAME_NO_HL:
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
    case RENDER_POLYGONS_WIREFRAME:
        glEnable(GL_POLYGON_OFFSET_FILL);
        drawer.draw_faces(mesh, GL_TRIANGLES);
        glColor3f(0, 0, 0);
        glDisable(GL_LIGHTING);
        drawer.draw_faces(mesh, GL_LINE_LOOP);
        glEnable(GL_LIGHTING);
        glDisable(GL_POLYGON_OFFSET_FILL);
        break;
    case RENDER_POLYGONS:
        drawer.draw_faces(mesh, GL_TRIANGLES);
        break;
    case RENDER_POINTS:
        glDisable(GL_LIGHTING);
        glColor3f(0, 0, 0);
        drawer.draw_faces(mesh, GL_POINTS);
        glEnable(GL_LIGHTING);
        break;
    case RENDER_FACE_NORMALS:
        glDisable(GL_LIGHTING);
        draw_face_normals(mesh);
        draw_wireframe_dotted_hidden_lines(mesh, drawer);
        break;
    case RENDER_BOUNDING_BOX:
        glDisable(GL_LIGHTING);
        draw_bounding_box(mesh);
        glEnable(GL_LIGHTING);
        break;
    default:
        break;
    }
}

} // namespace

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

void draw_face_normals(const Mesh& mesh) {
    CentredOnMesh centred(mesh);
    float length = mesh.extent / 30;
    for (int i = 0; i < mesh.nf; ++i) {
        const Vector& c = mesh.centroids[i];
        glColor4f(0, 0, 0, 1);
        glBegin(GL_POINTS);
        vertex(c);
        glEnd();
        glColor4f(1, 0, 0, 1);
        glBegin(GL_LINES);
        vertex(c);
        vertex(c + mesh.faces[i].normal * length);
        glEnd();
    }
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

Vector light_direction(float altitude, float azimuth) {
    const float pi = 3.1415927f;
    float a = altitude * pi / 180, b = azimuth * pi / 180;
    return Vector(std::cos(b) * std::sin(a), std::sin(b) * std::sin(a), std::cos(a), 0);
}

void gl_set_light_position(const Vector& p) {
    const float position[4] = {p.x, p.y, p.z, p.w};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void gl_set_projection(int w, int h, int projection_mode) {
    if (w == 0) w = 1;
    if (h == 0) h = 1;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (projection_mode == 1)
        glOrtho(-w * 0.5, w * 0.5, -h * 0.5, h * 0.5, -512, 512);
    else
        gluPerspective(45, double(w) / double(h), 0.1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void gl_paint_frame(const FrameSettings& s, const Mesh& mesh, MeshDrawer& drawer,
                    const FrameLayers& layers) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(s.background[0], s.background[1], s.background[2], 1); // for the next frame

    glLoadIdentity();
    if (s.projection_mode == 1) {
        float scale = -s.camera_distance;
        glScalef(scale, scale, scale);
    } else {
        gluLookAt(0, 0, -s.camera_distance, 0, 0, 0, 0, 1, 0);
    }
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
