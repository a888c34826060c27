#include "viewer/qt_gl_context.h"

#include "viewer/gl_frame.h"

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
    set_gl_function_lookup([](const char* name) {
        QOpenGLContext* current = QOpenGLContext::currentContext();
        return current ? current->getProcAddress(name) : nullptr;
    });
}

bool system_has_opengl() {
    QOpenGLContext context;
    return context.create() && !context.isOpenGLES();
}
