// The document's clipping planes.
#include "document/document.h"

#include <utility>

namespace {

Step planes_step(const char* name, const PlaneWidgetInCube& planes) {
    Step step;
    step.name = name;
    step.state.planes = planes;
    return step;
}

} // namespace

Outcome Document::select_plane(int index) {
    planes.toggle_plane(index);
    return Outcome::done(Change::Planes);
}

Outcome Document::show_all_planes(int show) {
    planes.show_all = show;
    planes.rebuild_outlines();
    return Outcome::done(Change::Planes);
}

Outcome Document::invert_planes(int selected) {
    if (selected == 1 || selected == 0) planes.show_all = selected;
    return Outcome::done(Change::Planes);
}

Outcome Document::reset_planes() {
    Step step = planes_step("Reset All Planes", planes);
    planes.reset_all();
    return commit(std::move(step), Change::Planes);
}

Outcome Document::reset_selected_plane() {
    if (!planes.any_selected()) return Outcome::done({});
    Step step = planes_step("Reset Plane", planes);
    planes.reset_selected();
    return commit(std::move(step), Change::Planes);
}

Outcome Document::load_planes(const std::string& path) {
    Step step = planes_step("Load Planes", planes);
    if (IoResult r = planes.load(path); !r) return Outcome::from(r);
    inputs.note(FileKind::Planes, path);
    return commit(std::move(step), Change::Planes);
}

IoResult Document::save_planes(const std::string& path) const {
    if (IoResult r = inputs.allow_writing(path, FileKind::Planes); !r) return r;
    return planes.save(path);
}

Outcome Document::press_planes(const Vector& position, PlaneButton button) {
    if (plane_drag) release_planes();
    if (planes.any_selected()) plane_drag = planes_step("Move Plane", planes);
    planes.press(position, button);
    return Outcome::done({});
}

Outcome Document::move_planes(const Vector& position) {
    if (!planes.any_selected()) return Outcome::done({});
    planes.move(position);
    plane_moved = true;
    return Outcome::done(Change::Planes);
}

Outcome Document::release_planes() {
    planes.release();
    std::optional<Step> step = std::exchange(plane_drag, std::nullopt);
    bool moved = std::exchange(plane_moved, false);
    if (!step || !moved) return Outcome::done({});
    return commit(std::move(*step), Change::Planes);
}
