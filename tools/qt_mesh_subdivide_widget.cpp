#include "tools/qt_mesh_subdivide_widget.h"

#include "qtshared/tool_panel.h"
#include "tools/subdivide.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSlider>

QtMeshSubdivideWidget::QtMeshSubdivideWidget(QWidget* parent, const char* name)
    : ToolPanel(parent, name) {
    QBoxLayout* controls = tool_panel_layout(this);
    subdivlevel_label = new QLabel("Subdivision Level:\t0");
    subdivlevel_slider = tool_slider("subdivlevel_slider", 0, 10, 1, 1, 0);
    weight_label = new QLabel("Tension:\t" + panel_number(butterfly_tension(weight)));
    weight_slider = tool_slider("weight_slider", 0, 100, 5, 10, 50);
    for (QWidget* w : std::initializer_list<QWidget*>{subdivlevel_label, subdivlevel_slider,
                                                      weight_label, weight_slider})
        controls->addWidget(w);
    connect(subdivlevel_slider, &QSlider::valueChanged, this,
            &QtMeshSubdivideWidget::subdivlevel_event);
    connect(weight_slider, &QSlider::valueChanged, this, &QtMeshSubdivideWidget::weight_event);
}

void QtMeshSubdivideWidget::subdivlevel_event(int sliderval) {
    subdiv = sliderval;
    subdivlevel_label->setText("Subdivision Level:\t" + QString::number(sliderval));
}

// Slider 0 sends -0.125, 50 sends 0 and 100 sends 0.125; the label shows the tension that
// stands for (-0.0625, 0.0625, 0.1875).
void QtMeshSubdivideWidget::weight_event(int sliderval) {
    weight = subdivision_weight(sliderval);
    weight_label->setText("Tension:\t" + panel_number(butterfly_tension(weight)));
}
