// The clipping planes against the plain reference of tests/reference: the same mouse,
// selection and reset sequences on random cubes give the same planes and outlines, bit
// for bit.
#include "clipping/plane_outline.h"
#include "clipping/plane_widget_in_cube.h"
#include "test_util.h"
#include "tests/reference/clipping_reference.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace {

namespace ref = reference_clipping;

bool same(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}
bool same(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

void expect_same(const Vector& v, const ref::P3& r, const std::string& what) {
    EXPECT_TRUE(same(v.x, r.x) && same(v.y, r.y) && same(v.z, r.z))
        << what << ": (" << v.x << ", " << v.y << ", " << v.z << ") against (" << r.x << ", " << r.y
        << ", " << r.z << ")";
}

void expect_same(const PlaneWidgetInCube& w, const ref::Widget& r) {
    ASSERT_EQ(w.planes.size(), 6u);
    ASSERT_EQ(w.outlines.size(), 6u);
    EXPECT_EQ(w.show_all, r.show_all);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE("plane " + std::to_string(i));
        EXPECT_EQ(w.selected[i], r.selected[i]);
        const CutPlane& p = w.planes[i];
        const ref::Plane& q = r.planes[i];
        expect_same(p.normal, q.normal, "normal");
        expect_same(p.centre, q.centre, "centre");
        for (int k = 0; k < 4; ++k) {
            expect_same(p.corners[k], q.corners[k], "corner " + std::to_string(k));
            expect_same(p.rest_corners[k], q.rest[k], "rest corner " + std::to_string(k));
            EXPECT_TRUE(same(p.equation[k], q.equation[k]))
                << "equation " << k << ": " << p.equation[k] << " against " << q.equation[k];
        }
        EXPECT_TRUE(same(p.last_position.y, q.last_y));
        const ArcBall& a = p.arcball;
        const ref::Ball& b = q.ball;
        EXPECT_EQ(a.axis_lock, b.axis_lock);
        EXPECT_EQ(a.constraint, b.constraint);
        EXPECT_EQ(a.dragging, b.dragging);
        for (int k = 0; k < 16; ++k) EXPECT_TRUE(same(a.transform[k], b.transform[k])) << k;
        for (int k = 0; k < 9; ++k) {
            EXPECT_TRUE(same(a.last_rotation[k], b.last_rotation[k])) << k;
            EXPECT_TRUE(same(a.this_rotation[k], b.this_rotation[k])) << k;
        }
        EXPECT_TRUE(same(a.adjust_width, b.adjust_width) && same(a.adjust_height, b.adjust_height));

        ASSERT_EQ(w.outlines[i].size(), r.outlines[i].size());
        for (size_t k = 0; k < r.outlines[i].size(); ++k)
            expect_same(w.outlines[i][k], r.outlines[i][k], "outline point " + std::to_string(k));
    }
}

// One random session on a random cube, both sides compared after every step.
void random_session(unsigned seed) {
    std::mt19937 rng(seed);
    auto uniform = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto integer = [&rng](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };

    float sx = uniform(0.01f, 600), sy = integer(0, 1) ? sx : uniform(0.01f, 600),
          sz = integer(0, 1) ? sx : uniform(0.01f, 600);
    PlaneWidgetInCube w;
    ref::Widget r;
    w.set_cube(sx, sy, sz);
    r.set_cube(sx, sy, sz);
    expect_same(w, r);
    // Window positions: whole pixels mostly, as the mouse gives them, and some beyond the
    // window.
    auto position = [&](float& x, float& y) {
        x = float(integer(-50, 850));
        y = float(integer(-50, 850));
        if (integer(0, 9) == 0) x += uniform(0, 1);
    };

    for (int step = 0; step < 60 && !testing::Test::HasFailure(); ++step) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
        int what = integer(0, 19);
        if (what < 5) {
            int i = integer(-1, 6);
            w.toggle_plane(i);
            r.toggle(i);
        } else if (what < 15) {
            int button = integer(1, 3);
            float x, y;
            position(x, y);
            w.press(Vector(x, y, 0), PlaneButton(button));
            r.press(x, y, button);
            for (int moves = integer(0, 12); moves > 0; --moves) {
                if (integer(0, 5) > 0) position(x, y);
                w.move(Vector(x, y, 0));
                r.move(x, y);
            }
            w.release();
            r.release();
        } else if (what < 16) {
            float x, y;
            position(x, y);
            w.move(Vector(x, y, 0)); // a move with no button held
            r.move(x, y);
        } else if (what < 17) {
            w.reset_all();
            r.reset_all();
        } else if (what < 18) {
            w.reset_selected();
            r.reset_selected();
        } else {
            int v = integer(0, 1);
            w.show_all = v;
            w.rebuild_outlines();
            r.show_all = v;
            r.rebuild();
        }
        expect_same(w, r);
    }
}

TEST(ClippingReference, RandomSessionsMatchBitForBit) {
    for (unsigned seed = 1; seed <= 400 && !testing::Test::HasFailure(); ++seed)
        random_session(seed);
}

// Planes in any position, through corners and edges included, and degenerate cubes.
TEST(ClippingReference, OutlinesOfArbitraryPlanes) {
    std::mt19937 rng(7);
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const float sizes[] = {0, 1, 2, 3.5f, 256};
    const float coordinates[] = {-1, -0.5f, 0, 0.25f, 0.5f, 1, 2};
    for (int n = 0; n < 20000 && !testing::Test::HasFailure(); ++n) {
        PlaneWidgetInCube w;
        float s = sizes[pick(5)];
        w.set_cube(s, sizes[pick(5)], s);
        ref::Widget r;
        r.set_cube(w.cube_size[0], w.cube_size[1], w.cube_size[2]);
        Vector normal(coordinates[pick(7)], coordinates[pick(7)], coordinates[pick(7)]);
        if (pick(2)) normal.normalise();
        Vector centre = w.cube_corners[pick(8)] * (coordinates[pick(7)] / 2);
        if (pick(3) == 0) centre = Vector(coordinates[pick(7)], coordinates[pick(7)], 0);
        ref::Plane plane;
        plane.normal = {normal.x, normal.y, normal.z};
        plane.centre = {centre.x, centre.y, centre.z};
        std::vector<Vector> got = plane_outline(normal, centre, w.cube_corners);
        std::vector<ref::P3> want = ref::outline(plane, r.cube);
        ASSERT_EQ(got.size(), want.size()) << n;
        for (size_t k = 0; k < want.size(); ++k)
            expect_same(got[k], want[k],
                        "case " + std::to_string(n) + ", point " + std::to_string(k));
    }
}

} // namespace
