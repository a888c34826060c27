#include "tools/qt_mesh_simplifier_widget.h"

#include "qtshared/tool_panel.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSlider>

QtMeshSimplifierWidget::QtMeshSimplifierWidget(QWidget* parent, const char* name)
    : ToolPanel(parent, name) {
    QBoxLayout* controls = tool_panel_layout(this);
    lod_label = new QLabel("Level of Detail:\t75%");
    threshmin_slider = tool_slider("threshmin_slider", 0, 100, 1, 5, 75);
    method_box = new QComboBox;
    method_box->setObjectName("method_box");
    method_box->addItems({"Edge collapse", "Quadric (keeps borders)"});
    max_error_box = new QDoubleSpinBox;
    max_error_box->setObjectName("max_error_box");
    max_error_box->setDecimals(4);
    max_error_box->setRange(0, 1);
    max_error_box->setSingleStep(0.001);
    max_error_box->setValue(max_error);
    max_error_box->setEnabled(false);
    max_error_box->setToolTip("The quadric method stops before a collapse would move the "
                              "surface by more than this share of the mesh's extent");
    auto* error_label = new QLabel("Max Error (share of extent):");
    error_label->setBuddy(max_error_box);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lod_label, threshmin_slider, new QLabel("Method:"),
                                         method_box, error_label, max_error_box})
        controls->addWidget(w);
    connect(threshmin_slider, &QSlider::valueChanged, this, &QtMeshSimplifierWidget::lodEvent);
    connect(method_box, &QComboBox::currentIndexChanged, this,
            &QtMeshSimplifierWidget::method_event);
    connect(max_error_box, &QDoubleSpinBox::valueChanged, this,
            &QtMeshSimplifierWidget::max_error_event);
}

void QtMeshSimplifierWidget::lodEvent(int sliderval) {
    lod = float(sliderval);
    lod_label->setText("Level of Detail:\t" + panel_number(lod) + "%");
}

void QtMeshSimplifierWidget::method_event(int index) {
    method = index == int(SimplifyMethod::Quadric) ? SimplifyMethod::Quadric
                                                   : SimplifyMethod::EdgeCollapse;
    max_error_box->setEnabled(method == SimplifyMethod::Quadric);
}

void QtMeshSimplifierWidget::max_error_event(double value) {
    max_error = float(value);
}
