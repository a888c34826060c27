// Colours between the panels (QColor, channels 0..255) and the core (Rgb, and Vector
// with channels 0..1 and alpha in w), and the swatches that show them.
#pragma once

#include "core/colour.h"

#include <QColor>
#include <QPixmap>

inline Rgb rgb(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}

inline QColor qcolor(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

// Red, green and blue / 255, alpha 1.
inline Vector colour_vector(const QColor& c) {
    return colour_vector(rgb(c));
}

// A square pixmap of side `size` filled with the colour.
inline QPixmap swatch_pixmap(const QColor& colour, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(colour);
    return pixmap;
}
