// Edge traversal in the window: the traversal page's depth and angle, middle-click picks
// that rerun it, "Mark Current", and "Save ALL..." with its status and its warnings.
#include "gui_test_util.h"

#include "tests/reference/segments_reference.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_traversal_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <set>
#include <sstream>

namespace {

// A flat n x n grid of unit squares in the plane z = 0, two triangles each.
std::string grid_obj(int n) {
    std::ostringstream obj;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) obj << "v " << j << " " << i << " 0\n";
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            int a = i * (n + 1) + j + 1, b = a + 1, c = a + n + 1, d = c + 1;
            obj << "f " << a << " " << b << " " << d << "\nf " << a << " " << d << " " << c << "\n";
        }
    return obj.str();
}

// Middle-click on a face's centroid as the last frame shows it.
void click_face(QtGLWidget* view, int face) {
    view->grabFramebuffer();
    const Vector& p = view->document.mesh.centroids[face];
    const Vector& c = view->document.mesh.centre;
    double wx, wy, wz;
    gluProject(p.x - c.x, p.y - c.y, p.z - c.z, view->frame_modelview.data(),
               view->frame_projection.data(), view->frame_viewport.data(), &wx, &wy, &wz);
    StdoutCapture quiet;
    QTest::mouseClick(view, Qt::MiddleButton, {}, QPoint(int(wx), int(view->view_height - wy)));
}

} // namespace

class EdgeTraversalTest : public QObject {
    Q_OBJECT

  private slots:
    void pickWithThePagesDepthAndAngleMarksTheRings() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        TempFolder dir;
        QString path = dir.file("grid.obj");
        std::ofstream(path.toStdString()) << grid_obj(6);
        {
            StdoutCapture quiet;
            QVERIFY(bool(view->load_file(path)));
        }
        Mesh& mesh = view->document.mesh;
        QtMeshTraversalWidget* page = window.mesheditor->traverse_page.get();

        // At depth 0 a pick only clears the marks, and the render mode stays.
        click_face(view, 30);
        QCOMPARE(mesh.selectedface, 31);
        QVERIFY(marked_faces(mesh).empty());
        QCOMPARE(int(view->document.render_mode), int(RenderMode::Polygons));
        view->document.mesh.selectedface = -1;

        // Numbers set before a pick are kept for it, though nothing is marked yet.
        page->depth_slider->setValue(1);
        QCOMPARE(view->document.traversal.depth, 1);
        QVERIFY(marked_faces(mesh).empty());
        click_face(view, 30);
        QCOMPARE(marked_faces(mesh), faces_at_distances(mesh, 30, 1, 1));

        // With a face picked, every slider move runs it from that face.
        page->depth_slider->setValue(2);
        QCOMPARE(view->document.traversal.depth, 2);
        QCOMPARE(view->document.traversal.angle, 1);
        QCOMPARE(marked_faces(mesh), faces_at_distances(mesh, 30, 0, 2));
        QCOMPARE(int(view->document.render_mode), int(RenderMode::Faces)); // the marks are shown

        // The next pick reruns it from the new face with the same numbers.
        page->stepsize_slider->setValue(10);
        click_face(view, 45);
        QCOMPARE(mesh.selectedface, 46);
        QCOMPARE(marked_faces(mesh), faces_at_distances(mesh, 45, 0, 2));

        // "Mark Current" makes them segment 1, in one colour, and clears the marks.
        std::set<int> segment = marked_faces(mesh);
        QPushButton* mark = nullptr;
        for (QPushButton* b : page->findChildren<QPushButton*>())
            if (b->text() == "Mark Current") mark = b;
        QVERIFY(mark);
        mark->click();
        QVERIFY(marked_faces(mesh).empty());
        QCOMPARE(view->document.traversal.region_counter, 1);
        for (int f = 0; f < mesh.nf; ++f) {
            QCOMPARE(mesh.faces[f].segment, segment.count(f) ? 1 : 0);
            if (segment.count(f))
                QVERIFY(mesh.faces[f].colour == mesh.faces[*segment.begin()].colour);
        }
    }

    void saveAllReportsItsFiles() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        TempFolder dir;
        QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        std::ofstream("grid.obj") << grid_obj(2);
        {
            StdoutCapture quiet;
            QVERIFY(bool(view->load_file("grid.obj")));
        }
        view->document.mesh.faces[0].marked = 1;
        view->document.mesh.selectedface = 1;
        view->markcurrent_slot();
        QCOMPARE(int(view->document.render_mode), int(RenderMode::Faces));

        StdoutCapture out;
        window.saveallEvent();
        QString text = out.text();
        QVERIFY2(text.contains("Saving: object_1.obj v:3 f:3\n"), qPrintable(text));
        QVERIFY(QFile::exists("non-segemented.obj") && QFile::exists("object_1.obj") &&
                QFile::exists("segemented.obj"));
        QCOMPARE(window.status_bar->currentMessage(),
                 QString("Wrote 3 segment files to %1").arg(QDir::currentPath()));
        QVERIFY(window.findChildren<QMessageBox*>().isEmpty());

        // A file that cannot be replaced: a warning naming it, the rest written.
        QVERIFY(QFile::remove("object_1.obj") && QDir().mkdir("object_1.obj"));
        {
            StdoutCapture quiet;
            when_open<QMessageBox>(
                [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
            window.saveallEvent();
        }
        QCOMPARE(window.status_bar->currentMessage(),
                 QString("Wrote 2 segment files to %1; 1 could not be written")
                     .arg(QDir::currentPath()));
        QList<QMessageBox*> boxes = window.findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0]->text().contains("object_1.obj"), qPrintable(boxes[0]->text()));
        QVERIFY(QDir::setCurrent(saved));
    }
};

RegisterGuiTest<EdgeTraversalTest> edge_traversal_test;

#include "traversal_test.moc"
