#include "viewer/qt_light_settings_widget.h"

#include "qtshared/file_buttons.h"
#include "qtshared/start_folder.h"
#include "qtshared/warning.h"
#include "viewer/light_file.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
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

const char* const preset_key = "lighting/preset";
const char* const custom_key = "lighting/custom";           // a light file's text
const char* const custom_base_key = "lighting/custom_base"; // the preset it came from

// The swatch colour of a light colour: its channels times 255, truncated.
QColor swatch_colour(const Vector& v) {
    return QColor(int(v.x * 255), int(v.y * 255), int(v.z * 255));
}

LightPreset preset_setting(const char* key, LightPreset otherwise) {
    LightPreset p;
    return preset_named(QSettings().value(key).toString().toStdString(), p) ? p : otherwise;
}

// A base preset as kept: Classic or Studio.
LightPreset surface_of(LightPreset p) {
    return p == LightPreset::Classic ? LightPreset::Classic : LightPreset::Studio;
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

    auto* presets = new QGroupBox("Preset:");
    light_preset_combobox = new QComboBox;
    light_preset_combobox->setObjectName("light_preset_combobox");
    for (int i = 0; i < light_preset_count; ++i)
        light_preset_combobox->addItem(preset_name(LightPreset(i)));
    (new QVBoxLayout(presets))->addWidget(light_preset_combobox);
    connect(light_preset_combobox, &QComboBox::activated, this,
            &QtLightSettingsWidget::preset_combobox_event);
    column->addWidget(presets);

    // The fixed-function lighting is the only program; there are no shaders to choose.
    auto* shaders = new QGroupBox("Shader Programs:");
    volshader_combobox = new QComboBox;
    volshader_combobox->setObjectName("volshader_combobox");
    volshader_combobox->addItems({"default (no shaders)"});
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

    // The preset of the last run (Studio at first), then the light as built so far.
    preset_combobox_event(int(preset_setting(preset_key, LightPreset::Studio)));
    l_azimuth_event(azimuth);
    emit light_colour_signal(ambient, diffuse, specular);
}

Lighting QtLightSettingsWidget::lighting() const {
    Lighting l = preset_lighting(base);
    l.ambient = ambient;
    l.diffuse = diffuse;
    l.specular = specular;
    return l;
}

void QtLightSettingsWidget::set_light(const Vector colours[3], LightPreset chosen,
                                      LightPreset surface) {
    ambient = colours[0];
    diffuse = colours[1];
    specular = colours[2];
    base = surface_of(surface);
    preset = chosen;
    ambient_colour = swatch_colour(ambient);
    diffuse_colour = swatch_colour(diffuse);
    specular_colour = swatch_colour(specular);
    ambient_swatch->setPixmap(swatch_pixmap(ambient_colour));
    diffuse_swatch->setPixmap(swatch_pixmap(diffuse_colour));
    specular_swatch->setPixmap(swatch_pixmap(specular_colour));
    light_preset_combobox->setCurrentIndex(int(preset));
    remember();
    emit lighting_signal(lighting());
}

void QtLightSettingsWidget::remember() const {
    QSettings settings;
    settings.setValue(preset_key, preset_name(preset));
    if (preset != LightPreset::Custom) return;
    LightFile colours{ambient, diffuse, specular, altitude, azimuth};
    settings.setValue(custom_key, QString::fromStdString(format_light_file(colours)));
    settings.setValue(custom_base_key, preset_name(base));
}

// Studio and Classic bring their colours and surface; Custom brings back the user's own
// colours of the last time (the current ones when there are none).
void QtLightSettingsWidget::preset_combobox_event(int index) {
    if (index < 0 || index >= light_preset_count) return;
    LightPreset chosen = LightPreset(index);
    if (chosen != LightPreset::Custom) {
        Lighting l = preset_lighting(chosen);
        const Vector colours[3] = {l.ambient, l.diffuse, l.specular};
        return set_light(colours, chosen, chosen);
    }
    LightFile own{ambient, diffuse, specular, altitude, azimuth};
    parse_light_file(QSettings().value(custom_key).toString().toStdString(), "settings", own);
    const Vector colours[3] = {own.ambient, own.diffuse, own.specular};
    set_light(colours, chosen, preset_setting(custom_base_key, base));
}

IoResult QtLightSettingsWidget::load_light(const QString& name) {
    LightFile file{ambient, diffuse, specular, altitude, azimuth};
    if (IoResult r = load_light_file(name.toStdString(), file); !r) return r;
    // The surface stays; the colours name their preset where they are one.
    Lighting l = lighting();
    l.ambient = file.ambient;
    l.diffuse = file.diffuse;
    l.specular = file.specular;
    const Vector colours[3] = {file.ambient, file.diffuse, file.specular};
    set_light(colours, preset_of(l), base);
    l_altitude_event(file.altitude);
    l_azimuth_event(file.azimuth);
    return {};
}

IoResult QtLightSettingsWidget::save_light(const QString& name) const {
    return save_light_file(name.toStdString(),
                           LightFile{ambient, diffuse, specular, altitude, azimuth});
}

void QtLightSettingsWidget::load_event() {
    QString name = QFileDialog::getOpenFileName(this, "Open Light", dialog_start_folder("Lights"),
                                                "Light files (*.light);;All files (*)");
    if (name.isEmpty()) return;
    if (IoResult r = load_light(name); !r)
        show_warning(this, "Lighting Editor", QString::fromStdString(r.error));
}

void QtLightSettingsWidget::save_event() {
    QString name = QFileDialog::getSaveFileName(this, "Save Light", dialog_start_folder("Lights"),
                                                "Light files (*.light)");
    if (name.isEmpty()) return;
    if (QFileInfo(name).suffix().isEmpty()) name += ".light";
    if (IoResult r = save_light(name); !r)
        show_warning(this, "Lighting Editor", QString::fromStdString(r.error));
}

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
    preset = LightPreset::Custom;
    light_preset_combobox->setCurrentIndex(int(preset));
    remember();
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
