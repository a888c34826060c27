// Patch classification: the whole run and the re-clustering against the literal
// implementation on real and random meshes, and the rules that decide single results.
#include "classifier_meshes.h"
#include "core/colour.h"
#include "segmentation/mesh_classifier.h"
#include "tests/reference/classifier_reference.h"
#include "tools/edge_traversal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

uint32_t bits(float f) {
    return std::bit_cast<uint32_t>(f);
}

void expect_same_colours(const Mesh& a, const Mesh& b, const std::string& what) {
    ASSERT_EQ(a.nf, b.nf);
    for (int f = 0; f < a.nf; ++f) {
        const Vector &x = a.faceptrs[f]->colour, &y = b.faceptrs[f]->colour;
        ASSERT_TRUE(bits(x.x) == bits(y.x) && bits(x.y) == bits(y.y) && bits(x.z) == bits(y.z) &&
                    bits(x.w) == bits(y.w))
            << what << ": face " << f;
    }
}

void expect_same_state(const Mesh_Classifier& c, const reference::Classifier& r,
                       const std::string& what) {
    EXPECT_EQ(c.patch_count, r.k) << what;
    EXPECT_EQ(c.representatives, r.reps) << what;
    ASSERT_EQ(c.memberships.size(), r.mem.size()) << what;
    for (size_t i = 0; i < r.mem.size(); ++i) {
        ASSERT_EQ(c.memberships[i].size(), r.mem[i].size());
        for (size_t f = 0; f < r.mem[i].size(); ++f)
            ASSERT_EQ(bits(c.memberships[i][f]), bits(r.mem[i][f]))
                << what << ": membership " << i << " " << f;
    }
    for (size_t i = 0; i < r.colours.size(); ++i)
        EXPECT_EQ(c.patch_colours[i], r.colours[i]) << what;
    expect_same_colours(*c.mesh, r.mesh, what);
}

// The view's classification, console silenced.
void classify_quietly(Mesh_Classifier& c, Mesh& m) {
    ConsoleCapture quiet;
    ASSERT_TRUE(classify_mesh(c, m));
}

struct Run {
    std::string console;
    IoResult result;
};

Run classify(Mesh_Classifier& c) {
    ConsoleCapture console;
    IoResult r = c.classify();
    return {console.text(), r};
}

// Classifies the mesh with the fast classifier and the literal one (with the rules for
// pieces and faces of zero area, or as first written), then re-clusters both into
// several numbers of patches, comparing everything on the way.
void compare_with_reference(Mesh& mesh, const std::string& what, double weight = 0.5,
                            SpMode mode = SpMode::Floyd, std::vector<int> ks = {1, 2, 5, 51},
                            bool as_first_written = false) {
    Mesh copy = mesh.clone();
    {
        ConsoleCapture quiet;
        mesh.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        copy.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
    }
    Mesh_Classifier c;
    c.attach(mesh);
    c.weight = weight;
    c.sp_mode = mode;
    Run fast = classify(c);
    ASSERT_TRUE(fast.result) << fast.result.error;

    reference::Classifier r(copy);
    r.weight = weight;
    r.sp_mode = int(mode);
    r.as_first_written = as_first_written;
    // Floyd-Warshall and the plain Dijkstra are cubic: on larger meshes the reference
    // takes the table the tests of the table check against them.
    if (mesh.nf > (mode == SpMode::Floyd ? 700 : 400)) r.given_distances = c.table.data();
    r.classify();
    EXPECT_EQ(fast.console, r.out) << what;
    expect_same_state(c, r, what + " classification");

    ks.insert(ks.begin(), c.patch_count);
    for (int k : ks) {
        if (k < 1) continue;
        ConsoleCapture console;
        ASSERT_TRUE(c.recluster(k)) << what;
        r.out.clear();
        r.cluster_patches(k);
        r.compute_memberships(k);
        EXPECT_EQ(console.text(), r.out) << what << " k " << k;
        expect_same_state(c, r, what + " k " + std::to_string(k));
    }
}

class RealMeshClassification : public testing::TestWithParam<std::string> {};

TEST_P(RealMeshClassification, MatchesTheLiteralClassifier) {
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, GetParam());
    compare_with_reference(m, GetParam());
}

INSTANTIATE_TEST_SUITE_P(SmallMeshes, RealMeshClassification,
                         testing::Values("cube_quads_groups.obj", "spot_control_mesh.obj",
                                         "torus_quads_creases.obj", "suzanne.obj", "woody.obj",
                                         "beetle.obj", "cruiser.obj"),
                         test_name_of);

// Meshes of one piece without faces of zero area, where every least-sum choice had a
// candidate within 1,000,000: the rules for pieces change nothing there.
class SoundMeshClassification : public testing::TestWithParam<std::tuple<std::string, SpMode>> {};

TEST_P(SoundMeshClassification, GivesTheResultsAsFirstWritten) {
    const auto& [name, mode] = GetParam();
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, name);
    compare_with_reference(m, name, 0.5, mode, {}, true);
}

INSTANTIATE_TEST_SUITE_P(RealMeshes, SoundMeshClassification,
                         // fandisk in the weighted mode would take 20 s.
                         testing::Values(std::tuple{"cow.obj", SpMode::Floyd},
                                         std::tuple{"cow.obj", SpMode::Dijkstra},
                                         std::tuple{"spot_triangulated.obj", SpMode::Floyd},
                                         std::tuple{"spot_triangulated.obj", SpMode::Dijkstra},
                                         std::tuple{"fandisk.obj", SpMode::Floyd},
                                         std::tuple{"woody.obj", SpMode::Floyd},
                                         std::tuple{"woody.obj", SpMode::Dijkstra},
                                         std::tuple{"spot_control_mesh.obj", SpMode::Dijkstra}),
                         [](const testing::TestParamInfo<std::tuple<std::string, SpMode>>& mesh) {
                             const std::string& name = std::get<0>(mesh.param);
                             bool floyd = std::get<1>(mesh.param) == SpMode::Floyd;
                             return name.substr(0, name.find('.')) +
                                    (floyd ? "_floyd" : "_dijkstra");
                         });

TEST(MeshClassifier, OtherWeightsAndTheWeightedModeMatchTheLiteralClassifier) {
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj");
    compare_with_reference(m, "delta 0", 0.0);
    compare_with_reference(m, "delta 1", 1.0);
    compare_with_reference(m, "weighted", 0.37, SpMode::Dijkstra);
    Mesh torus;
    load_real_mesh(torus, "torus_quads_creases.obj");
    compare_with_reference(torus, "torus delta 0", 0.0);
    compare_with_reference(torus, "torus weighted", 0.5, SpMode::Dijkstra);
}

TEST(MeshClassifier, RandomMeshesMatchTheLiteralClassifier) {
    std::mt19937 rng(17);
    for (int round = 0; round < 24; ++round) {
        Mesh m = round % 3 == 2 ? mesh_from_obj(random_soup_obj(rng, 10 + round, 20 + 5 * round))
                                : mesh_from_obj(random_grid_obj(rng, 4 + round % 9, 3 + round % 7,
                                                                0.08 * (round % 4)));
        double weight = std::array{0.5, 0.0, 1.0, 0.25}[round % 4];
        SpMode mode = round % 5 == 4 ? SpMode::Dijkstra : SpMode::Floyd;
        compare_with_reference(m, "random " + std::to_string(round), weight, mode, {1, 3});
    }
}

// A flat strip of `squares` unit squares along x from x0, two triangles each, its
// vertices numbered from `first` (1-based). Faces 2i + 1, 2i follow each other along it.
std::string strip_obj(int squares, int x0, int first = 1) {
    std::string obj;
    for (int i = 0; i <= squares; ++i)
        obj += "v " + std::to_string(x0 + i) + " 0 0\nv " + std::to_string(x0 + i) + " 1 0\n";
    for (int i = 0; i < squares; ++i) {
        auto v = [&](int k) { return std::to_string(first + 2 * i + k); };
        obj +=
            "f " + v(0) + " " + v(2) + " " + v(3) + "\nf " + v(0) + " " + v(3) + " " + v(1) + "\n";
    }
    return obj;
}

float centroid_x(const Mesh& m, int f) {
    const Face& face = *m.faceptrs[f];
    return (face.corners[0]->x + face.corners[1]->x + face.corners[2]->x) / 3;
}

// Each face's piece: the least face it has a path to.
std::vector<int> pieces_of(const Mesh_Classifier& c) {
    std::vector<int> piece(size_t(c.table.n));
    for (int f = 0; f < c.table.n; ++f) {
        int least = f;
        for (int g = 0; g < f; ++g)
            if (c.table.distance(f, g) != no_path) {
                least = g;
                break;
            }
        piece[f] = least == f ? f : piece[least];
    }
    return piece;
}

// Whether the faces of each piece have one colour, and faces of different pieces
// different ones.
bool coloured_by_piece(const Mesh& m, const std::vector<int>& piece) {
    for (int f = 0; f < m.nf; ++f)
        for (int g = 0; g < f; ++g)
            if ((piece[f] == piece[g]) != (m.faceptrs[f]->colour == m.faceptrs[g]->colour))
                return false;
    return true;
}

// Two strips far apart, of 40 and 10 faces: sums and candidates leave out the faces
// with no path.
TEST(MeshClassifier, PiecesAreSummedAndChosenWithinThemselves) {
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        const std::string what = mode == SpMode::Floyd ? "floyd" : "dijkstra";
        Mesh m = mesh_from_obj(strip_obj(20, 0) + strip_obj(5, 100, 43));
        Mesh_Classifier c;
        c.sp_mode = mode;
        classify_quietly(c, m);
        ASSERT_EQ(m.nf, 50);
        auto in_small = [&](int f) { return f >= 40; };
        auto middle = [&](int f) {
            return std::abs(centroid_x(m, f) - (in_small(f) ? 102.5f : 10)) < 1;
        };
        // The least sum over a face's own piece is in the small one.
        {
            ConsoleCapture quiet;
            Mesh_Classifier sampled = c.copy_without_table();
            sampled.table = std::move(c.table);
            sampled.build_patches();
            EXPECT_TRUE(in_small(sampled.representatives[0])) << what;
            c.table = std::move(sampled.table);
        }
        // One patch a piece, each refined to the middle of its own.
        ASSERT_EQ(c.patch_count, 2) << what;
        EXPECT_NE(in_small(c.representatives[0]), in_small(c.representatives[1])) << what;
        for (int p = 0; p < 2; ++p) EXPECT_TRUE(middle(c.representatives[p])) << what << " " << p;
        ConsoleCapture console;
        ASSERT_TRUE(c.recluster(2));
        EXPECT_TRUE(coloured_by_piece(m, pieces_of(c))) << what;
        // One patch over both: its medoid stays in the piece of its representative, at the
        // middle.
        c.representatives[0] = 3;
        ASSERT_TRUE(c.recluster(1));
        EXPECT_FALSE(in_small(c.representatives[0])) << what;
        EXPECT_TRUE(middle(c.representatives[0])) << what << " " << c.representatives[0];
        compare_with_reference(m, "two pieces " + what, 0.5, mode, {1, 2, 3});
    }
}

// 3,000 faces in a row: every least sum passes 1,000,000, and still has a least.
TEST(MeshClassifier, SumsPastAMillionStillChoose) {
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        const std::string what = mode == SpMode::Floyd ? "floyd" : "dijkstra";
        Mesh m = mesh_from_obj(strip_obj(1500, 0));
        Mesh_Classifier c;
        c.sp_mode = mode;
        classify_quietly(c, m);
        ConsoleCapture console;
        ASSERT_TRUE(c.recluster(c.patch_count));
        // Contiguous thirds along the strip, each with its representative.
        ASSERT_EQ(c.patch_count, 3) << what;
        std::vector<int> along(size_t(m.nf));
        for (int f = 0; f < m.nf; ++f) along[f] = f;
        std::sort(along.begin(), along.end(),
                  [&](int a, int b) { return centroid_x(m, a) < centroid_x(m, b); });
        std::vector<int> runs{0};
        for (int i = 1; i < m.nf; ++i)
            if (!(m.faceptrs[along[i]]->colour == m.faceptrs[along[i - 1]]->colour))
                runs.push_back(i);
        runs.push_back(m.nf);
        ASSERT_EQ(runs.size(), 4u) << what;
        std::vector<float> at;
        for (int t = 0; t < 3; ++t) at.push_back(centroid_x(m, c.representatives[t]));
        std::sort(at.begin(), at.end());
        for (int t = 0; t < 3; ++t) {
            EXPECT_NEAR(runs[t + 1] - runs[t], 1000, 100) << what;
            EXPECT_NEAR(at[t], 250 + 500 * t, 100) << what;
        }
        // One patch from the end of the strip: its medoid is the middle, and so is the
        // face it is refined to (each cost, half a distance sum, passes 1,000,000 too).
        c.representatives[0] = 0;
        ASSERT_TRUE(c.recluster(1));
        EXPECT_NEAR(centroid_x(m, c.representatives[0]), 750, 1) << what;
        c.representatives[0] = 0;
        c.compute_memberships(1);
        c.find_neighbours(1);
        c.eval_fuzzy(1);
        EXPECT_NEAR(centroid_x(m, c.representatives[0]), 750, 1) << what;
        // And the first representative of the sampling.
        Mesh_Classifier sampled = c.copy_without_table();
        sampled.table = std::move(c.table);
        sampled.build_patches();
        EXPECT_NEAR(centroid_x(m, sampled.representatives[0]), 750, 1) << what;
        c.table = std::move(sampled.table);
        compare_with_reference(m, "strip " + what, 0.5, mode, {1, 2});
    }
}

// A face of zero area (its normal NaN) on the edge of a strip: its edge counts as flat.
TEST(MeshClassifier, AFaceOfZeroAreaKeepsTheWeightsNumbers) {
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        const std::string what = mode == SpMode::Floyd ? "floyd" : "dijkstra";
        // Face 40 lies on the bottom edge of face 0, between its corners 1 and 3.
        Mesh m = mesh_from_obj(strip_obj(20, 0) + "v 0.5 0 0\nf 3 1 43\n");
        ASSERT_EQ(m.nf, 41);
        Mesh_Classifier c;
        c.sp_mode = mode;
        c.weight = 0.3;
        classify_quietly(c, m);
        ASSERT_TRUE(std::isnan(m.faces[40].normal.x)) << what;
        ASSERT_TRUE(std::isfinite(c.average_angular_distance)) << what;
        auto centroid = [&](int f) {
            const Face& face = *m.faceptrs[f];
            const Vector &p0 = *face.corners[0], &p1 = *face.corners[1], &p2 = *face.corners[2];
            return Vector((p0.x + p1.x + p2.x) / 3, (p0.y + p1.y + p2.y) / 3,
                          (p0.z + p1.z + p2.z) / 3);
        };
        float g = (centroid(40) - centroid(0)).length();
        float expected = float(double(0.05f / c.average_angular_distance) * (1 - 0.3) +
                               double(g / c.average_geodesic_distance) * 0.3);
        EXPECT_EQ(bits(c.table.edge_weight(0, 40)), bits(expected)) << what;
        EXPECT_NE(c.table.distance(0, 40), no_path) << what;
        EXPECT_LT(c.patch_count, 50) << what;
        compare_with_reference(m, "zero area " + what, 0.3, mode, {2});
    }
}

// Meshes in pieces get one patch a piece, in both modes, as the view leaves them.
class PiecesClassification : public testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(PiecesClassification, GivesOnePatchAPiece) {
    const auto& [name, pieces] = GetParam();
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        Mesh m;
        LOAD_REAL_MESH_OR_SKIP(m, name);
        Mesh_Classifier c;
        c.sp_mode = mode;
        classify_quietly(c, m);
        ConsoleCapture console;
        ASSERT_TRUE(c.recluster(c.patch_count));
        std::vector<int> piece = pieces_of(c);
        std::vector<int> distinct = piece;
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        EXPECT_EQ(int(distinct.size()), pieces) << name;
        EXPECT_EQ(c.patch_count, pieces) << name << " mode " << int(mode);
        EXPECT_TRUE(coloured_by_piece(m, piece)) << name << " mode " << int(mode);
    }
}

// Suzanne: her head, two eyes and a face that an edge of weight 0 cuts off.
INSTANTIATE_TEST_SUITE_P(RealMeshes, PiecesClassification,
                         testing::Values(std::tuple{"teapot.obj", 19}, std::tuple{"f16.obj", 24},
                                         std::tuple{"beetle.obj", 3},
                                         std::tuple{"cornell_box.obj", 18},
                                         std::tuple{"ngon_polygons.obj", 3},
                                         std::tuple{"suzanne.obj", 4}),
                         [](const testing::TestParamInfo<std::tuple<std::string, int>>& mesh) {
                             const std::string& name = std::get<0>(mesh.param);
                             return name.substr(0, name.find('.'));
                         });

TEST(MeshClassifier, PatchColoursFollowTheHueRule) {
    float expected_hues[] = {0, 89.75f, 179.5f, 269.25f};
    for (int i = 0; i < 4; ++i) {
        float r = 0, g = 0, b = 0;
        hsv_to_rgb(expected_hues[i], 1, 1, r, g, b);
        EXPECT_EQ(patch_colour(i, 4), Vector(r, g, b)) << i;
        EXPECT_EQ(patch_colour(i, 4).w, 1);
    }
    EXPECT_EQ(patch_colour(0, 4), Vector(1, 0, 0));
    // The quotient is rounded to float before the product.
    float hue = float(double(3.0f / 7.0f) * 359.0);
    float r = 0, g = 0, b = 0;
    hsv_to_rgb(hue, 1, 1, r, g, b);
    EXPECT_EQ(patch_colour(3, 7), Vector(r, g, b));
}

TEST(MeshClassifier, PatchCountLineHasNoBlankAfterTheColon) {
    Mesh m;
    Mesh_Classifier c;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj");
    ConsoleCapture console;
    ASSERT_TRUE(classify_mesh(c, m));
    std::string line = "Optimal Number of Patches:" + std::to_string(c.patch_count) + "\n";
    EXPECT_NE(console.text().find(line), std::string::npos);
    EXPECT_GE(c.patch_count, 2);
    EXPECT_LE(c.patch_count, 50);
    EXPECT_EQ(c.representatives.size(), 51u);
    EXPECT_EQ(
        console.text().rfind(
            "BUILDING: MESH_VERTEX_NORMALS MESH_EDGE_LIST \n\nUsing Floyd Shortest Path\n", 0),
        0u);
}

// Separate triangles: every sampling distance is 1e9, every drop 0, and ties go to the
// last candidate.
TEST(MeshClassifier, EqualSamplingDistancesGiveFiftyPatches) {
    std::string obj;
    for (int t = 0; t < 60; ++t) {
        obj += "v " + std::to_string(3 * t) + " 0 0\nv " + std::to_string(3 * t + 1) + " 0 0\nv " +
               std::to_string(3 * t) + " 1 0\n";
        obj += "f " + std::to_string(3 * t + 1) + " " + std::to_string(3 * t + 2) + " " +
               std::to_string(3 * t + 3) + "\n";
    }
    Mesh m = mesh_from_obj(obj);
    Mesh_Classifier c;
    ConsoleCapture console;
    ASSERT_TRUE(classify_mesh(c, m));
    EXPECT_EQ(c.patch_count, 50);
    // The first representative: every sum is 0 (no path is left out), so the last face;
    // then the last of the faces at 1e9 each time: 58, 57, ..., 9 (the last is not
    // refined, the others have no candidate but themselves).
    EXPECT_EQ(c.representatives[0], 59);
    EXPECT_EQ(c.representatives[49], 10);
    EXPECT_EQ(c.representatives[50], 9);
}

TEST(MeshClassifier, NeighboursOfOneAndTwoPatches) {
    Mesh m;
    Mesh_Classifier c;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj");
    classify_quietly(c, m);
    ConsoleCapture console;
    c.find_neighbours(1);
    EXPECT_EQ(c.neighbours, (std::vector<std::array<int, 2>>{{0, 0}}));
    c.find_neighbours(2);
    EXPECT_EQ(c.neighbours, (std::vector<std::array<int, 2>>{{1, 0}, {0, 0}}));
}

TEST(MeshClassifier, ClusteringAConvergedSetTakesOnePass) {
    Mesh m;
    Mesh_Classifier c;
    LOAD_REAL_MESH_OR_SKIP(m, "suzanne.obj");
    classify_quietly(c, m);
    ConsoleCapture console;
    ASSERT_TRUE(c.recluster(6));
    std::vector<int> reps = c.representatives;
    Mesh before = m.clone();
    for (int f = 0; f < m.nf; ++f) m.faceptrs[f]->colour = Vector(0, 0, 0);
    c.cluster_patches(6);
    EXPECT_EQ(c.representatives, reps);
    expect_same_colours(m, before, "second clustering");
}

TEST(MeshClassifier, NumberOfPatchesNeedsAClassificationAndARange) {
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj");
    Mesh_Classifier c;
    c.attach(m);
    {
        ConsoleCapture console;
        EXPECT_FALSE(c.recluster(3));
        EXPECT_EQ(console.text(),
                  "Number of patches 3 ignored: the mesh has not been classified\n");
    }
    {
        ConsoleCapture console;
        ASSERT_TRUE(classify_mesh(c, m));
    }
    Mesh before = m.clone();
    for (int k : {0, 52, -1}) {
        ConsoleCapture console;
        EXPECT_FALSE(c.recluster(k));
        EXPECT_EQ(console.text(), "Number of patches " + std::to_string(k) +
                                      " ignored: it must lie between 1 and 51\n");
    }
    expect_same_colours(m, before, "refused");
    // Faces replaced by another tool: the table no longer fits.
    Mesh other;
    load_real_mesh(other, "cube_quads_groups.obj");
    c.attach(other);
    ConsoleCapture console;
    EXPECT_FALSE(c.recluster(3));
    EXPECT_NE(console.text().find("changed since its classification"), std::string::npos);
}

TEST(MeshClassifier, RefusedClassificationsLeaveTheMesh) {
    Mesh points = mesh_from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    Mesh_Classifier c;
    {
        ConsoleCapture console;
        IoResult r = classify_mesh(c, points);
        EXPECT_FALSE(r);
        EXPECT_NE(r.error.find("no faces"), std::string::npos);
    }
    // 66,248 faces: more table entries than 32-bit indices reach.
    std::string obj;
    const int side = 183;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            obj += "v " + std::to_string(x) + " " + std::to_string(y) + " 0\n";
    for (int y = 0; y + 1 < side; ++y)
        for (int x = 0; x + 1 < side; ++x) {
            int v = y * side + x + 1;
            obj += "f " + std::to_string(v) + " " + std::to_string(v + 1) + " " +
                   std::to_string(v + side + 1) + " " + std::to_string(v + side) + "\n";
        }
    Mesh big = mesh_from_obj(obj);
    ASSERT_EQ(big.nf, 2 * 182 * 182);
    ConsoleCapture console;
    IoResult r = classify_mesh(c, big);
    EXPECT_FALSE(r);
    // What it would need, what fits and what to do instead.
    EXPECT_EQ(r.error.find("ERROR: the mesh has 66,248 faces: its shortest path table would "
                           "need 8.78 GB, and "),
              0u)
        << r.error;
    EXPECT_NE(r.error.find(" faces fit in a table here; classify a simplified copy with --proxy"),
              std::string::npos)
        << r.error;
    EXPECT_NE(console.text().find("Reached INT_MAX!!!\n"), std::string::npos);
    for (const Face& f : big.faces) ASSERT_EQ(f.colour, Vector(0.75f, 0.75f, 1.0f));
    EXPECT_TRUE(c.representatives.empty());
}

TEST(MeshClassifier, LoadedTableIsUsedAsItStands) {
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, "suzanne.obj");
    Mesh_Classifier built;
    TempDir dir;
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(classify_mesh(built, m));
        ASSERT_TRUE(built.save(dir.file("s.spt")));
    }
    Mesh again;
    load_real_mesh(again, "suzanne.obj");
    Mesh_Classifier loaded;
    loaded.attach(again);
    {
        ConsoleCapture quiet;
        ASSERT_TRUE(loaded.load(dir.file("s.spt")));
    }
    ConsoleCapture console;
    ASSERT_TRUE(classify_mesh(loaded, again));
    EXPECT_EQ(console.text().find("Using Floyd"), std::string::npos);
    EXPECT_EQ(console.text().find("Building Centroids"), std::string::npos);
    EXPECT_EQ(loaded.representatives, built.representatives);
    expect_same_colours(again, m, "loaded table");
    EXPECT_EQ(loaded.rebuild_flag, 0);

    // A mesh of another face count cannot use it: the table is built anew.
    Mesh cube;
    load_real_mesh(cube, "cube_quads_groups.obj");
    ConsoleCapture second;
    ASSERT_TRUE(classify_mesh(loaded, cube));
    EXPECT_NE(second.text().find("The shortest path table holds 968 faces, the mesh 12: building "
                                 "it anew\nUsing Floyd Shortest Path\n"),
              std::string::npos);
}

TEST(MeshClassifier, ResetKeepsTheSettingsAndTable) {
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj");
    Mesh_Classifier c;
    c.sp_mode = SpMode::Dijkstra;
    c.weight = 0.2;
    ConsoleCapture console;
    ASSERT_TRUE(classify_mesh(c, m));
    EXPECT_NE(console.text().find("Using Dijkstra Shortest Path\n"), std::string::npos);
    c.rebuild_flag = 0;
    c.select_patch(0);
    c.reset();
    EXPECT_TRUE(c.representatives.empty() && c.memberships.empty() && c.patch_colours.empty());
    EXPECT_EQ(c.patch_count, 0);
    EXPECT_EQ(c.candidate_count, 0);
    EXPECT_EQ(c.rebuild_flag, 1);
    EXPECT_EQ(c.weight, 0.2); // the panel's, which it still shows
    EXPECT_EQ(c.current_patch, -1);
    EXPECT_EQ(c.sp_mode, SpMode::Dijkstra);
    EXPECT_EQ(c.table.n, m.nf);
    EXPECT_TRUE(c.drawn_representatives().empty());
}

TEST(MeshClassifier, CurrentPatchMarksItsFacesAboveTheThreshold) {
    Mesh m;
    Mesh_Classifier c;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj"); // one piece: memberships vary
    classify_quietly(c, m);
    ConsoleCapture console;
    ASSERT_TRUE(c.recluster(5));
    EXPECT_EQ(c.current_patch, -1);
    auto marked = [&] {
        std::vector<int> faces;
        for (int f = 0; f < m.nf; ++f)
            if (m.faces[f].marked) faces.push_back(f);
        return faces;
    };
    EXPECT_TRUE(marked().empty());
    ASSERT_TRUE(c.select_patch(2));
    std::vector<int> loose = marked();
    for (int f = 0; f < m.nf; ++f)
        EXPECT_EQ(m.faces[f].marked, c.memberships[2][f] >= 0.01f ? 1 : 0);
    EXPECT_EQ(m.faces[c.representatives[2]].marked, 1);
    c.set_patch_threshold(60);
    std::vector<int> strict = marked();
    EXPECT_LT(strict.size(), loose.size());
    for (int f : strict) EXPECT_GE(c.memberships[2][f], 0.6f);
    EXPECT_FALSE(c.select_patch(5));
    EXPECT_EQ(c.current_patch, 2);
    EXPECT_EQ(marked(), strict);
    c.set_patch_threshold(500);
    EXPECT_EQ(c.patch_threshold, 100);
    // Fewer patches than the current one's number: no current patch, no marks.
    ASSERT_TRUE(c.recluster(2));
    EXPECT_EQ(c.current_patch, -1);
    EXPECT_TRUE(marked().empty());
}

TEST(MeshClassifier, MarkCurrentMakesTheCurrentPatchASegment) {
    Mesh m;
    Mesh_Classifier c;
    LOAD_REAL_MESH_OR_SKIP(m, "suzanne.obj");
    classify_quietly(c, m);
    ConsoleCapture console;
    EdgeTraversal traversal;
    EXPECT_EQ(mark_current_patch(c, traversal), -1); // no patch chosen
    EXPECT_EQ(traversal.region_counter, 0);
    EXPECT_NE(console.text().find("Mark Current ignored"), std::string::npos);

    ASSERT_TRUE(c.recluster(5));
    ASSERT_TRUE(c.select_patch(3));
    c.set_patch_threshold(30);
    std::vector<int> patch;
    for (int f = 0; f < m.nf; ++f)
        if (m.faces[f].marked) patch.push_back(f);
    m.faces[patch[0]].marked = 0; // marks made by hand are not what the patch holds
    EXPECT_EQ(mark_current_patch(c, traversal), int(patch.size()));
    EXPECT_EQ(traversal.region_counter, 1);
    EXPECT_EQ(c.current_patch, -1);
    std::vector<int> segment;
    for (int f = 0; f < m.nf; ++f) {
        EXPECT_EQ(m.faces[f].marked, 0);
        if (m.faces[f].segment == 1) segment.push_back(f);
    }
    EXPECT_EQ(segment, patch);
    for (int f : segment) EXPECT_EQ(m.faces[f].colour, m.faces[segment[0]].colour);
}

TEST(MeshClassifier, DrawnRepresentativesAreThoseOfThePatchesInUse) {
    Mesh m;
    Mesh_Classifier c;
    LOAD_REAL_MESH_OR_SKIP(m, "spot_control_mesh.obj");
    classify_quietly(c, m);
    ConsoleCapture console;
    ASSERT_TRUE(c.recluster(4));
    EXPECT_EQ(c.drawn_representatives(),
              std::vector<int>(c.representatives.begin(), c.representatives.begin() + 4));
    Mesh cube;
    load_real_mesh(cube, "cube_quads_groups.obj");
    c.attach(cube); // faces replaced: representatives beyond them are not drawn
    for (int f : c.drawn_representatives()) EXPECT_LT(f, cube.nf);
}

} // namespace
