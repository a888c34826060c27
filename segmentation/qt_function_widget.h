// QtFunctionWidget: the weight curve of the mean shift page, a curve over a black plot
// area. It sends the curve's points with the plot height to the view.
#pragma once

#include "core/vector.h"

#include <QLabel>
#include <QPixmap>
#include <vector>

class QtFunctionWidget : public QLabel {
    Q_OBJECT

  public:
    QtFunctionWidget(int w, int h, QWidget* parent = nullptr, const char* name = nullptr);

    int plot_width, plot_height; // the widget's size at construction
    QPixmap plot;
    std::vector<Vector> weight_curve; // in widget pixels, y downwards

  signals:
    void signal_function(std::vector<Vector> func, int sizey);
};
