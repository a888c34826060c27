#include "segmentation/qt_function_widget.h"

QtFunctionWidget::QtFunctionWidget(int w, int h, QWidget* parent, const char* name)
    : QLabel(parent), plot_width(w), plot_height(h), plot(w, h) {
    if (name) setObjectName(name);
    setFrameStyle(QFrame::Panel);
    setLineWidth(2);
    setAlignment(Qt::AlignCenter);
    setScaledContents(true);
    setMargin(0);
    plot.fill(Qt::black);
    setPixmap(plot);
}
