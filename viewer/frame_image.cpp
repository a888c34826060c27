#include "viewer/frame_image.h"

#include <GL/gl.h>

QImage grab_frame_image(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    // The bytes arrive as red, green, blue, alpha, where the image keeps blue first;
    // and OpenGL's first row is the bottom one.
    return image.rgbSwapped().mirrored();
}
