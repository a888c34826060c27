// QtFunctionWidget: the weight curve of the mean shift page, a curve over a black plot
// area. The user drags its four control points with the left button; when a drag ends
// it sends the curve's 101 points with the plot height to the view.
//
// The curve is the quadratic B-spline of the control points (clamped uniform knots),
// read at the 101 values of x from the plot's left side to its right one, each a
// hundredth of the radius further from the centre: point k weighs a member k hundredths
// of the radius from the centre by 1 - y / height, with y measured down from the plot's
// top, so a curve at the top weighs fully, at the bottom not at all. The control points
// keep their order from left to right, so that the curve has one height at every
// distance; what is drawn is the curve as sent.
#pragma once

#include "core/vector.h"

#include <QLabel>
#include <QPixmap>
#include <array>
#include <vector>

class QtFunctionWidget : public QLabel {
    Q_OBJECT

  public:
    QtFunctionWidget(int w, int h, QWidget* parent = nullptr, const char* name = nullptr);

    int plot_width, plot_height; // the widget's size at construction: the pixmap's size
    QPixmap plot;
    std::array<Vector, 4> control_points; // in pixmap pixels, y downwards
    std::vector<Vector> weight_curve;     // in pixmap pixels, y downwards: the 101 points
    int dragged = -1;                     // the control point being dragged, or -1

    // The plot area inside the pixmap: 0.8 of it, with margins of 0.1.
    QRectF plot_area() const;
    // The curve as sent: relative to the plot area's top left corner.
    std::vector<Vector> curve_points() const;
    // The plot area's height in pixels, sent with the curve.
    int curve_height() const;
    // Where a point of the widget falls in the pixmap (which is shown scaled).
    QPointF pixmap_point(QPointF widget_point) const;
    // Where a point of the pixmap is shown in the widget.
    QPointF widget_point(const Vector& pixmap_point) const;

  signals:
    void signal_function(std::vector<Vector> func, int sizey);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void draw();
};
