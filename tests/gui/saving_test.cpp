// Saving without loss and opening with care: Save As keeps the colours and morphogens
// on screen, asks before replacing a file under its final name and completes names
// once; Save Rendering completes ".png"; a file without faces, or a Reload before any
// file, leaves the view as it was; replaced faces drop the selection.
#include "gui_test_util.h"

#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

namespace {

const char* coloured_with_morphogens = "mn growth decay\n"
                                       "v 0 0 0\nvc 1 0 0\nm 0.5 1\n"
                                       "v 1 0 0\nvc 0 1 0\nm 0.25 2.5e-07\n"
                                       "v 0 1 0\nvc 0 0 1\nm 1 0\n"
                                       "f 1 2 3\n";

} // namespace

class SavingTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window = std::make_unique<QtMainWindow>();
        show_main_window(*window);
        view = window->view();
    }
    void cleanup() { window.reset(); }

    void saveAsKeepsTheColoursAndMorphogensOnScreen() {
        TempFolder dir;
        StdoutCapture quiet;
        load_coloured_with_morphogens(dir);
        QVERIFY(window->save_mesh_as(dir.file("saved")));
        QByteArray saved = file_bytes(dir.file("saved.obj"));
        QVERIFY(saved.startsWith("mn growth decay\nv 0 0 0\nvc 1 0 0\nm 0.5 1\n"));

        Mesh back;
        QVERIFY(bool(back.load_obj(dir.file("saved.obj").toStdString())));
        for (int v = 0; v < 3; ++v) QCOMPARE(back.colours[v], view->document.mesh.colours[v]);
        QCOMPARE(back.morphogen_names, view->document.mesh.morphogen_names);
        QCOMPARE(back.morphogens, view->document.mesh.morphogens);

        // A mesh all of the default grey is written as before: no colour lines.
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        QVERIFY(view->document.mesh.has_default_colours());
        QVERIFY(window->save_mesh_as(dir.file("grey.obj")));
        QVERIFY(!file_bytes(dir.file("grey.obj")).contains("vc "));

        // Colours set by the terrain page are written.
        window->mesheditor->terrain_page->load_colour_map_file(QString(VOSTREL_DATA) +
                                                               "/colourmaps/hypsometric.map");
        QVERIFY(window->save_mesh_as(dir.file("tinted.obj")));
        Mesh tinted;
        QVERIFY(bool(tinted.load_obj(dir.file("tinted.obj").toStdString())));
        for (int v = 0; v < tinted.nv; ++v) {
            const Vector &a = tinted.colours[v], &b = view->document.mesh.colours[v];
            QVERIFY(std::abs(a.x - b.x) + std::abs(a.y - b.y) + std::abs(a.z - b.z) < 1e-5f);
        }
    }

    // The morphogens go with the kept copy: after a terrain and a Reload the file's
    // values are back, and a save writes them.
    void reloadBringsTheMorphogensBack() {
        TempFolder dir;
        StdoutCapture quiet;
        load_coloured_with_morphogens(dir);
        apply_terrain();
        QVERIFY(view->document.mesh.morphogens.empty());
        view->reload_slot();
        QCOMPARE(view->document.mesh.morphogens.size(), size_t(3));
        QCOMPARE(view->document.mesh.morphogens[1][0], 0.25f);
        QCOMPARE(view->document.mesh.morphogen_names,
                 (std::vector<std::string>{"growth", "decay"}));
    }

    void replacingAFileAsksUnderItsFinalName() {
        TempFolder dir;
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        write_file(dir.file("victim.obj"), "keep me");
        auto asked = std::make_shared<QString>();
        when_open<QMessageBox>([asked](QMessageBox* box) {
            *asked = box->text();
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!window->save_mesh_as(dir.file("victim")));
        QVERIFY(asked->contains(dir.file("victim.obj")));
        QCOMPARE(file_bytes(dir.file("victim.obj")), QByteArray("keep me"));

        when_open<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QVERIFY(window->save_mesh_as(dir.file("victim")));
        QVERIFY(file_bytes(dir.file("victim.obj")).startsWith("v "));

        // A new name asks nothing; an extension in any case is not appended again.
        QVERIFY(window->save_mesh_as(dir.file("UP.OBJ")));
        QVERIFY(QFile::exists(dir.file("UP.OBJ")));
        QVERIFY(!QFile::exists(dir.file("UP.OBJ.obj")));
        QCOMPARE(QtGLWidget::obj_file_name("x.Obj"), QString("x.Obj"));
        QCOMPARE(QtGLWidget::obj_file_name("x.obj.txt"), QString("x.obj.txt"));
        QCOMPARE(QtGLWidget::obj_file_name("result"), QString("result.obj"));
    }

    // A filter per format, OBJ first: the one chosen completes a bare name, an extension
    // of a format chooses it whatever the filter, and what the format loses is said.
    void saveAsWritesTheFormatChosen() {
        TempFolder dir;
        StdoutCapture quiet;
        load_coloured_with_morphogens(dir);
        auto seen = std::make_shared<QStringList>();
        QString bare = dir.file("chosen");
        when_open<QFileDialog>([seen, bare](QFileDialog* d) {
            *seen = d->nameFilters();
            d->selectNameFilter("PLY (*.ply)");
            d->selectFile(bare);
            static_cast<QDialog*>(d)->accept();
        });
        window->savefileEvent();
        QCOMPARE(*seen, QStringList({"OBJ (*.obj)", "PLY (*.ply)", "STL (*.stl)", "OFF (*.off)",
                                     "glTF binary (*.glb)"}));
        QTRY_VERIFY(QFile::exists(dir.file("chosen.ply")));
        QVERIFY(file_bytes(dir.file("chosen.ply"))
                    .startsWith("ply\nformat binary_little_endian 1.0\n"));
        QTRY_COMPARE(window->status_bar->currentMessage(),
                     "WARNING: " + dir.file("chosen.ply") +
                         ": the morphogens are not kept in PLY (only OBJ keeps them)");

        QVERIFY(window->save_mesh_as(dir.file("up.STL"), SaveFormat::Glb));
        QTRY_COMPARE(QFileInfo(dir.file("up.STL")).size(), qint64(84 + 50));
        QCOMPARE(QtGLWidget::mesh_file_name("x.obj.txt"), QString("x.obj.txt"));
        QCOMPARE(QtGLWidget::mesh_file_name("x", SaveFormat::Glb), QString("x.glb"));
        QCOMPARE(QtGLWidget::mesh_file_name("x.Off", SaveFormat::Obj), QString("x.Off"));
    }

    void saveRenderingCompletesThePngName() {
        TempFolder dir;
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->save_rendering_as(dir.file("shot")));
        QImage shot(dir.file("shot.png"));
        QCOMPARE(shot.size(), view->grab_frame().size());
        QVERIFY(window->save_rendering_as(dir.file("named.png")));
        QVERIFY(QFile::exists(dir.file("named.png")));
        QVERIFY(!QFile::exists(dir.file("named.png.png")));

        auto asked = std::make_shared<bool>(false);
        when_open<QMessageBox>([asked](QMessageBox* box) {
            *asked = true;
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!window->save_rendering_as(dir.file("shot")));
        QVERIFY(*asked);
    }

    void aFileWithoutFacesIsReportedAndTheMeshStays() {
        TempFolder dir;
        write_file(dir.file("empty.obj"), "");
        write_file(dir.file("points.obj"), "v 0 0 0\nv 1 0 0\np 1 2\n");
        write_file(dir.file("lines.net"), "v 0 0 0\nv 1 0 0\n");
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        for (const char* name : {"empty.obj", "points.obj", "lines.net"}) {
            IoResult r = view->load_file(dir.file(name));
            QVERIFY(!r);
            QCOMPARE(QString::fromStdString(r.error), dir.file(name) + " holds no faces");
            QCOMPARE(view->document.mesh.nf, 12);
            QCOMPARE(view->document.kept.nf, 12);
            QCOMPARE(view->file_name, QString(VOSTREL_DATA) + "/cube.obj");
        }
        window->dragndrop_slot(dir.file("points.obj"));
        QTRY_VERIFY(window->findChild<QMessageBox*>() != nullptr);
        QVERIFY(window->findChild<QMessageBox*>()->text().contains("holds no faces"));
    }

    void reloadBeforeAnyFileDoesNothing() {
        StdoutCapture quiet;
        apply_terrain();
        QCOMPARE(view->document.mesh.nf, 7938);
        view->reload_slot();
        QCOMPARE(view->document.mesh.nf, 7938);
    }

    // A red triangle marks the face picked, never whatever face takes its number.
    void replacedFacesDropTheSelection() {
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        view->document.mesh.selectedface = 5;
        view->reload_slot();
        QCOMPARE(view->document.mesh.selectedface, -1);
        view->document.mesh.selectedface = 5;
        apply_terrain();
        QCOMPARE(view->document.mesh.selectedface, -1);
        // Recolouring alone keeps it.
        view->document.mesh.selectedface = 5;
        window->mesheditor->terrain_page->load_colour_map_file(QString(VOSTREL_DATA) +
                                                               "/colourmaps/grey.map");
        QCOMPARE(view->document.mesh.selectedface, 5);
    }

    // The terrain gets centroids, so its face normals start on their faces.
    void aTerrainHasCentroids() {
        StdoutCapture quiet;
        apply_terrain();
        const Mesh& m = view->document.mesh;
        for (int i : {0, 100, m.nf - 1}) {
            const int* c = m.faces[i].vindex;
            Vector expected = m.vertices[c[0]] + m.vertices[c[1]] + m.vertices[c[2]];
            expected /= 3;
            QCOMPARE(m.centroids[i], expected);
        }
    }

    // The open dialog offers what is read and starts where the last file came from.
    void theOpenDialogStartsInTheFolderLastUsed() {
        TempFolder dir;
        QSettings().remove("files/open_folder");
        QString path = dir.file("cube.obj");
        QFile::copy(QString(VOSTREL_DATA) + "/cube.obj", path);
        auto seen = std::make_shared<QStringList>();
        when_open<QFileDialog>([seen, path](QFileDialog* d) {
            *seen = d->nameFilters();
            d->selectFile(path);
            static_cast<QDialog*>(d)->accept(); // QFileDialog's own accept is protected
        });
        StdoutCapture quiet;
        window->openfileEvent();
        QCOMPARE(seen->size(), 11);
        QVERIFY(seen->front().startsWith("All meshes (*.net *.obj *.3d ") &&
                seen->front().contains(" *.ply "));
        QCOMPARE(seen->at(3), QString("PLY (*.ply)"));
        QCOMPARE(seen->back(), QString("All files (*)"));
        QCOMPARE(view->document.mesh.nf, 12);
        QCOMPARE(window->open_folder(), dir.path());

        auto folder = std::make_shared<QString>();
        when_open<QFileDialog>([folder](QFileDialog* d) {
            *folder = d->directory().absolutePath();
            d->reject();
        });
        window->openfileEvent();
        QCOMPARE(*folder, dir.path());
    }

    // "Apply" without a heightmap would lay a flat black plane over the mesh.
    void terrainWithoutAHeightmapKeepsTheMesh() {
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        window->mesheditor->terrain_page->apply();
        QCOMPARE(view->document.mesh.nf, 12);
        QVERIFY(!view->document.history.can_undo());
        QCOMPARE(window->status_bar->currentMessage(), QString("Load a heightmap first"));
        QList<QMessageBox*> boxes = window->findChildren<QMessageBox*>();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0]->text(), QString("Load a heightmap first"));
    }

    // Save ALL writes nothing without a mesh, and asks once before it replaces files.
    void saveAllAsksBeforeReplacing() {
        TempFolder dir;
        QString here = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        write_file("non-segemented.obj", "keep me");
        write_file("segemented.obj", "keep me too");
        StdoutCapture quiet;
        window->saveallEvent();
        QCOMPARE(window->status_bar->currentMessage(),
                 QString("There is no mesh to save: open one first"));
        QCOMPARE(file_bytes("non-segemented.obj"), QByteArray("keep me"));
        qDeleteAll(window->findChildren<QMessageBox*>()); // the warning that said so

        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        auto asked = std::make_shared<int>(0);
        auto answer = [asked](QMessageBox::StandardButton button) {
            when_open<QMessageBox>([asked, button](QMessageBox* box) {
                ++*asked;
                QVERIFY(box->text().startsWith("2 segment files already exist in " +
                                               QDir::currentPath()));
                box->button(button)->click();
            });
        };
        answer(QMessageBox::No);
        window->saveallEvent();
        QCOMPARE(*asked, 1);
        QCOMPARE(file_bytes("segemented.obj"), QByteArray("keep me too"));
        answer(QMessageBox::Yes);
        window->saveallEvent();
        QCOMPARE(*asked, 2);
        QVERIFY(file_bytes("non-segemented.obj").startsWith("v "));
        QCOMPARE(window->status_bar->currentMessage(),
                 QString("Wrote 2 segment files to %1").arg(QDir::currentPath()));
        QVERIFY(QDir::setCurrent(here));
    }

  private:
    std::unique_ptr<QtMainWindow> window;
    QtGLWidget* view = nullptr;

    void apply_terrain() {
        QVERIFY(window->mesheditor->terrain_page->load_heightmap_file(
            QString(VOSTREL_DATA) + "/heightmaps/raylib_heightmap_128_rgb.png"));
        window->mesheditor->terrain_page->apply();
    }

    void load_coloured_with_morphogens(const TempFolder& dir) {
        QString source = dir.file("source.obj");
        write_file(source, coloured_with_morphogens);
        QVERIFY(bool(view->load_file(source)));
    }
};

RegisterGuiTest<SavingTest> saving_test;

#include "saving_test.moc"
