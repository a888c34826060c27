// What follows a new mesh: all state that names faces or vertices starts over, in one
// place, whichever operation brought the mesh.
#include "tests/document/document_test_util.h"

#include <filesystem>
#include <limits>

namespace {

const char* const cube = "cube.obj";
const char* const plane = "morphogens/plane_morphogens.obj";

using Replace = std::function<Outcome(DocumentFixture&)>;

struct Replacement {
    const char* name;
    Replace replace;
};

const Replacement replacements[] = {
    {"open", [](DocumentFixture& f) { return f.open_data(cube); }},
    {"reload", [](DocumentFixture& f) { return f.doc.reload(); }},
    {"simplify", [](DocumentFixture& f) { return f.doc.simplify(50); }},
    {"quadric_simplify",
     [](DocumentFixture& f) {
         f.doc.set_simplification({SimplifyMethod::Quadric, 1});
         return f.doc.simplify(50);
     }},
    {"subdivide", [](DocumentFixture& f) { return f.doc.subdivide(1, 0); }},
    {"terrain",
     [](DocumentFixture& f) {
         RgbImage flat{2, 2, std::vector<uint8_t>(12, 90)};
         return f.doc.apply_terrain(flat, TerrainSettings{8, 16, 4}, ColourMap::initial());
     }},
};

class EveryReplacement : public testing::TestWithParam<Replacement> {};

// The classification, the segments, the filter's sphere and the selection of the mesh
// before name faces that are not there any more.
TEST_P(EveryReplacement, ForgetsWhatNamedTheOldFaces) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data(cube));
    ASSERT_TRUE(f.doc.classify());
    ASSERT_FALSE(f.doc.classifier.drawn_representatives().empty());
    f.doc.select_face(3);
    f.doc.traverse(2, 90);
    f.doc.mark_current();
    f.doc.mark_current();
    f.doc.filter_step(Vector(30, 0, 0, 1));
    ASSERT_TRUE(f.doc.filter.window_shown());
    f.doc.select_face(5);

    ASSERT_TRUE(GetParam().replace(f));
    const Document& d = f.doc;
    EXPECT_TRUE(d.classifier.drawn_representatives().empty());
    EXPECT_EQ(d.classifier.patch_count, 0);
    EXPECT_EQ(d.traversal.region_counter, 0);
    EXPECT_FALSE(d.filter.window_shown());
    EXPECT_EQ(d.mesh.selectedface, -1);
    for (const Face& face : d.mesh.faces) EXPECT_EQ(face.segment, 0);
    // Save ALL writes the faces in no segment and the empty combined file, nothing else.
    SegmentFiles files = f.doc.save_segments(f.dir.file(""));
    EXPECT_EQ(files.written.size(), 2u);
}

// What the panels show and send stays: the classifier's settings, the "Show All"
// outlines (on the cube of the new mesh).
TEST_P(EveryReplacement, KeepsThePanelsSettings) {
    DocumentFixture f;
    f.doc.set_classifier_weight(0.25);
    f.doc.set_shortest_path_mode(SpMode::Dijkstra);
    ASSERT_TRUE(f.open_data(cube));
    f.doc.show_all_planes(1);
    ASSERT_TRUE(GetParam().replace(f));
    EXPECT_EQ(f.doc.classifier.weight, 0.25);
    EXPECT_EQ(f.doc.classifier.sp_mode, SpMode::Dijkstra);
    EXPECT_EQ(f.doc.planes.cube_size[0], cube_size_around(f.doc.mesh));
    for (const auto& outline : f.doc.planes.outlines) EXPECT_EQ(outline.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(All, EveryReplacement, testing::ValuesIn(replacements),
                         [](const testing::TestParamInfo<Replacement>& param) {
                             return std::string(param.param.name);
                         });

// The morphogen list follows the mesh: emptied by a mesh that brings none.
TEST(MeshReplacement, MorphogenListFollowsTheMesh) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data(plane));
    ASSERT_FALSE(f.doc.morphogens.names.empty());
    EXPECT_EQ(f.doc.morphogens.colours.size(), f.doc.morphogens.names.size());
    ASSERT_TRUE(f.doc.simplify(50)); // the values survive simplification
    EXPECT_FALSE(f.doc.morphogens.names.empty());
    ASSERT_TRUE(f.open_text("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", "tri.net"));
    EXPECT_TRUE(f.doc.morphogens.names.empty());
    EXPECT_TRUE(f.doc.morphogens.tooglestates.empty());
    ASSERT_TRUE(f.open_data(plane));
    RgbImage flat{2, 2, std::vector<uint8_t>(12, 0)};
    ASSERT_TRUE(f.doc.apply_terrain(flat, TerrainSettings{}, ColourMap::initial()));
    EXPECT_TRUE(f.doc.morphogens.names.empty());
}

TEST(MeshReplacement, SimplifyThatLeavesNothingIsRefusedAndKeepsTheMesh) {
    for (SimplifyMethod method : {SimplifyMethod::EdgeCollapse, SimplifyMethod::Quadric}) {
        SCOPED_TRACE(int(method));
        DocumentFixture f;
        ASSERT_TRUE(f.open_data(cube));
        ASSERT_TRUE(f.doc.set_simplification({method, default_quadric_max_error}));
        std::string before = state_of(f);
        Outcome r = f.doc.simplify(0);
        EXPECT_FALSE(r);
        EXPECT_EQ(r.error(),
                  "ERROR: a level of detail of 0% leaves no faces; the mesh is left as it was");
        EXPECT_FALSE(r.changed.any());
        EXPECT_EQ(state_of(f), before);
        EXPECT_FALSE(f.doc.history.can_undo());
    }
}

// The console line and the note for the status bar: what was left, what it was aimed
// at and the error; at 100% the mesh stays as it is, without a step.
TEST(MeshReplacement, QuadricSimplificationSaysWhatItLeft) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data("spot.obj"));
    ASSERT_TRUE(f.doc.set_simplification({SimplifyMethod::Quadric, 0.01f}));
    std::string before = state_of(f);
    ConsoleCapture console;
    Outcome all = f.doc.simplify(100);
    ASSERT_TRUE(all);
    EXPECT_FALSE(all.changed.any());
    EXPECT_EQ(all.note,
              "Quadric simplification at 100% keeps all 2930 vertices: the mesh is left as it is");
    EXPECT_EQ(state_of(f), before);
    EXPECT_FALSE(f.doc.history.can_undo());

    Outcome half = f.doc.simplify(50);
    ASSERT_TRUE(half);
    const std::string left = "Quadric simplification: " + std::to_string(f.doc.mesh.nv) +
                             " vertices and " + std::to_string(f.doc.mesh.nf) +
                             " faces left of 2930 and 5856 (aimed at 1465 vertices, 2928 faces)"
                             ", error ";
    EXPECT_EQ(half.note.substr(0, left.size()), left);
    EXPECT_EQ(half.note.substr(half.note.size() - 15), "% of the extent");
    EXPECT_NE(console.text().find(half.note + "\n"), std::string::npos);
    EXPECT_EQ(f.doc.history.undo_name(), "Simplify");

    // Where the limit stops it short, it says so.
    ASSERT_TRUE(f.doc.undo());
    ASSERT_TRUE(f.doc.set_simplification({SimplifyMethod::Quadric, 0}));
    Outcome held = f.doc.simplify(10);
    ASSERT_TRUE(held);
    EXPECT_NE(held.note.find("; stopped short: the locked borders and the error limit of 0% "
                             "allow no more"),
              std::string::npos)
        << held.note;
}

TEST(MeshReplacement, AnErrorLimitBelowZeroOrNotANumberIsRefused) {
    Document d;
    for (float limit : {-0.01f, std::numeric_limits<float>::quiet_NaN()}) {
        Outcome r = d.set_simplification({SimplifyMethod::Quadric, limit});
        EXPECT_FALSE(r);
        EXPECT_EQ(d.simplification.method, SimplifyMethod::EdgeCollapse);
        EXPECT_EQ(d.simplification.max_error, default_quadric_max_error);
    }
}

TEST(MeshReplacement, TerrainWithoutAHeightmapIsRefusedAndKeepsTheMesh) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data(cube));
    std::string before = state_of(f);
    Outcome r = f.doc.apply_terrain(RgbImage{}, TerrainSettings{}, ColourMap::initial());
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error(), "Load a heightmap first");
    EXPECT_FALSE(r.changed.any());
    EXPECT_EQ(state_of(f), before);
    EXPECT_FALSE(f.doc.history.can_undo());
}

// Table files are named in UTF-8, as every other file.
TEST(MeshReplacement, TableFilesInFoldersOfAnyName) {
    DocumentFixture f;
    ASSERT_TRUE(f.open_data(cube));
    std::filesystem::create_directory(f.dir.file("Données"));
    std::string table = f.dir.file("Données/cube.spt");
    ASSERT_TRUE(f.doc.classify());
    ASSERT_TRUE(f.doc.save_table(table));
    ASSERT_TRUE(f.doc.load_table(table));
    EXPECT_EQ(f.doc.classifier.rebuild_flag, 0);
}

} // namespace
