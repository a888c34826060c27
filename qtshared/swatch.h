// A colour swatch as the panels show one: a label holding a square of the colour inside
// a thin frame, so that a white or very light entry still shows against the page. The
// pixmap itself holds nothing but the colour (the colour map reads it back).
#pragma once

#include "qtshared/colours.h"

#include <QLabel>

inline QLabel* framed_swatch(const QColor& colour, int size) {
    auto* label = new QLabel;
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    label->setPixmap(swatch_pixmap(colour, size));
    label->setFixedSize(size + 2, size + 2);
    return label;
}
