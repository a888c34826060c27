#include "core/obj_text.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>

void append_obj_number(std::string& out, float f) {
    char buf[64];
    char* end = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::general, 6).ptr;
    std::string_view s(buf, end - buf);
    size_t e = s.find('e');
    if (e == std::string_view::npos) {
        out.append(s);
        return;
    }
    std::string_view mantissa = s.substr(0, e);
    int exponent = std::atoi(std::string(s.substr(e + 1)).c_str());
    if (mantissa.front() == '-') {
        out += '-';
        mantissa.remove_prefix(1);
    }
    std::string digits;
    for (char c : mantissa)
        if (c != '.') digits += c;
    if (exponent >= 0) {
        // %g switches to exponent form only once the exponent reaches the precision,
        // so every digit stands before the point.
        out += digits;
        out.append(size_t(exponent + 1) - std::min(digits.size(), size_t(exponent + 1)), '0');
    } else {
        out += "0.";
        out.append(size_t(-exponent - 1), '0');
        out += digits;
    }
}

void append_obj_vector_line(std::string& out, const char* keyword, const Vector& v) {
    out += keyword;
    append_obj_number(out, v.x);
    out += ' ';
    append_obj_number(out, v.y);
    out += ' ';
    append_obj_number(out, v.z);
    out += '\n';
}
