// Framing, zoom and pan in the window: Fit Mesh to View, Reset View, Fit on Open and its
// remembered setting, the wheel towards the cursor, Shift or Ctrl with the left button
// panning, Reload framing, the right-button zoom that never crosses zero, and
// vostrel-cli render --fit drawing what the window draws.
#include "gui_test_util.h"

#include "terrain/qt_mesh_terrain_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QSettings>
#include <QWheelEvent>
#include <cmath>

namespace {

// An octahedron of the given radius around `at`, written as OBJ.
std::string octahedron(float r, Vector at) {
    std::string text;
    const float corners[6][3] = {{r, 0, 0},  {-r, 0, 0}, {0, r, 0},
                                 {0, -r, 0}, {0, 0, r},  {0, 0, -r}};
    for (const auto& c : corners)
        text += "v " + std::to_string(at.x + c[0]) + " " + std::to_string(at.y + c[1]) + " " +
                std::to_string(at.z + c[2]) + "\n";
    text += "f 1 3 5\nf 3 2 5\nf 2 4 5\nf 4 1 5\nf 3 1 6\nf 2 3 6\nf 4 2 6\nf 1 4 6\n";
    return text;
}

void wheel(QWidget* w, int delta, QPoint at = QPoint(50, 50)) {
    QWheelEvent event(QPointF(at), w->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// The drawn mesh lies inside the frame, clear of its edges, and reaches the margin
// along one axis.
void expect_framed(const QImage& image, const char* what) {
    QRect area = drawn_area(image, Qt::white);
    QVERIFY2(!area.isEmpty(), what);
    QVERIFY2(area.left() > 0 && area.top() > 0 && area.right() < image.width() - 1 &&
                 area.bottom() < image.height() - 1,
             what);
    double across =
        std::max(double(area.width()) / image.width(), double(area.height()) / image.height());
    QVERIFY2(across > 0.8 && across < 0.95, qPrintable(QString("%1: %2").arg(what).arg(across)));
}

} // namespace

class FramingTest : public QObject {
    Q_OBJECT

    void projections() {
        QTest::addColumn<int>("projection");
        QTest::newRow("orthographic") << 1;
        QTest::newRow("perspective") << 0;
    }

  private slots:
    void fitFramesTinyAndLargeMeshes_data() {
        QTest::addColumn<float>("radius");
        QTest::addColumn<int>("projection");
        for (int projection : {1, 0}) {
            const char* name = projection ? "orthographic" : "perspective";
            QTest::newRow(qPrintable(QString("speck, %1").arg(name))) << 0.1f << projection;
            QTest::newRow(qPrintable(QString("large, %1").arg(name))) << 900.0f << projection;
        }
    }
    // A 0.2-unit mesh is a speck and a 1800-unit one overflows at the start distance;
    // fitted, both fill the view up to the margin, as the command line draws them.
    void fitFramesTinyAndLargeMeshes() {
        QFETCH(float, radius);
        QFETCH(int, projection);
        ViewFixture f(320, 240);
        if (projection == 0) f.view->toggle_projection();
        f.view->fit_on_open = true;
        TempFolder dir;
        QString path = dir.file("mesh.obj");
        std::ofstream(path.toStdString()) << octahedron(radius, Vector(3 * radius, -radius, 7));
        f.load_file(path);
        QImage window = f.frame().convertToFormat(QImage::Format_RGB32);
        expect_framed(window, "window");

        QString out = dir.file("cli.png");
        QStringList args{"render",  path,    "-o",      out,      "--size",
                         "320x240", "--fit", "--light", "classic"};
        if (projection == 0) args << "--perspective";
        QCOMPARE(run_cli(args), 0);
        QImage cli = QImage(out).convertToFormat(QImage::Format_RGB32);
        QVERIFY(cli == window);
    }

    void fitKeepsTheRotationAndResetUndoesIt() {
        ViewFixture f(300, 300);
        f.load(octahedron(1, Vector(0, 0, 0)).c_str());
        QCOMPARE(f.view->camera_distance, -200.0f); // the fixture loads without fitting
        send_mouse(f.view, QEvent::MouseButtonPress, QPoint(150, 150), Qt::LeftButton);
        send_mouse(f.view, QEvent::MouseMove, QPoint(220, 120), Qt::LeftButton);
        send_mouse(f.view, QEvent::MouseButtonRelease, QPoint(220, 120), Qt::LeftButton);
        Matrix4 turned = f.view->arcball.transform;
        QVERIFY(turned != ArcBall().transform);
        f.view->fit_to_view();
        QCOMPARE(f.view->arcball.transform, turned);
        QCOMPARE(f.view->camera_distance, fit_camera_distance(f.view->document.mesh, turned,
                                                              Projection::Orthographic, 300, 300));
        expect_framed(f.frame(), "turned");

        f.view->reset_view();
        QCOMPARE(f.view->arcball.transform, ArcBall().transform);
        QCOMPARE(f.view->camera_distance,
                 fit_camera_distance(f.view->document.mesh, ArcBall().transform,
                                     Projection::Orthographic, 300, 300));
        // The arcball still turns after the reset.
        send_mouse(f.view, QEvent::MouseButtonPress, QPoint(150, 150), Qt::LeftButton);
        send_mouse(f.view, QEvent::MouseMove, QPoint(220, 120), Qt::LeftButton);
        QCOMPARE(f.view->arcball.transform, turned);
    }

    void theWheelZoomsInTowardsThePointUnderTheCursor_data() { projections(); }
    // Forward zooms in, in either projection, and the mesh point under the cursor stays
    // under it; over the background the zoom keeps the mesh centred.
    void theWheelZoomsInTowardsThePointUnderTheCursor() {
        QFETCH(int, projection);
        ViewFixture f(300, 300);
        if (projection == 0) f.view->toggle_projection();
        f.view->fit_on_open = true;
        f.load(octahedron(1, Vector(0, 0, 0)).c_str());
        f.frame();
        Vector p = f.view->document.mesh.centroids[0]; // of a face towards the eye
        QPoint at = f.mouse_position_of(p);
        int width = drawn_area(f.frame(), Qt::white).width();
        wheel(f.view, 120, at);
        QVERIFY(drawn_area(f.frame(), Qt::white).width() > width * 1.1);
        QVERIFY2((f.mouse_position_of(p) - at).manhattanLength() <= 2,
                 qPrintable(QString("%1,%2").arg(f.mouse_position_of(p).x()).arg(at.x())));
        Vector pan = f.view->pan;
        wheel(f.view, -240, QPoint(2, 2));
        QCOMPARE(f.view->pan, pan);
        QVERIFY(drawn_area(f.frame(), Qt::white).width() < width);
    }

    void shiftOrCtrlDragPans_data() {
        QTest::addColumn<int>("projection");
        QTest::addColumn<int>("modifier");
        QTest::newRow("orthographic, Shift") << 1 << int(Qt::ShiftModifier);
        QTest::newRow("orthographic, Ctrl") << 1 << int(Qt::ControlModifier);
        QTest::newRow("perspective, Shift") << 0 << int(Qt::ShiftModifier);
    }
    // The point grabbed follows the cursor, picking finds the faces where they are now
    // drawn, and F centres the mesh again.
    void shiftOrCtrlDragPans() {
        QFETCH(int, projection);
        QFETCH(int, modifier);
        auto held = Qt::KeyboardModifiers(modifier);
        ViewFixture f(300, 300);
        if (projection == 0) f.view->toggle_projection();
        f.view->fit_on_open = true;
        f.load(octahedron(1, Vector(0, 0, 0)).c_str());
        f.frame();
        Vector p = f.view->document.mesh.centroids[0];
        QPoint from = f.mouse_position_of(p), to = from + QPoint(40, -25);
        int face = f.view->picked_face(from.x(), from.y());
        QVERIFY(face >= 1);
        send_mouse(f.view, QEvent::MouseButtonPress, from, Qt::LeftButton, held);
        send_mouse(f.view, QEvent::MouseMove, from + QPoint(15, -5), Qt::LeftButton, held);
        send_mouse(f.view, QEvent::MouseMove, to, Qt::LeftButton, held);
        send_mouse(f.view, QEvent::MouseButtonRelease, to, Qt::LeftButton, held);
        QCOMPARE(f.view->arcball.transform, ArcBall().transform); // not turned
        f.frame();
        QVERIFY((f.mouse_position_of(p) - to).manhattanLength() <= 2);
        QCOMPARE(f.view->picked_face(to.x(), to.y()), face);

        f.view->fit_to_view();
        QCOMPARE(f.view->pan, Vector(0, 0, 0));
        f.frame();
        QVERIFY((f.mouse_position_of(p) - from).manhattanLength() <= 1);
    }

    // After a terrain, Reload frames the file's mesh again, as opening it did.
    void reloadFramesAsOpeningDoes() {
        ViewFixture f(320, 240);
        f.view->fit_on_open = true;
        f.load(octahedron(0.1f, Vector(5, 5, 5)).c_str());
        float fitted = f.view->camera_distance;
        QImage heightmap(2, 2, QImage::Format_RGB32);
        heightmap.fill(QColor(90, 90, 90));
        StdoutCapture quiet;
        f.view->apply_terrain(heightmap, 64, 256, 64, {}, {});
        QVERIFY(f.view->camera_distance > fitted / 100); // framed for the far larger terrain
        f.view->pan = Vector(30, 5, 0);
        f.view->reload_slot();
        QCOMPARE(f.view->camera_distance, fitted);
        QCOMPARE(f.view->pan, Vector(0, 0, 0));
    }

    void theRightButtonNeverCrossesZero() {
        ViewFixture f(200, 200);
        f.load(octahedron(1, Vector(0, 0, 0)).c_str());
        for (int projection : {1, 0}) {
            if (projection == 0) f.view->toggle_projection();
            f.view->camera_distance = -200;
            send_mouse(f.view, QEvent::MouseMove, QPoint(100, 2000), Qt::NoButton);
            send_mouse(f.view, QEvent::MouseButtonPress, QPoint(100, 2000), Qt::RightButton);
            for (int y = 1990; y >= -3000; y -= 10) {
                send_mouse(f.view, QEvent::MouseMove, QPoint(100, y), Qt::RightButton);
                QVERIFY(f.view->camera_distance < 0);
            }
            send_mouse(f.view, QEvent::MouseButtonRelease, QPoint(100, -3000), Qt::RightButton);
            QCOMPARE(f.view->camera_distance, -nearest_camera_distance);
            // Orthographic: the picture is not mirrored, only very small.
            if (projection == 1) QVERIFY(drawn_area(f.frame(), Qt::white).width() <= 2);
        }
    }

    // A new terrain is framed as an opened mesh is; with Fit on Open off the camera
    // stays where it was.
    void aNewTerrainIsFramed() {
        ViewFixture f(320, 240);
        QtMeshTerrainWidget page;
        QObject::connect(&page, &QtMeshTerrainWidget::terrain_signal, f.view,
                         &QtGLWidget::apply_terrain);
        StdoutCapture quiet;
        page.apply();
        QCOMPARE(f.view->camera_distance, -200.0f);
        f.view->fit_on_open = true;
        QVERIFY(page.load_heightmap_file(QString(VOSTREL_DATA) +
                                         "/heightmaps/raylib_heightmap_128_rgb.png"));
        page.apply(); // seen edge on: a band as wide as the view allows
        QCOMPARE(f.view->camera_distance,
                 fit_camera_distance(f.view->document.mesh, ArcBall().transform,
                                     Projection::Orthographic, 320, 240));
        expect_framed(f.frame(), "terrain");
        float framed = f.view->camera_distance;
        page.load_colour_map_file(QString(VOSTREL_DATA) + "/colourmaps/grey.map");
        QCOMPARE(f.view->camera_distance, framed); // a new map alone moves nothing
    }

    void fitOnOpenIsAViewItemAndRemembered() {
        QSettings().remove("view/fit_on_open");
        TempFolder dir;
        QString path = dir.file("speck.obj");
        std::ofstream(path.toStdString()) << octahedron(0.1f, Vector(5, 5, 5));
        {
            QtMainWindow window;
            show_main_window(window);
            QStringList items = menu_items(window.view_menu);
            QVERIFY(items.contains("Fit Mesh to View|F"));
            QVERIFY(items.contains("Reset View|Home"));
            QVERIFY(items.contains("Fit on Open"));
            QVERIFY(window.fit_on_open_item->isCheckable());
            QVERIFY(window.fit_on_open_item->isChecked()); // on by default
            StdoutCapture quiet;
            QVERIFY(bool(window.view()->load_file(path)));
            QVERIFY(window.view()->camera_distance < -1000); // framed, not a speck

            window.fit_on_open_item->trigger(); // off
            QVERIFY(!window.view()->fit_on_open);
            QVERIFY(bool(window.view()->load_file(path)));
            QCOMPARE(window.view()->camera_distance, -200.0f);
            window.view()->camera_distance = -7;
            for (QAction* a : window.view_menu->actions())
                if (a->text() == "Fit Mesh to View") a->trigger();
            QVERIFY(window.view()->camera_distance < -1000);
        }
        QtMainWindow next;
        QVERIFY(!next.fit_on_open_item->isChecked());
        QVERIFY(!next.view()->fit_on_open);
        next.fit_on_open_item->trigger();
        QVERIFY(QSettings().value("view/fit_on_open").toBool());
    }
};

RegisterGuiTest<FramingTest> framing_test;

#include "framing_test.moc"
