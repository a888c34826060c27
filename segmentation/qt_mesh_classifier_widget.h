// QtMeshClassifierWidget: the patch classification page. It starts a classification,
// loads and saves the shortest path table, chooses its mode and the weight of the
// centroid distance, shows the number of patches found and asks for another number,
// and browses the patches.
#pragma once

#include "qtshared/tool_panel.h"

#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class QtMeshClassifierWidget : public ToolPanel {
    Q_OBJECT

  public:
    explicit QtMeshClassifierWidget(QWidget* parent = nullptr, const char* name = nullptr);

    int current_patch = 0;
    int patch_threshold = 1;
    float weight = 0.5f;
    int number_of_patches = 1;
    QLabel *numpatches_label, *weight_label, *patchthreshold_label;
    QSlider *threshmin_slider, *weight_slider, *patchthreshold_slider;
    QPushButton *floyd_button, *djikstra_button;
    // "Classify a simplified copy of N faces", for meshes whose table would not fit.
    QCheckBox* proxy_checkbox;
    QSpinBox* proxy_spinbox;

    // Starts a classification.
    void apply() override { emit meshclassify_signal(); }

    // What the load and save dialogs' answers lead to.
    void load_table_file(const QString& name);
    void save_table_file(const QString& name);

  signals:
    void meshclassify_signal();
    void numpatches_signal(int);
    void previouspatch_signal(int);
    void nextpatch_signal(int);
    void patchthresh_signal(int);
    void weight_signal(float);
    void sp_mode_signal(int);
    void loadsp_signal(QString);
    void savesp_signal(QString);
    // "Mark Current": the current patch's faces become a segment.
    void markcurrent_signal();
    // The faces of the simplified copy to classify, 0 for the mesh itself.
    void proxy_signal(int faces);

  public slots:
    void numbpatchesEvent(int sliderval);
    // Shows the view's number of patches (an undone classification), sending nothing.
    void show_patches_event(int patches);
    void previousEvent();
    void nextEvent();
    void patchthreshEvent(int sliderval);
    void markcurrentEvent();
    void weightEvent(int sliderval);
    void loadEvent();
    void saveEvent();
    void floydEvent();
    void djikstraEvent();
    void proxyEvent();
};
