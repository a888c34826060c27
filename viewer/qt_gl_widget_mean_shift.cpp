// The view's normal filter slots and the search sphere drawn over the mesh.
#include "viewer/gl_mean_shift.h"
#include "viewer/qt_gl_widget.h"

void QtGLWidget::smooth_slot(float, float) {}

// The filters change face normals, which the faces mode shows.
void QtGLWidget::mshift_slot(Vector v, int mode) {
    if (mean_shift.evaluate(filter_radius(v, mesh.extent), CallKind::Run, FilterMode(mode)))
        set_render_mode(RenderMode::Faces);
}

void QtGLWidget::mshiftrad_slot(Vector, int mode) {
    mean_shift.mode = FilterMode(mode);
}

void QtGLWidget::mshiftstep_slot(Vector v) {
    if (mean_shift.step(filter_radius(v, mesh.extent))) set_render_mode(RenderMode::Faces);
}

void QtGLWidget::function_slot(std::vector<Vector> func, int sizey) {
    mean_shift.set_weight_function(std::move(func), sizey);
}

std::function<void()> QtGLWidget::mean_shift_layer() {
    return [this] { draw_window(mean_shift); };
}
