// The document's selection, edge traversal and segments.
#include "document/document.h"

namespace {

bool names_a_face(const Mesh& mesh) {
    return mesh.selectedface >= 1 && mesh.selectedface <= mesh.nf;
}

} // namespace

Outcome Document::select_face(int face) {
    if (face == mesh.selectedface) return Outcome::done({});
    mesh.selectedface = face;
    return Outcome::done(Change::Selection);
}

Outcome Document::traverse(int depth, int angle) {
    // Without a picked face there is nothing to grow yet, but the numbers are kept for
    // the next pick: the page's sliders set before a pick count.
    if (!names_a_face(mesh)) {
        traversal.depth = depth;
        traversal.angle = angle;
        return Outcome::done({});
    }
    int marked = ::traverse(mesh, traversal, depth, angle);
    return Outcome::done(Change::Marks | show_faces(marked, nullptr));
}

Outcome Document::traverse_again() {
    if (!names_a_face(mesh)) return Outcome::done({});
    return traverse(traversal.depth, traversal.angle);
}

Outcome Document::mark_current() {
    if (mesh.selectedface < 0 || mesh.selectedface > mesh.nf) return Outcome::done({});
    Step step;
    step.name = "Mark Current";
    step.state.face_paint = face_paint();
    step.state.traversal = traversal;
    int faces = ::mark_current(mesh, traversal);
    Changes changed = Change::Colours | Change::Marks | show_faces(faces, &step);
    return commit(std::move(step), changed);
}

std::vector<std::string> Document::segment_file_paths(const std::string& folder) const {
    return ::segment_file_paths(folder, traversal.region_counter);
}
