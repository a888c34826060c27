// The clipping planes in the window: the panel's buttons and signals, the view's slots
// and mouse, a mesh load, and the pixels a pushed plane removes, in the window and in
// vostrel-cli render alike.
#include "gui_test_util.h"

#include "clipping/plane_outline.h"
#include "clipping/qt_clipping_widget.h"
#include "terrain/terrain_grid.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

namespace {

QList<int> select_values(const QSignalSpy& spy) {
    QList<int> values;
    for (const QList<QVariant>& call : spy) values << call[0].toInt();
    return values;
}

QList<int> checked_buttons(const QtCLippingWidget& panel) {
    QList<int> checked;
    for (int k = 0; k < 6; ++k)
        if (panel.plane_buttons[k]->isChecked()) checked << k;
    return checked;
}

QPushButton* button_named(QWidget& panel, const QString& text) {
    for (QPushButton* b : panel.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

// The square of side 0.9 in the plane z = 0: its cube has edge 1.8, so plane 2 (right)
// starts at x = 0.9 and a push of 9 pixels down brings it to x = 0, through the middle.
const char* square = square_with_colours;

} // namespace

class ClippingPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void layout() {
        QtCLippingWidget panel(nullptr, "clippingtab");
        QCOMPARE(panel.objectName(), QString("clippingtab"));
        QStringList groups;
        for (QGroupBox* g : panel.findChildren<QGroupBox*>()) groups << g->title();
        for (const char* title : {"File:", "Actions:", "Clipping Planes:", "PLANE_1", "PLANE_6"})
            QVERIFY2(groups.contains(title), title);
        QCOMPARE(panel.findChild<QPushButton*>("open")->text(), QString("Load"));
        QCOMPARE(panel.findChild<QPushButton*>("save")->text(), QString("Save"));
        for (QPushButton* b : panel.plane_buttons) {
            QCOMPARE(b->text(), QString("Enable/Disable"));
            QVERIFY(b->isCheckable());
            QVERIFY(!b->isChecked());
        }
        QVERIFY(panel.showall_button->isCheckable());
        auto* topmost = panel.findChild<QHBoxLayout*>("topmost");
        QVERIFY(topmost);
        QCOMPARE(topmost->spacing(), 5);
        QCOMPARE(topmost->stretch(0), 1);
        QCOMPARE(topmost->stretch(1), 10);
        QCOMPARE(panel.selected_label->text(), QString("Selected: none"));
    }

    // At most one plane: the others are deselected in the view first, then the clicked
    // one toggled; the panel names the selected plane.
    void planeButtonSequences() {
        QtCLippingWidget panel;
        QSignalSpy select(&panel, &QtCLippingWidget::cutplane_select_signal);
        panel.plane_buttons[4]->click();
        QCOMPARE(select_values(select), QList<int>{4});
        QCOMPARE(panel.selected_label->text(), QString("Selected: top"));
        select.clear();

        panel.plane_buttons[1]->click();
        QCOMPARE(select_values(select), (QList<int>{4, 1}));
        QCOMPARE(checked_buttons(panel), QList<int>{1});
        QCOMPARE(panel.selected_label->text(), QString("Selected: back"));
        select.clear();

        panel.plane_buttons[1]->click();
        QCOMPARE(select_values(select), QList<int>{1});
        QCOMPARE(checked_buttons(panel), QList<int>{});
        QCOMPARE(panel.selected_label->text(), QString("Selected: none"));

        const char* names[] = {"front", "back", "right", "left", "top", "bottom"};
        for (int k = 0; k < 6; ++k) {
            panel.plane_buttons[k]->click();
            QCOMPARE(panel.selected_label->text(), QString("Selected: ") + names[k]);
        }
    }

    void actionButtons() {
        QtCLippingWidget panel;
        QSignalSpy current(&panel, &QtCLippingWidget::cutplane_resetcurrent_signal);
        QSignalSpy all(&panel, &QtCLippingWidget::cutplane_resetall_signal);
        QSignalSpy showall(&panel, &QtCLippingWidget::cutplane_showall_signal);
        QSignalSpy invert(&panel, &QtCLippingWidget::cutplane_invert_signal);
        QPushButton* reset_current = button_named(panel, "Reset Current");
        QPushButton* reset_all = button_named(panel, "Reset All");

        QTest::mouseClick(reset_current, Qt::LeftButton);
        QCOMPARE(current.count(), 0); // nothing checked: nothing to reset
        panel.plane_buttons[2]->click();
        QTest::mouseClick(reset_current, Qt::LeftButton);
        QCOMPARE(current.count(), 1);
        QCOMPARE(checked_buttons(panel), QList<int>{2});

        QTest::mouseClick(reset_all, Qt::LeftButton);
        QCOMPARE(all.count(), 1);
        QCOMPARE(checked_buttons(panel), QList<int>{});
        QCOMPARE(panel.selected_label->text(), QString("Selected: none"));

        // "Show All" sends the state the button takes; a press released off the button
        // toggles nothing and sends nothing.
        QTest::mousePress(panel.showall_button, Qt::LeftButton);
        QTest::mouseRelease(panel.showall_button, Qt::LeftButton, {}, QPoint(-20, -20));
        QCOMPARE(showall.count(), 0);
        QVERIFY(!panel.showall_button->isChecked());
        QTest::mouseClick(panel.showall_button, Qt::LeftButton);
        QCOMPARE(showall.count(), 1);
        QCOMPARE(showall.last()[0].toInt(), 1);
        QVERIFY(panel.showall_button->isChecked());
        QTest::mouseClick(panel.showall_button, Qt::LeftButton);
        QCOMPARE(showall.last()[0].toInt(), 0);
        QVERIFY(!panel.showall_button->isChecked());
        QCOMPARE(invert.count(), 0);
    }

    void fileNames() {
        QtCLippingWidget panel;
        QSignalSpy save(&panel, &QtCLippingWidget::cutplane_save_signal);
        QSignalSpy load(&panel, &QtCLippingWidget::cutplane_load_signal);
        for (const char* name : {"planes", "abc", "a.b", "x.clp"}) panel.save_file(name);
        panel.save_file("set.slc");
        panel.save_file("set.xyz");
        panel.save_file("set.");
        QStringList saved;
        for (const QList<QVariant>& call : save) saved << call[0].toString();
        QCOMPARE(saved, (QStringList{"planes.slc", "abc.slc", "a.b.slc", "x.clp", "set.slc",
                                     "set.xyz", "set..slc"}));
        panel.load_file("in.clp");
        QCOMPARE(load.last()[0].toString(), QString("in.clp"));

        // Both dialogs offer the plane files by either extension; cancelled, they send
        // nothing.
        save.clear();
        load.clear();
        auto filters = std::make_shared<QStringList>();
        auto cancel = [filters](QFileDialog* d) {
            *filters << d->nameFilters();
            d->reject();
        };
        when_open<QFileDialog>(cancel);
        panel.cutplane_load_event();
        when_open<QFileDialog>(cancel);
        panel.cutplane_save_event();
        QCOMPARE(*filters, QStringList(2, "Plane files (*.clp *.slc)"));
        QCOMPARE(load.count(), 0);
        QCOMPARE(save.count(), 0);
    }
};

class ClippingViewTest : public QObject {
    Q_OBJECT

  private slots:
    // Qt reports the plane slots' parameter names, for scripts that look them up.
    void slotParameterNames() {
        const QMetaObject& m = QtGLWidget::staticMetaObject;
        const std::pair<const char*, const char*> slots_and_names[] = {
            {"cutplane_select_slot(int)", "selected"},
            {"cutplane_invert_slot(int)", "selected"},
            {"cutplane_load_slot(QString)", "fn"},
            {"cutplane_save_slot(QString)", "fn"},
            {"cutplane_showall_slot(int)", "selected"}};
        for (const auto& [slot, name] : slots_and_names) {
            int index = m.indexOfSlot(slot);
            QVERIFY2(index >= 0, slot);
            QCOMPARE(m.method(index).parameterNames(), QList<QByteArray>{name});
        }
    }

    void slotsAndMouseTarget() {
        ViewFixture f(200, 200);
        QtGLWidget* v = f.view;
        QCOMPARE(v->document.planes.planes.size(), size_t(6)); // the GL start sets the cube
        QCOMPARE(v->document.planes.cube_size[0], 256.0f);

        v->cutplane_invert_slot(1);
        QCOMPARE(v->document.planes.show_all, 1);
        QVERIFY(v->document.planes.outlines[0].empty()); // not rebuilt
        v->cutplane_invert_slot(0);

        v->cutplane_select_slot(3);
        QCOMPARE(v->document.planes.selected[3], 1);
        QCOMPARE(v->mouse_target, MouseTarget::Planes);
        v->cutplane_select_slot(6); // nothing to toggle; the target follows the selection
        QCOMPARE(v->mouse_target, MouseTarget::Planes);
        v->cutplane_select_slot(3);
        QCOMPARE(v->mouse_target, MouseTarget::Camera);

        v->cutplane_invert_slot(1);
        QCOMPARE(v->document.planes.show_all, 1);
        v->cutplane_select_slot(0);
        v->cutplane_invert_slot(7);
        QCOMPARE(v->document.planes.show_all, 1);
        QCOMPARE(v->mouse_target, MouseTarget::Planes);
        v->cutplane_invert_slot(0);
        QCOMPARE(v->document.planes.show_all, 0);
        QCOMPARE(v->mouse_target, MouseTarget::Camera);
        QCOMPARE(v->document.planes.selected[0], 1);

        v->cutplane_select_slot(0);
        v->cutplane_showall_slot(1);
        QCOMPARE(v->document.planes.show_all, 1);
        QCOMPARE(v->document.planes.outlines[0].size(), size_t(4));

        v->cutplane_select_slot(5);
        v->cutplane_resetall_slot();
        QCOMPARE(v->mouse_target, MouseTarget::Camera);
        QVERIFY(!v->document.planes.any_selected());
    }

    // While a plane is selected every button works it and the camera stays; afterwards
    // the left button turns the camera again.
    void mouseWorksTheSelectedPlane() {
        ViewFixture f(200, 200);
        f.load(square);
        QtGLWidget* v = f.view;
        const Matrix4 camera = v->arcball.transform;
        const float distance = v->camera_distance;
        v->cutplane_select_slot(2);
        // The square's cube has an edge of 1.8: a push moves 1.8 / 2,560 a pixel.
        send_mouse(v, QEvent::MouseButtonPress, {100, 100}, Qt::RightButton);
        send_mouse(v, QEvent::MouseMove, {100, 1380}, Qt::RightButton);
        send_mouse(v, QEvent::MouseButtonRelease, {100, 1380}, Qt::RightButton);
        QVERIFY(std::abs(v->document.planes.planes[2].centre.x) < 1e-5f);
        QCOMPARE(v->camera_distance, distance);

        send_mouse(v, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
        send_mouse(v, QEvent::MouseMove, {150, 60}, Qt::LeftButton);
        send_mouse(v, QEvent::MouseButtonRelease, {150, 60}, Qt::LeftButton);
        QCOMPARE(v->arcball.transform, camera);
        QVERIFY(v->document.planes.planes[2].normal.x < 1); // tilted instead

        v->cutplane_select_slot(2);
        send_mouse(v, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
        send_mouse(v, QEvent::MouseMove, {150, 60}, Qt::LeftButton);
        send_mouse(v, QEvent::MouseButtonRelease, {150, 60}, Qt::LeftButton);
        QVERIFY(v->arcball.transform != camera);
    }

    // A plane pushed to the middle of the square removes the half in front of it, in
    // the window and in vostrel-cli render with the saved planes alike.
    void pushedPlaneRemovesTheMeshInFrontOfIt() {
        TempFolder dir;
        QString mesh = dir.file("square.obj");
        std::ofstream(mesh.toStdString()) << square;
        ViewFixture f(200, 200);
        f.load_file(mesh);
        QtGLWidget* v = f.view;
        QImage whole = f.frame();
        QPoint left(60, 100), right(140, 100);
        QVERIFY(whole.pixelColor(right) != QColor(Qt::white));

        v->cutplane_select_slot(2);
        send_mouse(v, QEvent::MouseButtonPress, {100, 100}, Qt::RightButton);
        for (int y = 420; y <= 1380; y += 320) // 1,280 pixels in all: 0.9 of 1.8
            send_mouse(v, QEvent::MouseMove, {100, y}, Qt::RightButton);
        send_mouse(v, QEvent::MouseButtonRelease, {100, 1380}, Qt::RightButton);
        QImage clipped = f.frame();
        QCOMPARE(clipped.pixelColor(right), QColor(Qt::white));
        QCOMPARE(clipped.pixelColor(left), whole.pixelColor(left));
        // The selected plane's outline, seen edge-on: a line down the middle, also above
        // the square.
        bool line = false;
        for (int x = 97; x <= 102; ++x)
            line = line || clipped.pixelColor(x, 5) != QColor(Qt::white);
        QVERIFY(line);

        QString planes = dir.file("half.clp");
        {
            StdoutCapture quiet;
            v->cutplane_save_slot(planes);
        }
        QVERIFY(QFile::exists(planes));
        v->cutplane_select_slot(2); // deselected: no outline, as vostrel-cli render draws it
        QImage window = f.frame().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(window.pixelColor(right), QColor(Qt::white));

        QString out = dir.file("cli.png");
        QCOMPARE(run_cli({"render", mesh, "-o", out, "--size", "200x200", "--clip", planes,
                          "--light", "classic"}),
                 0);
        QImage cli = QImage(out).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(cli.size(), window.size());
        if (cli != window) window.save("/tmp/window-clipped.png");
        QVERIFY(cli == window);

        QString unclipped = dir.file("whole.png");
        QCOMPARE(run_cli({"render", mesh, "-o", unclipped, "--size", "200x200"}), 0);
        QVERIFY(QImage(unclipped).pixelColor(right) != QColor(Qt::white));
        QCOMPARE(run_cli({"render", mesh, "-o", unclipped, "--clip", dir.file("none.clp")}), 1);
    }

    // Unselected outlines are grey loops of width 2; drawing them leaves the width at 1.
    void showAllDrawsTheOutlinesAndLeavesThinLines() {
        ViewFixture f(200, 200);
        f.load(square);
        QtGLWidget* v = f.view;
        v->camera_distance = -100; // the cube's faces at +-0.9: 90 pixels from the middle
        auto line_width = [v] {
            v->makeCurrent();
            float width = 0;
            glGetFloatv(GL_LINE_WIDTH, &width);
            return width;
        };
        QImage before = f.frame();
        QCOMPARE(line_width(), 2.0f);
        QCOMPARE(before.pixelColor(100, 10), QColor(Qt::white));
        v->cutplane_showall_slot(1);
        QImage shown = f.frame();
        // The front and back faces' squares, seen face-on, grey.
        QColor edge = shown.pixelColor(100, 10);
        QVERIFY2(edge != QColor(Qt::white) && edge.red() == edge.green() &&
                     edge.green() == edge.blue(),
                 qPrintable(edge.name()));
        QCOMPARE(line_width(), 1.0f);
        v->cutplane_showall_slot(0);
        QCOMPARE(f.frame().pixelColor(100, 10), QColor(Qt::white));
        QCOMPARE(line_width(), 1.0f); // until something sets it again
    }

    // A load puts the planes back on the new mesh's cube and deselects them: the mouse
    // turns the camera again and the panel unchecks its buttons.
    void meshLoadDeselectsThePlanes() {
        QtMainWindow window;
        show_main_window(window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtGLWidget* v = window.view();
        v->grabFramebuffer();
        QtCLippingWidget* panel = window.mesheditor->clipping_page.get();
        panel->plane_buttons[1]->click();
        QCOMPARE(v->document.planes.selected[1], 1);
        QCOMPARE(v->mouse_target, MouseTarget::Planes);
        v->cutplane_showall_slot(1);

        TempFolder dir;
        QString mesh = dir.file("square.obj");
        std::ofstream(mesh.toStdString()) << square;
        {
            StdoutCapture quiet;
            QVERIFY(bool(v->load_file(mesh)));
        }
        QVERIFY(!v->document.planes.any_selected());
        QCOMPARE(v->mouse_target, MouseTarget::Camera);
        QCOMPARE(checked_buttons(*panel), QList<int>{});
        QCOMPARE(panel->selected_label->text(), QString("Selected: none"));
        QCOMPARE(v->document.planes.cube_size[0], 1.8f);
        QVERIFY(!v->document.planes.outlines[0].empty()); // "Show All" keeps showing them
        QCOMPARE(v->document.planes.show_all, 1);

        const Matrix4 camera = v->arcball.transform;
        send_mouse(v, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
        send_mouse(v, QEvent::MouseMove, {160, 40}, Qt::LeftButton);
        send_mouse(v, QEvent::MouseButtonRelease, {160, 40}, Qt::LeftButton);
        QVERIFY(v->arcball.transform != camera);

        // Loading a plane file rebuilds the outlines too.
        v->cutplane_save_slot(dir.file("planes.clp"));
        {
            StdoutCapture quiet;
            QVERIFY(bool(v->load_file(mesh)));
        }
        v->cutplane_load_slot(dir.file("planes.clp"));
        for (const auto& outline : v->document.planes.outlines) QCOMPARE(outline.size(), size_t(4));

        // The next click selects the plane again, and the button shows it.
        panel->plane_buttons[1]->click();
        QCOMPARE(v->document.planes.selected[1], 1);
        QCOMPARE(checked_buttons(*panel), QList<int>{1});
    }

    // The file named on the command line is opened before the first frame: its cube
    // stays, whatever the order in which the GL start and the load happen.
    void commandLineFileKeepsItsCube() {
        TempFolder dir;
        QString mesh = dir.file("square.obj");
        std::ofstream(mesh.toStdString()) << square;
        QtMainWindow window;
        show_main_window(window);
        {
            StdoutCapture quiet;
            QVERIFY(window.open_from_command_line(mesh));
        }
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.view()->grabFramebuffer();
        QCOMPARE(window.view()->document.planes.cube_size[0], 1.8f);
    }

    // A terrain replacing a small mesh gets a cube of its own, so that the old cube does
    // not clip it, and Reload brings the loaded mesh's cube back; colour changes keep the
    // planes.
    void cubeFollowsATerrainAndTheReload() {
        ViewFixture f(200, 200);
        f.load(square);
        QtGLWidget* v = f.view;
        v->cutplane_select_slot(0);
        const std::vector<QColor> black_white{Qt::black, Qt::white};
        StdoutCapture quiet;
        v->build_vertexcoloursterrain_slot(black_white, {0, 1});
        QCOMPARE(v->document.planes.selected[0], 1);
        QCOMPARE(v->document.planes.cube_size[0], 1.8f);

        QImage heightmap(2, 2, QImage::Format_RGB32);
        heightmap.fill(QColor(200, 200, 200));
        v->apply_terrain(heightmap, 64, 256, 64, black_white, {0, 1});
        QCOMPARE(v->document.planes.cube_size[0], cube_size_around(v->document.mesh));
        QVERIFY(v->document.planes.cube_size[0] > 500);
        QVERIFY(!v->document.planes.any_selected());
        QCOMPARE(v->mouse_target, MouseTarget::Camera);

        v->reload_slot();
        QCOMPARE(v->document.planes.cube_size[0], 1.8f);
        v->cutplane_select_slot(1);
        v->reload_slot();
        QCOMPARE(v->document.planes.selected[1], 1);
    }

    void planeFilesThroughTheView() {
        ViewFixture f(200, 200);
        QtGLWidget* v = f.view;
        TempFolder dir;
        v->cutplane_select_slot(0);
        send_mouse(v, QEvent::MouseButtonPress, {100, 100}, Qt::RightButton);
        send_mouse(v, QEvent::MouseMove, {100, 150}, Qt::RightButton);
        send_mouse(v, QEvent::MouseButtonRelease, {100, 150}, Qt::RightButton);
        const float pushed = v->document.planes.planes[0].centre.z;
        QCOMPARE(pushed, 123.0f);
        v->cutplane_save_slot(dir.file("p.clp"));
        v->cutplane_resetall_slot();
        QCOMPARE(v->document.planes.planes[0].centre.z, 128.0f);
        v->cutplane_load_slot(dir.file("p.clp"));
        QCOMPARE(v->document.planes.planes[0].centre.z, pushed);

        // A refused file is reported in a message box and changes nothing.
        QFile bad(dir.file("bad.clp"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("SIZE: 4\n");
        bad.close();
        {
            StdoutCapture console;
            v->cutplane_load_slot(dir.file("bad.clp"));
            QVERIFY(console.text().contains("bad.clp:1:"));
        }
        QTRY_VERIFY(v->findChild<QMessageBox*>() != nullptr);
        QVERIFY(v->findChild<QMessageBox*>()->text().contains("six planes"));
        QCOMPARE(v->document.planes.planes[0].centre.z, pushed);
    }

    // While a plane is selected the cube it moves in is drawn, here alone: the planes'
    // own outlines are left out.
    void aSelectedPlaneShowsItsCube() {
        ViewFixture f(200, 200);
        f.load(square);
        QtGLWidget* v = f.view;
        v->camera_distance = -100; // the cube's top front edge 90 pixels above the middle
        QCOMPARE(f.frame().pixelColor(100, 10), QColor(Qt::white));
        v->cutplane_select_slot(0);
        v->document.planes.outlines.assign(6, {});
        QImage shown = f.frame();
        QColor edge = shown.pixelColor(100, 10);
        QVERIFY2(edge.blue() > 200 && edge.red() < 150, qPrintable(edge.name()));
    }

    // While the Clipping page is in sight, fitting frames the cube: the planes show.
    void theClippingPageFramesTheCube() {
        KeptSetting position("tools/dialog_position");
        QtMainWindow window;
        show_main_window(window);
        window.show_all_tool_pages(true, false);
        QtGLWidget* v = window.view();
        TempFolder dir;
        std::ofstream(dir.file("square.obj").toStdString()) << square;
        {
            StdoutCapture quiet;
            QVERIFY(bool(v->load_file(dir.file("square.obj"), true)));
        }
        v->fit_to_view();
        const float mesh_fitted = v->camera_distance;
        Mesh cube = cube_corner_mesh(v->document.planes.cube_corners, v->document.mesh.centre);
        const float cube_fitted = fit_camera_distance(
            cube, v->arcball.transform, v->document.projection, v->view_width, v->view_height);
        QVERIFY(cube_fitted > mesh_fitted); // orthographic: fewer pixels a unit

        window.mesheditorEvent();
        window.mesheditor->tabs->setCurrentIndex(7);
        QCOMPARE(v->camera_distance, cube_fitted);
        v->camera_distance = -7;
        v->fit_to_view();
        QCOMPARE(v->camera_distance, cube_fitted);
        window.mesheditor->tabs->setCurrentIndex(0);
        QCOMPARE(v->camera_distance, mesh_fitted);
        window.mesheditor->tabs->setCurrentIndex(7);
        window.mesheditor->hide(); // out of sight
        QCOMPARE(v->camera_distance, mesh_fitted);
    }
};

RegisterGuiTest<ClippingPanelTest> clipping_panel_test;
RegisterGuiTest<ClippingViewTest> clipping_view_test;

#include "clipping_test.moc"
