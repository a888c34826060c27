// Writer of the OBJ dialect: the morphogen names ("mn"), then per vertex its "v" line,
// optionally its "vc" line and its row of morphogen values ("m"), then the faces in the
// notation "f a/a/ b/b/ c/c/".
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/mesh.h"
#include "core/obj_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool finite(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The first vertex (counted from 1) whose position, colour (when colours are written)
// or morphogen value is not a finite number; 0 when there is none.
int first_non_finite(const Mesh& mesh, bool with_colours) {
    for (int v = 0; v < mesh.nv; ++v) {
        if (!finite(mesh.vertices[v]) || (with_colours && !finite(mesh.colours[v]))) return v + 1;
        if (size_t(v) < mesh.morphogens.size())
            for (float value : mesh.morphogens[v])
                if (!std::isfinite(value)) return v + 1;
    }
    return 0;
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
    // A number that is not finite would not read back as itself: nothing is written.
    if (int v = first_non_finite(*this, with_colours))
        return IoResult::failure("ERROR: " + path + ": vertex " + std::to_string(v) +
                                 " has a value that is not a finite number; nothing saved");
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
    if (!morphogen_names.empty()) {
        out += "mn";
        for (const std::string& name : morphogen_names) (out += ' ') += name;
        out += '\n';
    }
    for (int v = 0; v < nv; ++v) {
        append_obj_vector_line(out, "v ", vertices[v]);
        if (with_colours) append_obj_vector_line(out, "vc ", colours[v]);
        // Rows are written as they are; the reader fills missing ones with zeros.
        if (size_t(v) < morphogens.size() && !morphogens[v].empty()) {
            out += 'm';
            for (float value : morphogens[v]) {
                out += ' ';
                append_obj_number(out, value);
            }
            out += '\n';
        }
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
