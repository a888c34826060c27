// QtMeshSimplifierWidget: the level of detail of the simplification tool, and its
// method: "Edge collapse" (the default) or "Quadric (keeps borders)" with its error
// limit. The main window connects the method list and the limit's box to the view,
// which keeps them in the document for the next simplifySignal.
#pragma once

#include "qtshared/tool_panel.h"
#include "tools/simplify_method.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;

class QtMeshSimplifierWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeshSimplifierWidget(QWidget* parent = nullptr, const char* name = nullptr);

    float lod = 75; // percent
    SimplifyMethod method = SimplifyMethod::EdgeCollapse;
    float max_error = default_quadric_max_error; // a share of the extent
    QLabel* lod_label;
    QSlider* threshmin_slider;
    QComboBox* method_box;         // in SimplifyMethod order
    QDoubleSpinBox* max_error_box; // on for the quadric method only

    void apply() override { emit simplifySignal(lod); }

  signals:
    void simplifySignal(float);

  public slots:
    void lodEvent(int sliderval);
    void method_event(int index);
    void max_error_event(double value);
};
