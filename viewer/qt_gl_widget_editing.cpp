// The view's simplification and subdivision slots.
#include "qtshared/warning.h"
#include "viewer/qt_gl_widget.h"

#include <cstdio>

namespace {

void report_refusal(QWidget* view, const Outcome& r) {
    if (r) return;
    std::fprintf(stderr, "%s\n", r.error().c_str());
    show_warning(view, "Vostrel V1.0", QString::fromStdString(r.error()));
}

} // namespace

void QtGLWidget::simplify_slot(float lod) {
    if (deferred([this, lod] { simplify_slot(lod); })) return;
    run_task(document.simplify_task(lod), [this](const Outcome& r) {
        report_refusal(this, r);
        show_changes(r.changed);
    });
}

void QtGLWidget::subdivide_slot(int subdiv, float weight) {
    if (deferred([this, subdiv, weight] { subdivide_slot(subdiv, weight); })) return;
    run_task(document.subdivide_task(subdiv, weight), [this](const Outcome& r) {
        report_refusal(this, r);
        show_changes(r.changed);
    });
}
