#include "terrain/colour_map.h"

#include "core/atomic_file.h"
#include "core/console.h"
#include "core/text_file.h"
#include "core/tokenizer.h"
#include "core/work.h"

#include <algorithm>
#include <cmath>
#include <sstream>

std::string format_colour_map(const ColourMap& map) {
    std::ostringstream out; // a stream's default float format: six significant digits
    for (size_t i = 0; i < map.values.size(); ++i) {
        const Rgb& c = map.colours[i];
        out << map.values[i] << '\t' << c.r << '\t' << c.g << '\t' << c.b << '\n';
    }
    return out.str();
}

IoResult save_colour_map(const std::string& path, const ColourMap& map) {
    for (size_t i = 0; i < map.values.size(); ++i)
        if (!std::isfinite(map.values[i]))
            return IoResult::failure("ERROR: " + path + ": the value of entry " +
                                     std::to_string(i + 1) +
                                     " is not a finite number; nothing saved");
    return write_file_atomically(path, format_colour_map(map));
}

IoResult parse_colour_map(std::string_view text, const std::string& name, ColourMap& out) {
    ColourMap map;
    Tokenizer tk(text);
    Rgb working;
    auto clamp_channel = [](double v) { return int(std::clamp(std::trunc(v), 0.0, 255.0)); };
    for (;;) {
        int t = tk.next_token();
        if (t == Tokenizer::TOKEN_EOF) break;
        if (t != Tokenizer::TOKEN_NUMBER) continue;
        float value = float(tk.nval);
        if (!std::isfinite(value))
            return IoResult::failure("ERROR: " + name + ":" + std::to_string(tk.lineno + 1) +
                                     ": a value is not a finite number");
        for (int* channel : {&working.r, &working.g, &working.b})
            if (tk.next_token() == Tokenizer::TOKEN_NUMBER) *channel = clamp_channel(tk.nval);
        map.values.push_back(value);
        map.colours.push_back(working);
        console_printf("%f, %d, %d, %d \n", double(value), working.r, working.g, working.b);
    }
    out = std::move(map);
    return IoResult::success();
}

IoResult load_colour_map(const std::string& path, ColourMap& map) {
    FileText file;
    if (!file.open(path)) return open_failure("ERROR: could not read the colour map " + path, file);
    std::string_view text = file.text();
    if (IoResult r = check_text(text, path); !r) return r;
    return parse_colour_map(text, path, map);
}

std::vector<Vector> colour_vectors(const std::vector<Rgb>& colours) {
    std::vector<Vector> out;
    out.reserve(colours.size());
    for (const Rgb& c : colours) out.push_back(colour_vector(c));
    return out;
}

void colour_by_height(Mesh& mesh, const std::vector<Vector>& colours,
                      const std::vector<float>& values) {
    console_printf("terrain vertex colours...\n");
    paint_by_height(mesh, colours, values);
}

namespace {

// The colours of vertices 0 .. nv - 1 into `out` for heights from ymin to ymax, with at
// least two entries. For each vertex, entry k is the last one whose value lies below the
// vertex's relative height t. The values need not be sorted, so the search runs over
// their suffix minima: the last index whose suffix minimum lies below t is that k, and
// the suffix minima do not decrease.
void paint_heights(const Mesh& mesh, float ymin, float ymax, const std::vector<Vector>& colours,
                   const std::vector<float>& values, size_t n, Vector* out, Work* work) {
    float range = ymax - ymin;

    std::vector<float> suffix_min(values.begin(), values.begin() + long(n));
    for (size_t i = n - 1; i-- > 0;) suffix_min[i] = std::min(suffix_min[i], suffix_min[i + 1]);

    for (int v = 0; v < mesh.nv; ++v) {
        advance_every(work, v, mesh.nv, 14);
        float t = range != 0 ? (mesh.vertices[v].y - ymin) / range : 0.0f; // one height: t = 0
        size_t below = size_t(std::partition_point(suffix_min.begin(), suffix_min.end(),
                                                   [t](float m) { return m < t; }) -
                              suffix_min.begin());
        size_t k = below == 0 ? 0 : below - 1;
        k = std::min(k, n - 2);
        float gap = values[k + 1] - values[k];
        float s = gap != 0 ? (t - values[k]) / gap : 0.0f; // equal neighbours: the first colour
        Vector c = colours[k] * (1 - s) + colours[k + 1] * s;
        // Beside a gap too small for the distance from it the sum overflows: the nearer
        // entry's colour then, so that no colour is infinite or not a number.
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z) ||
            !std::isfinite(c.w))
            c = s < 0.5f ? colours[k] : colours[k + 1];
        out[v] = c;
    }
}

} // namespace

void paint_by_height(Mesh& mesh, const std::vector<Vector>& colours,
                     const std::vector<float>& values) {
    size_t n = std::min(colours.size(), values.size());
    if (mesh.nv == 0 || n == 0) return; // no entries: the colours stay as they are
    if (n == 1) {
        std::fill(mesh.colours.begin(), mesh.colours.end(), colours[0]);
        return;
    }
    mesh.build_bbox();
    paint_heights(mesh, mesh.bbox[4].y, mesh.bbox[1].y, colours, values, n, mesh.colours.data(),
                  nullptr);
}

void paint_by_height(const Mesh& mesh, const std::vector<Vector>& colours,
                     const std::vector<float>& values, std::vector<Vector>& out, Work* work) {
    Stage whole(work, 0, 1);
    size_t n = std::min(colours.size(), values.size());
    std::vector<Vector> painted;
    if (mesh.nv == 0 || n == 0) {
        painted.assign(mesh.colours.begin(), mesh.colours.begin() + mesh.nv);
    } else if (n == 1) {
        painted.assign(size_t(mesh.nv), colours[0]);
    } else {
        // The lowest and highest y as the bounding box build finds them.
        float ymin = mesh.vertices[0].y, ymax = ymin;
        for (const Vector& p : mesh.vertices) {
            ymin = std::min(ymin, p.y);
            ymax = std::max(ymax, p.y);
        }
        checkpoint(work);
        painted.resize(size_t(mesh.nv));
        paint_heights(mesh, ymin, ymax, colours, values, n, painted.data(), work);
    }
    out = std::move(painted);
}
