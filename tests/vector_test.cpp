#include "core/vector.h"

#include <gtest/gtest.h>

namespace {

void expect_vector(const Vector& v, float x, float y, float z, float w) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}

TEST(Vector, ConstructorsSetWAsDocumented) {
    expect_vector(Vector(), 0, 0, 0, 1);
    expect_vector(Vector(0), 0, 0, 0, 0); // the integer form fills w too
    expect_vector(Vector(3), 3, 3, 3, 3);
    expect_vector(Vector(1.0f, 2.0f), 1, 2, 0, 1);
    expect_vector(Vector(1, 2, 3), 1, 2, 3, 1);
    expect_vector(Vector(1, 2, 3, 4), 1, 2, 3, 4);
}

TEST(Vector, ScalingInPlaceKeepsAlphaButFreeProductsScaleIt) {
    Vector a(1, 2, 3, 1);
    a *= 2;
    expect_vector(a, 2, 4, 6, 1);
    a /= 2;
    expect_vector(a, 1, 2, 3, 1);
    expect_vector(2 * Vector(1, 2, 3, 1), 2, 4, 6, 2);
    expect_vector(Vector(1, 2, 3, 1) * 2, 2, 4, 6, 2);
    expect_vector(Vector(2, 4, 6, 2) / 2, 1, 2, 3, 1);
    expect_vector(Vector(1, 2, 3, 4) * Vector(2, 3, 4, 5), 2, 6, 12, 20);
}

TEST(Vector, SumsAndDifferencesCarryW) {
    expect_vector(Vector(1, 2, 3, 1) + Vector(1, 1, 1, 1), 2, 3, 4, 2);
    expect_vector(Vector(1, 2, 3, 1) - Vector(1, 1, 1, 1), 0, 1, 2, 0);
    Vector a(1, 2, 3, 1);
    a += Vector(1, 1, 1, 1);
    expect_vector(a, 2, 3, 4, 2);
    a -= Vector(2, 3, 4, 2);
    expect_vector(a, 0, 0, 0, 0);
}

TEST(Vector, NormaliseDividesAllFourAndCachesLength) {
    Vector v(3, 0, 4, 1);
    v.normalise();
    expect_vector(v, 0.6f, 0, 0.8f, 0.2f);
    EXPECT_FLOAT_EQ(v.len, 5);
}

TEST(Vector, AssignmentAndCopiesLeaveTheLengthCacheBehind) {
    Vector a(3, 0, 4, 1);
    a.length();
    Vector b(1, 1, 1, 1);
    b.length();
    float before = b.len;
    b = a;
    EXPECT_EQ(b.len, before);
    expect_vector(b, 3, 0, 4, 1);
}

TEST(Vector, ComparisonsLookAtXYZOnly) {
    EXPECT_TRUE(Vector(1, 2, 3, 7) == Vector(1, 2, 3, 1));
    EXPECT_FALSE(Vector(1, 2, 3, 7) != Vector(1, 2, 3, 1));
    EXPECT_TRUE(Vector(1, 2, 3) != Vector(1, 2, 4));
    EXPECT_TRUE(Vector(1, 5, 0) < Vector(1, 6, -9));
    EXPECT_FALSE(Vector(1, 2, 3) < Vector(1, 2, 3));
    EXPECT_TRUE(Vector(0, 9, 9) < Vector(1, 0, 0));
    EXPECT_TRUE(Vector(1, 2, 3) < Vector(1, 2, 4));
}

TEST(Vector, WithinIsInclusive) {
    EXPECT_TRUE(Vector(3, 4, 0).within(Vector(0, 0, 0), 5));
    EXPECT_FALSE(Vector(3, 4, 0.01f).within(Vector(0, 0, 0), 5));
}

TEST(Vector, CrossAndDotUseXYZ) {
    Vector c(0, 0, 0, 9);
    c.cross(Vector(1, 0, 0), Vector(0, 1, 0));
    expect_vector(c, 0, 0, 1, 9);
    EXPECT_FLOAT_EQ(Vector(1, 2, 3, 100).dot(Vector(4, 5, 6, 100)), 32);
}

TEST(Vector, FaceNormalOfReversedCornersPointsAtTheCounterClockwiseViewer) {
    Vector n(0, 0, 0, 0);
    n.face_normal(Vector(0, 1, 0), Vector(1, 0, 0), Vector(0, 0, 0));
    expect_vector(n, 0, 0, 1, 0);
    Vector m(0, 0, 0, 2);
    m.face_normal(Vector(0, 0, 0), Vector(2, 0, 0), Vector(0, 2, 0));
    expect_vector(m, 0, 0, -1, 0.5f); // w is divided by the length (4) too
}

} // namespace
