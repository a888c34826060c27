// The view's patch classification slots and the representatives drawn over the mesh.
#include "qtshared/warning.h"
#include "viewer/gl_representatives.h"
#include "viewer/qt_gl_widget.h"

void QtGLWidget::meshclassify_slot() {
    Outcome r = document.classify();
    if (!r) {
        show_warning(this, "Classify", QString::fromStdString(r.error()));
        return;
    }
    show_changes(r.changed);
    if (r.changed.any()) emit numbpatches_signal(document.classifier.patch_count);
}

void QtGLWidget::numpatches_slot(int k) {
    show_changes(document.recluster(k).changed);
}

void QtGLWidget::previouspatch_slot(int patch) {
    show_changes(document.select_patch(patch).changed);
}

void QtGLWidget::nextpatch_slot(int patch) {
    previouspatch_slot(patch);
}

void QtGLWidget::patchthresh_slot(int percent) {
    show_changes(document.set_patch_threshold(percent).changed);
}

void QtGLWidget::markpatch_slot() {
    show_changes(document.mark_patch().changed);
}

// The panel's settings count whether or not a mesh is open: the classifier always uses
// what the panel shows.
void QtGLWidget::weight_slot(float weight) {
    document.set_classifier_weight(weight);
}

void QtGLWidget::sp_mode_slot(int mode) {
    document.set_shortest_path_mode(SpMode(mode));
}

// File names are UTF-8, as every other file's.
void QtGLWidget::loadsp_slot(QString path) {
    IoResult r = document.load_table(path.toStdString());
    if (!r) show_warning(this, "Load ShortestPathTable", QString::fromStdString(r.error));
}

void QtGLWidget::savesp_slot(QString path) {
    IoResult r = document.save_table(path.toStdString());
    if (!r) show_warning(this, "Save ShortestPathTable", QString::fromStdString(r.error));
}

std::function<void()> QtGLWidget::representatives_layer() {
    return [this] {
        gl_draw_representatives(document.mesh, document.classifier.drawn_representatives());
    };
}
