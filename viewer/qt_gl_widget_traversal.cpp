// The view's edge traversal and segment slots.
#include "viewer/qt_gl_widget.h"

#include <QDir>

void QtGLWidget::edgetraversal_slot(int depth, int angle) {
    show_changes(document.traverse(depth, angle).changed);
}

void QtGLWidget::markcurrent_slot() {
    show_changes(document.mark_current().changed);
}

SegmentFiles QtGLWidget::save_all() {
    SegmentFiles files = document.save_segments();
    files.folder = QDir::currentPath().toStdString();
    return files;
}

void QtGLWidget::traverse_from_selection() {
    show_changes(document.traverse_again().changed);
}
