#include "segmentation/qt_mesh_classifier_widget.h"

#include "qtshared/start_folder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// A row of buttons in a frame of its own, sharing one button group.
QGroupBox* button_row(std::initializer_list<QPushButton*> buttons, bool exclusive) {
    auto* frame = new QGroupBox;
    auto* row = new QHBoxLayout(frame);
    auto* group = new QButtonGroup(frame);
    group->setExclusive(exclusive);
    for (QPushButton* b : buttons) {
        group->addButton(b);
        row->addWidget(b);
    }
    return frame;
}

QPushButton* checkable(const char* text, bool checked) {
    auto* b = new QPushButton(text);
    b->setCheckable(true);
    b->setChecked(checked);
    return b;
}

} // namespace

QtMeshClassifierWidget::QtMeshClassifierWidget(QWidget* parent, const char* name)
    : ToolPanel(parent, name) {
    auto* layout = new QVBoxLayout(this);
    layout->setObjectName("patchtab_blayout ");

    auto* load = new QPushButton("Load ShortestPathTable");
    auto* save = new QPushButton("Save ShortestPathTable");
    layout->addWidget(button_row({load, save}, false));
    // The checks show the classifier's mode, which starts at 0 (Floyd).
    floyd_button = checkable("Floyd SP", true);
    djikstra_button = checkable("Djikstra SP", false);
    layout->addWidget(button_row({floyd_button, djikstra_button}, true));

    numpatches_label = new QLabel("Number of Patches:\t1");
    threshmin_slider = tool_slider("threshmin_slider", 1, 50, 1, 1, 1);
    weight_label = new QLabel("Weight:\t0.5");
    weight_slider = tool_slider("weight_slider", 0, 100, 1, 10, 50);
    for (QWidget* w : std::initializer_list<QWidget*>{numpatches_label, threshmin_slider,
                                                      weight_label, weight_slider})
        layout->addWidget(w);
    auto* proxy_row = new QHBoxLayout;
    proxy_checkbox = new QCheckBox("Classify a simplified copy of");
    proxy_checkbox->setObjectName("proxy_checkbox");
    proxy_checkbox->setToolTip("For meshes whose shortest path table would not fit in memory: "
                               "each face takes the patch of the copy's face nearest to it, "
                               "an approximation");
    proxy_spinbox = new QSpinBox;
    proxy_spinbox->setObjectName("proxy_spinbox");
    proxy_spinbox->setRange(100, 20000);
    proxy_spinbox->setSingleStep(1000);
    proxy_spinbox->setGroupSeparatorShown(true);
    proxy_spinbox->setValue(8000);
    proxy_spinbox->setSuffix(" faces");
    proxy_row->addWidget(proxy_checkbox);
    proxy_row->addWidget(proxy_spinbox);
    proxy_row->addStretch();
    layout->addLayout(proxy_row);

    auto* previous = new QPushButton("Previous");
    auto* next = new QPushButton("Next");
    layout->addWidget(button_row({previous, next}, false));

    auto* threshold_frame = new QGroupBox;
    auto* threshold_column = new QVBoxLayout(threshold_frame);
    patchthreshold_label = new QLabel("Patch Threshold:\t1");
    patchthreshold_slider = tool_slider("patchthreshold_slider", 1, 100, 1, 5, 1);
    auto* mark = new QPushButton("Mark Current");
    (new QButtonGroup(threshold_frame))->addButton(mark);
    threshold_column->addWidget(patchthreshold_label);
    threshold_column->addWidget(patchthreshold_slider);
    threshold_column->addWidget(mark);
    layout->addWidget(threshold_frame);

    connect(load, &QPushButton::clicked, this, &QtMeshClassifierWidget::loadEvent);
    connect(save, &QPushButton::clicked, this, &QtMeshClassifierWidget::saveEvent);
    connect(floyd_button, &QPushButton::clicked, this, &QtMeshClassifierWidget::floydEvent);
    connect(djikstra_button, &QPushButton::clicked, this, &QtMeshClassifierWidget::djikstraEvent);
    connect(threshmin_slider, &QSlider::valueChanged, this,
            &QtMeshClassifierWidget::numbpatchesEvent);
    connect(weight_slider, &QSlider::valueChanged, this, &QtMeshClassifierWidget::weightEvent);
    connect(proxy_checkbox, &QCheckBox::toggled, this, &QtMeshClassifierWidget::proxyEvent);
    connect(proxy_spinbox, &QSpinBox::valueChanged, this, &QtMeshClassifierWidget::proxyEvent);
    connect(previous, &QPushButton::clicked, this, &QtMeshClassifierWidget::previousEvent);
    connect(next, &QPushButton::clicked, this, &QtMeshClassifierWidget::nextEvent);
    connect(patchthreshold_slider, &QSlider::valueChanged, this,
            &QtMeshClassifierWidget::patchthreshEvent);
    connect(mark, &QPushButton::clicked, this, &QtMeshClassifierWidget::markcurrentEvent);
}

// Setting the slider to a new value comes back here through its own notification and
// sends the number once more.
void QtMeshClassifierWidget::numbpatchesEvent(int sliderval) {
    number_of_patches = sliderval;
    // Previous and Next browse the patches there are.
    current_patch = std::clamp(current_patch, 0, std::max(number_of_patches - 1, 0));
    numpatches_label->setText("Number of Patches:\t" + QString::number(sliderval));
    threshmin_slider->setValue(sliderval);
    emit numpatches_signal(sliderval);
}

void QtMeshClassifierWidget::show_patches_event(int patches) {
    QSignalBlocker quiet(threshmin_slider);
    number_of_patches = std::max(patches, 1);
    current_patch = std::clamp(current_patch, 0, number_of_patches - 1);
    numpatches_label->setText("Number of Patches:\t" + QString::number(number_of_patches));
    threshmin_slider->setValue(number_of_patches);
}

void QtMeshClassifierWidget::previousEvent() {
    current_patch = std::max(current_patch - 1, 0);
    emit previouspatch_signal(current_patch);
    emit patchthresh_signal(patch_threshold);
}

void QtMeshClassifierWidget::nextEvent() {
    current_patch = std::min(current_patch + 1, number_of_patches - 1);
    emit nextpatch_signal(current_patch);
    emit patchthresh_signal(patch_threshold);
}

void QtMeshClassifierWidget::patchthreshEvent(int sliderval) {
    patch_threshold = sliderval;
    patchthreshold_label->setText("Patch Threshold:\t" + QString::number(sliderval));
    emit patchthresh_signal(sliderval);
}

void QtMeshClassifierWidget::markcurrentEvent() {
    emit markcurrent_signal();
}

void QtMeshClassifierWidget::weightEvent(int sliderval) {
    weight = float(sliderval) / 100;
    weight_label->setText("Weight:\t" + panel_number(weight));
    emit weight_signal(weight);
}

void QtMeshClassifierWidget::loadEvent() {
    QString name = QFileDialog::getOpenFileName(this, "", dialog_start_folder("Data"), "*.spt");
    if (!name.isEmpty()) load_table_file(name);
}

void QtMeshClassifierWidget::saveEvent() {
    QString name = QFileDialog::getSaveFileName(this, "", dialog_start_folder("Data"), "*.spt");
    if (!name.isEmpty()) save_table_file(name);
}

void QtMeshClassifierWidget::load_table_file(const QString& name) {
    emit loadsp_signal(complete_name(name, ".spt"));
}

void QtMeshClassifierWidget::save_table_file(const QString& name) {
    emit savesp_signal(complete_name(name, ".spt"));
}

void QtMeshClassifierWidget::floydEvent() {
    emit sp_mode_signal(0);
}

void QtMeshClassifierWidget::djikstraEvent() {
    emit sp_mode_signal(1);
}

void QtMeshClassifierWidget::proxyEvent() {
    emit proxy_signal(proxy_checkbox->isChecked() ? proxy_spinbox->value() : 0);
}
