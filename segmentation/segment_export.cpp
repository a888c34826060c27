// Segment export: one OBJ file per segment number, one for the faces in no segment and
// one for all segmented faces, each with its positions welded.
//
// Welding goes through position classes computed once: the vertices sorted by x, y, z
// give every vertex the class of its position, and a pass numbers the classes in order
// of first use with a stamp per class. That is the ordered set of positions per file
// without its log factor per corner, and the faces of each pass come from one counting
// sort by segment instead of a scan of all faces per pass.
//
// The passes read the mesh only and set the vertices' w through an accessor: the mesh's
// own, or an array of the export's that the mesh takes (or the caller gets) once every
// pass is done. The files are written whole, each to its temporary file, before any of
// them is put in place, so that a stop replaces none of them.
#include "core/atomic_file.h"
#include "core/console.h"
#include "core/mesh.h"
#include "core/obj_text.h"
#include "core/work.h"
#include "segmentation/segments.h"
#include "tools/edge_traversal.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

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
// number of classes. With a Work the sort's comparisons take the stops (any order of the
// keys at one position gives the same classes).
int position_classes(const Mesh& mesh, std::vector<int>& position_class, Work* work) {
    struct Key {
        Vector p;
        int vertex;
    };
    std::vector<Key> keys(mesh.nv);
    for (int v = 0; v < mesh.nv; ++v) keys[v] = {mesh.vertices[v], v};
    auto before = [](const Key& a, const Key& b) { return compare_position(a.p, b.p) < 0; };
    if (work) {
        uint32_t compared = 0; // a stop every 65536 comparisons, about a millisecond
        std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
            if ((++compared & 0xFFFF) == 0) work->checkpoint();
            return before(a, b);
        });
    } else {
        std::sort(keys.begin(), keys.end(), before);
    }
    checkpoint(work);
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

std::string segment_file_path(const std::string& folder, int pass) {
    std::string name = segment_file_name(pass);
    return folder.empty() ? name : (std::filesystem::path(folder) / name).string();
}

std::vector<std::string> segment_file_paths(const std::string& folder, int region_counter) {
    std::vector<std::string> paths;
    for (int pass = 0; pass <= region_counter; ++pass)
        paths.push_back(segment_file_path(folder, pass));
    paths.push_back(segment_file_path(folder, -1));
    return paths;
}

namespace {

// The passes of for_each_segment_mesh, `w_of(v)` giving vertex v's w to read and set.
template <typename WOf>
void segment_passes(const Mesh& mesh, int region_counter, WOf w_of,
                    const std::function<void(int pass, const SegmentMesh&)>& visit, Work* work) {
    std::optional<Stage> stage(std::in_place, work, 0, 0.4);
    std::vector<int> position_class;
    int classes = position_classes(mesh, position_class, work);

    // Faces of passes 0..region_counter by a stable counting sort on the segment.
    int passes = std::max(region_counter + 1, 0);
    std::vector<int> start(size_t(passes) + 1, 0), order;
    auto in_pass = [&](const Face& f) {
        return f.segment >= 0 && f.segment < passes && corners_valid(mesh, f);
    };
    for (const Face& f : mesh.faces)
        if (in_pass(f)) ++start[size_t(f.segment) + 1];
    for (int g = 0; g < passes; ++g) start[g + 1] += start[g];
    checkpoint(work);
    order.resize(start[passes]);
    {
        std::vector<int> next(start.begin(), start.end() - 1);
        for (int i = 0; i < mesh.nf; ++i)
            if (in_pass(mesh.faces[i])) order[next[mesh.faces[i].segment]++] = i;
    }

    // Progress by the faces the passes walk: those of the numbered passes, then all.
    stage.emplace(work, 0.4, 1);
    const int64_t walked = int64_t(order.size()) + mesh.nf;
    int64_t done = 0;
    std::vector<int> stamp(classes, -1), entry(classes, 0);
    SegmentMesh segment;
    int pass_number = 0; // distinct per pass, for the stamps
    auto add_face = [&](const Face& f) {
        for (int v : f.vindex) {
            int c = position_class[v];
            if (stamp[c] != pass_number) {
                stamp[c] = pass_number;
                entry[c] = int(segment.positions.size());
                float& w = w_of(v);
                segment.positions.emplace_back(mesh.vertices[v].x, mesh.vertices[v].y,
                                               mesh.vertices[v].z, w);
                w = float(entry[c]);
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
            for (int j = start[g]; j < start[g + 1]; ++j) {
                advance_every(work, done++, walked, 12);
                add_face(mesh.faces[order[j]]);
            }
        });
    run_pass(-1, [&] {
        for (const Face& f : mesh.faces) {
            advance_every(work, done++, walked, 12);
            if (f.segment > 0 && corners_valid(mesh, f)) add_face(f);
        }
    });
}

} // namespace

void for_each_segment_mesh(const Mesh& mesh, int region_counter, std::vector<float>& w,
                           const std::function<void(int pass, const SegmentMesh&)>& visit,
                           Work* work) {
    std::vector<float> left(size_t(std::max(mesh.nv, 0)));
    for (size_t v = 0; v < left.size(); ++v) left[v] = mesh.vertices[v].w;
    segment_passes(
        mesh, region_counter, [&left](int v) -> float& { return left[v]; }, visit, work);
    w = std::move(left);
}

void for_each_segment_mesh(Mesh& mesh, int region_counter,
                           const std::function<void(int pass, const SegmentMesh&)>& visit,
                           Work* work) {
    if (!work) {
        segment_passes(
            mesh, region_counter, [&mesh](int v) -> float& { return mesh.vertices[v].w; }, visit,
            nullptr);
        return;
    }
    // A stop leaves the mesh as it was: the w values go in once all passes are done.
    std::vector<float> w;
    for_each_segment_mesh(std::as_const(mesh), region_counter, w, visit, work);
    for (size_t v = 0; v < w.size(); ++v) mesh.vertices[v].w = w[v];
}

bool append_segment_obj(std::string& out, const SegmentMesh& segment,
                        const std::function<bool(std::string&)>& flush, Work* work) {
    constexpr size_t chunk = 1 << 20;
    auto flush_if_full = [&] { return !flush || out.size() < chunk || flush(out); };
    // A stop every few thousand lines, about a millisecond of formatting.
    for (size_t k = 0; k < segment.positions.size(); ++k) {
        if ((k & 4095) == 0) checkpoint(work);
        append_obj_vector_line(out, "v ", segment.positions[k]);
        if (!flush_if_full()) return false;
    }
    for (size_t k = 0; k + 2 < segment.corners.size(); k += 3) {
        if ((k & 16383) == 0) checkpoint(work); // 4096 faces
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

// The text of `segment` into `file`, which is then finished (not yet put in place).
bool write_segment_file(AtomicFile& file, const SegmentMesh& segment, std::string& buffer,
                        Work* work) {
    if (!file.is_open()) return false;
    buffer.clear();
    auto write = [&](std::string& out) {
        bool ok = file.write(out);
        out.clear();
        return ok;
    };
    return append_segment_obj(buffer, segment, write, work) && write(buffer) && file.finish();
}

// The files of one export: each written whole to its temporary file as its pass comes,
// and all put in place at the end. Files not put in place (a stop unwinding through the
// writer) go with their temporaries, leaving the old files as they were.
class SegmentWriter {
  public:
    SegmentWriter(const std::string& into, Work* w) : folder(into), work(w) {}

    // Prints "Saving: NAME v:N f:M" and writes the file, or notes why it cannot.
    void write(int pass, const SegmentMesh& s) {
        std::string name = segment_file_name(pass);
        std::string path = segment_file_path(folder, pass);
        console_printf("Saving: %s v:%d f:%d\n", name.c_str(), int(s.positions.size()),
                       int(s.corners.size()));
        File& f = files.emplace_back(File{path, std::make_unique<AtomicFile>(path), {}});
        if (!write_segment_file(*f.file, s, buffer, work)) fail(f);
    }

    // Puts every file written in place, in pass order.
    SegmentFiles put_in_place() {
        SegmentFiles result;
        result.folder = folder;
        for (File& f : files) {
            if (f.file && !f.file->commit()) fail(f);
            if (f.result)
                result.written.push_back(f.path);
            else
                result.failures.push_back(f.result);
        }
        return result;
    }

  private:
    struct File {
        std::string path;
        std::unique_ptr<AtomicFile> file; // none once it failed
        IoResult result;
    };
    std::string folder;
    Work* work;
    std::vector<File> files;
    std::string buffer;

    // The failure goes to the caller, which reports it: the console names the file
    // only in its "Saving:" line.
    void fail(File& f) {
        f.result = IoResult::failure("ERROR: could not write " + f.path + ": " + f.file->error());
        f.file.reset(); // and its temporary file
    }
};

} // namespace

SegmentFiles save_segments(Mesh& mesh, const EdgeTraversal& traversal, const std::string& folder,
                           Work* work) {
    SegmentWriter writer(folder, work);
    for_each_segment_mesh(
        mesh, traversal.region_counter,
        [&](int pass, const SegmentMesh& s) { writer.write(pass, s); }, work);
    return writer.put_in_place();
}

SegmentFiles save_segments(const Mesh& mesh, const EdgeTraversal& traversal,
                           const std::string& folder, std::vector<float>& w, Work* work) {
    SegmentWriter writer(folder, work);
    for_each_segment_mesh(
        mesh, traversal.region_counter, w,
        [&](int pass, const SegmentMesh& s) { writer.write(pass, s); }, work);
    return writer.put_in_place();
}
