// The view's patch classification slots and the representatives drawn over the mesh.
#include "qtshared/warning.h"
#include "viewer/gl_representatives.h"
#include "viewer/qt_gl_widget.h"

namespace {

// Why the commands that browse the patches have nothing to work on; empty when there
// are patches.
QString no_patches_reason(const Document& d) {
    if (d.mesh.nf == 0) return "No patches: open a mesh and classify it (Apply) first";
    if (d.classifier.patch_count <= 0) return "No patches: classify the mesh (Apply) first";
    return {};
}

} // namespace

bool QtGLWidget::say_if_no_patches() {
    QString reason = no_patches_reason(document);
    if (!reason.isEmpty()) emit status_signal(reason);
    return !reason.isEmpty();
}

void QtGLWidget::meshclassify_slot() {
    if (deferred([this] { meshclassify_slot(); })) return;
    run_task(document.classify_task(), [this](const Outcome& r) {
        if (!r) {
            show_warning(this, "Classify", QString::fromStdString(r.error()));
            return;
        }
        show_changes(r.changed);
        if (r.changed.any()) emit numbpatches_signal(document.classifier.patch_count);
    });
}

// Dragging the slider sends every value it passes: only the last one waiting counts.
void QtGLWidget::numpatches_slot(int k) {
    if (deferred([this, k] { numpatches_slot(k); }, "numpatches")) return;
    if (say_if_no_patches()) return;
    run_task(document.recluster_task(k), [this](const Outcome& r) { show_changes(r.changed); });
}

void QtGLWidget::previouspatch_slot(int patch) {
    if (deferred([this, patch] { previouspatch_slot(patch); })) return;
    if (say_if_no_patches()) return;
    show_changes(document.select_patch(patch).changed);
}

void QtGLWidget::nextpatch_slot(int patch) {
    previouspatch_slot(patch);
}

void QtGLWidget::patchthresh_slot(int percent) {
    if (deferred([this, percent] { patchthresh_slot(percent); }, "patchthresh")) return;
    show_changes(document.set_patch_threshold(percent).changed); // kept for a later patch
    say_if_no_patches();
}

void QtGLWidget::markpatch_slot() {
    if (deferred([this] { markpatch_slot(); })) return;
    if (say_if_no_patches()) return;
    if (document.classifier.current_patch < 0) {
        emit status_signal("No patch chosen: choose one with Previous or Next first");
        return;
    }
    show_changes(document.mark_patch().changed);
}

// The panel's settings count whether or not a mesh is open: the classifier always uses
// what the panel shows.
void QtGLWidget::weight_slot(float weight) {
    if (deferred([this, weight] { weight_slot(weight); }, "weight")) return;
    document.set_classifier_weight(weight);
}

void QtGLWidget::sp_mode_slot(int mode) {
    if (deferred([this, mode] { sp_mode_slot(mode); }, "sp_mode")) return;
    document.set_shortest_path_mode(SpMode(mode));
}

void QtGLWidget::proxy_slot(int faces) {
    if (deferred([this, faces] { proxy_slot(faces); }, "proxy")) return;
    document.classify_proxy_faces = faces;
}

// File names are UTF-8, as every other file's.
void QtGLWidget::loadsp_slot(QString path) {
    if (deferred([this, path] { loadsp_slot(path); })) return;
    IoResult r = document.load_table(path.toStdString());
    if (!r) show_warning(this, "Load ShortestPathTable", QString::fromStdString(r.error));
}

void QtGLWidget::savesp_slot(QString path) {
    if (deferred([this, path] { savesp_slot(path); })) return;
    IoResult r = document.save_table(path.toStdString());
    if (!r) show_warning(this, "Save ShortestPathTable", QString::fromStdString(r.error));
}

std::function<void()> QtGLWidget::representatives_layer() {
    return [this] {
        gl_draw_representatives(document.mesh, document.classifier.drawn_representatives());
    };
}
