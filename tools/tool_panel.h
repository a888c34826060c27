// The layout the small tool panels share: a box layout on the panel holding an untitled
// frame with the panel's labels, sliders and buttons, top to bottom.
#pragma once

#include <QSlider>
#include <QString>

class QBoxLayout;
class QWidget;

// Lays `panel` out and returns the frame's layout, to which the controls are added.
QBoxLayout* tool_panel_layout(QWidget* panel);

// A horizontal slider with tick marks below, tracking on, set to `value` (before any
// connection, so that building the panel emits nothing).
inline QSlider* tool_slider(const char* name, int minimum, int maximum, int page_step,
                            int tick_interval, int value) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setPageStep(page_step);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tick_interval);
    slider->setTracking(true);
    slider->setValue(value);
    return slider;
}

// A float as the panels show it: up to six significant digits.
inline QString panel_number(double v) {
    return QString::number(v, 'g', 6);
}
