// The view's normal filter slots and the search sphere drawn over the mesh.
#include "viewer/gl_mean_shift.h"
#include "viewer/qt_gl_widget.h"

void QtGLWidget::smooth_slot(float, float) {}

void QtGLWidget::mshift_slot(Vector v, int mode) {
    show_changes(document.filter_normals(v, FilterMode(mode)).changed);
}

void QtGLWidget::mshiftrad_slot(Vector, int mode) {
    document.set_filter_mode(FilterMode(mode));
}

void QtGLWidget::mshiftstep_slot(Vector v) {
    show_changes(document.filter_step(v).changed);
}

void QtGLWidget::function_slot(std::vector<Vector> func, int sizey) {
    document.set_weight_curve(std::move(func), sizey);
}

std::function<void()> QtGLWidget::mean_shift_layer() {
    return [this] { draw_window(document.filter); };
}
