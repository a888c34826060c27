#include "viewer/gl_clipping.h"

#include "clipping/plane_outline.h"

#include <GL/gl.h>

namespace {

void outline_vertices(const std::vector<Vector>& outline) {
    for (const Vector& p : outline) glVertex3f(p.x, p.y, p.z);
}

void draw_unselected_outlines(const PlaneWidgetInCube& planes) {
    glColor3f(0.5f, 0.5f, 0.5f);
    for (size_t i = 0; i < planes.outlines.size() && i < plane_count; ++i) {
        if (planes.selected[i] == 1) continue;
        glLineWidth(2);
        glBegin(GL_LINE_LOOP);
        outline_vertices(planes.outlines[i]);
        glEnd();
        glLineWidth(1);
    }
}

void draw_cube_edges(const PlaneWidgetInCube& planes) {
    glColor3f(0.45f, 0.65f, 0.95f);
    glBegin(GL_LINES);
    for (const auto& [from, to] : cube_edges) {
        const Vector &p = planes.cube_corners[from], &q = planes.cube_corners[to];
        glVertex3f(p.x, p.y, p.z);
        glVertex3f(q.x, q.y, q.z);
    }
    glEnd();
}

} // namespace

// The lines keep their own colours: the light is the mesh's.
void draw_clipping_planes(const PlaneWidgetInCube& planes) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    if (planes.any_selected()) draw_cube_edges(planes);
    bool unselected_drawn = false;
    for (size_t i = 0; i < planes.outlines.size() && i < plane_count; ++i) {
        if (planes.selected[i] != 1) continue;
        glColor3f(1, 1, 0);
        glBegin(GL_LINE_LOOP);
        outline_vertices(planes.outlines[i]);
        glEnd();
        glBegin(GL_POINTS);
        outline_vertices(planes.outlines[i]);
        glEnd();
        if (!unselected_drawn) {
            draw_unselected_outlines(planes);
            unselected_drawn = true;
        }
    }
    if (planes.show_all == 1) draw_unselected_outlines(planes);
    glPopAttrib();
}

void load_clip_plane_equations(const PlaneWidgetInCube& planes) {
    for (size_t i = 0; i < planes.planes.size() && i < plane_count; ++i)
        glClipPlane(GLenum(GL_CLIP_PLANE0 + i), planes.planes[i].equation.data());
}

void enable_clipping() {
    for (int i = 0; i < plane_count; ++i) glEnable(GLenum(GL_CLIP_PLANE0 + i));
}

void disable_clipping() {
    for (int i = 0; i < plane_count; ++i) glDisable(GLenum(GL_CLIP_PLANE0 + i));
}

std::function<void()> clipping_planes_layer(const PlaneWidgetInCube& planes) {
    return [&planes] {
        draw_clipping_planes(planes);
        load_clip_plane_equations(planes);
        enable_clipping();
    };
}
