// Butterfly subdivision: the numbering of new vertices and faces, the stencil and its
// weights, what the vertices carry, refusals, and the hashed edge table and the whole
// result against the linear versions on random and real meshes.
#include "core/mesh_file.h"
#include "random_meshes.h"
#include "test_util.h"
#include "tests/reference/subdivide_reference.h"
#include "tools/subdivide.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace {

Vector midpoint(const Vector& a, const Vector& b) {
    return Vector((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
}

Mesh tetrahedron() {
    return make_mesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                     {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
}

// Vertices +x, -x, +y, -y, +z, -z; faces counter-clockwise seen from outside.
Mesh octahedron() {
    return make_mesh(
        {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}},
        {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}});
}

TEST(Subdivide, SingleTriangleOneLevel) {
    Mesh m = make_mesh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {{0, 1, 2}});
    subdivide(m, 1, 0);
    ASSERT_EQ(m.nv, 6);
    EXPECT_EQ(faces_of(m), (std::vector<Tri>{{0, 3, 5}, {3, 1, 4}, {5, 4, 2}, {3, 4, 5}}));
    // Border edges: midpoints, (0, 1) -> 3, (1, 2) -> 4, (2, 0) -> 5.
    EXPECT_EQ(m.vertices[3], Vector(1, 0, 0));
    EXPECT_EQ(m.vertices[4], Vector(1, 1, 0));
    EXPECT_EQ(m.vertices[5], Vector(0, 1, 0));
    EXPECT_EQ(m.vertices[5].w, 1);
}

TEST(Subdivide, TetrahedronEdgesGetMidpointsWhateverTheWeight) {
    for (int slider : {0, 25, 50, 70, 100}) {
        Mesh m = tetrahedron();
        Mesh before = tetrahedron();
        subdivide(m, 1, subdivision_weight(slider));
        ASSERT_EQ(m.nv, 10);
        ASSERT_EQ(m.nf, 16);
        SubdivisionEdges table = subdivision_edges(faces_of(before));
        for (int k = 0; k < 6; ++k) {
            const SubdivisionEdge& e = table.edges[k];
            EXPECT_EQ(m.vertices[4 + k], midpoint(before.vertices[e.a], before.vertices[e.b]))
                << "slider " << slider << ", edge " << k;
        }
        subdivide(m, 1, subdivision_weight(slider));
        EXPECT_EQ(m.nv, 34);
        EXPECT_EQ(m.nf, 64);
    }
}

TEST(Subdivide, SliderTwentyFiveGivesMidpoints) {
    EXPECT_EQ(subdivision_weight(25), -0.0625f);
    Mesh m;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(load_mesh_file(m, bundled_data("spot.obj")));
    }
    Mesh before = m.clone();
    subdivide(m, 1, subdivision_weight(25));
    SubdivisionEdges table = subdivision_edges(faces_of(before));
    ASSERT_EQ(m.nv, before.nv + int(table.edges.size()));
    for (size_t k = 0; k < table.edges.size(); ++k) {
        const SubdivisionEdge& e = table.edges[k];
        ASSERT_EQ(m.vertices[before.nv + k], midpoint(before.vertices[e.a], before.vertices[e.b]));
    }
    for (int v = 0; v < before.nv; ++v) ASSERT_EQ(m.vertices[v], before.vertices[v]);
}

TEST(Subdivide, SliderFiftyIsTheClassicStencil) {
    // Edge (+x, +y): opposite corners +z and -z, wings -y, -y, -x, -x, so
    // (A+B)/2 + (C+D)/8 - (W1+W2+W3+W4)/16 = (0.5, 0.5, 0) + 0 + (2, 2, 0)/16.
    EXPECT_EQ(subdivision_weight(50), 0.0f);
    Mesh m = octahedron();
    subdivide(m, 1, subdivision_weight(50));
    SubdivisionEdges table = subdivision_edges(faces_of(octahedron()));
    ASSERT_EQ(table.edges[0].a, 0);
    ASSERT_EQ(table.edges[0].b, 2);
    ASSERT_EQ(table.edges[1].a, 2);
    ASSERT_EQ(table.edges[1].b, 4);
    EXPECT_EQ(m.vertices[6], Vector(0.625f, 0.625f, 0));
    // The weight moves it along the wings: 0.5 - 2 (-1/16 - w).
    Mesh tense = octahedron();
    subdivide(tense, 1, 0.125f);
    EXPECT_EQ(tense.vertices[6], Vector(0.875f, 0.875f, 0));
    // Edge (+y, +z) lies in the plane x = 0 and moves outwards the same way.
    EXPECT_EQ(m.vertices[7], Vector(0, 0.625f, 0.625f));
}

TEST(Subdivide, EdgeTableOrderAndFaces) {
    // Ends in the order first met; face2 is the last other face on the edge.
    std::vector<Tri> faces{{0, 1, 2}, {2, 1, 3}, {1, 2, 4}, {5, 5, 6}};
    SubdivisionEdges t = subdivision_edges(faces);
    ASSERT_EQ(t.edges.size(), 9u);
    EXPECT_EQ(t.edges[1].a, 1);
    EXPECT_EQ(t.edges[1].b, 2);
    EXPECT_EQ(t.edges[1].face1, 0);
    EXPECT_EQ(t.edges[1].face2, 2); // a third face replaces the second
    EXPECT_EQ(t.edges[4].a, 3);
    EXPECT_EQ(t.edges[4].face2, -1);
    EXPECT_EQ(t.edges[7].a, 5); // (5, 5)
    EXPECT_EQ(t.edges[7].b, 5);
    EXPECT_EQ(t.edges[8].face1, 3); // (5, 6) and (6, 5): one edge, met twice by face 3
    EXPECT_EQ(t.edges[8].face2, 3);
    EXPECT_EQ(t.face_edges, (std::vector<int>{0, 1, 2, 1, 3, 4, 1, 5, 6, 7, 8, 8}));
}

TEST(Subdivide, ColoursAndMorphogensAreCarried) {
    Mesh m = make_mesh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {{0, 1, 2}});
    m.colours[0] = Vector(1, 0, 0, 1);
    m.colours[1] = Vector(0, 1, 0, 0.5f);
    m.colours[2] = Vector(0, 0, 1, 1);
    m.morphogens = {{1, 10}, {3, 20}, {5, 30}};
    subdivide(m, 2, 0);
    EXPECT_EQ(m.colours[0], Vector(1, 0, 0, 1));
    EXPECT_EQ(m.colours[3], Vector(0.5f, 0.5f, 0, 0.75f)); // edge (0, 1)
    EXPECT_EQ(m.colours[3].w, 0.75f);
    ASSERT_EQ(int(m.morphogens.size()), m.nv);
    EXPECT_EQ(m.morphogens[4], (std::vector<float>{4, 25})); // edge (1, 2)
    EXPECT_EQ(m.nv, 15);
}

TEST(Subdivide, LevelZeroAndRefusalsLeaveTheMesh) {
    Mesh m = octahedron();
    ConsoleCapture console;
    EXPECT_EQ(subdivide_levels(m, 0, 0).outcome, SubdivisionOutcome::Unchanged);
    EXPECT_EQ(subdivide_levels(m, -3, 0).outcome, SubdivisionOutcome::Unchanged);
    SubdivisionResult r = subdivide_levels(m, 16, 0); // 8 * 4^16 faces pass the int range
    EXPECT_EQ(r.outcome, SubdivisionOutcome::Refused);
    EXPECT_NE(r.message.find("ERROR"), std::string::npos);
    EXPECT_EQ(subdivide_levels(m, 1000000000, 0).outcome, SubdivisionOutcome::Refused);
    EXPECT_EQ(m.nv, 6);
    EXPECT_EQ(faces_of(m), faces_of(octahedron()));
    EXPECT_EQ(console.text(), "");
    EXPECT_EQ(subdivision_refusal(m, 3), "");
}

TEST(Subdivide, TheViewsStepsBuildWhatLaterToolsNeed) {
    Mesh m = octahedron();
    ConsoleCapture console;
    EXPECT_EQ(subdivide_levels(m, 2, 0).outcome, SubdivisionOutcome::Subdivided);
    EXPECT_EQ(console.text(), "BUILDING: MESH_EDGE_LIST MESH_VERTEX_NORMALS \n\n");
    EXPECT_EQ(m.nf, 128);
    EXPECT_TRUE(m.edge_list_current());
    EXPECT_EQ(m.nedges, 192);
    EXPECT_FLOAT_EQ(m.normals[0].length(), 1);
    EXPECT_GE(m.extent, 2);
    EXPECT_EQ(m.centroids[5],
              (*m.faces[5].corners[0] + *m.faces[5].corners[1] + *m.faces[5].corners[2]) / 3);
}

// ---------------------------------------------------------------------------
// Against the linear versions

testing::AssertionResult same_table(const std::vector<Tri>& faces, const Mesh& m) {
    SubdivisionEdges hashed = subdivision_edges(faces);
    std::vector<reference::LinearEdge> linear = reference::linear_edge_table(m);
    if (hashed.edges.size() != linear.size())
        return testing::AssertionFailure()
               << hashed.edges.size() << " edges, expected " << linear.size();
    for (size_t k = 0; k < linear.size(); ++k) {
        const SubdivisionEdge& h = hashed.edges[k];
        const reference::LinearEdge& l = linear[k];
        if (h.a != l.a || h.b != l.b || h.face1 != l.face1 || h.face2 != l.face2)
            return testing::AssertionFailure() << "edge " << k << " differs";
    }
    for (size_t i = 0; i < faces.size(); ++i)
        for (int p = 0; p < 3; ++p) {
            int e = hashed.face_edges[3 * i + p];
            int x = faces[i][p], y = faces[i][(p + 1) % 3];
            if (e != reference::find_linear_edge(linear, x, y))
                return testing::AssertionFailure() << "face " << i << " pair " << p;
        }
    return testing::AssertionSuccess();
}

void expect_same_as_linear(const Mesh& source, int levels, float weight) {
    Mesh fast = source.clone();
    fast.morphogens = source.morphogens;
    subdivide(fast, levels, weight);
    if (source.nf > literal_face_limit) {
        EXPECT_TRUE(faces_in_range(fast));
        return;
    }
    Mesh literal = reference::literal_subdivide(source, levels, weight);
    EXPECT_TRUE(same_vertices_and_faces(fast, literal)) << levels << " levels, weight " << weight;
}

TEST(SubdivideAgainstLinear, RandomMeshes) {
    RandomMeshes soup(31);
    std::uniform_real_distribution<float> weight(-0.125f, 0.125f);
    for (int n = 0; n < 200 && !testing::Test::HasFailure(); ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        Mesh m;
        if (n % 2)
            soup.fill(m, false);
        else
            fill_surface(m, soup.rng);
        EXPECT_TRUE(same_table(faces_of(m), m));
        float w = n % 3 == 0 ? subdivision_weight(soup.uniform(0, 100)) : weight(soup.rng);
        expect_same_as_linear(m, 1 + n % 2, w);
    }
}

class SubdivideAgainstLinearOnSharedMeshes : public testing::TestWithParam<std::string> {};

TEST_P(SubdivideAgainstLinearOnSharedMeshes, OneOrTwoLevels) {
    Mesh m;
    {
        ConsoleCapture quiet;
        if (!load_mesh_file(m, real_mesh(GetParam()))) GTEST_SKIP() << "does not load";
    }
    // The linear table is quadratic in the edges: larger meshes have their table
    // compared only.
    if (m.nf > 13000) {
        if (m.nf <= 30000) {
            EXPECT_TRUE(same_table(faces_of(m), m));
        }
        return;
    }
    EXPECT_TRUE(same_table(faces_of(m), m));
    expect_same_as_linear(m, 1, 0);
    expect_same_as_linear(m, 1, subdivision_weight(70));
    if (m.nf <= 1500) expect_same_as_linear(m, 2, subdivision_weight(10));
}

INSTANTIATE_TEST_SUITE_P(Meshes, SubdivideAgainstLinearOnSharedMeshes,
                         testing::ValuesIn(real_mesh_names()), test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SubdivideAgainstLinearOnSharedMeshes);

} // namespace
