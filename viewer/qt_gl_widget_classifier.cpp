// The view's patch classification slots and the representatives drawn over the mesh.
#include "qtshared/warning.h"
#include "viewer/gl_representatives.h"
#include "viewer/qt_gl_widget.h"

namespace {

bool has_mesh(const Mesh& mesh) {
    return mesh.nv > 0 || mesh.nf > 0;
}

} // namespace

void QtGLWidget::meshclassify_slot() {
    if (!has_mesh(mesh)) return;
    IoResult r = classify_mesh(classifier, mesh);
    if (!r) {
        show_warning(this, "Classify", QString::fromStdString(r.error));
        return;
    }
    changed();
    emit numbpatches_signal(classifier.patch_count);
    set_render_mode(RenderMode::Faces);
}

void QtGLWidget::numpatches_slot(int k) {
    if (!has_mesh(mesh)) return;
    classifier.attach(mesh);
    if (!classifier.recluster(k)) return;
    changed();
    set_render_mode(RenderMode::Faces);
}

void QtGLWidget::previouspatch_slot(int patch) {
    if (!has_mesh(mesh)) return;
    classifier.attach(mesh);
    if (classifier.select_patch(patch)) changed();
}

void QtGLWidget::nextpatch_slot(int patch) {
    previouspatch_slot(patch);
}

void QtGLWidget::patchthresh_slot(int percent) {
    if (!has_mesh(mesh)) return;
    classifier.attach(mesh);
    classifier.set_patch_threshold(percent);
    changed();
}

void QtGLWidget::markpatch_slot() {
    if (!has_mesh(mesh)) return;
    classifier.attach(mesh);
    if (mark_current_patch(classifier, traversal) < 0) return;
    changed();
    set_render_mode(RenderMode::Faces);
}

void QtGLWidget::weight_slot(float weight) {
    if (!has_mesh(mesh)) return;
    classifier.weight = weight;
}

void QtGLWidget::sp_mode_slot(int mode) {
    if (!has_mesh(mesh)) return;
    if (mode == int(SpMode::Floyd) || mode == int(SpMode::Dijkstra))
        classifier.sp_mode = SpMode(mode);
}

void QtGLWidget::loadsp_slot(QString path) {
    if (!has_mesh(mesh)) return;
    classifier.attach(mesh);
    IoResult r = classifier.load(path.toLatin1().toStdString());
    if (!r) show_warning(this, "Load ShortestPathTable", QString::fromStdString(r.error));
}

void QtGLWidget::savesp_slot(QString path) {
    if (!has_mesh(mesh)) return;
    classifier.attach(mesh);
    IoResult r = classifier.save(path.toLatin1().toStdString());
    if (!r) show_warning(this, "Save ShortestPathTable", QString::fromStdString(r.error));
}

std::function<void()> QtGLWidget::representatives_layer() {
    return [this] { gl_draw_representatives(mesh, classifier.drawn_representatives()); };
}
