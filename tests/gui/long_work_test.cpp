// Long work in the window: it runs off the window's thread, the window keeps drawing
// and answering, the status bar shows it after a moment, Cancel and Esc leave the
// document as it was, what would change the document waits, and closing stops it.
#include "gui_test_util.h"

#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"
#include "viewer/qt_script_runner.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>

namespace {

// The mesh as saved, and the face records a save does not hold.
QByteArray state_of(QtGLWidget* view, const TempFolder& dir) {
    QString path = dir.file("state.obj");
    StdoutCapture quiet;
    if (!view->document.mesh.save_obj(path.toStdString(), true)) return {};
    QByteArray bytes = file_bytes(path);
    for (const Face& f : view->document.mesh.faces)
        bytes.append(reinterpret_cast<const char*>(&f.normal.x), 4 * sizeof(float))
            .append(reinterpret_cast<const char*>(&f.colour.x), 4 * sizeof(float));
    return bytes;
}

// The longest wait of a 20 ms timer while `busy` holds, in milliseconds.
template <typename Busy>
qint64 longest_gap_while(Busy busy) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    timer.start();
    while (busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return longest;
}

} // namespace

class LongWorkTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { TaskRunner::inline_runs = false; }
    void cleanup() { TaskRunner::inline_runs = true; }

    // A classification of a few thousand faces: the event loop goes on, a resize is
    // drawn meanwhile, and the status bar shows the run once it has lasted a moment.
    void theWindowStaysAliveWhileAToolRuns() {
        QtMainWindow window;
        show_main_window(window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtGLWidget* view = window.view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj", true)));
        view->subdivide_slot(1, 0); // 23,424 faces to filter
        QTRY_VERIFY(!view->busy());
        view->mshift_slot(Vector(40, 0, 0, 1), int(FilterMode::Median));
        QVERIFY(view->busy());
        QVERIFY(!window.open_item->isEnabled());
        QVERIFY(!window.mesheditor->apply_button->isEnabled());
        int frames = view->frames_drawn;
        window.resize(window.width() - 30, window.height() - 20);
        bool resized_drawn = false, shown = false;
        qint64 gap = longest_gap_while([&] {
            resized_drawn = resized_drawn || view->frames_drawn > frames;
            shown = shown || window.cancel_button->isVisible();
            return view->busy();
        });
        QVERIFY2(gap < 100, qPrintable(QString::number(gap)));
        QVERIFY(resized_drawn);
        QVERIFY(shown);
        QVERIFY(!window.cancel_button->isVisible());
        QVERIFY(window.open_item->isEnabled());
        QCOMPARE(window.undo_item->text(), QString("Undo Median Filter"));
    }

    // Cancel within 0.2 s, by the button or Esc, and the document as it was.
    void cancelLeavesTheDocumentAsItWas() {
        QtMainWindow window;
        show_main_window(window);
        window.activateWindow(); // Esc is the program's shortcut: it needs an active window
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QtGLWidget* view = window.view();
        TempFolder dir;
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj", true)));
        view->subdivide_slot(2, 0); // 93,696 faces: a long median filter
        QTRY_VERIFY(!view->busy());
        for (bool by_key : {false, true}) {
            QByteArray before = state_of(view, dir);
            int steps = view->document.history.done_count();
            view->mshift_slot(Vector(40, 0, 0, 1), int(FilterMode::Median));
            QTRY_VERIFY(window.cancel_button->isVisible());
            QElapsedTimer clock;
            clock.start();
            if (by_key)
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                window.cancel_button->click();
            while (view->busy() && clock.elapsed() < 1000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(state_of(view, dir), before);
            QCOMPARE(view->document.history.done_count(), steps);
            QCOMPARE(window.status_bar->currentMessage(), QString("Cancelled: Median Filter"));
        }
    }

    // What would change the document waits for the run, in order; the view's own
    // settings (the render mode) change at once.
    void changesWaitForTheRun() {
        QtMainWindow window;
        QtGLWidget* view = window.view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj", true)));
        view->subdivide_slot(1, 0);
        QVERIFY(view->busy());
        view->simplify_slot(50);
        view->set_render_mode(RenderMode::Points);
        QCOMPARE(view->document.render_mode, RenderMode::Points);
        QCOMPARE(view->document.mesh.nv, 2930); // neither has changed the mesh yet
        QTRY_VERIFY(!view->busy());
        QCOMPARE(view->document.history.undo_name(), "Simplify");
        QCOMPARE(view->document.history.done_count(), 2);
    }

    // Closing the window stops the run and does not wait for it to end.
    void closingStopsTheRun() {
        auto window = std::make_unique<QtMainWindow>();
        QtGLWidget* view = window->view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj", true)));
        view->subdivide_slot(3, 0); // 374,784 faces
        QVERIFY(view->busy());
        QElapsedTimer clock;
        clock.start();
        window->close();
        QVERIFY(!view->busy());
        window.reset();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    }

    // A script in the window: each line as the menu would do it, one after the other's
    // work, stopping at a line that fails; a wrong line is found before anything runs.
    void aScriptRunsInTheWindow() {
        QtMainWindow window;
        TempFolder dir;
        QString script = dir.file("script.txt");
        write_file(script, QString("open %1/spot.obj\nsubdivide --levels 1 --weight 0\n"
                                   "simplify --lod 50 --method quadric\nundo\n"
                                   "save %2 # the subdivided mesh\n"
                                   "undo\nundo\n")
                               .arg(VOSTREL_DATA, dir.file("fine.obj"))
                               .toUtf8());
        ScriptRunner runner(window);
        QString error;
        QVERIFY2(runner.load(script, error), qPrintable(error));
        QSignalSpy done(&runner, &ScriptRunner::finished);
        StdoutCapture quiet;
        runner.start();
        QTRY_VERIFY_WITH_TIMEOUT(done.count() == 1, 20000);
        QCOMPARE(done[0][0].toBool(), false); // the second undo has nothing to undo
        QCOMPARE(done[0][1].toString(), script + ":7: Nothing to undo");
        QCOMPARE(window.view()->document.mesh.nv, 2930);
        Mesh saved;
        QVERIFY(bool(saved.load_obj(dir.file("fine.obj").toStdString())));
        QCOMPARE(saved.nf, 4 * 5856);
        // The line's method is the page's choice too.
        QCOMPARE(window.mesheditor->simplify_page->method_box->currentIndex(), 1);
        QCOMPARE(window.view()->document.simplification.method, SimplifyMethod::Quadric);

        // Wrong lines, found before anything runs: a value out of range, one that is no
        // finite number, an output onto an input.
        const std::pair<const char*, const char*> wrong[] = {
            {"open a.obj\nsimplify --lod 500\n", ":2: --lod"},
            {"open a.obj\nsimplify --lod 50 --max-error 0.1\n",
             ":2: --max-error: applies to --method quadric only"},
            {"open a.obj\nsubdivide --levels 1 --weight nan\n", ":2: --weight: takes a finite"},
            {"open a.obj\nrender -o a.obj\n", ":2: ERROR: -o/--output and line 1's FILE name "
                                              "the same file"},
        };
        for (const auto& [text, start] : wrong) {
            write_file(script, text);
            QVERIFY(!runner.load(script, error));
            QVERIFY2(error.startsWith(script + start), qPrintable(error));
        }
    }
};

RegisterGuiTest<LongWorkTest> long_work_test;

#include "long_work_test.moc"
