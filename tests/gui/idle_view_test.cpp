// A view at rest draws no frames; every change of what is drawn draws one, and the
// frame then on screen is the one a continuously repainting view would show.
#include "gui_test_util.h"

#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "viewer/qt_application.h"
#include "viewer/qt_light_editor_dialogue.h"
#include "viewer/qt_light_settings_widget.h"
#include "viewer/qt_main_window.h"

#include <QColorDialog>
#include <QStatusBar>
#include <QWheelEvent>

namespace {

// Waits until the view owes no frame, then a few timer ticks more.
void settle(QtGLWidget* view) {
    QTRY_VERIFY(!view->frame_due());
    QTest::qWait(40);
    QVERIFY(!view->frame_due());
}

} // namespace

class IdleViewTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        background = std::make_unique<KeptSetting>("view/background"); // the dialog sets it
        window = std::make_unique<QtMainWindow>();
        show_main_window(*window);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        view = window->view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj")));
    }
    void cleanupTestCase() {
        window.reset();
        background.reset();
    }

    void aViewAtRestDrawsNothing() {
        settle(view);
        int frames = view->frames_drawn;
        QTest::qWait(300);                                                 // thirty ticks
        send_mouse(view, QEvent::MouseMove, QPoint(30, 40), Qt::NoButton); // hovering
        send_mouse(view, QEvent::MouseMove, QPoint(60, 80), Qt::NoButton);
        window->status_bar->showMessage("elsewhere in the window");
        QTest::qWait(100);
        QCOMPARE(view->frames_drawn, frames);
    }

    void everyChangeDrawsAFrame_data() {
        QTest::addColumn<int>("change");
        const char* names[] = {"rotation",
                               "right-button zoom",
                               "wheel",
                               "middle click",
                               "render mode menu",
                               "projection",
                               "light position",
                               "light colours",
                               "load",
                               "reload",
                               "terrain apply",
                               "colour map",
                               "fit",
                               "reset view",
                               "window size",
                               "background"};
        for (int i = 0; i < int(std::size(names)); ++i) QTest::newRow(names[i]) << i;
    }
    void everyChangeDrawsAFrame() {
        QFETCH(int, change);
        settle(view);
        int frames = view->frames_drawn;
        QPoint centre(view->width() / 2, view->height() / 2);
        StdoutCapture quiet;
        switch (change) {
        case 0:
            send_mouse(view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
            send_mouse(view, QEvent::MouseMove, centre + QPoint(30, 10), Qt::LeftButton);
            send_mouse(view, QEvent::MouseButtonRelease, centre + QPoint(30, 10), Qt::LeftButton);
            break;
        case 1:
            send_mouse(view, QEvent::MouseButtonPress, centre, Qt::RightButton);
            send_mouse(view, QEvent::MouseMove, centre + QPoint(0, 5), Qt::RightButton);
            send_mouse(view, QEvent::MouseButtonRelease, centre + QPoint(0, 5), Qt::RightButton);
            break;
        case 2: {
            QWheelEvent event(QPointF(centre), view->mapToGlobal(QPointF(centre)), QPoint(),
                              QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(view, &event);
            break;
        }
        case 3:
            QTest::mouseClick(view, Qt::MiddleButton, {}, centre);
            break;
        case 4:
            window->rendermode_menu->actions()[2]->trigger();
            break;
        case 5:
            window->projectionmodeEvent();
            break;
        case 6:
            window->lighteditor->lightsettings->l_azimuth_slider->setValue(90);
            break;
        case 7:
            view->light_colour_slot(Vector(0.3f, 0.3f, 0.3f, 1), Vector(0.5f, 0.5f, 0.5f, 1),
                                    Vector(0, 0, 0, 1));
            break;
        case 8:
            QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
            break;
        case 9:
            view->reload_slot();
            break;
        case 10:
            QVERIFY(window->mesheditor->terrain_page->load_heightmap_file(
                QString(VOSTREL_DATA) + "/heightmaps/raylib_heightmap_128_rgb.png"));
            window->mesheditor->terrain_page->apply();
            break;
        case 11:
            // Another map than the terrain's (grey.map is the initial one, which changes
            // nothing).
            window->mesheditor->terrain_page->load_colour_map_file(QString(VOSTREL_DATA) +
                                                                   "/colourmaps/desert.map");
            break;
        case 12:
            view->camera_distance = -1;
            view->fit_to_view();
            break;
        case 13:
            view->reset_view();
            break;
        case 14:
            window->resize(window->width() - 40, window->height() - 30);
            break;
        case 15:
            when_open<QColorDialog>([](QColorDialog* d) {
                d->setCurrentColor(QColor(200, 220, 240));
                d->accept();
            });
            window->backgroundcolourEvent();
            break;
        }
        QTRY_VERIFY(view->frames_drawn > frames);
        settle(view);
        if (change == 15) {
            // The frame on screen shows the new background: a frame clears with the colour
            // the one before it set, so a second frame was drawn.
            QVERIFY(view->frames_drawn >= frames + 2);
            QCOMPARE(view->grab_frame().pixelColor(1, 1), QColor(200, 220, 240));
        }
    }

    // Drawing once more changes nothing: what rests on screen is what every further
    // frame would draw.
    void theSameFrameFrameForFrame() {
        view->set_render_mode(RenderMode::FaceNormals);
        settle(view);
        QImage resting = view->grab_frame();
        int frames = view->frames_drawn;
        view->changed();
        QTRY_VERIFY(view->frames_drawn > frames);
        QVERIFY(view->grab_frame() == resting);
        view->set_render_mode(RenderMode::Polygons);
    }

  private:
    std::unique_ptr<KeptSetting> background;
    std::unique_ptr<QtMainWindow> window;
    QtGLWidget* view = nullptr;
};

RegisterGuiTest<IdleViewTest> idle_view_test;

#include "idle_view_test.moc"
