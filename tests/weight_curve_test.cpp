// The weight curve: the B-spline the curve widget draws, and the text form vostrel-cli
// reads.
#include "segmentation/weight_curve.h"
#include "test_util.h"

#include <fstream>

TEST(WeightCurveSpline, ClampedEndsAndTheMiddleBetweenTheInnerPoints) {
    std::array<Vector, 4> control{Vector(0, 120), Vector(60, 0), Vector(180, 0), Vector(240, 120)};
    std::vector<Vector> curve = quadratic_bspline(control, 101);
    ASSERT_EQ(curve.size(), 101u);
    EXPECT_EQ(curve.front(), Vector(0, 120));
    EXPECT_EQ(curve.back(), Vector(240, 120));
    // With knots (0, 0, 0, 1/2, 1, 1, 1), t = 1/2 is halfway between the inner points.
    EXPECT_EQ(curve[50], Vector(120, 0));
    // A hump: symmetric, falling towards the middle (y grows downwards).
    for (int k = 0; k <= 100; ++k) {
        EXPECT_NEAR(curve[k].x + curve[100 - k].x, 240, 1e-3) << k;
        EXPECT_NEAR(curve[k].y, curve[100 - k].y, 1e-3) << k;
        if (k > 0 && k <= 50) {
            EXPECT_LT(curve[k].y, curve[k - 1].y) << k;
        }
    }
    EXPECT_TRUE(quadratic_bspline(control, 0).empty());
    EXPECT_EQ(quadratic_bspline(control, 1).at(0), Vector(0, 120));
}

TEST(WeightCurveFile, BundledCurvesAndARoundTrip) {
    for (const char* name : {"curves/hump.txt", "curves/falling.txt"}) {
        WeightCurve curve;
        ASSERT_TRUE(bool(load_weight_curve(bundled_data(name), curve))) << name;
        EXPECT_EQ(curve.points.size(), 101u);
        WeightCurve again;
        ASSERT_TRUE(bool(parse_weight_curve(format_weight_curve(curve), "again", again)));
        EXPECT_EQ(again.height, curve.height);
        EXPECT_EQ(again.points, curve.points);
    }
    WeightCurve hump;
    load_weight_curve(bundled_data("curves/hump.txt"), hump);
    EXPECT_EQ(hump.height, 120);
    std::array<Vector, 4> control{Vector(0, 120), Vector(60, 0), Vector(180, 0), Vector(240, 120)};
    std::vector<Vector> drawn = quadratic_bspline(control, 101);
    for (int k = 0; k <= 100; ++k) EXPECT_NEAR(hump.points[k].y, drawn[k].y, 1e-3) << k;
}

namespace {

std::string points(int n, const char* line = "1 2\n") {
    std::string text;
    for (int i = 0; i < n; ++i) text += line;
    return text;
}

} // namespace

TEST(WeightCurveFile, BlankLinesCarriageReturnsAndTabs) {
    WeightCurve curve;
    std::string text =
        "\n  120\r\n" + points(50, "1\t2.5\r\n") + "\n   \n" + points(51, " 3e1 4 \n");
    ASSERT_TRUE(bool(parse_weight_curve(text, "c.txt", curve)));
    EXPECT_EQ(curve.height, 120);
    EXPECT_EQ(curve.points[0], Vector(1, 2.5f));
    EXPECT_EQ(curve.points[100], Vector(30, 4));
}

// Every refusal names the file (and the line where there is one) and leaves no curve.
TEST(WeightCurveFile, RefusalsNameTheFileAndLine) {
    struct Case {
        std::string text, error;
    };
    const Case cases[] = {
        {"", "ERROR: c.txt:1: no plot height"},
        {"0\n" + points(101), "ERROR: c.txt:1: the first line must hold the plot height"},
        {"-4\n" + points(101), "ERROR: c.txt:1: the first line"},
        {"12.5\n" + points(101), "ERROR: c.txt:1: the first line"},
        {"99999999999\n" + points(101), "ERROR: c.txt:1: the first line"},
        {"120 3\n" + points(101), "ERROR: c.txt:1: the first line"},
        {"120\n" + points(100), "ERROR: c.txt: 100 points; a weight curve has 101"},
        {"120\n" + points(102), "ERROR: c.txt:103: more than 101 points"},
        {"120\n" + points(5) + "1 2 3\n" + points(95), "ERROR: c.txt:7: expected a point"},
        {"120\n" + points(5) + "1\n" + points(95), "ERROR: c.txt:7: expected a point"},
        {"120\n1 nan\n" + points(100), "ERROR: c.txt:2: expected a point"},
        {"120\ninf 1\n" + points(100), "ERROR: c.txt:2: expected a point"},
        {"120\n1e99 1\n" + points(100), "ERROR: c.txt:2: expected a point"},
        {"120\n1 x\n" + points(100), "ERROR: c.txt:2: expected a point"},
        {std::string("120\n1 2\0\n", 8) + points(100), "ERROR: c.txt: not a text file"},
    };
    for (const Case& c : cases) {
        WeightCurve curve{{Vector(1, 1)}, 5};
        IoResult r = parse_weight_curve(c.text, "c.txt", curve);
        EXPECT_FALSE(bool(r)) << c.text;
        EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << r.error;
        EXPECT_TRUE(curve.points.empty());
        EXPECT_EQ(curve.height, 0);
    }
    WeightCurve curve;
    IoResult missing = load_weight_curve("/nonexistent/curve.txt", curve);
    EXPECT_EQ(missing.error, "ERROR: could not read the weight curve /nonexistent/curve.txt (No "
                             "such file or directory)");
}
