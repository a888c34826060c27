#include "viewer/gl_frame_grab.h"

#include <GL/gl.h>

std::vector<uint8_t> gl_read_frame(int w, int h) {
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
    if (rgba.empty()) return rgba;
    glPixelStorei(GL_PACK_ALIGNMENT, 4); // rows of 4-byte pixels are never padded
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}
