// The document's files, the replacement of its mesh, the history and the view settings.
#include "document/document.h"

#include "core/mesh_file.h"

#include <filesystem>
#include <new>
#include <utility>

// The planes start on the cube a view starts with, before any mesh.
Document::Document() {
    classifier.attach(mesh);
    planes.set_size(256);
}

Outcome Document::open(const std::string& path, OpenRule rule) {
    return run_now(open_task(path, rule));
}

Outcome Document::adopt(Mesh loaded, const std::string& path) {
    Mesh copy;
    try {
        copy = loaded.clone_without_rebuildable();
    } catch (const std::bad_alloc&) {
        return Outcome::from(out_of_memory(path));
    }
    return adopt(std::move(loaded), std::move(copy), path);
}

Outcome Document::adopt(Mesh loaded, Mesh copy, const std::string& path) {
    mesh = std::move(loaded);
    kept = std::move(copy);
    file_name = path;
    inputs.note(FileKind::Mesh, path);
    inputs.note(FileKind::Table, ""); // a table is its mesh's
    history.clear();
    plane_drag.reset();
    return Outcome::done(geometry_replaced(Replacement::Open) | Change::Camera | Change::History);
}

Outcome Document::reload() {
    return run_now(reload_task());
}

Outcome Document::run_now(std::unique_ptr<Task> task, Work* work) {
    Work own;
    Work& w = work ? *work : operation_work ? *operation_work : own;
    w.restart();
    w.running = true;
    try {
        task->run(w);
    } catch (const WorkStopped&) {
        w.running = false;
        task->abandon(*this);
        throw;
    } catch (const std::bad_alloc&) {
        w.running = false;
        task->abandon(*this);
        return Outcome::failure("ERROR: out of memory: " + task->title());
    }
    w.running = false;
    w.advance(1, 1);
    return task->finish(*this);
}

void Document::start_classifier_afresh(const Mesh_Classifier& settings) {
    Mesh_Classifier fresh;
    fresh.weight = settings.weight;
    fresh.sp_mode = settings.sp_mode;
    fresh.patch_threshold = settings.patch_threshold;
    fresh.attach(mesh);
    classifier = std::move(fresh);
}

Changes Document::geometry_replaced(Replacement how) {
    start_classifier_afresh(classifier);
    // Messages about the opened mesh name its file; a terrain or a tool's result is
    // "the mesh".
    if (how == Replacement::Open || how == Replacement::Reload)
        classifier.mesh_name = std::filesystem::path(file_name).filename().string();
    filter.reset(); // the search sphere goes with the run
    traversal.region_counter = 0;
    mesh.selectedface = -1;
    colours_recipe = std::monostate();
    plane_drag.reset();
    Changes changed = mesh_replaced | fit_planes(how == Replacement::Open);
    // The list follows the mesh's names: none for a NET file or a terrain. The
    // simplified and subdivided meshes keep their morphogens and the setting.
    if (how != Replacement::Tool) set_morphogen_names(morphogens, mesh.morphogen_names);
    return changed;
}

Changes Document::fit_planes(bool always_new) {
    if (!mesh.derived_current(MESH_BB)) mesh.build_bbox();
    float size = cube_size_around(mesh);
    if (always_new || planes.cube_size != std::array<float, 3>{size, size, size})
        planes.set_size(size);
    planes.rebuild_outlines(); // what "Show All" shows follows the cube
    return Change::Planes;
}

Step Document::whole_state_step(const char* name) {
    Step step;
    step.name = name;
    StepState& s = step.state;
    s.mesh.emplace(std::move(mesh));
    mesh = Mesh();
    s.mesh_recipe = std::exchange(colours_recipe, std::monostate());
    s.classifier.emplace(std::move(classifier));
    s.classifier_table = true;
    start_classifier_afresh(*s.classifier);
    s.filter.emplace(filter);
    s.traversal = traversal;
    s.planes = planes;
    s.morphogens = morphogens;
    s.render_mode = render_mode;
    return step;
}

Outcome Document::replace_mesh(const char* name, Mesh replacement, Replacement how,
                               ColourRecipe recipe, Changes more) {
    Step step = whole_state_step(name);
    mesh = std::move(replacement);
    Changes changed = geometry_replaced(how);
    colours_recipe = std::move(recipe);
    return commit(std::move(step), changed | more);
}

Outcome Document::commit(Step step, Changes changed) {
    // Undoing a whole-state step brings back all of it.
    step.changes =
        step.state.mesh ? (changed | mesh_replaced | Change::Planes | Change::RenderMode) : changed;
    step.changes = step.changes.without(Change::Camera | Change::History);
    history.push(std::move(step));
    return Outcome::done(changed | Change::History);
}

Changes Document::show_faces(int faces, Step* step) {
    if (faces <= 0 || render_mode == RenderMode::Faces) return {};
    if (step && !step->state.render_mode) step->state.render_mode = render_mode;
    render_mode = RenderMode::Faces;
    return Change::RenderMode;
}

FacePaint Document::face_paint() const {
    FacePaint p;
    p.colours.reserve(size_t(mesh.nf));
    p.marked.reserve(size_t(mesh.nf));
    p.segment.reserve(size_t(mesh.nf));
    for (const Face& f : mesh.faces) {
        p.colours.push_back(f.colour);
        p.marked.push_back(f.marked);
        p.segment.push_back(f.segment);
    }
    return p;
}

std::vector<Vector> Document::face_normals() const {
    std::vector<Vector> normals;
    normals.reserve(size_t(mesh.nf));
    for (const Face& f : mesh.faces) normals.push_back(f.normal);
    return normals;
}

void Document::exchange_vertex_colours(VertexColours& kept_colours) {
    VertexColours current;
    if (std::holds_alternative<std::monostate>(colours_recipe))
        current.colours = std::move(mesh.colours);
    else
        current.recipe = colours_recipe;
    if (std::holds_alternative<std::monostate>(kept_colours.recipe)) {
        mesh.colours = std::move(kept_colours.colours);
    } else {
        if (mesh.colours.size() != size_t(mesh.nv)) mesh.colours.assign(size_t(mesh.nv), Vector());
        paint(mesh, kept_colours.recipe);
    }
    colours_recipe = std::move(kept_colours.recipe);
    kept_colours = std::move(current);
}

void Document::exchange(StepState& s) {
    if (s.mesh) {
        std::swap(mesh, *s.mesh);
        std::swap(colours_recipe, s.mesh_recipe);
    }
    if (s.vertex_colours) exchange_vertex_colours(*s.vertex_colours);
    if (s.face_normals) {
        std::vector<Vector>& normals = *s.face_normals;
        for (size_t i = 0; i < normals.size() && i < mesh.faces.size(); ++i)
            std::swap(mesh.faces[i].normal, normals[i]);
        mesh.face_normals_changed();
    }
    if (s.vertex_normals) std::swap(mesh.normals, *s.vertex_normals);
    if (s.face_paint) {
        FacePaint& p = *s.face_paint;
        for (size_t i = 0; i < p.colours.size() && i < mesh.faces.size(); ++i) {
            Face& f = mesh.faces[i];
            std::swap(f.colour, p.colours[i]);
            std::swap(f.marked, p.marked[i]);
            std::swap(f.segment, p.segment[i]);
        }
    }
    if (s.classifier) {
        std::swap(classifier, *s.classifier);
        if (!s.classifier_table) {
            // The table was not the step's: it stays where it is.
            std::swap(classifier.table, s.classifier->table);
            std::swap(classifier.rebuild_flag, s.classifier->rebuild_flag);
            std::swap(classifier.table_face_count, s.classifier->table_face_count);
        }
        classifier.attach(mesh);
    }
    if (s.filter) std::swap(filter, *s.filter);
    if (s.traversal) std::swap(traversal, *s.traversal);
    if (s.planes) std::swap(planes, *s.planes);
    if (s.morphogens) std::swap(morphogens, *s.morphogens);
    if (s.render_mode) std::swap(render_mode, *s.render_mode);
    if (s.selection) std::swap(mesh.selectedface, *s.selection);
}

// The step's parts are swapped with the document's, so that it then holds what the way
// back brings.
Outcome Document::take_step(bool back) {
    if (plane_drag) release_planes();
    if (back ? !history.can_undo() : !history.can_redo())
        return Outcome::failure(back ? "Nothing to undo" : "Nothing to redo");
    Step& step = back ? history.last_done() : history.last_undone();
    exchange(step.state);
    Changes changed = step.changes | Change::History;
    if (back)
        history.undone_last();
    else
        history.redone_last();
    return Outcome::done(changed);
}

Outcome Document::undo() {
    return take_step(true);
}

Outcome Document::redo() {
    return take_step(false);
}

Outcome Document::set_render_mode(RenderMode mode) {
    if (mode == render_mode) return Outcome::done({});
    render_mode = mode;
    return Outcome::done(Change::RenderMode);
}

Outcome Document::toggle_projection() {
    projection =
        projection == Projection::Perspective ? Projection::Orthographic : Projection::Perspective;
    return Outcome::done(Change::Projection);
}
