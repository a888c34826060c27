// The morphogen page: its interface and tree, the setting it sends on every change, its
// .mor files, and the view recolouring the mesh from what it sends.
#include "gui_test_util.h"

#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/morphogen_colours.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_morphogen_widget.h"
#include "viewer/qt_application.h"
#include "viewer/qt_main_window.h"

#include <QBoxLayout>
#include <QColorDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {

using Names = std::vector<std::string>;

QColor swatch_colour(QLabel* swatch) {
    return swatch->pixmap().toImage().pixelColor(8, 8);
}

QColor row_swatch(const QtMorphogenWidget& page, int row) {
    auto* item = page.morpho_tree->topLevelItem(row);
    return swatch_colour(static_cast<QLabel*>(page.morpho_tree->itemWidget(item, 2)));
}

// The setting carried by a buildvertexcolour_signal.
struct Sent {
    int mixmode;
    std::vector<int> states;
    std::vector<QColor> colours;
    QColor base;
};
Sent sent(const QSignalSpy& spy, int i) {
    const QList<QVariant>& a = spy[i];
    return {a[0].toInt(), a[1].value<std::vector<int>>(), a[2].value<std::vector<QColor>>(),
            a[3].value<QColor>()};
}

void pick_colour(QColor colour) {
    when_open<QColorDialog>([colour](QColorDialog* d) {
        d->setCurrentColor(colour);
        d->accept();
    });
}

void cancel_colour() {
    when_open<QColorDialog>([](QColorDialog* d) { d->reject(); });
}

// A square of four vertices, blue, with one morphogen "a" at 1 everywhere.
const char* square_with_morphogen =
    "mn a\nv -0.45 -0.45 0\nvc 0 0 1\nv 0.45 -0.45 0\nvc 0 0 1\nv 0.45 0.45 0\nvc 0 0 1\n"
    "v -0.45 0.45 0\nvc 0 0 1\nm 1\nm 1\nm 1\nm 1\nf 1 2 3 4\n";

} // namespace

class MorphogenPageTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        qRegisterMetaType<std::vector<int>>();
        qRegisterMetaType<std::vector<QColor>>();
    }

    void interfaceInOrder() {
        QtMorphogenWidget page;
        const QMetaObject* m = page.metaObject();
        QStringList methods;
        for (int i = m->methodOffset(); i < m->methodCount(); ++i)
            methods << QString(m->method(i).methodSignature());
        QCOMPARE(methods,
                 (QStringList{"gettreeitem_signal()",
                              "buildvertexcolour_signal(int,std::vector<int>,std::vector<QColor>,"
                              "QColor)",
                              "buildtree_slot(std::vector<std::string>&)", "saveSlot()",
                              "loadSlot()", "itemDoubleClickedSlot(QTreeWidgetItem*,int)",
                              "itemClickedSlot(QTreeWidgetItem*,int)", "pickcolpressed_slot()",
                              "additiveclick_slot()", "substractiveclick_slot()"}));
        QCOMPARE(m->method(m->methodOffset()).methodType(), QMetaMethod::Signal);
        QCOMPARE(m->method(m->methodOffset() + 2).methodType(), QMetaMethod::Slot);
    }

    void layoutAndStart() {
        QtMorphogenWidget page;
        auto* box = qobject_cast<QBoxLayout*>(page.layout());
        QVERIFY(box);
        QCOMPARE(box->objectName(), QString("vboxlayout"));
        QCOMPARE(box->direction(), QBoxLayout::LeftToRight);
        QCOMPARE(box->spacing(), 5);
        QCOMPARE(box->contentsMargins(), QMargins(0, 0, 0, 0));
        auto* file = qobject_cast<QGroupBox*>(box->itemAt(0)->widget());
        QCOMPARE(file->title(), QString("File:"));
        QStringList buttons;
        for (QPushButton* b : file->findChildren<QPushButton*>()) buttons << b->text();
        QCOMPARE(buttons, (QStringList{"Load", "Save"}));
        QStringList labels;
        for (QLabel* l : page.findChildren<QLabel*>())
            if (!l->text().isEmpty()) labels << l->text();
        QCOMPARE(labels, (QStringList{"Base Colour: ", "Colour Mixing: "}));
        QCOMPARE(page.morpho_tree->columnCount(), 3);
        QCOMPARE(page.morpho_tree->minimumHeight(), 400);
        QCOMPARE(page.morpho_tree->topLevelItemCount(), 0);
        QVERIFY(page.additive_button->isChecked());
        QVERIFY(!page.subtractive_button->isChecked());
        QCOMPARE(page.defaultcolour, QColor(Qt::black));
        QCOMPARE(swatch_colour(page.base_swatch), QColor(Qt::black));
        QCOMPARE(page.base_swatch->pixmap().size(), QSize(16, 16));
        QCOMPARE(page.mixmode, 0);
    }

    // One red, switched-off row per name; nothing is sent; base and mode survive.
    void treeFromNames() {
        QtMorphogenWidget page;
        QSignalSpy spy(&page, &QtMorphogenWidget::buildvertexcolour_signal);
        page.mixmode = 1;
        page.tooglestates = {1};
        Names names{"height", "front"};
        page.buildtree_slot(names);
        QCOMPARE(page.names, names);
        QCOMPARE(page.colours, (std::vector<QColor>{Qt::red, Qt::red}));
        QCOMPARE(page.tooglestates, (std::vector<int>{0, 0}));
        QCOMPARE(page.morpho_tree->topLevelItemCount(), 2);
        for (int row = 0; row < 2; ++row) {
            QTreeWidgetItem* item = page.morpho_tree->topLevelItem(row);
            QCOMPARE(item->checkState(0), Qt::Unchecked);
            QCOMPARE(item->text(1), QString::fromStdString(names[size_t(row)]));
            QCOMPARE(row_swatch(page, row), QColor(Qt::red));
        }
        QCOMPARE(spy.count(), 0);
        QCOMPARE(page.mixmode, 1);

        page.buildtree_slot(page.names); // the page's own list
        QCOMPARE(page.names, names);
        Names none;
        page.buildtree_slot(none);
        QCOMPARE(page.morpho_tree->topLevelItemCount(), 0);
        QVERIFY(page.colours.empty() && page.tooglestates.empty());
    }

    // A click on a check box switches the morphogen and sends the whole setting.
    void checkBoxesSendTheSetting() {
        QtMorphogenWidget page;
        page.resize(500, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        Names names{"a", "b", "c"};
        page.buildtree_slot(names);
        QSignalSpy spy(&page, &QtMorphogenWidget::buildvertexcolour_signal);

        QTreeWidgetItem* second = page.morpho_tree->topLevelItem(1);
        QRect row = page.morpho_tree->visualItemRect(second);
        QPoint box(page.morpho_tree->columnViewportPosition(0) + 10, row.center().y());
        QTest::mouseClick(page.morpho_tree->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(second->checkState(0), Qt::Checked);
        QCOMPARE(page.tooglestates, (std::vector<int>{0, 1, 0}));
        QCOMPARE(spy.count(), 1);
        Sent s = sent(spy, 0);
        QCOMPARE(s.mixmode, 0);
        QCOMPARE(s.states, (std::vector<int>{0, 1, 0}));
        QCOMPARE(s.colours, (std::vector<QColor>{Qt::red, Qt::red, Qt::red}));
        QCOMPARE(s.base, QColor(Qt::black));

        QTest::mouseClick(page.morpho_tree->viewport(), Qt::LeftButton, {}, box);
        QCOMPARE(page.tooglestates, (std::vector<int>{0, 0, 0}));
        QCOMPARE(spy.count(), 2);

        // The name column does nothing.
        page.itemClickedSlot(second, 1);
        QCOMPARE(spy.count(), 2);

        // The mixing mode buttons act when pressed.
        QTest::mousePress(page.subtractive_button, Qt::LeftButton);
        QTest::mouseRelease(page.subtractive_button, Qt::LeftButton);
        QCOMPARE(page.mixmode, 1);
        QVERIFY(page.subtractive_button->isChecked() && !page.additive_button->isChecked());
        QCOMPARE(sent(spy, 2).mixmode, 1);
        QTest::mousePress(page.additive_button, Qt::LeftButton);
        QCOMPARE(page.mixmode, 0);
        QCOMPARE(spy.count(), 4);
    }

    // Space on a row toggles its box as a click does: recorded, sent once and saved; a
    // click is still sent once.
    void spaceTogglesTheBox() {
        QtMorphogenWidget page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        Names names{"a", "b"};
        page.buildtree_slot(names);
        QSignalSpy spy(&page, &QtMorphogenWidget::buildvertexcolour_signal);
        QTreeWidgetItem* second = page.morpho_tree->topLevelItem(1);
        page.morpho_tree->setFocus();
        page.morpho_tree->setCurrentItem(second, 0);
        QTest::keyClick(page.morpho_tree, Qt::Key_Space);
        QCOMPARE(second->checkState(0), Qt::Checked);
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(sent(spy, 0).states, (std::vector<int>{0, 1}));
        TempFolder dir;
        QVERIFY(page.save_setting_file(dir.file("boxes.mor")));
        QVERIFY(file_bytes(dir.file("boxes.mor")).endsWith("MORPHO\t255 0 0 1\n"));

        QRect row = page.morpho_tree->visualItemRect(second);
        QPoint box(page.morpho_tree->columnViewportPosition(0) + 10, row.center().y());
        QTest::mouseClick(page.morpho_tree->viewport(), Qt::LeftButton, {}, box);
        QTest::qWait(20);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(page.tooglestates, (std::vector<int>{0, 0}));
    }

    // Framed, so that a white morphogen or base colour shows against the page.
    void swatchesAreFramed() {
        QtMorphogenWidget page;
        Names names{"a"};
        page.buildtree_slot(names);
        auto* row = static_cast<QLabel*>(
            page.morpho_tree->itemWidget(page.morpho_tree->topLevelItem(0), 2));
        for (QLabel* swatch : {row, page.base_swatch}) {
            QCOMPARE(swatch->frameShape(), QFrame::Box);
            QCOMPARE(swatch->pixmap().size(), QSize(16, 16));
        }
    }

    // Neither dialog starts among the bundled samples, which a save would overwrite.
    void dialogsStartInTheWorkingFolder() {
        TempFolder dir;
        QString here = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QtMorphogenWidget page;
        auto folder = std::make_shared<QString>();
        auto look = [folder](QFileDialog* d) {
            *folder = d->directory().absolutePath();
            d->reject();
        };
        when_open<QFileDialog>(look);
        page.saveSlot();
        QCOMPARE(*folder, dir.path());
        folder->clear();
        when_open<QFileDialog>(look);
        page.loadSlot();
        QCOMPARE(*folder, dir.path());
        QDir::setCurrent(here);
    }

    // The swatch column and a double click anywhere pick the morphogen's colour; the
    // base colour has its own button. A cancelled dialog keeps the colour, sends nothing.
    void coloursFromTheDialog() {
        QtMorphogenWidget page;
        Names names{"a", "b"};
        page.buildtree_slot(names);
        QSignalSpy spy(&page, &QtMorphogenWidget::buildvertexcolour_signal);

        pick_colour(QColor(0, 128, 255));
        page.itemClickedSlot(page.morpho_tree->topLevelItem(1), 2);
        QCOMPARE(page.colours[1], QColor(0, 128, 255));
        QCOMPARE(row_swatch(page, 1), QColor(0, 128, 255));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(sent(spy, 0).colours[1], QColor(0, 128, 255));

        pick_colour(QColor(10, 20, 30));
        page.itemDoubleClickedSlot(page.morpho_tree->topLevelItem(0), 1);
        QCOMPARE(page.colours[0], QColor(10, 20, 30));
        QCOMPARE(spy.count(), 2);

        cancel_colour();
        page.itemClickedSlot(page.morpho_tree->topLevelItem(0), 2);
        QCOMPARE(page.colours[0], QColor(10, 20, 30));
        QCOMPARE(row_swatch(page, 0), QColor(10, 20, 30));
        QCOMPARE(spy.count(), 2);

        pick_colour(QColor(200, 100, 50));
        page.pickcolpressed_slot();
        QCOMPARE(page.defaultcolour, QColor(200, 100, 50));
        QCOMPARE(swatch_colour(page.base_swatch), QColor(200, 100, 50));
        QCOMPARE(sent(spy, 2).base, QColor(200, 100, 50));

        cancel_colour();
        page.pickcolpressed_slot();
        QCOMPARE(page.defaultcolour, QColor(200, 100, 50));
        QCOMPARE(spy.count(), 3);
    }

    void savingWritesTheLines() {
        TempFolder dir;
        QtMorphogenWidget page;
        Names names{"a", "b", "c"};
        page.buildtree_slot(names);
        page.colours.assign(3, Qt::black);
        page.defaultcolour = Qt::white;
        QVERIFY(page.save_setting_file(dir.file("shades")));
        QCOMPARE(file_bytes(dir.file("shades.mor")),
                 QByteArray("SIZE 3\nBASECOL 255 255 255\nMIXMODE 0\nMORPHO\t0 0 0 0\n"
                            "MORPHO\t0 0 0 0\nMORPHO\t0 0 0 0\n"));
        QVERIFY(page.save_setting_file(dir.file("shades.txt"))); // used unchanged
        QVERIFY(QFile::exists(dir.file("shades.txt")));
        QVERIFY(!QFile::exists(dir.file("shades.txt.mor")));

        StdoutCapture out;
        QVERIFY(!page.save_setting_file(dir.file("missing/shades")));
        QCOMPARE(out.text(),
                 QString("ERROR: SAVING FILE .MOR File! QtMorphogenWidget::saveSlot(void)\n"));
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
    }

    // A fitting file replaces the setting, refreshes the page and sends it once; one
    // that does not fit or cannot be read is shown and changes nothing.
    void loading() {
        TempFolder dir;
        QtMorphogenWidget page;
        Names names{"a", "b", "c"};
        page.buildtree_slot(names);
        QSignalSpy spy(&page, &QtMorphogenWidget::buildvertexcolour_signal);

        write_file(dir.file("two.mor"), "SIZE 2\nBASECOL 1 2 3\nMORPHO\t1 1 1 1\n");
        QVERIFY(!page.load_setting_file(dir.file("two.mor")));
        QCOMPARE(page.defaultcolour, QColor(Qt::black));
        QCOMPARE(page.colours, (std::vector<QColor>(3, Qt::red)));
        QCOMPARE(spy.count(), 0);
        QTRY_VERIFY(page.findChild<QMessageBox*>() != nullptr);
        QVERIFY(page.findChild<QMessageBox*>()->text().contains("SIZE 2 does not match"));

        {
            StdoutCapture out;
            QVERIFY(!page.load_setting_file(dir.file("none.mor")));
            QCOMPARE(out.text(), QString("ERROR!!!\n"));
        }
        QCOMPARE(spy.count(), 0);

        write_file(dir.file("three.mor"),
                   "SIZE 3\nBASECOL 10 20 30\nMIXMODE 1\nMORPHO\t0 255 0 1\nMORPHO\t1 2 3 0\n");
        QVERIFY(page.load_setting_file(dir.file("three.mor")));
        QCOMPARE(page.defaultcolour, QColor(10, 20, 30));
        QCOMPARE(swatch_colour(page.base_swatch), QColor(10, 20, 30));
        QCOMPARE(page.mixmode, 1);
        QVERIFY(page.subtractive_button->isChecked() && !page.additive_button->isChecked());
        QCOMPARE(page.colours,
                 (std::vector<QColor>{QColor(0, 255, 0), QColor(1, 2, 3), QColor(0, 0, 0)}));
        QCOMPARE(page.tooglestates, (std::vector<int>{1, 0, 0}));
        QCOMPARE(page.morpho_tree->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(page.morpho_tree->topLevelItem(1)->checkState(0), Qt::Unchecked);
        QCOMPARE(page.morpho_tree->topLevelItem(2)->text(1), QString("c"));
        QCOMPARE(row_swatch(page, 0), QColor(0, 255, 0));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(sent(spy, 0).states, (std::vector<int>{1, 0, 0}));

        // "Load" with no file chosen still refreshes the page and sends the setting.
        page.mixmode = 0;
        when_open<QFileDialog>([](QFileDialog* d) { d->reject(); });
        page.loadSlot();
        QVERIFY(page.additive_button->isChecked());
        QCOMPARE(spy.count(), 2);
    }
};

class MorphogensInTheWindowTest : public QObject {
    Q_OBJECT

  private slots:
    // Opening an OBJ file fills the page without recolouring; switching a morphogen on
    // recolours the mesh at once, and the default render mode shows it.
    void switchingOnRecolours() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        QtMorphogenWidget* page = window.mesheditor->morpho_page.get();
        TempFolder dir;
        QString path = dir.file("square.obj");
        write_file(path, square_with_morphogen);
        {
            StdoutCapture quiet;
            QVERIFY(bool(view->load_file(path)));
        }
        QCOMPARE(page->names, (Names{"a"}));
        QCOMPARE(view->document.mesh.colours[0], Vector(0, 0, 1));
        QCOMPARE(view->document.render_mode, RenderMode::Polygons);
        view->grabFramebuffer();
        QImage before = view->grabFramebuffer();
        QColor centre = before.pixelColor(before.width() / 2, before.height() / 2);
        QVERIFY2(centre.blue() > centre.red(), qPrintable(centre.name()));

        page->morpho_tree->topLevelItem(0)->setCheckState(0, Qt::Checked);
        page->itemClickedSlot(page->morpho_tree->topLevelItem(0), 0);
        for (int v = 0; v < 4; ++v) {
            QCOMPARE(view->document.mesh.colours[v], Vector(0.5f, 0, 0));
            QCOMPARE(view->document.mesh.colours[v].w, 2.0f);
        }
        view->grabFramebuffer();
        QImage after = view->grabFramebuffer();
        centre = after.pixelColor(after.width() / 2, after.height() / 2);
        QVERIFY2(centre.red() > 50 && centre.blue() < centre.red() && centre.green() == 0,
                 qPrintable(centre.name()));

        // A NET file brings no morphogens: the page's list empties.
        QString net = dir.file("square.net");
        write_file(net, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n");
        {
            StdoutCapture quiet;
            QVERIFY(bool(view->load_file(net)));
        }
        QCOMPARE(page->names, Names{});
        QCOMPARE(page->morpho_tree->topLevelItemCount(), 0);
        page->additiveclick_slot(); // no rows of values: the base colour
        QCOMPARE(view->document.mesh.colours[2], Vector(0, 0, 0));
    }

    // "Reload" after a terrain brings the values back with the mesh.
    void reloadBringsTheValuesBack() {
        QtMainWindow window;
        show_main_window(window);
        QtGLWidget* view = window.view();
        TempFolder dir;
        QString path = dir.file("square.obj");
        write_file(path, square_with_morphogen);
        StdoutCapture quiet;
        QVERIFY(bool(view->load_file(path)));
        QVERIFY(window.mesheditor->terrain_page->load_heightmap_file(
            QString(VOSTREL_DATA) + "/heightmaps/raylib_heightmap_128_rgb.png"));
        window.mesheditor->apply_event(); // the terrain page: a new mesh without values
        QVERIFY(view->document.mesh.morphogens.empty());
        window.mesheditor->reset_event();
        QCOMPARE(view->document.mesh.nv, 4);
        QtMorphogenWidget* page = window.mesheditor->morpho_page.get();
        page->morpho_tree->topLevelItem(0)->setCheckState(0, Qt::Checked);
        page->itemClickedSlot(page->morpho_tree->topLevelItem(0), 0);
        QCOMPARE(view->document.mesh.colours[3], Vector(0.5f, 0, 0));
    }

    // vostrel-cli morphogen writes what the page and the view make of a sample.
    void commandLineMatchesThePage() {
        QString mesh = QString(VOSTREL_DATA) + "/morphogens/spot_morphogens.obj";
        QString mor = QString(VOSTREL_DATA) + "/morphogens/spot_morphogens.mor";
        TempFolder dir;
        QString cli_out = dir.file("cli.obj"), page_out = dir.file("page.obj");
        QCOMPARE(run_cli({"morphogen", mesh, "--mor", mor, "-o", cli_out}), 0);

        QtMainWindow window;
        show_main_window(window);
        StdoutCapture quiet;
        QVERIFY(bool(window.view()->load_file(mesh)));
        QVERIFY(window.mesheditor->morpho_page->load_setting_file(mor));
        QVERIFY(bool(window.view()->document.mesh.save_obj(page_out.toStdString(), true)));
        QByteArray cli = file_bytes(cli_out);
        QVERIFY(cli.size() > 100000);
        QVERIFY(cli == file_bytes(page_out));
    }
};

RegisterGuiTest<MorphogenPageTest> morphogen_page_test;
RegisterGuiTest<MorphogensInTheWindowTest> morphogens_in_the_window_test;

#include "morphogen_page_test.moc"
