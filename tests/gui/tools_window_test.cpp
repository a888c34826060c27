// The tools dialog as a window beside the main one: where it opens, the main window's
// shortcuts while it is active, and its "Apply" where a page has nothing to apply or
// there is no mesh.
#include "gui_test_util.h"

#include "segmentation/qt_mesh_classifier_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>

namespace {

const char* const dialog_position = "tools/dialog_position";

void show_small_window(QtMainWindow& window) {
    show_main_window(window);
    window.setGeometry(10, 10, 400, 300);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

} // namespace

class ToolsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void opensBesideTheWindowAndKeepsItsPlace() {
        KeptSetting kept(dialog_position);
        QSettings().remove(dialog_position);
        const QPoint moved(123, 145);
        {
            QtMainWindow window;
            show_small_window(window);
            QtMeshEditorDialogue* d = window.mesheditor;
            window.mesheditorEvent();
            QVERIFY(QTest::qWaitForWindowExposed(d));
            QVERIFY(!d->frameGeometry().intersects(window.frameGeometry()));
            QVERIFY(d->x() > window.x());
            d->move(moved);
            d->hide();
            window.mesheditorEvent();
            QCOMPARE(d->pos(), moved);
        }
        QtMainWindow next; // a later run
        show_small_window(next);
        next.mesheditorEvent();
        QCOMPARE(next.mesheditor->pos(), moved);
    }

    void theWindowsShortcutsWorkInTheDialog() {
        KeptSetting kept(dialog_position);
        QtMainWindow window;
        show_small_window(window);
        window.mesheditorEvent();
        QVERIFY(QTest::qWaitForWindowActive(window.mesheditor));
        window.view()->camera_distance = -7;
        QTest::keyClick(window.mesheditor, Qt::Key_F); // Fit Mesh to View: no mesh, the start
        QCOMPARE(window.view()->camera_distance, -200.0f);
    }

    void applyIsOffWhereAPageHasNoAction() {
        QtMainWindow window;
        window.show_all_tool_pages(true, false);
        QtMeshEditorDialogue* d = window.mesheditor;
        // Terrain, Classify, Mean Shift, Traversal, Simplify, Subdivide, Morphogens, Clipping.
        const bool acts[] = {true, true, true, false, true, true, false, false};
        for (int page = 0; page < 8; ++page) {
            d->tabs->setCurrentIndex(page);
            QCOMPARE(d->apply_button->isEnabled(), acts[page]);
        }
        d->tabs->setCurrentIndex(1);
        d->set_tools_enabled(false); // while a tool runs
        QVERIFY(!d->apply_button->isEnabled());
        d->set_tools_enabled(true);
        QVERIFY(d->apply_button->isEnabled());
    }

    void applyWithoutAMeshSaysSo() {
        QtMainWindow window;
        window.show_all_tool_pages(true, false);
        QtMeshEditorDialogue* d = window.mesheditor;
        QSignalSpy classify(d->classify_page.get(), &QtMeshClassifierWidget::meshclassify_signal);
        d->tabs->setCurrentIndex(1);
        d->apply_button->click();
        QCOMPARE(classify.count(), 0);
        QCOMPARE(window.status_bar->currentMessage(),
                 QString("No mesh to apply to: open one first"));
    }
};

RegisterGuiTest<ToolsWindowTest> tools_window_test;

#include "tools_window_test.moc"
