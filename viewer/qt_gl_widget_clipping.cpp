// The view's clipping plane slots, the planes' mouse handling and their frame layer.
#include "qtshared/warning.h"
#include "viewer/gl_clipping.h"
#include "viewer/qt_gl_widget.h"

namespace {

void warn_on_failure(QWidget* parent, const IoResult& r) {
    if (!r) show_warning(parent, "Clipping Planes", QString::fromStdString(r.error));
}

} // namespace

// The mouse works the planes while one is selected, else the camera.
void QtGLWidget::cutplane_select_slot(int selected) {
    clipping_planes.toggle_plane(selected);
    mouse_target = clipping_planes.any_selected() ? MouseTarget::Planes : MouseTarget::Camera;
    changed();
}

void QtGLWidget::cutplane_invert_slot(int selected) {
    if (selected == 1) {
        clipping_planes.show_all = 1;
    } else if (selected == 0) {
        clipping_planes.show_all = 0;
        mouse_target = MouseTarget::Camera;
    }
    changed();
}

void QtGLWidget::cutplane_load_slot(QString fn) {
    warn_on_failure(this, clipping_planes.load(fn.toStdString()));
    changed();
}

void QtGLWidget::cutplane_save_slot(QString fn) {
    warn_on_failure(this, clipping_planes.save(fn.toStdString()));
}

void QtGLWidget::cutplane_showall_slot(int selected) {
    clipping_planes.show_all = selected;
    clipping_planes.rebuild_outlines();
    changed();
}

void QtGLWidget::cutplane_resetall_slot() {
    clipping_planes.reset_all();
    mouse_target = MouseTarget::Camera;
    changed();
}

void QtGLWidget::cutplane_resetcurrent_slot() {
    clipping_planes.reset_selected();
    changed();
}

// A new cube puts every plane back on its face and selects none, so the mouse goes back
// to the camera and the panel unchecks its plane buttons.
void QtGLWidget::set_clipping_cube(float size) {
    clipping_planes.set_size(size);
    mouse_target = MouseTarget::Camera;
    emit cutplanes_deselected_signal();
    changed();
}

// A terrain replacing a small mesh, or the loaded mesh back after a terrain, would
// otherwise be clipped by the cube of the mesh before; planes on a cube that still fits
// stay where they are (colour changes, a terrain applied again).
void QtGLWidget::fit_clipping_cube() {
    mesh.build_bbox();
    float size = cube_size_around(mesh);
    if (clipping_planes.cube_size != std::array<float, 3>{size, size, size})
        set_clipping_cube(size);
}

void QtGLWidget::clipping_press(int button, const Vector& position) {
    clipping_planes.press(position, PlaneButton(button));
}

void QtGLWidget::clipping_move(const Vector& position) {
    if (!clipping_planes.any_selected()) return;
    clipping_planes.move(position);
    changed();
}

void QtGLWidget::clipping_release() {
    clipping_planes.release();
}

std::function<void()> QtGLWidget::clipping_layer() {
    return clipping_planes_layer(clipping_planes);
}
