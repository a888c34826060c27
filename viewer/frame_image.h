// The rendered frame as an image, read from the current OpenGL context.
#pragma once

#include <QImage>

// A 32-bit image of w x h read from (0, 0) of the colour buffer, top row first.
QImage grab_frame_image(int w, int h);
