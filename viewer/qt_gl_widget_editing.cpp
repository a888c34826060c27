// The view's simplification and subdivision slots.
#include "qtshared/warning.h"
#include "tools/simplify.h"
#include "tools/subdivide.h"
#include "viewer/qt_gl_widget.h"

#include <cstdio>

void QtGLWidget::simplify_slot(float lod) {
    simplify_lod(mesh, lod);
    faces_replaced();
    changed();
}

void QtGLWidget::subdivide_slot(int subdiv, float weight) {
    SubdivisionResult r = subdivide_levels(mesh, subdiv, weight);
    if (r.outcome == SubdivisionOutcome::Refused) {
        std::fprintf(stderr, "%s\n", r.message.c_str());
        show_warning(this, "Vostrel V1.0", QString::fromStdString(r.message));
        return;
    }
    if (r.outcome == SubdivisionOutcome::Subdivided) {
        faces_replaced();
        changed();
    }
}
