// QtMeshEditorDialogue: the "Mesh Tools" dialog. It builds the tool panels, shows the
// terrain panel as its one page, runs the current page's action on "Apply" and asks the
// view to restore the loaded mesh on "Reload".
#pragma once

#include <QDialog>
#include <memory>

class QTabWidget;
class QtMeshSimplifierWidget;
class QtMeshSubdivideWidget;
class QtMeshTerrainWidget;
class QtMeshTraversalWidget;

class QtMeshEditorDialogue : public QDialog {
    Q_OBJECT

  public:
    explicit QtMeshEditorDialogue(QWidget* parent = nullptr, const char* name = nullptr);
    ~QtMeshEditorDialogue() override;

    // The panels without a page are built and connected but never shown; the dialog
    // keeps them.
    std::unique_ptr<QtMeshSimplifierWidget> simplify_page;
    std::unique_ptr<QtMeshSubdivideWidget> subdivide_page;
    QtMeshTerrainWidget* terrain_page; // the dialog's page
    std::unique_ptr<QtMeshTraversalWidget> traverse_page;
    QTabWidget* tabs;

  signals:
    void reset_signal();

  public slots:
    void reset_event();
    void apply_event();
};
