#include "core/arcball.h"

#include <cmath>

void matrix4_set_identity(Matrix4& m) {
    m.fill(0);
    m[0] = m[5] = m[10] = m[15] = 1;
}

void matrix3_set_identity(Matrix3& m) {
    m.fill(0);
    m[0] = m[4] = m[8] = 1;
}

void matrix3_set_rotation_from_quaternion(Matrix3& m, const Vector& q) {
    float n = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    float s = n > 0 ? 2 / n : 0;
    float xs = q.x * s, ys = q.y * s, zs = q.z * s;
    float wx = q.w * xs, wy = q.w * ys, wz = q.w * zs;
    float xx = q.x * xs, xy = q.x * ys, xz = q.x * zs;
    float yy = q.y * ys, yz = q.y * zs, zz = q.z * zs;
    auto at = [&m](int r, int c) -> float& { return m[c * 3 + r]; };
    at(0, 0) = 1 - (yy + zz);
    at(0, 1) = xy - wz;
    at(0, 2) = xz + wy;
    at(1, 0) = xy + wz;
    at(1, 1) = 1 - (xx + zz);
    at(1, 2) = yz - wx;
    at(2, 0) = xz - wy;
    at(2, 1) = yz + wx;
    at(2, 2) = 1 - (xx + yy);
}

Matrix3 matrix3_multiply(const Matrix3& a, const Matrix3& b) {
    Matrix3 out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[c * 3 + r] = a[0 * 3 + r] * b[c * 3 + 0] + a[1 * 3 + r] * b[c * 3 + 1] +
                             a[2 * 3 + r] * b[c * 3 + 2];
    return out;
}

void matrix4_set_rotation_scale_preserving(Matrix4& m, const Matrix3& r) {
    float squares = 0;
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) squares += m[c * 4 + row] * m[c * 4 + row];
    float scale = std::sqrt(squares / 3);
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) m[c * 4 + row] = r[c * 3 + row] * scale;
}

ArcBall::ArcBall() {
    matrix4_set_identity(transform);
    matrix3_set_identity(last_rotation);
    matrix3_set_identity(this_rotation);
}

void ArcBall::set_bounds(float width, float height) {
    adjust_width = 1 / ((width - 1) * 0.5f);
    adjust_height = 1 / ((height - 1) * 0.5f);
}

Vector ArcBall::map_to_sphere(const Vector& p) const {
    float x = p.x, y = p.y;
    if (axis_lock == 0) {
        x = x * adjust_width - 1;
        y = 1 - y * adjust_height;
    } else if (axis_lock == 1) {
        y = 1 - y * adjust_height;
    } else if (axis_lock == 2) {
        x = x * adjust_width - 1;
    }
    float l = x * x + y * y;
    if (l > 1) {
        float s = 1 / std::sqrt(l);
        return Vector(x * s, y * s, 0);
    }
    return Vector(x, y, std::sqrt(1 - l));
}

void ArcBall::click(const Vector& p) {
    last_rotation = this_rotation;
    dragging = true;
    start_vector = map_to_sphere(p);
}

void ArcBall::drag(const Vector& p) {
    if (!dragging) return;
    end_vector = map_to_sphere(p);
    Vector perp;
    perp.cross(start_vector, end_vector);
    Vector q(0, 0, 0, 0);
    if (perp.length() > 0.00001f) {
        switch (constraint) {
        case 0:
        case 1:
        case 2:
            q = Vector(perp.x, perp.y, perp.z, 0);
            break;
        case 3:
        case 4:
            q = Vector(perp.z, perp.y, perp.x, 0);
            break;
        case 5:
        case 6:
            q = Vector(perp.x, perp.z, perp.y, 0);
            break;
        default:
            break;
        }
        q.w = start_vector.dot(end_vector);
    }
    matrix3_set_rotation_from_quaternion(this_rotation, q);
    this_rotation = matrix3_multiply(this_rotation, last_rotation);
    matrix4_set_rotation_scale_preserving(transform, this_rotation);
}
