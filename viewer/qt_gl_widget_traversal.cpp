// The view's edge traversal and segment slots.
#include "viewer/qt_gl_widget.h"

void QtGLWidget::edgetraversal_slot(int, int) {}
void QtGLWidget::markcurrent_slot() {}
void QtGLWidget::save_all() {}
void QtGLWidget::traverse_from_selection() {}
