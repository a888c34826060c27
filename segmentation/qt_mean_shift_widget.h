// QtMeanShiftWidget: the normal filter page: mean shift, median filter or sphere jump,
// the search radius (the ring depth for the median filter), one pass at a time with
// "Step", and the weight curve.
#pragma once

#include "core/vector.h"
#include "qtshared/tool_panel.h"
#include "segmentation/mean_shift.h"

class QLabel;
class QSlider;
class QPushButton;
class QtFunctionWidget;

class QtMeanShiftWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeanShiftWidget(QWidget* parent = nullptr, const char* name = nullptr);

    Vector v{0, 0, 0, 1}; // sent with every signal; x is the radius value
    int mode = int(FilterMode::MeanShift);
    float radius_value = 0, ellipsoid_y = 0, ellipsoid_z = 0;
    float scale = 1.0f;
    QtFunctionWidget* function_widget;
    QLabel* radius_label; // "Sphere Radius", or "Depth" while the median filter is chosen
    QLabel* curve_label;  // says whether the weight curve is in use
    QSlider* xsize_slider;
    QPushButton *meanshift_button, *median_button, *spherejump_button;

    // Runs the chosen filter.
    void apply() override { emit mshift_signal(v, mode); }

  signals:
    void rad_signal(Vector, int);
    void mshift_signal(Vector, int);
    void step_signal(Vector);

  public slots:
    void sizeEvent(int sliderval);
    void xsizeEvent(int sliderval);
    void ysizeEvent(int sliderval);
    void zsizeEvent(int sliderval);
    void StepEvent();
    void MShiftEvent();
    void SJumpEvent();
    void MedianEvent();

  private:
    void choose_mode(FilterMode chosen);
    void show_slider_value();
};
