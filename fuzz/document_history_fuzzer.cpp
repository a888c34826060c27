// The document's steps on fuzzed small meshes: each step is undone and redone at once,
// and the state after the undo must be the state before the step, bit for bit, and
// after the redo the state after it. The first 12 bytes choose the operations; the rest
// is read as OBJ text or, when that gives no face, as a binary mesh (of 300 faces at
// most).
#include "document/document.h"
#include "fuzz/fuzz_common.h"
#include "tools/subdivide.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

template <typename T>
void append(std::string& s, const T& value) {
    s.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void append(std::string& s, const Vector& v) {
    s.append(reinterpret_cast<const char*>(&v.x), 4 * sizeof(float));
}

// What undo must bring back.
std::string state_of(const Document& d) {
    const Mesh& m = d.mesh;
    std::string s;
    append(s, m.nv);
    append(s, m.nf);
    append(s, m.selectedface);
    for (int v = 0; v < m.nv; ++v) {
        append(s, m.vertices[v]);
        append(s, m.colours[v]);
        append(s, m.normals[v]);
        for (float x : m.morphogens[v]) append(s, x);
    }
    for (const Face& f : m.faces) {
        for (int c : f.vindex) append(s, c);
        append(s, f.normal);
        append(s, f.colour);
        append(s, f.marked);
        append(s, f.segment);
    }
    const Mesh_Classifier& c = d.classifier;
    append(s, c.patch_count);
    append(s, c.clustered_count);
    append(s, c.current_patch);
    for (int r : c.representatives) append(s, r);
    for (const auto& row : c.memberships)
        for (float x : row) append(s, x);
    append(s, d.traversal.region_counter);
    s += format_clp(d.planes.planes);
    for (int sel : d.planes.selected) append(s, sel);
    append(s, d.morphogens.mixmode);
    for (int t : d.morphogens.tooglestates) append(s, t);
    append(s, d.filter.needs_reset);
    append(s, d.filter.regions.size());
    append(s, int(d.render_mode));
    return s;
}

// What comes before a step and is no step itself: a selection, a traversal.
void prepare(Document& d, uint8_t op, Bytes& in) {
    switch (op % 12) {
    case 6:
        d.select_face(in.next() % (d.mesh.nf + 1));
        d.traverse(in.next() % 6, in.next() % 91);
        break;
    case 7:
        d.select_patch(in.next() % 4);
        break;
    case 10:
        d.select_plane(in.next() % 6);
        break;
    default:
        break;
    }
}

Outcome act(Document& d, uint8_t op, Bytes& in) {
    switch (op % 12) {
    case 0:
        return d.simplify(float(in.next() % 101));
    case 1:
        return d.mesh.nf <= 100 ? d.subdivide(1, subdivision_weight(in.next() % 101))
                                : Outcome::done({});
    case 2:
        return d.mesh.nf <= 150 ? d.classify() : Outcome::done({});
    case 3:
        return d.recluster(1 + in.next() % 51);
    case 4:
        return d.filter_normals(Vector(float(in.next() % 101), 0, 0, 1), FilterMode(in.next() % 3));
    case 5:
        return d.filter_step(Vector(float(in.next() % 101), 0, 0, 1));
    case 6:
        return d.mark_current();
    case 7:
        return d.mark_patch();
    case 8: {
        ColourMap map{{0.0f, float(in.next()) / 255, 1.0f},
                      {{in.next(), 0, 0}, {0, in.next(), 0}, {0, 0, in.next()}}};
        return d.colour_by_height(map);
    }
    case 9: {
        MorphogenSetting s = d.morphogens;
        s.mixmode = in.next() % 2;
        s.defaultcolour = Rgb{in.next(), in.next(), 0};
        for (int& t : s.tooglestates) t = in.next() % 2;
        return d.colour_by_morphogens(s);
    }
    case 10:
        d.press_planes(Vector(100, 100, 0), PlaneButton(1 + in.next() % 3));
        d.move_planes(Vector(float(in.next()), float(in.next()), 0));
        return d.release_planes();
    default:
        return d.reload();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    size_t ops = std::min<size_t>(12, size);
    Bytes choices(data, ops);
    std::string_view text(reinterpret_cast<const char*>(data) + ops, size - ops);
    Bytes rest(data + ops, size - ops);

    Mesh mesh;
    if (!mesh.load_obj_text(text, "fuzz.obj") || mesh.nf == 0) {
        mesh = Mesh();
        binary_mesh(mesh, rest);
    }
    if (mesh.nf > 300) return 0; // larger meshes take too long for a fuzzer's input
    if (int(mesh.morphogens.size()) != mesh.nv) mesh.morphogens.assign(size_t(mesh.nv), {});
    build_loaded_mesh(mesh);
    Document d;
    if (!d.adopt(std::move(mesh), "fuzz.obj")) return 0;

    for (size_t i = 0; i < ops; ++i) {
        uint8_t op = choices.next();
        prepare(d, op, rest);
        std::string before = state_of(d);
        int steps = d.history.done_count();
        Outcome r = act(d, op, rest);
        check_links(d.mesh, int(d.mesh.morphogens.size()) == d.mesh.nv);
        if (!r || d.history.done_count() != steps + 1) continue; // no step of its own
        std::string after = state_of(d);
        if (!d.undo() || state_of(d) != before) std::abort();
        if (!d.redo() || state_of(d) != after) std::abort();
    }
    return 0;
}
