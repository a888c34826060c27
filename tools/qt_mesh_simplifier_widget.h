// QtMeshSimplifierWidget: the level of detail of the simplification tool.
#pragma once

#include <QWidget>

class QLabel;
class QSlider;

class QtMeshSimplifierWidget : public QWidget {
    Q_OBJECT

  public:
    explicit QtMeshSimplifierWidget(QWidget* parent = nullptr, const char* name = nullptr);

    float lod = 75; // percent
    QLabel* lod_label;
    QSlider* threshmin_slider;

    void apply() { emit simplifySignal(lod); }

  signals:
    void simplifySignal(float);

  public slots:
    void lodEvent(int sliderval);
};
