// The view's edge traversal and segment slots.
#include "viewer/qt_gl_widget.h"

#include <QDir>

void QtGLWidget::edgetraversal_slot(int depth, int angle) {
    if (deferred([this, depth, angle] { edgetraversal_slot(depth, angle); }, "traversal")) return;
    show_changes(document.traverse(depth, angle).changed);
}

void QtGLWidget::markcurrent_slot() {
    if (deferred([this] { markcurrent_slot(); })) return;
    show_changes(document.mark_current().changed);
}

// The files are written on the runner; segments_saved_signal says when and how.
SegmentFiles QtGLWidget::save_all(const std::string& folder) {
    if (deferred([this, folder] { save_all(folder); })) return {};
    if (document.mesh.nf == 0) { // every file would be empty
        SegmentFiles none;
        none.failures.push_back(IoResult::failure("There is no mesh to save: open one first"));
        emit failure_signal(QString::fromStdString(none.failures[0].error));
        return none;
    }
    segment_files = SegmentFiles();
    run_task(document.save_segments_task(folder, segment_files), [this, folder](const Outcome&) {
        segment_files.folder =
            folder.empty() ? QDir::currentPath().toStdString()
                           : QDir(QString::fromStdString(folder)).absolutePath().toStdString();
        emit segments_saved_signal();
    });
    return busy() ? SegmentFiles() : segment_files;
}

void QtGLWidget::traverse_from_selection() {
    show_changes(document.traverse_again().changed);
}
