// Every kind of step: what it reports changed, its name in the history, and that undo
// brings back the state before it exactly and redo the state after it.
#include "tests/document/document_test_util.h"

namespace {

RgbImage gradient(int side) {
    RgbImage image{side, side, std::vector<uint8_t>(size_t(side) * size_t(side) * 3)};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < 3; ++c)
                image.rgb[(size_t(y) * side + x) * 3 + c] =
                    uint8_t((x * 31 + y * 17 + c * 50) % 256);
    return image;
}

MorphogenSetting first_on(const Document& d) {
    MorphogenSetting s = d.morphogens;
    s.tooglestates.at(0) = 1;
    s.colours.at(0) = Rgb{0, 200, 100};
    return s;
}

Outcome drag_plane(Document& d) {
    d.press_planes(Vector(100, 100, 0), PlaneButton::Right);
    d.move_planes(Vector(100, 130, 0));
    return d.release_planes();
}

using Action = std::function<Outcome(DocumentFixture&)>;

struct StepCase {
    const char* step;
    const char* mesh; // in data/
    Action prepare, act;
    Changes changed;
};

const Changes replaced = mesh_replaced | Change::Planes | Change::History;
const Vector radius_20(20, 0, 0, 1);

Outcome nothing(DocumentFixture&) {
    return Outcome::done({});
}

const StepCase cases[] = {
    {"Terrain", "cube.obj", nothing,
     [](DocumentFixture& f) {
         return f.doc.apply_terrain(gradient(16), TerrainSettings{12, 100, 30},
                                    ColourMap::initial());
     },
     replaced | Change::Camera},
    {"Simplify", "morphogens/plane_morphogens.obj", nothing,
     [](DocumentFixture& f) { return f.doc.simplify(40); }, replaced},
    {"Simplify", "morphogens/plane_morphogens.obj",
     [](DocumentFixture& f) {
         return f.doc.set_simplification({SimplifyMethod::Quadric, default_quadric_max_error});
     },
     [](DocumentFixture& f) { return f.doc.simplify(40); }, replaced},
    {"Subdivide", "cube.obj", nothing, [](DocumentFixture& f) { return f.doc.subdivide(2, 0); },
     replaced},
    {"Reload", "cube.obj", [](DocumentFixture& f) { return f.doc.subdivide(1, 0); },
     [](DocumentFixture& f) { return f.doc.reload(); }, replaced | Change::Camera},
    // An undone simplification brings back the classification shown before it.
    {"Simplify", "cube.obj", [](DocumentFixture& f) { return f.doc.classify(); },
     [](DocumentFixture& f) { return f.doc.simplify(75); }, replaced},
    {"Classify", "cube.obj", nothing, [](DocumentFixture& f) { return f.doc.classify(); },
     Change::Colours | Change::Marks | Change::ToolLists | Change::RenderMode | Change::History},
    // After a filter the classification builds the normals again: they are its step's.
    {"Classify", "cube.obj",
     [](DocumentFixture& f) {
         return f.doc.filter_normals(Vector(2, 0, 0, 1), FilterMode::Median);
     },
     [](DocumentFixture& f) { return f.doc.classify(); },
     Change::Colours | Change::Marks | Change::ToolLists | Change::RenderMode |
         Change::FaceNormals | Change::History},
    {"Number of Patches", "cube.obj", [](DocumentFixture& f) { return f.doc.classify(); },
     [](DocumentFixture& f) { return f.doc.recluster(3); },
     Change::Colours | Change::Marks | Change::History},
    {"Mean Shift", "morphogens/plane_morphogens.obj", nothing,
     [](DocumentFixture& f) { return f.doc.filter_normals(radius_20, FilterMode::MeanShift); },
     Change::FaceNormals | Change::RenderMode | Change::History},
    {"Sphere Jump", "morphogens/plane_morphogens.obj", nothing,
     [](DocumentFixture& f) { return f.doc.filter_normals(radius_20, FilterMode::SphereJump); },
     Change::FaceNormals | Change::RenderMode | Change::History},
    {"Median Filter", "cube.obj", nothing,
     [](DocumentFixture& f) {
         return f.doc.filter_normals(Vector(2, 0, 0, 1), FilterMode::Median);
     },
     Change::FaceNormals | Change::RenderMode | Change::History},
    {"Step", "morphogens/plane_morphogens.obj",
     [](DocumentFixture& f) { return f.doc.filter_step(radius_20); },
     [](DocumentFixture& f) { return f.doc.filter_step(radius_20); },
     Change::FaceNormals | Change::RenderMode | Change::History},
    {"Mark Current", "spot.obj",
     [](DocumentFixture& f) {
         f.doc.select_face(7);
         return f.doc.traverse(4, 30);
     },
     [](DocumentFixture& f) { return f.doc.mark_current(); },
     Change::Colours | Change::Marks | Change::History},
    {"Mark Current", "cube.obj",
     [](DocumentFixture& f) {
         f.doc.classify();
         return f.doc.select_patch(1);
     },
     [](DocumentFixture& f) { return f.doc.mark_patch(); },
     Change::Colours | Change::Marks | Change::History},
    {"Morphogen Colours", "morphogens/plane_morphogens.obj", nothing,
     [](DocumentFixture& f) { return f.doc.colour_by_morphogens(first_on(f.doc)); },
     Change::Colours | Change::ToolLists | Change::History},
    // From colours with a recipe to others: the step keeps the recipe, not the colours.
    {"Colour by Height", "morphogens/plane_morphogens.obj",
     [](DocumentFixture& f) { return f.doc.colour_by_morphogens(first_on(f.doc)); },
     [](DocumentFixture& f) { return f.doc.colour_by_height(ColourMap::initial()); },
     Change::Colours | Change::History},
    {"Move Plane", "cube.obj", [](DocumentFixture& f) { return f.doc.select_plane(0); },
     [](DocumentFixture& f) { return drag_plane(f.doc); }, Change::Planes | Change::History},
    {"Reset All Planes", "cube.obj",
     [](DocumentFixture& f) {
         f.doc.select_plane(2);
         return drag_plane(f.doc);
     },
     [](DocumentFixture& f) { return f.doc.reset_planes(); }, Change::Planes | Change::History},
    {"Load Planes", "cube.obj",
     [](DocumentFixture& f) {
         f.doc.select_plane(4);
         drag_plane(f.doc);
         f.doc.save_planes(f.dir.file("moved.clp"));
         return f.doc.reset_planes();
     },
     [](DocumentFixture& f) { return f.doc.load_planes(f.dir.file("moved.clp")); },
     Change::Planes | Change::History},
};

void PrintTo(const StepCase& c, std::ostream* os) {
    *os << c.step << " on " << c.mesh;
}

class Steps : public testing::TestWithParam<StepCase> {};

TEST_P(Steps, UndoBringsBackTheStateBeforeAndRedoTheStateAfter) {
    const StepCase& c = GetParam();
    DocumentFixture f;
    ASSERT_TRUE(f.open_data(c.mesh));
    ASSERT_TRUE(c.prepare(f));
    std::string before = state_of(f);
    int steps = f.doc.history.done_count();
    Outcome done = c.act(f);
    ASSERT_TRUE(done) << done.error();
    EXPECT_EQ(done.changed, c.changed);
    EXPECT_EQ(f.doc.history.undo_name(), c.step);
    EXPECT_EQ(f.doc.history.done_count(), steps + 1);
    std::string after = state_of(f);
    ASSERT_NE(after, before);

    Outcome undone = f.doc.undo();
    ASSERT_TRUE(undone);
    EXPECT_TRUE(undone.changed.has(Change::History));
    EXPECT_EQ(state_of(f), before);
    EXPECT_EQ(f.doc.history.redo_name(), c.step);
    ASSERT_TRUE(f.doc.redo());
    EXPECT_EQ(state_of(f), after);
    ASSERT_TRUE(f.doc.undo());
    EXPECT_EQ(state_of(f), before);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, Steps, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<StepCase>& param) {
                             std::string name = param.param.step;
                             std::erase(name, ' ');
                             return name + std::to_string(param.index);
                         });

} // namespace

namespace {

// Operations that are no steps: what they report changed, and no step in the history.
TEST(Changes, OfTheOperationsThatAreNoSteps) {
    DocumentFixture f;
    Outcome opened = f.open_data("cube.obj");
    EXPECT_EQ(opened.changed, mesh_replaced | Change::Planes | Change::Camera | Change::History);
    ASSERT_TRUE(f.doc.classify());
    int steps = f.doc.history.done_count();
    struct Case {
        const char* what;
        std::function<Outcome()> act;
        Changes changed;
    } operations[] = {
        {"select a face", [&] { return f.doc.select_face(2); }, Change::Selection},
        {"the same face", [&] { return f.doc.select_face(2); }, {}},
        {"traverse", [&] { return f.doc.traverse(2, 90); }, Change::Marks},
        {"select a patch", [&] { return f.doc.select_patch(0); }, Change::Marks},
        {"patch threshold", [&] { return f.doc.set_patch_threshold(50); }, Change::Marks},
        {"select a plane", [&] { return f.doc.select_plane(3); }, Change::Planes},
        {"show all planes", [&] { return f.doc.show_all_planes(1); }, Change::Planes},
        {"render mode", [&] { return f.doc.set_render_mode(RenderMode::Points); },
         Change::RenderMode},
        {"projection", [&] { return f.doc.toggle_projection(); }, Change::Projection},
        {"weight", [&] { return f.doc.set_classifier_weight(0.3); }, {}},
        {"simplify method",
         [&] {
             return f.doc.set_simplification({SimplifyMethod::Quadric, 0.01f});
         },
         {}},
        {"quadric simplify at 100%", [&] { return f.doc.simplify(100); }, {}},
        {"filter mode", [&] { return f.doc.set_filter_mode(FilterMode::Median); }, {}},
        {"zero radius",
         [&] { return f.doc.filter_normals(Vector(0, 0, 0, 1), FilterMode::MeanShift); },
         {}},
        {"no levels", [&] { return f.doc.subdivide(0, 0); }, {}},
    };
    for (const Case& c : operations) {
        Outcome r = c.act();
        EXPECT_TRUE(r) << c.what;
        EXPECT_EQ(r.changed, c.changed) << c.what;
    }
    EXPECT_EQ(f.doc.history.done_count(), steps);
}

// The search sphere shows while a stepped run goes on, not after a whole run.
TEST(Changes, TheSearchSphereShowsOnlyDuringAStep) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("morphogens/plane_morphogens.obj"));
    ASSERT_TRUE(f.doc.filter_step(Vector(20, 0, 0, 1)));
    EXPECT_TRUE(f.doc.filter.window_shown());
    ASSERT_TRUE(f.doc.filter_normals(Vector(20, 0, 0, 1), FilterMode::MeanShift));
    EXPECT_FALSE(f.doc.filter.window_shown());
}

} // namespace
