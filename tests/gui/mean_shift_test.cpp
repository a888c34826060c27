// The Mean Shift page (its controls and signals), its weight curve widget, and the view's
// filter slots with the search sphere they draw.
#include "gui_test_util.h"

#include "segmentation/qt_function_widget.h"
#include "segmentation/qt_mean_shift_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>

Q_DECLARE_METATYPE(Vector)
Q_DECLARE_METATYPE(std::vector<Vector>)

namespace {

Vector vector_of(const QVariant& v) {
    return v.value<Vector>();
}

// A curved strip of quads, so that face normals differ from face to face.
const char* curved_strip = "v 0 0 0\nv 0 1 0\nv 1 0 0.3\nv 1 1 0.3\nv 2 0 0.4\nv 2 1 0.4\n"
                           "v 3 0 0.3\nv 3 1 0.3\nv 4 0 0\nv 4 1 0\n"
                           "f 1 3 4 2\nf 3 5 6 4\nf 5 7 8 6\nf 7 9 10 8\n";

std::vector<Vector> face_normals(const Mesh& m) {
    std::vector<Vector> normals;
    for (const Face& f : m.faces) normals.push_back(f.normal);
    return normals;
}

} // namespace

class MeanShiftPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        qRegisterMetaType<Vector>();
        qRegisterMetaType<std::vector<Vector>>();
    }

    void controlsAsBuilt() {
        QtMeanShiftWidget page(nullptr, "meanshftab");
        QCOMPARE(page.radius_label->text(), QString("Sphere Radius:\t\t0"));
        QCOMPARE(page.xsize_slider->objectName(), QString("xsize_slider"));
        QCOMPARE(page.xsize_slider->minimum(), 0);
        QCOMPARE(page.xsize_slider->maximum(), 100);
        QCOMPARE(page.xsize_slider->tickInterval(), 5);
        QCOMPARE(page.function_widget->objectName(), QString("histogram"));
        QVERIFY(page.meanshift_button->isChecked());
        QVERIFY(page.findChild<QLayout*>("smoothertab_blayout"));
        QVERIFY(page.findChild<QLayout*>("boxlayout "));
        QCOMPARE(page.curve_label->text(),
                 QString("Weight Curve:\tnot used (drag a point to use it)"));
        // No ellipsoid controls: the view uses only the radius.
        QVERIFY(page.findChildren<QSlider*>().size() == 1);
    }

    // The median filter reads the slider as a depth of rings, the others as a radius.
    void theLabelNamesWhatTheSliderIs() {
        QtMeanShiftWidget page;
        page.xsize_slider->setValue(3);
        page.median_button->click();
        QCOMPARE(page.radius_label->text(), QString("Depth:\t3"));
        page.xsize_slider->setValue(5);
        QCOMPARE(page.radius_label->text(), QString("Depth:\t5"));
        page.spherejump_button->click();
        QCOMPARE(page.radius_label->text(), QString("Sphere Radius:\t5"));
    }

    // Every control sends the page's vector; the mode goes with all but "Step".
    void controlsSendTheVector() {
        QtMeanShiftWidget page;
        QSignalSpy rad(&page, &QtMeanShiftWidget::rad_signal);
        QSignalSpy step(&page, &QtMeanShiftWidget::step_signal);
        QSignalSpy run(&page, &QtMeanShiftWidget::mshift_signal);

        page.xsize_slider->setValue(37);
        QCOMPARE(page.radius_label->text(), QString("Sphere Radius:\t37"));
        QCOMPARE(rad.count(), 1);
        QCOMPARE(vector_of(rad.last().at(0)), Vector(37, 0, 0));
        QCOMPARE(rad.last().at(1).toInt(), 0);

        page.spherejump_button->click();
        QCOMPARE(rad.last().at(1).toInt(), 1);
        QVERIFY(!page.meanshift_button->isChecked());
        page.median_button->click();
        QCOMPARE(rad.last().at(1).toInt(), 2);
        QCOMPARE(page.mode, 2);
        for (QPushButton* b : page.findChildren<QPushButton*>())
            if (b->text() == "Step") b->click();
        QCOMPARE(step.count(), 1);
        QCOMPARE(vector_of(step.last().at(0)).x, 37.0f);
        QCOMPARE(vector_of(step.last().at(0)).w, 1.0f);

        page.apply();
        QCOMPARE(run.count(), 1);
        QCOMPARE(vector_of(run.last().at(0)).x, 37.0f);
        QCOMPARE(run.last().at(1).toInt(), 2);
        page.meanshift_button->click();
        page.apply();
        QCOMPARE(run.last().at(1).toInt(), 0);

        // The ellipsoid slots have no controls but still scale and send the vector.
        page.ysizeEvent(4);
        page.sizeEvent(2);
        QCOMPARE(vector_of(rad.last().at(0)), Vector(74, 8, 0));
    }
};

class WeightCurveWidgetTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        qRegisterMetaType<Vector>();
        qRegisterMetaType<std::vector<Vector>>();
    }

    // The starting hump over the black plot, in plot coordinates when sent.
    void startingCurve() {
        QtFunctionWidget widget(300, 150);
        QCOMPARE(widget.weight_curve.size(), size_t(101));
        QCOMPARE(widget.curve_height(), 120);
        std::vector<Vector> sent = widget.curve_points();
        QCOMPARE(sent.front(), Vector(0, 120));
        QCOMPARE(sent[50].x, 120.0f);
        QVERIFY(std::fabs(sent[50].y) < 0.01f);
        QCOMPARE(sent.back(), Vector(240, 120));
        QImage image = widget.plot.toImage();
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black));
        QVERIFY(image.pixelColor(150, 75) == QColor(Qt::black)); // under the hump
        QColor top = image.pixelColor(150, 15);                  // the curve's top
        QVERIFY2(top.red() > 150 && top.green() > 150, qPrintable(top.name()));
        QColor frame = image.pixelColor(30, 100); // the plot frame's left side
        QVERIFY2(frame != QColor(Qt::black), qPrintable(frame.name()));

        // Point k is the weight at k hundredths of the radius, wherever the points were
        // dragged: the curve drawn is the curve applied. An inner point stays between
        // its neighbours.
        widget.control_points[1].x = 200;
        widget.control_points[2].x = 210;
        QPoint grab = widget.widget_point(widget.control_points[1]).toPoint();
        send_mouse(&widget, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        send_mouse(&widget, QEvent::MouseMove, QPoint(0, 0), Qt::LeftButton);
        send_mouse(&widget, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton);
        QCOMPARE(widget.control_points[1].x, 30.0f);
        sent = widget.curve_points();
        for (int k = 0; k <= 100; ++k) QVERIFY(std::fabs(sent[k].x - 2.4f * float(k)) < 1e-3f);
    }

    // A drag in the window moves a point and, when it ends, the view weighs by the curve.
    void dragReachesTheView() {
        QtMainWindow window;
        window.show_all_tool_pages(true, false);
        QtMeshEditorDialogue* d = window.mesheditor;
        QtMeanShiftWidget* page = d->meanshift_page.get();
        d->tabs->setCurrentWidget(page);
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QtFunctionWidget* curve = page->function_widget;
        QSignalSpy sent(curve, &QtFunctionWidget::signal_function);
        QtGLWidget* view = window.view();
        QCOMPARE(view->document.filter.weight_mode, 0);

        // A press away from the points drags nothing.
        QPoint empty = curve->widget_point(Vector(150, 100)).toPoint();
        send_mouse(curve, QEvent::MouseButtonPress, empty, Qt::LeftButton);
        send_mouse(curve, QEvent::MouseButtonRelease, empty, Qt::LeftButton);
        QCOMPARE(sent.count(), 0);

        Vector before = curve->control_points[1];
        QPoint grab = curve->widget_point(before).toPoint();
        QPoint to = curve->widget_point(Vector(before.x + 30, before.y + 60)).toPoint();
        {
            StdoutCapture quiet;
            send_mouse(curve, QEvent::MouseButtonPress, grab, Qt::LeftButton);
            send_mouse(curve, QEvent::MouseMove, to, Qt::LeftButton);
            send_mouse(curve, QEvent::MouseButtonRelease, to, Qt::LeftButton);
        }
        QCOMPARE(sent.count(), 1);
        QVERIFY(std::abs(curve->control_points[1].x - (before.x + 30)) < 2);
        QVERIFY(std::abs(curve->control_points[1].y - (before.y + 60)) < 2);
        auto points = sent.last().at(0).value<std::vector<Vector>>();
        QCOMPARE(points.size(), size_t(101));
        QCOMPARE(sent.last().at(1).toInt(), 120);
        QCOMPARE(view->document.filter.weight_mode, 1);
        QCOMPARE(view->document.filter.weight_function.size(), size_t(101));
        QCOMPARE(view->document.filter.function_height, 120);
        QCOMPARE(view->document.filter.weight_function[10].y, points[10].y);
        QCOMPARE(page->curve_label->text(), QString("Weight Curve:\tin use"));
    }

    // Points stay in the plot area; the end points keep to its sides.
    void pointsStayInThePlot() {
        QtFunctionWidget widget(300, 150);
        widget.resize(300, 150);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QPoint grab = widget.widget_point(widget.control_points[0]).toPoint();
        send_mouse(&widget, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        send_mouse(&widget, QEvent::MouseMove, QPoint(200, -50), Qt::LeftButton);
        send_mouse(&widget, QEvent::MouseButtonRelease, QPoint(200, -50), Qt::LeftButton);
        QCOMPARE(widget.control_points[0].x, 30.0f);
        QCOMPARE(widget.control_points[0].y, 15.0f);
        QCOMPARE(widget.curve_points().front(), Vector(0, 0));
        grab = widget.widget_point(widget.control_points[2]).toPoint();
        send_mouse(&widget, QEvent::MouseButtonPress, grab, Qt::LeftButton);
        send_mouse(&widget, QEvent::MouseMove, QPoint(400, 400), Qt::LeftButton);
        send_mouse(&widget, QEvent::MouseButtonRelease, QPoint(400, 400), Qt::LeftButton);
        QCOMPARE(widget.control_points[2].x, 270.0f);
        QCOMPARE(widget.control_points[2].y, 135.0f);
    }
};

class MeanShiftViewTest : public QObject {
    Q_OBJECT

  private slots:
    // A run changes the face normals and shows them in the faces mode; a zero radius
    // changes nothing.
    void runSwitchesToTheFacesMode() {
        ViewFixture f(200, 200);
        f.load(curved_strip);
        QtGLWidget* view = f.view;
        std::vector<Vector> before = face_normals(view->document.mesh);
        QSignalSpy mode(view, &QtGLWidget::render_mode_changed);
        view->mshift_slot(Vector(0, 5, 5, 1), 1);
        QCOMPARE(mode.count(), 0);
        QCOMPARE(view->document.render_mode, RenderMode::Polygons);

        StdoutCapture console;
        view->mshift_slot(Vector(100, 0, 0, 1), 1);
        QString text = console.text();
        QVERIFY2(text.startsWith("Evaluating SHPERE_JUMP: \nWEIGHT_MODE = 0\n"), qPrintable(text));
        QVERIFY(text.contains("Mean Shift Radius:\t2.000000 \n"));
        QCOMPARE(view->document.render_mode, RenderMode::Faces);
        QCOMPARE(mode.count(), 1);
        QVERIFY(!(face_normals(view->document.mesh)[0] == before[0]));
        QCOMPARE(view->document.filter.mode, FilterMode::SphereJump);
    }

    // Without a mesh there is nothing to filter: the page's Apply leaves the mode as it is.
    void applyWithoutAMeshKeepsTheMode() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        QtMeanShiftWidget* page = window.mesheditor->meanshift_page.get();
        QCOMPARE(view->document.mesh.nf, 0);
        QSignalSpy mode(view, &QtGLWidget::render_mode_changed);
        page->xsize_slider->setValue(50);
        page->apply();
        QCOMPARE(view->document.render_mode, RenderMode::Polygons);
        QCOMPARE(mode.count(), 0);
    }

    // "Step" runs the mode the page last sent, one pass at a time.
    void stepsRunTheModeLastSent() {
        ViewFixture f(200, 200);
        f.load(curved_strip);
        QtGLWidget* view = f.view;
        view->mshiftrad_slot(Vector(10, 0, 0, 1), 0);
        {
            StdoutCapture console;
            view->mshiftstep_slot(Vector(10, 0, 0, 1));
            QString text = console.text();
            QVERIFY2(text.startsWith("Step\nEvaluating MEAN_SHIFT: "), qPrintable(text));
            QVERIFY(text.contains("Number of Regions:\t1 \n"));
        }
        QCOMPARE(view->document.render_mode, RenderMode::Faces);
        QVERIFY(!view->document.filter.needs_reset);
        view->mshiftrad_slot(Vector(10, 0, 0, 1), 2);
        StdoutCapture console;
        view->mshiftstep_slot(Vector(1, 0, 0, 1));
        QVERIFY(console.text().startsWith("Step\nEvaluating MEDIAN_FILTER: \ndepth: 1\n"));
    }

    // A curve the view cannot index is ignored and said so.
    void shortCurvesAreIgnored() {
        ViewFixture f(100, 100);
        StdoutCapture console;
        f.view->function_slot(std::vector<Vector>(20, Vector(0, 0)), 120);
        QCOMPARE(console.text(), QString("Weight curve ignored: 20 points, 101 needed\n"));
        QCOMPARE(f.view->document.filter.weight_mode, 0);
    }

    // The search sphere, red inside, where the filter's centre is.
    void sphereIsDrawnAtTheCentre() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        QtGLWidget* view = f.view;
        view->camera_distance = -80; // the square 72 pixels wide, the sphere beside it
        Vector centre(0.75f, 0, 0);
        // Red fill and black outlines within the sphere's outline (32 pixels across).
        auto count = [&](const QImage& frame, bool red) {
            QPoint at = f.pixel_of(centre);
            int n = 0;
            for (int dy = -20; dy <= 20; ++dy)
                for (int dx = -20; dx <= 20; ++dx) {
                    QColor c = frame.pixelColor(at + QPoint(dx, dy));
                    n += red ? c.red() > 60 && c.green() < 40 && c.blue() < 40
                             : c.red() < 40 && c.green() < 40 && c.blue() < 40;
                }
            return n;
        };
        auto red_pixels = [&](const QImage& frame) { return count(frame, true); };
        QCOMPARE(red_pixels(f.frame()), 0);
        view->document.filter.centre = centre;
        view->document.filter.radius = Vector(0.4f, 0.4f, 0.4f, 10);
        view->document.filter.needs_reset = false; // a stepped run in progress
        view->changed();
        QImage frame = f.frame();
        QVERIFY(red_pixels(frame) > 200);
        QVERIFY(count(frame, false) > 200);
    }
};

RegisterGuiTest<MeanShiftPanelTest> mean_shift_panel_test;
RegisterGuiTest<WeightCurveWidgetTest> weight_curve_widget_test;
RegisterGuiTest<MeanShiftViewTest> mean_shift_view_test;

#include "mean_shift_test.moc"
