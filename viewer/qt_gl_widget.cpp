#include "viewer/qt_gl_widget.h"

#include "clipping/plane_outline.h"
#include "viewer/gl_picking.h"

#include <GL/gl.h>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdio>

QtGLWidget::QtGLWidget(QWidget* parent, const char* name, QWidget* /*share*/)
    : QOpenGLWidget(parent) {
    if (name) setObjectName(name);
    startTimer(10);
    setMouseTracking(true);
    setAcceptDrops(true);
    connect(&tasks, &TaskRunner::ended, this, &QtGLWidget::run_deferred);
}

QtGLWidget::~QtGLWidget() = default;

void QtGLWidget::initializeGL() {
    arcball.set_bounds(500, 500);
    gl_initialise_state();
    gl_set_lighting(lighting);
    cleared_with = Qt::white;
    light_position = Vector(0, 0, 1, 0);
    light_position_slot(0, 180);
    view_width = width();
    view_height = height();
    // The document's planes start on the cube of edge 256 and its projection is
    // orthographic; the render mode starts at the polygons.
    show_changes(document.set_render_mode(RenderMode::Polygons).changed);
    changed();
}

// Sizes are in the window's logical pixels, as mouse positions are, so the picture
// looks the same at every screen scale; the frame itself has device pixels, and Qt
// sets the viewport to them before each frame.
void QtGLWidget::resizeGL(int w, int h) {
    if (w == 0) w = 1;
    if (h == 0) h = 1;
    gl_set_projection(w, h, document.projection);
    glViewport(0, 0, GLsizei(w * devicePixelRatio()), GLsizei(h * devicePixelRatio()));
    arcball.set_bounds(float(w), float(h));
    view_width = w;
    view_height = h;
    changed();
}

void QtGLWidget::paintGL() {
    frame_pending = false;
    FrameSettings s;
    s.render_mode = document.render_mode;
    s.projection_mode = document.projection;
    s.camera_distance = camera_distance;
    s.background[0] = float(background_colour.red()) / 255;
    s.background[1] = float(background_colour.green()) / 255;
    s.background[2] = float(background_colour.blue()) / 255;
    s.arcball_transform = arcball.transform;
    s.pan[0] = pan.x;
    s.pan[1] = pan.y;
    FrameLayers layers{clipping_layer(), representatives_layer(), mean_shift_layer()};
    gl_paint_frame(s, document.mesh, drawer, layers);
    ++frames_drawn;

    glGetDoublev(GL_MODELVIEW_MATRIX, frame_modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, frame_projection.data());
    glGetIntegerv(GL_VIEWPORT, frame_viewport.data());

    // A frame clears with the colour the one before it set: after a change of
    // background the next frame is the first to show it.
    QColor next_clear(background_colour.red(), background_colour.green(), background_colour.blue());
    if (cleared_with != next_clear) {
        cleared_with = next_clear;
        frame_pending = true;
    }
}

void QtGLWidget::timerEvent(QTimerEvent*) {
    if (frame_pending) update();
}

void QtGLWidget::changed() {
    frame_pending = true;
}

void QtGLWidget::bring_frame_up_to_date() {
    if (frame_pending && isVisible()) repaint();
    makeCurrent();
}

void QtGLWidget::toggle_projection() {
    Outcome r = document.toggle_projection();
    std::printf("projectionmode: %d\n", int(document.projection));
    show_changes(r.changed);
}

void QtGLWidget::set_render_mode(RenderMode mode) {
    show_changes(document.set_render_mode(mode).changed);
    // The menu's check follows even where the mode stays (a check moved by hand).
    emit render_mode_changed(int(document.render_mode));
}

void QtGLWidget::show_outcome(const Outcome& outcome) {
    show_changes(outcome.changed);
    if (!outcome) emit failure_signal(QString::fromStdString(outcome.error()));
}

void QtGLWidget::run_task(std::unique_ptr<Task> task, std::function<void(const Outcome&)> then,
                          bool at_once) {
    if (!then) then = [this](const Outcome& r) { show_outcome(r); };
    tasks.start(std::move(task), std::move(then), at_once);
}

bool QtGLWidget::deferred(std::function<void()> call, const char* key) {
    if (!busy()) return false;
    std::string k = key;
    if (!k.empty()) std::erase_if(waiting, [&](const auto& entry) { return entry.first == k; });
    waiting.emplace_back(std::move(k), std::move(call));
    return true;
}

// In order, until one of them begins a task of its own.
void QtGLWidget::run_deferred() {
    while (!busy() && !waiting.empty()) {
        std::function<void()> call = std::move(waiting.front().second);
        waiting.erase(waiting.begin());
        call();
    }
}

void QtGLWidget::show_changes(Changes c) {
    if (!c.any()) return;
    if (c.has(Change::Camera) && fit_on_open) fit_to_view();
    if (c.has(Change::Planes)) {
        follow_plane_selection();
        emit cutplanes_shown_signal(document.planes.first_selected());
    }
    if (c.has(Change::Projection) && context()) {
        makeCurrent();
        resizeGL(view_width, view_height);
    }
    if (c.has(Change::RenderMode)) emit render_mode_changed(int(document.render_mode));
    if (c.has(Change::History)) emit history_changed_signal();
    changed();
}

void QtGLWidget::follow_plane_selection() {
    mouse_target = document.planes.any_selected() ? MouseTarget::Planes : MouseTarget::Camera;
}

// Mouse: left turns the arcball (with Shift or Ctrl it pans), middle picks, right zooms;
// while the mouse works the clipping planes every button drives them instead.
void QtGLWidget::mousePressEvent(QMouseEvent* event) {
    Vector position(float(event->position().x()), float(event->position().y()), 0);
    Qt::MouseButton button = event->button();
    // The planes wait for no run: a drag begun now would end on other planes.
    bool planes = mouse_target == MouseTarget::Planes;
    if (planes && busy()) {
        last_mouse_position = position;
        return;
    }
    bool panning = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    if (button == Qt::LeftButton && !planes && panning) {
        pan_press(position);
    } else if (button == Qt::LeftButton) {
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
            int face = picked_face(int(position.x), int(position.y));
            auto select = [this, face] {
                show_changes(document.select_face(face).changed);
                std::printf("\nSelected: %d \n", document.mesh.selectedface);
                traverse_from_selection();
                changed();
                emit selection_signal(document.mesh.selectedface);
            };
            if (!deferred(select)) select();
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
    if (drag_mode == DragMode::Planes) {
        clipping_move(position);
    } else if (drag_mode == DragMode::Rotate) {
        if (arcball.dragging) changed();
        arcball.drag(position);
    } else if (drag_mode == DragMode::Zoom) {
        zoom_step(position);
    } else if (drag_mode == DragMode::Pan) {
        pan_step(position);
    }
    last_mouse_position = position;
}

void QtGLWidget::mouseReleaseEvent(QMouseEvent*) {
    drag_mode = DragMode::None;
    arcball.release();
    clipping_release();
}

// The wheel turned away from the user zooms in, towards the mesh point under the
// cursor where there is one: the pan keeps that point where it is on screen.
void QtGLWidget::wheelEvent(QWheelEvent* event) {
    double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    event->accept();
    Vector at(float(event->position().x()), float(event->position().y()), 0);
    std::optional<Vector> held = point_under(at);
    float before = camera_distance;
    set_camera_distance(zoom_in_by_wheel(camera_distance, notches, document.projection));
    if (!held) return;
    Vector seen = panned_point(document.mesh, arcball.transform, pan, *held);
    pan = pan_keeping_point(pan, seen, before, camera_distance, document.projection);
}

std::optional<Vector> QtGLWidget::point_under(const Vector& position) {
    if (document.mesh.nf == 0) return std::nullopt;
    bring_frame_up_to_date();
    double ratio = devicePixelRatio();
    return pick_point(document.mesh, frame_viewport, frame_modelview, frame_projection,
                      document.projection, view_height * ratio, position.x * ratio,
                      position.y * ratio);
}

// Perspective moves a point by less the farther it lies: the depth of the point grabbed
// (else of the mesh's centre) decides how far the mesh goes a pixel.
void QtGLWidget::pan_press(const Vector& position) {
    drag_mode = DragMode::Pan;
    pan_grab_z = 0;
    if (document.projection == Projection::Perspective)
        if (std::optional<Vector> grabbed = point_under(position))
            pan_grab_z = panned_point(document.mesh, arcball.transform, pan, *grabbed).z;
}

void QtGLWidget::pan_step(const Vector& position) {
    float dx = position.x - last_mouse_position.x, dy = last_mouse_position.y - position.y;
    if (dx == 0 && dy == 0) return;
    pan = pan_by_drag(pan, dx, dy, camera_distance, document.projection, view_height, pan_grab_z);
    changed();
}

void QtGLWidget::start_camera() {
    camera_distance = start_camera_distance;
    pan = Vector(0, 0, 0);
    changed();
}

void QtGLWidget::zoom_step(const Vector& position) {
    set_camera_distance(zoom_by_drag(camera_distance, last_mouse_position.y - position.y));
}

void QtGLWidget::set_camera_distance(float distance) {
    if (distance == camera_distance) return;
    camera_distance = distance;
    changed();
}

void QtGLWidget::fit_to_view() {
    pan = Vector(0, 0, 0);
    changed();
    // Before the first resize the projection's size is still the widget's.
    int w = view_width > 0 ? view_width : width(), h = view_height > 0 ? view_height : height();
    // The cube holds the mesh, so framing its corners frames both.
    Mesh cube;
    if (frame_clipping_cube)
        cube = cube_corner_mesh(document.planes.cube_corners, document.mesh.centre);
    const Mesh& framed = frame_clipping_cube ? cube : document.mesh;
    set_camera_distance(fit_camera_distance(framed, arcball.transform, document.projection, w, h));
}

void QtGLWidget::reset_view() {
    arcball = ArcBall();
    arcball.set_bounds(view_width > 0 ? float(view_width) : 500,
                       view_height > 0 ? float(view_height) : 500);
    changed();
    fit_to_view();
}

// Window positions are in logical pixels and the frame in device pixels.
int QtGLWidget::picked_face(int x, int y) {
    bring_frame_up_to_date();
    double ratio = devicePixelRatio();
    return pick_face(document.mesh, frame_viewport, frame_modelview, frame_projection,
                     document.projection, view_height * ratio, x * ratio, y * ratio);
}

void QtGLWidget::pick(int x, int y) {
    int face = picked_face(x, y);
    if (!deferred([this, face] { show_changes(document.select_face(face).changed); }))
        show_changes(document.select_face(face).changed);
}
