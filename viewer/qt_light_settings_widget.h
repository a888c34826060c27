// QtLightSettingsWidget: the page of the lighting dialog with the light's preset, its
// three colours and its altitude and azimuth. The preset ("Studio", "Classic", or the
// user's own colours as "Custom") is kept between runs; "Open" and "Save" read and
// write light files.
#pragma once

#include "core/io_result.h"
#include "core/vector.h"
#include "viewer/lighting.h"

#include <QColor>
#include <QWidget>

class QComboBox;
class QLabel;
class QSlider;

class QtLightSettingsWidget : public QWidget {
    Q_OBJECT

  public:
    explicit QtLightSettingsWidget(QWidget* parent = nullptr, const char* name = nullptr);

    QColor ambient_colour{127, 127, 127};
    Vector ambient{0.5f, 0.5f, 0.5f, 1};
    QColor diffuse_colour{31, 31, 31};
    Vector diffuse{0.125f, 0.125f, 0.125f, 1};
    QColor specular_colour{0, 0, 0};
    Vector specular{0, 0, 0, 1};
    int altitude = 0;
    int azimuth = 180;
    LightPreset preset = LightPreset::Studio;

    // The light the page shows: its colours over the surface of its preset (for Custom,
    // of the preset the colours were changed from).
    Lighting lighting() const;
    // Sets the light from a light file, or writes one; a failure leaves everything as it
    // was and is returned.
    IoResult load_light(const QString& name);
    IoResult save_light(const QString& name) const;

    QLabel *ambient_swatch, *diffuse_swatch, *specular_swatch;
    QLabel *altitude_label, *azimuth_label;
    QSlider *l_altitude_slider, *l_azimuth_slider;
    QComboBox* volshader_combobox;
    QComboBox* light_preset_combobox;

  signals:
    void light_position_signal(float altitude, float azimuth);
    void light_colour_signal(Vector ambient, Vector diffuse, Vector specular);
    void shader_signal(int);
    // A preset chosen or a light file loaded: colours and surface together.
    void lighting_signal(const Lighting& lighting);

  public slots:
    void load_event();
    void save_event();
    void amb_colourdlg_event();
    void dif_colourdlg_event();
    void spec_colourdlg_event();
    void l_altitude_event(int value);
    void l_azimuth_event(int value);
    void shader_combobox_event(int id);
    void preset_combobox_event(int index);

  private:
    void choose_colour(QColor& colour, Vector& light, QLabel* swatch);
    // Shows `colours` in the swatches and keeps them, over the surface of `base`, with
    // `chosen` as the preset.
    void set_light(const Vector colours[3], LightPreset chosen, LightPreset base);
    // The preset chosen, and a Custom light's colours and surface, for the next run.
    void remember() const;
    // The preset whose two-sidedness and highlight the light has: Studio or Classic.
    LightPreset base = LightPreset::Studio;
};
