// The document's normal filters.
#include "document/document.h"

namespace {

const char* filter_name(FilterMode mode) {
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

Outcome Document::filter_normals(const Vector& v, FilterMode mode) {
    Vector radius = filter_radius(v, mesh.extent);
    if (zero_radius(radius) || mesh.nf == 0) return Outcome::done({});
    Step step;
    step.name = filter_name(mode);
    step.state.face_normals = face_normals();
    step.state.filter.emplace(filter);
    step.state.render_mode = render_mode;
    filter.evaluate(radius, CallKind::Run, mode);
    mesh.face_normals_changed();
    render_mode = RenderMode::Faces;
    return commit(std::move(step), Change::FaceNormals | Change::RenderMode);
}

Outcome Document::filter_step(const Vector& v) {
    Vector radius = filter_radius(v, mesh.extent);
    if (zero_radius(radius) || mesh.nf == 0) return Outcome::done({});
    Step step;
    step.name = "Step";
    step.state.face_normals = face_normals();
    step.state.filter.emplace(filter);
    step.state.render_mode = render_mode;
    filter.step(radius);
    mesh.face_normals_changed();
    render_mode = RenderMode::Faces;
    return commit(std::move(step), Change::FaceNormals | Change::RenderMode);
}

Outcome Document::set_filter_mode(FilterMode mode) {
    filter.mode = mode;
    return Outcome::done({});
}

Outcome Document::set_weight_curve(std::vector<Vector> curve, int height) {
    filter.set_weight_function(std::move(curve), height);
    return Outcome::done({});
}
