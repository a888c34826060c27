#include "viewer/qt_main_window.h"

#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "tools/qt_mesh_traversal_widget.h"
#include "viewer/icons.h"
#include "viewer/qt_gl_object_window.h"
#include "viewer/qt_gl_widget.h"
#include "viewer/qt_light_editor_dialogue.h"
#include "viewer/qt_light_settings_widget.h"
#include "viewer/qt_warning.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <cstdio>

namespace {

// Render Mode menu items in menu order, with the render mode each selects.
const std::pair<const char*, int> render_mode_items[] = {
    {"&Bounding Box", 7},          {"&Points Verts", 5},
    {"&Face Normals", 6},          {"&Wireframe", 0},
    {"&Wireframe + Dotted-HL", 1}, {"&Wireframe + No-HL", 2},
    {"&Polygons + Wireframe", 3},  {"&Polygons", 4},
};

QMenu* tear_off_menu(const QString& title, QWidget* parent) {
    auto* menu = new QMenu(title, parent);
    menu->setTearOffEnabled(true);
    return menu;
}

} // namespace

QString dialog_start_folder(const QString& folder) {
    QDir here = QDir::current();
    return here.exists(folder) ? here.filePath(folder) : here.path();
}

QtMainWindow::QtMainWindow() {
    file_menu = tear_off_menu("&File", this);
    file_menu->addSeparator();
    file_menu->addAction(load_icon("fileopen.xpm"), "Open...", QKeySequence("Ctrl+O"), this,
                         &QtMainWindow::openfileEvent);
    file_menu->addSeparator();
    file_menu->addAction(load_icon("filesave.xpm"), "Save As...", QKeySequence("Ctrl+S"), this,
                         &QtMainWindow::savefileEvent);
    file_menu->addAction(load_icon("filesave.xpm"), "Save ALL...", QKeySequence("Ctrl+A"), this,
                         &QtMainWindow::saveallEvent);
    file_menu->addSeparator();
    file_menu->addAction(load_icon("filesave.xpm"), "Save Rendering...", QKeySequence("Ctrl+R"),
                         this, &QtMainWindow::saveRenderImageEvent);
    file_menu->addSeparator();
    file_menu->addAction("Exit", QKeySequence("Ctrl+Q"), qApp, &QApplication::quit);

    rendermode_menu = tear_off_menu("&Render Mode", this);
    for (auto [text, id] : render_mode_items) rendermode_menu->addAction(text)->setData(id);
    connect(rendermode_menu, &QMenu::triggered, this,
            [this](QAction* item) { rendermodeEvent(item->data().toInt()); });

    view_menu = tear_off_menu("&View", this);
    view_menu->addAction("Background Colour", this, &QtMainWindow::backgroundcolourEvent);
    view_menu->addAction("Toggle Projection (ortho/persp)", this,
                         &QtMainWindow::projectionmodeEvent);
    view_menu->addAction("Lighting and Shading Editor", this, &QtMainWindow::lighteditorEvent);

    tools_menu = tear_off_menu("&Tools", this);
    tools_menu->addAction("Mesh &Tools", QKeySequence("Ctrl+E"), this,
                          &QtMainWindow::mesheditorEvent);
    tools_menu->addSeparator();

    menuBar()->addMenu(file_menu);
    menuBar()->addMenu(view_menu);
    menuBar()->addMenu(rendermode_menu);
    menuBar()->addMenu(tools_menu);
    menuBar()->addSeparator();

    editor = new QtGLObjectWindow(this, "editor");
    editor->setFocus();
    setCentralWidget(editor);

    status_bar = statusBar();
    status_bar->setObjectName("status");
    status_bar->showMessage("Ready", 2000);

    resize(800, 800);

    QtGLWidget* glview = view();
    mesheditor = new QtMeshEditorDialogue(this, "mesheditor");
    mesheditor->terrain_page->mesh = &glview->mesh;
    lighteditor = new QtLightEditorDialogue(this, "lighteditor");

    connect(mesheditor, &QtMeshEditorDialogue::reset_signal, glview, &QtGLWidget::reload_slot);
    QtMeshTraversalWidget* traverse = mesheditor->traverse_page.get();
    connect(traverse, &QtMeshTraversalWidget::edgetraversal_signal, glview,
            &QtGLWidget::edgetraversal_slot);
    connect(traverse, &QtMeshTraversalWidget::markcurrent_signal, glview,
            &QtGLWidget::markcurrent_slot);
    connect(mesheditor->subdivide_page.get(), &QtMeshSubdivideWidget::subdivide_signal, glview,
            &QtGLWidget::subdivide_slot);
    connect(mesheditor->simplify_page.get(), &QtMeshSimplifierWidget::simplifySignal, glview,
            &QtGLWidget::simplify_slot);
    connect(glview, &QtGLWidget::dragndrop_signal, this, &QtMainWindow::dragndrop_slot);
    connect(mesheditor->terrain_page, &QtMeshTerrainWidget::build_vertexcolours_signal, glview,
            &QtGLWidget::build_vertexcoloursterrain_slot);
    connect(lighteditor->lightsettings, &QtLightSettingsWidget::light_colour_signal, glview,
            &QtGLWidget::light_colour_slot);
    connect(lighteditor->lightsettings, &QtLightSettingsWidget::light_position_signal, glview,
            &QtGLWidget::light_position_slot);
}

QtGLWidget* QtMainWindow::view() const {
    return editor->glbox1;
}

void QtMainWindow::open_file(const QString& name) {
    IoResult r = view()->load_file(name);
    if (!r) report_failed_open(name, r);
}

void QtMainWindow::report_failed_open(const QString& name, const IoResult& r) {
    status_bar->showMessage("Could not open " + name, 5000);
    show_warning(this, "Vostrel V1.0", QString::fromStdString(r.error));
}

// Only a file that cannot be opened ends the program; one that opens but cannot be
// read is reported like any other failed open.
bool QtMainWindow::open_from_command_line(const QString& name) {
    std::printf("%s\n", name.toLocal8Bit().constData());
    if (name.isEmpty()) return true;
    IoResult r = view()->load_file(name);
    if (!r && !r.unopened) report_failed_open(name, r);
    return r || !r.unopened;
}

void QtMainWindow::dragndrop_slot(QString filename) {
    std::printf("%s\n", filename.toLocal8Bit().constData());
    if (filename.isEmpty()) return;
    current_file = filename;
    open_file(filename);
}

void QtMainWindow::aboutEvent() {
    QMessageBox::about(this, "Ondrix", "View and Play with mesh objects");
}

void QtMainWindow::saveRenderImageEvent() {
    QString name = QFileDialog::getSaveFileName(this, "", "rendering", "*.png");
    if (name.isEmpty()) return;
    if (!view()->grab_frame().save(name, "PNG")) {
        status_bar->showMessage("Could not save " + name, 5000);
        show_warning(this, "Vostrel V1.0", "ERROR: could not save the rendering as " + name);
    }
}

void QtMainWindow::projectionmodeEvent() {
    view()->toggle_projection();
    update();
}

void QtMainWindow::backgroundcolourEvent() {
    QColor chosen = QColorDialog::getColor(view()->background_colour, this);
    if (chosen.isValid()) view()->background_colour = chosen; // a cancelled dialog keeps the colour
    update();
}

void QtMainWindow::openfileEvent() {
    QString name =
        QFileDialog::getOpenFileName(this, "", dialog_start_folder("Data"), "*.net *.obj *.gts");
    if (name.isEmpty()) return;
    current_file = name;
    open_file(name);
}

void QtMainWindow::savefileEvent() {
    QString name = QFileDialog::getSaveFileName(this, "", dialog_start_folder("data"), "*.obj");
    if (name.isEmpty()) return;
    current_file = name;
    IoResult r = view()->save_file(name);
    if (!r) {
        status_bar->showMessage("Could not save " + view()->file_name, 5000);
        show_warning(this, "Vostrel V1.0", QString::fromStdString(r.error));
    }
}

void QtMainWindow::saveallEvent() {
    view()->save_all();
}

void QtMainWindow::rendermodeEvent(int id) {
    if (id >= 0 && id <= 7) view()->render_mode = id;
    view()->update();
    update();
}

void QtMainWindow::mesheditorEvent() {
    mesheditor->show();
    mesheditor->raise();
}

void QtMainWindow::lighteditorEvent() {
    lighteditor->show();
}
