// Segment export: one OBJ file per segment number, one for the faces in no segment and
// one for all segmented faces, each with its positions welded.
//
// Welding goes through position classes computed once: the vertices sorted by x, y, z
// give every vertex the class of its position, and a pass numbers the classes in order
// of first use with a stamp per class. That is the ordered set of positions per file
// without its log factor per corner, and the faces of each pass come from one counting
// sort by segment instead of a scan of all faces per pass.
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/mesh.h"
#include "core/obj_text.h"
#include "segmentation/segments.h"
#include "tools/edge_traversal.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace {

// -1, 0 or 1: the order of < on numbers, where 0 and -0 are equal, and NaN equal to NaN
// and above every number, so that a sort stays well defined.
int compare_coordinate(float a, float b) {
    if (a < b) return -1;
    if (b < a) return 1;
    bool nan_a = a != a, nan_b = b != b;
    return nan_a == nan_b ? 0 : nan_a ? 1 : -1;
}

int compare_position(const Vector& a, const Vector& b) {
    if (int c = compare_coordinate(a.x, b.x)) return c;
    if (int c = compare_coordinate(a.y, b.y)) return c;
    return compare_coordinate(a.z, b.z);
}

// Per vertex, a number shared exactly by the vertices at the same position; returns the
// number of classes.
int position_classes(const Mesh& mesh, std::vector<int>& position_class) {
    struct Key {
        Vector p;
        int vertex;
    };
    std::vector<Key> keys(mesh.nv);
    for (int v = 0; v < mesh.nv; ++v) keys[v] = {mesh.vertices[v], v};
    std::sort(keys.begin(), keys.end(),
              [](const Key& a, const Key& b) { return compare_position(a.p, b.p) < 0; });
    position_class.assign(mesh.nv, 0);
    int classes = 0;
    for (int k = 0; k < mesh.nv; ++k) {
        if (k > 0 && compare_position(keys[k - 1].p, keys[k].p) != 0) ++classes;
        position_class[keys[k].vertex] = classes;
    }
    return mesh.nv > 0 ? classes + 1 : 0;
}

bool corners_valid(const Mesh& mesh, const Face& f) {
    for (int v : f.vindex)
        if (v < 0 || v >= mesh.nv) return false;
    return true;
}

void append_corner(std::string& out, int n) {
    char buf[16];
    char* end = std::to_chars(buf, buf + sizeof buf, n).ptr;
    for (int k = 0; k < 3; ++k) {
        if (k) out += '/';
        out.append(buf, end);
    }
}

} // namespace

std::string segment_file_name(int pass) {
    if (pass == 0) return "non-segemented.obj";
    if (pass < 0) return "segemented.obj";
    return "object_" + std::to_string(pass) + ".obj";
}

void for_each_segment_mesh(Mesh& mesh, int region_counter,
                           const std::function<void(int pass, const SegmentMesh&)>& visit) {
    std::vector<int> position_class;
    int classes = position_classes(mesh, position_class);

    // Faces of passes 0..region_counter by a stable counting sort on the segment.
    int passes = std::max(region_counter + 1, 0);
    std::vector<int> start(size_t(passes) + 1, 0), order;
    auto in_pass = [&](const Face& f) {
        return f.segment >= 0 && f.segment < passes && corners_valid(mesh, f);
    };
    for (const Face& f : mesh.faces)
        if (in_pass(f)) ++start[size_t(f.segment) + 1];
    for (int g = 0; g < passes; ++g) start[g + 1] += start[g];
    order.resize(start[passes]);
    {
        std::vector<int> next(start.begin(), start.end() - 1);
        for (int i = 0; i < mesh.nf; ++i)
            if (in_pass(mesh.faces[i])) order[next[mesh.faces[i].segment]++] = i;
    }

    std::vector<int> stamp(classes, -1), entry(classes, 0);
    SegmentMesh segment;
    int pass_number = 0; // distinct per pass, for the stamps
    auto add_face = [&](Face& f) {
        for (int v : f.vindex) {
            int c = position_class[v];
            if (stamp[c] != pass_number) {
                stamp[c] = pass_number;
                entry[c] = int(segment.positions.size());
                segment.positions.push_back(mesh.vertices[v]);
                mesh.vertices[v].w = float(entry[c]);
            }
            segment.corners.push_back(entry[c]);
        }
    };
    auto run_pass = [&](int pass, auto&& each_face) {
        segment.positions.clear();
        segment.corners.clear();
        each_face();
        visit(pass, segment);
        ++pass_number;
    };
    for (int g = 0; g < passes; ++g)
        run_pass(g, [&] {
            for (int j = start[g]; j < start[g + 1]; ++j) add_face(mesh.faces[order[j]]);
        });
    run_pass(-1, [&] {
        for (Face& f : mesh.faces)
            if (f.segment > 0 && corners_valid(mesh, f)) add_face(f);
    });
}

bool append_segment_obj(std::string& out, const SegmentMesh& segment,
                        const std::function<bool(std::string&)>& flush) {
    constexpr size_t chunk = 1 << 20;
    auto flush_if_full = [&] { return !flush || out.size() < chunk || flush(out); };
    for (const Vector& p : segment.positions) {
        append_obj_vector_line(out, "v ", p);
        if (!flush_if_full()) return false;
    }
    for (size_t k = 0; k + 2 < segment.corners.size(); k += 3) {
        out += "f ";
        append_corner(out, segment.corners[k + 2] + 1);
        out += ' ';
        append_corner(out, segment.corners[k + 1] + 1);
        out += ' ';
        append_corner(out, segment.corners[k] + 1);
        out += '\n';
        if (!flush_if_full()) return false;
    }
    return true;
}

namespace {

IoResult write_segment_file(const std::string& path, const SegmentMesh& segment,
                            std::string& buffer) {
    AtomicFile file(path);
    if (file.is_open()) {
        buffer.clear();
        auto write = [&](std::string& out) {
            bool ok = file.write(out);
            out.clear();
            return ok;
        };
        if (append_segment_obj(buffer, segment, write) && write(buffer) && file.commit())
            return IoResult::success();
    }
    return IoResult::failure("ERROR: could not write " + path + ": " + file.error());
}

} // namespace

SegmentFiles save_segments(Mesh& mesh, const EdgeTraversal& traversal, const std::string& folder) {
    SegmentFiles result;
    result.folder = folder;
    std::string buffer;
    for_each_segment_mesh(mesh, traversal.region_counter, [&](int pass, const SegmentMesh& s) {
        std::string name = segment_file_name(pass);
        std::string path = folder.empty() ? name : (std::filesystem::path(folder) / name).string();
        console_printf("Saving: %s v:%d f:%d\n", name.c_str(), int(s.positions.size()),
                       int(s.corners.size()));
        IoResult r = write_segment_file(path, s, buffer);
        if (r) {
            result.written.push_back(path);
        } else {
            console_printf("%s\n", r.error.c_str());
            result.failures.push_back(r);
        }
    });
    return result;
}
