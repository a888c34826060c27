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
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

// The panels are deleted by their owners here, before the dialog deletes its children.
QtMeshEditorDialogue::~QtMeshEditorDialogue() = default;

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
    apply_button->setEnabled(enabled);
    reload_button->setEnabled(enabled);
}

bool QtMeshEditorDialogue::all_pages_shown() const {
    return tabs->count() > 1;
}

void QtMeshEditorDialogue::reset_event() {
    emit reset_signal();
}

void QtMeshEditorDialogue::apply_event() {
    if (auto* page = qobject_cast<ToolPanel*>(tabs->currentWidget())) page->apply();
    update();
}
