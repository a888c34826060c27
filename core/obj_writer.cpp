// Writer of the OBJ dialect: "v" lines, optional "vc" lines, and faces in the
// notation "f a/a/ b/b/ c/c/".
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/mesh.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Six significant digits as a stream writes them, but never in exponent form: the
// reader takes "1e-07" for the number 1, the word "e" and the number -7.
void append_number(std::string& out, float f) {
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

void append_vector_line(std::string& out, const char* keyword, const Vector& v) {
    out += keyword;
    append_number(out, v.x);
    out += ' ';
    append_number(out, v.y);
    out += ' ';
    append_number(out, v.z);
    out += '\n';
}

void append_corner(std::string& out, int n) {
    char buf[16];
    char* end = std::to_chars(buf, buf + sizeof buf, n).ptr;
    out.append(buf, end);
    out += '/';
    out.append(buf, end);
    out += '/';
}

} // namespace

IoResult Mesh::save_obj(const std::string& path, bool with_colours) const {
    console_printf("%d, %d\n", nv, nf);
    if (nv == 0 || nf == 0)
        return IoResult::failure("ERROR: " + path +
                                 ": nothing to save (the mesh has no vertices or no faces)");
    console_printf("\tMESH: Saving %s...", path.c_str());
    auto failed = [&](const char* what) {
        console_printf(" FAILED\n");
        return IoResult::failure("ERROR: could not " + std::string(what) + " " + path + ": " +
                                 std::strerror(errno));
    };

    AtomicFile file(path);
    if (!file.is_open()) return failed("create a file beside");
    std::string out;
    constexpr size_t chunk = 1 << 20;
    out.reserve(chunk + 256);
    auto flush_if_full = [&] {
        if (out.size() < chunk) return true;
        bool ok = file.write(out);
        out.clear();
        return ok;
    };
    for (int v = 0; v < nv; ++v) {
        append_vector_line(out, "v ", vertices[v]);
        if (with_colours) append_vector_line(out, "vc ", colours[v]);
        if (!flush_if_full()) return failed("write");
    }
    for (int i = 0; i < nf; ++i) {
        out += "f ";
        for (int k = 0; k < 3; ++k) {
            if (k) out += ' ';
            append_corner(out, faces[i].vindex[k] + 1);
        }
        out += '\n';
        if (!flush_if_full()) return failed("write");
    }
    if (!file.write(out) || !file.commit()) return failed("write");
    console_printf(" done...\n");
    return IoResult::success();
}
