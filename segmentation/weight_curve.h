// The mean shift filters' weight curve: its points (the filters read y, at index k for
// a member k hundredths of the radius from the centre) and the height of the plot they
// were drawn in. The curve widget makes them from four control points; vostrel-cli
// reads them from a text file.
#pragma once

#include "core/io_result.h"
#include "core/vector.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// How many points a curve needs: one per hundredth of the radius, both ends included.
constexpr int weight_curve_points = 101;

struct WeightCurve {
    std::vector<Vector> points;
    int height = 0;
};

// The quadratic B-spline of four control points with the clamped uniform knot vector
// (0, 0, 0, 1/2, 1, 1, 1), at `samples` parameter values spread evenly over 0 ... 1
// (both ends included; none for samples < 1, the start alone for 1): it starts at the
// first control point and ends at the last. Points are (x, y, 0, 1).
std::vector<Vector> quadratic_bspline(const std::array<Vector, 4>& control, int samples);

// The polyline `curve` read as a function of x, at `samples` values of x spread evenly
// over x0 ... x1, both included: point k is (x_k, y) with y interpolated linearly
// between the two points of the polyline around x_k (the first such pair, where x
// repeats), or the y of its nearer end outside it. `curve`'s x must not decrease.
// This is what makes point k of a weight curve the weight at k hundredths of the radius.
std::vector<Vector> resample_by_x(const std::vector<Vector>& curve, float x0, float x1,
                                  int samples);

// The text form: a first line with the plot height (a positive integer), then exactly
// 101 lines "x y" (finite numbers, y from 0 to the height). Blank lines are skipped;
// anything else refuses the text with a message naming `name` and the line.
IoResult parse_weight_curve(std::string_view text, const std::string& name, WeightCurve& curve);
IoResult load_weight_curve(const std::string& path, WeightCurve& curve);
// The text form, numbers in "%g".
std::string format_weight_curve(const WeightCurve& curve);
