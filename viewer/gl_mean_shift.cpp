#include "viewer/gl_mean_shift.h"

#include <cmath>

void draw_sphere(const Vector& c, float r, int n, GLenum primitive) {
    const double pi = 3.14159265358979323846;
    auto corner = [&](double phi, double lambda, double u, double v) {
        double ex = std::cos(phi) * std::cos(lambda), ey = std::sin(phi),
               ez = std::cos(phi) * std::sin(lambda);
        glNormal3d(ex, ey, ez);
        glTexCoord2d(u, v);
        glVertex3d(c.x + r * ex, c.y + r * ey, c.z + r * ez);
    };
    for (int j = 0; j < n; ++j) {
        double phi1 = j * 2 * pi / n - pi / 2, phi2 = (j + 1) * 2 * pi / n - pi / 2;
        glBegin(primitive);
        for (int k = 0; k <= n; ++k) {
            double lambda = k * 2 * pi / n;
            corner(phi2, lambda, double(k) / n, 2.0 * (j + 1) / n);
            corner(phi1, lambda, double(k) / n, 2.0 * j / n);
        }
        glEnd();
    }
}

void draw_window(const MeanShift& filter) {
    glDisable(GL_LIGHTING);
    if (filter.mesh->nv == 0 || !filter.window_shown()) return;
    // Before the first run the radius is 0: a sphere without a surface, whose outlines
    // (lines of no length) would still leave a dot at the origin.
    float r = filter.radius.x;
    if (!(std::fabs(r) > 0 && std::isfinite(r))) return;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_LIGHTING);
    glColor4f(1, 0, 0, 0.5f);
    draw_sphere(filter.centre, r, 25, GL_QUAD_STRIP);
    glColor4f(0, 0, 0, 0.5f);
    draw_sphere(filter.centre, r, 25, GL_LINE_LOOP);
    glDisable(GL_CULL_FACE);
}
