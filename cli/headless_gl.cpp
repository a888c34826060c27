#define GL_GLEXT_PROTOTYPES
#include "cli/headless_gl.h"

#include "viewer/gl_frame.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/osmesa.h>

HeadlessGl::HeadlessGl(int width, int height) : buffer(size_t(width) * size_t(height) * 4) {
    const int attributes[] = {OSMESA_FORMAT,
                              OSMESA_BGRA,
                              OSMESA_DEPTH_BITS,
                              24,
                              OSMESA_STENCIL_BITS,
                              8,
                              OSMESA_PROFILE,
                              OSMESA_COMPAT_PROFILE,
                              0};
    context = OSMesaCreateContextAttribs(attributes, nullptr);
    if (!context || !OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, width, height)) {
        error_text = "no OpenGL context for rendering (OSMesa)";
        return;
    }
    set_gl_function_lookup(OSMesaGetProcAddress);
    GLuint fbo, colour, depth;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        error_text = "no framebuffer object for rendering";
}

HeadlessGl::~HeadlessGl() {
    if (context) OSMesaDestroyContext(context);
}
