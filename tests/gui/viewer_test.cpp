// The desktop application under a real X server (xvfb-run) with Mesa's OpenGL: the main
// window, the light page, the camera, picking and the pixels of the render modes.
#include "gui_test_util.h"

#include "../real_meshes.h"
#include "core/arcball.h"
#include "core/vostrel.h"
#include "qtshared/start_folder.h"
#include "viewer/gl_frame.h"
#include "viewer/qt_application.h"
#include "viewer/qt_gl_object_window.h"
#include "viewer/qt_gl_widget.h"
#include "viewer/qt_light_editor_dialogue.h"
#include "viewer/qt_light_settings_widget.h"
#include "viewer/qt_main_window.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaMethod>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void titleMenusAndStatus() {
        KeptSetting hint("view/hint_shown");
        QSettings().setValue("view/hint_shown", true); // not the first start
        QtMainWindow window;
        show_main_window(window);
        QCOMPARE(window.windowTitle(), QString("Vostrel V1.0"));
        QCOMPARE(window.status_bar->objectName(), QString("status"));
        QCOMPARE(window.status_bar->currentMessage(), QString("Ready"));
        QCOMPARE(window.editor->objectName(), QString("editor"));
        QCOMPARE(window.view()->objectName(), QString("glbox1"));
        QCOMPARE(window.lighteditor->objectName(), QString("lighteditor"));

        QStringList titles;
        for (QAction* a : window.menuBar()->actions())
            if (a->menu()) titles << a->menu()->title();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "&View", "&Render Mode", "&Tools"}));
        for (QMenu* m : {window.file_menu, window.edit_menu, window.view_menu,
                         window.rendermode_menu, window.tools_menu})
            QVERIFY(m->isTearOffEnabled());

        QCOMPARE(menu_items(window.file_menu),
                 (QStringList{"-", "Open...|Ctrl+O", "-", "Save As...|Ctrl+S", "Save ALL...|Ctrl+A",
                              "-", "Save Rendering...|Ctrl+R", "-", "Exit|Ctrl+Q"}));
        QCOMPARE(menu_items(window.edit_menu),
                 (QStringList{"Undo|" + QKeySequence(QKeySequence::Undo).toString(),
                              "Redo|" + QKeySequence(QKeySequence::Redo).toString(), "-",
                              "History Memory Limit (1024 MiB)..."}));
        QVERIFY(!window.undo_item->isEnabled() && !window.redo_item->isEnabled());
        QCOMPARE(menu_items(window.view_menu),
                 (QStringList{"Background Colour", "Toggle Projection (ortho/persp)",
                              "Lighting and Shading Editor", "-", "Fit Mesh to View|F",
                              "Reset View|Home", "Fit on Open"}));
        QCOMPARE(menu_items(window.tools_menu),
                 (QStringList{"Mesh &Tools|Ctrl+E", "-", "Show All Tool Pages"}));
        // Separators show also first and last in a menu.
        for (QMenu* m : {window.file_menu, window.tools_menu}) QVERIFY(!m->separatorsCollapsible());
        // Qt shows the slots' parameter names: the light's three colours.
        const QMetaObject* meta = window.view()->metaObject();
        QMetaMethod light = meta->method(meta->indexOfSlot(
            QMetaObject::normalizedSignature("light_colour_slot(Vector,Vector,Vector)")));
        QCOMPARE(light.parameterNames(), (QList<QByteArray>{"ambient", "diffuse", "specular"}));
        QStringList modes;
        for (QAction* a : window.rendermode_menu->actions())
            modes << a->text() + "=" + a->data().toString();
        QCOMPARE(modes,
                 (QStringList{"&Bounding Box=7", "&Points Verts=5", "&Face Normals=6",
                              "&Wireframe=0", "&Wireframe + Dotted-HL=1", "&Wireframe + No-HL=2",
                              "&Polygons + Wireframe=3", "&Polygons=4", "&Faces=8"}));
        QVERIFY(!window.file_menu->actions()[1]->icon().isNull()); // built-in icon stands in
    }

    void renderModeMenuSetsTheMode() {
        QtMainWindow window;
        show_main_window(window);
        auto checked = [&] {
            QAction* item = window.rendermode_items->checkedAction();
            return item ? item->data().toInt() : -1;
        };
        QCOMPARE(int(window.view()->document.render_mode), 4);
        QCOMPARE(checked(), 4);
        window.rendermode_menu->actions()[0]->trigger();
        QCOMPARE(int(window.view()->document.render_mode), 7);
        QCOMPARE(checked(), 7);
        window.rendermodeEvent(9);
        window.rendermodeEvent(-1);
        QCOMPARE(int(window.view()->document.render_mode), 7);
        window.rendermode_menu->actions().last()->trigger();
        QCOMPARE(int(window.view()->document.render_mode), 8);
        // A tool that switches the mode moves the check with it.
        window.view()->set_render_mode(RenderMode::Points);
        QCOMPARE(checked(), 5);
    }

    void projectionToggleSetsUpAgainAndPrints() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(int(view->document.projection), 1);
        StdoutCapture out;
        window.projectionmodeEvent();
        QCOMPARE(int(view->document.projection), 0);
        window.projectionmodeEvent();
        QCOMPARE(out.text(), QString("projectionmode: 0\nprojectionmode: 1\n"));
    }

    // The background chosen in the colour dialog is the next run's too.
    void backgroundColourIsRemembered() {
        KeptSetting kept("view/background");
        const QColor chosen(10, 20, 30);
        {
            QtMainWindow window;
            when_open<QColorDialog>([chosen](QColorDialog* d) {
                d->setCurrentColor(chosen);
                d->accept();
            });
            window.backgroundcolourEvent();
            QCOMPARE(window.view()->background_colour, chosen);
        }
        QtMainWindow next;
        QCOMPARE(next.view()->background_colour, chosen);
    }

    void failedOpenKeepsTheMeshAndSaysSo() {
        QtMainWindow window;
        show_main_window(window);
        QVERIFY(bool(window.view()->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        QCOMPARE(window.view()->document.mesh.nf, 12);
        StdoutCapture quiet;
        window.dragndrop_slot("/nonexistent/mesh.obj");
        QCOMPARE(window.view()->document.mesh.nf, 12);
        QCOMPARE(window.view()->document.kept.nf, 12);
        QTRY_VERIFY(window.findChild<QMessageBox*>() != nullptr);
        QVERIFY(window.findChild<QMessageBox*>()->text().contains(
            "ERROR: Opening File: /nonexistent/mesh.obj"));
        QCOMPARE(window.current_file, QString("/nonexistent/mesh.obj"));

        window.dragndrop_slot(QString(VOSTREL_DATA) + "/../README.md"); // neither obj nor net
        QCOMPARE(window.view()->document.mesh.nf, 12);
    }

    void saveAppendsTheExtensionAndReportsFailure() {
        TempFolder dir;
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        QVERIFY(bool(view->save_file(dir.file("result"))));
        QVERIFY(QFile::exists(dir.file("result.obj")));
        QVERIFY(bool(view->save_file(dir.file("x.obj.txt"))));
        QVERIFY(QFile::exists(dir.file("x.obj.txt")));
        QVERIFY(!view->save_file(dir.file("missing/result")));
        QCOMPARE(view->file_name, dir.file("missing/result.obj"));
    }

    void dropLoadsTheFirstFile() {
        QtMainWindow window;
        show_main_window(window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtGLWidget* view = window.view();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString(VOSTREL_DATA) + "/cube.obj"),
                      QUrl::fromLocalFile(QString(VOSTREL_DATA) + "/spot.obj")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(view, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        // Offered as a move too, it is taken as a copy: the file manager keeps the file.
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        StdoutCapture out;
        QApplication::sendEvent(view, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QCOMPARE(view->document.mesh.nf, 12);
        QVERIFY(out.text().startsWith(QString(VOSTREL_DATA) + "/cube.obj\n"));
        QCOMPARE(window.current_file, QString(VOSTREL_DATA) + "/cube.obj");

        QMimeData image;
        image.setImageData(QImage(4, 4, QImage::Format_RGB32));
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &image, Qt::LeftButton,
                                Qt::NoModifier);
        refused.ignore();
        QApplication::sendEvent(view, &refused);
        QVERIFY(!refused.isAccepted());

        // Files the readers do not take, or that are not there, are refused.
        TempFolder dir;
        write_file(dir.file("notes.txt"), "v 0 0 0\n");
        for (const QString& name : {dir.file("notes.txt"), dir.file("missing.obj"), dir.path()}) {
            QMimeData file;
            file.setUrls({QUrl::fromLocalFile(name)});
            QDragEnterEvent offered(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &file,
                                    Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &offered);
            QVERIFY2(!offered.isAccepted(), qPrintable(name));
            QSignalSpy dropped(view, &QtGLWidget::dragndrop_signal);
            QDropEvent drop_it(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &file,
                               Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &drop_it);
            QVERIFY(!drop_it.isAccepted());
            QCOMPARE(dropped.count(), 0);
        }
    }

    void startFolders() {
        TempFolder dir;
        QString here = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QCOMPARE(dialog_start_folder("Data"), dir.path());
        QDir(dir.path()).mkdir("Data");
        QCOMPARE(dialog_start_folder("Data"), dir.path() + "/Data");
        QDir::setCurrent(here);
    }
};

// The light's grey levels over the mesh's pixels (those not of the white background).
struct GreySpread {
    double deviation, p5, p95;
};

GreySpread grey_spread(const QImage& image) {
    std::vector<double> greys;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor c = image.pixelColor(x, y); c != Qt::white)
                greys.push_back(0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue());
    if (greys.empty()) return {0, 0, 0};
    std::sort(greys.begin(), greys.end());
    double mean = 0, squares = 0;
    for (double g : greys) mean += g / double(greys.size());
    for (double g : greys) squares += (g - mean) * (g - mean) / double(greys.size());
    return {std::sqrt(squares), greys[greys.size() / 20], greys[greys.size() * 19 / 20]};
}

class LightEditorTest : public QObject {
    Q_OBJECT

  private slots:
    // The specified light's values are Classic's; a test that wants another preset says so.
    void init() { start_with_classic_light(); }
    void cleanup() { start_with_classic_light(); }

    // Studio, the default, shows an uncoloured mesh's shape: its grey spreads widely.
    void studioShowsTheShape_data() {
        QTest::addColumn<QString>("mesh");
        QTest::newRow("spot") << QString(VOSTREL_DATA) + "/spot.obj";
        for (const char* name : {"stanford_bunny.obj", "teapot.obj", "armadillo.obj"})
            QTest::newRow(name) << QString::fromStdString(real_mesh(name));
    }
    void studioShowsTheShape() {
        QFETCH(QString, mesh);
        if (mesh.isEmpty()) QSKIP("needs a mesh of ../shared/data/meshes, not beside this clone");
        TempFolder dir;
        QString out = dir.file("studio.png");
        QCOMPARE(run_cli({"render", mesh, "-o", out, "--fit", "--mode", "4", "--size", "400x300"}),
                 0);
        GreySpread studio = grey_spread(QImage(out));
        QVERIFY2(studio.deviation >= 15 && studio.p95 - studio.p5 >= 50 && studio.p95 >= 100,
                 qPrintable(QString("deviation %1, 5th %2, 95th %3")
                                .arg(studio.deviation)
                                .arg(studio.p5)
                                .arg(studio.p95)));
    }

    // The page starts with the preset of the last run; a preset shows its colours, and
    // the user's own colours are Custom, kept and brought back.
    void presetsAreShownAndRemembered() {
        QSettings().remove("lighting");
        QtLightSettingsWidget studio;
        QCOMPARE(studio.light_preset_combobox->currentText(), QString("Studio"));
        QCOMPARE(studio.diffuse_colour, QColor(229, 229, 229));
        QCOMPARE(studio.diffuse_swatch->pixmap().toImage().pixelColor(16, 16),
                 QColor(229, 229, 229));
        QVERIFY(studio.lighting().two_sided);
        QSignalSpy sent(&studio, &QtLightSettingsWidget::lighting_signal);
        studio.light_preset_combobox->activated(int(LightPreset::Classic));
        QCOMPARE(sent.count(), 1);
        QCOMPARE(studio.ambient_colour, QColor(127, 127, 127));
        QVERIFY(!studio.lighting().two_sided);
        QCOMPARE(QtLightSettingsWidget().preset, LightPreset::Classic);

        when_open<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(QColor(0, 0, 255));
            d->accept();
        });
        studio.spec_colourdlg_event();
        QCOMPARE(studio.light_preset_combobox->currentText(), QString("Custom"));
        QtLightSettingsWidget next_run;
        QCOMPARE(next_run.preset, LightPreset::Custom);
        QCOMPARE(next_run.specular, Vector(0, 0, 1, 1));
        QCOMPARE(next_run.ambient, Vector(0.5f, 0.5f, 0.5f, 1));
        next_run.preset_combobox_event(int(LightPreset::Studio));
        next_run.preset_combobox_event(int(LightPreset::Custom));
        QCOMPARE(next_run.specular, Vector(0, 0, 1, 1));
        QVERIFY(!next_run.lighting().two_sided); // over Classic's surface, as made
    }

    // "Open" and "Save" keep the colours and angles in a light file; a wrong file is
    // refused whole and the light stays.
    void lightFilesOpenAndSave() {
        TempFolder dir;
        QtLightSettingsWidget page;
        page.l_altitude_event(30);
        QString saved = dir.file("mine.light");
        when_open<QFileDialog>([saved](QFileDialog* d) {
            d->selectFile(saved);
            static_cast<QDialog*>(d)->accept();
        });
        page.findChild<QPushButton*>("save")->click();
        QVERIFY(QFileInfo::exists(saved));

        page.preset_combobox_event(int(LightPreset::Studio));
        page.l_altitude_event(0);
        QSignalSpy position(&page, &QtLightSettingsWidget::light_position_signal);
        QVERIFY(bool(page.load_light(saved)));
        QCOMPARE(page.altitude, 30);
        QCOMPARE(page.l_altitude_slider->value(), 30);
        QCOMPARE(page.preset, LightPreset::Custom); // Classic's colours over Studio's surface
        QCOMPARE(page.ambient, Vector(0.5f, 0.5f, 0.5f, 1));
        QVERIFY(position.count() > 0);

        QString wrong = dir.file("wrong.light");
        std::ofstream(wrong.toStdString()) << "ambient 1 1 1\ndiffuse 2 0 0\n";
        IoResult r = page.load_light(wrong);
        QVERIFY(!r);
        QVERIFY(QString::fromStdString(r.error).contains("wrong.light:2:"));
        QCOMPARE(page.ambient, Vector(0.5f, 0.5f, 0.5f, 1));
        QCOMPARE(page.altitude, 30);
    }

    // Classic draws the frame of the original light, and vostrel-cli render --light
    // classic draws it too.
    void classicIsTheOriginalLight() {
        ViewFixture f(160, 120);
        f.load_file(QString(VOSTREL_DATA) + "/spot.obj");
        f.view->lighting_slot(preset_lighting(LightPreset::Classic));
        QImage classic = f.frame().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(classic, QImage(QString(VOSTREL_TEST_DATA) + "/spot_classic_light.png")
                              .convertToFormat(QImage::Format_RGB32));
        TempFolder dir;
        QString out = dir.file("classic.png");
        QCOMPARE(run_cli({"render", QString(VOSTREL_DATA) + "/spot.obj", "-o", out, "--light",
                          "classic", "--size", "160x120"}),
                 0);
        QCOMPARE(QImage(out).convertToFormat(QImage::Format_RGB32), classic);
    }

    void dialogAndPage() {
        QtLightEditorDialogue dialog(nullptr, "lighteditor");
        QCOMPARE(dialog.windowTitle(), QString("Lighting Editor"));
        QCOMPARE(dialog.tabs->count(), 1);
        QCOMPARE(dialog.tabs->tabText(0), QString("Lighting"));
        QCOMPARE(dialog.lightsettings->objectName(), QString("lightettings_tab"));
        QStringList buttons;
        for (QAbstractButton* b : dialog.findChild<QDialogButtonBox*>()->buttons())
            buttons << b->text();
        QCOMPARE(buttons, QStringList{"Close"});
        QVERIFY(!dialog.windowIcon().isNull());
    }

    void defaultsAndLabels() {
        QtLightSettingsWidget page;
        QCOMPARE(page.ambient_colour, QColor(127, 127, 127));
        QCOMPARE(page.diffuse_colour, QColor(31, 31, 31));
        QCOMPARE(page.specular_colour, QColor(0, 0, 0));
        QCOMPARE(page.altitude, 0);
        QCOMPARE(page.azimuth, 180);
        QCOMPARE(page.altitude_label->text(), QString("Altitude: 0"));
        QCOMPARE(page.azimuth_label->text(), QString("Azimuth: 180"));
        QCOMPARE(page.l_azimuth_slider->value(), 180);
        QCOMPARE(page.l_altitude_slider->objectName(), QString("l_altitude_slider"));
        for (QSlider* s : {page.l_altitude_slider, page.l_azimuth_slider}) {
            QCOMPARE(s->maximum(), 360);
            QCOMPARE(s->pageStep(), 10);
            QCOMPARE(s->tickInterval(), 36);
            QCOMPARE(s->tickPosition(), QSlider::TicksBelow);
        }
        QCOMPARE(page.volshader_combobox->objectName(), QString("volshader_combobox"));
        QCOMPARE(page.volshader_combobox->count(), 1); // no shader programs to choose
        QCOMPARE(page.light_preset_combobox->currentText(), QString("Classic"));
        QCOMPARE(page.ambient_swatch->size(), QSize(32, 32));
        QCOMPARE(page.ambient_swatch->pixmap().toImage().pixelColor(16, 16), QColor(127, 127, 127));
    }

    void slidersSendBothAngles() {
        QtLightSettingsWidget page;
        QSignalSpy position(&page, &QtLightSettingsWidget::light_position_signal);
        QSignalSpy colours(&page, &QtLightSettingsWidget::light_colour_signal);
        page.l_azimuth_slider->setValue(90);
        QCOMPARE(position.count(), 1);
        QCOMPARE(position[0][0].toFloat(), 0.0f); // the unchanged altitude goes along
        QCOMPARE(position[0][1].toFloat(), 90.0f);
        QCOMPARE(page.azimuth_label->text(), QString("Azimuth: 90"));
        page.l_altitude_event(45);
        QCOMPARE(page.l_altitude_slider->value(), 45);
        QCOMPARE(position.count(), 2);
        QCOMPARE(position[1][0].toFloat(), 45.0f);
        QCOMPARE(position[1][1].toFloat(), 90.0f);
        for (const char* button : {"open", "save"}) {
            when_open<QFileDialog>([](QFileDialog* d) { d->reject(); });
            page.findChild<QPushButton*>(button)->click();
        }
        page.volshader_combobox->activated(0);
        QCOMPARE(position.count(), 2);
        QCOMPARE(colours.count(), 0);
    }

    void lightDirectionFormula() {
        auto near = [](const Vector& v, float x, float y, float z) {
            return std::abs(v.x - x) < 1e-6f && std::abs(v.y - y) < 1e-6f &&
                   std::abs(v.z - z) < 1e-6f && v.w == 0;
        };
        QVERIFY(near(light_direction(0, 0), 0, 0, 1));
        QVERIFY(near(light_direction(0, 123), 0, 0, 1));
        QVERIFY(near(light_direction(90, 0), 1, 0, 0));
        QVERIFY(near(light_direction(90, 90), 0, 1, 0));
    }
};

class CameraTest : public QObject {
    Q_OBJECT

  private slots:
    void sphereMapping() {
        ArcBall ball;
        ball.set_bounds(501, 501); // 250 pixels to the rim
        Vector centre = ball.map_to_sphere(Vector(250, 250, 0));
        QCOMPARE(centre.z, 1.0f);
        Vector rim = ball.map_to_sphere(Vector(0, 0, 0)); // outside the circle: on the rim
        QCOMPARE(rim.z, 0.0f);
        QVERIFY(std::abs(rim.x * rim.x + rim.y * rim.y - 1) < 1e-6f);
        QVERIFY(rim.x < 0 && rim.y > 0); // y runs downwards in the window
        ball.axis_lock = 2;
        QCOMPARE(ball.map_to_sphere(Vector(500, 7, 0)).x, 1.0f / std::sqrt(1.0f + 49.0f));
    }

    void dragRotatesAndAccumulates() {
        ArcBall ball;
        ball.set_bounds(501, 501);
        ball.click(Vector(250, 250, 0));
        ball.drag(Vector(250, 250, 0)); // no movement: the rotation stays
        QCOMPARE(ball.transform, ArcBall().transform);
        // From the top of the ball to its right rim: a quarter of the ball, which turns
        // the mesh by twice that, half a turn about y.
        ball.drag(Vector(500, 250, 0));
        QVERIFY(std::abs(ball.transform[0] + 1) < 1e-5f);
        QVERIFY(std::abs(ball.transform[5] - 1) < 1e-5f);
        QVERIFY(std::abs(ball.transform[10] + 1) < 1e-5f);
        ball.release();
        ball.drag(Vector(0, 250, 0)); // ignored while not dragging
        QVERIFY(std::abs(ball.transform[0] + 1) < 1e-5f);
        ball.click(Vector(250, 250, 0));
        ball.drag(Vector(500, 250, 0)); // a second half turn on top of the first
        QVERIFY(std::abs(ball.transform[0] - 1) < 1e-5f);
        QVERIFY(std::abs(ball.transform[10] - 1) < 1e-5f);
    }

    void quaternionAndScale() {
        Matrix3 m;
        matrix3_set_rotation_from_quaternion(m, Vector(0, 0, 0, 0));
        Matrix3 identity;
        matrix3_set_identity(identity);
        QCOMPARE(m, identity);
        Matrix4 t;
        matrix4_set_identity(t);
        for (int i : {0, 5, 10}) t[i] = 2; // scale 2
        matrix4_set_rotation_scale_preserving(t, identity);
        QCOMPARE(t[0], 2.0f);
        QCOMPARE(t[5], 2.0f);
        QCOMPARE(t[15], 1.0f);
    }

    void mouseRoutingAndZoom() {
        ViewFixture f(200, 200);
        QtGLWidget* view = f.view;
        float before = view->camera_distance;
        send_mouse(view, QEvent::MouseMove, QPoint(100, 100), Qt::NoButton);
        send_mouse(view, QEvent::MouseButtonPress, QPoint(100, 100), Qt::RightButton);
        QCOMPARE(int(view->drag_mode), 2);
        QCOMPARE(view->camera_distance, before);
        send_mouse(view, QEvent::MouseMove, QPoint(100, 80), Qt::RightButton); // up 20 pixels: +2
        QCOMPARE(view->camera_distance, before + 2);
        send_mouse(view, QEvent::MouseButtonRelease, QPoint(100, 80), Qt::RightButton);
        QCOMPARE(int(view->drag_mode), -1);
        send_mouse(view, QEvent::MouseMove, QPoint(50, 50),
                   Qt::NoButton); // only the position is kept
        QCOMPARE(view->camera_distance, before + 2);
        QCOMPARE(view->last_mouse_position.x, 50.0f);

        send_mouse(view, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
        QCOMPARE(int(view->drag_mode), 0);
        QVERIFY(view->arcball.dragging);
        send_mouse(view, QEvent::MouseButtonRelease, QPoint(50, 50), Qt::LeftButton);
        QVERIFY(!view->arcball.dragging);
    }

    void zeroHeightCountsAsOne() {
        ViewFixture f(200, 200);
        f.view->makeCurrent();
        gl_set_projection(200, 0, Projection::Orthographic);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        QCOMPARE(viewport[3], 1);
    }
};

class PickingTest : public QObject {
    Q_OBJECT

  private slots:
    void middleClickSelectsTheFaceUnderTheCursor_data() {
        QTest::addColumn<int>("projection");
        QTest::newRow("orthographic") << 1;
        QTest::newRow("perspective") << 0;
    }
    void middleClickSelectsTheFaceUnderTheCursor() {
        QFETCH(int, projection);
        ViewFixture f(300, 200);
        QtGLWidget* view = f.view;
        // Two triangles side by side, well away from the origin.
        f.load("v 10 5 0\nv 11 5 0\nv 10 6 0\nv 11 6 0\nv 12 5 0\nf 1 2 3\nf 2 5 4\n");
        if (projection == 0) {
            view->toggle_projection();
            view->camera_distance = -8;
        }
        f.frame();
        for (int face : {0, 1}) {
            QPoint position = f.mouse_position_of(view->document.mesh.centroids[face]);
            StdoutCapture out;
            QTest::mouseClick(view, Qt::MiddleButton, {}, position);
            QCOMPARE(view->document.mesh.selectedface, face + 1);
            QCOMPARE(out.text(), QString("\nSelected: %1 \n").arg(face + 1));
        }
        StdoutCapture out;
        QTest::mouseClick(view, Qt::MiddleButton, {}, QPoint(2, 2)); // background
        QCOMPARE(view->document.mesh.selectedface, 2);
        QCOMPARE(out.text(), QString("\nSelected: 2 \n"));
    }

    void thePickedFaceShowsInTheStatusBar() {
        QtMainWindow window;
        show_main_window(window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtGLWidget* view = window.view();
        view->fit_on_open = false;
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        view->grabFramebuffer();
        QTest::mouseClick(view, Qt::MiddleButton, {},
                          QPoint(view->width() / 2, view->height() / 2));
        QVERIFY(view->document.mesh.selectedface >= 1);
        QCOMPARE(window.status_bar->currentMessage(),
                 QString("Selected: %1").arg(view->document.mesh.selectedface));
        QTest::mouseClick(view, Qt::MiddleButton, {}, QPoint(2, 2)); // nothing there
        QCOMPARE(window.status_bar->currentMessage(),
                 QString("Selected: %1").arg(view->document.mesh.selectedface)); // kept, as printed
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        QTest::mouseClick(view, Qt::MiddleButton, {}, QPoint(2, 2));
        QCOMPARE(window.status_bar->currentMessage(), QString("Selected: none"));
    }

    void backgroundRightAfterALoadPrintsMinusOne() {
        ViewFixture f(200, 200);
        f.load("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
        f.frame();
        StdoutCapture out;
        QTest::mouseClick(f.view, Qt::MiddleButton, {}, QPoint(198, 2));
        QCOMPARE(out.text(), QString("\nSelected: -1 \n"));
    }

    void faceTest() {
        Mesh m;
        load_obj_quietly(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
        Vector hit;
        QVERIFY(m.faces[0].intersect(Vector(0.25f, 0.25f, 1), Vector(0.25f, 0.25f, -1), hit));
        QCOMPARE(hit.z, 0.0f);
        QVERIFY(m.faces[0].intersect(Vector(0.5f, 0, 1), Vector(0.5f, 0, -1), hit)); // on an edge
        QVERIFY(!m.faces[0].intersect(Vector(0.9f, 0.9f, 1), Vector(0.9f, 0.9f, -1), hit));
        QVERIFY(
            !m.faces[0].intersect(Vector(-1, 0.2f, 0), Vector(2, 0.2f, 0), hit)); // in the plane
        QVERIFY(
            !m.faces[0].intersect(Vector(0.2f, 0.2f, 1), Vector(0.2f, 0.2f, 0.5f), hit)); // short
    }
};

class RenderTest : public QObject {
    Q_OBJECT

  private slots:
    void wireframeIsBlackOnWhite() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        f.view->document.render_mode = RenderMode(0);
        QImage image = f.frame();
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
        QCOMPARE(image.pixelColor(60, 100), QColor(Qt::white)); // inside the square: not filled
        QCOMPARE(image.pixelColor(100, 0 + 100 - 90), QColor(Qt::black)); // its top edge
    }

    void polygonsShowTheVertexColours() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        QImage image = f.frame();
        QColor c = image.pixelColor(100, 100);
        QVERIFY2(c.red() > 2 * c.green() && c.red() > 2 * c.blue(), qPrintable(c.name()));
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
    }

    void boundingBoxIsGreen() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        f.view->document.render_mode = RenderMode(7);
        QImage image = f.frame();
        QColor edge = image.pixelColor(100, 10);
        QVERIFY2(edge.green() > 200 && edge.red() < 60 && edge.blue() < 60,
                 qPrintable(edge.name()));
        QCOMPARE(image.pixelColor(100, 100), QColor(Qt::white));
    }

    void selectedFaceIsRed() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        f.view->document.render_mode = RenderMode(0);
        f.view->document.mesh.selectedface = 1;
        QImage image = f.frame();
        QColor inside = image.pixelColor(f.pixel_of(f.view->document.mesh.centroids[0]));
        QCOMPARE(inside, QColor(255, 0, 0));
        f.view->document.mesh.selectedface = 0;
        QCOMPARE(f.frame().pixelColor(f.pixel_of(f.view->document.mesh.centroids[0])),
                 QColor(Qt::white));
    }

    void backgroundShowsFromTheNextFrame() {
        ViewFixture f(100, 100);
        f.view->background_colour = QColor(10, 20, 30);
        QCOMPARE(f.frame().pixelColor(5, 5), QColor(10, 20, 30));
    }

    // The vertex arrays draw exactly what one begin/end block per face draws.
    void vertexArraysMatchImmediateMode_data() {
        QTest::addColumn<QString>("mesh");
        QTest::addColumn<int>("projection");
        QTest::addColumn<float>("distance");
        QTest::newRow("spot") << QString(VOSTREL_DATA) + "/spot.obj" << 1 << -200.0f;
        QTest::newRow("spot, perspective") << QString(VOSTREL_DATA) + "/spot.obj" << 0 << -3.0f;
        for (const char* name : {"teapot.obj", "fandisk.obj"}) {
            std::string path = real_mesh(name);
            if (!path.empty()) QTest::newRow(name) << QString::fromStdString(path) << 1 << -10.0f;
        }
    }
    void vertexArraysMatchImmediateMode() {
        QFETCH(QString, mesh);
        QFETCH(int, projection);
        QFETCH(float, distance);
        ViewFixture f(240, 180);
        f.load_file(mesh);
        if (projection == 0) f.view->toggle_projection();
        f.view->camera_distance = distance;
        // Mode 8 with colours and marks of every kind.
        for (int i = 0; i < f.view->document.mesh.nf; ++i) {
            f.view->document.mesh.faces[i].colour =
                Vector(float(i % 7) / 6, float(i % 5) / 4, 0.5f);
            f.view->document.mesh.faces[i].marked = i % 3 == 0;
        }
        for (int mode = 0; mode < render_mode_count; ++mode) {
            f.view->document.render_mode = RenderMode(mode);
            QImage arrays = f.frame();
            QImage immediate = f.frame_immediate();
            QVERIFY2(arrays == immediate, qPrintable(QString("mode %1").arg(mode)));
        }
    }

    // vostrel-cli render draws the frame the window draws.
    void headlessRenderingMatchesTheWindow_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("perspective");
        QTest::addColumn<QString>("background");
        QTest::addColumn<int>("select");
        QTest::addColumn<QString>("light");
        for (int mode = 0; mode < render_mode_count; ++mode)
            QTest::newRow(qPrintable(QString("mode %1").arg(mode)))
                << mode << false << "" << 0 << "studio";
        QTest::newRow("perspective") << 4 << true << "" << 0 << "studio";
        QTest::newRow("background") << 3 << false << "336699" << 0 << "studio";
        QTest::newRow("faces, selected") << 8 << false << "" << 1200 << "studio";
        QTest::newRow("classic") << 4 << false << "" << 0 << "classic";
        QTest::newRow("classic faces") << 8 << false << "" << 0 << "classic";
    }
    void headlessRenderingMatchesTheWindow() {
        QFETCH(int, mode);
        QFETCH(bool, perspective);
        QFETCH(QString, background);
        QFETCH(int, select);
        QFETCH(QString, light);
        TempFolder dir;
        QString mesh = QString(VOSTREL_DATA) + "/spot.obj";
        QString out = dir.file("cli.png");
        QStringList args{"render", mesh,      "-o",      out,  "--mode", QString::number(mode),
                         "--size", "320x240", "--light", light};
        if (perspective) args << "--perspective";
        if (!background.isEmpty()) args << "--background" << background;
        if (select) args << "--select" << QString::number(select);
        QCOMPARE(run_cli(args), 0);

        ViewFixture f(320, 240);
        LightPreset preset;
        QVERIFY(preset_named(light.toStdString(), preset));
        f.view->lighting_slot(preset_lighting(preset));
        f.load_file(mesh);
        f.view->document.render_mode = RenderMode(mode);
        if (perspective) f.view->toggle_projection();
        if (!background.isEmpty()) f.view->background_colour = QColor("#" + background);
        f.view->document.mesh.selectedface = select ? select : -1;
        QImage window = f.frame().convertToFormat(QImage::Format_RGB32);
        QImage cli = QImage(out).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(cli.size(), window.size());
        if (cli != window)
            window.save(
                QString("/tmp/window-%1.png").arg(QTest::currentDataTag()).replace(" ", "_"));
        QVERIFY(cli == window);
    }
};

class ProgramTest : public QObject {
    Q_OBJECT

  private slots:
    void unreadableFileOnTheCommandLineEndsWithStatusOne() {
        QProcess program;
        program.start(VOSTREL_VIEWER, {"/nonexistent/mesh.obj"});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(program.readAllStandardOutput().startsWith("/nonexistent/mesh.obj\n"));
        QVERIFY(
            program.readAllStandardError().contains("ERROR: Opening File: /nonexistent/mesh.obj"));
    }

    // A file that opens but is refused is reported in the window, which stays.
    void refusedFileOnTheCommandLineIsReported() {
        TempFolder dir;
        QFile bad(dir.file("bad.net"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("v 0 0 0\nf 0 0 7\n");
        bad.close();
        QtMainWindow window;
        show_main_window(window);
        StdoutCapture quiet;
        QVERIFY(window.open_from_command_line(dir.file("bad.net")));
        QTRY_VERIFY(window.findChild<QMessageBox*>() != nullptr);
        QVERIFY(!window.open_from_command_line("/nonexistent/mesh.obj"));
    }

    void noOpenGlNoWindow() {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.insert("QT_QPA_PLATFORM", "offscreen"); // no OpenGL there
        program.setProcessEnvironment(env);
        program.start(VOSTREL_VIEWER, {});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 255); // -1
        QVERIFY(
            program.readAllStandardError().contains("This system has no OpenGL support. Exiting."));
    }
};

RegisterGuiTest<MainWindowTest> main_window_test;
RegisterGuiTest<LightEditorTest> light_editor_test;
RegisterGuiTest<CameraTest> camera_test;
RegisterGuiTest<PickingTest> picking_test;
RegisterGuiTest<RenderTest> render_test;
RegisterGuiTest<ProgramTest> program_test;

#include "viewer_test.moc"
