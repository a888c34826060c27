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
    classifier.reset();
    if (mesh_format(path) == MeshFormat::Obj) emit buildtree_signal(mesh.morphogen_names);
    build_loaded_mesh(mesh);
    loaded_mesh.copy_from(mesh);
    loaded_mesh.morphogens = mesh.morphogens; // the geometry copy leaves them out
    set_clipping_cube(cube_size_around(mesh));
    camera_distance = -200;
    changed();
    return r;
}

IoResult QtGLWidget::save_file(const QString& name) {
    file_name = name;
    if (!file_name.contains(".obj")) file_name += ".obj";
    IoResult r = mesh.save_obj(file_name.toStdString());
    if (!r) std::fprintf(stderr, "%s\n", r.error.c_str());
    return r;
}

QImage QtGLWidget::grab_frame() {
    makeCurrent();
    return frame_image(gl_read_frame(view_width, view_height), view_width, view_height);
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

void QtGLWidget::reload_slot() {
    mesh.copy_from(loaded_mesh);
    mesh.morphogens = loaded_mesh.morphogens; // the morphogen page's names still apply
    classifier.reset();
    mesh.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB});
    fit_clipping_cube();
    changed();
    if (!context()) return;
    makeCurrent();
    glInitNames();
}
