// Steps of the history: what one operation changed, kept as the other version of each
// part of the document's state it changed. Undoing swaps those parts with the
// document's (so the step then holds what redoing brings back); nothing a step did not
// change is copied.
#pragma once

#include "clipping/plane_widget_in_cube.h"
#include "core/mesh.h"
#include "document/changes.h"
#include "document/colour_recipe.h"
#include "document/render_mode.h"
#include "segmentation/mean_shift.h"
#include "segmentation/mesh_classifier.h"
#include "tools/edge_traversal.h"
#include "tools/morphogen_setting.h"

#include <optional>
#include <string>
#include <vector>

// Per face, what classification and segments paint on it.
struct FacePaint {
    std::vector<Vector> colours;
    std::vector<int> marked, segment;
};

// Vertex colours as a step keeps them: their recipe when they have one, else the
// colours themselves.
struct VertexColours {
    ColourRecipe recipe;
    std::vector<Vector> colours;
};

struct StepState {
    // The whole mesh, with the recipe of its colours.
    std::optional<Mesh> mesh;
    ColourRecipe mesh_recipe;
    std::optional<VertexColours> vertex_colours;
    std::optional<std::vector<Vector>> face_normals;
    std::optional<std::vector<Vector>> vertex_normals;
    std::optional<FacePaint> face_paint;
    // The classifier, with its table (and what goes with it) only when `classifier_table`.
    std::optional<Mesh_Classifier> classifier;
    bool classifier_table = false;
    std::optional<MeanShift> filter;
    std::optional<EdgeTraversal> traversal;
    std::optional<PlaneWidgetInCube> planes;
    std::optional<MorphogenSetting> morphogens;
    std::optional<RenderMode> render_mode;
    std::optional<int> selection; // the selected face, when the mesh is not kept

    // The memory the parts hold, in bytes (a close estimate: array capacities).
    size_t bytes() const;
};

struct Step {
    std::string name;          // for the Edit menu: "Undo " + name
    Changes changes;           // what undoing or redoing it changes
    StepState state;           // the other version of what it changed
    std::string merge;         // steps in a row with the same non-empty key are one step
    size_t bytes = 0;          // state.bytes(), as last counted
    unsigned long version = 0; // the mesh's version once the step is done (History)
};
