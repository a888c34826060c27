#include "core/obj_text.h"

#include <charconv>

void append_obj_number(std::string& out, float f) {
    char buf[64];
    char* end = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::general, 6).ptr;
    out.append(buf, end);
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
