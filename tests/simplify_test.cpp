// Simplification: the target count, the order of the collapses on small meshes, what
// survives of the vertices, and the heap against the first-minimum scan on random and
// real meshes.
#include "core/mesh_file.h"
#include "crowded_meshes.h"
#include "random_meshes.h"
#include "test_util.h"
#include "tests/reference/simplify_reference.h"
#include "tools/collapse_cost.h"
#include "tools/simplify.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

namespace {

// A w x h grid of points (x + dx, y(x, z), z), squares split into (a, c, b), (b, c, d).
void add_grid(std::vector<Vector>& positions, std::vector<Tri>& faces, int w, int h, float dx,
              float (*height)(float x, float z)) {
    int first = int(positions.size());
    for (int z = 0; z < h; ++z)
        for (int x = 0; x < w; ++x)
            positions.emplace_back(float(x) + dx, height(float(x), float(z)), float(z));
    for (int z = 0; z + 1 < h; ++z)
        for (int x = 0; x + 1 < w; ++x) {
            int a = first + z * w + x, b = a + 1, c = a + w, d = c + 1;
            faces.push_back({a, c, b});
            faces.push_back({b, c, d});
        }
}

float flat(float, float) {
    return 0;
}

// The faces of `m` without face `gone`, vertex `removed` taken out of the numbering.
std::vector<Tri> without(const std::vector<Tri>& faces, int gone, int removed) {
    std::vector<Tri> out;
    for (int i = 0; i < int(faces.size()); ++i) {
        if (i == gone) continue;
        Tri t = faces[i];
        for (int& c : t) c -= c > removed;
        out.push_back(t);
    }
    return out;
}

TEST(Simplify, TargetIsTheProductInSinglePrecision) {
    EXPECT_EQ(simplification_target(10, 70.0f / 100), 7); // 6 in double precision
    EXPECT_EQ(simplification_target(10, 75.0f / 100), 7);
    EXPECT_EQ(simplification_target(9, 8.0f / 9), 8);
    EXPECT_EQ(simplification_target(10, 1), 10);
    EXPECT_EQ(simplification_target(10, 0), 0);
    EXPECT_EQ(simplification_target(10, 2.5f), 10);
    EXPECT_EQ(simplification_target(10, -0.5f), 0);
    EXPECT_EQ(simplification_target(10, std::numeric_limits<float>::quiet_NaN()), 10);
    EXPECT_EQ(simplification_target(0, 0.5f), 0);
}

TEST(Simplify, FullDetailRewritesTheSameMesh) {
    Mesh m;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(load_mesh_file(m, bundled_data("cube.obj")));
    }
    m.colours[3] = Vector(0.25f, 0.5f, 0.75f, 1);
    m.texcoords[3] = Vector(5, 5);
    m.faces[2].colour = Vector(1, 0, 0, 1);
    m.faces[2].marked = 1;
    std::vector<Vector> positions = m.vertices;
    std::vector<Tri> faces = faces_of(m);
    ConsoleCapture console;
    simplify_lod(m, 100);
    EXPECT_EQ(m.vertices, positions);
    EXPECT_EQ(faces_of(m), faces);
    EXPECT_EQ(m.colours[3], Vector(0.25f, 0.5f, 0.75f, 1)); // colours survive
    EXPECT_EQ(m.texcoords[3], Vector());
    EXPECT_EQ(m.faces[2].colour, Face().colour);
    EXPECT_EQ(m.faces[2].marked, 0);
    EXPECT_EQ(console.text(), "BUILDING: MESH_VERTEX_NORMALS MESH_EDGE_LIST \n\n");
    // What later tools need is current: edges, normals, centroids, box.
    EXPECT_TRUE(m.edge_list_current());
    EXPECT_EQ(m.nedges, 18);
    EXPECT_FLOAT_EQ(m.faces[0].normal.length(), 1);
    EXPECT_EQ(m.centroids[0],
              (m.vertices[faces[0][0]] + m.vertices[faces[0][1]] + m.vertices[faces[0][2]]) / 3);
    EXPECT_GT(m.extent, 0);
}

TEST(Simplify, ThreeQuartersOfTenVerticesIsThreeCollapses) {
    Mesh m = flat_grid_mesh(5, 2);
    simplify(m, 75.0f / 100);
    EXPECT_EQ(m.nv, 7);
    Mesh n = flat_grid_mesh(5, 2);
    simplify(n, 70.0f / 100);
    EXPECT_EQ(n.nv, 7);
    for (const Face& f : m.faces)
        for (int c : f.vindex) EXPECT_LT(c, 7);
}

TEST(Simplify, ZeroDetailRemovesEverything) {
    Mesh m = flat_grid_mesh(4, 4);
    simplify(m, 0);
    EXPECT_EQ(m.nv, 0);
    EXPECT_EQ(m.nf, 0);
    Mesh empty;
    simplify(empty, 0.5f);
    EXPECT_EQ(empty.nv, 0);
}

TEST(Simplify, OnAFlatGridTheFirstVertexCollapsesFirst) {
    // Every normal is exactly (0, 1, 0), so every cost is 0 and vertex 0 goes first,
    // onto its first neighbour, 3: only face (0, 3, 1) has both.
    Mesh m = flat_grid_mesh(3, 3);
    std::vector<Tri> faces = faces_of(m);
    simplify(m, 8.0f / 9);
    EXPECT_EQ(m.nv, 8);
    EXPECT_EQ(m.vertices[0], Vector(1, 0, 0));
    EXPECT_EQ(faces_of(m), without(faces, 0, 0));
}

TEST(Simplify, AnUnusedVertexGoesFirstWithoutMovingAnything) {
    std::vector<Vector> positions;
    std::vector<Tri> faces;
    add_grid(positions, faces, 3, 3, 0, flat);
    positions.insert(positions.begin() + 4, Vector(7, 7, 7));
    for (Tri& t : faces)
        for (int& c : t) c += c >= 4;
    Mesh m = make_mesh(positions, faces);
    simplify(m, 9.0f / 10);
    EXPECT_EQ(m.nv, 9);
    EXPECT_EQ(faces_of(m), without(faces, -1, 4));
    for (int v = 0; v < 9; ++v) EXPECT_EQ(m.vertices[v], positions[v + (v >= 4)]);
}

TEST(Simplify, FlatButTiltedCostsAreTinyButNotZero) {
    // A grid on the plane y = z comes first: the self-dot of its float unit normals is
    // 1 - 2^-24, so its costs are above 0, and the first vertex of the level grid after
    // it, whose costs are exactly 0, collapses first.
    std::vector<Vector> positions;
    std::vector<Tri> faces;
    add_grid(positions, faces, 3, 3, 0, [](float, float z) { return z; });
    add_grid(positions, faces, 3, 3, 10, flat);
    Mesh m = make_mesh(positions, faces);
    simplify(m, 17.0f / 18);
    ASSERT_EQ(m.nv, 17);
    for (int v = 0; v < 17; ++v) EXPECT_EQ(m.vertices[v], positions[v + (v >= 9)]);
}

TEST(Simplify, AVertexThatIsItsOwnNeighbourCollapsesOntoItself) {
    // In the face (0, 0, 1) vertex 0 is its own neighbour by corner position: its
    // self-edge has length 0 and cost 0, and it comes first. Collapsing onto itself
    // deletes its faces.
    std::vector<Vector> positions{{0, 0, 0}, {1, 0, 0}};
    std::vector<Tri> faces{{0, 0, 1}};
    add_grid(positions, faces, 2, 2, 5, flat);
    Mesh m = make_mesh(positions, faces);
    simplify(m, 5.0f / 6);
    ASSERT_EQ(m.nv, 5);
    EXPECT_EQ(m.vertices[0], Vector(1, 0, 0));
    EXPECT_EQ(faces_of(m), (std::vector<Tri>{{1, 3, 2}, {2, 3, 4}}));

    // A face (a, a, a) sits three times in a's face list; deleting it takes all three.
    Mesh triple = make_mesh({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}}, {{0, 0, 0}, {1, 2, 3}});
    simplify(triple, 3.0f / 4);
    EXPECT_EQ(faces_of(triple), (std::vector<Tri>{{0, 1, 2}}));
}

TEST(Simplify, VerticesWithOnlyHugeCollapsesStillCollapseOntoANeighbour) {
    // Every edge of this tetrahedron costs more than 1,000,000: the vertex that goes
    // first must not leave while faces use it.
    const float s = 1e8f;
    Mesh m = make_mesh({{0, 0, 0}, {s, 0, 0}, {0, s, 0}, {0, 0, s}},
                       {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
    Mesh want = m.clone();
    simplify(m, 3.0f / 4);
    EXPECT_EQ(m.nv, 3);
    EXPECT_EQ(m.nf, 2);
    for (const Face& f : m.faces)
        for (int c : f.vindex) EXPECT_TRUE(c >= 0 && c < 3);
    reference::literal_simplify(want, 3.0f / 4);
    EXPECT_TRUE(same_vertices_and_faces(m, want));

    // Coordinates whose differences overflow give infinite lengths and NaN costs.
    const float big = 3e38f;
    Mesh n = make_mesh({{-big, 0, 0}, {big, 0, 0}, {0, big, 0}, {0, 0, big}},
                       {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}});
    simplify(n, 0.5f);
    EXPECT_EQ(n.nv, 2);
    for (const Face& f : n.faces)
        for (int c : f.vindex) EXPECT_TRUE(c >= 0 && c < 2);
}

TEST(Simplify, SurvivorsKeepTheirColoursAndMorphogens) {
    std::mt19937 rng(11);
    for (int n = 0; n < 20; ++n) {
        Mesh m;
        fill_surface(m, rng);
        std::map<std::array<float, 3>, int> by_position;
        for (int v = 0; v < m.nv; ++v)
            by_position[{m.vertices[v].x, m.vertices[v].y, m.vertices[v].z}] = v;
        if (int(by_position.size()) != m.nv) continue; // the extra vertices may coincide
        Mesh before = m.clone();
        before.morphogens = m.morphogens;
        simplify(m, 0.5f);
        ASSERT_EQ(int(m.morphogens.size()), m.nv);
        for (int v = 0; v < m.nv; ++v) {
            int was = by_position.at({m.vertices[v].x, m.vertices[v].y, m.vertices[v].z});
            EXPECT_EQ(m.colours[v], before.colours[was]);
            EXPECT_EQ(m.colours[v].w, before.colours[was].w);
            EXPECT_EQ(m.morphogens[v], before.morphogens[was]);
        }
    }
    // A mesh without a row per vertex gets none.
    Mesh bare = flat_grid_mesh(3, 3);
    bare.morphogens.resize(2);
    simplify(bare, 0.5f);
    EXPECT_TRUE(bare.morphogens.empty());
}

// ---------------------------------------------------------------------------
// The heap against the scan

void expect_same_as_scan(const Mesh& source, float fraction) {
    Mesh fast = source.clone(), literal = source.clone();
    fast.morphogens = literal.morphogens = source.morphogens;
    simplify(fast, fraction);
    if (source.nf > literal_face_limit) {
        EXPECT_TRUE(faces_in_range(fast));
        return;
    }
    reference::literal_simplify(literal, fraction);
    EXPECT_TRUE(same_vertices_and_faces(fast, literal)) << "fraction " << fraction;
}

void random_meshes_against_scan(unsigned seed, int count) {
    RandomMeshes soup(seed);
    std::mt19937& rng = soup.rng;
    const float lods[] = {0, 10, 33.3f, 50, 75, 90, 99, 100};
    for (int n = 0; n < count && !testing::Test::HasFailure(); ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        Mesh m;
        if (n % 2)
            soup.fill(m, false);
        else
            fill_surface(m, rng);
        for (int j = 0; j < 3; ++j) expect_same_as_scan(m, lods[soup.uniform(0, 7)] / 100);
    }
}

TEST(SimplifyAgainstScan, RandomMeshes) {
    random_meshes_against_scan(21, 300);
}

// Processors with eight lanes take them for vertices with five to eight faces; the
// four-lane path they then leave is checked here too.
TEST(SimplifyAgainstScan, RandomMeshesInFourLanes) {
    allow_wide_collapse_costs(false);
    random_meshes_against_scan(22, 150);
    Mesh m;
    {
        ConsoleCapture quiet;
        if (std::string cow = real_mesh("cow.obj"); !cow.empty() && load_mesh_file(m, cow))
            for (float lod : {90.0f, 50.0f}) expect_same_as_scan(m, lod / 100);
    }
    allow_wide_collapse_costs(true);
}

TEST(SimplifyAgainstScan, VerticesWithVeryManyFaces) {
    // Cones around their apex, some of them flat, with rims of random heights: apexes
    // with faces at each side of every multiple of four the costs take four at a time,
    // and with more than those take (16), or than fit in a list's place (15).
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const int rims[] = {4, 5, 8, 9, 12, 13, 16, 17, 100, 100};
    for (int n = 0; n < 10; ++n) {
        const int rim = rims[n];
        std::vector<Vector> positions{{0, n % 2 ? 0.0f : 1.0f, 0}};
        std::vector<Tri> faces;
        for (int i = 0; i < rim; ++i) {
            float angle = 6.2831853f * float(i) / rim;
            positions.emplace_back(std::cos(angle), n % 3 ? unit(rng) * 0.1f : 0.0f,
                                   std::sin(angle));
            faces.push_back({0, 1 + (i + 1) % rim, 1 + i});
        }
        Mesh m = make_mesh(positions, faces);
        for (float lod : {99.0f, 90.0f, 50.0f, 10.0f}) expect_same_as_scan(m, lod / 100);
    }
}

// A flat grid with `count` more faces across it, each on the plane and facing the same
// way: vertices far apart become neighbours, so that a collapse may move faces to a
// vertex some of whose neighbours had it already, the costs staying low and equal.
Mesh bridged_flat_grid(int w, int h, int count, unsigned seed) {
    Mesh grid = flat_grid_mesh(w, h);
    std::vector<Vector> positions = grid.vertices;
    std::vector<Tri> faces = faces_of(grid);
    std::mt19937 rng(seed);
    while (count > 0) {
        Tri t{int(rng() % unsigned(grid.nv)), int(rng() % unsigned(grid.nv)),
              int(rng() % unsigned(grid.nv))};
        Vector a = positions[t[1]] - positions[t[0]], b = positions[t[2]] - positions[t[1]];
        float up = a.z * b.x - a.x * b.z; // the normal's y, as the grid's faces have it
        if (up == 0) continue;
        if (up < 0) std::swap(t[1], t[2]);
        faces.push_back(t);
        --count;
    }
    return make_mesh(positions, faces);
}

TEST(SimplifyAgainstScan, FansAndFlatGrids) {
    // Where many collapses meet one vertex and many costs are equal: flat fans with the
    // centre first or last in the numbering, fans whose rims rise in steps (a few
    // normals among many faces), flat grids, flat grids with some faces turned over
    // (two normals, opposite), and flat grids with faces across them.
    auto steps = [](int i) { return float(i / 7 % 3) * 0.25f; };
    Mesh turned = flat_grid_mesh(17, 13);
    for (int i = 0; i < turned.nf; i += 5)
        std::swap(turned.faces[i].vindex[1], turned.faces[i].vindex[2]);
    const std::pair<const char*, Mesh> cases[] = {
        {"flat fan of 40", flat_fan_mesh(40)},
        {"flat fan of 300", flat_fan_mesh(300)},
        {"flat fan of 300, centre last", flat_fan_mesh(300, true)},
        {"stepped fan of 200", fan_mesh(200, false, steps)},
        {"stepped fan of 200, centre last", fan_mesh(200, true, steps)},
        {"flat grid 9 x 9", flat_grid_mesh(9, 9)},
        {"flat grid 40 x 25", flat_grid_mesh(40, 25)},
        {"turned flat grid 17 x 13", std::move(turned)},
        {"flat grid 16 x 11 with 20 faces across it", bridged_flat_grid(16, 11, 20, 22)},
        {"flat grid 16 x 11 with 6 faces across it", bridged_flat_grid(16, 11, 6, 23)},
    };
    for (const auto& [name, m] : cases) {
        SCOPED_TRACE(name);
        for (float lod : {90.0f, 50.0f, 10.0f, 0.0f}) expect_same_as_scan(m, lod / 100);
    }
}

class SimplifyAgainstScanOnSharedMeshes : public testing::TestWithParam<std::string> {};

TEST_P(SimplifyAgainstScanOnSharedMeshes, SeveralLevelsOfDetail) {
    Mesh m;
    {
        ConsoleCapture quiet;
        if (!load_mesh_file(m, real_mesh(GetParam()))) GTEST_SKIP() << "does not load";
    }
    // The scan is quadratic: the largest meshes are taken down a little way only.
    std::vector<float> lods{99, 90};
    if (m.nv <= 15000) lods.push_back(50);
    if (m.nv <= 4000) lods.insert(lods.end(), {25, 0});
    for (float lod : lods) expect_same_as_scan(m, lod / 100);
}

INSTANTIATE_TEST_SUITE_P(Meshes, SimplifyAgainstScanOnSharedMeshes,
                         testing::ValuesIn(real_mesh_names()), test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SimplifyAgainstScanOnSharedMeshes);

} // namespace
