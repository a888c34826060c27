// QtMeshEditorDialogue: the "Mesh Tools" dialog. It builds the eight tool panels and
// shows the terrain panel as its page, or every panel as a page of its own when all
// tool pages are asked for. "Apply" runs the current page's action and "Reload" asks
// the view to restore the loaded mesh.
#pragma once

#include <QDialog>
#include <memory>

class QPushButton;
class QTabWidget;
class QtCLippingWidget;
class QtMeanShiftWidget;
class QtMeshClassifierWidget;
class QtMeshSimplifierWidget;
class QtMeshSubdivideWidget;
class QtMeshTerrainWidget;
class QtMeshTraversalWidget;
class QtMorphogenWidget;

class QtMeshEditorDialogue : public QDialog {
    Q_OBJECT

  public:
    explicit QtMeshEditorDialogue(QWidget* parent = nullptr, const char* name = nullptr);
    ~QtMeshEditorDialogue() override;

    // The dialog keeps every panel, shown as a page or not.
    std::unique_ptr<QtCLippingWidget> clipping_page;
    std::unique_ptr<QtMeshSimplifierWidget> simplify_page;
    std::unique_ptr<QtMeshClassifierWidget> classify_page;
    std::unique_ptr<QtMeshSubdivideWidget> subdivide_page;
    std::unique_ptr<QtMeshTerrainWidget> terrain_page;
    std::unique_ptr<QtMeshTraversalWidget> traverse_page;
    std::unique_ptr<QtMeanShiftWidget> meanshift_page;
    std::unique_ptr<QtMorphogenWidget> morpho_page;
    QTabWidget* tabs;

    // With `all`, every panel is a page; otherwise "Terrain" alone.
    void show_all_pages(bool all);
    bool all_pages_shown() const;
    // "Apply" and "Reload", which start a tool, are off while one runs.
    void set_tools_enabled(bool enabled);
    QPushButton *apply_button, *reload_button;

  signals:
    void reset_signal();

  public slots:
    void reset_event();
    void apply_event();
};
