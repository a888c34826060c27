#include "clipping/cut_plane.h"

namespace {

// Every plane's ArcBall works on a virtual window of this size, whatever the view's.
constexpr float arcball_bounds = 800;

// Index of the coordinate a face mode fixes: z for front and back, x for right and left,
// y for top and bottom; -1 for anything else (a plane file may hold any integer).
int face_axis(int mode) {
    switch (mode) {
    case 1:
    case 2:
        return 2;
    case 3:
    case 4:
        return 0;
    case 5:
    case 6:
        return 1;
    default:
        return -1;
    }
}

float& coordinate(Vector& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

} // namespace

std::array<double, 4> plane_equation(const Vector& p1, const Vector& p2, const Vector& p3) {
    const double x1 = p1.x, y1 = p1.y, z1 = p1.z;
    const double x2 = p2.x, y2 = p2.y, z2 = p2.z;
    const double x3 = p3.x, y3 = p3.y, z3 = p3.z;
    double a = y1 * (z2 - z3) + y2 * (z3 - z1) + y3 * (z1 - z2);
    double b = z1 * (x2 - x3) + z2 * (x3 - x1) + z3 * (x1 - x2);
    double c = x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2);
    double d = x1 * (y2 * z3 - y3 * z2) + x2 * (y3 * z1 - y1 * z3) + x3 * (y1 * z2 - y2 * z1);
    return {a, b, c, -double(float(d))};
}

CutPlane::CutPlane() {
    // Bounds like a constructed plane's, so that a plane read from a file can be tilted.
    arcball.set_bounds(arcball_bounds, arcball_bounds);
}

CutPlane::CutPlane(const std::array<Vector, 4>& rest, FaceMode mode) : rest_corners(rest) {
    arcball.set_bounds(arcball_bounds, arcball_bounds);
    arcball.constraint = int(mode);
    update(Vector(0, 0, 0));
}

void CutPlane::press(Vector position, PlaneButton button) {
    arcball.axis_lock = int(button);
    if (button == PlaneButton::Left) position.x = 0;
    if (button == PlaneButton::Middle) position.y = 0;
    arcball.click(position);
    last_position = position;
}

void CutPlane::update(Vector p, float cube) {
    if (arcball.axis_lock == int(PlaneButton::Left)) {
        p.x = 0;
        arcball.drag(p);
    } else if (arcball.axis_lock == int(PlaneButton::Middle)) {
        p.y = 0;
        arcball.drag(p);
    } else if (arcball.axis_lock == int(PlaneButton::Right)) {
        float dy = last_position.y - p.y;
        // A 2,560th of the cube per pixel: 0.1 on the window's start cube of 256.
        float d = float(double(dy) * 0.1 * (double(cube) / 256.0));
        last_position = p;
        Vector step = d * normal;
        arcball.transform[12] += step.x;
        arcball.transform[13] += step.y;
        arcball.transform[14] += step.z;
    }

    // The rest corners flattened onto the face's axis plane through the origin, turned
    // and moved by the ArcBall's transform, then shifted back along the face axis.
    const int axis = face_axis(arcball.constraint);
    const Matrix4& m = arcball.transform;
    for (int k = 0; k < 4; ++k) {
        Vector c = rest_corners[k];
        if (axis >= 0) coordinate(c, axis) = 0;
        Vector t = c;
        t.x = m[0] * c.x + m[1] * c.y + m[2] * c.z + m[3] * c.w + m[12];
        t.y = m[4] * c.x + m[5] * c.y + m[6] * c.z + m[7] * c.w + m[13];
        t.z = m[8] * c.x + m[9] * c.y + m[10] * c.z + m[11] * c.w + m[14];
        if (axis >= 0) coordinate(t, axis) += coordinate(rest_corners[k], axis);
        corners[k] = t;
    }

    Vector n;
    n.cross(corners[1] - corners[2], corners[0] - corners[1]);
    n.normalise();
    normal = n;
    centre = (corners[0] + corners[1] + corners[2] + corners[3]) / 4;
    equation = plane_equation(corners[0], corners[1], corners[2]);
}

void CutPlane::end_drag() {
    arcball.axis_lock = 0;
    arcball.dragging = false;
}
