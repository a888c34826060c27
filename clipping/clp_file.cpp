// The .clp plane file: writing, reading, and the plane set's save and load.
#include "clipping/plane_widget_in_cube.h"
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/scan.h"
#include "core/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <locale>
#include <sstream>

namespace {

// A "P:" line's values: 34 floats, the face mode, 34 floats.
constexpr int values_per_line = 69;
constexpr int mode_value = 34; // 0-based position of the face mode

struct PlaneValues {
    float number[values_per_line - 1];
    int mode;
};

// The values in file order, each followed by one blank except the last.
void write_plane(std::ostream& out, const CutPlane& p) {
    auto xyz = [&out](const Vector& v) { out << v.x << ' ' << v.y << ' ' << v.z << ' '; };
    xyz(p.centre);
    xyz(p.normal);
    for (const Vector& c : p.corners) xyz(c);
    for (const Vector& c : p.rest_corners) xyz(c);
    for (double e : p.equation) out << float(e) << ' ';
    out << p.arcball.constraint;
    for (float m : p.arcball.transform) out << ' ' << m;
    for (float m : p.arcball.last_rotation) out << ' ' << m;
    for (float m : p.arcball.this_rotation) out << ' ' << m;
    out << '\n';
}

// Stores the values field by field, in file order; what the file does not hold stays.
void store(const PlaneValues& v, CutPlane& p) {
    const float* f = v.number;
    auto xyz = [&f](Vector& out) {
        out.x = *f++;
        out.y = *f++;
        out.z = *f++;
    };
    xyz(p.centre);
    xyz(p.normal);
    for (Vector& c : p.corners) xyz(c);
    for (Vector& c : p.rest_corners) xyz(c);
    for (double& e : p.equation) e = *f++;
    p.arcball.constraint = v.mode;
    for (float& m : p.arcball.transform) m = *f++;
    for (float& m : p.arcball.last_rotation) m = *f++;
    for (float& m : p.arcball.this_rotation) m = *f++;
}

bool only_blanks_from(std::string_view line, size_t pos) {
    for (; pos < line.size(); ++pos)
        if (line[pos] != ' ' && (line[pos] < '\t' || line[pos] > '\r')) return false;
    return true;
}

// The plane count of a line as "SIZE: %i" reads it; false when the line is no such line.
// `end` is where the count ends.
bool read_size_line(std::string_view line, int& n, size_t& end) {
    end = 5;
    return line.substr(0, 5) == "SIZE:" && scan_int(line, end, n, 0);
}

// The 69 values of a "P:" line as "P: %f ... %d ... %f" reads them, with nothing but
// blanks after. On failure `bad` is the 1-based number of the first value missing, or
// 70 when text follows the values, or minus the number of a value that is not finite.
bool read_plane_line(std::string_view line, PlaneValues& v, int& bad) {
    bad = 1;
    if (line.substr(0, 2) != "P:") return false;
    size_t pos = 2;
    float* f = v.number;
    for (int i = 0; i < values_per_line; ++i) {
        bad = i + 1;
        bool ok = i == mode_value ? scan_int(line, pos, v.mode, 10) : scan_float(line, pos, *f++);
        if (!ok) return false;
        if (i != mode_value && !std::isfinite(f[-1])) {
            bad = -bad;
            return false;
        }
    }
    bad = values_per_line + 1;
    return only_blanks_from(line, pos);
}

// The values of a plane as its "P:" line holds them (the face mode as 0), so that what
// the line would hold can be checked before anything is written.
std::array<float, values_per_line> plane_values(const CutPlane& p) {
    std::array<float, values_per_line> v{};
    float* f = v.data();
    auto xyz = [&f](const Vector& c) {
        *f++ = c.x;
        *f++ = c.y;
        *f++ = c.z;
    };
    xyz(p.centre);
    xyz(p.normal);
    for (const Vector& c : p.corners) xyz(c);
    for (const Vector& c : p.rest_corners) xyz(c);
    for (double e : p.equation) *f++ = float(e);
    *f++ = 0; // the face mode, an integer
    for (float m : p.arcball.transform) *f++ = m;
    for (float m : p.arcball.last_rotation) *f++ = m;
    for (float m : p.arcball.this_rotation) *f++ = m;
    return v;
}

IoResult line_error(const std::string& name, int line, const std::string& what) {
    return IoResult::failure("ERROR: " + name + ":" + std::to_string(line) + ": " + what);
}

} // namespace

std::string format_clp(const std::vector<CutPlane>& planes) {
    std::ostringstream out; // a stream's default float format: six significant digits
    out.imbue(std::locale::classic());
    out << "SIZE: " << planes.size() << '\n';
    for (const CutPlane& p : planes) {
        out << "P: ";
        write_plane(out, p);
    }
    return out.str();
}

IoResult parse_clp(std::string_view text, const std::string& name, std::vector<CutPlane>& planes) {
    if (IoResult r = check_text(text, name); !r) return r;
    std::vector<CutPlane> read = planes;
    std::array<bool, plane_count> filled{};
    int plane_lines = 0;
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (line.empty()) continue;
        if (line[0] == 'S') {
            int n;
            size_t end;
            if (!read_size_line(line, n, end)) continue; // some other line: skipped
            if (n != plane_count)
                return line_error(name, lines.number,
                                  "a plane file holds six planes (\"SIZE: 6\")");
            if (!only_blanks_from(line, end))
                return line_error(name, lines.number,
                                  "text after the plane count of a "
                                  "\"SIZE:\" line");
            read.assign(plane_count, CutPlane());
            filled.fill(false);
        } else if (line[0] == 'P') {
            PlaneValues values;
            int bad;
            if (!read_plane_line(line, values, bad))
                return line_error(
                    name, lines.number,
                    bad > values_per_line ? "text after the 69 values of a \"P:\" line"
                    : bad < 0             ? "value " + std::to_string(-bad) +
                                    " of 69 of a \"P:\" line is not a finite number"
                              : "value " + std::to_string(bad) +
                                    " of 69 of a \"P:\" line is missing or not a number");
            int n = plane_lines++;
            if (n < int(read.size()) && n < plane_count) {
                store(values, read[n]);
                filled[n] = true;
            }
        }
    }
    int given = int(std::count(filled.begin(), filled.end(), true));
    if (read.size() != plane_count || given < plane_count)
        return IoResult::failure("ERROR: " + name + ": only " + std::to_string(given) +
                                 " of the six planes are given by \"P:\" lines");
    planes = std::move(read);
    return IoResult::success();
}

IoResult check_finite_planes(const std::vector<CutPlane>& planes, const std::string& name) {
    for (size_t i = 0; i < planes.size(); ++i) {
        const std::array<float, values_per_line> v = plane_values(planes[i]);
        for (int k = 0; k < values_per_line; ++k)
            if (!std::isfinite(v[size_t(k)]))
                return IoResult::failure("ERROR: " + name + " not written: value " +
                                         std::to_string(k + 1) + " of 69 of plane " +
                                         std::to_string(i) + " (" + plane_name(int(i)) +
                                         ") is not a finite number");
    }
    return IoResult::success();
}

IoResult PlaneWidgetInCube::save(const std::string& filename) const {
    IoResult r = check_finite_planes(planes, filename);
    if (r) r = write_file_atomically(filename, format_clp(planes));
    if (!r)
        console_printf("ERROR: SAVING FILE .CLP File! PlaneWidgetInCube::save(QString filename)\n");
    return r;
}

IoResult PlaneWidgetInCube::load(const std::string& filename) {
    FileText file;
    if (!file.open(filename)) {
        console_printf("ERROR: OPENING FILE .CLP File! PlaneWidgetInCube::load() \n");
        return IoResult::cannot_open("ERROR: could not open " + filename + ": " + file.reason());
    }
    IoResult r = parse_clp(file.text(), filename, planes);
    if (!r) {
        console_printf("%s\n", r.error.c_str());
        return r;
    }
    rebuild_outlines();
    return r;
}
