// The view's clipping plane slots, the planes' mouse handling and their frame layer.
#include "viewer/qt_gl_widget.h"

void QtGLWidget::cutplane_select_slot(int) {}
void QtGLWidget::cutplane_invert_slot(int) {}
void QtGLWidget::cutplane_load_slot(QString) {}
void QtGLWidget::cutplane_save_slot(QString) {}
void QtGLWidget::cutplane_showall_slot(int) {}
void QtGLWidget::cutplane_resetall_slot() {}
void QtGLWidget::cutplane_resetcurrent_slot() {}

void QtGLWidget::clipping_press(int, const Vector&) {}
void QtGLWidget::clipping_move(const Vector&) {}
void QtGLWidget::clipping_release() {}

std::function<void()> QtGLWidget::clipping_layer() {
    return {};
}
