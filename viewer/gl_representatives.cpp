#include "viewer/gl_representatives.h"

#include <GL/gl.h>

void gl_draw_representatives(const Mesh& mesh, std::span<const int> faces) {
    if (faces.empty()) return;
    glPushMatrix();
    glTranslatef(-mesh.centre.x, -mesh.centre.y, -mesh.centre.z);
    glColor3f(1, 1, 0);
    glBegin(GL_TRIANGLES);
    for (int f : faces) {
        if (f < 0 || f >= mesh.nf) continue;
        const Face& face = *mesh.faceptrs[f];
        for (int k = 0; k < 3; ++k) {
            const Vector& n = mesh.normals[face.vindex[k]];
            const Vector& p = *face.corners[k];
            glNormal3f(n.x, n.y, n.z);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
    glPopMatrix();
}
