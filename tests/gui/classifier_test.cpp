// The classifier page and the view's classification: the page's controls, labels and
// signals, and a classification seen in the window (patch colours, yellow
// representatives, the patch count going round through the page, browsing patches).
#include "gui_test_util.h"

#include "segmentation/qt_mesh_classifier_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "viewer/qt_main_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace {

QPushButton* button(QWidget* panel, const QString& text) {
    for (QPushButton* b : panel->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

// A flat grid of side 0.9 facing the viewer: every face is seen.
std::string flat_grid(int cells) {
    std::string obj;
    float step = 0.9f / float(cells);
    for (int y = 0; y <= cells; ++y)
        for (int x = 0; x <= cells; ++x)
            obj += "v " + std::to_string(-0.45f + step * float(x)) + " " +
                   std::to_string(-0.45f + step * float(y)) + " 0\n";
    auto v = [cells](int x, int y) { return std::to_string(y * (cells + 1) + x + 1); };
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x)
            obj += "f " + v(x, y) + " " + v(x + 1, y) + " " + v(x + 1, y + 1) + " " + v(x, y + 1) +
                   "\n";
    return obj;
}

bool warning_shown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return true;
    return false;
}

void close_warnings() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w)) box->close();
}

} // namespace

class ClassifierPageTest : public QObject {
    Q_OBJECT

  private slots:
    void controlsAndStartValues() {
        QtMeshClassifierWidget page;
        QCOMPARE(page.layout()->objectName(), QString("patchtab_blayout "));
        for (const char* text : {"Load ShortestPathTable", "Save ShortestPathTable", "Floyd SP",
                                 "Djikstra SP", "Previous", "Next", "Mark Current"})
            QVERIFY2(button(&page, text), text);
        // The checks show the classifier's starting mode.
        QVERIFY(page.floyd_button->isChecked());
        QVERIFY(!page.djikstra_button->isChecked());
        page.djikstra_button->click();
        QVERIFY(!page.floyd_button->isChecked());

        QCOMPARE(page.numpatches_label->text(), QString("Number of Patches:\t1"));
        QCOMPARE(page.weight_label->text(), QString("Weight:\t0.5"));
        QCOMPARE(page.patchthreshold_label->text(), QString("Patch Threshold:\t1"));
        struct Range {
            QSlider* slider;
            int min, max, value, ticks;
        };
        for (Range r :
             {Range{page.threshmin_slider, 1, 50, 1, 1}, Range{page.weight_slider, 0, 100, 50, 10},
              Range{page.patchthreshold_slider, 1, 100, 1, 5}}) {
            QCOMPARE(r.slider->minimum(), r.min);
            QCOMPARE(r.slider->maximum(), r.max);
            QCOMPARE(r.slider->value(), r.value);
            QCOMPARE(r.slider->tickInterval(), r.ticks);
            QCOMPARE(r.slider->pageStep(), 1);
            QVERIFY(r.slider->hasTracking());
        }
        QCOMPARE(page.current_patch, 0);
        QCOMPARE(page.patch_threshold, 1);
        QCOMPARE(page.weight, 0.5f);
        QCOMPARE(page.number_of_patches, 1);
    }

    void slidersSendTheirValues() {
        QtMeshClassifierWidget page;
        QSignalSpy weight(&page, &QtMeshClassifierWidget::weight_signal);
        page.weight_slider->setValue(37);
        QCOMPARE(page.weight_label->text(), QString("Weight:\t0.37"));
        QCOMPARE(weight.count(), 1);
        QCOMPARE(weight.takeFirst().at(0).toFloat(), 0.37f);
        page.weight_slider->setValue(100);
        QCOMPARE(page.weight_label->text(), QString("Weight:\t1"));

        QSignalSpy threshold(&page, &QtMeshClassifierWidget::patchthresh_signal);
        page.patchthreshold_slider->setValue(40);
        QCOMPARE(page.patchthreshold_label->text(), QString("Patch Threshold:\t40"));
        QCOMPARE(threshold.takeFirst().at(0).toInt(), 40);

        // A new count comes back through the slider's own notification too.
        QSignalSpy patches(&page, &QtMeshClassifierWidget::numpatches_signal);
        page.numbpatchesEvent(7);
        QCOMPARE(page.numpatches_label->text(), QString("Number of Patches:\t7"));
        QCOMPARE(page.threshmin_slider->value(), 7);
        QCOMPARE(patches.count(), 2);
        page.numbpatchesEvent(7);
        QCOMPARE(patches.count(), 3);
        QCOMPARE(patches.last().at(0).toInt(), 7);
    }

    void previousAndNextStayWithinThePatches() {
        QtMeshClassifierWidget page;
        QSignalSpy next(&page, &QtMeshClassifierWidget::nextpatch_signal);
        QSignalSpy previous(&page, &QtMeshClassifierWidget::previouspatch_signal);
        QSignalSpy threshold(&page, &QtMeshClassifierWidget::patchthresh_signal);
        button(&page, "Next")->click();
        QCOMPARE(next.takeFirst().at(0).toInt(), 0); // one patch: stays at 0
        button(&page, "Previous")->click();
        QCOMPARE(previous.takeFirst().at(0).toInt(), 0);
        QCOMPARE(threshold.count(), 2);
        QCOMPARE(threshold.last().at(0).toInt(), 1);

        page.numbpatchesEvent(4);
        for (int expected : {1, 2, 3, 3}) {
            button(&page, "Next")->click();
            QCOMPARE(next.takeFirst().at(0).toInt(), expected);
        }
        page.numbpatchesEvent(2); // fewer patches: the current one is the last there is
        QCOMPARE(page.current_patch, 1);
        button(&page, "Previous")->click();
        QCOMPARE(previous.takeFirst().at(0).toInt(), 0);

        QSignalSpy mark(&page, &QtMeshClassifierWidget::markcurrent_signal);
        button(&page, "Mark Current")->click();
        QCOMPARE(mark.count(), 1);
    }

    void modesAndTableFiles() {
        QtMeshClassifierWidget page;
        QSignalSpy mode(&page, &QtMeshClassifierWidget::sp_mode_signal);
        button(&page, "Djikstra SP")->click();
        button(&page, "Floyd SP")->click();
        QCOMPARE(mode.count(), 2);
        QCOMPARE(mode.at(0).at(0).toInt(), 1);
        QCOMPARE(mode.at(1).at(0).toInt(), 0);

        QSignalSpy save(&page, &QtMeshClassifierWidget::savesp_signal);
        QSignalSpy load(&page, &QtMeshClassifierWidget::loadsp_signal);
        page.save_table_file("out");
        page.save_table_file("out.spt");
        page.save_table_file("out.dat");
        page.load_table_file("t");
        QCOMPARE(save.at(0).at(0).toString(), QString("out.spt"));
        QCOMPARE(save.at(1).at(0).toString(), QString("out.spt"));
        QCOMPARE(save.at(2).at(0).toString(), QString("out.dat"));
        QCOMPARE(load.at(0).at(0).toString(), QString("t.spt"));

        QSignalSpy classify(&page, &QtMeshClassifierWidget::meshclassify_signal);
        page.apply();
        QCOMPARE(classify.count(), 1);
    }
};

class ClassificationViewTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { close_warnings(); }

    // The view's slots come in their specified order; the page's "Mark Current" slot
    // comes after them.
    void viewSlotsInOrder() {
        const QMetaObject& m = QtGLWidget::staticMetaObject;
        QStringList view_slots;
        for (int i = m.methodOffset(); i < m.methodCount(); ++i)
            if (m.method(i).methodType() == QMetaMethod::Slot)
                view_slots << QString(m.method(i).methodSignature());
        const QStringList specified{
            "reload_slot()",
            "smooth_slot(float,float)",
            "subdivide_slot(int,float)",
            "edgetraversal_slot(int,int)",
            "markcurrent_slot()",
            "meshclassify_slot()",
            "numpatches_slot(int)",
            "previouspatch_slot(int)",
            "nextpatch_slot(int)",
            "patchthresh_slot(int)",
            "weight_slot(float)",
            "sp_mode_slot(int)",
            "loadsp_slot(QString)",
            "savesp_slot(QString)",
            "mshift_slot(Vector,int)",
            "mshiftrad_slot(Vector,int)",
            "mshiftstep_slot(Vector)",
            "function_slot(std::vector<Vector>,int)",
            "cutplane_select_slot(int)",
            "cutplane_invert_slot(int)",
            "cutplane_load_slot(QString)",
            "cutplane_save_slot(QString)",
            "cutplane_showall_slot(int)",
            "cutplane_resetall_slot()",
            "cutplane_resetcurrent_slot()",
            "buildvertexcolour_slot(int,std::vector<int>,std::vector<QColor>,QColor)",
            "build_vertexcoloursterrain_slot(std::vector<QColor>,std::vector<float>)",
            "light_colour_slot(Vector,Vector,Vector)",
            "light_position_slot(float,float)",
            "simplify_slot(float)"};
        QCOMPARE(view_slots.mid(0, specified.size()), specified);
        QVERIFY(view_slots.indexOf("markpatch_slot()") >= specified.size());
    }

    // After a classification the faces show their patch colours and the
    // representatives are yellow.
    void patchColoursAndRepresentativesAreSeen() {
        ViewFixture f(240, 240);
        f.load(flat_grid(10).c_str());
        QtGLWidget* view = f.view;
        QSignalSpy count(view, &QtGLWidget::numbpatches_signal);
        {
            StdoutCapture quiet;
            view->meshclassify_slot();
            QCOMPARE(count.count(), 1);
            QCOMPARE(count.at(0).at(0).toInt(), view->document.classifier.patch_count);
            view->numpatches_slot(4);
        }
        QCOMPARE(view->document.render_mode, RenderMode::Faces);
        QImage frame = f.frame();
        std::vector<int> reps = view->document.classifier.drawn_representatives();
        QCOMPARE(int(reps.size()), 4);
        std::set<int> hues;
        for (int face = 0; face < view->document.mesh.nf; ++face) {
            QColor seen = frame.pixelColor(f.pixel_of(view->document.mesh.centroids[face]));
            if (std::find(reps.begin(), reps.end(), face) != reps.end()) {
                QCOMPARE(seen, QColor(255, 255, 0));
                continue;
            }
            const Vector& c = view->document.mesh.faces[face].colour;
            QColor own = QColor::fromRgbF(c.x, c.y, c.z);
            QVERIFY2(std::abs(seen.hue() - own.hue()) <= 4 && seen.saturation() > 200,
                     qPrintable(seen.name() + " " + own.name()));
            hues.insert(own.hue());
        }
        QCOMPARE(int(hues.size()), 4);
    }

    // Through the main window: "Apply" on the page classifies, the page shows the
    // count and sends it back, and the faces end in the k-medoids colours.
    void theCountGoesRoundThroughThePage() {
        QtMainWindow window;
        QtGLWidget* view = window.view();
        TempFolder dir;
        std::ofstream(dir.file("grid.obj").toStdString()) << flat_grid(8);
        {
            StdoutCapture quiet;
            QVERIFY(view->load_file(dir.file("grid.obj")));
        }
        QtMeshClassifierWidget* page = window.mesheditor->classify_page.get();
        Mesh expected = view->document.mesh.clone();
        Mesh_Classifier headless;
        StdoutCapture console;
        page->apply();
        QVERIFY(classify_mesh(headless, expected));
        QVERIFY(headless.recluster(headless.patch_count));
        QString text = console.text();
        int k = headless.patch_count;
        QCOMPARE(page->numpatches_label->text(), "Number of Patches:\t" + QString::number(k));
        QCOMPARE(page->threshmin_slider->value(), k);
        QCOMPARE(view->document.classifier.representatives, headless.representatives);
        for (int face = 0; face < expected.nf; ++face)
            QCOMPARE(view->document.mesh.faces[face].colour, expected.faces[face].colour);
        QVERIFY(text.contains("Optimal Number of Patches:" + QString::number(k) + "\n"));

        // Next chooses a patch, "Mark Current" on the page makes it a segment.
        button(page, "Next")->click();
        int marked = 0;
        for (const Face& face : view->document.mesh.faces) marked += face.marked;
        QVERIFY(marked > 0);
        button(page, "Mark Current")->click();
        QCOMPARE(view->document.traversal.region_counter, 1);
        int segment = 0;
        for (const Face& face : view->document.mesh.faces) segment += face.segment == 1;
        QCOMPARE(segment, marked);
        QCOMPARE(view->document.classifier.current_patch, -1);

        // Another mesh: the classification is forgotten.
        {
            StdoutCapture quiet;
            QVERIFY(view->load_file(dir.file("grid.obj")));
        }
        QVERIFY(view->document.classifier.representatives.empty());
        QCOMPARE(view->document.classifier.rebuild_flag, 1);
    }

    // The check box classifies a simplified copy; the patches are browsed on the faces of
    // the mesh itself.
    void theSimplifiedCopyThroughThePage() {
        QtMainWindow window;
        QtGLWidget* view = window.view();
        {
            StdoutCapture quiet;
            QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj", true)));
        }
        QtMeshClassifierWidget* page = window.mesheditor->classify_page.get();
        QVERIFY(!page->proxy_checkbox->isChecked());
        QCOMPARE(page->proxy_spinbox->value(), 8000);
        page->proxy_spinbox->setValue(1000);
        QCOMPARE(view->document.classify_proxy_faces, 0);
        page->proxy_checkbox->setChecked(true);
        QCOMPARE(view->document.classify_proxy_faces, 1000);
        StdoutCapture console;
        page->apply();
        QTRY_VERIFY(!view->busy());
        QVERIFY(view->document.classifier.proxy != nullptr);
        QVERIFY(console.text().contains("Classifying a simplified copy of "));
        button(page, "Next")->click();
        int marked = 0;
        for (const Face& face : view->document.mesh.faces) marked += face.marked;
        QVERIFY(marked > 0);
        page->proxy_checkbox->setChecked(false);
        QCOMPARE(view->document.classify_proxy_faces, 0);
    }

    // Previous / Next choose a patch: its faces are marked (and highlighted); the
    // threshold narrows it down.
    void browsingPatchesMarksTheirFaces() {
        ViewFixture f(200, 200);
        f.load(flat_grid(8).c_str());
        QtGLWidget* view = f.view;
        {
            StdoutCapture quiet;
            view->meshclassify_slot();
            view->numpatches_slot(3);
        }
        auto marked = [&] {
            int n = 0;
            for (const Face& face : view->document.mesh.faces) n += face.marked;
            return n;
        };
        QCOMPARE(marked(), 0);
        view->nextpatch_slot(1);
        QCOMPARE(view->document.classifier.current_patch, 1);
        int loose = marked();
        QVERIFY(loose > 0);
        view->patchthresh_slot(50);
        QVERIFY(marked() < loose);
        QVERIFY(marked() >= 1); // the representative at least
        {
            StdoutCapture console;
            view->previouspatch_slot(7);
            QVERIFY(console.text().contains("Patch 7 ignored"));
        }
        QCOMPARE(view->document.classifier.current_patch, 1);
    }

    // Without patches the page's patch commands say so in the status bar.
    void patchCommandsWithoutPatchesSayWhy() {
        QtMainWindow window;
        QtMeshClassifierWidget* page = window.mesheditor->classify_page.get();
        const std::function<void()> commands[] = {
            [page] { button(page, "Previous")->click(); },
            [page] { button(page, "Next")->click(); },
            [page] { page->threshmin_slider->setValue(5); },
            [page] { page->patchthreshold_slider->setValue(30); },
            [page] { button(page, "Mark Current")->click(); }};
        for (const auto& command : commands) {
            window.status_bar->clearMessage();
            command();
            QCOMPARE(window.status_bar->currentMessage(),
                     QString("No patches: open a mesh and classify it (Apply) first"));
        }
        TempFolder dir;
        std::ofstream(dir.file("grid.obj").toStdString()) << flat_grid(4);
        {
            StdoutCapture quiet;
            QVERIFY(window.view()->load_file(dir.file("grid.obj"), true));
        }
        button(page, "Next")->click();
        QCOMPARE(window.status_bar->currentMessage(),
                 QString("No patches: classify the mesh (Apply) first"));
    }

    void refusedFilesAreReportedAndChangeNothing() {
        ViewFixture f(100, 100);
        f.load(flat_grid(4).c_str());
        QtGLWidget* view = f.view;
        TempFolder dir;
        std::ofstream(dir.file("short.spt").toStdString()) << "abc";
        {
            StdoutCapture quiet;
            view->loadsp_slot(dir.file("short.spt"));
        }
        QVERIFY(warning_shown());
        QCOMPARE(view->document.classifier.rebuild_flag, 1);
        close_warnings();
        {
            StdoutCapture quiet;
            view->meshclassify_slot();
            view->savesp_slot(dir.file("t.spt"));
            view->loadsp_slot(dir.file("t.spt"));
        }
        QVERIFY(!warning_shown());
        QCOMPARE(view->document.classifier.rebuild_flag, 0);
        QCOMPARE(QFileInfo(dir.file("t.spt")).size(),
                 4 * view->document.classifier.table.entry_count);
    }
};

RegisterGuiTest<ClassifierPageTest> classifier_page_test;
RegisterGuiTest<ClassificationViewTest> classification_view_test;

#include "classifier_test.moc"
