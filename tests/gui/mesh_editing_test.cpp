// The view's simplification and subdivision slots, reached directly and through the
// tool pages' "Apply": what replaces the mesh, what it keeps, what is refused.
#include "gui_test_util.h"

#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "viewer/qt_main_window.h"

#include <QMessageBox>
#include <QSlider>
#include <QTabWidget>

namespace {

bool all_red(const Mesh& m) {
    for (int v = 0; v < m.nv; ++v)
        if (!(m.colours[v] == Vector(1, 0, 0))) return false;
    return m.nv > 0;
}

} // namespace

class MeshEditingSlotsTest : public QObject {
    Q_OBJECT

  private slots:
    void simplifyKeepsColoursAndClearsTheSelection() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        Mesh& mesh = f.view->document.mesh;
        mesh.selectedface = 2;
        StdoutCapture out;
        f.view->simplify_slot(75); // trunc(4 x 0.75) = 3 vertices
        QCOMPARE(out.text(), QString("BUILDING: MESH_VERTEX_NORMALS MESH_EDGE_LIST \n\n"));
        QCOMPARE(mesh.nv, 3);
        QCOMPARE(mesh.nf, 1);
        QCOMPARE(mesh.selectedface, -1);
        QVERIFY(all_red(mesh));
        QVERIFY(mesh.edge_list_current());
        QCOMPARE(mesh.nedges, 3);
        // Still drawn, in red.
        QImage frame = f.frame();
        int red = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                QColor c = frame.pixelColor(x, y);
                red += c.red() > 100 && c.green() < 50 && c.blue() < 50;
            }
        QVERIFY(red > 1000);
    }

    void subdivisionLevelZeroDoesNothing() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        f.view->document.mesh.selectedface = 1;
        f.view->subdivide_slot(0, 0.0f);
        QCOMPARE(f.view->document.mesh.nf, 2);
        QCOMPARE(f.view->document.mesh.selectedface, 1);
    }

    void subdivisionTooLargeIsRefusedWithAWarning() {
        ViewFixture f(200, 200);
        f.load(square_with_colours);
        f.view->document.mesh.selectedface = 1;
        f.view->subdivide_slot(20, 0.0f);
        QCOMPARE(f.view->document.mesh.nf, 2);
        QCOMPARE(f.view->document.mesh.nv, 4);
        QCOMPARE(f.view->document.mesh.selectedface, 1);
        auto* box = f.view->findChild<QMessageBox*>();
        QVERIFY(box);
        QVERIFY(box->text().startsWith("ERROR: 20 subdivision levels of 2 faces"));
        box->close();
    }

    // The pages' "Apply" reaches the slots through the main window's connections.
    void applyOnTheToolPages() {
        QtMainWindow window;
        window.show_all_tool_pages(true, false);
        QtGLWidget* view = window.view();
        TempFolder dir;
        QString path = dir.file("square.obj");
        std::ofstream(path.toStdString()) << square_with_colours;
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(path)));
        QtMeshEditorDialogue* d = window.mesheditor;

        d->tabs->setCurrentWidget(d->subdivide_page.get());
        d->subdivide_page->subdivlevel_slider->setValue(2);
        d->subdivide_page->weight_slider->setValue(25);
        view->document.mesh.selectedface = 1;
        d->apply_event();
        QCOMPARE(view->document.mesh.nf, 32);
        QCOMPARE(view->document.mesh.nv, 25);
        QCOMPARE(view->document.mesh.selectedface, -1);
        QVERIFY(all_red(view->document.mesh));
        // Slider 25: midpoints, so the square stays flat and its corners stay put.
        for (int v = 0; v < view->document.mesh.nv; ++v)
            QCOMPARE(view->document.mesh.vertices[v].z, 0.0f);
        QCOMPARE(view->document.mesh.vertices[2], Vector(0.45f, 0.45f, 0));
        QCOMPARE(view->document.mesh.vertices[4], Vector(0, -0.45f, 0)); // edge (0, 1)

        d->tabs->setCurrentWidget(d->simplify_page.get());
        d->simplify_page->threshmin_slider->setValue(40);
        d->apply_event();
        QCOMPARE(view->document.mesh.nv, 10); // trunc(25 x 0.4)
        QVERIFY(all_red(view->document.mesh));
        for (const Face& face : view->document.mesh.faces)
            for (int c : face.vindex) QVERIFY(c >= 0 && c < 10);

        d->reset_event(); // "Reload" brings the square back
        QCOMPARE(view->document.mesh.nf, 2);
    }
};

RegisterGuiTest<MeshEditingSlotsTest> mesh_editing_slots_test;

#include "mesh_editing_test.moc"
