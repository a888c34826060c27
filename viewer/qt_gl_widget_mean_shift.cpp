// The view's normal filter slots and the search sphere drawn over the mesh.
#include "viewer/qt_gl_widget.h"

void QtGLWidget::smooth_slot(float, float) {}
void QtGLWidget::mshift_slot(Vector, int) {}
void QtGLWidget::mshiftrad_slot(Vector, int) {}
void QtGLWidget::mshiftstep_slot(Vector) {}
void QtGLWidget::function_slot(std::vector<Vector>, int) {}

std::function<void()> QtGLWidget::mean_shift_layer() {
    return {};
}
