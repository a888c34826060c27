// QtGLWidget: the OpenGL view. It draws the document it holds (the mesh and every tool's
// state) with its camera and light, which are the view's own. The panels reach the
// document only through the view's slots.
//
// The slots are adapters: each converts Qt types, calls the document, and shows what
// the document reports changed (show_changes): a new frame, a new camera for a new
// mesh, the render mode's menu check, the panels' lists. A 10 ms timer draws a new frame
// when something drawn has changed since the last one (changed()); a view at rest draws
// nothing. Its sources are split by topic: qt_gl_widget.cpp (GL callbacks, camera,
// mouse, changes), qt_gl_widget_files.cpp (files and history), qt_gl_widget_light.cpp,
// and one file per tool.
#pragma once

#include "core/arcball.h"
#include "core/io_result.h"
#include "document/document.h"
#include "viewer/gl_frame.h"
#include "viewer/qt_task_runner.h"
#include "viewer/view_modes.h"

#include <QColor>
#include <QImage>
#include <QOpenGLWidget>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QtGLWidget : public QOpenGLWidget {
    Q_OBJECT

  public:
    QtGLWidget(QWidget* parent = nullptr, const char* name = nullptr, QWidget* share = nullptr);
    ~QtGLWidget() override;

    Document document;
    // Runs the document's long operations off this thread (declared after the document,
    // so that a run still going is stopped before the document goes).
    TaskRunner tasks{document};
    QColor background_colour{255, 255, 255, 255};
    DragMode drag_mode = DragMode::None;
    MouseTarget mouse_target = MouseTarget::Camera;
    QString file_name;
    int view_width = 0, view_height = 0;
    float camera_distance = -200;
    Vector last_mouse_position{0, 0, 0};
    Vector light_position{0, 0, 1, 0};
    // Light 0's colours and the surface's highlight and sidedness (the Lighting
    // Editor's preset); the colours also change alone, by light_colour_slot.
    Lighting lighting = preset_lighting(LightPreset::Studio);
    ArcBall arcball;
    // The mesh moved in the view plane (x right, y up, in mesh units) by Shift or Ctrl
    // with the left button, and by the wheel's zoom towards the cursor; z stays 0.
    Vector pan{0, 0, 0};

    // Whether a load (or a new terrain) frames the new mesh (fit_to_view) or a load puts
    // the camera at the start distance; the main window keeps the choice between runs.
    bool fit_on_open = true;
    // Whether fitting frames the clipping planes' cube as well as the mesh (the window
    // sets it while the Clipping page is in sight, where the planes would lie outside).
    bool frame_clipping_cube = false;

    // Opens a mesh file (Document::open) on the task runner, or `at_once` here. On
    // failure, and for a file that holds no faces, the error is printed and said
    // (open_failed_signal), and the document stays as it was. Returns the outcome where
    // the open ran at once, success while it runs on.
    IoResult load_file(const QString& name, bool at_once = false);
    // Begins `task` on the runner; `then` gets its outcome (show_outcome by default).
    void run_task(std::unique_ptr<Task> task, std::function<void(const Outcome&)> then = nullptr,
                  bool at_once = false);
    SegmentFiles segment_files; // what the last "Save ALL..." wrote
    // Whether a long operation runs; what changes the document then waits for it.
    bool busy() const { return tasks.busy(); }
    // Stops the running operation; the document stays as it was before it.
    void cancel_task() { tasks.cancel(); }
    // Saves the mesh under mesh_file_name(name, filter), in the format its extension
    // names (OBJ where it names none), with the vertex colours unless they are all the
    // default grey, and in OBJ with the morphogens the mesh has. What the format does not
    // keep is said by warning_signal once the file is written.
    IoResult save_file(const QString& name, SaveFormat filter = SaveFormat::Obj);
    // The name a save writes: `name` itself where its extension names a format written;
    // else, for OBJ, obj_file_name(name), and for another format its extension appended.
    static QString mesh_file_name(const QString& name, SaveFormat filter = SaveFormat::Obj);
    // ".obj" appended unless the name contains it (any case).
    static QString obj_file_name(const QString& name);
    // Writes the segments ("Save ALL...") into the working folder (named in the result's
    // folder); a file that cannot be written is reported and the others still are. The
    // files are said by segments_saved_signal (and returned where the task ran at once).
    // Without a mesh nothing is written, and failure_signal says so.
    SegmentFiles save_all(const std::string& folder = {});
    // The current frame as a 32-bit image of its full size in device pixels (the view's
    // size times the screen's scale).
    QImage grab_frame();
    // Selects the face under the window position (logical pixels, y downwards, as the
    // mouse gives it); see the face test.
    void pick(int x, int y);
    // The face number a pick there selects (the selection as it is when none is hit).
    int picked_face(int x, int y);
    // Flips the projection and sets it up again.
    void toggle_projection();
    // Undo and Redo (the Edit menu).
    Outcome undo();
    Outcome redo();
    // Shows what an operation of the document changed: the frame, the camera for a new
    // mesh, the mouse's target, the menus and the panels (by the signals below).
    void show_changes(Changes changed);
    // The terrain page's "Apply" (terrain_signal): the mesh replaced by the terrain of
    // the heightmap with the grid settings, coloured by the colour map.
    void apply_terrain(QImage heightmap, int resolution, int scale, int height,
                       std::vector<QColor> colours, std::vector<float> values);
    // Draws the mesh in `mode` from the next frame on and says so (render_mode_changed).
    void set_render_mode(RenderMode mode);
    // Something that is drawn has changed (the mesh, a tool's state, the camera, the
    // light): the view draws a new frame at the next tick. Every slot and event that
    // changes what is drawn calls it.
    void changed();
    // Whether a frame is owed for a change not yet drawn.
    bool frame_due() const { return frame_pending; }
    // Frames drawn so far.
    int frames_drawn = 0;

    // Sets the camera distance so that the whole mesh fits the view with a small margin,
    // in the current projection and rotation, and undoes the pan.
    void fit_to_view();
    // Undoes the rotation and fits the mesh to the view.
    void reset_view();

    // The model-view and projection matrices and the viewport the last frame left.
    std::array<double, 16> frame_modelview{}, frame_projection{};
    std::array<int, 4> frame_viewport{};

  signals:
    void numbpatches_signal(int);
    void dragndrop_signal(QString filename);
    void buildtree_signal(std::vector<std::string>& names);
    void render_mode_changed(int mode);
    // The clipping planes changed otherwise than by the page's buttons (a new cube, an
    // undo): the plane now selected, -1 for none.
    void cutplanes_shown_signal(int selected);
    // After a middle click: the selected face number, counted from 1 (-1 or 0: none).
    void selection_signal(int face);
    // The document's morphogen setting changed (a new mesh, an undo): the page shows it.
    void morphogens_shown_signal(const MorphogenSetting& setting);
    // The number of patches, for the page to show without sending it back (an undo).
    void patches_shown_signal(int patches);
    // What Undo and Redo offer changed.
    void history_changed_signal();
    // An operation failed: its message, for the window to show.
    void failure_signal(QString message);
    // An operation went ahead without something (a save in a format that does not keep
    // the morphogens): the warning, for the window to show.
    void warning_signal(QString message);
    // Opening `name` failed (and the document stays as it was).
    void open_failed_signal(QString name, QString message);
    // "Save ALL..." has written what segment_files says.
    void segments_saved_signal();
    // Why a command did nothing, for the status bar.
    void status_signal(QString message);
    // What a successful operation reports (Outcome::note), for the status bar.
    void note_signal(QString message);

  public slots:
    void reload_slot();
    void smooth_slot(float kernelsize, float kernelstrength);
    void subdivide_slot(int subdiv, float weight);
    void edgetraversal_slot(int depth, int angle);
    void markcurrent_slot();
    void meshclassify_slot();
    void numpatches_slot(int);
    void previouspatch_slot(int);
    void nextpatch_slot(int);
    void patchthresh_slot(int);
    void weight_slot(float);
    void sp_mode_slot(int);
    void loadsp_slot(QString);
    void savesp_slot(QString);
    void mshift_slot(Vector, int);
    void mshiftrad_slot(Vector, int);
    void mshiftstep_slot(Vector);
    void function_slot(std::vector<Vector> func, int sizey);
    void cutplane_select_slot(int selected);
    void cutplane_invert_slot(int selected);
    void cutplane_load_slot(QString fn);
    void cutplane_save_slot(QString fn);
    void cutplane_showall_slot(int selected);
    void cutplane_resetall_slot();
    void cutplane_resetcurrent_slot();
    void buildvertexcolour_slot(int mixmode, std::vector<int> tooglestates,
                                std::vector<QColor> colours, QColor defaultcolour);
    void build_vertexcoloursterrain_slot(std::vector<QColor> colours, std::vector<float> values);
    // The ambient, diffuse and specular colours, in that order. Qt reports the short
    // parameter names declared here to the panels and scripts that look them up.
    void light_colour_slot(Vector ambient, Vector diffuse, Vector specular);
    void light_position_slot(float alti, float azim);
    void simplify_slot(float lod);
    // The classifier page's "Mark Current", declared after the slots above so that they
    // keep their places in the meta-object.
    void markpatch_slot();
    // A preset, or a user's own colours over a preset's surface.
    void lighting_slot(const Lighting& lighting);
    // The Simplify page's method (its list position, as SimplifyMethod numbers them) and
    // the quadric method's error limit, which the next simplify_slot uses.
    void simplify_method_slot(int method);
    void simplify_max_error_slot(double max_error);
    // The Classify page's simplified copy: its faces, 0 to classify the mesh itself.
    void proxy_slot(int faces);

  protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    MeshDrawer drawer;
    bool frame_pending = true;
    QColor cleared_with{255, 255, 255}; // the clear colour the next frame starts with
    // Shows a result: its changes, and its message when it failed (failure_signal).
    void show_outcome(const Outcome& outcome);
    // While a task runs, what would change the document waits: `call` is queued and made
    // when the task has ended (true), else nothing (false). A queued call with the same
    // non-empty `key` as a later one gives way to it (a slider's last value counts).
    bool deferred(std::function<void()> call, const char* key = "");
    void run_deferred();
    std::vector<std::pair<std::string, std::function<void()>>> waiting;
    Outcome show_history_step(Outcome r);
    void zoom_step(const Vector& position);
    void set_camera_distance(float distance);
    // The mesh point under a window position (logical pixels) in the last frame, if any.
    std::optional<Vector> point_under(const Vector& position);
    // Shift or Ctrl with the left button: the point grabbed follows the cursor.
    void pan_press(const Vector& position);
    void pan_step(const Vector& position);
    float pan_grab_z = 0; // the grabbed point's depth along the view axis (perspective)
    // Where a mesh that is not fitted starts: the start distance, no pan.
    void start_camera();
    // The last frame, drawn now if a change is still owed (picking reads its matrices).
    void bring_frame_up_to_date();
    // After a pick: the edge traversal from the selected face.
    void traverse_from_selection();
    // What the tools add to a frame (each defined with its tool's slots).
    std::function<void()> clipping_layer();
    std::function<void()> representatives_layer();
    std::function<void()> mean_shift_layer();
    // The clipping planes' mouse handling (button codes 1 left, 2 middle, 3 right).
    void clipping_press(int button, const Vector& position);
    void clipping_move(const Vector& position);
    void clipping_release();
    // The mouse works the planes while one is selected, else the camera.
    void follow_plane_selection();
    // Says why in the status bar (status_signal) when there are no patches to browse.
    bool say_if_no_patches();
};
