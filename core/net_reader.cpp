// Reader of the NET format: lines classified by their first character into vertex
// positions, normals, colours, texture coordinates and polygons of 3 to 10 corners
// numbered from 0.
#include "core/console.h"
#include "core/mesh.h"
#include "core/reader_warnings.h"
#include "core/scan.h"
#include "core/text_file.h"
#include "core/work_blocks.h"

#include <cmath>
#include <optional>

namespace {

struct Polygon {
    int line;
    int first; // into the corner list
    int count;
};

// Reads `text` into `mesh`, which is written only once the whole text is read.
IoResult read_net_text(Mesh& mesh, std::string_view text, const std::string& name, Work* work) {
    std::vector<Vector> positions, net_normals, net_colours;
    std::vector<int> corners;
    std::vector<Polygon> polygons;

    auto error = [&](int line, const std::string& what) {
        return IoResult::failure("ERROR: " + name + ":" + std::to_string(line) + ": " + what);
    };

    ReaderWarnings warnings(name);
    LineReader lines(text);
    std::string_view line;
    // The reading, then the filling: one stage at a time.
    std::optional<Stage> stage;
    stage.emplace(work, 0, 0.9);
    while (lines.next(line)) {
        // About a millisecond of lines between stops; progress by the bytes read.
        if ((lines.number & 4095) == 0)
            advance(work, line.data() - text.data(), int64_t(text.size()));
        if (line.empty()) continue;
        double v[10];
        switch (line[0]) {
        case 'v':
        case 'n':
        case 'c': {
            static constexpr const char* forms[] = {"v %f %f %f", "n %f %f %f", "c %f %f %f"};
            const char* form = forms[line[0] == 'v' ? 0 : line[0] == 'n' ? 1 : 2];
            if (scan(line, form, v, 3) < 3)
                return error(lines.number, std::string("expected \"") + form + "\"");
            if (!std::isfinite(float(v[0])) || !std::isfinite(float(v[1])) ||
                !std::isfinite(float(v[2])))
                return error(lines.number, "a value is not a finite number");
            auto& list = line[0] == 'v' ? positions : line[0] == 'n' ? net_normals : net_colours;
            list.emplace_back(float(v[0]), float(v[1]), float(v[2]), 1.0f);
            break;
        }
        case 't':
            // Texture coordinates are checked but not taken over.
            if (scan(line, "t %f %f", v, 2) < 2) return error(lines.number, "expected \"t %f %f\"");
            if (!std::isfinite(v[0]) || !std::isfinite(v[1]))
                return error(lines.number, "a value is not a finite number");
            break;
        case 'f': {
            // An eleventh number is looked for only to say that it is left out.
            int n = scan(line, "f %d %d %d %d %d %d %d %d %d %d %d", v, 10);
            if (n < 3) return error(lines.number, "a face needs three to ten vertex numbers");
            if (n > 10) {
                warnings.warn(lines.number, "a face has more than ten corners; only the "
                                            "first ten are taken");
                n = 10;
            }
            polygons.push_back({lines.number, int(corners.size()), n});
            for (int k = 0; k < n; ++k) corners.push_back(int(v[k]));
            break;
        }
        default:
            break; // empty lines, comments, other records
        }
    }

    int count = int(positions.size());
    size_t triangles = 0;
    for (size_t j = 0; j < polygons.size(); ++j) {
        if ((j & 65535) == 0) checkpoint(work);
        const Polygon& p = polygons[j];
        for (int k = 0; k < p.count; ++k) {
            int n = corners[p.first + k];
            if (n < 0 || n >= count)
                return error(p.line, "vertex number " + std::to_string(n) +
                                         " is outside the file's " + std::to_string(count) +
                                         " vertices (0.." + std::to_string(count - 1) + ")");
        }
        triangles += size_t(p.count - 2);
    }
    if (triangles > size_t(INT32_MAX))
        return IoResult::failure("ERROR: " + name + ": too many faces");

    stage.emplace(work, 0.9, 1);
    mesh.selectedface = -1;
    mesh.alloc_vertices(count);
    in_blocks(work, count, 16, [&](int j) {
        Vector& p = mesh.vertices[j];
        p.x = positions[j].x;
        p.y = positions[j].y;
        p.z = positions[j].z;
        mesh.normals[j] = net_normals.size() == positions.size()
                              ? Vector(net_normals[j].x, net_normals[j].y, net_normals[j].z)
                              : Vector(0, 0, 0);
        // Vertices beyond the file's colour lines take the colour of a file without any.
        mesh.colours[j] = j < int(net_colours.size()) ? net_colours[j] : default_vertex_colour();
    });
    mesh.alloc_faces(int(triangles));
    int i = 0;
    for (size_t j = 0; j < polygons.size(); ++j) {
        if ((j & 65535) == 0) checkpoint(work);
        const Polygon& p = polygons[j];
        const int* c = &corners[p.first];
        for (int k = 1; k + 1 < p.count; ++k, ++i) {
            mesh.faces[i].vindex[0] = c[0];
            mesh.faces[i].vindex[1] = c[k];
            mesh.faces[i].vindex[2] = c[k + 1];
        }
    }
    mesh.link_faces();
    return IoResult::success();
}

} // namespace

IoResult Mesh::load_net_text(std::string_view text, const std::string& name, Work* work) {
    if (IoResult r = check_text(text, name); !r) return r;
    try {
        return read_net_text(*this, text, name, work);
    } catch (const WorkStopped&) {
        clear(); // what the filling wrote so far goes
        throw;
    }
}

IoResult Mesh::load_net(const std::string& path, Work* work) {
    FileText file;
    if (!file.open(path)) return open_failure("ERROR Opening File: " + path, file);
    console_printf("Opening: %s\n", path.c_str());
    return load_net_text(file.text(), path, work);
}
