#include "viewer/gl_picking.h"

#include <GL/glu.h>

namespace {

Vector unproject(double wx, double wy, double wz, const std::array<int, 4>& viewport,
                 const std::array<double, 16>& modelview,
                 const std::array<double, 16>& projection) {
    double x = 0, y = 0, z = 0;
    gluUnProject(wx, wy, wz, modelview.data(), projection.data(), viewport.data(), &x, &y, &z);
    return Vector(float(x), float(y), float(z));
}

struct PickRay {
    Vector near, far;
};

PickRay pick_ray(const Mesh& mesh, const std::array<int, 4>& viewport,
                 const std::array<double, 16>& modelview, const std::array<double, 16>& projection,
                 Projection projection_mode, double view_height, double x, double y) {
    double wy = view_height - y;
    double near_depth = projection_mode == Projection::Orthographic ? -1.0 : 0.0;
    // The mesh is drawn translated by minus its centre; the ray moves back by it so that
    // the faces are met where they are drawn.
    Vector shift(mesh.centre.x, mesh.centre.y, mesh.centre.z, 0);
    return {unproject(x, wy, near_depth, viewport, modelview, projection) + shift,
            unproject(x, wy, 1.0, viewport, modelview, projection) + shift};
}

} // namespace

int pick_face(const Mesh& mesh, const std::array<int, 4>& viewport,
              const std::array<double, 16>& modelview, const std::array<double, 16>& projection,
              Projection projection_mode, double view_height, double x, double y) {
    auto [near, far] =
        pick_ray(mesh, viewport, modelview, projection, projection_mode, view_height, x, y);
    Vector dir = far - near;
    dir.normalise();

    float best = 1e28f;
    int selected = mesh.selectedface;
    for (int i = 0; i < mesh.nf; ++i) {
        Vector hit;
        if (!mesh.faces[i].intersect(near, far, hit)) continue;
        Vector offset = dir - (hit - near);
        float m = offset.length();
        if (best > m) {
            best = m;
            selected = i + 1;
        }
    }
    return selected;
}

std::optional<Vector> pick_point(const Mesh& mesh, const std::array<int, 4>& viewport,
                                 const std::array<double, 16>& modelview,
                                 const std::array<double, 16>& projection,
                                 Projection projection_mode, double view_height, double x,
                                 double y) {
    auto [near, far] =
        pick_ray(mesh, viewport, modelview, projection, projection_mode, view_height, x, y);
    std::optional<Vector> nearest;
    float best = 0;
    for (int i = 0; i < mesh.nf; ++i) {
        Vector hit;
        if (!mesh.faces[i].intersect(near, far, hit)) continue;
        float d = (hit - near).length();
        if (!nearest || d < best) {
            best = d;
            nearest = hit;
        }
    }
    return nearest;
}
