// QtMeshSimplifierWidget: the level of detail of the simplification tool.
#pragma once

#include "qtshared/tool_panel.h"

class QLabel;
class QSlider;

class QtMeshSimplifierWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeshSimplifierWidget(QWidget* parent = nullptr, const char* name = nullptr);

    float lod = 75; // percent
    QLabel* lod_label;
    QSlider* threshmin_slider;

    void apply() override { emit simplifySignal(lod); }

  signals:
    void simplifySignal(float);

  public slots:
    void lodEvent(int sliderval);
};
