#include "viewer/qt_main_window.h"

#include "clipping/qt_clipping_widget.h"
#include "core/mesh_file.h"
#include "qtshared/icons.h"
#include "qtshared/image_files.h"
#include "qtshared/start_folder.h"
#include "qtshared/warning.h"
#include "segmentation/qt_function_widget.h"
#include "segmentation/qt_mean_shift_widget.h"
#include "segmentation/qt_mesh_classifier_widget.h"
#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_editor_dialogue.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "tools/qt_mesh_traversal_widget.h"
#include "tools/qt_morphogen_widget.h"
#include "viewer/qt_gl_object_window.h"
#include "viewer/qt_gl_widget.h"
#include "viewer/qt_light_editor_dialogue.h"
#include "viewer/qt_light_settings_widget.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>

namespace {

// Render Mode menu items in menu order, with the render mode each selects.
const std::pair<const char*, RenderMode> render_mode_items[] = {
    {"&Bounding Box", RenderMode::BoundingBox},
    {"&Points Verts", RenderMode::Points},
    {"&Face Normals", RenderMode::FaceNormals},
    {"&Wireframe", RenderMode::Wireframe},
    {"&Wireframe + Dotted-HL", RenderMode::WireframeDottedHiddenLines},
    {"&Wireframe + No-HL", RenderMode::WireframeNoHiddenLines},
    {"&Polygons + Wireframe", RenderMode::PolygonsWireframe},
    {"&Polygons", RenderMode::Polygons},
    {"&Faces", RenderMode::Faces},
};

const char* all_tool_pages_key = "tools/all_pages";
const char* history_limit_key = "edit/history_limit_mib";
constexpr int default_history_limit = int(History::default_limit_bytes >> 20);
const char* fit_on_open_key = "view/fit_on_open";
const char* background_key = "view/background";
const char* hint_shown_key = "view/hint_shown";
const char* open_folder_key = "files/open_folder";

// Separators show wherever they stand, also first or last in a menu.
QMenu* tear_off_menu(const QString& title, QWidget* parent) {
    auto* menu = new QMenu(title, parent);
    menu->setTearOffEnabled(true);
    menu->setSeparatorsCollapsible(false);
    return menu;
}

} // namespace

QtMainWindow::QtMainWindow() {
    file_menu = tear_off_menu("&File", this);
    file_menu->addSeparator();
    open_item = file_menu->addAction(load_icon("fileopen.xpm"), "Open...", QKeySequence("Ctrl+O"),
                                     this, &QtMainWindow::openfileEvent);
    file_menu->addSeparator();
    save_item = file_menu->addAction(load_icon("filesave.xpm"), "Save As...",
                                     QKeySequence("Ctrl+S"), this, &QtMainWindow::savefileEvent);
    saveall_item = file_menu->addAction(load_icon("filesave.xpm"), "Save ALL...",
                                        QKeySequence("Ctrl+A"), this, &QtMainWindow::saveallEvent);
    file_menu->addSeparator();
    file_menu->addAction(load_icon("filesave.xpm"), "Save Rendering...", QKeySequence("Ctrl+R"),
                         this, &QtMainWindow::saveRenderImageEvent);
    file_menu->addSeparator();
    file_menu->addAction("Exit", QKeySequence("Ctrl+Q"), this, [this] {
        if (close()) qApp->quit(); // closing asks first about changes not saved
    });

    edit_menu = tear_off_menu("&Edit", this);
    undo_item = edit_menu->addAction("Undo", this, &QtMainWindow::undoEvent);
    undo_item->setShortcuts(QKeySequence::Undo); // every binding the platform has
    redo_item = edit_menu->addAction("Redo", this, &QtMainWindow::redoEvent);
    redo_item->setShortcuts(QKeySequence::Redo);
    edit_menu->addSeparator();
    history_limit_item =
        edit_menu->addAction("History Memory Limit...", this, &QtMainWindow::historylimitEvent);

    rendermode_menu = tear_off_menu("&Render Mode", this);
    rendermode_items = new QActionGroup(this);
    for (auto [text, mode] : render_mode_items) {
        QAction* item = rendermode_menu->addAction(text);
        item->setData(int(mode));
        item->setCheckable(true);
        item->setChecked(mode == RenderMode::Polygons);
        rendermode_items->addAction(item);
    }
    connect(rendermode_menu, &QMenu::triggered, this,
            [this](QAction* item) { rendermodeEvent(item->data().toInt()); });

    view_menu = tear_off_menu("&View", this);
    view_menu->addAction("Background Colour", this, &QtMainWindow::backgroundcolourEvent);
    view_menu->addAction("Toggle Projection (ortho/persp)", this,
                         &QtMainWindow::projectionmodeEvent);
    view_menu->addAction("Lighting and Shading Editor", this, &QtMainWindow::lighteditorEvent);
    view_menu->addSeparator();
    view_menu->addAction("Fit Mesh to View", QKeySequence(Qt::Key_F), this,
                         [this] { view()->fit_to_view(); });
    view_menu->addAction("Reset View", QKeySequence(Qt::Key_Home), this,
                         [this] { view()->reset_view(); });
    fit_on_open_item = view_menu->addAction("Fit on Open");
    fit_on_open_item->setCheckable(true);

    tools_menu = tear_off_menu("&Tools", this);
    tools_menu->addAction("Mesh &Tools", QKeySequence("Ctrl+E"), this,
                          &QtMainWindow::mesheditorEvent);
    tools_menu->addSeparator();
    all_tool_pages_item = tools_menu->addAction("Show All Tool Pages");
    all_tool_pages_item->setCheckable(true);

    menuBar()->addMenu(file_menu);
    menuBar()->addMenu(edit_menu);
    menuBar()->addMenu(view_menu);
    menuBar()->addMenu(rendermode_menu);
    menuBar()->addMenu(tools_menu);
    menuBar()->addSeparator();

    editor = new QtGLObjectWindow(this, "editor");
    editor->setFocus();
    setCentralWidget(editor);

    status_bar = statusBar();
    status_bar->setObjectName("status");
    // The first start says how the mouse works the view; later ones only that it is ready.
    if (QSettings().value(hint_shown_key, false).toBool()) {
        status_bar->showMessage("Ready", 2000);
    } else {
        status_bar->showMessage(
            "Left drag: turn \u00b7 Shift+drag: pan \u00b7 wheel: zoom \u00b7 middle click: pick");
        QSettings().setValue(hint_shown_key, true);
    }

    resize(800, 800);

    mesheditor = new QtMeshEditorDialogue(this, "mesheditor");
    lighteditor = new QtLightEditorDialogue(this, "lighteditor");
    connect_panels();
    connect_tools_dialog();

    // The menu's checks follow the mode, also where a tool changes it.
    connect(view(), &QtGLWidget::render_mode_changed, this, [this](int mode) {
        for (QAction* item : rendermode_items->actions())
            if (item->data().toInt() == mode) item->setChecked(true);
    });
    show_all_tool_pages(QSettings().value(all_tool_pages_key, false).toBool(), false);
    connect(all_tool_pages_item, &QAction::toggled, this,
            [this](bool on) { show_all_tool_pages(on, true); });

    bool fit = QSettings().value(fit_on_open_key, true).toBool();
    fit_on_open_item->setChecked(fit);
    view()->fit_on_open = fit;
    connect(fit_on_open_item, &QAction::toggled, this, &QtMainWindow::set_fit_on_open);
    QColor background(QSettings().value(background_key).toString());
    if (background.isValid()) view()->background_colour = background;

    connect(view(), &QtGLWidget::selection_signal, this, [this](int face) {
        bool named = face >= 1 && face <= view()->document.mesh.nf;
        status_bar->showMessage(named ? QString("Selected: %1").arg(face)
                                      : QString("Selected: none"));
    });

    set_history_limit(QSettings().value(history_limit_key, default_history_limit).toInt());
    connect(view(), &QtGLWidget::history_changed_signal, this, &QtMainWindow::show_history);
    connect(view(), &QtGLWidget::failure_signal, this, [this](const QString& message) {
        status_bar->showMessage(message.section('\n', 0, 0), 5000);
        show_warning(this, VOSTREL_TITLE, message);
    });
    connect(view(), &QtGLWidget::warning_signal, this,
            [this](const QString& message) { status_bar->showMessage(message, 10000); });
    connect(view(), &QtGLWidget::open_failed_signal, this, &QtMainWindow::report_failed_open);
    connect(view(), &QtGLWidget::segments_saved_signal, this, &QtMainWindow::show_segments_saved);
    connect(view(), &QtGLWidget::note_signal, this,
            [this](const QString& message) { status_bar->showMessage(message, 10000); });
    build_task_status();
    show_history();
    mesh_label = new QLabel;
    mesh_label->setObjectName("mesh_label");
    status_bar->addPermanentWidget(mesh_label);
    connect(view(), &QtGLWidget::history_changed_signal, this, &QtMainWindow::show_mesh_summary);
    show_mesh_summary();
}

// Every operation that replaces or changes the mesh (an open, a tool, an undo) changes
// what Undo and Redo offer, so the summary follows the history.
void QtMainWindow::show_mesh_summary() {
    const Mesh& m = view()->document.mesh;
    if (m.nv == 0) {
        mesh_label->setText("No mesh");
        return;
    }
    Vector lo = m.vertices[0], hi = m.vertices[0];
    for (const Vector& v : m.vertices) {
        lo = Vector(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
        hi = Vector(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
    }
    auto size = [](float extent) { return QString::number(extent, 'g', 4); };
    QString name = QFileInfo(view()->file_name).fileName();
    QLocale here;
    mesh_label->setText(QString("%1  %2 vertices, %3 faces, box %4 \u00d7 %5 \u00d7 %6")
                            .arg(name.isEmpty() ? QString("(no file)") : name, here.toString(m.nv),
                                 here.toString(m.nf), size(hi.x - lo.x), size(hi.y - lo.y),
                                 size(hi.z - lo.z)));
}

// The panels' signals to the view's slots, and the view's signals back.
void QtMainWindow::connect_panels() {
    QtGLWidget* glview = view();
    QtMeshEditorDialogue* d = mesheditor;
    QtMeshClassifierWidget* classify = d->classify_page.get();
    QtMeanShiftWidget* meanshift = d->meanshift_page.get();
    QtCLippingWidget* clipping = d->clipping_page.get();
    QtLightSettingsWidget* light = lighteditor->lightsettings;

    connect(d, &QtMeshEditorDialogue::reset_signal, glview, &QtGLWidget::reload_slot);
    connect(d->traverse_page.get(), &QtMeshTraversalWidget::edgetraversal_signal, glview,
            &QtGLWidget::edgetraversal_slot);
    connect(d->traverse_page.get(), &QtMeshTraversalWidget::markcurrent_signal, glview,
            &QtGLWidget::markcurrent_slot);
    connect(d->subdivide_page.get(), &QtMeshSubdivideWidget::subdivide_signal, glview,
            &QtGLWidget::subdivide_slot);
    connect(classify, &QtMeshClassifierWidget::meshclassify_signal, glview,
            &QtGLWidget::meshclassify_slot);
    connect(classify, &QtMeshClassifierWidget::numpatches_signal, glview,
            &QtGLWidget::numpatches_slot);
    connect(classify, &QtMeshClassifierWidget::previouspatch_signal, glview,
            &QtGLWidget::previouspatch_slot);
    connect(classify, &QtMeshClassifierWidget::nextpatch_signal, glview,
            &QtGLWidget::nextpatch_slot);
    connect(classify, &QtMeshClassifierWidget::patchthresh_signal, glview,
            &QtGLWidget::patchthresh_slot);
    connect(classify, &QtMeshClassifierWidget::weight_signal, glview, &QtGLWidget::weight_slot);
    connect(classify, &QtMeshClassifierWidget::sp_mode_signal, glview, &QtGLWidget::sp_mode_slot);
    connect(classify, &QtMeshClassifierWidget::proxy_signal, glview, &QtGLWidget::proxy_slot);
    connect(classify, &QtMeshClassifierWidget::loadsp_signal, glview, &QtGLWidget::loadsp_slot);
    connect(classify, &QtMeshClassifierWidget::savesp_signal, glview, &QtGLWidget::savesp_slot);
    connect(classify, &QtMeshClassifierWidget::markcurrent_signal, glview,
            &QtGLWidget::markpatch_slot);
    connect(meanshift, &QtMeanShiftWidget::rad_signal, glview, &QtGLWidget::mshiftrad_slot);
    connect(meanshift, &QtMeanShiftWidget::mshift_signal, glview, &QtGLWidget::mshift_slot);
    connect(meanshift, &QtMeanShiftWidget::step_signal, glview, &QtGLWidget::mshiftstep_slot);
    connect(d->simplify_page.get(), &QtMeshSimplifierWidget::simplifySignal, glview,
            &QtGLWidget::simplify_slot);
    connect(d->simplify_page->method_box, &QComboBox::currentIndexChanged, glview,
            &QtGLWidget::simplify_method_slot);
    connect(d->simplify_page->max_error_box, &QDoubleSpinBox::valueChanged, glview,
            &QtGLWidget::simplify_max_error_slot);
    connect(meanshift->function_widget, &QtFunctionWidget::signal_function, glview,
            &QtGLWidget::function_slot);
    connect(glview, &QtGLWidget::numbpatches_signal, classify,
            &QtMeshClassifierWidget::numbpatchesEvent);
    connect(glview, &QtGLWidget::dragndrop_signal, this, &QtMainWindow::dragndrop_slot);
    connect(glview, &QtGLWidget::buildtree_signal, d->morpho_page.get(),
            &QtMorphogenWidget::buildtree_slot);
    connect(clipping, &QtCLippingWidget::cutplane_resetall_signal, glview,
            &QtGLWidget::cutplane_resetall_slot);
    connect(clipping, &QtCLippingWidget::cutplane_resetcurrent_signal, glview,
            &QtGLWidget::cutplane_resetcurrent_slot);
    connect(clipping, &QtCLippingWidget::cutplane_select_signal, glview,
            &QtGLWidget::cutplane_select_slot);
    connect(clipping, &QtCLippingWidget::cutplane_invert_signal, glview,
            &QtGLWidget::cutplane_invert_slot);
    connect(clipping, &QtCLippingWidget::cutplane_showall_signal, glview,
            &QtGLWidget::cutplane_showall_slot);
    connect(clipping, &QtCLippingWidget::cutplane_load_signal, glview,
            &QtGLWidget::cutplane_load_slot);
    connect(clipping, &QtCLippingWidget::cutplane_save_signal, glview,
            &QtGLWidget::cutplane_save_slot);
    connect(glview, &QtGLWidget::cutplanes_shown_signal, clipping,
            &QtCLippingWidget::planes_shown_event);
    connect(glview, &QtGLWidget::morphogens_shown_signal, d->morpho_page.get(),
            &QtMorphogenWidget::show_setting);
    connect(glview, &QtGLWidget::patches_shown_signal, classify,
            &QtMeshClassifierWidget::show_patches_event);
    // The pages that open and save files of their own keep the document's list of the
    // files in use.
    for (ToolPanel* page : {static_cast<ToolPanel*>(d->terrain_page.get()),
                            static_cast<ToolPanel*>(d->morpho_page.get())}) {
        page->file_opened = [glview](FileKind kind, const std::string& path) {
            glview->document.inputs.note(kind, path);
        };
        page->may_save = [glview](FileKind kind, const std::string& path) {
            return glview->document.inputs.allow_writing(path, kind);
        };
    }
    connect(d->terrain_page.get(), &QtMeshTerrainWidget::terrain_signal, glview,
            &QtGLWidget::apply_terrain);
    connect(d->morpho_page.get(), &QtMorphogenWidget::buildvertexcolour_signal, glview,
            &QtGLWidget::buildvertexcolour_slot);
    connect(d->terrain_page.get(), &QtMeshTerrainWidget::build_vertexcolours_signal, glview,
            &QtGLWidget::build_vertexcoloursterrain_slot);
    connect(light, &QtLightSettingsWidget::light_colour_signal, glview,
            &QtGLWidget::light_colour_slot);
    connect(light, &QtLightSettingsWidget::light_position_signal, glview,
            &QtGLWidget::light_position_slot);
    connect(light, &QtLightSettingsWidget::lighting_signal, glview, &QtGLWidget::lighting_slot);
    // The page has chosen its preset before these connections.
    glview->lighting_slot(light->lighting());
}

void QtMainWindow::connect_tools_dialog() {
    mesheditor->has_mesh = [this] { return view()->document.mesh.nf > 0; };
    mesheditor->report = [this](const QString& message) { status_bar->showMessage(message, 5000); };
    mesheditor->clipping_in_sight = [this](bool shown) {
        view()->frame_clipping_cube = shown;
        view()->fit_to_view();
    };
    connect(view(), &QtGLWidget::status_signal, this,
            [this](const QString& message) { status_bar->showMessage(message, 5000); });
    // Each dialog is a window of its own, where the window's shortcuts would not reach.
    for (QMenu* menu : {file_menu, edit_menu, view_menu, rendermode_menu, tools_menu})
        for (QAction* item : menu->actions())
            if (!item->shortcut().isEmpty()) {
                mesheditor->addAction(item);
                lighteditor->addAction(item);
            }
}

QtGLWidget* QtMainWindow::view() const {
    return editor->glbox1;
}

void QtMainWindow::show_all_tool_pages(bool all, bool remember) {
    mesheditor->show_all_pages(all);
    {
        QSignalBlocker quiet(all_tool_pages_item);
        all_tool_pages_item->setChecked(all);
    }
    if (remember) QSettings().setValue(all_tool_pages_key, all);
}

void QtMainWindow::set_fit_on_open(bool on) {
    view()->fit_on_open = on;
    QSettings().setValue(fit_on_open_key, on);
    QSignalBlocker quiet(fit_on_open_item);
    fit_on_open_item->setChecked(on);
}

void QtMainWindow::set_background_colour(const QColor& colour) {
    view()->background_colour = colour;
    view()->changed();
    QSettings().setValue(background_key, colour.name());
}

void QtMainWindow::set_history_limit(int mebibytes) {
    mebibytes = std::max(mebibytes, 1);
    view()->document.history.set_limit_bytes(size_t(mebibytes) << 20);
    QSettings().setValue(history_limit_key, mebibytes);
    history_limit_item->setText(QString("History Memory Limit (%1 MiB)...").arg(mebibytes));
    show_history();
}

void QtMainWindow::show_history() {
    const History& h = view()->document.history;
    bool idle = !view()->busy();
    undo_item->setEnabled(idle && h.can_undo());
    undo_item->setText(h.can_undo() ? "Undo " + QString::fromStdString(h.undo_name()) : "Undo");
    redo_item->setEnabled(idle && h.can_redo());
    redo_item->setText(h.can_redo() ? "Redo " + QString::fromStdString(h.redo_name()) : "Redo");
}

void QtMainWindow::build_task_status() {
    task_label = new QLabel;
    task_progress = new QProgressBar;
    task_progress->setRange(0, 1000);
    task_progress->setTextVisible(false);
    task_progress->setMaximumWidth(200);
    task_time = new QLabel;
    cancel_button = new QPushButton("Cancel");
    for (QWidget* w :
         std::initializer_list<QWidget*>{task_label, task_progress, task_time, cancel_button}) {
        status_bar->addPermanentWidget(w);
        w->hide();
    }
    TaskRunner& tasks = view()->tasks;
    connect(cancel_button, &QPushButton::clicked, view(), &QtGLWidget::cancel_task);
    // Esc anywhere in the program cancels, but only while something runs: dialogs keep it.
    cancel_key = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancel_key->setContext(Qt::ApplicationShortcut);
    cancel_key->setEnabled(false);
    connect(cancel_key, &QShortcut::activated, view(), &QtGLWidget::cancel_task);
    connect(&tasks, &TaskRunner::started, this, [this](const QString& title) {
        task_label->setText(title + "...");
        set_busy(true);
    });
    connect(&tasks, &TaskRunner::progressed, this, &QtMainWindow::show_task);
    connect(&tasks, &TaskRunner::cancelled, this,
            [this](const QString& title) { status_bar->showMessage("Cancelled: " + title, 5000); });
    connect(&tasks, &TaskRunner::ended, this, [this] { set_busy(false); });
}

// Work that ends within a moment shows nothing.
void QtMainWindow::show_task(double fraction, double seconds) {
    constexpr double moment = 0.3;
    bool shown = seconds >= moment && view()->busy();
    for (QWidget* w :
         std::initializer_list<QWidget*>{task_label, task_progress, task_time, cancel_button})
        w->setVisible(shown);
    if (!shown) return;
    task_progress->setValue(int(fraction * 1000));
    task_time->setText(QString("%1 s").arg(seconds, 0, 'f', 1));
}

void QtMainWindow::set_busy(bool busy) {
    for (QAction* item : {open_item, save_item, saveall_item}) item->setEnabled(!busy);
    cancel_key->setEnabled(busy);
    mesheditor->set_tools_enabled(!busy);
    if (!busy) show_task(0, 0);
    show_history();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
    if (!may_discard_changes()) {
        event->ignore();
        return;
    }
    view()->tasks.cancel_and_wait();
    QMainWindow::closeEvent(event);
}

void QtMainWindow::undoEvent() {
    view()->undo();
    show_history();
}

void QtMainWindow::redoEvent() {
    view()->redo();
    show_history();
}

void QtMainWindow::historylimitEvent() {
    bool ok = false;
    int current = int(view()->document.history.limit_bytes() >> 20);
    int chosen = QInputDialog::getInt(
        this, "History Memory Limit",
        QString("Memory the steps to undo may hold, in MiB (now %1 MiB in use):")
            .arg(double(view()->document.history.bytes()) / (1 << 20), 0, 'f', 1),
        current, 1, 1 << 20, 64, &ok);
    if (ok) set_history_limit(chosen);
}

// A failure is said by the view's open_failed_signal, when the open has run.
void QtMainWindow::open_file(const QString& name) {
    view()->load_file(name);
}

void QtMainWindow::report_failed_open(const QString& name, const QString& message) {
    status_bar->showMessage("Could not open " + name, 5000);
    show_warning(this, VOSTREL_TITLE, message);
}

// Only a file that cannot be opened ends the program; one that opens but cannot be
// read is reported like any other failed open.
bool QtMainWindow::open_from_command_line(const QString& name) {
    std::printf("%s\n", name.toLocal8Bit().constData());
    if (name.isEmpty()) return true;
    // At once, before the window answers anything: a file that cannot be opened at all
    // ends the program.
    IoResult r = view()->load_file(name, true);
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
    QString name = QFileDialog::getSaveFileName(this, "", "rendering", "*.png", nullptr,
                                                QFileDialog::DontConfirmOverwrite);
    if (!name.isEmpty()) save_rendering_as(name);
}

bool QtMainWindow::confirm_replace(const QString& path) {
    auto answer = QMessageBox::question(this, VOSTREL_TITLE,
                                        path + " already exists.\nDo you want to replace it?",
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes;
}

bool QtMainWindow::save_rendering_as(const QString& chosen) {
    QString name = QFileInfo(chosen).suffix().isEmpty() ? chosen + ".png" : chosen;
    IoResult r = view()->document.inputs.allow_writing(name.toStdString(), FileKind::Image);
    if (r && QFileInfo::exists(name) && !confirm_replace(name)) return false;
    if (r) r = save_png(view()->grab_frame(), name.toStdString());
    if (!r) {
        status_bar->showMessage("Could not save " + name, 5000);
        show_warning(this, VOSTREL_TITLE, QString::fromStdString(r.error));
    }
    return bool(r);
}

void QtMainWindow::projectionmodeEvent() {
    view()->toggle_projection();
    update();
}

void QtMainWindow::backgroundcolourEvent() {
    QColor chosen = QColorDialog::getColor(view()->background_colour, this);
    if (chosen.isValid()) set_background_colour(chosen); // a cancelled dialog keeps the colour
    update();
}

QString QtMainWindow::open_folder() const {
    QString folder = QSettings().value(open_folder_key).toString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : dialog_start_folder("Data");
}

namespace {

// "All meshes" with every extension read, then the common formats one by one.
QString open_filters() {
    QStringList filters{"All meshes (" + QString::fromStdString(mesh_file_filter()) + ")",
                        "OBJ (*.obj)",
                        "NET (*.net)",
                        "PLY (*.ply)",
                        "STL (*.stl)",
                        "OFF (*.off)",
                        "glTF (*.gltf *.glb)",
                        "Collada (*.dae)",
                        "FBX (*.fbx)",
                        "3DS (*.3ds)",
                        "All files (*)"};
    return filters.join(";;");
}

} // namespace

void QtMainWindow::openfileEvent() {
    QString name = QFileDialog::getOpenFileName(this, "", open_folder(), open_filters());
    if (name.isEmpty()) return;
    QSettings().setValue(open_folder_key, QFileInfo(name).absolutePath());
    current_file = name;
    open_file(name);
}

namespace {

// "OBJ (*.obj)": a save dialog's filter for `format`.
QString save_filter(const SaveFormatInfo& format) {
    return QString("%1 (*%2)").arg(format.name, format.extension);
}

} // namespace

// A filter per format written, OBJ first; the one chosen completes a name without a
// known extension.
void QtMainWindow::savefileEvent() {
    QStringList filters;
    for (const SaveFormatInfo& f : save_formats()) filters << save_filter(f);
    QString chosen_filter = filters.first();
    QString name =
        QFileDialog::getSaveFileName(this, "", dialog_start_folder("data"), filters.join(";;"),
                                     &chosen_filter, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return;
    SaveFormat filter = SaveFormat::Obj;
    for (const SaveFormatInfo& f : save_formats())
        if (save_filter(f) == chosen_filter) filter = f.format;
    save_mesh_as(name, filter);
}

bool QtMainWindow::save_mesh_as(const QString& chosen, SaveFormat filter) {
    QString target = QtGLWidget::mesh_file_name(chosen, filter);
    if (QFileInfo::exists(target) && !confirm_replace(target)) return false;
    current_file = chosen;
    // A failure is said by the view's failure_signal, a loss by its warning_signal.
    bool saved = bool(view()->save_file(chosen, filter));
    show_mesh_summary(); // under its new name
    return saved;
}

// Without a mesh the view says so and writes nothing.
void QtMainWindow::saveallEvent() {
    if (view()->document.mesh.nf > 0 && !confirm_replace_segments()) return;
    view()->save_all();
}

bool QtMainWindow::confirm_replace_segments() {
    int existing = 0;
    for (const std::string& path : view()->document.segment_file_paths())
        if (QFileInfo::exists(QString::fromStdString(path))) ++existing;
    if (existing == 0) return true;
    QString folder = QDir::currentPath();
    QString text =
        existing == 1
            ? QString("A segment file already exists in %1.\nDo you want to replace it?")
                  .arg(folder)
            : QString("%1 segment files already exist in %2.\nDo you want to replace them?")
                  .arg(existing)
                  .arg(folder);
    auto answer = QMessageBox::question(this, VOSTREL_TITLE, text,
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes) return true;
    status_bar->showMessage("No segment files written", 5000);
    return false;
}

bool QtMainWindow::may_discard_changes() {
    if (!view()->document.modified()) return true;
    auto answer = QMessageBox::question(
        this, VOSTREL_TITLE, "The mesh has changes that are not saved.\nDiscard them?",
        QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel);
    return answer == QMessageBox::Discard;
}

void QtMainWindow::show_segments_saved() {
    const SegmentFiles& files = view()->segment_files;
    QString written = QString("Wrote %1 segment files to %2")
                          .arg(files.written.size())
                          .arg(QString::fromStdString(files.folder));
    if (files.ok()) {
        status_bar->showMessage(written, 5000);
        return;
    }
    status_bar->showMessage(
        written + QString("; %1 could not be written").arg(files.failures.size()), 5000);
    QStringList errors;
    for (const IoResult& r : files.failures) errors << QString::fromStdString(r.error);
    show_warning(this, VOSTREL_TITLE, errors.join("\n"));
}

// The Render Mode menu delivers 0 to 8; other values leave the mode.
void QtMainWindow::rendermodeEvent(int id) {
    if (id >= 0 && id < render_mode_count) view()->set_render_mode(RenderMode(id));
    update();
}

void QtMainWindow::mesheditorEvent() {
    mesheditor->show_beside(this);
}

void QtMainWindow::lighteditorEvent() {
    lighteditor->show();
}
