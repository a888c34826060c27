// The document's normal filters. A run works on a copy of the face normals and of the
// filter's state, reading the mesh in place; the finish puts both in place as one step.
#include "document/document.h"

namespace {

const char* filter_name(FilterMode mode, CallKind kind) {
    if (kind == CallKind::Step) return "Step";
    switch (mode) {
    case FilterMode::SphereJump:
        return "Sphere Jump";
    case FilterMode::Median:
        return "Median Filter";
    default:
        return "Mean Shift";
    }
}

bool zero_radius(const Vector& r) {
    return r.x == 0 && r.y == 0 && r.z == 0;
}

} // namespace

class Document::FilterTask : public Task {
  public:
    FilterTask(Document& d, const Vector& r, FilterMode m, CallKind k)
        : Task(filter_name(m, k)), doc(d), radius(r), mode(m), kind(k), filter(d.filter) {
        // What the filter would otherwise build on the mesh as it runs.
        if (!d.mesh.derived_current(MESH_CENTROIDS)) d.mesh.build_centroids();
        if (!d.mesh.edge_list_current()) d.mesh.build_edge_list();
    }

    void run(Work& work) override {
        normals = doc.face_normals();
        filter.normals = &normals;
        if (kind == CallKind::Step)
            filter.step(radius, &work);
        else
            filter.evaluate(radius, CallKind::Run, mode, &work);
        filter.normals = nullptr;
    }
    Outcome finish(Document& d) override {
        Step step;
        step.name = title();
        for (size_t i = 0; i < normals.size() && i < d.mesh.faces.size(); ++i)
            std::swap(d.mesh.faces[i].normal, normals[i]);
        d.mesh.face_normals_changed();
        step.state.face_normals = std::move(normals);
        step.state.filter.emplace(std::move(d.filter));
        d.filter = std::move(filter);
        step.state.render_mode = d.render_mode;
        d.render_mode = RenderMode::Faces;
        return d.commit(std::move(step), Change::FaceNormals | Change::RenderMode);
    }

  private:
    Document& doc;
    Vector radius;
    FilterMode mode;
    CallKind kind;
    MeanShift filter;
    std::vector<Vector> normals;
};

namespace {

// The bytes a filter's run copies: the face normals and the filter's state.
size_t filter_copy_bytes(const Mesh& mesh, const MeanShift& filter) {
    return size_t(mesh.nf) * sizeof(Vector) + filter.memory_bytes();
}

} // namespace

std::unique_ptr<Task> Document::filter_task(const Vector& v, FilterMode mode) {
    Vector radius = filter_radius(v, mesh.extent);
    if (zero_radius(radius) || mesh.nf == 0) return std::make_unique<NoTask>();
    history.make_room(filter_copy_bytes(mesh, filter));
    return std::make_unique<FilterTask>(*this, radius, mode, CallKind::Run);
}

Outcome Document::filter_normals(const Vector& v, FilterMode mode) {
    return run_now(filter_task(v, mode));
}

// A single pass is short: it runs at once.
Outcome Document::filter_step(const Vector& v) {
    Vector radius = filter_radius(v, mesh.extent);
    if (zero_radius(radius) || mesh.nf == 0) return Outcome::done({});
    history.make_room(filter_copy_bytes(mesh, filter));
    return run_now(std::make_unique<FilterTask>(*this, radius, filter.mode, CallKind::Step));
}

Outcome Document::set_filter_mode(FilterMode mode) {
    filter.mode = mode;
    return Outcome::done({});
}

Outcome Document::set_weight_curve(std::vector<Vector> curve, int height) {
    filter.set_weight_function(std::move(curve), height);
    return Outcome::done({});
}
