#include "tools/qt_mesh_simplifier_widget.h"

#include "qtshared/tool_panel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QSlider>

QtMeshSimplifierWidget::QtMeshSimplifierWidget(QWidget* parent, const char* name)
    : ToolPanel(parent, name) {
    QBoxLayout* controls = tool_panel_layout(this);
    lod_label = new QLabel("Level of Detail:\t75%");
    threshmin_slider = tool_slider("threshmin_slider", 0, 100, 1, 5, 75);
    controls->addWidget(lod_label);
    controls->addWidget(threshmin_slider);
    connect(threshmin_slider, &QSlider::valueChanged, this, &QtMeshSimplifierWidget::lodEvent);
}

void QtMeshSimplifierWidget::lodEvent(int sliderval) {
    lod = float(sliderval);
    lod_label->setText("Level of Detail:\t" + panel_number(lod) + "%");
}
