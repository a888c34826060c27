#include "tools/qt_mesh_editor_dialogue.h"

#include "clipping/qt_clipping_widget.h"
#include "segmentation/qt_mean_shift_widget.h"
#include "segmentation/qt_mesh_classifier_widget.h"
#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "tools/qt_mesh_traversal_widget.h"
#include "tools/qt_morphogen_widget.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const char* dialog_position_key = "tools/dialog_position";

// Right of the window if the dialog fits there on the screen, else left of it, else at
// the screen's right edge; level with the window's top where the screen allows.
QPoint beside_window(const QRect& window, QSize size, const QRect& screen) {
    constexpr int gap = 8;
    int right = window.right() + 1 + gap, left = window.left() - gap - size.width();
    int x = right + size.width() <= screen.right() + 1 ? right
            : left >= screen.left()                    ? left
                                                       : screen.right() + 1 - size.width();
    int lowest = std::max(screen.top(), screen.bottom() + 1 - size.height());
    return {std::max(x, screen.left()), std::clamp(window.top(), screen.top(), lowest)};
}

} // namespace

QtMeshEditorDialogue::QtMeshEditorDialogue(QWidget* parent, const char* name) : QDialog(parent) {
    if (name) setObjectName(name);
    setModal(false);
    setWindowTitle("Mesh Tools");
    clipping_page = std::make_unique<QtCLippingWidget>(nullptr, "clippingtab");
    morpho_page = std::make_unique<QtMorphogenWidget>(nullptr, "morphotab");
    simplify_page = std::make_unique<QtMeshSimplifierWidget>(nullptr, "simplifytab");
    classify_page = std::make_unique<QtMeshClassifierWidget>(nullptr, "classifytab");
    subdivide_page = std::make_unique<QtMeshSubdivideWidget>(nullptr, "subdividetab");
    terrain_page = std::make_unique<QtMeshTerrainWidget>(nullptr, "terraintab");
    traverse_page = std::make_unique<QtMeshTraversalWidget>(nullptr, "traversetab");
    meanshift_page = std::make_unique<QtMeanShiftWidget>(nullptr, "meanshftab");

    tabs = new QTabWidget;
    tabs->addTab(terrain_page.get(), "Terrain");

    // No OK button: "Apply" acts, "Reload" restores, "Close" hides.
    auto* buttons = new QDialogButtonBox;
    apply_button = buttons->addButton("Apply", QDialogButtonBox::ApplyRole);
    reload_button = buttons->addButton("Reload", QDialogButtonBox::ResetRole);
    buttons->addButton("Close", QDialogButtonBox::RejectRole);
    connect(apply_button, &QPushButton::clicked, this, &QtMeshEditorDialogue::apply_event);
    connect(reload_button, &QPushButton::clicked, this, &QtMeshEditorDialogue::reset_event);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tabs, &QTabWidget::currentChanged, this, [this] { follow_current_page(); });
    follow_current_page();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

// The panels are deleted by their owners here, before the dialog deletes its children;
// the tabs losing them meanwhile must not reach the window, which may be half gone.
QtMeshEditorDialogue::~QtMeshEditorDialogue() {
    tabs->disconnect(this);
}

void QtMeshEditorDialogue::show_all_pages(bool all) {
    QWidget* current = tabs->currentWidget();
    while (tabs->count() > 0) tabs->removeTab(0);
    tabs->addTab(terrain_page.get(), "Terrain");
    if (all) {
        tabs->addTab(classify_page.get(), "Classify");
        tabs->addTab(meanshift_page.get(), "Mean Shift");
        tabs->addTab(traverse_page.get(), "Traversal");
        tabs->addTab(simplify_page.get(), "Simplify");
        tabs->addTab(subdivide_page.get(), "Subdivide");
        tabs->addTab(morpho_page.get(), "Morphogens");
        tabs->addTab(clipping_page.get(), "Clipping");
    }
    int index = tabs->indexOf(current);
    tabs->setCurrentIndex(index >= 0 ? index : 0);
}

void QtMeshEditorDialogue::set_tools_enabled(bool enabled) {
    tools_enabled = enabled;
    reload_button->setEnabled(enabled);
    follow_current_page();
}

bool QtMeshEditorDialogue::page_has_action(const QWidget* page) const {
    return page && page != traverse_page.get() && page != morpho_page.get() &&
           page != clipping_page.get();
}

void QtMeshEditorDialogue::follow_current_page() {
    QWidget* current = tabs->currentWidget();
    apply_button->setEnabled(tools_enabled && page_has_action(current));
    bool clipping = isVisible() && current == clipping_page.get();
    if (clipping == clipping_shown) return;
    clipping_shown = clipping;
    if (clipping_in_sight) clipping_in_sight(clipping);
}

void QtMeshEditorDialogue::show_beside(const QWidget* window) {
    if (!isVisible()) {
        QScreen* screen = window->screen();
        QRect area = screen->availableGeometry();
        QSize size = sizeHint().expandedTo(minimumSizeHint());
        QPoint remembered = QSettings().value(dialog_position_key).toPoint();
        bool on_screen = QSettings().contains(dialog_position_key) &&
                         QGuiApplication::screenAt(remembered + QPoint(20, 20));
        move(on_screen ? remembered : beside_window(window->frameGeometry(), size, area));
    }
    show();
    raise();
    activateWindow();
}

void QtMeshEditorDialogue::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (isVisible()) QSettings().setValue(dialog_position_key, pos());
}

void QtMeshEditorDialogue::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    follow_current_page();
}

void QtMeshEditorDialogue::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    follow_current_page();
}

bool QtMeshEditorDialogue::all_pages_shown() const {
    return tabs->count() > 1;
}

void QtMeshEditorDialogue::reset_event() {
    emit reset_signal();
}

// Every page but the terrain's works on the mesh there is.
void QtMeshEditorDialogue::apply_event() {
    QWidget* current = tabs->currentWidget();
    auto* page = qobject_cast<ToolPanel*>(current);
    if (!page || !page_has_action(current)) return;
    if (current != terrain_page.get() && has_mesh && !has_mesh()) {
        if (report) report("No mesh to apply to: open one first");
        return;
    }
    page->apply();
    update();
}
