#include "viewer/qt_light_settings_widget.h"

#include "qtshared/file_buttons.h"

#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QPixmap swatch_pixmap(const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(colour);
    return pixmap;
}

QLabel* make_swatch(const QColor& colour) {
    auto* swatch = new QLabel;
    swatch->setFrameStyle(QFrame::Panel | QFrame::Raised);
    swatch->setFixedSize(32, 32);
    swatch->setPixmap(swatch_pixmap(colour));
    return swatch;
}

QSlider* make_angle_slider(const char* name) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(0, 360);
    slider->setPageStep(10);
    slider->setValue(0);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(36);
    return slider;
}

} // namespace

QtLightSettingsWidget::QtLightSettingsWidget(QWidget* parent, const char* name) : QWidget(parent) {
    if (name) setObjectName(name);
    auto* topmost = new QVBoxLayout(this);
    topmost->setObjectName("topmost");
    topmost->setContentsMargins(10, 10, 10, 10);
    topmost->setSpacing(5);
    topmost->setAlignment(Qt::AlignTop);

    FileButtons file = file_buttons("Open", Qt::Horizontal);
    connect(file.load, &QPushButton::clicked, this, &QtLightSettingsWidget::load_event);
    connect(file.save, &QPushButton::clicked, this, &QtLightSettingsWidget::save_event);
    topmost->addWidget(file.group);

    auto* preferences = new QGroupBox("Lighting Preferences:");
    auto* column = new QVBoxLayout(preferences);

    auto* shaders = new QGroupBox("Shader Programs:");
    volshader_combobox = new QComboBox;
    volshader_combobox->setObjectName("volshader_combobox");
    volshader_combobox->addItems({"default (no shaders)", "per pixel lighting"});
    (new QVBoxLayout(shaders))->addWidget(volshader_combobox);
    connect(volshader_combobox, &QComboBox::activated, this,
            &QtLightSettingsWidget::shader_combobox_event);
    column->addWidget(shaders);

    auto colour_group = [&](const char* title, QLabel*& swatch, const QColor& colour,
                            void (QtLightSettingsWidget::*slot)()) {
        auto* group = new QGroupBox(title);
        auto* row = new QHBoxLayout(group);
        swatch = make_swatch(colour);
        auto* change = new QPushButton("Change");
        row->addWidget(swatch);
        row->addWidget(change);
        row->addStretch();
        connect(change, &QPushButton::clicked, this, slot);
        column->addWidget(group);
    };
    colour_group("Ambient Colour:", ambient_swatch, ambient_colour,
                 &QtLightSettingsWidget::amb_colourdlg_event);
    colour_group("Diffuse Colour:", diffuse_swatch, diffuse_colour,
                 &QtLightSettingsWidget::dif_colourdlg_event);
    colour_group("Specular Colour:", specular_swatch, specular_colour,
                 &QtLightSettingsWidget::spec_colourdlg_event);

    auto* position = new QGroupBox("Light Position:");
    auto* sliders = new QVBoxLayout(position);
    altitude_label = new QLabel("Altitude: 0");
    l_altitude_slider = make_angle_slider("l_altitude_slider");
    azimuth_label = new QLabel("Azimuth: 0");
    l_azimuth_slider = make_angle_slider("l_azimuth_slider");
    for (QWidget* w : {(QWidget*)altitude_label, (QWidget*)l_altitude_slider,
                       (QWidget*)azimuth_label, (QWidget*)l_azimuth_slider})
        sliders->addWidget(w);
    connect(l_altitude_slider, &QSlider::valueChanged, this,
            &QtLightSettingsWidget::l_altitude_event);
    connect(l_azimuth_slider, &QSlider::valueChanged, this,
            &QtLightSettingsWidget::l_azimuth_event);
    column->addWidget(position);
    topmost->addWidget(preferences);

    l_azimuth_event(azimuth);
    emit light_colour_signal(ambient, diffuse, specular);
}

void QtLightSettingsWidget::load_event() {}
void QtLightSettingsWidget::save_event() {}
void QtLightSettingsWidget::shader_combobox_event(int) {}

// A cancelled dialog keeps the colour the light had.
void QtLightSettingsWidget::choose_colour(QColor& colour, Vector& light, QLabel* swatch) {
    QColor chosen = QColorDialog::getColor(colour, this);
    if (!chosen.isValid()) return;
    colour = chosen;
    swatch->setPixmap(swatch_pixmap(colour));
    light.x = float(colour.red()) / 255;
    light.y = float(colour.green()) / 255;
    light.z = float(colour.blue()) / 255;
    emit light_colour_signal(ambient, diffuse, specular);
}

void QtLightSettingsWidget::amb_colourdlg_event() {
    choose_colour(ambient_colour, ambient, ambient_swatch);
}
void QtLightSettingsWidget::dif_colourdlg_event() {
    choose_colour(diffuse_colour, diffuse, diffuse_swatch);
}
void QtLightSettingsWidget::spec_colourdlg_event() {
    choose_colour(specular_colour, specular, specular_swatch);
}

void QtLightSettingsWidget::l_altitude_event(int value) {
    {
        QSignalBlocker quiet(l_altitude_slider); // one position signal per change
        l_altitude_slider->setValue(value);
    }
    altitude = value;
    altitude_label->setText("Altitude: " + QString::number(value));
    emit light_position_signal(float(altitude), float(azimuth));
}

void QtLightSettingsWidget::l_azimuth_event(int value) {
    {
        QSignalBlocker quiet(l_azimuth_slider);
        l_azimuth_slider->setValue(value);
    }
    azimuth = value;
    azimuth_label->setText("Azimuth: " + QString::number(value));
    emit light_position_signal(float(altitude), float(azimuth));
}
