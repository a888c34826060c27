// The view's patch classification slots and the representatives drawn over the mesh.
#include "viewer/qt_gl_widget.h"

void QtGLWidget::meshclassify_slot() {}
void QtGLWidget::numpatches_slot(int) {}
void QtGLWidget::previouspatch_slot(int) {}
void QtGLWidget::nextpatch_slot(int) {}
void QtGLWidget::patchthresh_slot(int) {}
void QtGLWidget::weight_slot(float) {}
void QtGLWidget::sp_mode_slot(int) {}
void QtGLWidget::loadsp_slot(QString) {}
void QtGLWidget::savesp_slot(QString) {}

std::function<void()> QtGLWidget::representatives_layer() {
    return {};
}
