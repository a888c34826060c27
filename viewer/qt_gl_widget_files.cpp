// The view's file operations: loading, saving, the frame as an image, drops, reload.
#include "core/mesh_file.h"
#include "qtshared/image_files.h"
#include "viewer/gl_frame_grab.h"
#include "viewer/qt_gl_widget.h"

#include <GL/gl.h>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

// The morphogens travel with the kept copy, which copy_from leaves out.
void copy_morphogens(Mesh& to, const Mesh& from) {
    to.morphogens = from.morphogens;
    to.morphogen_names = from.morphogen_names;
}

} // namespace

IoResult QtGLWidget::load_file(const QString& name) {
    // Read and built aside, so that the mesh shown stays when the file fails or memory
    // runs out.
    Mesh loaded;
    std::string path = name.toStdString();
    IoResult r = load_mesh_file(loaded, path);
    // A file of points or lines alone would leave nothing to show or work on.
    if (r && loaded.nf == 0) r = IoResult::failure(path + " holds no faces");
    if (!r) {
        std::fprintf(stderr, "%s\n", r.error.c_str());
        return r;
    }
    file_name = name;
    mesh = std::move(loaded);
    classifier.reset();
    if (mesh_format(path) == MeshFormat::Obj) emit buildtree_signal(mesh.morphogen_names);
    loaded_mesh.copy_from(mesh);
    copy_morphogens(loaded_mesh, mesh);
    selection_faces_version = mesh.faces_version;
    set_clipping_cube(cube_size_around(mesh));
    if (fit_on_open)
        fit_to_view();
    else
        camera_distance = start_camera_distance;
    changed();
    return r;
}

QString QtGLWidget::obj_file_name(const QString& name) {
    return name.contains(".obj", Qt::CaseInsensitive) ? name : name + ".obj";
}

IoResult QtGLWidget::save_file(const QString& name) {
    file_name = obj_file_name(name);
    IoResult r = mesh.save_obj(file_name.toStdString(), !mesh.has_default_colours());
    if (!r) std::fprintf(stderr, "%s\n", r.error.c_str());
    return r;
}

// The frame has device pixels: the window's size times the screen's scale.
QImage QtGLWidget::grab_frame() {
    bring_frame_up_to_date();
    int w = frame_viewport[2], h = frame_viewport[3];
    if (w <= 0 || h <= 0) {
        w = int(view_width * devicePixelRatio());
        h = int(view_height * devicePixelRatio());
    }
    return frame_image(gl_read_frame(w, h), w, h);
}

void QtGLWidget::dragEnterEvent(QDragEnterEvent* event) {
    for (const QString& format : event->mimeData()->formats())
        if (format.startsWith("text/")) {
            event->acceptProposedAction();
            return;
        }
}

void QtGLWidget::dropEvent(QDropEvent* event) {
    const QMimeData* dropped = event->mimeData();
    if (!dropped->hasUrls() || dropped->urls().isEmpty()) return;
    emit dragndrop_signal(dropped->urls().first().toLocalFile());
}

// Before any file was loaded there is nothing to restore (a load keeps only meshes
// with faces).
void QtGLWidget::reload_slot() {
    if (loaded_mesh.nf == 0) return;
    mesh.copy_from(loaded_mesh);
    copy_morphogens(mesh, loaded_mesh);
    classifier.reset();
    mesh.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB});
    fit_clipping_cube();
    faces_replaced();
    if (!context()) return;
    makeCurrent();
    glInitNames();
}
