// The PLY and OFF counts are read as Assimp reads them (whole numbers wrap at 2^32, a
// PLY list's length is converted to unsigned), so that the check bounds what Assimp
// would allocate, not what the file means.
#include "core/scene_counts.h"

#include "core/text_file.h"
#include "core/work.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <strings.h>
#include <vector>

namespace scene_counts {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Digits from `p` on, as an unsigned 32-bit number that wraps (0 for none).
uint32_t unsigned_prefix(std::string_view s, size_t& p) {
    uint32_t value = 0;
    while (p < s.size() && is_digit(s[p])) value = value * 10 + uint32_t(s[p++] - '0');
    return value;
}

// A sign and digits from `p` on, as a signed 32-bit number that wraps.
uint32_t signed_prefix(std::string_view s, size_t& p) {
    bool negative = p < s.size() && s[p] == '-';
    if (p < s.size() && (s[p] == '-' || s[p] == '+')) ++p;
    uint32_t magnitude = unsigned_prefix(s, p);
    return negative ? 0u - magnitude : magnitude;
}

// A real number from `p` on (sign, digits, fraction, exponent, or nan/inf), passed
// over; its value as a list length: its whole part, or UINT64_MAX when it is negative,
// not a number or beyond 32 bits.
uint64_t real_prefix(std::string_view s, size_t& p) {
    size_t start = p;
    if (p < s.size() && (s[p] == '-' || s[p] == '+')) ++p;
    for (const char* word : {"infinity", "inf", "nan"}) {
        size_t n = std::strlen(word);
        if (s.size() - p >= n && strncasecmp(s.data() + p, word, n) == 0) {
            p += n;
            return UINT64_MAX;
        }
    }
    size_t first = p;
    while (p < s.size() && is_digit(s[p])) ++p;
    if (p < s.size() && s[p] == '.') ++p;
    while (p < s.size() && is_digit(s[p])) ++p;
    if (p > first && p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
        size_t e = p + 1;
        if (e < s.size() && (s[e] == '-' || s[e] == '+')) ++e;
        if (e < s.size() && is_digit(s[e])) {
            p = e;
            while (p < s.size() && is_digit(s[p])) ++p;
        }
    }
    double value = std::strtod(std::string(s.substr(start, p - start)).c_str(), nullptr);
    return value >= 0 && value < 4294967296.0 ? uint64_t(value) : UINT64_MAX;
}

// The whitespace-separated words of a text, in order.
class Words {
  public:
    explicit Words(std::string_view s) : text(s) {}
    // The next word, or "" at the end.
    std::string_view next() {
        while (at < text.size() && is_blank(text[at])) ++at;
        size_t start = at;
        while (at < text.size() && !is_blank(text[at])) ++at;
        return text.substr(start, at - start);
    }

  private:
    std::string_view text;
    size_t at = 0;
};

uint32_t count_of(std::string_view word) {
    size_t p = 0;
    return unsigned_prefix(word, p);
}

IoResult refuse(const std::string& name, const std::string& what) {
    return IoResult::failure("ERROR: " + name + ": " + what);
}

std::string more_than(uint64_t count, const std::string& what, size_t bytes) {
    return "the header declares " + std::to_string(count) + " " + what + ", more than the file's " +
           std::to_string(bytes) + " bytes of data can hold";
}

// ---- PLY ----

enum class Number { Signed, Unsigned, Real };

struct Scalar {
    int size = 0;
    Number kind = Number::Unsigned;
};

struct Property {
    Scalar value;
    bool list = false;
    Scalar length; // a list's count
};

struct Element {
    std::string name;
    uint32_t count = 0;
    std::vector<Property> properties;
    bool has_list = false;
};

enum class Encoding { Ascii, LittleEndian, BigEndian };

struct Header {
    Encoding encoding = Encoding::Ascii;
    std::vector<Element> elements;
    size_t data = 0; // where the data starts
};

// The type named `word`; false for a name PLY does not define.
bool scalar_type(std::string_view word, Scalar& s) {
    static constexpr struct {
        const char* name;
        int size;
        Number kind;
    } types[] = {
        {"char", 1, Number::Signed},     {"int8", 1, Number::Signed},
        {"uchar", 1, Number::Unsigned},  {"uint8", 1, Number::Unsigned},
        {"short", 2, Number::Signed},    {"int16", 2, Number::Signed},
        {"ushort", 2, Number::Unsigned}, {"uint16", 2, Number::Unsigned},
        {"int", 4, Number::Signed},      {"int32", 4, Number::Signed},
        {"uint", 4, Number::Unsigned},   {"uint32", 4, Number::Unsigned},
        {"float", 4, Number::Real},      {"float32", 4, Number::Real},
        {"double", 8, Number::Real},     {"float64", 8, Number::Real},
    };
    for (const auto& t : types)
        if (word == t.name) {
            s = {t.size, t.kind};
            return true;
        }
    return false;
}

// The words of a header line (blanks and tabs between them).
std::vector<std::string_view> line_words(std::string_view line) {
    std::vector<std::string_view> out;
    Words words(line);
    for (std::string_view w = words.next(); !w.empty(); w = words.next()) out.push_back(w);
    return out;
}

// "property TYPE NAME" or "property list COUNT_TYPE TYPE NAME"; "" when it is one, else
// what is wrong with it.
std::string read_property(const std::vector<std::string_view>& w, Property& p) {
    p.list = w.size() == 5 && w[1] == "list";
    if (w.size() != (p.list ? 5u : 3u)) return "a property line is not \"property TYPE NAME\"";
    if (p.list && (!scalar_type(w[2], p.length) || p.length.kind == Number::Real))
        return "a list's count type is not a whole-number type of PLY";
    if (!scalar_type(w[p.list ? 3 : 1], p.value)) return "a property's type is not one of PLY's";
    return {};
}

// One header line into `h`; "" when it is well formed, else what is wrong with it.
std::string read_header_line(const std::vector<std::string_view>& w, Header& h, bool& formatted) {
    if (w.empty() || w[0] == "comment" || w[0] == "obj_info") return {};
    if (w[0] == "format") {
        static constexpr std::pair<const char*, Encoding> formats[] = {
            {"ascii", Encoding::Ascii},
            {"binary_little_endian", Encoding::LittleEndian},
            {"binary_big_endian", Encoding::BigEndian}};
        for (auto [kind, encoding] : formats)
            if (w.size() == 3 && w[1] == kind && !formatted && h.elements.empty()) {
                h.encoding = encoding;
                formatted = true;
                return {};
            }
        return "the format line is not \"format ascii|binary_little_endian|binary_big_endian "
               "VERSION\", once before the elements";
    }
    if (w[0] == "element") {
        if (w.size() != 3 || w[2].size() > 10 ||
            std::any_of(w[2].begin(), w[2].end(), [](char c) { return !is_digit(c); }) ||
            std::stoull(std::string(w[2])) > UINT32_MAX)
            return "an element line is not \"element NAME COUNT\" with a count below 2^32";
        h.elements.push_back({std::string(w[1]), count_of(w[2]), {}, false});
        return {};
    }
    if (w[0] == "property") {
        if (h.elements.empty()) return "a property comes before any element";
        Property p;
        if (std::string wrong = read_property(w, p); !wrong.empty()) return wrong;
        h.elements.back().has_list |= p.list;
        h.elements.back().properties.push_back(p);
        return {};
    }
    return "a header line starts with \"" + std::string(w[0]) + "\", which PLY does not define";
}

// Reads the header, line by line, strictly: Assimp's own reading of it goes astray (and
// past the end of its buffers) on malformed ones, so none reaches it. False with `wrong`
// saying what is wrong with it.
bool read_ply_header(std::string_view bytes, Header& h, std::string& wrong) {
    wrong = "the header is not one of PLY (\"ply\" alone on the first line, then lines up "
            "to \"end_header\")";
    if (bytes.size() < 3 || strncasecmp(bytes.data(), "ply", 3) != 0) return false;
    bool formatted = false;
    size_t at = 0;
    for (int line = 0; at < bytes.size(); ++line) {
        size_t end = std::min(bytes.find('\n', at), bytes.size());
        std::string_view text = bytes.substr(at, end - at);
        at = end + 1;
        std::vector<std::string_view> w = line_words(text);
        if (line == 0) {
            if (w.size() != 1 || w[0].size() != 3) return false;
            continue;
        }
        if (w.size() == 1 && w[0] == "end_header") {
            h.data = std::min(at, bytes.size());
            if (!formatted) wrong = "the header has no format line";
            return formatted;
        }
        if (std::string line_wrong = read_header_line(w, h, formatted); !line_wrong.empty()) {
            wrong = line_wrong;
            return false;
        }
    }
    return false;
}

std::string list_too_long(uint64_t length, const Element& e, uint32_t instance, const char* than) {
    return "a list of " + std::to_string(length) + " values is longer than " + than + " (" +
           e.name + " " + std::to_string(instance) + ")";
}

// The lines of ASCII data as Assimp walks them: runs of characters between line ends
// ("\r", "\n", "\f" and NUL), empty ones passed over.
class DataLines {
  public:
    explicit DataLines(std::string_view s) : text(s) {}
    bool next(std::string_view& line) {
        while (at < text.size() && is_end(text[at])) ++at;
        if (at >= text.size()) return false;
        size_t start = at;
        while (at < text.size() && !is_end(text[at])) ++at;
        line = text.substr(start, at - start);
        return true;
    }

  private:
    static bool is_end(char c) { return c == '\r' || c == '\n' || c == '\f' || c == '\0'; }
    std::string_view text;
    size_t at = 0;
};

void skip_spaces(std::string_view line, size_t& p) {
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
}

// Passes over one value of type `s` from `p` on; its value as a list length.
uint64_t ascii_value(std::string_view line, size_t& p, const Scalar& s) {
    switch (s.kind) {
    case Number::Unsigned:
        return unsigned_prefix(line, p);
    case Number::Signed:
        return signed_prefix(line, p);
    case Number::Real:
        break;
    }
    return real_prefix(line, p);
}

// One instance's line: every list no longer than the rest of its line.
IoResult check_ascii_instance(std::string_view line, const Element& e, uint32_t instance,
                              const std::string& name) {
    size_t p = 0;
    for (const Property& prop : e.properties) {
        skip_spaces(line, p);
        if (p >= line.size()) return IoResult::success(); // Assimp stops the instance here
        if (!prop.list) {
            ascii_value(line, p, prop.value);
            continue;
        }
        uint64_t length = ascii_value(line, p, prop.length);
        if (length > line.size() - p)
            return refuse(name, list_too_long(length, e, instance, "its line"));
        for (uint64_t k = 0; k < length; ++k) {
            skip_spaces(line, p);
            if (p >= line.size()) return IoResult::success();
            ascii_value(line, p, prop.value);
        }
    }
    return IoResult::success();
}

IoResult check_ascii(std::string_view data, const Header& h, const std::string& name, Work* work) {
    DataLines lines(data);
    std::string_view line;
    for (const Element& e : h.elements) {
        for (uint32_t i = 0; i < e.count; ++i) {
            if ((i & 65535) == 0) checkpoint(work);
            if (!lines.next(line))
                return refuse(name, more_than(e.count, e.name + " elements", data.size()));
            if (!e.has_list) continue;
            if (IoResult r = check_ascii_instance(line, e, i, name); !r) return r;
        }
    }
    return IoResult::success();
}

// A binary list length of type `s` at `at`, as Assimp converts it to unsigned.
uint64_t binary_length(std::string_view data, size_t at, const Scalar& s, bool big_endian) {
    uint64_t bits = 0;
    for (int k = 0; k < s.size; ++k) {
        auto byte = uint64_t((unsigned char)data[at + size_t(big_endian ? k : s.size - 1 - k)]);
        bits = bits << 8 | byte;
    }
    if (s.kind == Number::Unsigned) return bits;
    if (s.kind == Number::Signed) {
        uint64_t sign = uint64_t(1) << (8 * s.size - 1);
        return uint32_t(int64_t((bits ^ sign) - sign)); // sign-extended, then unsigned
    }
    double value;
    if (s.size == 4) {
        float f;
        auto word = uint32_t(bits);
        std::memcpy(&f, &word, 4);
        value = f;
    } else {
        std::memcpy(&value, &bits, 8);
    }
    return value >= 0 && value < 4294967296.0 ? uint64_t(value) : UINT64_MAX;
}

IoResult check_binary(std::string_view data, const Header& h, const std::string& name, Work* work) {
    const bool big = h.encoding == Encoding::BigEndian;
    size_t at = 0;
    for (const Element& e : h.elements) {
        const std::string declared = more_than(e.count, e.name + " elements", data.size());
        // The fewest bytes an instance takes (its lists empty).
        uint64_t least = 0;
        for (const Property& p : e.properties)
            least += uint64_t(p.list ? p.length.size : p.value.size);
        // Instances of no bytes still cost Assimp a record each.
        uint64_t room = least == 0 ? data.size() + 4096 : (data.size() - at) / least;
        if (e.count > room) return refuse(name, declared);
        if (!e.has_list || least == 0) {
            at += size_t(e.count * least);
            continue;
        }
        for (uint32_t i = 0; i < e.count; ++i) {
            if ((i & 65535) == 0) checkpoint(work);
            for (const Property& p : e.properties) {
                const Scalar& first = p.list ? p.length : p.value;
                if (data.size() - at < size_t(first.size)) return refuse(name, declared);
                if (!p.list) {
                    at += size_t(first.size);
                    continue;
                }
                uint64_t length = binary_length(data, at, p.length, big);
                at += size_t(p.length.size);
                if (length > (data.size() - at) / size_t(p.value.size))
                    return refuse(name, list_too_long(length, e, i, "the rest of the file"));
                at += size_t(length) * size_t(p.value.size);
            }
        }
    }
    return IoResult::success();
}

IoResult check_ply(std::string_view bytes, const std::string& name, Work* work) {
    Header h;
    std::string wrong;
    if (!read_ply_header(bytes, h, wrong)) return refuse(name, wrong);
    std::string_view data = bytes.substr(std::min(h.data, bytes.size()));
    return h.encoding == Encoding::Ascii ? check_ascii(data, h, name, work)
                                         : check_binary(data, h, name, work);
}

// ---- OFF ----

// The words of the text's lines, comment lines ("#" first) passed over.
class OffWords {
  public:
    explicit OffWords(std::string_view s) : text(s) {}
    std::string_view next() {
        for (;;) {
            while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
            if (at >= text.size()) return {};
            if (text[at] == '\r' || text[at] == '\n') {
                line_start = ++at;
                continue;
            }
            if (text[at] == '#' && at == first_word_at()) {
                while (at < text.size() && text[at] != '\n' && text[at] != '\r') ++at;
                continue;
            }
            size_t start = at;
            while (at < text.size() && !is_blank(text[at])) ++at;
            return text.substr(start, at - start);
        }
    }
    // Just after the end of the current line.
    size_t after_line() {
        while (at < text.size() && text[at] != '\n' && text[at] != '\r') ++at;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;
        return at;
    }

  private:
    size_t first_word_at() const {
        size_t p = line_start;
        while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
        return p;
    }
    std::string_view text;
    size_t at = 0, line_start = 0;
};

bool is_count(std::string_view word) {
    return !word.empty() && is_digit(word[0]);
}

// Refuses a face line that starts with no corner count or a count of 0: Assimp goes on
// past such a face with its face array out of step, and reads beyond its end. The lines
// are counted as Assimp counts them: empty ones passed over, blank and comment lines
// taken for vertices or faces.
IoResult check_off_faces(std::string_view data, uint32_t nv, uint32_t nf, const std::string& name) {
    DataLines lines(data);
    std::string_view line;
    for (uint32_t v = 0; v < nv; ++v)
        if (!lines.next(line)) return IoResult::success();
    for (uint32_t f = 0; f < nf && lines.next(line); ++f) {
        size_t p = 0;
        skip_spaces(line, p);
        if (unsigned_prefix(line, p) == 0)
            return refuse(name, "face " + std::to_string(f) + " has no corners");
    }
    return IoResult::success();
}

IoResult check_off(std::string_view bytes, const std::string& name) {
    // OFF is text: Assimp's reader runs past its arrays on bytes that are not (a NUL
    // inside a face line).
    std::string_view text = bytes;
    if (IoResult r = check_text(text, name); !r) return r;
    OffWords words(bytes);
    std::string_view word = words.next();
    bool keyword = word.size() >= 3 && word.substr(word.size() - 3) == "OFF";
    // "nOFF" gives the dimension first.
    if (keyword && word.size() >= 4 && word[word.size() - 4] == 'n' && !is_count(words.next()))
        return IoResult::success();
    std::string_view vertices = keyword ? words.next() : word;
    std::string_view faces = words.next();
    if (!is_count(vertices) || !is_count(faces)) return IoResult::success();
    std::string_view data = bytes.substr(std::min(bytes.size(), words.after_line()));
    uint64_t nv = count_of(vertices), nf = count_of(faces);
    // Every vertex and every face takes a number and a blank at least.
    if ((nv + nf) * 2 > uint64_t(data.size()) + 2)
        return refuse(name, "the header declares " + std::to_string(nv) + " vertices and " +
                                std::to_string(nf) + " faces, more than the file's " +
                                std::to_string(data.size()) + " bytes of data can hold");
    return check_off_faces(data, uint32_t(nv), uint32_t(nf), name);
}

} // namespace scene_counts

IoResult check_declared_counts(std::string_view bytes, const std::string& extension,
                               const std::string& name, Work* work) {
    if (extension == "ply") return scene_counts::check_ply(bytes, name, work);
    if (extension == "off") return scene_counts::check_off(bytes, name);
    return IoResult::success();
}
