#include "viewer/qt_gl_widget.h"

#include "viewer/gl_picking.h"

#include <GL/gl.h>
#include <QMouseEvent>
#include <cstdio>

QtGLWidget::QtGLWidget(QWidget* parent, const char* name, QWidget* /*share*/)
    : QOpenGLWidget(parent) {
    if (name) setObjectName(name);
    classifier.attach(mesh);
    startTimer(10);
    setMouseTracking(true);
    setAcceptDrops(true);
}

QtGLWidget::~QtGLWidget() = default;

void QtGLWidget::initializeGL() {
    arcball.set_bounds(500, 500);
    gl_initialise_state();
    light_position = Vector(0, 0, 1, 0);
    light_position_slot(0, 180);
    view_width = width();
    view_height = height();
    render_mode = RenderMode::Polygons;
    set_clipping_cube(256);
    projection_mode = Projection::Orthographic;
}

void QtGLWidget::resizeGL(int w, int h) {
    if (w == 0) w = 1;
    if (h == 0) h = 1;
    gl_set_projection(w, h, projection_mode);
    arcball.set_bounds(float(w), float(h));
    view_width = w;
    view_height = h;
}

void QtGLWidget::paintGL() {
    FrameSettings s;
    s.render_mode = render_mode;
    s.projection_mode = projection_mode;
    s.camera_distance = camera_distance;
    s.background[0] = float(background_colour.red()) / 255;
    s.background[1] = float(background_colour.green()) / 255;
    s.background[2] = float(background_colour.blue()) / 255;
    s.arcball_transform = arcball.transform;
    FrameLayers layers{clipping_layer(), representatives_layer(), mean_shift_layer()};
    gl_paint_frame(s, mesh, drawer, layers);

    glGetDoublev(GL_MODELVIEW_MATRIX, frame_modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, frame_projection.data());
    glGetIntegerv(GL_VIEWPORT, frame_viewport.data());
}

void QtGLWidget::timerEvent(QTimerEvent*) {
    update();
}

void QtGLWidget::toggle_projection() {
    projection_mode = projection_mode == Projection::Perspective ? Projection::Orthographic
                                                                 : Projection::Perspective;
    std::printf("projectionmode: %d\n", int(projection_mode));
    makeCurrent();
    resizeGL(view_width, view_height);
    update();
}

void QtGLWidget::changed() {
    update();
}

void QtGLWidget::set_render_mode(RenderMode mode) {
    render_mode = mode;
    changed();
    emit render_mode_changed(int(mode));
}

// Mouse: left turns the arcball, middle picks, right zooms; while the mouse works the
// clipping planes every button drives them instead.
void QtGLWidget::mousePressEvent(QMouseEvent* event) {
    Vector position(float(event->position().x()), float(event->position().y()), 0);
    Qt::MouseButton button = event->button();
    bool planes = mouse_target == MouseTarget::Planes;
    if (button == Qt::LeftButton) {
        drag_mode = planes ? DragMode::Planes : DragMode::Rotate;
        if (planes)
            clipping_press(1, position);
        else
            arcball.click(position);
    } else if (button == Qt::MiddleButton) {
        drag_mode = planes ? DragMode::Planes : DragMode::Rotate;
        if (planes) {
            clipping_press(2, position);
        } else {
            pick(int(position.x), int(position.y));
            std::printf("\nSelected: %d \n", mesh.selectedface);
            if (mesh.selectedface >= 1 && mesh.selectedface <= mesh.nf) traverse_from_selection();
        }
    } else if (button == Qt::RightButton) {
        drag_mode = planes ? DragMode::Planes : DragMode::Zoom;
        if (planes)
            clipping_press(3, position);
        else
            zoom_step(position);
    }
    last_mouse_position = position;
}

void QtGLWidget::mouseMoveEvent(QMouseEvent* event) {
    Vector position(float(event->position().x()), float(event->position().y()), 0);
    if (drag_mode == DragMode::Planes)
        clipping_move(position);
    else if (drag_mode == DragMode::Rotate)
        arcball.drag(position);
    else if (drag_mode == DragMode::Zoom)
        zoom_step(position);
    last_mouse_position = position;
}

void QtGLWidget::mouseReleaseEvent(QMouseEvent*) {
    drag_mode = DragMode::None;
    arcball.release();
    clipping_release();
}

void QtGLWidget::zoom_step(const Vector& position) {
    float step = last_mouse_position.y - position.y;
    camera_distance += step * 0.1f;
}

void QtGLWidget::pick(int x, int y) {
    pick_face(mesh, frame_viewport, frame_modelview, frame_projection, projection_mode, view_height,
              x, y);
}

void QtGLWidget::faces_replaced() {
    mesh.selectedface = -1;
}
