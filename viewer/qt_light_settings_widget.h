// QtLightSettingsWidget: the page of the lighting dialog with the light's three colours
// and its altitude and azimuth.
#pragma once

#include "core/vector.h"

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

    QLabel *ambient_swatch, *diffuse_swatch, *specular_swatch;
    QLabel *altitude_label, *azimuth_label;
    QSlider *l_altitude_slider, *l_azimuth_slider;
    QComboBox* volshader_combobox;

  signals:
    void light_position_signal(float altitude, float azimuth);
    void light_colour_signal(Vector ambient, Vector diffuse, Vector specular);
    void shader_signal(int);

  public slots:
    void load_event();
    void save_event();
    void amb_colourdlg_event();
    void dif_colourdlg_event();
    void spec_colourdlg_event();
    void l_altitude_event(int value);
    void l_azimuth_event(int value);
    void shader_combobox_event(int id);

  private:
    void choose_colour(QColor& colour, Vector& light, QLabel* swatch);
};
