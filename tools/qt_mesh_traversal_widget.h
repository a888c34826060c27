// QtMeshTraversalWidget: the depth and angle of the edge traversal, sent on every move
// of their sliders, and the command that marks the traversed faces as a segment.
#pragma once

#include "qtshared/tool_panel.h"

class QLabel;
class QSlider;

class QtMeshTraversalWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeshTraversalWidget(QWidget* parent = nullptr, const char* name = nullptr);

    float depth = 0;
    float angle = 1; // degrees
    QLabel *depth_label, *angle_label;
    QSlider *depth_slider, *stepsize_slider;

    void apply() override { emit edgetraversal_signal(int(depth), int(angle)); }

  signals:
    void edgetraversal_signal(int, int);
    void markcurrent_signal();

  public slots:
    void depthEvent(int sliderval);
    void stepsizeEvent(int sliderval);
    void markcurrent_event();
};
