// The history's bounds and rules: count and memory, steps that join, what starts and
// ends it.
#include "tests/document/document_test_util.h"

namespace {

MorphogenSetting setting_with(const Document& d, int red) {
    MorphogenSetting s = d.morphogens;
    s.tooglestates.assign(s.names.size(), 1);
    s.defaultcolour = Rgb{red, 0, 0};
    return s;
}

TEST(History, OpeningStartsAnewAndSavingKeepsIt) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("cube.obj"));
    ASSERT_TRUE(f.doc.subdivide(1, 0));
    f.saved();
    EXPECT_TRUE(f.doc.history.can_undo());
    ASSERT_TRUE(f.open_data("cube.obj"));
    EXPECT_FALSE(f.doc.history.can_undo());
    Outcome r = f.doc.undo();
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error(), "Nothing to undo");
}

TEST(History, ANewStepForgetsTheStepsUndone) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("cube.obj"));
    ASSERT_TRUE(f.doc.subdivide(1, 0));
    ASSERT_TRUE(f.doc.undo());
    EXPECT_TRUE(f.doc.history.can_redo());
    ASSERT_TRUE(f.doc.simplify(50));
    EXPECT_FALSE(f.doc.history.can_redo());
    EXPECT_EQ(f.doc.history.undo_name(), "Simplify");
}

TEST(History, AtMostAHundredSteps) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("morphogens/plane_morphogens.obj"));
    for (int i = 0; i < 120; ++i) ASSERT_TRUE(f.doc.colour_by_morphogens(setting_with(f.doc, i)));
    EXPECT_EQ(f.doc.history.done_count(), History::most_steps);
    for (int i = 0; i < History::most_steps; ++i) ASSERT_TRUE(f.doc.undo());
    // Back to the colours of step 20, the oldest kept.
    DocumentFixture g;
    ASSERT_TRUE(g.open_data("morphogens/plane_morphogens.obj"));
    for (int i = 0; i < 20; ++i) g.doc.colour_by_morphogens(setting_with(g.doc, i));
    EXPECT_EQ(f.saved(), g.saved());
}

// Steps that replace the mesh keep it whole; the oldest go first to keep the bound,
// and what is left still undoes exactly.
TEST(History, StaysWithinItsMemory) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("morphogens/plane_morphogens.obj"));
    f.doc.history.set_limit_bytes(12 << 20);
    std::vector<std::string> states{state_of(f)};
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(i % 2 ? f.doc.simplify(25) : f.doc.subdivide(1, 0));
        EXPECT_LE(f.doc.history.bytes(), f.doc.history.limit_bytes());
        states.push_back(state_of(f));
    }
    int kept = f.doc.history.done_count();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 12);
    for (int i = 0; i < kept; ++i) {
        ASSERT_TRUE(f.doc.undo());
        EXPECT_EQ(state_of(f), states[states.size() - 2 - size_t(i)]);
    }
    f.doc.history.set_limit_bytes(0); // nothing kept at all
    EXPECT_EQ(f.doc.history.bytes(), 0u);
    EXPECT_FALSE(f.doc.history.can_redo());
}

// Recolourings by the document's own recipes keep no colours: twenty of them hold less
// than one colour array.
TEST(History, RecolouringsKeepRecipesNotColours) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("morphogens/plane_morphogens.obj"));
    const size_t colours = f.doc.mesh.colours.capacity() * sizeof(Vector);
    ASSERT_TRUE(f.doc.colour_by_morphogens(setting_with(f.doc, 0))); // keeps the file's colours
    size_t first = f.doc.history.bytes();
    for (int i = 1; i < 20; ++i) ASSERT_TRUE(f.doc.colour_by_morphogens(setting_with(f.doc, i)));
    EXPECT_LT(f.doc.history.bytes() - first, colours);
    // The same setting again changes nothing and is no step.
    Outcome again = f.doc.colour_by_morphogens(setting_with(f.doc, 19));
    EXPECT_FALSE(again.changed.any());
    EXPECT_EQ(f.doc.history.done_count(), 20);
}

// A slider dragged across values is one step, back to before the drag.
TEST(History, ReclusteringInARowIsOneStep) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("cube.obj"));
    ASSERT_TRUE(f.doc.classify());
    std::string classified = state_of(f);
    for (int k : {2, 3, 4, 5}) ASSERT_TRUE(f.doc.recluster(k));
    EXPECT_EQ(f.doc.history.done_count(), 2);
    ASSERT_TRUE(f.doc.undo());
    EXPECT_EQ(state_of(f), classified);
    // The panel's echo of the number found changes nothing.
    Outcome echo = f.doc.recluster(f.doc.classifier.patch_count);
    EXPECT_FALSE(echo.changed.any());
}

// Modified: a step that changes the mesh since it was opened or saved, until the
// history is back at that state; moving the clipping planes alone changes no mesh.
TEST(History, ModifiedFollowsTheStateSaved) {
    DocumentFixture f;
    EXPECT_FALSE(f.doc.modified());
    ASSERT_TRUE(f.open_data("cube.obj"));
    struct Case {
        const char* what;
        std::function<void()> act;
        bool modified;
    };
    const Case cases[] = {
        {"subdivided", [&] { f.doc.subdivide(1, 0); }, true},
        {"undone", [&] { f.doc.undo(); }, false},
        {"redone", [&] { f.doc.redo(); }, true},
        {"saved", [&] { f.doc.save(f.dir.file("kept.obj"), true); }, false},
        {"undone after the save", [&] { f.doc.undo(); }, true},
        {"redone to the save", [&] { f.doc.redo(); }, false},
        {"planes moved",
         [&] {
             f.doc.select_plane(1);
             f.doc.press_planes(Vector(10, 10, 0), PlaneButton::Right);
             f.doc.move_planes(Vector(10, 40, 0));
             f.doc.release_planes();
         },
         false},
        {"simplified", [&] { f.doc.simplify(50); }, true},
        {"opened", [&] { f.open_data("cube.obj"); }, false},
        {"a step the memory bound forgets",
         [&] {
             f.doc.history.set_limit_bytes(0);
             f.doc.subdivide(1, 0);
         },
         true},
    };
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(f.doc.modified(), c.modified) << c.what;
    }
}

TEST(History, ADragInProgressEndsBeforeAnUndo) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("cube.obj"));
    std::string before = state_of(f);
    f.doc.select_plane(1);
    std::string selected = state_of(f);
    f.doc.press_planes(Vector(10, 10, 0), PlaneButton::Right);
    f.doc.move_planes(Vector(10, 40, 0));
    ASSERT_TRUE(f.doc.undo()); // the drag is a step of its own, taken back
    EXPECT_EQ(state_of(f), selected);
    EXPECT_NE(selected, before);
}

} // namespace
