// The Edit menu: Undo and Redo named after their steps, on the standard shortcuts, the
// pages following what an undo brings back, and the history's memory limit; what follows
// the edits: the question before changes are lost, and the status bar's mesh summary.
#include "gui_test_util.h"

#include "segmentation/qt_mesh_classifier_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_morphogen_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QTreeWidget>

class EditMenuTest : public QObject {
    Q_OBJECT

  private slots:
    void undoAndRedoNameTheirSteps() {
        QtMainWindow window;
        show_main_window(window);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QtGLWidget* view = window.view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/spot.obj")));
        QVERIFY(!window.undo_item->isEnabled());
        view->simplify_slot(50);
        QCOMPARE(window.undo_item->text(), QString("Undo Simplify"));
        QVERIFY(window.undo_item->isEnabled() && !window.redo_item->isEnabled());
        QCOMPARE(view->document.mesh.nv, 1465);

        QTest::keySequence(&window, QKeySequence::Undo);
        QCOMPARE(view->document.mesh.nv, 2930);
        QCOMPARE(window.undo_item->text(), QString("Undo"));
        QCOMPARE(window.redo_item->text(), QString("Redo Simplify"));
        window.redo_item->trigger();
        QCOMPARE(view->document.mesh.nv, 1465);
        QVERIFY(QTest::qWaitFor([&] { return view->frames_drawn > 0 && !view->frame_due(); }));
    }

    // The pages show what an undo brings back, sending nothing that would make a step.
    void pagesFollowAnUndo() {
        QtMainWindow window;
        QtGLWidget* view = window.view();
        QtMeshEditorDialogue* d = window.mesheditor;
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/morphogens/spot_morphogens.obj")));
        QtMorphogenWidget* morphogens = d->morpho_page.get();
        QTreeWidgetItem* first = morphogens->morpho_tree->topLevelItem(0);
        first->setCheckState(0, Qt::Checked);
        morphogens->itemClickedSlot(first, 0);
        QCOMPARE(window.undo_item->text(), QString("Undo Morphogen Colours"));
        QtMeshClassifierWidget* classify = d->classify_page.get();
        QSignalSpy sent(classify, &QtMeshClassifierWidget::numpatches_signal);
        view->simplify_slot(10);
        view->meshclassify_slot();
        int found = view->document.classifier.patch_count;
        QCOMPARE(classify->threshmin_slider->value(), found);
        int echoes = sent.count();

        window.undoEvent(); // the classification
        QCOMPARE(classify->threshmin_slider->value(), 1);
        window.undoEvent(); // the simplification
        window.undoEvent(); // the colours
        QCOMPARE(morphogens->tooglestates.front(), 0);
        QCOMPARE(morphogens->morpho_tree->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(view->document.history.done_count(), 0);
        QCOMPARE(sent.count(), echoes); // the undo sent nothing
    }

    // Exit and closing the window ask before changes not saved are lost; undoing back
    // to the file as opened leaves nothing to ask about.
    void closingAsksBeforeDiscardingChanges() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        view->subdivide_slot(1, 0);
        auto asked = std::make_shared<QString>();
        when_open<QMessageBox>([asked](QMessageBox* box) {
            *asked = box->text();
            box->button(QMessageBox::Cancel)->click();
        });
        window.file_menu->actions().last()->trigger(); // File > Exit
        QVERIFY2(asked->contains("not saved"), qPrintable(*asked));
        QVERIFY(window.isVisible());

        window.undoEvent();
        QVERIFY(!view->document.modified());
        QVERIFY(window.may_discard_changes()); // asks nothing
        window.redoEvent();
        when_open<QMessageBox>(
            [](QMessageBox* box) { box->button(QMessageBox::Discard)->click(); });
        QVERIFY(window.close());
    }

    // The status bar always says what is shown, after every tool and undo.
    void theStatusBarShowsTheMesh() {
        QtMainWindow window;
        QVERIFY(window.status_bar->isAncestorOf(window.mesh_label));
        QCOMPARE(window.mesh_label->text(), QString("No mesh"));
        QtGLWidget* view = window.view();
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(QString(VOSTREL_DATA) + "/cube.obj")));
        const QString opened = QString("cube.obj  8 vertices, 12 faces, box 3 \u00d7 3 \u00d7 3");
        QCOMPARE(window.mesh_label->text(), opened);
        view->subdivide_slot(1, 0);
        QVERIFY(window.mesh_label->text().startsWith(
            QString("cube.obj  %1 vertices, 48 faces, box ").arg(view->document.mesh.nv)));
        window.undoEvent();
        QCOMPARE(window.mesh_label->text(), opened);
    }

    void historyLimitIsRemembered() {
        {
            QtMainWindow window;
            window.set_history_limit(64);
            QCOMPARE(window.view()->document.history.limit_bytes(), size_t(64) << 20);
            QCOMPARE(window.history_limit_item->text(),
                     QString("History Memory Limit (64 MiB)..."));
        }
        QtMainWindow again;
        QCOMPARE(again.view()->document.history.limit_bytes(), size_t(64) << 20);
        again.set_history_limit(1024);
    }
};

RegisterGuiTest<EditMenuTest> edit_menu_test;

#include "edit_menu_test.moc"
