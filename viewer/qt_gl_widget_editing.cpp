// The view's simplification and subdivision slots, and the simplification's settings.
#include "qtshared/warning.h"
#include "viewer/qt_gl_widget.h"

#include <cstdio>

namespace {

void report_refusal(QWidget* view, const Outcome& r) {
    if (r) return;
    std::fprintf(stderr, "%s\n", r.error().c_str());
    show_warning(view, VOSTREL_TITLE, QString::fromStdString(r.error()));
}

} // namespace

void QtGLWidget::simplify_slot(float lod) {
    if (deferred([this, lod] { simplify_slot(lod); })) return;
    run_task(document.simplify_task(lod), [this](const Outcome& r) {
        report_refusal(this, r);
        show_changes(r.changed);
        if (r && !r.note.empty()) emit note_signal(QString::fromStdString(r.note));
    });
}

void QtGLWidget::simplify_method_slot(int method) {
    if (deferred([this, method] { simplify_method_slot(method); }, "simplify_method")) return;
    SimplifySettings settings = document.simplification;
    settings.method = method == int(SimplifyMethod::Quadric) ? SimplifyMethod::Quadric
                                                             : SimplifyMethod::EdgeCollapse;
    show_outcome(document.set_simplification(settings));
}

void QtGLWidget::simplify_max_error_slot(double max_error) {
    if (deferred([this, max_error] { simplify_max_error_slot(max_error); }, "simplify_error"))
        return;
    SimplifySettings settings = document.simplification;
    settings.max_error = float(max_error);
    show_outcome(document.set_simplification(settings));
}

void QtGLWidget::subdivide_slot(int subdiv, float weight) {
    if (deferred([this, subdiv, weight] { subdivide_slot(subdiv, weight); })) return;
    run_task(document.subdivide_task(subdiv, weight), [this](const Outcome& r) {
        report_refusal(this, r);
        show_changes(r.changed);
    });
}
