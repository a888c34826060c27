// The mesh tools dialog, its small panels and the terrain page with its colour map.
#include "gui_test_util.h"

#include "qtshared/image_files.h"
#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "tools/qt_mesh_traversal_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_light_settings_widget.h"
#include "viewer/qt_main_window.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {

QStringList tree_texts(const QtMeshTerrainWidget& page) {
    QStringList texts;
    for (int row = 0; row < page.colour_tree->topLevelItemCount(); ++row)
        texts << page.colour_tree->topLevelItem(row)->text(1);
    return texts;
}

QString write_png(const TempFolder& dir, const QString& name, QColor colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    QString path = dir.file(name);
    image.save(path, "PNG");
    return path;
}

} // namespace

class ToolsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void buttonsAndPage() {
        QtMeshEditorDialogue dialog(nullptr, "mesheditor");
        QCOMPARE(dialog.tabs->count(), 1);
        QCOMPARE(dialog.tabs->tabText(0), QString("Terrain"));
        QCOMPARE(dialog.terrain_page->objectName(), QString("terraintab"));
        QStringList buttons;
        for (QAbstractButton* b : dialog.findChild<QDialogButtonBox*>()->buttons())
            buttons << b->text();
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Apply", "Close", "Reload"}));
        QSignalSpy reset(&dialog, &QtMeshEditorDialogue::reset_signal);
        dialog.reset_event();
        QCOMPARE(reset.count(), 1);
    }

    void simplifierPanel() {
        QtMeshSimplifierWidget panel;
        QCOMPARE(panel.lod_label->text(), QString("Level of Detail:\t75%"));
        QCOMPARE(panel.threshmin_slider->value(), 75);
        QSignalSpy sent(&panel, &QtMeshSimplifierWidget::simplifySignal);
        panel.threshmin_slider->setValue(40);
        QCOMPARE(panel.lod_label->text(), QString("Level of Detail:\t40%"));
        QCOMPARE(sent.count(), 0);
        panel.apply();
        QCOMPARE(sent[0][0].toFloat(), 40.0f);
    }

    void subdividePanel() {
        QtMeshSubdivideWidget panel;
        // The label shows the butterfly tension the weight sent stands for: 1/16 + weight.
        QCOMPARE(panel.weight_label->text(), QString("Tension:\t0.0625"));
        QCOMPARE(panel.weight_slider->value(), 50);
        QSignalSpy sent(&panel, &QtMeshSubdivideWidget::subdivide_signal);
        panel.apply();
        QCOMPARE(sent.count(), 0); // level 0 sends nothing
        panel.subdivlevel_slider->setValue(3);
        panel.weight_slider->setValue(70);
        panel.apply();
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent[0][0].toInt(), 3);
        QCOMPARE(sent[0][1].toFloat(), 0.05f);
        QCOMPARE(panel.weight_label->text(), QString("Tension:\t0.1125"));
        for (auto [value, shown] : {std::pair{0, "-0.0625"}, {25, "0"}, {100, "0.1875"}}) {
            panel.weight_slider->setValue(value);
            QCOMPARE(panel.weight_label->text(), QString("Tension:\t") + shown);
        }
        QCOMPARE(panel.subdivlevel_label->text(), QString("Subdivision Level:\t3"));
    }

    void traversalPanelSendsAtOnce() {
        QtMeshTraversalWidget panel;
        QCOMPARE(panel.depth_label->text(), QString("Edge Depth:\t0"));
        QCOMPARE(panel.angle_label->text(), QString("Angle Size:\t1"));
        QSignalSpy sent(&panel, &QtMeshTraversalWidget::edgetraversal_signal);
        QSignalSpy mark(&panel, &QtMeshTraversalWidget::markcurrent_signal);
        panel.stepsize_slider->setValue(30);
        panel.depth_slider->setValue(1500);
        QCOMPARE(sent.count(), 2);
        QCOMPARE(sent[1][0].toInt(), 1500);
        QCOMPARE(sent[1][1].toInt(), 30);
        panel.findChild<QPushButton*>()->click();
        QCOMPARE(mark.count(), 1);
    }
};

class TerrainPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void defaultsAndLabels() {
        QtMeshTerrainWidget page;
        QCOMPARE(page.grid_resolution, 64);
        QCOMPARE(page.grid_scale, 256);
        QCOMPARE(page.height_scale, 64);
        QCOMPARE(page.gridres_label->text(), QString("Grid Resolution:\t64"));
        QCOMPARE(page.gridsize_label->text(), QString("Grid Scale:\t256"));
        QCOMPARE(page.height_label->text(), QString("Height Scale:\t64"));
        QCOMPARE(page.gridres_slider->objectName(), QString("gridres_slider"));
        QCOMPARE(page.gridsize_slider->objectName(), QString("gridres_slider"));
        QCOMPARE(page.height_slider->maximum(), 1024);
        QCOMPARE(page.heightmap.size(), QSize(256, 256));
        QCOMPARE(tree_texts(page), (QStringList{"0.0", "1.0"}));
        QCOMPARE(page.values, (std::vector<float>{0, 1}));
        page.gridres_slider->setValue(100);
        QCOMPARE(page.grid_resolution, 100);
        QCOMPARE(page.gridres_label->text(), QString("Grid Resolution:\t100"));
    }

    // Wired to the document's files in use as the window wires it, the page does not
    // save its colour map over the heightmap it opened; over a colour map it may.
    void theColourMapIsNotSavedOverTheHeightmap() {
        TempFolder dir;
        QtMeshTerrainWidget page;
        InputFiles inputs;
        page.file_opened = [&](FileKind k, const std::string& p) { inputs.note(k, p); };
        page.may_save = [&](FileKind k, const std::string& p) {
            return inputs.allow_writing(p, k);
        };
        StdoutCapture quiet;
        QString heightmap = write_png(dir, "h.png", QColor(9, 9, 9));
        QVERIFY(page.load_heightmap_file(heightmap));
        QFile file(heightmap);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        QVERIFY(!page.save_colour_map_file(heightmap));
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(page.save_colour_map_file(dir.file("other.map")));
    }

    void heightmapsLoadScaledWithTheirChannelsExchanged() {
        TempFolder dir;
        QtMeshTerrainWidget page;
        Mesh mesh;
        page.height_scale = 256;
        StdoutCapture quiet;
        QVERIFY(page.load_heightmap_file(write_png(dir, "red.png", QColor(255, 0, 0))));
        QCOMPARE(page.heightmap.size(), QSize(256, 256));
        generate_terrain(mesh, page.heightmap_pixels(), page.terrain_settings());
        QCOMPARE(mesh.vertices[7].y, 39.0f);
        QVERIFY(page.load_heightmap_file(write_png(dir, "blue.png", QColor(0, 0, 255))));
        generate_terrain(mesh, page.heightmap_pixels(), page.terrain_settings());
        QCOMPARE(mesh.vertices[7].y, 87.0f);

        // Not an image: said so, and the blue heightmap stays.
        QFile text(dir.file("text.png"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not an image");
        text.close();
        QVERIFY(!page.load_heightmap_file(dir.file("text.png")));
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
        generate_terrain(mesh, page.heightmap_pixels(), page.terrain_settings());
        QCOMPARE(mesh.vertices[7].y, 87.0f);
    }

    void addingAnEntrySortsByText() {
        QtMeshTerrainWidget page;
        QSignalSpy sent(&page, &QtMeshTerrainWidget::build_vertexcolours_signal);
        for (const char* value : {"0.25", "10", "2"}) {
            when_open<QDialog>([value](QDialog* dialog) {
                QCOMPARE(dialog->objectName(), QString("New Colour"));
                dialog->findChild<QLineEdit*>()->setText(value);
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == "OK") b->click();
            });
            page.addcol_event();
        }
        QCOMPARE(tree_texts(page), (QStringList{"0.0", "0.25", "1.0", "10", "2"}));
        QCOMPARE(page.values, (std::vector<float>{0, 0.25f, 1, 10, 2}));
        QCOMPARE(page.colours[1], QColor(Qt::black));
        QCOMPARE(page.colours[2], QColor(Qt::white));
        QCOMPARE(sent.count(), 3);
    }

    void theEndsOfTheMapKeepTheirValues() {
        QtMeshTerrainWidget page;
        QString shown;
        bool enabled = true;
        when_open<QDialog>([&](QDialog* dialog) {
            shown = dialog->findChild<QLineEdit*>()->text();
            enabled = dialog->findChild<QLineEdit*>()->isEnabled();
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == "CANCEL") b->click();
        });
        page.itemDoubleClickedSlot(page.colour_tree->topLevelItem(1), 1);
        QCOMPARE(shown, QString("1"));
        QVERIFY(!enabled);
        QCOMPARE(page.colour_dialog->objectName(), QString("Edit Colour"));
    }

    void deletingEntries() {
        QtMeshTerrainWidget page;
        TempFolder dir;
        StdoutCapture out;
        QFile file(dir.file("three.map"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0 0 0 0\n0.5 255 0 0\n1 255 255 255\n");
        file.close();
        page.load_colour_map_file(dir.file("three.map"));
        QCOMPARE(tree_texts(page), (QStringList{"0", "0.5", "1"}));

        page.delcol_event(); // no current row: nothing
        QCOMPARE(page.values.size(), size_t(3));
        page.colour_tree->setCurrentItem(page.colour_tree->topLevelItem(0));
        page.delcol_event();
        QCOMPARE(page.values.size(), size_t(3));
        // Refused where the user sees it, not only on the console.
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
        QVERIFY(page.findChild<QMessageBox*>()->text().contains("cannot be deleted"));
        page.colour_tree->setCurrentItem(page.colour_tree->topLevelItem(1));
        when_open<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QString("Confirm Delete..."));
            box->button(QMessageBox::Yes)->click();
        });
        page.delcol_event();
        QCOMPARE(page.values, (std::vector<float>{0, 1}));
        QCOMPARE(tree_texts(page), (QStringList{"0", "1"}));
        QVERIFY(out.text().contains("not allowed\n"));
    }

    void anUnreadableMapLeavesTheMapAsItWas() {
        QtMeshTerrainWidget page;
        page.values = {0, 0.5f, 1};
        page.colours = {Qt::black, Qt::red, Qt::white};
        QSignalSpy sent(&page, &QtMeshTerrainWidget::build_vertexcolours_signal);
        StdoutCapture out;
        page.load_colour_map_file("/nonexistent/gone.map");
        QCOMPARE(page.values, (std::vector<float>{0, 0.5f, 1}));
        QCOMPARE(page.colours[1], QColor(Qt::red));
        QCOMPARE(tree_texts(page), (QStringList{"0", "0.5", "1"}));
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
        QVERIFY(out.text().contains("ERROR!!!\n"));
    }

    void shortMapsAreReported_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("said");
        QTest::newRow("empty") << QByteArray("# nothing\n") << "holds no entries";
        QTest::newRow("one entry") << QByteArray("0.5 10 20 30\n") << "holds one entry only";
    }
    void shortMapsAreReported() {
        QFETCH(QByteArray, text);
        QFETCH(QString, said);
        TempFolder dir;
        QFile file(dir.file("short.map"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        QtMeshTerrainWidget page;
        StdoutCapture quiet;
        page.load_colour_map_file(dir.file("short.map"));
        QCOMPARE(page.values.size(), size_t(text.startsWith("#") ? 0 : 1)); // taken, and said
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
        QVERIFY(page.findChild<QMessageBox*>()->text().contains(said));
    }

    // "abc" is refused in the dialog, which stays open for a number.
    void aValueThatIsNoNumberIsRefused() {
        QtMeshTerrainWidget page;
        QSignalSpy sent(&page, &QtMeshTerrainWidget::build_vertexcolours_signal);
        auto refused = std::make_shared<bool>(false);
        when_open<QDialog>([refused](QDialog* dialog) {
            QPushButton* ok = nullptr;
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == "OK") ok = b;
            for (const char* typed : {"abc", "", "1e999", "nan"}) {
                dialog->findChild<QLineEdit*>()->setText(typed);
                ok->click();
                if (!dialog->isVisible()) return;
            }
            *refused = dialog->findChild<QMessageBox*>() != nullptr;
            dialog->findChild<QLineEdit*>()->setText("0.75");
            ok->click();
        });
        page.addcol_event();
        QVERIFY(*refused);
        QCOMPARE(page.values, (std::vector<float>{0, 0.75f, 1}));
        QCOMPARE(sent.count(), 1);
    }

    // A white entry shows against the page: swatches have a frame, and their pixmaps
    // still hold only the colour.
    void swatchesAreFramed() {
        QtMeshTerrainWidget page;
        auto* white = qobject_cast<QLabel*>(
            page.colour_tree->itemWidget(page.colour_tree->topLevelItem(1), 0));
        QVERIFY(white);
        QCOMPARE(white->frameShape(), QFrame::Box);
        QCOMPARE(white->pixmap().toImage().pixelColor(0, 0), QColor(Qt::white));
        QCOMPARE(white->pixmap().size(), QSize(16, 16));
    }

    // Loading may start among the bundled samples; saving never does.
    void colourMapDialogsStartWhereTheyShould() {
        TempFolder dir;
        QString here = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QtMeshTerrainWidget page;
        auto folder = std::make_shared<QString>();
        auto look = [folder](QFileDialog* d) {
            *folder = d->directory().absolutePath();
            d->reject();
        };
        when_open<QFileDialog>(look);
        page.save_event();
        QCOMPARE(*folder, dir.path());
        when_open<QFileDialog>(look);
        StdoutCapture quiet;
        page.load_event();
        QCOMPARE(*folder, QDir(QString(VOSTREL_DATA) + "/colourmaps").absolutePath());
        QDir::setCurrent(here);
    }

    // Any format Qt reads, sampled as a PNG is.
    void heightmapsOfOtherFormats() {
        TempFolder dir;
        QImage image(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) image.setPixelColor(x, y, QColor(x * 4, y * 5, 255 - x));
        QVERIFY(image.save(dir.file("h.png")));
        QVERIFY(image.save(dir.file("h.bmp")));
        QVERIFY(image.save(dir.file("h.jpg")));
        QVERIFY(heightmap_file_filter().contains("*.bmp"));
        QVERIFY(heightmap_file_filter().contains("*.jpg"));
        QtMeshTerrainWidget page;
        Mesh png, bmp;
        StdoutCapture quiet;
        QVERIFY(page.load_heightmap_file(dir.file("h.png")));
        generate_terrain(png, page.heightmap_pixels(), page.terrain_settings());
        QVERIFY(page.load_heightmap_file(dir.file("h.bmp")));
        generate_terrain(bmp, page.heightmap_pixels(), page.terrain_settings());
        QCOMPARE(bmp.nv, png.nv);
        for (int v = 0; v < png.nv; ++v) QCOMPARE(bmp.vertices[v], png.vertices[v]);
        QVERIFY(page.load_heightmap_file(dir.file("h.jpg")));
    }

    // A cancelled colour dialog keeps the colour, here and in the window's own dialogs.
    void cancelledColourDialogsKeepTheColour() {
        QtMeshTerrainWidget page;
        page.edit_index = 1;
        page.current_colour = Qt::red;
        when_open<QColorDialog>([](QColorDialog* d) { d->reject(); });
        page.pickcol_event();
        QCOMPARE(page.current_colour, QColor(Qt::red));

        QtMainWindow window;
        show_main_window(window);
        window.view()->background_colour = QColor(1, 2, 3);
        when_open<QColorDialog>([](QColorDialog* d) { d->reject(); });
        window.backgroundcolourEvent();
        QCOMPARE(window.view()->background_colour, QColor(1, 2, 3));

        QtLightSettingsWidget light;
        QSignalSpy sent(&light, &QtLightSettingsWidget::light_colour_signal);
        when_open<QColorDialog>([](QColorDialog* d) { d->reject(); });
        light.amb_colourdlg_event();
        QCOMPARE(light.ambient_colour, QColor(127, 127, 127));
        QCOMPARE(sent.count(), 0);
        when_open<QColorDialog>([](QColorDialog* d) {
            d->setCurrentColor(QColor(255, 0, 0));
            d->accept();
        });
        light.dif_colourdlg_event();
        QCOMPARE(light.diffuse.x, 1.0f);
        QCOMPARE(light.diffuse.y, 0.0f);
        QCOMPARE(sent.count(), 1);
        start_with_classic_light();
    }

    void savingAppendsTheExtension() {
        TempFolder dir;
        QtMeshTerrainWidget page;
        QVERIFY(page.save_colour_map_file(dir.file("heights")));
        QVERIFY(page.save_colour_map_file(dir.file("heights.txt")));
        QVERIFY(QFile::exists(dir.file("heights.map")));
        QVERIFY(QFile::exists(dir.file("heights.txt")));
        QFile saved(dir.file("heights.map"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("0\t0\t0\t0\n1\t255\t255\t255\n"));
        StdoutCapture out;
        QVERIFY(!page.save_colour_map_file(dir.file("missing/heights.map")));
        QCOMPARE(out.text(),
                 QString("ERROR: SAVING FILE .MAP File! QtMeshTerrainWidget::save_event(void)\n"));
    }
};

class TerrainInTheWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void applyReplacesAndColoursTheMeshAndReloadBringsItBack() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        StdoutCapture out;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        window.mesheditorEvent();
        QVERIFY(window.mesheditor->isVisible());
        QtMeshTerrainWidget* page = window.mesheditor->terrain_page.get();
        page->height_scale = 64;
        TempFolder dir;
        QVERIFY(page->load_heightmap_file(QString(VOSTREL_DATA) +
                                          "/heightmaps/raylib_heightmap_128_rgb.png"));
        window.mesheditor->apply_event();
        QCOMPARE(view->document.mesh.nv, 4096);
        QCOMPARE(view->document.mesh.nf, 7938);
        view->document.mesh.build_bbox();
        float top = view->document.mesh.bbox[1].y;
        for (int v = 0; v < view->document.mesh.nv; ++v) {
            const Vector& c = view->document.mesh.colours[v];
            float t = view->document.mesh.vertices[v].y / top; // the lowest point is at 0 here
            QVERIFY(std::abs(c.x - t) < 1e-5f && c.x == c.y && c.y == c.z);
        }
        QVERIFY(out.text().contains("terrain vertex colours...\n"));
        QCOMPARE(view->document.kept.nf, 12); // the loaded mesh is kept

        window.mesheditor->reset_event();
        QCOMPARE(view->document.mesh.nf, 12);
        QCOMPARE(view->document.mesh.nv, 8);
    }

    // vostrel-cli terrain writes what the page builds.
    void commandLineMatchesThePage() {
        TempFolder dir;
        QString heightmap = QString(VOSTREL_DATA) + "/heightmaps/puget_sound_crop_256_u8.png";
        QString map = QString(VOSTREL_DATA) + "/colourmaps/hypsometric.map";
        QString cli_out = dir.file("cli.obj"), page_out = dir.file("page.obj");
        QCOMPARE(run_cli({"terrain", heightmap, "-o", cli_out, "--resolution", "97", "--scale",
                          "300", "--height", "120", "--colour-map", map, "--colours"}),
                 0);

        QtMainWindow window;
        show_main_window(window);
        QtMeshTerrainWidget* page = window.mesheditor->terrain_page.get();
        StdoutCapture quiet;
        QVERIFY(page->load_heightmap_file(heightmap));
        page->load_colour_map_file(map);
        page->gridres_slider->setValue(97);
        page->gridsize_slider->setValue(300);
        page->height_slider->setValue(120);
        window.mesheditor->apply_event();
        QVERIFY(bool(window.view()->document.mesh.save_obj(page_out.toStdString(), true)));

        QFile a(cli_out), b(page_out);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QByteArray cli = a.readAll();
        QVERIFY(cli.size() > 100000);
        QVERIFY(cli == b.readAll());
    }
};

RegisterGuiTest<ToolsDialogTest> tools_dialog_test;
RegisterGuiTest<TerrainPanelTest> terrain_panel_test;
RegisterGuiTest<TerrainInTheWindowTest> terrain_in_the_window_test;

#include "tools_test.moc"
