// The view's normal filter slots and the search sphere drawn over the mesh.
#include "viewer/gl_mean_shift.h"
#include "viewer/qt_gl_widget.h"

void QtGLWidget::smooth_slot(float, float) {}

void QtGLWidget::mshift_slot(Vector v, int mode) {
    if (deferred([this, v, mode] { mshift_slot(v, mode); })) return;
    run_task(document.filter_task(v, FilterMode(mode)),
             [this](const Outcome& r) { show_changes(r.changed); });
}

void QtGLWidget::mshiftrad_slot(Vector v, int mode) {
    if (deferred([this, v, mode] { mshiftrad_slot(v, mode); }, "filter_mode")) return;
    document.set_filter_mode(FilterMode(mode));
}

// One pass is short: it runs at once.
void QtGLWidget::mshiftstep_slot(Vector v) {
    if (deferred([this, v] { mshiftstep_slot(v); })) return;
    show_changes(document.filter_step(v).changed);
}

void QtGLWidget::function_slot(std::vector<Vector> func, int sizey) {
    if (deferred([this, func, sizey] { function_slot(func, sizey); }, "curve")) return;
    document.set_weight_curve(std::move(func), sizey);
}

std::function<void()> QtGLWidget::mean_shift_layer() {
    return [this] { draw_window(document.filter); };
}
