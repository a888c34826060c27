// QtMeshEditorDialogue: the "Mesh Tools" dialog. It builds the eight tool panels and
// shows the terrain panel as its page, or every panel as a page of its own when all
// tool pages are asked for. "Apply" runs the current page's action and "Reload" asks
// the view to restore the loaded mesh.
//
// The dialog opens beside the main window, so that it leaves the view free, and where it
// was last moved to from then on (also in later runs).
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
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
    // "Apply" and "Reload", which start a tool, are off while one runs; "Apply" is also
    // off on the pages that have no action (Traversal sends as its sliders move).
    void set_tools_enabled(bool enabled);
    bool page_has_action(const QWidget* page) const;
    QPushButton *apply_button, *reload_button;

    // Shows the dialog where it last was, or beside `window` the first time.
    void show_beside(const QWidget* window);

    // Set by the window. Whether there is a mesh for "Apply" to work on; a page that
    // needs one says why it did nothing (`report`) without it. The terrain page makes a
    // mesh of its own and needs none.
    std::function<bool()> has_mesh;
    std::function<void(const QString&)> report;
    // Called when the Clipping page becomes, or stops being, the page in sight.
    std::function<void(bool)> clipping_in_sight;
    bool clipping_page_in_sight() const { return clipping_shown; }

  signals:
    void reset_signal();

  public slots:
    void reset_event();
    void apply_event();

  protected:
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    bool tools_enabled = true;
    bool clipping_shown = false;
    void follow_current_page();
};
