#include "segmentation/qt_mean_shift_widget.h"

#include "segmentation/qt_function_widget.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

QtMeanShiftWidget::QtMeanShiftWidget(QWidget* parent, const char* name) : ToolPanel(parent, name) {
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName("smoothertab_blayout");

    auto* modes = new QGroupBox;
    auto* mode_row = new QHBoxLayout(modes);
    auto* group = new QButtonGroup(modes);
    group->setExclusive(true);
    meanshift_button = new QPushButton("Mean Shift");
    median_button = new QPushButton("Median Filter");
    spherejump_button = new QPushButton("Sphere Jump");
    for (QPushButton* b : {meanshift_button, median_button, spherejump_button}) {
        b->setCheckable(true);
        group->addButton(b);
        mode_row->addWidget(b);
    }
    meanshift_button->setChecked(true);
    layout->addWidget(modes);

    auto* boxlayout = new QHBoxLayout;
    boxlayout->setObjectName("boxlayout ");
    function_widget = new QtFunctionWidget(300, 150, nullptr, "histogram");
    boxlayout->addWidget(function_widget);
    layout->addLayout(boxlayout);
    // The view weighs by the curve from the first one it receives on.
    curve_label = new QLabel("Weight Curve:\tnot used (drag a point to use it)");
    curve_label->setObjectName("curve_label");
    layout->addWidget(curve_label);
    connect(function_widget, &QtFunctionWidget::signal_function, curve_label,
            [this] { curve_label->setText("Weight Curve:\tin use"); });

    radius_label = new QLabel("Sphere Radius:\t\t0");
    xsize_slider = tool_slider("xsize_slider", 0, 100, 1, 5, 0);
    auto* step = new QPushButton("Step");
    layout->addWidget(radius_label);
    layout->addWidget(xsize_slider);
    layout->addWidget(step);

    connect(meanshift_button, &QPushButton::clicked, this, &QtMeanShiftWidget::MShiftEvent);
    connect(median_button, &QPushButton::clicked, this, &QtMeanShiftWidget::MedianEvent);
    connect(spherejump_button, &QPushButton::clicked, this, &QtMeanShiftWidget::SJumpEvent);
    connect(xsize_slider, &QSlider::valueChanged, this, &QtMeanShiftWidget::xsizeEvent);
    connect(step, &QPushButton::clicked, this, &QtMeanShiftWidget::StepEvent);
}

// The ellipsoid controls have no widgets of their own; the view uses only v.x.
void QtMeanShiftWidget::sizeEvent(int sliderval) {
    scale = float(sliderval);
    v.x = radius_value * scale;
    v.y = ellipsoid_y * scale;
    v.z = ellipsoid_z * scale;
    emit rad_signal(v, mode);
}

void QtMeanShiftWidget::xsizeEvent(int sliderval) {
    radius_value = float(sliderval);
    v.x = radius_value;
    show_slider_value();
    emit rad_signal(v, mode);
}

void QtMeanShiftWidget::ysizeEvent(int sliderval) {
    ellipsoid_y = float(sliderval);
    v.y = ellipsoid_y;
    emit rad_signal(v, mode);
}

void QtMeanShiftWidget::zsizeEvent(int sliderval) {
    ellipsoid_z = float(sliderval);
    v.z = ellipsoid_z;
    emit rad_signal(v, mode);
}

void QtMeanShiftWidget::StepEvent() {
    emit step_signal(v);
}

// The slider's value is a radius for the sphere filters and a ring depth for the median
// filter: the label says which.
void QtMeanShiftWidget::show_slider_value() {
    bool depth = mode == int(FilterMode::Median);
    radius_label->setText((depth ? "Depth:\t" : "Sphere Radius:\t") + panel_number(radius_value));
}

void QtMeanShiftWidget::choose_mode(FilterMode chosen) {
    mode = int(chosen);
    show_slider_value();
    emit rad_signal(v, mode);
}

void QtMeanShiftWidget::MShiftEvent() {
    choose_mode(FilterMode::MeanShift);
}

void QtMeanShiftWidget::SJumpEvent() {
    choose_mode(FilterMode::SphereJump);
}

void QtMeanShiftWidget::MedianEvent() {
    choose_mode(FilterMode::Median);
}
