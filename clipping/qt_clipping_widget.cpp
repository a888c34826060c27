#include "clipping/qt_clipping_widget.h"

#include "clipping/plane_widget_in_cube.h"
#include "qtshared/file_buttons.h"
#include "qtshared/start_folder.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// One format under two extensions: .clp, as vostrel-cli writes it, and .slc, which a
// save appends to a name without one.
const char* plane_file_filter = "Plane files (*.clp *.slc)";

} // namespace

QtCLippingWidget::QtCLippingWidget(QWidget* parent, const char* name) : ToolPanel(parent, name) {
    FileButtons file = file_buttons("Load", Qt::Vertical);
    connect(file.load, &QPushButton::clicked, this, &QtCLippingWidget::cutplane_load_event);
    connect(file.save, &QPushButton::clicked, this, &QtCLippingWidget::cutplane_save_event);

    auto* actions = new QGroupBox("Actions:");
    auto* action_column = new QVBoxLayout(actions);
    auto* reset_current = new QPushButton("Reset Current");
    auto* reset_all = new QPushButton("Reset All");
    showall_button = new QPushButton("Show All");
    showall_button->setCheckable(true);
    for (QPushButton* b : {reset_current, reset_all, showall_button}) action_column->addWidget(b);
    connect(reset_current, &QPushButton::pressed, this, &QtCLippingWidget::resetcurr_button_event);
    connect(reset_all, &QPushButton::pressed, this, &QtCLippingWidget::resetall_button_event);
    connect(showall_button, &QPushButton::toggled, this, &QtCLippingWidget::showall_button_event);

    auto* planes = new QGroupBox("Clipping Planes:");
    auto* plane_column = new QVBoxLayout(planes);
    void (QtCLippingWidget::*handlers[6])() = {
        &QtCLippingWidget::plane1_button_event, &QtCLippingWidget::plane2_button_event,
        &QtCLippingWidget::plane3_button_event, &QtCLippingWidget::plane4_button_event,
        &QtCLippingWidget::plane5_button_event, &QtCLippingWidget::plane6_button_event};
    for (int k = 0; k < 6; ++k) {
        auto* group = new QGroupBox(QString("PLANE_%1").arg(k + 1));
        plane_buttons[k] = new QPushButton("Enable/Disable");
        plane_buttons[k]->setCheckable(true);
        (new QVBoxLayout(group))->addWidget(plane_buttons[k]);
        plane_column->addWidget(group);
        connect(plane_buttons[k], &QPushButton::clicked, this, handlers[k]);
    }
    selected_label = new QLabel;
    selected_label->setObjectName("selected_plane");
    plane_column->addWidget(selected_label);
    show_selected_name();

    auto* plane_box = new QVBoxLayout;
    plane_box->setObjectName("vboxlayout");
    plane_box->setContentsMargins(0, 0, 0, 0);
    plane_box->setSpacing(5);
    plane_box->addWidget(planes, 0, Qt::AlignTop);
    auto* file_box = new QVBoxLayout;
    file_box->setObjectName("vboxlayout");
    file_box->addWidget(file.group, 0, Qt::AlignTop);
    file_box->addWidget(actions, 0, Qt::AlignTop);
    auto* topmost = new QHBoxLayout(this);
    topmost->setObjectName("topmost");
    topmost->setContentsMargins(10, 10, 10, 10);
    topmost->setSpacing(5);
    topmost->addLayout(file_box, 1);
    topmost->addLayout(plane_box, 10);
}

// The button's own state has already changed: deselect every other checked plane in the
// view, uncheck the other buttons, then toggle plane k.
void QtCLippingWidget::plane_button_event(int k) {
    for (int j = 0; j < 6; ++j)
        if (j != k && plane_buttons[j]->isChecked()) emit cutplane_select_signal(j);
    for (int j = 0; j < 6; ++j)
        if (j != k) plane_buttons[j]->setChecked(false);
    emit cutplane_select_signal(k);
    show_selected_name();
}

void QtCLippingWidget::show_selected_name() {
    int checked = -1;
    for (int j = 0; j < 6 && checked < 0; ++j)
        if (plane_buttons[j]->isChecked()) checked = j;
    selected_label->setText(QString("Selected: ") + plane_name(checked));
}

void QtCLippingWidget::planes_shown_event(int selected) {
    for (size_t i = 0; i < plane_buttons.size(); ++i)
        plane_buttons[i]->setChecked(int(i) == selected);
    show_selected_name();
}

void QtCLippingWidget::plane1_button_event() {
    plane_button_event(0);
}
void QtCLippingWidget::plane2_button_event() {
    plane_button_event(1);
}
void QtCLippingWidget::plane3_button_event() {
    plane_button_event(2);
}
void QtCLippingWidget::plane4_button_event() {
    plane_button_event(3);
}
void QtCLippingWidget::plane5_button_event() {
    plane_button_event(4);
}
void QtCLippingWidget::plane6_button_event() {
    plane_button_event(5);
}

// On toggled(): the view follows the state the button has taken, so a press that slides
// off the button (no toggle) sends nothing.
void QtCLippingWidget::showall_button_event() {
    emit cutplane_showall_signal(showall_button->isChecked() ? 1 : 0);
}

void QtCLippingWidget::resetall_button_event() {
    for (QPushButton* b : plane_buttons) b->setChecked(false);
    show_selected_name();
    emit cutplane_resetall_signal();
}

void QtCLippingWidget::resetcurr_button_event() {
    for (QPushButton* b : plane_buttons)
        if (b->isChecked()) {
            emit cutplane_resetcurrent_signal();
            return;
        }
}

void QtCLippingWidget::cutplane_load_event() {
    QString name =
        QFileDialog::getOpenFileName(this, "", dialog_start_folder("data"), plane_file_filter);
    if (!name.isEmpty()) load_file(name);
}

void QtCLippingWidget::cutplane_save_event() {
    QString name =
        QFileDialog::getSaveFileName(this, "", dialog_start_folder("data"), plane_file_filter);
    if (!name.isEmpty()) save_file(name);
}

void QtCLippingWidget::load_file(const QString& name) {
    emit cutplane_load_signal(name);
}

void QtCLippingWidget::save_file(const QString& name) {
    emit cutplane_save_signal(complete_name(name, ".slc"));
}
