#include "viewer/qt_gl_context.h"

#include <QOpenGLContext>
#include <QSurfaceFormat>

void use_compatibility_gl_format() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(24);
    format.setSamples(0);
    QSurfaceFormat::setDefaultFormat(format);
}

bool system_has_opengl() {
    QOpenGLContext context;
    return context.create() && !context.isOpenGLES();
}
