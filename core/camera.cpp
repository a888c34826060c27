#include "core/camera.h"

#include <algorithm>
#include <cmath>

namespace {

// Eye-space position of a vertex: centred on the mesh, then turned by the transform.
struct EyePoint {
    double x, y, z;
};

EyePoint to_eye(const Vector& v, const Vector& centre, const Matrix4& m) {
    double px = double(v.x) - centre.x, py = double(v.y) - centre.y, pz = double(v.z) - centre.z;
    return {m[0] * px + m[4] * py + m[8] * pz + m[12], m[1] * px + m[5] * py + m[9] * pz + m[13],
            m[2] * px + m[6] * py + m[10] * pz + m[14]};
}

// Keeps the sign of `distance`, its magnitude within [nearest, farthest] where it can
// (a magnitude already nearer zero than `floor` is kept as a floor of its own).
float limit_magnitude(float distance, float proposed, float floor) {
    float sign = distance < 0 ? -1.0f : 1.0f;
    float magnitude = proposed * sign; // negative when proposed crossed zero
    float lowest = std::min(std::fabs(distance), floor);
    magnitude =
        std::clamp(magnitude, lowest, std::max(std::fabs(distance), farthest_camera_distance));
    return sign * magnitude;
}

} // namespace

float fit_camera_distance(const Mesh& mesh, const Matrix4& transform, Projection projection, int w,
                          int h) {
    w = std::max(w, 1);
    h = std::max(h, 1);
    const double pi = 3.14159265358979323846;
    const double tan_y = std::tan(perspective_fov_y * pi / 360), tan_x = tan_y * w / h;
    double extent_x = 0, extent_y = 0, extent_z = 0; // largest |x|, |y|, |z| in eye space
    double eye = -INFINITY, nearest_z = -INFINITY;   // perspective: needed eye distance
    for (int i = 0; i < mesh.nv; ++i) {
        EyePoint p = to_eye(mesh.vertices[i], mesh.centre, transform);
        extent_x = std::max(extent_x, std::fabs(p.x));
        extent_y = std::max(extent_y, std::fabs(p.y));
        extent_z = std::max(extent_z, std::fabs(p.z));
        // In front of an eye at distance d a point projects to x / ((d - z) tan_x); it
        // lies within fit_fill of the view once d >= z + |x| / (fit_fill tan_x).
        double spread = std::max(std::fabs(p.x) / tan_x, std::fabs(p.y) / tan_y) / fit_fill;
        eye = std::max(eye, p.z + spread);
        nearest_z = std::max(nearest_z, p.z);
    }
    double largest = std::max({extent_x, extent_y, extent_z});
    if (largest == 0 || !std::isfinite(largest) || !std::isfinite(eye))
        return start_camera_distance;

    if (projection == Projection::Orthographic) {
        double scale = INFINITY; // pixels per mesh unit
        if (extent_x > 0) scale = std::min(scale, fit_fill * 0.5 * w / extent_x);
        if (extent_y > 0) scale = std::min(scale, fit_fill * 0.5 * h / extent_y);
        if (extent_z > 0) scale = std::min(scale, fit_fill * orthographic_depth / extent_z);
        return -float(scale);
    }
    // The nearest point also stays beyond the near plane.
    eye = std::max(eye, nearest_z + perspective_near / fit_fill);
    return -float(eye);
}

float zoom_by_drag(float distance, float step) {
    float proposed = distance + step * 0.1f;
    if (distance == 0) return proposed;
    if (step * 0.1f * distance >= 0) // away from zero: the full step, unlimited
        return proposed;
    return limit_magnitude(distance, proposed, nearest_camera_distance);
}

float zoom_by_wheel(float distance, double notches) {
    if (distance == 0 || !std::isfinite(notches)) return distance;
    float proposed = float(distance * std::pow(wheel_zoom_factor, notches));
    return limit_magnitude(distance, proposed, nearest_camera_distance);
}

float zoom_in_by_wheel(float distance, double notches, Projection projection) {
    return zoom_by_wheel(distance, projection == Projection::Orthographic ? -notches : notches);
}

Vector panned_point(const Mesh& mesh, const Matrix4& transform, const Vector& pan,
                    const Vector& p) {
    EyePoint e = to_eye(p, mesh.centre, transform);
    return Vector(float(pan.x + e.x), float(pan.y + e.y), float(pan.z + e.z));
}

namespace {

// View-space units a pixel spans at view depth z.
double unit_per_pixel(float distance, Projection projection, int h, float z) {
    if (projection == Projection::Orthographic) return distance == 0 ? 0 : -1.0 / distance;
    const double pi = 3.14159265358979323846;
    double depth = double(-distance) - z; // from the eye, along its axis
    return depth > 0 ? depth * std::tan(perspective_fov_y * pi / 360) / (std::max(h, 1) * 0.5) : 0;
}

} // namespace

Vector pan_by_drag(const Vector& pan, float dx, float dy, float distance, Projection projection,
                   int h, float z) {
    double unit = unit_per_pixel(distance, projection, h, z);
    return Vector(float(pan.x + dx * unit), float(pan.y + dy * unit), pan.z);
}

Vector pan_keeping_point(const Vector& pan, const Vector& point, float before, float after,
                         Projection projection) {
    double stretch; // how far the point must move from the view axis, as a factor
    if (projection == Projection::Orthographic) {
        if (after == 0) return pan;
        stretch = double(before) / after;
    } else {
        double from = double(-before) - point.z, to = double(-after) - point.z;
        if (from <= 0 || to <= 0) return pan;
        stretch = to / from;
    }
    if (!std::isfinite(stretch)) return pan;
    return Vector(float(pan.x + point.x * (stretch - 1)), float(pan.y + point.y * (stretch - 1)),
                  pan.z);
}
