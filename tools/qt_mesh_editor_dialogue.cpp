#include "tools/qt_mesh_editor_dialogue.h"

#include "terrain/qt_mesh_terrain_widget.h"
#include "tools/qt_mesh_simplifier_widget.h"
#include "tools/qt_mesh_subdivide_widget.h"
#include "tools/qt_mesh_traversal_widget.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

QtMeshEditorDialogue::QtMeshEditorDialogue(QWidget* parent, const char* name) : QDialog(parent) {
    if (name) setObjectName(name);
    setModal(false);
    simplify_page = std::make_unique<QtMeshSimplifierWidget>(nullptr, "simplifytab");
    subdivide_page = std::make_unique<QtMeshSubdivideWidget>(nullptr, "subdividetab");
    terrain_page = new QtMeshTerrainWidget(nullptr, "terraintab");
    traverse_page = std::make_unique<QtMeshTraversalWidget>(nullptr, "traversetab");

    tabs = new QTabWidget;
    tabs->addTab(terrain_page, "Terrain");

    // No OK button: "Apply" acts, "Reload" restores, "Close" hides.
    auto* buttons = new QDialogButtonBox;
    QPushButton* apply = buttons->addButton("Apply", QDialogButtonBox::ApplyRole);
    QPushButton* reload = buttons->addButton("Reload", QDialogButtonBox::ResetRole);
    buttons->addButton("Close", QDialogButtonBox::RejectRole);
    connect(apply, &QPushButton::clicked, this, &QtMeshEditorDialogue::apply_event);
    connect(reload, &QPushButton::clicked, this, &QtMeshEditorDialogue::reset_event);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
}

QtMeshEditorDialogue::~QtMeshEditorDialogue() = default;

void QtMeshEditorDialogue::reset_event() {
    emit reset_signal();
}

void QtMeshEditorDialogue::apply_event() {
    QWidget* page = tabs->currentWidget();
    if (page == simplify_page.get())
        simplify_page->apply();
    else if (page == subdivide_page.get())
        subdivide_page->apply();
    else if (page == terrain_page)
        terrain_page->apply_terrain();
    else if (page == traverse_page.get())
        traverse_page->apply();
    update();
}
