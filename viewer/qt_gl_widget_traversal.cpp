// The view's edge traversal and segment slots.
#include "segmentation/segments.h"
#include "viewer/qt_gl_widget.h"

#include <QDir>

namespace {

// Marks and segment colours show in the faces mode: switch to it when a tool has given
// faces marks or colours, and draw a new frame in any case.
void show_faces(QtGLWidget& view, int faces_changed) {
    if (faces_changed > 0 && view.render_mode != RenderMode::Faces)
        view.set_render_mode(RenderMode::Faces);
    view.changed();
}

} // namespace

void QtGLWidget::edgetraversal_slot(int depth, int angle) {
    // Without a picked face there is nothing to grow yet, but the numbers are kept for
    // the next pick: the page's sliders set before a pick count.
    if (mesh.selectedface < 1 || mesh.selectedface > mesh.nf) {
        traversal.depth = depth;
        traversal.angle = angle;
        return;
    }
    show_faces(*this, traverse(mesh, traversal, depth, angle));
}

void QtGLWidget::markcurrent_slot() {
    if (mesh.selectedface < 0 || mesh.selectedface > mesh.nf) return;
    show_faces(*this, mark_current(mesh, traversal));
}

SegmentFiles QtGLWidget::save_all() {
    SegmentFiles files = save_segments(mesh, traversal);
    files.folder = QDir::currentPath().toStdString();
    return files;
}

void QtGLWidget::traverse_from_selection() {
    show_faces(*this, traverse(mesh, traversal, traversal.depth, traversal.angle));
}
