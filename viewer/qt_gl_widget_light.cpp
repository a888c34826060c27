// The view's light slots: they set light 0 at once, outside a frame.
#include "viewer/qt_gl_widget.h"

void QtGLWidget::light_colour_slot(Vector ambient, Vector diffuse, Vector specular) {
    lighting.ambient = ambient;
    lighting.diffuse = diffuse;
    lighting.specular = specular;
    if (!context()) return;
    makeCurrent();
    gl_set_light_colours(ambient, diffuse, specular);
    changed();
}

void QtGLWidget::lighting_slot(const Lighting& chosen) {
    lighting = chosen;
    if (!context()) return;
    makeCurrent();
    gl_set_lighting(lighting);
    changed();
}

void QtGLWidget::light_position_slot(float alti, float azim) {
    light_position = light_direction(alti, azim);
    // Outside a frame the model-view matrix is the one the last frame left; inside the
    // GL initialisation it is the identity.
    if (!context()) return;
    makeCurrent();
    gl_set_light_position(light_position);
    changed();
}
