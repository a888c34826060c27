// QtMeshSubdivideWidget: the level and weight of the butterfly subdivision; the label
// shows the tension the weight stands for.
#pragma once

#include "qtshared/tool_panel.h"

class QLabel;
class QSlider;

class QtMeshSubdivideWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeshSubdivideWidget(QWidget* parent = nullptr, const char* name = nullptr);

    int subdiv = 0;
    float weight = 0.0f; // -0.125 .. 0.125
    QLabel *subdivlevel_label, *weight_label;
    QSlider *subdivlevel_slider, *weight_slider;

    // Level 0 sends nothing.
    void apply() override {
        if (subdiv != 0) emit subdivide_signal(subdiv, weight);
    }

  signals:
    void subdivide_signal(int subdiv, float weight);

  public slots:
    void subdivlevel_event(int sliderval);
    void weight_event(int sliderval);
};
