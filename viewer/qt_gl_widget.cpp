#include "viewer/qt_gl_widget.h"

#include "core/mesh_file.h"
#include "terrain/colour_map.h"
#include "viewer/frame_image.h"
#include "viewer/picking.h"

#include <GL/gl.h>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <algorithm>
#include <cstdio>

QtGLWidget::QtGLWidget(QWidget* parent, const char* name, QWidget* /*share*/)
    : QOpenGLWidget(parent) {
    if (name) setObjectName(name);
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
    render_mode = 4;
    clipping_cube_size = 256;
    projection_mode = 1;
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
    gl_paint_frame(s, mesh, drawer);

    glGetDoublev(GL_MODELVIEW_MATRIX, frame_modelview.data());
    glGetDoublev(GL_PROJECTION_MATRIX, frame_projection.data());
    glGetIntegerv(GL_VIEWPORT, frame_viewport.data());
}

void QtGLWidget::timerEvent(QTimerEvent*) {
    update();
}

void QtGLWidget::toggle_projection() {
    projection_mode = projection_mode == 0 ? 1 : 0;
    std::printf("projectionmode: %d\n", projection_mode);
    makeCurrent();
    resizeGL(view_width, view_height);
    update();
}

// Mouse: left turns the arcball, middle picks, right zooms; while the mouse works the
// clipping planes every button drives them instead.
void QtGLWidget::mousePressEvent(QMouseEvent* event) {
    Vector position(float(event->position().x()), float(event->position().y()), 0);
    Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton) {
        drag_mode = mouse_target == 1 ? 1 : 0;
        if (mouse_target == 0) arcball.click(position);
    } else if (button == Qt::MiddleButton) {
        drag_mode = mouse_target == 1 ? 1 : 0;
        if (mouse_target == 0) {
            pick(int(position.x), int(position.y));
            std::printf("\nSelected: %d \n", mesh.selectedface);
            if (mesh.selectedface >= 1 && mesh.selectedface <= mesh.nf) traverse_from_selection();
        }
    } else if (button == Qt::RightButton) {
        drag_mode = mouse_target == 1 ? 1 : 2;
        if (mouse_target == 0) zoom_step(position);
    }
    last_mouse_position = position;
}

void QtGLWidget::mouseMoveEvent(QMouseEvent* event) {
    Vector position(float(event->position().x()), float(event->position().y()), 0);
    if (drag_mode == 0)
        arcball.drag(position);
    else if (drag_mode == 2)
        zoom_step(position);
    last_mouse_position = position;
}

void QtGLWidget::mouseReleaseEvent(QMouseEvent*) {
    drag_mode = -1;
    arcball.release();
}

void QtGLWidget::zoom_step(const Vector& position) {
    float step = last_mouse_position.y - position.y;
    camera_distance += step * 0.1f;
}

void QtGLWidget::pick(int x, int y) {
    pick_face(mesh, frame_viewport, frame_modelview, frame_projection, projection_mode, view_height,
              x, y);
}

// The edge traversal from the picked face comes with the traversal tool.
void QtGLWidget::traverse_from_selection() {}

IoResult QtGLWidget::load_file(const QString& name) {
    Mesh loaded;
    std::string path = name.toStdString();
    IoResult r = read_mesh_file(loaded, path);
    if (!r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return r;
    }
    file_name = name;
    mesh = std::move(loaded);
    if (mesh_format(path) == MeshFormat::Obj) emit buildtree_signal(mesh.morphogen_names);
    build_loaded_mesh(mesh);
    loaded_mesh.copy_from(mesh);
    const Vector& top = mesh.bbox[1];
    clipping_cube_size = std::max({0.0f, 4 * top.x, 4 * top.y, 4 * top.z});
    camera_distance = -200;
    update();
    return r;
}

IoResult QtGLWidget::save_file(const QString& name) {
    file_name = name;
    if (!file_name.contains(".obj")) file_name += ".obj";
    IoResult r = mesh.save_obj(file_name.toStdString());
    if (!r) std::fprintf(stderr, "%s\n", r.error.c_str());
    return r;
}

// Writing the segments comes with the segmentation tools.
void QtGLWidget::save_all() {}

QImage QtGLWidget::grab_frame() {
    makeCurrent();
    QImage image = grab_frame_image(view_width, view_height);
    return image;
}

void QtGLWidget::dragEnterEvent(QDragEnterEvent* event) {
    for (const QString& format : event->mimeData()->formats())
        if (format.startsWith("text/")) {
            event->acceptProposedAction();
            return;
        }
}

void QtGLWidget::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data->hasUrls() || data->urls().isEmpty()) return;
    emit dragndrop_signal(data->urls().first().toLocalFile());
}

void QtGLWidget::reload_slot() {
    mesh.copy_from(loaded_mesh);
    mesh.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB});
    if (!context()) return;
    makeCurrent();
    glInitNames();
}

void QtGLWidget::light_colour_slot(Vector amb, Vector diff, Vector specular) {
    if (!context()) return;
    makeCurrent();
    gl_set_light_colours(amb, diff, specular);
}

void QtGLWidget::light_position_slot(float alti, float azim) {
    light_position = light_direction(alti, azim);
    // Outside a frame the model-view matrix is the one the last frame left; inside the
    // GL initialisation it is the identity.
    if (!context()) return;
    makeCurrent();
    gl_set_light_position(light_position);
}

// The tools' slots below are filled in by the tools that drive them.
void QtGLWidget::smooth_slot(float, float) {}
void QtGLWidget::subdivide_slot(int, float) {}
void QtGLWidget::edgetraversal_slot(int, int) {}
void QtGLWidget::markcurrent_slot() {}
void QtGLWidget::meshclassify_slot() {}
void QtGLWidget::numpatches_slot(int) {}
void QtGLWidget::previouspatch_slot(int) {}
void QtGLWidget::nextpatch_slot(int) {}
void QtGLWidget::patchthresh_slot(int) {}
void QtGLWidget::weight_slot(float) {}
void QtGLWidget::sp_mode_slot(int) {}
void QtGLWidget::loadsp_slot(QString) {}
void QtGLWidget::savesp_slot(QString) {}
void QtGLWidget::mshift_slot(Vector, int) {}
void QtGLWidget::mshiftrad_slot(Vector, int) {}
void QtGLWidget::mshiftstep_slot(Vector) {}
void QtGLWidget::function_slot(std::vector<Vector>, int) {}
void QtGLWidget::cutplane_select_slot(int) {}
void QtGLWidget::cutplane_invert_slot(int) {}
void QtGLWidget::cutplane_load_slot(QString) {}
void QtGLWidget::cutplane_save_slot(QString) {}
void QtGLWidget::cutplane_showall_slot(int) {}
void QtGLWidget::cutplane_resetall_slot() {}
void QtGLWidget::cutplane_resetcurrent_slot() {}
void QtGLWidget::buildvertexcolour_slot(int, std::vector<int>, std::vector<QColor>, QColor) {}
void QtGLWidget::build_vertexcoloursterrain_slot(std::vector<QColor> colours,
                                                 std::vector<float> values) {
    std::vector<Rgb> rgb;
    for (const QColor& c : colours) rgb.push_back({c.red(), c.green(), c.blue()});
    colour_by_height(mesh, colour_vectors(rgb), values);
}
void QtGLWidget::simplify_slot(float) {}
