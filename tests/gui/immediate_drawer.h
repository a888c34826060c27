// The plain way of drawing a mesh, kept to check the view's vertex arrays against.
#pragma once

#include "core/mesh.h"
#include "viewer/gl_frame.h"

// The reference drawing: one begin/end block per face, the corner's colour only for
// triangles, then its normal and position.
class ImmediateDrawer : public MeshDrawer {
  public:
    void draw_faces(const Mesh& mesh, GLenum primitive) override {
        glPushMatrix();
        glTranslatef(-mesh.centre.x, -mesh.centre.y, -mesh.centre.z);
        for (int i = 0; i < mesh.nf; ++i) {
            glBegin(primitive);
            for (int k = 0; k < 3; ++k) {
                int v = mesh.faces[i].vindex[k];
                if (primitive == GL_TRIANGLES)
                    glColor3f(mesh.colours[v].x, mesh.colours[v].y, mesh.colours[v].z);
                glNormal3f(mesh.normals[v].x, mesh.normals[v].y, mesh.normals[v].z);
                glVertex3f(mesh.vertices[v].x, mesh.vertices[v].y, mesh.vertices[v].z);
            }
            glEnd();
        }
        glPopMatrix();
    }

    // One triangle per face with the face's colour (unless only the marked faces are
    // drawn) and normal.
    void draw_flat_faces(const Mesh& mesh, bool marked_only) override {
        glPushMatrix();
        glTranslatef(-mesh.centre.x, -mesh.centre.y, -mesh.centre.z);
        for (int i = 0; i < mesh.nf; ++i) {
            const Face& f = mesh.faces[i];
            if (marked_only && !f.marked) continue;
            glBegin(GL_TRIANGLES);
            for (int k = 0; k < 3; ++k) {
                if (!marked_only) glColor3f(f.colour.x, f.colour.y, f.colour.z);
                glNormal3f(f.normal.x, f.normal.y, f.normal.z);
                const Vector& v = mesh.vertices[f.vindex[k]];
                glVertex3f(v.x, v.y, v.z);
            }
            glEnd();
        }
        glPopMatrix();
    }

    void draw_face_normals(const Mesh& mesh) override { draw_face_normals_immediately(mesh); }

    // For every face a point at its centroid, then a line along its normal.
    static void draw_face_normals_immediately(const Mesh& mesh) {
        glPushMatrix();
        glTranslatef(-mesh.centre.x, -mesh.centre.y, -mesh.centre.z);
        float length = mesh.extent / 30;
        for (int i = 0; i < mesh.nf; ++i) {
            const Vector& c = mesh.centroids[i];
            Vector tip = c + mesh.faces[i].normal * length;
            glColor4f(0, 0, 0, 1);
            glBegin(GL_POINTS);
            glVertex3f(c.x, c.y, c.z);
            glEnd();
            glColor4f(1, 0, 0, 1);
            glBegin(GL_LINES);
            glVertex3f(c.x, c.y, c.z);
            glVertex3f(tip.x, tip.y, tip.z);
            glEnd();
        }
        glPopMatrix();
    }
};
