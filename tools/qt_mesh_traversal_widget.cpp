#include "tools/qt_mesh_traversal_widget.h"

#include "qtshared/tool_panel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

QtMeshTraversalWidget::QtMeshTraversalWidget(QWidget* parent, const char* name)
    : ToolPanel(parent, name) {
    QBoxLayout* controls = tool_panel_layout(this);
    depth_label = new QLabel("Edge Depth:\t0");
    depth_slider = tool_slider("depth_slider", 0, 5000, 1, 500, 0);
    angle_label = new QLabel("Angle Size:\t1");
    stepsize_slider = tool_slider("stepsize_slider", 1, 360, 1, 36, 1);
    auto* mark = new QPushButton("Mark Current");
    for (QWidget* w : std::initializer_list<QWidget*>{depth_label, depth_slider, angle_label,
                                                      stepsize_slider, mark})
        controls->addWidget(w);
    connect(depth_slider, &QSlider::valueChanged, this, &QtMeshTraversalWidget::depthEvent);
    connect(stepsize_slider, &QSlider::valueChanged, this, &QtMeshTraversalWidget::stepsizeEvent);
    connect(mark, &QPushButton::clicked, this, &QtMeshTraversalWidget::markcurrent_event);
}

void QtMeshTraversalWidget::depthEvent(int sliderval) {
    depth = float(sliderval);
    depth_label->setText("Edge Depth:\t" + panel_number(depth));
    apply();
}

void QtMeshTraversalWidget::stepsizeEvent(int sliderval) {
    angle = float(sliderval);
    angle_label->setText("Angle Size:\t" + panel_number(angle));
    apply();
}

void QtMeshTraversalWidget::markcurrent_event() {
    emit markcurrent_signal();
}
