// The window as `vostrel data/spot.obj` first opens it: the sample framed, and the mouse
// hint in the status bar on the first start only. With VOSTREL_SCREENSHOT naming a PNG,
// the test also writes the window's picture there (the README's screenshot).
#include "gui_test_util.h"

#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QStatusBar>

class FirstStartTest : public QObject {
    Q_OBJECT

  private slots:
    void theSampleAndTheMouseHint() {
        const char* keys[] = {"view/hint_shown", "view/fit_on_open", "view/background"};
        KeptSetting hint(keys[0]), fit(keys[1]), background(keys[2]);
        for (const char* key : keys) QSettings().remove(key); // a user's first start
        QSettings().remove("lighting");
        {
            QtMainWindow window;
            show_main_window(window);
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            {
                StdoutCapture quiet;
                QVERIFY(window.open_from_command_line(QString(VOSTREL_DATA) + "/spot.obj"));
            }
            QCOMPARE(window.status_bar->currentMessage(),
                     QString("Left drag: turn \u00b7 Shift+drag: pan \u00b7 wheel: zoom \u00b7 "
                             "middle click: pick"));
            QtGLWidget* view = window.view();
            QVERIFY(view->lighting.two_sided); // Studio, the light of a first start
            view->grabFramebuffer();
            QImage picture = window.grab().toImage();
            QPoint middle = view->mapTo(&window, view->rect().center());
            QVERIFY(picture.pixelColor(middle * picture.devicePixelRatio()) != QColor(Qt::white));
            QString path = qEnvironmentVariable("VOSTREL_SCREENSHOT");
            if (!path.isEmpty()) QVERIFY(picture.save(path));
        }
        QtMainWindow next;
        QCOMPARE(next.status_bar->currentMessage(), QString("Ready"));
        start_with_classic_light();
    }
};

RegisterGuiTest<FirstStartTest> first_start_test;

#include "first_start_test.moc"
