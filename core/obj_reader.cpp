// Reader of the OBJ dialect: "v", "vc", "f" in five notations, "fc", "mn" and "m".
//
// Each line's first word is its keyword; its values are read with the Tokenizer
// within that line, so a read past the end of the line is "not a number" and leaves
// its register as it was. Three float registers carry over from line to line, which
// is why "v .5 1 2" keeps the previous x.
#include "core/big_arrays.h"
#include "core/console.h"
#include "core/decimal_digits.h"
#include "core/mesh.h"
#include "core/obj_parts.h"
#include "core/reader_warnings.h"
#include "core/scan.h"
#include "core/text_file.h"
#include "core/tokenizer.h"
#include "core/work_blocks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

namespace {

constexpr size_t max_morphogen_values = size_t(1) << 26;

// Below this many faces a second thread for the arrays would cost more than it saves.
constexpr int two_thread_faces = 1 << 17;

// The face notations, numbered as the reader reports them.
struct Notation {
    const char* pattern;
    int fields;
};
constexpr Notation notations[] = {
    {"f %i %i %i", 3},
    {"f %i/%i/%i %i/%i/%i %i/%i/%i", 9},
    {"f %i//%i %i//%i %i//%i", 6},
    {"f %i/%i/ %i/%i/ %i/%i/", 6},
    {"f %i// %i// %i//", 3},
};

int detect_notation(std::string_view line, int notation) {
    for (int n = 0; n < 5; ++n)
        if (scan(line, notations[n].pattern) == notations[n].fields) notation = n + 1;
    return notation;
}

bool is_blank(char c) {
    return (unsigned char)c <= 32;
}

// Whitespace-separated pieces of `text`.
template <typename Visit>
void for_each_piece(std::string_view text, Visit visit) {
    size_t p = 0;
    while (p < text.size()) {
        while (p < text.size() && is_blank(text[p])) ++p;
        size_t start = p;
        while (p < text.size() && !is_blank(text[p])) ++p;
        if (p > start) visit(text.substr(start, p - start));
    }
}

// The vertex number a face corner starts with, read as the Tokenizer reads a number
// and truncated; false when the corner does not start with a number.
bool corner_number(std::string_view line, size_t& p, double& value) {
    size_t length = number_token_length(line, p);
    if (length == 0) return false;
    std::string_view text = line.substr(p, length);
    p += length;
    // Plain whole numbers, nearly every corner, add up exactly without a conversion.
    bool negative = text[0] == '-';
    std::string_view digits = text.substr(negative ? 1 : 0);
    if (digits.size() <= 12 &&
        std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '9'; })) {
        long long n = 0;
        for (char d : digits) n = n * 10 + (d - '0');
        value = double(negative ? -n : n);
    } else {
        value = std::trunc(number_value(text));
    }
    return true;
}

bool is_gap(char c) {
    return c == ' ' || c == '\t';
}

// A plain decimal number, -?digits(.digits?)?, followed by a blank or the end of the
// line: the common case, in which scanf's %f and the Tokenizer read the same text.
struct PlainNumber {
    std::string_view text;  // without the sign
    uint64_t digits;        // all of them, as one whole number (wrapped past 2^64)
    size_t count, fraction; // of digits, of those after the point
    bool negative;
};

// False, with p unchanged, for anything else.
bool plain_number(std::string_view line, size_t& p, PlainNumber& number) {
    size_t q = p, end = line.size();
    number.negative = q < end && line[q] == '-';
    if (number.negative) ++q;
    size_t first = q;
    number.digits = 0;
    number.count = read_digits(line, q, number.digits);
    number.fraction = 0;
    if (number.count == 0) return false;
    if (q < end && line[q] == '.') {
        ++q;
        number.fraction = read_digits(line, q, number.digits);
        number.count += number.fraction;
    }
    if (q < end && !is_blank(line[q])) return false;
    number.text = line.substr(first, q - first);
    p = q;
    return true;
}

// Its value, the Tokenizer's (atof's), found without a general conversion when the
// digits fit a double exactly.
double plain_value(const PlainNumber& number) {
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // Both operands exact, so the quotient is the correctly rounded value.
    double value = number.count <= 15 && number.fraction <= 22
                       ? double(number.digits) / powers[number.fraction]
                       : number_value(number.text);
    return number.negative ? -value : value;
}

void skip_gaps(std::string_view line, size_t& p) {
    while (p < line.size() && is_gap(line[p])) ++p;
}

bool is_line_end(char c) {
    return c == '\n' || c == '\r';
}

// The blanks a line can hold: the checked text's tab, form feed and space (its other
// bytes below 33 are line ends).
bool is_inline_blank(char c) {
    return is_blank(c) && !is_line_end(c);
}

// Past a vertex number of up to nine digits that starts at p and that the Tokenizer
// reads as those digits alone, its value in n; p unchanged and false for anything else
// (a sign, a point, an exponent, a longer number, no digit).
bool plain_corner(std::string_view text, size_t& p, uint32_t& n) {
    size_t q = p;
    uint64_t value = 0;
    size_t digits = read_digits(text, q, value);
    if (digits == 0 || digits > 9) return false;
    if (q < text.size()) {
        char c = text[q];
        if (c == '-' || c == '.' || c == 'e' || c == 'E') return false;
    }
    p = q;
    n = uint32_t(value);
    return true;
}

class ObjParser {
  public:
    ObjParser(const std::string& file_name, Work* w, ObjLines lines)
        : name(file_name), warnings(file_name), work(w), plain_lines(lines == ObjLines::Plain) {}

    // Parses the lines of text[from, to), which start after `lines_before` lines; the
    // progress counts bytes of the whole text.
    IoResult parse(std::string_view text, size_t from, size_t to, int lines_before);
    // The whole text, its lines from byte `split` on parsed aside on a second thread
    // (obj_parts.h).
    IoResult parse_in_two(std::string_view text, size_t split);
    IoResult fill(Mesh& mesh);

    int notation = -1;

  private:
    const std::string& name;
    ReaderWarnings warnings;
    Work* work;
    bool plain_lines;
    int line_number = 0;
    // The first error found at once while reading (a vertex number counted back past
    // the first vertex); reading goes on, since a vertex number beyond the end on an
    // earlier line, known only at the end, is the one to report then.
    int pending_line = 0;
    std::string pending;

    float x = 0, y = 0, z = 0;
    std::vector<Vector> vertices;
    std::vector<Vector> colours;          // from "vc" lines
    std::vector<Vector> vertex_colours;   // from "v x y z r g b" lines
    std::vector<int> vertex_colour_owner; // vertex index of each vertex_colours entry
    bool colours_beyond_one = false;
    std::vector<std::array<int, 3>> triangles;
    // The triangles of a part read aside that ends the file, which follow `triangles`:
    // kept apart, not copied after them.
    std::vector<std::array<int, 3>> last_triangles;
    std::vector<std::pair<int, int>> forward_refs; // (line, vertex number) beyond those read so far
    std::vector<std::string> names;
    int columns = -1; // values per "m" row, set by the first one
    // The "m" rows, each as the values its line holds (at most `columns`) and the value
    // the rest of the row repeats: storage in proportion to the text, whatever the
    // first row's length.
    struct Row {
        size_t first;
        size_t count;
        float rest;
    };
    std::vector<Row> rows;
    std::vector<float> row_values;
    bool detected = false;
    std::vector<int> corners;

    // A part that starts after lines read elsewhere (`tail`) takes for granted that the
    // face notation is already detected, and gives up at the first line whose reading
    // rests on what came before it or would be reported (a register, a morphogen column
    // count, the vertices read so far, a warning): the lines from there on are read again
    // after the others. Of the vertex numbers beyond those read it keeps only the running
    // maxima, all that can name the first vertex number beyond the file's vertices.
    bool tail = false;
    bool gave_up = false;
    bool faces_read = false;
    int lines_read = 0;
    int forward_max = 0;
    size_t gave_up_at = 0; // the offset in the text of the line the part gave up at
    void give_up() { gave_up = true; }
    void take_tail(ObjParser& part);

    IoResult error(const std::string& what) const {
        return IoResult::failure("ERROR: " + name + ":" + std::to_string(line_number) + ": " +
                                 what);
    }
    void warn(std::string_view what) {
        if (tail)
            give_up();
        else
            warnings.warn(line_number, what);
    }

    // False when the line ends first (the register keeps its value).
    bool read_register(Tokenizer& tk, float& r) {
        int t = tk.next_token();
        if (t == Tokenizer::TOKEN_NUMBER) r = float(tk.nval);
        return t != Tokenizer::TOKEN_EOF;
    }
    IoResult not_finite(const char* what) const {
        return error(std::string(what) + " is not a finite number");
    }
    size_t plain_line(std::string_view text, size_t p);
    size_t plain_vertex(std::string_view text, size_t p);
    size_t plain_face(std::string_view text, size_t p);
    IoResult general_line(std::string_view line);
    IoResult vertex(Tokenizer& tk, std::string_view values);
    void face(std::string_view line, size_t p);
    IoResult add_corner(double n);
    // A vertex number from 1 on: one beyond the vertices read so far is noted, with its
    // line, to be checked once all are read.
    void add_numbered_corner(int n) {
        if (size_t(n) > vertices.size() && (!tail || n > forward_max)) {
            forward_refs.emplace_back(line_number, n);
            forward_max = std::max(forward_max, n);
        }
    }
    void add_face();
    IoResult morphogen_row(Tokenizer& tk, std::string_view values);
    void fill_morphogens(Mesh& mesh, size_t k) const;
    void fill_plain_arrays(Mesh& mesh) const;
};

bool finite(float a, float b, float c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

// The plainest lines, "v x y z" with plain numbers and "f a b c ..." with plain vertex
// numbers (and nothing else after them), are read straight from the text at p, the
// start of a line, without finding the line's end first: a line end ends their last
// value as a blank would. Each reads exactly as the general reading does, and leaves
// everything as it was (npos) where it cannot; else it returns the end of the line.
size_t ObjParser::plain_line(std::string_view text, size_t p) {
    if (p + 1 >= text.size() || !is_gap(text[p + 1])) return std::string_view::npos;
    if (text[p] == 'v') return plain_vertex(text, p);
    if (text[p] == 'f' && detected) return plain_face(text, p);
    return std::string_view::npos;
}

size_t ObjParser::plain_vertex(std::string_view text, size_t p) {
    constexpr size_t refused = std::string_view::npos;
    ++p;
    PlainNumber number[3];
    for (PlainNumber& n : number) {
        if (p >= text.size() || !is_gap(text[p])) return refused;
        skip_gaps(text, p);
        if (!plain_number(text, p, n)) return refused;
    }
    while (p < text.size() && is_inline_blank(text[p])) ++p;
    if (p < text.size() && !is_line_end(text[p])) return refused;
    // The three conversions together, whose divisions overlap.
    double v[3] = {plain_value(number[0]), plain_value(number[1]), plain_value(number[2])};
    // A value beyond float's range is left to the general reading, which refuses it.
    if (!finite(float(v[0]), float(v[1]), float(v[2]))) return refused;
    x = float(v[0]);
    y = float(v[1]);
    z = float(v[2]);
    vertices.emplace_back(x, y, z, 1.0f);
    return p;
}

// As face() reads a line whose every corner starts with a plain vertex number of at
// least 1, at least three of them: the corners are gathered first and taken only once
// the whole line is known to be of that kind.
size_t ObjParser::plain_face(std::string_view text, size_t p) {
    constexpr size_t refused = std::string_view::npos;
    p += 2;
    // The first three corners in `first`, any more in `corners` as well.
    int first[3];
    size_t count = 0;
    for (;; ++count) {
        while (p < text.size() && is_inline_blank(text[p])) ++p;
        if (p >= text.size() || is_line_end(text[p])) break;
        uint32_t n;
        if (!plain_corner(text, p, n) || n == 0) return refused;
        if (count < 3) {
            first[count] = int(n);
        } else {
            if (count == 3) corners.assign(first, first + 3);
            corners.push_back(int(n));
        }
        // The rest of the corner ("/2/3", "//3") is passed over.
        while (p < text.size() && !is_blank(text[p])) {
            if (text[p] == '#') return refused;
            ++p;
        }
    }
    if (count < 3) return refused;
    faces_read = true;
    if (count == 3) {
        for (int n : first) add_numbered_corner(n);
        triangles.push_back({first[0] - 1, first[1] - 1, first[2] - 1});
        return p;
    }
    for (int& n : corners) {
        add_numbered_corner(n);
        --n;
    }
    for (size_t k = 1; k + 1 < corners.size(); ++k)
        triangles.push_back({corners[0], corners[k], corners[k + 1]});
    return p;
}

IoResult ObjParser::vertex(Tokenizer& tk, std::string_view values) {
    if (scan(values, "%f %f %f") != 3) return IoResult::success();
    read_register(tk, x);
    read_register(tk, y);
    read_register(tk, z);
    if (!finite(x, y, z)) return not_finite("a coordinate");
    vertices.emplace_back(x, y, z, 1.0f);

    // Many exporters append a colour to the position: "v x y z r g b".
    float c[3];
    for (float& v : c) {
        if (tk.next_token() != Tokenizer::TOKEN_NUMBER) return IoResult::success();
        v = float(tk.nval);
    }
    if (!finite(c[0], c[1], c[2])) return not_finite("a colour value");
    colours_beyond_one |= c[0] > 1 || c[1] > 1 || c[2] > 1;
    vertex_colours.emplace_back(c[0], c[1], c[2], 1.0f);
    vertex_colour_owner.push_back(int(vertices.size()) - 1);
    return IoResult::success();
}

IoResult ObjParser::add_corner(double n) {
    if (tail && !(n >= 1 && n <= INT32_MAX)) {
        give_up();
        return IoResult::success();
    }
    if (n >= 1 && n <= INT32_MAX) {
        add_numbered_corner(int(n));
        corners.push_back(int(n) - 1);
    } else if (n < 0 && -n <= double(vertices.size())) {
        corners.push_back(int(double(vertices.size()) + n));
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f", n);
        return error(std::string("vertex number ") + text + " is outside the vertices read (" +
                     std::to_string(vertices.size()) + " so far)");
    }
    return IoResult::success();
}

// A polygon becomes a fan of triangles (0, 1, 2), (0, 2, 3), ...
void ObjParser::add_face() {
    if (corners.size() < 3) {
        warn("face with fewer than three corners skipped");
        return;
    }
    for (size_t k = 1; k + 1 < corners.size(); ++k)
        triangles.push_back({corners[0], corners[k], corners[k + 1]});
}

// Corners are read one by one, whatever the notation: a corner's first number is its
// vertex number and the rest of it ("/2/3", "//3") is passed over.
void ObjParser::face(std::string_view line, size_t p) {
    faces_read = true;
    corners.clear();
    bool numbered = true;
    while (p < line.size()) {
        while (p < line.size() && is_blank(line[p])) ++p;
        if (p >= line.size() || line[p] == '#') break;
        double n;
        if (!corner_number(line, p, n)) {
            numbered = false;
        } else if (IoResult r = add_corner(n); !r || gave_up) {
            if (gave_up) return;
            if (pending.empty()) {
                pending_line = line_number;
                pending = std::move(r.error);
            }
            return;
        }
        while (p < line.size() && !is_blank(line[p]) && line[p] != '#') ++p;
    }
    if (numbered)
        add_face();
    else
        warn("face with a corner that is not a vertex number skipped");
}

IoResult ObjParser::morphogen_row(Tokenizer& tk, std::string_view values) {
    if (columns < 0) {
        size_t pieces = 0;
        for_each_piece(values, [&](std::string_view) { ++pieces; });
        if (pieces > max_morphogen_values)
            return error("too many per-vertex values (" + std::to_string(pieces) + ")");
        columns = int(pieces);
    }
    // Each value is read into the register; once the line ends, the rest of the row
    // repeats the register's value.
    Row row{row_values.size(), 0, 0};
    while (row.count < size_t(columns) && read_register(tk, x)) {
        if (!std::isfinite(x)) return not_finite("a per-vertex value");
        row_values.push_back(x);
        ++row.count;
    }
    row.rest = x;
    rows.push_back(row);
    return IoResult::success();
}

void ObjParser::fill_morphogens(Mesh& mesh, size_t k) const {
    const size_t nv = size_t(mesh.nv);
    mesh.morphogens.assign(nv, std::vector<float>(k, 0.0f));
    for (size_t v = 0; v < nv && v < rows.size(); ++v) {
        if ((v & 4095) == 0) checkpoint(work); // a row is an allocation
        const Row& row = rows[v];
        std::vector<float>& out = mesh.morphogens[v];
        std::copy_n(row_values.begin() + long(row.first), row.count, out.begin());
        std::fill(out.begin() + long(row.count), out.end(), row.rest);
    }
}

IoResult ObjParser::parse(std::string_view text, size_t from, size_t to, int lines_before) {
    // Room for what a file of this size typically holds; untouched room costs nothing.
    reserve_big(vertices, vertices.size() + (to - from) / 32);
    reserve_big(triangles, triangles.size() + (to - from) / 32);
    // Lines as LineReader has them: ended by "\n", "\r\n" or a lone "\r", numbered on
    // from `lines_before`.
    std::string_view part = text.substr(0, to);
    int number = lines_before;
    for (size_t p = from; p < part.size();) {
        line_number = ++number;
        // About a millisecond of lines between stops; progress by the bytes read.
        if ((line_number & 4095) == 0) advance(work, int64_t(p), int64_t(text.size()));
        size_t end = plain_lines ? plain_line(part, p) : std::string_view::npos;
        if (end == std::string_view::npos) {
            end = line_end(part, p);
            if (IoResult r = general_line(part.substr(p, end - p)); !r) return r;
            if (gave_up) {
                gave_up_at = p;
                lines_read = line_number - 1;
                return IoResult::success();
            }
        }
        p = after_line_end(part, end);
    }
    lines_read = number;
    return IoResult::success();
}

IoResult ObjParser::general_line(std::string_view line) {
    Tokenizer tk(line);
    if (tk.next_token() != Tokenizer::TOKEN_WORD) return IoResult::success();
    const std::string& keyword = tk.sval;
    size_t values_at = tk.position();
    std::string_view values = line.substr(values_at);
    if (tail && (keyword == "v" || keyword == "vc" || keyword == "fc" || keyword == "mn" ||
                 keyword == "m")) {
        give_up();
    } else if (keyword == "v") {
        return vertex(tk, values);
    } else if (keyword == "vc") {
        read_register(tk, x);
        read_register(tk, y);
        read_register(tk, z);
        if (!finite(x, y, z)) return not_finite("a colour value");
        colours.emplace_back(x, y, z, 1.0f);
    } else if (keyword == "f") {
        if (!detected) {
            notation = detect_notation(line.substr(values_at - 1), notation);
            detected = true;
        }
        face(line, values_at);
    } else if (keyword == "fc") {
        detected = false;
    } else if (keyword == "mn") {
        for_each_piece(values, [&](std::string_view piece) { names.emplace_back(piece); });
    } else if (keyword == "m") {
        return morphogen_row(tk, values);
    }
    return IoResult::success();
}

// The part's lines follow this parser's: their vertices, faces and vertex numbers
// beyond the vertices join these, in file order.
void ObjParser::take_tail(ObjParser& part) {
    // Its plain vertices set the registers, which the lines read after it may keep.
    if (!part.vertices.empty()) {
        x = part.x;
        y = part.y;
        z = part.z;
    }
    // A vertex number no greater than the count of the vertices before the part was
    // within those read at its line, and is so in the end.
    for (auto [line, n] : part.forward_refs)
        if (size_t(n) > vertices.size()) forward_refs.emplace_back(line + lines_read, n);
    vertices.insert(vertices.end(), part.vertices.begin(), part.vertices.end());
    part.vertices = {};
    if (part.gave_up) {
        triangles.insert(triangles.end(), part.triangles.begin(), part.triangles.end());
        part.triangles = {};
    } else {
        last_triangles = std::move(part.triangles);
    }
    lines_read += part.lines_read;
}

IoResult ObjParser::parse_in_two(std::string_view text, size_t split) {
    reserve_big(vertices, text.size() / 32);
    reserve_big(triangles, text.size() / 32);
    ObjParser part(name, nullptr, plain_lines ? ObjLines::Plain : ObjLines::General);
    part.tail = part.detected = true;
    std::exception_ptr failed;
    std::thread aside([&] {
        try {
            part.parse(text, split, text.size(), 0);
        } catch (...) {
            failed = std::current_exception(); // running out of memory
        }
    });
    IoResult r;
    try {
        r = parse(text, 0, split, 0);
    } catch (...) {
        aside.join();
        throw;
    }
    aside.join();
    if (failed) std::rethrow_exception(failed);
    if (!r) return r;
    // Faces met before any here would have detected their notation.
    if (!detected && part.faces_read) return parse(text, split, text.size(), lines_read);
    size_t rest = part.gave_up ? part.gave_up_at : text.size();
    take_tail(part);
    if (rest == text.size()) return IoResult::success();
    return parse(text, rest, text.size(), lines_read);
}

IoResult ObjParser::fill(Mesh& mesh) {
    int nv = int(vertices.size());
    // The first line with a vertex number outside the vertices is reported.
    for (auto [line, n] : forward_refs) {
        if (!pending.empty() && line >= pending_line) break;
        if (n > nv) {
            line_number = line;
            return error("vertex number " + std::to_string(n) + " is outside the file's " +
                         std::to_string(nv) + " vertices");
        }
    }
    if (!pending.empty()) return IoResult::failure(pending);
    if (triangles.size() + last_triangles.size() > size_t(INT32_MAX))
        return error("too many faces");
    size_t k = columns < 0 ? 0 : size_t(columns);
    if (k * size_t(nv) > max_morphogen_values)
        return IoResult::failure("ERROR: " + name + ": too many per-vertex values (" +
                                 std::to_string(k) + " for each of " + std::to_string(nv) +
                                 " vertices)");

    int nf = int(triangles.size() + last_triangles.size());
    console_printf("nv: %d, nf: %d\n", nv, nf);
    console_printf("faceformat_type: %d\n", notation);

    mesh.selectedface = -1;
    mesh.morphogen_names = std::move(names);
    // As alloc_vertices and alloc_faces, but each array written once.
    mesh.nv = nv;
    mesh.vertices = std::move(vertices);
    fit_big(mesh.vertices); // reserved by the text's size
    mesh.nf = nf;
    mesh.faces.clear();
    reserve_big(mesh.faces, nf);
    // On a large mesh a second thread has the system provide the faces' pages from their
    // middle on, then fills the arrays of plain values, while this one (whose are the
    // checkpoints) reads the morphogens and lays out the faces.
    std::exception_ptr failed;
    auto aside = [&] {
        try {
            populate_pages(mesh.faces.data() + nf / 2, size_t(nf - nf / 2) * sizeof(Face));
            fill_plain_arrays(mesh);
        } catch (...) {
            failed = std::current_exception(); // running out of memory
        }
    };
    {
        std::jthread second;
        if (nf >= two_thread_faces) {
            try {
                second = std::jthread(aside);
            } catch (const std::system_error&) {
                // No second thread: this one does it all.
            }
        }
        if (!second.joinable()) fill_plain_arrays(mesh);
        fill_morphogens(mesh, k);
        mesh.faceptrs.clear();
        reserve_big(mesh.faceptrs, nf);
        const int first_part = int(triangles.size());
        in_blocks(work, nf, 16, [&](int i) {
            const std::array<int, 3>& t =
                i < first_part ? triangles[size_t(i)] : last_triangles[size_t(i - first_part)];
            Face& f = mesh.faces.emplace_back();
            for (int c = 0; c < 3; ++c) {
                f.vindex[c] = t[c];
                f.corners[c] = &mesh.vertices[f.vindex[c]];
            }
            mesh.faceptrs.push_back(&f);
        });
    }
    if (failed) std::rethrow_exception(failed);
    return IoResult::success();
}

// The per-vertex arrays and the centroids.
void ObjParser::fill_plain_arrays(Mesh& mesh) const {
    const int nv = mesh.nv;
    assign_big(mesh.normals, nv, Vector());
    // A file without any colour shows grey, as a NET file without colour lines does.
    bool uncoloured = colours.empty() && vertex_colours.empty();
    assign_big(mesh.colours, nv, uncoloured ? default_vertex_colour() : Vector());
    assign_big(mesh.texcoords, nv, Vector());
    if (!colours.empty()) {
        for (int v = 0; v < nv && v < int(colours.size()); ++v) mesh.colours[v] = colours[v];
    } else {
        float scale = colours_beyond_one ? 1.0f / 255.0f : 1.0f;
        for (size_t i = 0; i < vertex_colours.size(); ++i) {
            Vector& c = mesh.colours[vertex_colour_owner[i]];
            c = vertex_colours[i];
            c *= scale;
        }
    }
    assign_big(mesh.centroids, size_t(mesh.nf), Vector());
}

} // namespace

namespace {

// Below this size a second thread would cost more than it saves.
constexpr size_t two_part_size = size_t(4) << 20;

// The first line start at or after byte `from` (a line end's last byte just before it),
// or the text's size for none; 0 for 0.
size_t line_start_from(std::string_view text, size_t from) {
    if (from == 0) return 0;
    for (size_t p = from; p < text.size(); ++p) {
        char before = text[p - 1];
        if (before == '\n' || (before == '\r' && text[p] != '\n')) return p;
    }
    return text.size();
}

// Parses `text` (in two parts, the second from the first line at or after byte `split`,
// when there is such a line after the first) and fills the mesh;
// `parsed` runs between the two, once the text is no longer read.
template <typename Parsed>
IoResult read_obj(Mesh& mesh, std::string_view text, const std::string& name, Work* work,
                  size_t split, Parsed parsed, ObjLines lines = ObjLines::Plain) {
    mesh.morphogen_names.clear();
    size_t before = text.size();
    if (IoResult r = check_text(text, name); !r) return r;
    split = line_start_from(text, split - std::min(split, before - text.size())); // a mark dropped
    ObjParser parser(name, work, lines);
    try {
        {
            Stage parsing(work, 0, 0.85);
            IoResult r = split > 0 && split < text.size() ? parser.parse_in_two(text, split)
                                                          : parser.parse(text, 0, text.size(), 0);
            if (!r) return r;
        }
        parsed();
        Stage filling(work, 0.85, 1);
        return parser.fill(mesh);
    } catch (const WorkStopped&) {
        mesh.clear(); // what the filling wrote so far goes
        throw;
    }
}

// Two parts for a large text on a machine of more than one core.
size_t split_for(std::string_view text) {
    if (text.size() < two_part_size || std::thread::hardware_concurrency() < 2) return 0;
    return text.size() / 2;
}

} // namespace

IoResult Mesh::load_obj_text(std::string_view text, const std::string& name, Work* work) {
    return read_obj(*this, text, name, work, split_for(text), [] {});
}

IoResult load_obj_text_in_parts(Mesh& mesh, std::string_view text, const std::string& name,
                                size_t split, Work* work, ObjLines lines) {
    return read_obj(
        mesh, text, name, work, split, [] {}, lines);
}

IoResult Mesh::load_obj(const std::string& path, Work* work) {
    FileText file;
    if (!file.open(path)) return open_failure("ERROR: Opening File: " + path, file);
    console_printf("Opening: %s\n", path.c_str());
    // The text goes before the mesh's arrays are filled, which then have its room.
    return read_obj(*this, file.text(), path, work, split_for(file.text()),
                    [&file] { file.release(); });
}
