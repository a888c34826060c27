// The view's clipping plane slots, the planes' mouse handling and their frame layer.
#include "qtshared/warning.h"
#include "viewer/gl_clipping.h"
#include "viewer/qt_gl_widget.h"

namespace {

void warn_on_failure(QWidget* parent, const IoResult& r) {
    if (!r) show_warning(parent, "Clipping Planes", QString::fromStdString(r.error));
}

} // namespace

// The page keeps its buttons as it selects: only the mouse's target follows.
void QtGLWidget::cutplane_select_slot(int selected) {
    if (deferred([this, selected] { cutplane_select_slot(selected); })) return;
    document.select_plane(selected);
    follow_plane_selection();
    changed();
}

void QtGLWidget::cutplane_invert_slot(int selected) {
    if (deferred([this, selected] { cutplane_invert_slot(selected); })) return;
    document.invert_planes(selected);
    if (selected == 0) mouse_target = MouseTarget::Camera;
    changed();
}

void QtGLWidget::cutplane_load_slot(QString fn) {
    if (deferred([this, fn] { cutplane_load_slot(fn); })) return;
    Outcome r = document.load_planes(fn.toStdString());
    warn_on_failure(this, r.result);
    show_changes(r.changed);
}

void QtGLWidget::cutplane_save_slot(QString fn) {
    if (deferred([this, fn] { cutplane_save_slot(fn); })) return;
    warn_on_failure(this, document.save_planes(fn.toStdString()));
}

void QtGLWidget::cutplane_showall_slot(int selected) {
    if (deferred([this, selected] { cutplane_showall_slot(selected); })) return;
    document.show_all_planes(selected);
    changed();
}

void QtGLWidget::cutplane_resetall_slot() {
    if (deferred([this] { cutplane_resetall_slot(); })) return;
    show_changes(document.reset_planes().changed);
}

void QtGLWidget::cutplane_resetcurrent_slot() {
    if (deferred([this] { cutplane_resetcurrent_slot(); })) return;
    show_changes(document.reset_selected_plane().changed);
}

void QtGLWidget::clipping_press(int button, const Vector& position) {
    document.press_planes(position, PlaneButton(button));
}

void QtGLWidget::clipping_move(const Vector& position) {
    if (document.move_planes(position).changed.any()) changed();
}

void QtGLWidget::clipping_release() {
    show_changes(document.release_planes().changed);
}

std::function<void()> QtGLWidget::clipping_layer() {
    return clipping_planes_layer(document.planes);
}
