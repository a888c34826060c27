// Document: the model state the window and vostrel-cli work on, and the only owner of
// it: the current mesh, the mesh as last opened (for Reload), the classifier with its
// table, the normal filter's state, the traversal and segment state, the six clipping
// planes, the morphogen setting, the render mode and projection, the history, and the
// simplification's method.
//
// The state is read freely and changed only through the operations below. Each returns
// what it changed (a Changes mask: the window repaints, reframes and tells its panels by
// it) and, on failure, the message; a failed operation changes nothing. What must follow
// a change of the mesh is decided here, once: every operation that replaces the
// geometry resets all state that names its faces or vertices (geometry_replaced).
//
// Operations that change the mesh, its colours, normals, marks or segments, or the
// planes are steps of the history (their names in the comments), which undo() and
// redo() take back and bring again, tool state included. The document is used from one
// thread.
#pragma once

#include "clipping/plane_widget_in_cube.h"
#include "core/camera.h"
#include "core/colour.h"
#include "core/mesh.h"
#include "core/scene_writer.h"
#include "core/vector.h"
#include "document/changes.h"
#include "document/colour_recipe.h"
#include "document/history.h"
#include "document/input_files.h"
#include "document/render_mode.h"
#include "document/task.h"
#include "segmentation/mean_shift.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/segments.h"
#include "terrain/colour_map.h"
#include "terrain/terrain_grid.h"
#include "tools/edge_traversal.h"
#include "tools/morphogen_setting.h"
#include "tools/simplify_method.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Which meshes open() takes: the window refuses a file of points or lines alone,
// vostrel-cli takes it and says what it holds.
enum class OpenRule { AnyMesh, NeedsFaces };

class Document {
  public:
    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // --- the state ---
    Mesh mesh;
    // The mesh as last opened, for reload(), without its centroids and edge table, which
    // the reload builds again (Mesh::clone_without_rebuildable).
    Mesh kept;
    std::string file_name;
    InputFiles inputs;           // the files in use, which saves of another kind must not replace
    Mesh_Classifier classifier;  // bound to `mesh`
    MeanShift filter{mesh};      // bound to `mesh`
    EdgeTraversal traversal;     // depth and angle last used, segment counter
    PlaneWidgetInCube planes;    // the six clipping planes
    MorphogenSetting morphogens; // the current mesh's morphogen names and their setting
    ColourRecipe colours_recipe; // how the vertex colours were made, when known
    RenderMode render_mode = RenderMode::Polygons;
    Projection projection = Projection::Orthographic;
    History history;
    // The Simplify page's method and the quadric method's error limit.
    SimplifySettings simplification;
    // The Classify page's "Classify a simplified copy of N faces": N, or 0 when the mesh
    // itself is classified.
    int classify_proxy_faces = 0;

    // --- files ---
    // Reads a mesh file (the reader chosen by its extension) aside and builds it; on
    // success it replaces the mesh and its kept copy and starts a new history, on failure
    // nothing changes. The clipping planes go back on the cube around the new mesh.
    Outcome open(const std::string& path, OpenRule rule = OpenRule::AnyMesh);
    // What open() does once the file is read and built (load_mesh_file): `loaded`
    // becomes the opened mesh, named `path`, with `kept` (its copy without what a reload
    // rebuilds, clone_without_rebuildable) as the kept copy.
    Outcome adopt(Mesh loaded, const std::string& path);
    Outcome adopt(Mesh loaded, Mesh kept, const std::string& path);
    // "Reload": the kept copy back, rebuilt (a step) and framed as an opened mesh is.
    // Nothing before a mesh was opened.
    Outcome reload();
    // Writes the mesh in the format save_format(path) names (save_mesh_file), with its
    // vertex colours when `colours`, through a temporary file; an unknown extension is
    // refused with the formats written.
    IoResult save(const std::string& path, bool colours);
    // Whether a step has changed the mesh since it was opened or last saved (an undo
    // back to that state counts as no change).
    bool modified() const { return history.modified(); }
    // "Save ALL...": the segments into `folder` (empty: the working folder).
    SegmentFiles save_segments(const std::string& folder = {});
    // The files save_segments(folder) would write, in order.
    std::vector<std::string> segment_file_paths(const std::string& folder = {}) const;

    // --- terrain and colours ---
    // "Terrain": the mesh replaced by the terrain of the heightmap, coloured by the map.
    // Refused, the mesh kept, without a heightmap (an empty image).
    Outcome apply_terrain(const RgbImage& heightmap, const TerrainSettings& settings,
                          const ColourMap& map);
    // "Colour by Height": every vertex coloured by the map at its relative height.
    // Nothing when the colours already are that map's, or the map has no entries.
    Outcome colour_by_height(const ColourMap& map);
    // "Morphogen Colours": the page's setting (its names aside) becomes the document's,
    // and the vertices are coloured by it. Nothing when the colours already are its.
    Outcome colour_by_morphogens(const MorphogenSetting& setting);

    // --- mesh tools ---
    // "Simplify" by the method of `simplification`: edge collapses down to
    // trunc(nv x lod / 100) vertices, or the quadric simplifier aimed at that share of
    // the faces, the borders kept, stopping at the error limit; the quadric method says
    // what it left (console and note) and changes nothing at 100%. Refused, and the mesh
    // kept, when nothing (no face) would be left.
    Outcome simplify(float lod);
    // The page's method and error limit, kept whether or not a mesh is open; a limit that
    // is negative or not a number is refused.
    Outcome set_simplification(const SimplifySettings& settings);
    // "Subdivide": butterfly subdivision; nothing below one level; refused, the mesh
    // kept, when the result would not fit in memory.
    Outcome subdivide(int levels, float weight);

    // --- patch classification ---
    // "Classify": the table built (or the loaded one used), the classification, and the
    // re-clustering into `patches` (1 to 51), by default the number of patches found,
    // which the panel then shows. With classify_proxy_faces set and a mesh of more faces,
    // a copy simplified by the quadric method to about that many faces is classified
    // instead, and each face takes the patch of the copy's face nearest to it.
    Outcome classify(int patches = 0);
    // "Number of Patches": re-clusters into k patches; nothing when the faces already
    // are in k; ignored with a console line without a classification of these faces.
    Outcome recluster(int k);
    // The current patch (Previous, Next) and the least membership of its marked faces.
    Outcome select_patch(int patch);
    Outcome set_patch_threshold(int percent);
    // "Mark Current" of the classifier page: the current patch's faces become a segment.
    Outcome mark_patch();
    // The panel's settings, kept whether or not a mesh is open.
    Outcome set_classifier_weight(double weight);
    Outcome set_shortest_path_mode(SpMode mode);
    // The .spt file of the current mesh's table.
    IoResult load_table(const std::string& path);
    IoResult save_table(const std::string& path);

    // --- normal filters ---
    // A whole run of `mode` with the page's vector v (v.x the radius slider): "Mean
    // Shift", "Sphere Jump" or "Median Filter". Nothing for a zero radius.
    Outcome filter_normals(const Vector& v, FilterMode mode);
    // "Step": one pass of the filter chosen last.
    Outcome filter_step(const Vector& v);
    // The filter "Step" runs, and the weight curve (see MeanShift).
    Outcome set_filter_mode(FilterMode mode);
    Outcome set_weight_curve(std::vector<Vector> curve, int height);

    // --- selection, traversal and segments ---
    // Picking's result: the selected face, counted from 1 (0 or -1: none).
    Outcome select_face(int face);
    // The traversal from the selected face with `depth` and `angle` (kept for the next
    // pick when no face is selected).
    Outcome traverse(int depth, int angle);
    // The traversal again from the selected face with the depth and angle last used.
    Outcome traverse_again();
    // "Mark Current": the marked faces become the next segment; nothing without a
    // selected face.
    Outcome mark_current();

    // --- clipping planes ---
    Outcome select_plane(int index);
    Outcome show_all_planes(int show);
    Outcome invert_planes(int selected);          // the page's cutplane_invert_signal
    Outcome reset_planes();                       // "Reset All Planes"
    Outcome reset_selected_plane();               // "Reset Plane"
    Outcome load_planes(const std::string& path); // "Load Planes"
    IoResult save_planes(const std::string& path) const;
    // One drag of the selected planes, one step ("Move Plane") from press to release.
    Outcome press_planes(const Vector& position, PlaneButton button);
    Outcome move_planes(const Vector& position);
    Outcome release_planes();

    // --- view ---
    Outcome set_render_mode(RenderMode mode);
    Outcome toggle_projection();

    // --- history ---
    Outcome undo();
    Outcome redo();

    // --- the long operations as tasks (task.h) ---
    // Each operation above of the same name is its task run at once (run_now). A window
    // begins the task, runs it on a worker thread and finishes it back on its own,
    // changing nothing of the document meanwhile.
    std::unique_ptr<Task> open_task(const std::string& path, OpenRule rule = OpenRule::AnyMesh);
    std::unique_ptr<Task> reload_task();
    std::unique_ptr<Task> save_task(const std::string& path, bool colours, SaveFormat format);
    // `files` is filled in when the task is finished, and must live until then.
    std::unique_ptr<Task> save_segments_task(const std::string& folder, SegmentFiles& files);
    std::unique_ptr<Task> terrain_task(const RgbImage& heightmap, const TerrainSettings& settings,
                                       const ColourMap& map);
    std::unique_ptr<Task> morphogen_task(const MorphogenSetting& setting);
    std::unique_ptr<Task> simplify_task(float lod);
    std::unique_ptr<Task> subdivide_task(int levels, float weight);
    std::unique_ptr<Task> classify_task(int patches = 0);
    std::unique_ptr<Task> recluster_task(int k);
    std::unique_ptr<Task> filter_task(const Vector& v, FilterMode mode);
    // Runs `task` here and now, reporting to `work` (or else operation_work) when one is
    // given: its run, then its finish. A run that is stopped is abandoned and the stop
    // rethrown; one that runs out of memory is abandoned and reported.
    Outcome run_now(std::unique_ptr<Task> task, Work* work = nullptr);
    // The Work every operation run at once reports to and is stopped by, when one is set
    // (a command line's, which its signals stop); each operation restarts its progress.
    Work* operation_work = nullptr;

  private:
    class OpenTask;
    class ReloadTask;
    class TerrainTask;
    class MorphogenTask;
    class SimplifyTask;
    class SubdivideTask;
    class ClassifyTask;
    class ReclusterTask;
    class FilterTask;
    class SegmentsTask;

    std::optional<Step> plane_drag; // the step of the drag in progress
    bool plane_moved = false;       // whether the drag has moved a plane yet

    enum class Replacement { Open, Reload, Terrain, Tool };
    // The one place that decides what follows a new mesh: the classification, the
    // filter's run, the segment counter and the selection start over, the planes fit
    // the new mesh, the morphogen list follows its names. Returns what changed.
    Changes geometry_replaced(Replacement how);
    // A step that keeps the whole state, for an operation that replaces the mesh: the
    // mesh is moved into it, so the caller puts the new one in its place.
    Step whole_state_step(const char* name);
    // What the operations that make a new mesh end with: a whole-state step `name`,
    // `replacement` in the mesh's place (with the recipe of its colours), and what
    // follows a new mesh.
    Outcome replace_mesh(const char* name, Mesh replacement, Replacement how,
                         ColourRecipe recipe = std::monostate(), Changes more = {});
    // Ends an operation that made `step`: into the history, with what it changed.
    Outcome commit(Step step, Changes changed);
    // Swaps the parts `state` holds with the document's.
    void exchange(StepState& state);
    // Undo (back) or Redo.
    Outcome take_step(bool back);
    void exchange_vertex_colours(VertexColours& kept);
    // Copies of parts, for a step's state.
    FacePaint face_paint() const;
    std::vector<Vector> face_normals() const;
    // The planes on a cube that fits the mesh: a new cube (none selected) when the size
    // changes, else as they are; the outlines rebuilt.
    Changes fit_planes(bool always_new);
    // A new classifier for new faces, with the settings of `settings` (the panel's).
    void start_classifier_afresh(const Mesh_Classifier& settings);
    // After a tool gave `faces` faces marks or colours: the faces mode shows them, so the
    // view switches to it (kept in `step` when there is one).
    Changes show_faces(int faces, Step* step);
};
