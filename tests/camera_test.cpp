// The camera's framing and zoom: a fitted mesh fills the view up to its margin in both
// projections and under any rotation, and the zoom controls never take the distance
// through zero.
#include "core/camera.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// A mesh of the given vertices (a fan of faces over them).
Mesh mesh_of(const std::vector<Vector>& points) {
    Mesh m;
    m.alloc_vertices(int(points.size()));
    for (size_t i = 0; i < points.size(); ++i) m.vertices[i] = points[i];
    m.alloc_faces(int(points.size()) - 2);
    for (int i = 0; i < m.nf; ++i) {
        m.faces[i].vindex[0] = 0;
        m.faces[i].vindex[1] = i + 1;
        m.faces[i].vindex[2] = i + 2;
    }
    m.link_faces();
    m.build_centre();
    return m;
}

// A random cloud of `n` points in a box of the given half sizes around `at`.
Mesh cloud(std::mt19937& random, int n, Vector half, Vector at) {
    std::uniform_real_distribution<float> unit(-1, 1);
    std::vector<Vector> points;
    for (int i = 0; i < n; ++i)
        points.emplace_back(at.x + half.x * unit(random), at.y + half.y * unit(random),
                            at.z + half.z * unit(random));
    return mesh_of(points);
}

// A rotation matrix as the arcball makes them, from an axis and an angle.
Matrix4 rotation(std::mt19937& random) {
    std::uniform_real_distribution<float> unit(-1, 1);
    Vector q(unit(random), unit(random), unit(random), unit(random));
    Matrix3 r;
    matrix3_set_rotation_from_quaternion(r, q);
    Matrix4 m;
    matrix4_set_identity(m);
    matrix4_set_rotation_scale_preserving(m, r);
    return m;
}

// How far across the view the farthest vertex lands: the largest of |x| and |y| in
// normalised device coordinates (1 at the window's edge), as OpenGL would project it
// with the frame's matrices; and the largest depth in the same units.
struct Reach {
    double across = 0, depth = 0;
    bool in_front = true;
};

Reach reach(const Mesh& m, const Matrix4& t, Projection projection, int w, int h, float distance) {
    Reach r;
    const double pi = 3.14159265358979323846;
    double f = 1 / std::tan(perspective_fov_y * pi / 360);
    for (const Vector& v : m.vertices) {
        double x = v.x - m.centre.x, y = v.y - m.centre.y, z = v.z - m.centre.z;
        double ex = t[0] * x + t[4] * y + t[8] * z, ey = t[1] * x + t[5] * y + t[9] * z,
               ez = t[2] * x + t[6] * y + t[10] * z;
        if (projection == Projection::Orthographic) {
            double s = -distance;
            r.across =
                std::max({r.across, std::fabs(s * ex) / (w / 2.0), std::fabs(s * ey) / (h / 2.0)});
            r.depth = std::max(r.depth, std::fabs(s * ez) / orthographic_depth);
        } else {
            double in_front = -distance - ez; // distance from the eye along its view
            r.in_front = r.in_front && in_front > perspective_near;
            r.across = std::max(
                {r.across, std::fabs(ex) * f * h / w / in_front, std::fabs(ey) * f / in_front});
        }
    }
    return r;
}

TEST(CameraFit, FillsTheViewUpToItsMarginInBothProjections) {
    std::mt19937 random(8);
    struct Case {
        Vector half, at;
    } cases[] = {
        {{0.1f, 0.1f, 0.08f}, {-0.02f, 0.1f, 0}}, // the size of the Stanford bunny
        {{300, 200, 250}, {40, -10, 5}},          // a teapot in centimetres
        {{128, 30, 128}, {128, 30, 128}},         // a terrain
        {{2000, 0, 1}, {0, 0, 0}},                // long, flat and thin
        {{1, 1, 50}, {0, 0, 0}},                  // deep: the depth limits the scale
    };
    for (const Case& c : cases)
        for (Projection projection : {Projection::Orthographic, Projection::Perspective})
            for (int turn = 0; turn < 20; ++turn) {
                Mesh m = cloud(random, 200, c.half, c.at);
                Matrix4 t = turn == 0 ? ArcBall().transform : rotation(random);
                int w = turn % 2 ? 800 : 333, h = turn % 3 ? 600 : 901;
                float d = fit_camera_distance(m, t, projection, w, h);
                ASSERT_LT(d, 0);
                Reach r = reach(m, t, projection, w, h, d);
                SCOPED_TRACE(testing::Message() << "half " << c.half.x << " turn " << turn
                                                << " projection " << int(projection));
                EXPECT_TRUE(r.in_front);
                EXPECT_LE(r.across, fit_fill * (1 + 1e-5));
                EXPECT_LE(r.depth, fit_fill * (1 + 1e-5));
                // Tight along the limiting direction.
                EXPECT_NEAR(std::max(r.across, r.depth), fit_fill, 1e-4);
            }
}

TEST(CameraFit, AMeshWithoutExtentKeepsTheStartDistance) {
    Mesh empty;
    EXPECT_EQ(fit_camera_distance(empty, ArcBall().transform, Projection::Orthographic, 800, 600),
              start_camera_distance);
    Mesh point = mesh_of({{1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    EXPECT_EQ(fit_camera_distance(point, ArcBall().transform, Projection::Perspective, 800, 600),
              start_camera_distance);
    // A flat mesh seen edge on has no height but a width: it fits its width.
    Mesh flat = mesh_of({{0, 0, 0}, {4, 0, 0}, {4, 0, 4}});
    EXPECT_FLOAT_EQ(
        fit_camera_distance(flat, ArcBall().transform, Projection::Orthographic, 800, 600),
        -float(fit_fill * 400 / 2));
}

TEST(CameraZoom, TheDragKeepsItsStepAndStopsShortOfZero) {
    EXPECT_FLOAT_EQ(zoom_by_drag(-200, 20), -198);  // up 20 pixels
    EXPECT_FLOAT_EQ(zoom_by_drag(-200, -20), -202); // down
    EXPECT_FLOAT_EQ(zoom_by_drag(-1, 15), -nearest_camera_distance);
    EXPECT_FLOAT_EQ(zoom_by_drag(-nearest_camera_distance, 5), -nearest_camera_distance);
    // Already nearer than the limit (set from elsewhere): kept, and free to move away.
    EXPECT_FLOAT_EQ(zoom_by_drag(-1e-5f, 5), -1e-5f);
    EXPECT_FLOAT_EQ(zoom_by_drag(-1e-5f, -10), -1e-5f - 1);
    // A mirrored camera (a positive distance) stays mirrored.
    EXPECT_FLOAT_EQ(zoom_by_drag(3, -50), nearest_camera_distance);
    float d = -200;
    for (int i = 0; i < 5000; ++i) {
        d = zoom_by_drag(d, 7);
        ASSERT_LT(d, 0);
    }
}

TEST(CameraZoom, TheWheelZoomsByAFactorPerNotch) {
    EXPECT_FLOAT_EQ(zoom_by_wheel(-200, 1), -160);  // nearer zero
    EXPECT_FLOAT_EQ(zoom_by_wheel(-200, -1), -250); // farther
    EXPECT_FLOAT_EQ(zoom_by_wheel(-200, 0.5), float(-200 * std::sqrt(0.8)));
    EXPECT_FLOAT_EQ(zoom_by_wheel(-200, 2), zoom_by_wheel(zoom_by_wheel(-200, 1), 1));
    float d = -200;
    for (int i = 0; i < 1000; ++i) d = zoom_by_wheel(d, 1);
    EXPECT_FLOAT_EQ(d, -nearest_camera_distance);
    for (int i = 0; i < 1000; ++i) d = zoom_by_wheel(d, -1);
    EXPECT_FLOAT_EQ(d, -farthest_camera_distance);
}

// Turned away from the user the wheel zooms in: a larger scale, or an eye nearer.
TEST(CameraZoom, TheWheelTurnedForwardZoomsIn) {
    EXPECT_FLOAT_EQ(zoom_in_by_wheel(-200, 1, Projection::Orthographic), -250);
    EXPECT_FLOAT_EQ(zoom_in_by_wheel(-200, 1, Projection::Perspective), -160);
    EXPECT_FLOAT_EQ(zoom_in_by_wheel(-200, -1, Projection::Orthographic), -160);
    EXPECT_FLOAT_EQ(zoom_in_by_wheel(-200, -1, Projection::Perspective), -250);
}

} // namespace
