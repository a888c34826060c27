// QtMainWindow: menus, status bar, the central frame with the view, the tool and
// lighting dialogs, and the connections between the panels and the view.
#pragma once

#include "core/io_result.h"
#include "core/scene_writer.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QActionGroup;
class QColor;
class QMenu;
class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QStatusBar;
class QtGLObjectWindow;
class QtGLWidget;
class QtLightEditorDialogue;
class QtMeshEditorDialogue;

class QtMainWindow : public QMainWindow {
    Q_OBJECT

  public:
    QtMainWindow();

    QtGLObjectWindow* editor;
    QtMeshEditorDialogue* mesheditor;
    QtLightEditorDialogue* lighteditor;
    QMenu* file_menu;
    QAction *open_item, *save_item, *saveall_item;
    QMenu* edit_menu;
    QAction* undo_item;
    QAction* redo_item;
    QAction* history_limit_item;
    QMenu* rendermode_menu;
    QMenu* view_menu;
    QMenu* tools_menu;
    QActionGroup* rendermode_items;
    QAction* all_tool_pages_item;
    QAction* fit_on_open_item;
    QStatusBar* status_bar;
    // While a long operation runs: what it is, how far it has come, for how long, Cancel.
    QLabel* task_label;
    QProgressBar* task_progress;
    QLabel* task_time;
    QPushButton* cancel_button;
    QShortcut* cancel_key;
    // Always shown: the file's name, the vertex and face counts and the box's size.
    QLabel* mesh_label;
    QString current_file;

    QtGLWidget* view() const;
    // Opens the file named on the command line; false when it cannot be opened at all.
    bool open_from_command_line(const QString& name);
    // Shows every tool panel as a page of the tools dialog, or the terrain page alone;
    // with `remember`, the choice holds for the next runs too.
    void show_all_tool_pages(bool all, bool remember);
    // Whether the view frames each mesh as it opens; remembered for the next runs.
    void set_fit_on_open(bool on);
    // The view's background; remembered for the next runs.
    void set_background_colour(const QColor& colour);
    // The memory the history may hold, in MiB; remembered for the next runs.
    void set_history_limit(int mebibytes);

    // What the save dialogs' choices lead to. The name is completed first (the extension
    // of the mesh format `filter` chosen, as QtGLWidget::mesh_file_name, or ".png" for a
    // name without extension); replacing an existing file asks the user. False when
    // nothing was written.
    bool save_mesh_as(const QString& chosen, SaveFormat filter = SaveFormat::Obj);
    bool save_rendering_as(const QString& chosen);
    // Asks whether the existing file `path` may be replaced.
    bool confirm_replace(const QString& path);
    // Asks once whether "Save ALL..." may replace the files of its names that exist;
    // true too when there are none.
    bool confirm_replace_segments();
    // Whether the window may close: true when the mesh has no changes since it was
    // opened or saved, else the user's answer (Discard or Cancel).
    bool may_discard_changes();
    // Where the open dialog starts: the folder of the file last opened from it.
    QString open_folder() const;

  protected:
    // Closing the window (File > Exit too) asks first about changes not saved, then
    // stops an operation that runs.
    void closeEvent(QCloseEvent* event) override;

  public slots:
    void dragndrop_slot(QString filename);
    void aboutEvent();
    void saveRenderImageEvent();
    void projectionmodeEvent();
    void backgroundcolourEvent();
    void openfileEvent();
    void savefileEvent();
    void saveallEvent();
    void rendermodeEvent(int id);
    void mesheditorEvent();
    void lighteditorEvent();
    void undoEvent();
    void redoEvent();
    // Asks for the history's memory limit.
    void historylimitEvent();

  private:
    // The Edit menu's items name the steps Undo and Redo would take.
    void show_history();
    void show_segments_saved();
    void show_mesh_summary();
    // The status bar's part for a long operation: what runs, how far, since when, and
    // Cancel (Esc too); shown once it has run for a moment.
    void build_task_status();
    void show_task(double fraction, double seconds);
    // While an operation runs, what would start another is disabled.
    void set_busy(bool busy);
    void open_file(const QString& name);
    void report_failed_open(const QString& name, const QString& message);
    void connect_panels();
    // The tools dialog: its reports in the status bar, the view framing the clipping
    // cube while the Clipping page is in sight, and the menus' shortcuts there too.
    void connect_tools_dialog();
};
