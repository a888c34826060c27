// ArcBall: turns a drag across the view into a rotation, as if the mouse rolled a
// ball under the window. Matrices are column-major (element (r, c) at c * size + r),
// the order OpenGL loads them in.
#pragma once

#include "core/vector.h"

#include <array>

using Matrix3 = std::array<float, 9>;
using Matrix4 = std::array<float, 16>;

void matrix4_set_identity(Matrix4& m);
void matrix3_set_identity(Matrix3& m);
// Rotation matrix of the quaternion (x, y, z, w) held in q; a zero quaternion gives identity.
void matrix3_set_rotation_from_quaternion(Matrix3& m, const Vector& q);
// a * b.
Matrix3 matrix3_multiply(const Matrix3& a, const Matrix3& b);
// Replaces the upper-left 3 x 3 of m by r times m's current scale.
void matrix4_set_rotation_scale_preserving(Matrix4& m, const Matrix3& r);

class ArcBall {
  public:
    ArcBall();

    void set_bounds(float width, float height);
    Vector map_to_sphere(const Vector& p) const;
    void click(const Vector& p);
    void drag(const Vector& p);
    void release() { dragging = false; }

    int axis_lock = 0;  // 0 both window axes, 1 only y, 2 only x
    int constraint = 0; // permutation of the drag axis, 0-6
    bool dragging = false;
    Matrix4 transform;
    Matrix3 last_rotation;
    Matrix3 this_rotation;
    Vector start_vector{0, 0, 0};
    Vector end_vector{0, 0, 0};
    float adjust_width = 0;
    float adjust_height = 0;
};
