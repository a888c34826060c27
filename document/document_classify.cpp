// The document's patch classification and its shortest path table.
#include "document/document.h"

namespace {

bool holds_mesh(const Mesh& mesh) {
    return mesh.nv > 0 || mesh.nf > 0;
}

const char* const recluster_step = "Number of Patches";

} // namespace

Outcome Document::classify(int patches) {
    if (!holds_mesh(mesh)) return Outcome::done({});
    Step step;
    step.name = "Classify";
    StepState& s = step.state;
    // The normals build runs again when a filter has changed the face normals: they are
    // the step's then, and the vertex normals too (the build carries the face normals'
    // w into them).
    if (!mesh.derived_current(MESH_VERTEX_NORMALS)) {
        s.face_normals = face_normals();
        s.vertex_normals = mesh.normals;
    }
    mesh.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
    s.face_paint = face_paint();
    s.classifier = classifier.copy_without_table();
    if (classifier.will_rebuild_table()) {
        // The table about to be built anew goes into the step whole, rather than copied.
        s.classifier_table = true;
        s.classifier->table = std::move(classifier.table);
        s.classifier->rebuild_flag = classifier.rebuild_flag;
        s.classifier->table_face_count = classifier.table_face_count;
        classifier.table = ShortestPathTable();
    }
    s.render_mode = render_mode;
    classifier.attach(mesh);
    if (IoResult r = classifier.classify(); !r) {
        exchange(s); // all as it was, the table too
        return Outcome::from(r);
    }
    // What the window's round trip through the panel ends with: the faces in as many
    // patches as were found (or asked for).
    int k = patches > 0 ? patches : classifier.patch_count;
    if (k >= 1) classifier.recluster(k);
    render_mode = RenderMode::Faces;
    Changes changed = Change::Colours | Change::Marks | Change::ToolLists | Change::RenderMode;
    if (s.face_normals) changed |= Change::FaceNormals;
    return commit(std::move(step), changed);
}

Outcome Document::recluster(int k) {
    if (!holds_mesh(mesh)) return Outcome::done({});
    if (k == classifier.clustered_count) return Outcome::done({});
    Step step;
    step.name = recluster_step;
    step.merge = recluster_step; // a slider dragged across many values is one step
    if (!history.joins(step.merge)) {
        step.state.face_paint = face_paint();
        step.state.classifier = classifier.copy_without_table();
        step.state.render_mode = render_mode;
    }
    classifier.attach(mesh);
    if (!classifier.recluster(k)) return Outcome::done({});
    Changes changed = Change::Colours | Change::Marks;
    if (render_mode != RenderMode::Faces) {
        render_mode = RenderMode::Faces;
        changed |= Change::RenderMode;
    }
    return commit(std::move(step), changed);
}

Outcome Document::select_patch(int patch) {
    if (!holds_mesh(mesh)) return Outcome::done({});
    classifier.attach(mesh);
    return Outcome::done(classifier.select_patch(patch) ? Changes(Change::Marks) : Changes());
}

Outcome Document::set_patch_threshold(int percent) {
    classifier.set_patch_threshold(percent);
    return Outcome::done(classifier.current_patch >= 0 ? Changes(Change::Marks) : Changes());
}

Outcome Document::mark_patch() {
    if (!holds_mesh(mesh) || classifier.current_patch < 0) {
        mark_current_patch(classifier, traversal); // says why nothing happens
        return Outcome::done({});
    }
    Step step;
    step.name = "Mark Current";
    step.state.face_paint = face_paint();
    step.state.traversal = traversal;
    step.state.classifier = classifier.copy_without_table();
    classifier.attach(mesh);
    int faces = mark_current_patch(classifier, traversal);
    Changes changed = Change::Colours | Change::Marks | show_faces(faces, &step);
    return commit(std::move(step), changed);
}

Outcome Document::set_classifier_weight(double weight) {
    classifier.weight = weight;
    return Outcome::done({});
}

Outcome Document::set_shortest_path_mode(SpMode mode) {
    if (mode == SpMode::Floyd || mode == SpMode::Dijkstra) classifier.sp_mode = mode;
    return Outcome::done({});
}

IoResult Document::load_table(const std::string& path) {
    if (!holds_mesh(mesh)) return IoResult::success();
    classifier.attach(mesh);
    return classifier.load(path);
}

IoResult Document::save_table(const std::string& path) {
    if (!holds_mesh(mesh)) return IoResult::success();
    classifier.attach(mesh);
    return classifier.save(path);
}
