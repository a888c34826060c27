// The view's simplification and subdivision slots.
#include "viewer/qt_gl_widget.h"

void QtGLWidget::simplify_slot(float) {}
void QtGLWidget::subdivide_slot(int, float) {}
