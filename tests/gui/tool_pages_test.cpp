// Every tool within reach: the tools dialog's pages follow "Show All Tool Pages" (and
// `--all-tools`), each page's "Apply" reaches its view slot, and the faces render mode
// shows face colours, marks and the selected face.
#include "gui_test_util.h"

#include "clipping/qt_clipping_widget.h"
#include "segmentation/qt_mean_shift_widget.h"
#include "segmentation/qt_mesh_classifier_widget.h"
#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "tools/qt_mesh_traversal_widget.h"
#include "tools/qt_morphogen_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QAction>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>

namespace {

QStringList tab_titles(QTabWidget* tabs) {
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i) titles << tabs->tabText(i);
    return titles;
}

const QStringList all_titles{"Terrain",  "Classify",  "Mean Shift", "Traversal",
                             "Simplify", "Subdivide", "Morphogens", "Clipping"};

} // namespace

class AllToolPagesTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { QSettings().clear(); }

    void theOptionShowsAndHidesThePages() {
        QtMainWindow window;
        QCOMPARE(window.mesheditor->windowTitle(), QString("Mesh Tools"));
        QCOMPARE(tab_titles(window.mesheditor->tabs), QStringList{"Terrain"});
        QVERIFY(!window.all_tool_pages_item->isChecked());

        window.all_tool_pages_item->trigger();
        QCOMPARE(tab_titles(window.mesheditor->tabs), all_titles);
        window.mesheditor->tabs->setCurrentIndex(3);
        window.all_tool_pages_item->trigger();
        QCOMPARE(tab_titles(window.mesheditor->tabs), QStringList{"Terrain"});
        QCOMPARE(window.mesheditor->tabs->currentIndex(), 0);
    }

    void theChoiceIsRemembered() {
        {
            QtMainWindow first;
            first.all_tool_pages_item->trigger();
        }
        QtMainWindow second;
        QVERIFY(second.all_tool_pages_item->isChecked());
        QCOMPARE(tab_titles(second.mesheditor->tabs), all_titles);
        second.all_tool_pages_item->trigger();
        QtMainWindow third;
        QCOMPARE(tab_titles(third.mesheditor->tabs), QStringList{"Terrain"});
    }

    // `--all-tools` shows the pages for this run without changing the remembered choice.
    void theCommandLineOption() {
        CommandLine line = parse_command_line({"vostrel", "--all-tools", "mesh.obj", "other"});
        QVERIFY(line.all_tools);
        QVERIFY(line.has_file);
        QCOMPARE(line.file, QString("mesh.obj"));
        CommandLine plain = parse_command_line({"vostrel"});
        QVERIFY(!plain.all_tools);
        QVERIFY(!plain.has_file);

        QtMainWindow window;
        window.show_all_tool_pages(true, false);
        QVERIFY(window.all_tool_pages_item->isChecked());
        QCOMPARE(window.mesheditor->tabs->count(), 8);
        QVERIFY(!QSettings().value("tools/all_pages", false).toBool());
    }

    // "Apply" runs the current page's action: the signal that its view slot receives.
    void applyRunsTheCurrentPage() {
        QtMainWindow window;
        window.show_all_tool_pages(true, false);
        TempFolder dir;
        std::ofstream(dir.file("square.obj").toStdString()) << square_with_colours;
        {
            StdoutCapture quiet;
            QVERIFY(bool(window.view()->load_file(dir.file("square.obj"), true)));
        }
        QtMeshEditorDialogue* d = window.mesheditor;
        QSignalSpy classify(d->classify_page.get(), &QtMeshClassifierWidget::meshclassify_signal);
        QSignalSpy filter(d->meanshift_page.get(), &QtMeanShiftWidget::mshift_signal);
        QSignalSpy traverse(d->traverse_page.get(), &QtMeshTraversalWidget::edgetraversal_signal);
        QSignalSpy simplify(d->simplify_page.get(), &QtMeshSimplifierWidget::simplifySignal);
        QSignalSpy subdivide(d->subdivide_page.get(), &QtMeshSubdivideWidget::subdivide_signal);
        QSignalSpy colours(d->morpho_page.get(), &QtMorphogenWidget::buildvertexcolour_signal);
        QSignalSpy select(d->clipping_page.get(), &QtCLippingWidget::cutplane_select_signal);
        d->subdivide_page->subdivlevel_slider->setValue(1);
        QList<QSignalSpy*> spies{nullptr,   &classify,  &filter, nullptr,
                                 &simplify, &subdivide, nullptr, nullptr};
        for (int page = 1; page < 8; ++page) {
            d->tabs->setCurrentIndex(page);
            d->apply_event();
            for (int other = 1; other < 8; ++other)
                if (spies[other]) QCOMPARE(spies[other]->count(), other <= page ? 1 : 0);
        }
        // The traversal, morphogen and clipping pages have no action.
        QCOMPARE(traverse.count(), 0);
        QCOMPARE(colours.count(), 0);
        QCOMPARE(select.count(), 0);

        // The terrain page's action replaces the view's mesh.
        QVERIFY(d->terrain_page->load_heightmap_file(QString(VOSTREL_DATA) +
                                                     "/heightmaps/raylib_heightmap_128_rgb.png"));
        d->tabs->setCurrentIndex(0);
        {
            StdoutCapture quiet;
            d->apply_event();
        }
        QCOMPARE(window.view()->document.mesh.nf, 7938);
    }
};

class FaceRenderModeTest : public QObject {
    Q_OBJECT

  private slots:
    // Each face in its own colour, flat; the marked ones under the highlight; the
    // selected one red.
    void faceColoursMarksAndSelection() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        Mesh& mesh = f.view->document.mesh;
        QCOMPARE(mesh.nf, 2);
        mesh.faces[0].colour = Vector(0, 0, 1);
        mesh.faces[1].colour = Vector(0, 1, 0);
        f.view->set_render_mode(RenderMode::Faces);
        QImage plain = f.frame();
        QPoint first = f.pixel_of(mesh.centroids[0]), second = f.pixel_of(mesh.centroids[1]);
        QColor a = plain.pixelColor(first), b = plain.pixelColor(second);
        QVERIFY2(a.blue() > 100 && a.red() == 0 && a.green() == 0, qPrintable(a.name()));
        QVERIFY2(b.green() > 100 && b.red() == 0 && b.blue() == 0, qPrintable(b.name()));
        // Flat: one colour over the whole face, whatever the vertex colours (red here).
        QCOMPARE(plain.pixelColor((first + f.pixel_of(mesh.vertices[0])) / 2), a);

        mesh.faces[1].marked = 1;
        QImage marked = f.frame();
        QCOMPARE(marked.pixelColor(first), a);
        QColor m = marked.pixelColor(second);
        QVERIFY2(m.red() > 100 && m != b, qPrintable(m.name()));

        mesh.selectedface = 1;
        QCOMPARE(f.frame().pixelColor(first), QColor(255, 0, 0));
    }
};

RegisterGuiTest<AllToolPagesTest> all_tool_pages_test;
RegisterGuiTest<FaceRenderModeTest> face_render_mode_test;

#include "tool_pages_test.moc"
