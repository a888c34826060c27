// The view's file operations: loading, saving, the frame as an image, drops, reload;
// and the history.
#include "core/mesh_file.h"
#include "qtshared/image_files.h"
#include "viewer/gl_frame_grab.h"
#include "viewer/qt_gl_widget.h"

#include <GL/gl.h>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <cstdio>
#include <memory>

IoResult QtGLWidget::load_file(const QString& name, bool at_once) {
    if (deferred([this, name] { load_file(name); })) return IoResult::success();
    auto result = std::make_shared<IoResult>();
    run_task(
        document.open_task(name.toStdString(), OpenRule::NeedsFaces),
        [this, name, result](const Outcome& r) {
            *result = r.result;
            if (!r) {
                std::fprintf(stderr, "%s\n", r.error().c_str());
                emit open_failed_signal(name, QString::fromStdString(r.error()));
                return;
            }
            file_name = name;
            if (!fit_on_open) start_camera();
            emit buildtree_signal(document.morphogens.names);
            show_changes(r.changed);
        },
        at_once);
    return busy() ? IoResult::success() : *result;
}

QString QtGLWidget::obj_file_name(const QString& name) {
    return name.contains(".obj", Qt::CaseInsensitive) ? name : name + ".obj";
}

QString QtGLWidget::mesh_file_name(const QString& name, SaveFormat filter) {
    if (extension_format(name.toStdString()) != SaveFormat::Unknown) return name;
    if (filter == SaveFormat::Obj) return obj_file_name(name);
    return name + format_info(filter).extension;
}

IoResult QtGLWidget::save_file(const QString& name, SaveFormat filter) {
    if (deferred([this, name, filter] { save_file(name, filter); })) return IoResult::success();
    QString path = mesh_file_name(name, filter);
    if (IoResult r = document.inputs.allow_writing(path.toStdString(), FileKind::Mesh); !r) {
        emit failure_signal(QString::fromStdString(r.error));
        return r;
    }
    file_name = path;
    const std::string target = path.toStdString();
    // A name that only contains ".obj" ("x.obj.txt") is OBJ, as it always was.
    SaveFormat format = extension_format(target);
    if (format == SaveFormat::Unknown) format = SaveFormat::Obj;
    const bool colours = !document.mesh.has_default_colours();
    QString lost = QString::fromStdString(not_kept(document.mesh, target, format, colours));
    auto result = std::make_shared<IoResult>();
    run_task(document.save_task(target, colours, format), [this, result, lost](const Outcome& r) {
        *result = r.result;
        if (r) {
            if (!lost.isEmpty()) emit warning_signal(lost);
            return;
        }
        std::fprintf(stderr, "%s\n", r.error().c_str());
        emit failure_signal(QString::fromStdString(r.error()));
    });
    return busy() ? IoResult::success() : *result;
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

namespace {

// The first file of a drop, when it is one the readers take and may read; else empty.
QString dropped_mesh_file(const QMimeData* dropped) {
    if (!dropped->hasUrls() || dropped->urls().isEmpty()) return {};
    QString name = dropped->urls().first().toLocalFile();
    QFileInfo file(name);
    if (name.isEmpty() || !file.isFile() || !file.isReadable()) return {};
    return mesh_format(name.toStdString()) == MeshFormat::None ? QString() : name;
}

// A drop is taken as a copy, so that the source never goes: a move would let the file
// manager delete it.
bool accept_as_copy(QDropEvent* event) {
    if (!(event->possibleActions() & Qt::CopyAction) ||
        dropped_mesh_file(event->mimeData()).isEmpty()) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

} // namespace

void QtGLWidget::dragEnterEvent(QDragEnterEvent* event) {
    accept_as_copy(event);
}

void QtGLWidget::dropEvent(QDropEvent* event) {
    if (accept_as_copy(event)) emit dragndrop_signal(dropped_mesh_file(event->mimeData()));
}

void QtGLWidget::reload_slot() {
    if (deferred([this] { reload_slot(); })) return;
    run_task(document.reload_task(), [this](const Outcome& r) {
        if (r.changed.has(Change::Geometry)) emit buildtree_signal(document.morphogens.names);
        if (r.changed.has(Change::Camera) && !fit_on_open) start_camera(); // as an open
        show_outcome(r);
        if (!context()) return;
        makeCurrent();
        glInitNames();
    });
}

// An undone step may bring back another morphogen setting or number of patches: the
// pages show them as they are, sending nothing back.
Outcome QtGLWidget::show_history_step(Outcome r) {
    show_changes(r.changed);
    if (r.changed.has(Change::ToolLists) || r.changed.has(Change::Geometry)) {
        emit morphogens_shown_signal(document.morphogens);
        emit patches_shown_signal(document.classifier.patch_count);
    }
    return r;
}

Outcome QtGLWidget::undo() {
    if (busy()) return Outcome::failure("Wait: " + tasks.title().toStdString() + " runs");
    return show_history_step(document.undo());
}

Outcome QtGLWidget::redo() {
    if (busy()) return Outcome::failure("Wait: " + tasks.title().toStdString() + " runs");
    return show_history_step(document.redo());
}
