#include "segmentation/qt_function_widget.h"

#include "segmentation/weight_curve.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

// How near (in pixmap pixels) a press must come to a control point to take it.
constexpr double grab_distance = 10;

} // namespace

QtFunctionWidget::QtFunctionWidget(int w, int h, QWidget* parent, const char* name)
    : QLabel(parent), plot_width(w), plot_height(h), plot(w, h) {
    if (name) setObjectName(name);
    setFrameStyle(QFrame::Panel);
    setLineWidth(2);
    setAlignment(Qt::AlignCenter);
    setScaledContents(true);
    setMargin(0);
    setCursor(Qt::CrossCursor);
    setToolTip("Weight curve: drag the points with the left button. From left to right the "
               "distance from the search centre, from 0 to the radius; a member counts fully "
               "where the curve is at the top and not at all at the bottom.");
    // A hump from the lower left corner of the plot area to its top and down to the
    // lower right corner.
    float fw = float(w), fh = float(h);
    control_points = {Vector(0.1f * fw, 0.1f * fh + 0.8f * fh),
                      Vector(0.1f * fw + 0.2f * fw, 0.1f * fh),
                      Vector(0.1f * fw + 0.6f * fw, 0.1f * fh),
                      Vector(0.1f * fw + 0.8f * fw, 0.1f * fh + 0.8f * fh)};
    draw();
}

QRectF QtFunctionWidget::plot_area() const {
    return {0.1 * plot_width, 0.1 * plot_height, 0.8 * plot_width, 0.8 * plot_height};
}

std::vector<Vector> QtFunctionWidget::curve_points() const {
    QRectF area = plot_area();
    std::vector<Vector> points;
    for (const Vector& p : weight_curve)
        points.emplace_back(p.x - float(area.left()), p.y - float(area.top()));
    return points;
}

int QtFunctionWidget::curve_height() const {
    return int(std::lround(plot_area().height()));
}

QPointF QtFunctionWidget::pixmap_point(QPointF p) const {
    QRect shown = contentsRect();
    if (shown.width() <= 0 || shown.height() <= 0) return p;
    return {(p.x() - shown.left()) * plot_width / shown.width(),
            (p.y() - shown.top()) * plot_height / shown.height()};
}

QPointF QtFunctionWidget::widget_point(const Vector& p) const {
    QRect shown = contentsRect();
    return {shown.left() + double(p.x) * shown.width() / plot_width,
            shown.top() + double(p.y) * shown.height() / plot_height};
}

void QtFunctionWidget::mousePressEvent(QMouseEvent* event) {
    dragged = -1;
    if (event->button() != Qt::LeftButton) return;
    QPointF at = pixmap_point(event->position());
    double nearest = grab_distance;
    for (int i = 0; i < 4; ++i) {
        double d = std::hypot(at.x() - control_points[i].x, at.y() - control_points[i].y);
        if (d <= nearest) {
            nearest = d;
            dragged = i;
        }
    }
    if (dragged >= 0) draw();
}

// The point stays in the plot area; the end points stay at its left and right sides, so
// that the curve always spans the distances from the centre to the radius, and the
// inner points stay between their neighbours, so that it never turns back.
void QtFunctionWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragged < 0) return;
    QRectF area = plot_area();
    QPointF at = pixmap_point(event->position());
    Vector& p = control_points[size_t(dragged)];
    if (dragged != 0 && dragged != 3) {
        double left = control_points[size_t(dragged - 1)].x;
        double right = control_points[size_t(dragged + 1)].x;
        p.x = float(std::clamp(at.x(), left, right));
    }
    p.y = float(std::clamp(at.y(), area.top(), area.bottom()));
    draw();
}

void QtFunctionWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragged < 0) return;
    dragged = -1;
    draw();
    emit signal_function(curve_points(), curve_height());
}

void QtFunctionWidget::draw() {
    // Finely sampled first, so that reading it by x loses nothing one can see.
    QRectF area = plot_area();
    weight_curve = resample_by_x(quadratic_bspline(control_points, 20 * weight_curve_points),
                                 float(area.left()), float(area.right()), weight_curve_points);
    plot.fill(Qt::black);
    QPainter painter(&plot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.drawRect(area);

    QPolygonF polygon, curve;
    for (const Vector& p : control_points) polygon << QPointF(p.x, p.y);
    for (const Vector& p : weight_curve) curve << QPointF(p.x, p.y);
    painter.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    painter.drawPolyline(polygon);
    painter.setPen(QPen(QColor(255, 236, 140), 2));
    painter.drawPolyline(curve);

    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(i == dragged ? QColor(255, 140, 0) : QColor(220, 220, 255));
        painter.drawRect(QRectF(control_points[i].x - 3.5, control_points[i].y - 3.5, 7, 7));
    }
    painter.end();
    setPixmap(plot);
}
