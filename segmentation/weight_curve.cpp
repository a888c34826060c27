#include "segmentation/weight_curve.h"

#include "core/text_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::vector<Vector> quadratic_bspline(const std::array<Vector, 4>& control, int samples) {
    const double knots[7] = {0, 0, 0, 0.5, 1, 1, 1};
    std::vector<Vector> points;
    for (int i = 0; i < samples; ++i) {
        double t = samples == 1 ? 0 : double(i) / (samples - 1);
        int span = t < 0.5 ? 2 : 3; // knots[span] <= t < knots[span + 1], t = 1 in the last
        // De Boor's algorithm on the three control points of the span.
        double x[3], y[3];
        for (int j = 0; j < 3; ++j) {
            x[j] = control[size_t(span - 2 + j)].x;
            y[j] = control[size_t(span - 2 + j)].y;
        }
        for (int r = 1; r <= 2; ++r)
            for (int j = 2; j >= r; --j) {
                double lo = knots[j + span - 2], hi = knots[j + 1 + span - r];
                double a = (t - lo) / (hi - lo);
                x[j] = (1 - a) * x[j - 1] + a * x[j];
                y[j] = (1 - a) * y[j - 1] + a * y[j];
            }
        points.emplace_back(float(x[2]), float(y[2]));
    }
    return points;
}

std::vector<Vector> resample_by_x(const std::vector<Vector>& curve, float x0, float x1,
                                  int samples) {
    std::vector<Vector> points;
    if (curve.empty()) return points;
    size_t j = 0; // curve[j].x <= x < curve[j + 1].x, walking forward as x grows
    for (int k = 0; k < samples; ++k) {
        double x = samples == 1 ? x0 : x0 + (double(x1) - x0) * k / (samples - 1);
        while (j + 1 < curve.size() && curve[j + 1].x <= x) ++j;
        double y = curve[j].y;
        if (x <= curve.front().x) {
            y = curve.front().y;
        } else if (j + 1 < curve.size()) {
            const Vector &a = curve[j], &b = curve[j + 1];
            double t = b.x > a.x ? (x - a.x) / (double(b.x) - a.x) : 0;
            y = a.y + t * (double(b.y) - a.y);
        }
        points.emplace_back(float(x), float(y));
    }
    return points;
}

namespace {

// The words of a line, split at blanks and tabs (a carriage return ends the line); three
// at most, more than any line may hold.
std::vector<std::string_view> words(std::string_view line) {
    return split_words(line, " \t\r", 3);
}

template <typename Number>
bool whole_number(std::string_view word, Number& value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

} // namespace

IoResult parse_weight_curve(std::string_view text, const std::string& name, WeightCurve& curve) {
    curve = {};
    if (IoResult r = check_text(text, name); !r) return r;
    auto fail = [&](int line, const std::string& what) {
        curve = {};
        return IoResult::failure("ERROR: " + name + ":" + std::to_string(line) + ": " + what);
    };
    LineReader lines(text);
    std::string_view line;
    bool have_height = false;
    while (lines.next(line)) {
        std::vector<std::string_view> w = words(line);
        if (w.empty()) continue;
        if (!have_height) {
            if (w.size() != 1 || !whole_number(w[0], curve.height) || curve.height <= 0)
                return fail(lines.number, "the first line must hold the plot height, a whole "
                                          "number above 0");
            have_height = true;
            continue;
        }
        if (int(curve.points.size()) == weight_curve_points)
            return fail(lines.number, "more than 101 points");
        float x = 0, y = 0;
        if (w.size() != 2 || !whole_number(w[0], x) || !whole_number(w[1], y) ||
            !std::isfinite(x) || !std::isfinite(y))
            return fail(lines.number, "expected a point \"x y\" (two finite numbers)");
        // The curve is drawn within its plot, 0 ... height. The filters weigh by
        // 1 - y / height: a y below 0 gives weights above 1, far enough out of no finite
        // size, which turns the normals they sum to NaN.
        if (y < 0 || y > float(curve.height)) {
            char what[96];
            std::snprintf(what, sizeof what, "y = %g is outside 0 ... %d, the plot height",
                          double(y), curve.height);
            return fail(lines.number, what);
        }
        curve.points.emplace_back(x, y);
    }
    if (!have_height) return fail(lines.number, "no plot height");
    if (int(curve.points.size()) != weight_curve_points) {
        size_t n = curve.points.size();
        curve = {};
        return IoResult::failure("ERROR: " + name + ": " + std::to_string(n) +
                                 " points; a weight curve has 101");
    }
    return IoResult::success();
}

IoResult load_weight_curve(const std::string& path, WeightCurve& curve) {
    FileText file;
    if (!file.open(path)) {
        curve = {};
        return open_failure("ERROR: could not read the weight curve " + path, file);
    }
    return parse_weight_curve(file.text(), path, curve);
}

std::string format_weight_curve(const WeightCurve& curve) {
    std::string text = std::to_string(curve.height) + "\n";
    char line[64];
    for (const Vector& p : curve.points) {
        std::snprintf(line, sizeof line, "%g %g\n", double(p.x), double(p.y));
        text += line;
    }
    return text;
}
