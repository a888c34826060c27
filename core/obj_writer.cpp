// Writer of the OBJ dialect: the morphogen names ("mn"), then per vertex its "v" line,
// optionally its "vc" line and its row of morphogen values ("m"), then the faces in the
// notation "f a/a/ b/b/ c/c/".
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/mesh.h"
#include "core/obj_text.h"
#include "core/savable.h"
#include "core/work.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

void append_corner(std::string& out, int n) {
    char buf[16];
    char* end = std::to_chars(buf, buf + sizeof buf, n).ptr;
    out.append(buf, end);
    out += '/';
    out.append(buf, end);
    out += '/';
}

// The OBJ text of `mesh` into `file`, a megabyte at a time; false when a write fails.
bool write_obj_text(const Mesh& mesh, AtomicFile& file, bool with_colours, Work* work) {
    std::string out;
    constexpr size_t chunk = 1 << 20;
    out.reserve(chunk + 256);
    auto flush_if_full = [&] {
        if (out.size() < chunk) return true;
        bool ok = file.write(out);
        out.clear();
        return ok;
    };
    if (!mesh.morphogen_names.empty()) {
        out += "mn";
        for (const std::string& name : mesh.morphogen_names) (out += ' ') += name;
        out += '\n';
    }
    // A stop every few thousand lines, about a millisecond of formatting.
    const int64_t lines = int64_t(mesh.nv) + mesh.nf;
    for (int v = 0; v < mesh.nv; ++v) {
        advance_every(work, v, lines, 12);
        append_obj_vector_line(out, "v ", mesh.vertices[v]);
        if (with_colours) append_obj_vector_line(out, "vc ", mesh.colours[v]);
        // Rows are written as they are; the reader fills missing ones with zeros.
        if (size_t(v) < mesh.morphogens.size() && !mesh.morphogens[v].empty()) {
            out += 'm';
            for (float value : mesh.morphogens[v]) {
                out += ' ';
                append_obj_number(out, value);
            }
            out += '\n';
        }
        if (!flush_if_full()) return false;
    }
    for (int i = 0; i < mesh.nf; ++i) {
        advance_every(work, int64_t(mesh.nv) + i, lines, 12);
        out += "f ";
        for (int k = 0; k < 3; ++k) {
            if (k) out += ' ';
            append_corner(out, mesh.faces[i].vindex[k] + 1);
        }
        out += '\n';
        if (!flush_if_full()) return false;
    }
    return file.write(out);
}

} // namespace

IoResult Mesh::save_obj(const std::string& path, bool with_colours, Work* work) const {
    if (IoResult r = check_savable(*this, path, with_colours, true); !r) return r;
    console_printf("\tMESH: Saving %s...", path.c_str());
    auto failed = [&](const char* what) {
        console_printf(" FAILED\n");
        return IoResult::failure("ERROR: could not " + std::string(what) + " " + path + ": " +
                                 std::strerror(errno));
    };

    AtomicFile file(path);
    if (!file.is_open()) return failed("create a file beside");
    Stage whole(work, 0, 1);
    bool written;
    try {
        written = write_obj_text(*this, file, with_colours, work);
    } catch (const WorkStopped&) {
        console_printf(" stopped\n"); // the file's destructor removes the temporary file
        throw;
    }
    if (!written || !file.commit()) return failed("write");
    console_printf(" done...\n");
    return IoResult::success();
}
