// Edge traversal: rings on a flat grid, the angle rule at folds and reversed faces, stale
// edge tables, and the traversal against the step-by-step version on real meshes.
#include "core/mesh_file.h"
#include "reference/segments_reference.h"
#include "segmentation/segments.h"
#include "terrain/terrain_grid.h"
#include "test_util.h"
#include "tools/edge_traversal.h"

#include <cstdlib>
#include <random>
#include <set>

namespace {

// An n x n grid of vertices in the plane z = 0, two counter-clockwise triangles per
// cell, with the builds the traversal reads.
void flat_grid(Mesh& m, int n) {
    m.alloc_vertices(n * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) m.vertices[i * n + j] = Vector(float(j), float(i), 0);
    m.alloc_faces(2 * (n - 1) * (n - 1));
    int f = 0;
    for (int i = 0; i + 1 < n; ++i)
        for (int j = 0; j + 1 < n; ++j) {
            int a = i * n + j, b = a + 1, c = a + n, d = c + 1;
            int corners[2][3] = {{a, b, d}, {a, d, c}};
            for (auto& face : corners) {
                for (int k = 0; k < 3; ++k) m.faces[f].vindex[k] = face[k];
                ++f;
            }
        }
    m.link_faces();
    m.build_normals();
    m.build_edge_list();
}

// Two triangles on the edge (0,0,0)-(1,0,0) with the given normals, the first selected.
Mesh two_faces(const Vector& first, const Vector& second) {
    Mesh m;
    load_obj_string(m, "v 0 0 0\nv 1 0 0\nv 0.5 1 0\nv 0.5 -1 0\nf 1 2 3\nf 2 1 4\n");
    m.build_edge_list();
    m.faces[0].normal = first;
    m.faces[1].normal = second;
    m.selectedface = 1;
    return m;
}

} // namespace

TEST(EdgeTraversal, RingsOnAFlatGrid) {
    Mesh m;
    flat_grid(m, 9);
    int start = 2 * (4 * 8 + 4); // a face in the middle
    m.selectedface = start + 1;
    auto within = [&](int lo, int hi) { return faces_at_distances(m, start, lo, hi); };
    EdgeTraversal t;

    // Depth 0 only clears the marks, and keeps the numbers it was given.
    m.faces[0].marked = m.faces[7].marked = 1;
    EXPECT_EQ(traverse(m, t, 0, 45), 0);
    EXPECT_TRUE(marked_faces(m).empty());
    EXPECT_EQ(t.depth, 0);
    EXPECT_EQ(t.angle, 45);

    // Depth 1: the faces across the start face's edges, not the start face.
    EXPECT_EQ(traverse(m, t, 1, 1), 3);
    EXPECT_EQ(marked_faces(m), within(1, 1));
    // Depth 2: the start face comes back from its neighbours, with the second ring.
    traverse(m, t, 2, 1);
    EXPECT_EQ(marked_faces(m), within(0, 2));
    EXPECT_TRUE(m.faces[start].marked);
    traverse(m, t, 5, 1);
    EXPECT_EQ(marked_faces(m), within(0, 5));
    // Far more rings than the grid has: everything, and no endless passes.
    EXPECT_EQ(traverse(m, t, 2000000000, 1), m.nf);

    // Angle 0 (or less) crosses nothing, not even between parallel faces.
    EXPECT_EQ(traverse(m, t, 3, 0), 0);
    EXPECT_EQ(traverse(m, t, 3, -5), 0);
    // A negative depth, as 0.
    EXPECT_EQ(traverse(m, t, -1, 10), 0);
}

TEST(EdgeTraversal, NeedsAPickedFace) {
    Mesh m;
    flat_grid(m, 4);
    EdgeTraversal t;
    for (int selected : {-1, 0, m.nf + 1}) {
        m.selectedface = selected;
        m.faces[3].marked = 1;
        EXPECT_EQ(traverse(m, t, 3, 10), 0);
        EXPECT_TRUE(marked_faces(m).empty()) << selected;
        EXPECT_EQ(t.depth, 3);
    }
    // Faces without vertices have no edges to cross (and no edge table to read).
    Mesh bare;
    bare.alloc_faces(2);
    bare.selectedface = 1;
    EXPECT_EQ(traverse(bare, t, 3, 10), 0);
}

TEST(EdgeTraversal, FoldOf120DegreesCountsAs60) {
    // Normals 120 degrees apart: (0, 0, 1) and (0, -sin 120, cos 120).
    Mesh m = two_faces(Vector(0, 0, 1), Vector(0, -0.866025403f, -0.5f));
    EdgeTraversal t;
    EXPECT_EQ(traverse(m, t, 1, 60), 0);
    EXPECT_EQ(traverse(m, t, 1, 61), 1);
    EXPECT_TRUE(m.faces[1].marked);

    // The same fold built from positions: the second face turned 120 degrees about the
    // shared edge.
    Mesh folded;
    load_obj_string(folded, "v 0 0 0\nv 1 0 0\nv 0.5 1 0\nv 0.5 0.5 0.866025403\n"
                            "f 1 2 3\nf 2 1 4\n");
    {
        ConsoleCapture quiet;
        folded.build({MESH_EDGE_LIST, MESH_VERTEX_NORMALS});
    }
    folded.selectedface = 1;
    EXPECT_NEAR(edge_angle(folded.faces[0].normal, folded.faces[1].normal), 60, 1e-4);
    EXPECT_EQ(traverse(folded, t, 1, 61), 1);
    EXPECT_EQ(traverse(folded, t, 1, 59), 0);
}

TEST(EdgeTraversal, AngleRule) {
    Vector up(0, 0, 1), down(0, 0, -1);
    // Opposite faces count as parallel: crossed with any angle of 1 or more.
    EXPECT_LT(edge_angle(up, down), 1e-6);
    Mesh m = two_faces(up, down);
    EdgeTraversal t;
    EXPECT_EQ(traverse(m, t, 1, 1), 1);

    // A dot product pushed past 1 gives no angle: never crossed, even at 360.
    Vector longer(0, 0, 1.0000002f);
    EXPECT_TRUE(std::isnan(edge_angle(up, longer)));
    m = two_faces(up, longer);
    EXPECT_EQ(traverse(m, t, 1, 360), 0);
    // Degenerate faces (normals not numbers) are never crossed either.
    m = two_faces(up, Vector(NAN, NAN, NAN));
    EXPECT_EQ(traverse(m, t, 1, 360), 0);

    // At right angles: pi / 2 * 180 / 3.141592654 is a hair below 90, so 90 crosses.
    m = two_faces(up, Vector(0, 1, 0));
    EXPECT_LT(edge_angle(up, Vector(0, 1, 0)), 90);
    EXPECT_EQ(traverse(m, t, 1, 89), 0);
    EXPECT_EQ(traverse(m, t, 1, 90), 1);
}

// Faces replaced after the last edge build (as terrain generation does): the traversal
// builds the edge table of the new faces before it walks.
TEST(EdgeTraversal, RebuildsAStaleEdgeTable) {
    Mesh m;
    flat_grid(m, 3);
    Mesh bigger;
    flat_grid(bigger, 12);
    m.alloc_vertices(bigger.nv);
    m.vertices = bigger.vertices;
    m.alloc_faces(bigger.nf);
    for (int i = 0; i < bigger.nf; ++i)
        for (int k = 0; k < 3; ++k) m.faces[i].vindex[k] = bigger.faces[i].vindex[k];
    m.link_faces();
    m.build_normals();
    ASSERT_FALSE(m.edge_list_current());

    m.selectedface = 100;
    EdgeTraversal t;
    traverse(m, t, 4, 10);
    EXPECT_TRUE(m.edge_list_current());
    Mesh expected = bigger.clone();
    reference_traverse(expected, reference_face_lists(expected), 99, 4, 10);
    EXPECT_EQ(marked_faces(m), marked_faces(expected));
    EXPECT_EQ(marked_faces(m), faces_at_distances(m, 99, 0, 4));
}

// Terrain generation replaces the faces without an edge build: a traversal right after it
// walks the terrain's own edges.
TEST(EdgeTraversal, AfterTerrainGeneration) {
    Mesh m;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(load_mesh_file(m, bundled_data("cube.obj")));
        RgbImage ramp{16, 16, std::vector<uint8_t>(16 * 16 * 3)};
        for (size_t i = 0; i < ramp.rgb.size(); ++i) ramp.rgb[i] = uint8_t(i % 48 * 5);
        generate_terrain(m, ramp, TerrainSettings{20, 100, 30});
    }
    m.selectedface = 200;
    EdgeTraversal t;
    EXPECT_GT(traverse(m, t, 6, 25), 0);
    Mesh expected = m.clone();
    reference_traverse(expected, reference_face_lists(expected), 199, 6, 25);
    EXPECT_EQ(marked_faces(m), marked_faces(expected));
}

class RealMeshTraversal : public testing::TestWithParam<std::string> {};

// Random starts, depths and angles, each followed by "Mark Current", then the export:
// marks, segments, colours, files and the vertices' w as the step-by-step versions
// give them.
TEST_P(RealMeshTraversal, MatchesTheReference) {
    Mesh m, read;
    {
        ConsoleCapture quiet;
        std::string path = real_mesh(GetParam());
        if (!load_mesh_file(m, path) || m.nf == 0) GTEST_SKIP() << "not a mesh with faces";
        read_mesh_file(read, path);
    }
    Mesh expected = m.clone();
    // The loader builds the edge table before it orients the faces: the lists follow the
    // corners as read.
    std::vector<std::vector<int>> lists = reference_face_lists(read);
    for (int f = 0; f < m.nf; ++f) {
        std::vector<int> fast;
        for (const EdgeRef& r : m.face_adjacency[f]) fast.push_back(m.edgefaces[r.edge][r.end]);
        ASSERT_EQ(fast, lists[f]) << "face " << f;
    }

    std::mt19937 random(unsigned(m.nf));
    const int depths[] = {0, 1, 2, 3, 7, 40, 5000};
    const int angles[] = {1, 5, 15, 30, 60, 90, 91, 360};
    EdgeTraversal t;
    int regions = 0;
    for (int round = 0; round < 8; ++round) {
        int start = int(random() % unsigned(m.nf));
        int depth = depths[random() % std::size(depths)];
        int angle = angles[random() % std::size(angles)];
        m.selectedface = start + 1;
        traverse(m, t, depth, angle);
        reference_traverse(expected, lists, start, depth, angle);
        for (int f = 0; f < m.nf; ++f)
            ASSERT_EQ(m.faces[f].marked, expected.faces[f].marked)
                << "face " << f << " from " << start << " depth " << depth << " angle " << angle;
        if (round % 3 == 2) continue; // some traversals are not kept
        std::srand(unsigned(round));
        mark_current(m, t);
        std::srand(unsigned(round));
        reference_mark_current(expected, regions, std::rand() % 32768);
    }
    ASSERT_EQ(t.region_counter, regions);
    for (int f = 0; f < m.nf; ++f) {
        ASSERT_EQ(m.faces[f].segment, expected.faces[f].segment);
        ASSERT_EQ(m.faces[f].colour, expected.faces[f].colour);
    }

    std::vector<SegmentMesh> files = reference_segment_meshes(expected, regions);
    size_t pass = 0;
    for_each_segment_mesh(m, t.region_counter, [&](int number, const SegmentMesh& s) {
        ASSERT_LT(pass, files.size());
        EXPECT_EQ(number, pass == files.size() - 1 ? -1 : int(pass));
        EXPECT_EQ(s.corners, files[pass].corners) << segment_file_name(number);
        EXPECT_EQ(s.positions, files[pass].positions) << segment_file_name(number);
        ++pass;
    });
    EXPECT_EQ(pass, files.size());
    for (int v = 0; v < m.nv; ++v) ASSERT_EQ(m.vertices[v].w, expected.vertices[v].w) << v;
}

INSTANTIATE_TEST_SUITE_P(SharedMeshes, RealMeshTraversal, testing::ValuesIn(real_mesh_names()),
                         test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RealMeshTraversal);
