#include "core/scan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Scan, CountsFieldsUpToTheFirstMismatch) {
    EXPECT_EQ(scan("f 1 2 3", "f %i %i %i"), 3);
    EXPECT_EQ(scan("f 1 2 3 4", "f %i %i %i"), 3);
    EXPECT_EQ(scan("f 1/4/7 2/5/8 3/6/9", "f %i/%i/%i %i/%i/%i %i/%i/%i"), 9);
    EXPECT_EQ(scan("f 1/4/7 2/5/8 3/6/9", "f %i/%i/ %i/%i/ %i/%i/"), 3);
    EXPECT_EQ(scan("f 1//7 2//8 3//9", "f %i//%i %i//%i %i//%i"), 6);
    EXPECT_EQ(scan("f 1// 2// 3//", "f %i//%i %i//%i %i//%i"), 2);
    EXPECT_EQ(scan("f 1/2 3/4 5/6", "f %i %i %i"), 1);
    EXPECT_EQ(scan("vc 1 0 0", "v %f %f %f"), 0);
    EXPECT_EQ(scan("v1 2 3", "v %f %f %f"), 3);
    EXPECT_EQ(scan("vertex 1 2 3", "v %f %f %f"), 0);
}

TEST(Scan, FloatsFollowTheCLibrary) {
    double v[3];
    ASSERT_EQ(scan("v .5 1.5e-3 -2E+1", "v %f %f %f", v, 3), 3);
    EXPECT_EQ(v[0], 0.5f);
    EXPECT_EQ(v[1], 1.5e-3f);
    EXPECT_EQ(v[2], -20.0f);
    ASSERT_EQ(scan("+inf nan(0x1) 0x1.8p1", "%f %f %f", v, 3), 3);
    EXPECT_TRUE(std::isinf(v[0]));
    EXPECT_TRUE(std::isnan(v[1]));
    EXPECT_EQ(v[2], 3.0);
    EXPECT_EQ(scan("1e 2", "%f %f", v, 2), 1); // "1e" reads as 1; the "e" then fails the second
    EXPECT_EQ(scan(". 1", "%f"), 0);
    EXPECT_EQ(scan("1e999", "%f", v, 1), 1);
    EXPECT_TRUE(std::isinf(v[0]));
}

TEST(Scan, IntegersInEveryBaseAndClamped) {
    double v[4];
    ASSERT_EQ(scan("0x1f 017 -9 99999999999", "%i %i %d %d", v, 4), 4);
    EXPECT_EQ(v[0], 31);
    EXPECT_EQ(v[1], 15);
    EXPECT_EQ(v[2], -9);
    EXPECT_EQ(v[3], 2147483647);
    EXPECT_EQ(scan("08", "%i%i", v, 2), 2); // octal 0, then decimal 8
    EXPECT_EQ(v[1], 8);
}

TEST(Scan, NeverReadsPastTheText) {
    std::string_view cut("f 1/", 3); // "f 1"
    EXPECT_EQ(scan(cut, "f %i/%i"), 1);
    EXPECT_EQ(scan("", "%f"), 0);
    EXPECT_EQ(scan("v", "v %f"), 0);
}

} // namespace
