// The view's simplification and subdivision slots, reached directly and through the
// tool pages' "Apply": what replaces the mesh, what it keeps, what is refused, and the
// Simplify page's choice of method.
#include "gui_test_util.h"

#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "viewer/qt_main_window.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMessageBox>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <cmath>
#include <fstream>
#include <string>

namespace {

bool all_red(const Mesh& m) {
    for (int v = 0; v < m.nv; ++v)
        if (!(m.colours[v] == Vector(1, 0, 0))) return false;
    return m.nv > 0;
}

// An n x n grid over a wavy surface, as OBJ text.
std::string wavy_grid_obj(int n) {
    std::string obj;
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            obj += "v " + std::to_string(x) + " " + std::to_string(std::sin(0.9 * x) * 0.3) + " " +
                   std::to_string(z) + "\n";
    for (int z = 0; z + 1 < n; ++z)
        for (int x = 0; x + 1 < n; ++x) {
            int a = z * n + x + 1, b = a + 1, c = a + n, d = c + 1;
            obj += "f " + std::to_string(a) + " " + std::to_string(c) + " " + std::to_string(b) +
                   "\nf " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) +
                   "\n";
        }
    return obj;
}

int border_edges(const Mesh& m) {
    int n = 0;
    for (const auto& e : m.edgefaces) n += e[1] == -1;
    return n;
}

// The window with every tool page, showing the mesh of OBJ `text` (written into `dir`);
// nullptr when it does not open.
QtGLWidget* open_with_every_page(QtMainWindow& window, TempFolder& dir, const std::string& text) {
    window.show_all_tool_pages(true, false);
    QString path = dir.file("mesh.obj");
    std::ofstream(path.toStdString()) << text;
    return window.view()->load_file(path) ? window.view() : nullptr;
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
        TempFolder dir;
        StdoutCapture quiet;
        QtGLWidget* view = open_with_every_page(window, dir, square_with_colours);
        QVERIFY(view);
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

    // The Simplify page's method and error limit reach the document through the view;
    // the quadric method keeps the border and says in the status bar what it left.
    void methodChoiceOnTheSimplifyPage() {
        QtMainWindow window;
        TempFolder dir;
        StdoutCapture quiet;
        QtGLWidget* view = open_with_every_page(window, dir, wavy_grid_obj(8));
        QVERIFY(view);
        QtMeshEditorDialogue* d = window.mesheditor;
        QtMeshSimplifierWidget* page = d->simplify_page.get();
        QCOMPARE(page->method_box->count(), 2);
        QCOMPARE(page->method_box->itemText(0), QString("Edge collapse"));
        QCOMPARE(page->method_box->itemText(1), QString("Quadric (keeps borders)"));
        QCOMPARE(page->method_box->currentIndex(), 0);
        QVERIFY(!page->max_error_box->isEnabled());
        QCOMPARE(page->max_error_box->value(), 0.005);

        page->method_box->setCurrentIndex(1);
        page->max_error_box->setValue(0.02);
        QVERIFY(page->max_error_box->isEnabled());
        QCOMPARE(page->method, SimplifyMethod::Quadric);
        QCOMPARE(page->max_error, 0.02f);
        QCOMPARE(view->document.simplification.method, SimplifyMethod::Quadric);
        QCOMPARE(view->document.simplification.max_error, 0.02f);
        d->tabs->setCurrentWidget(page);
        page->threshmin_slider->setValue(50);
        d->apply_event();
        const Mesh& m = view->document.mesh;
        QVERIFY(m.nv < 64);
        QCOMPARE(border_edges(m), 28);
        QVERIFY(window.status_bar->currentMessage().startsWith(
            QString("Quadric simplification: %1 vertices and %2 faces left of 64 and 98")
                .arg(m.nv)
                .arg(m.nf)));

        // Back to edge collapses, which take the level of detail exactly.
        page->method_box->setCurrentIndex(0);
        QVERIFY(!page->max_error_box->isEnabled());
        QCOMPARE(view->document.simplification.method, SimplifyMethod::EdgeCollapse);
        d->reset_event();
        d->apply_event();
        QCOMPARE(m.nv, 32);
    }
};

RegisterGuiTest<MeshEditingSlotsTest> mesh_editing_slots_test;

#include "mesh_editing_test.moc"
