// Helpers of the desktop application's tests.
#pragma once

#include "core/vostrel.h"
#include "qtshared/image_files.h"
#include "tests/gui/immediate_drawer.h"
#include "viewer/gl_frame.h"
#include "viewer/gl_frame_grab.h"
#include "viewer/qt_gl_context.h"
#include "viewer/qt_gl_widget.h"

#include <GL/glu.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

// A file's bytes, empty when it cannot be read.
inline QByteArray file_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void write_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline void use_test_gl_format() {
    use_compatibility_gl_format();
}

// Every test class of the program by its class name; main() runs one of them (ctest
// runs each as an entry of its own) or all.
struct GuiTest {
    const char* name;
    std::function<std::unique_ptr<QObject>()> make;
};
inline std::vector<GuiTest>& gui_tests() {
    static std::vector<GuiTest> tests;
    return tests;
}
template <typename Test>
struct RegisterGuiTest {
    RegisterGuiTest() {
        gui_tests().push_back(
            {Test::staticMetaObject.className(), [] { return std::make_unique<Test>(); }});
    }
};

// Puts a remembered setting back as it was before the test (absent if it was).
// The pixel tests were written for the original light: windows start with the Classic
// preset, and so do the views of ViewFixture, unless a test chooses another.
inline void start_with_classic_light() {
    QSettings settings;
    settings.remove("lighting");
    settings.setValue("lighting/preset", "Classic");
}

class KeptSetting {
  public:
    explicit KeptSetting(const char* key) : name(key), before(QSettings().value(key)) {}
    ~KeptSetting() {
        if (before.isValid())
            QSettings().setValue(name, before);
        else
            QSettings().remove(name);
    }
    KeptSetting(const KeptSetting&) = delete;
    KeptSetting& operator=(const KeptSetting&) = delete;

  private:
    QString name;
    QVariant before;
};

// A red square of side 0.9 around the origin, drawn 180 pixels wide at the start distance.
inline const char* square_with_colours =
    "v -0.45 -0.45 0\nvc 1 0 0\nv 0.45 -0.45 0\nvc 1 0 0\n"
    "v 0.45 0.45 0\nvc 1 0 0\nv -0.45 0.45 0\nvc 1 0 0\nf 1 2 3 4\n";

class TempFolder {
  public:
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }

  private:
    QTemporaryDir dir;
};

// What the program prints on standard output while alive (at the descriptor, so that
// printf and the core's console are both caught).
class StdoutCapture {
  public:
    StdoutCapture() {
        std::fflush(stdout);
        saved = dup(1);
        file = std::tmpfile();
        dup2(fileno(file), 1);
    }
    ~StdoutCapture() {
        restore();
        std::fclose(file);
    }
    QString text() {
        restore();
        std::rewind(file);
        QByteArray bytes;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) bytes.append(buf, qsizetype(n));
        return QString::fromLocal8Bit(bytes);
    }

  private:
    void restore() {
        if (saved < 0) return;
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
        saved = -1;
    }
    int saved = -1;
    std::FILE* file;
};

// A menu's items as "text|shortcut", separators as "-".
inline QStringList menu_items(QMenu* menu) {
    QStringList items;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            items << "-";
        else if (a->shortcut().isEmpty())
            items << a->text();
        else
            items << a->text() + "|" + a->shortcut().toString();
    }
    return items;
}

// Delivers a mouse event at once, as the window system would.
inline void send_mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, modifiers);
    QApplication::sendEvent(w, &event);
}

inline void load_obj_quietly(Mesh& m, const char* text) {
    StdoutCapture quiet;
    m.load_obj_text(text, "test.obj");
    build_loaded_mesh(m);
}

inline int run_cli(const QStringList& args) {
    QProcess cli;
    cli.start(VOSTREL_CLI, args);
    if (!cli.waitForFinished(60000)) return -1;
    if (cli.exitCode() != 0) qWarning("%s", cli.readAllStandardError().constData());
    return cli.exitCode();
}

// Answers the next modal dialog of type T once it is open, looking for it every few
// milliseconds for as long as it takes to appear.
template <typename T>
void when_open(std::function<void(T*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(dialog);
    });
    timer->start();
}

// The smallest rectangle holding every pixel that differs from the background.
inline QRect drawn_area(const QImage& image, QColor background) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) area |= QRect(x, y, 1, 1);
    return area;
}

// A view of its own, shown at a fixed size. Meshes load at the start distance (the
// fixture's tests place their meshes by it) unless a test asks for fitting.
class ViewFixture {
  public:
    ViewFixture(int w, int h) {
        view = new QtGLWidget(nullptr, "glbox1");
        view->lighting = preset_lighting(LightPreset::Classic);
        view->fit_on_open = false;
        view->resize(w, h);
        view->show();
        if (!QTest::qWaitForWindowExposed(view)) qWarning("view not exposed");
        view->grabFramebuffer();
    }
    ~ViewFixture() { delete view; }

    void load(const char* obj_text) {
        QString path = dir.file("mesh.obj");
        std::ofstream(path.toStdString()) << obj_text;
        load_file(path);
    }
    void load_file(const QString& path) {
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(path)));
    }

    // The frame the view draws now (two frames, so that a new background shows).
    QImage frame() {
        view->grabFramebuffer();
        view->grabFramebuffer();
        return view->grab_frame();
    }

    // The same frame drawn with one begin/end block per face.
    QImage frame_immediate() {
        view->makeCurrent();
        FrameSettings s;
        s.render_mode = view->document.render_mode;
        s.projection_mode = view->document.projection;
        s.camera_distance = view->camera_distance;
        s.background[0] = float(view->background_colour.redF());
        s.background[1] = float(view->background_colour.greenF());
        s.background[2] = float(view->background_colour.blueF());
        s.arcball_transform = view->arcball.transform;
        ImmediateDrawer immediate;
        gl_paint_frame(s, view->document.mesh, immediate);
        gl_paint_frame(s, view->document.mesh, immediate);
        return frame_image(gl_read_frame(view->view_width, view->view_height), view->view_width,
                           view->view_height);
    }

    // The frame's pixel (y downwards; device pixels, the window's at scale 1) where a
    // mesh point is drawn in the last frame.
    QPoint pixel_of(const Vector& p) const {
        const Vector& c = view->document.mesh.centre;
        double wx, wy, wz;
        gluProject(p.x - c.x, p.y - c.y, p.z - c.z, view->frame_modelview.data(),
                   view->frame_projection.data(), view->frame_viewport.data(), &wx, &wy, &wz);
        return QPoint(int(wx), int(view->frame_viewport[3] - wy));
    }
    // The window position (logical pixels, as the mouse gives them) of that pixel.
    QPoint mouse_position_of(const Vector& p) const {
        QPoint pixel = pixel_of(p);
        double ratio = view->devicePixelRatio();
        return QPoint(int(pixel.x() / ratio), int(pixel.y() / ratio));
    }

    QtGLWidget* view;

  private:
    TempFolder dir;
};
