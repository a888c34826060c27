// The shortest path table: its packing, its allocation report and limits, the adjacency
// weights, the all-pairs step against Floyd-Warshall and a plain Dijkstra, and the .spt
// file.
#include "classifier_meshes.h"
#include "core/text_file.h"
#include "segmentation/face_graph.h"
#include "segmentation/mesh_classifier.h"
#include "segmentation/step_table.h"
#include "tests/reference/classifier_reference.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// The table of a mesh as a classification builds it, console silenced.
void build_table(Mesh& m, Mesh_Classifier& c, double weight = 0.5, SpMode mode = SpMode::Floyd) {
    ConsoleCapture quiet;
    m.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
    c.attach(m);
    c.weight = weight;
    ASSERT_TRUE(c.table.allocate(m.nf));
    c.build_centroids();
    c.build_distances();
    c.table.compute_all_pairs(mode);
}

// The same weights, set in the same order, in the table as first written.
reference::SpTable reference_table(const ShortestPathTable& t, SpMode mode) {
    reference::SpTable r;
    r.allocate(t.n);
    for (const auto& w : t.weight_list()) r.set_weight(w.a, w.b, w.w);
    if (mode == SpMode::Floyd)
        r.floyd();
    else
        r.dijkstra();
    return r;
}

// Every entry, spare ones included, bit for bit.
void expect_same_entries(const ShortestPathTable& t, const reference::SpTable& r,
                         const std::string& what) {
    ASSERT_EQ(t.entry_count, r.entries) << what;
    for (long long i = 0; i < r.entries; ++i)
        ASSERT_EQ(std::bit_cast<uint32_t>(t.data()[i]), std::bit_cast<uint32_t>(r.distances[i]))
            << what << ": entry " << i << " " << t.data()[i] << " vs " << r.distances[i];
}

TEST(ShortestPathTable, EntryCountsOffsetsAndSymmetricIndex) {
    const long long counts[] = {0, 1, 4, 7, 12};
    for (int n = 0; n <= 4; ++n) EXPECT_EQ(ShortestPathTable::entry_count_for(n), counts[n]);
    EXPECT_EQ(ShortestPathTable::entry_count_for(65535), 2147483647LL);
    EXPECT_EQ(ShortestPathTable::entry_count_for(65536), 2147549184LL);

    ShortestPathTable t;
    ConsoleCapture quiet;
    ASSERT_TRUE(t.allocate(5));
    EXPECT_EQ(t.offsets, (std::vector<std::int64_t>{0, 1, 3, 6, 10}));
    EXPECT_EQ(t.index(3, 1), 7);
    EXPECT_EQ(t.index(1, 3), 7);
    EXPECT_EQ(t.index(4, 4), 14);
    for (long long i = 0; i < t.entry_count; ++i) EXPECT_EQ(t.data()[i], 0.0f);
}

TEST(ShortestPathTable, AllocationReportIsTheSameMaximumForEveryMesh) {
    for (int n : {0, 1, 100, 12946}) {
        ShortestPathTable t;
        ConsoleCapture console;
        ASSERT_TRUE(t.allocate(n));
        long long entries = ShortestPathTable::entry_count_for(n);
        char expected[200];
        std::snprintf(expected, sizeof expected,
                      "MAX mesh triangles: 14021\nAllocating: %.2fMB\nSize: %lld\n",
                      double(entries) * 12 / 1048576, entries);
        EXPECT_EQ(console.text(), expected);
        EXPECT_EQ(t.n, n);
        EXPECT_EQ(t.entry_count, entries);
    }
    ShortestPathTable t;
    ConsoleCapture console;
    t.allocate(100);
    EXPECT_NE(console.text().find("Allocating: 0.06MB\nSize: 5100\n"), std::string::npos);
}

TEST(ShortestPathTable, TooLargeToAddressIsRefusedAndKeepsTheTable) {
    ShortestPathTable t;
    ConsoleCapture console;
    ASSERT_TRUE(t.allocate(3));
    t.data()[2] = 5;
    IoResult r = t.allocate(65536, "big.obj");
    EXPECT_FALSE(r);
    // The most faces that fit, rounded down to three digits, with commas.
    const int most = ShortestPathTable::max_faces_here();
    EXPECT_LE(ShortestPathTable::entry_count_for(most), ShortestPathTable::max_entries);
    EXPECT_LE(most, 65535);
    int step = 1;
    while (most / step >= 1000) step *= 10;
    const std::string digits = std::to_string(most / step * step);
    std::string about;
    for (size_t i = 0; i < digits.size(); ++i)
        about += ((digits.size() - i) % 3 == 0 && i > 0 ? "," : "") + digits.substr(i, 1);
    EXPECT_EQ(r.error, "ERROR: big.obj has 65,536 faces: its shortest path table would need "
                       "8.59 GB, and at most about " +
                           about +
                           " faces fit in a table here; classify a simplified copy with "
                           "--proxy (the Classify page's \"Classify a simplified copy\")");
    EXPECT_NE(console.text().find("Size: 2147549184\nReached INT_MAX!!!\n"), std::string::npos);
    EXPECT_EQ(t.n, 3);
    EXPECT_EQ(t.data()[2], 5);
}

TEST(ShortestPathTable, LastWeightSetForAPairCounts) {
    ShortestPathTable t;
    ConsoleCapture quiet;
    t.allocate(4);
    t.set_weight(0, 1, 0.5f);
    t.set_weight(1, 0, 0); // the pair is no longer adjacent
    t.set_weight(2, 1, 0);
    t.set_weight(1, 2, 2); // ... this one is
    t.set_weight(3, 3, 1); // a face with itself is no adjacency
    EXPECT_EQ(t.edge_weight(1, 0), 0);
    EXPECT_EQ(t.edge_weight(2, 1), 2);
    t.compute_all_pairs(SpMode::Floyd);
    EXPECT_EQ(t.distance(0, 1), no_path);
    EXPECT_EQ(t.distance(1, 2), 1);
    EXPECT_EQ(t.distance(3, 3), 0);
    EXPECT_EQ(t.distance(0, 0), 0);
    FaceGraph g = face_graph(4, t.weight_list());
    EXPECT_EQ(g.neighbour, (std::vector<int>{2, 1}));
}

TEST(ShortestPathTable, StepCountsAreFloydWarshallOnRandomMeshes) {
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        Mesh m = round % 2 ? mesh_from_obj(random_soup_obj(rng, 6 + round, 10 + 4 * round))
                           : mesh_from_obj(random_grid_obj(rng, 3 + round % 7, 2 + round % 5,
                                                           0.05 * (round % 6)));
        double weight = std::array{0.0, 0.5, 1.0, 0.37}[round % 4];
        Mesh_Classifier c;
        build_table(m, c, weight);
        expect_same_entries(c.table, reference_table(c.table, SpMode::Floyd),
                            "mesh " + std::to_string(round));
    }
}

TEST(ShortestPathTable, StepCountsAreFloydWarshallOnRandomWeights) {
    std::mt19937 rng(5);
    for (int round = 0; round < 60; ++round) {
        int n = 1 + round * 3;
        ShortestPathTable t;
        {
            ConsoleCapture quiet;
            t.allocate(n);
        }
        std::uniform_int_distribution<int> face(0, n - 1);
        std::uniform_int_distribution<int> kind(0, 5);
        for (int s = 0; s < n * (1 + round % 3); ++s) {
            int k = kind(rng);
            float w = k == 0 ? 0.0f : k == 1 ? NAN : float(k) * 0.25f;
            t.set_weight(face(rng), face(rng), w);
        }
        t.compute_all_pairs(SpMode::Floyd);
        expect_same_entries(t, reference_table(t, SpMode::Floyd), "n " + std::to_string(n));
    }
}

TEST(ShortestPathTable, LightestPathsAreAPlainDijkstra) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        Mesh m = round % 2 ? mesh_from_obj(random_soup_obj(rng, 8 + round, 12 + 3 * round))
                           : mesh_from_obj(random_grid_obj(rng, 2 + round % 8, 2 + round % 6,
                                                           0.04 * (round % 5)));
        Mesh_Classifier c;
        build_table(m, c, std::array{0.5, 0.0, 1.0, 0.2}[round % 4], SpMode::Dijkstra);
        expect_same_entries(c.table, reference_table(c.table, SpMode::Dijkstra),
                            "mesh " + std::to_string(round));
    }
    // Weights of every size, equal sums along different paths, zero and NaN weights.
    for (int round = 0; round < 30; ++round) {
        int n = 2 + round * 4;
        ShortestPathTable t;
        {
            ConsoleCapture quiet;
            t.allocate(n);
        }
        std::uniform_int_distribution<int> face(0, n - 1);
        std::uniform_real_distribution<float> any(0, 3);
        std::uniform_int_distribution<int> kind(0, 9);
        for (int s = 0; s < 2 * n; ++s) {
            int k = kind(rng);
            float w = k == 0 ? 0.0f : k == 1 ? NAN : k < 5 ? float(k) * 0.1f : any(rng);
            t.set_weight(face(rng), face(rng), w);
        }
        t.compute_all_pairs(SpMode::Dijkstra);
        expect_same_entries(t, reference_table(t, SpMode::Dijkstra), "n " + std::to_string(n));
    }
}

// The byte copy of a table exists for step counts of at most 254 (and 1e9) only, and
// gives their sums over a patch exactly.
TEST(ShortestPathTable, StepCopiesHoldSmallStepCountsOnly) {
    std::mt19937 rng(3);
    Mesh m = mesh_from_obj(random_grid_obj(rng, 12, 9, 0.1));
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        Mesh_Classifier c;
        build_table(m, c, 0.5, mode);
        StepTable steps;
        const StepTable* copy = steps.of(c.table);
        ASSERT_EQ(copy != nullptr, mode == SpMode::Floyd);
        if (!copy) continue;
        std::vector<std::uint8_t> patch(size_t(m.nf));
        for (int f = 0; f < m.nf; ++f) patch[f] = std::uint8_t(f % 3);
        std::vector<float> sums(size_t(m.nf));
        same_patch_step_sums(*copy, patch, sums.data());
        for (int f = 0; f < m.nf; ++f) {
            float plain = 0;
            for (int x = 0; x < m.nf; ++x) {
                float d = c.table.distance(f, x);
                if (x != f && patch[x] == patch[f] && d != no_path) plain += d;
            }
            ASSERT_EQ(sums[f], plain) << f;
        }
        // A distance of 255 steps, or one that is no whole number, leaves no copy.
        for (float odd : {255.0f, 2.5f}) {
            c.table.data()[c.table.index(3, 1)] = odd;
            c.table.distances_changed();
            EXPECT_EQ(steps.of(c.table), nullptr) << odd;
        }
    }
}

TEST(ShortestPathTable, PiecesStayApart) {
    Mesh m = mesh_from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                           "v 5 0 0\nv 6 0 0\nv 5 1 0\nv 6 1 0\n"
                           "f 1 2 3\nf 2 4 3\nf 5 6 7\nf 6 8 7\n");
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        Mesh_Classifier c;
        build_table(m, c, 0.5, mode);
        EXPECT_EQ(c.table.distance(0, 2), no_path);
        EXPECT_EQ(c.table.distance(3, 1), no_path);
        EXPECT_EQ(c.table.distance(2, 3), mode == SpMode::Floyd ? 1 : c.table.edge_weight(2, 3));
        EXPECT_EQ(c.table.distance(1, 1), 0);
    }
}

// A cube: the faces of a side lie flat (angular term 0.05), those across a crease at
// right angles (term 0): with delta = 0 only a side's two triangles are adjacent.
TEST(ShortestPathTable, CubeCreasesWithoutCentroidDistanceAreNoAdjacency) {
    Mesh cube = mesh_from_obj("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                              "v 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
                              "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n");
    ASSERT_EQ(cube.nf, 12);
    Mesh_Classifier c;
    build_table(cube, c, 0.0);
    int adjacent = 0;
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < a; ++b) {
            float d = c.table.distance(a, b);
            EXPECT_TRUE(d == 1 || d == no_path) << a << " " << b;
            adjacent += d == 1;
            if (d == 1) {
                EXPECT_EQ(a / 2, b / 2); // the two triangles of one side
            }
        }
    EXPECT_EQ(adjacent, 6);
    EXPECT_FLOAT_EQ(c.average_angular_distance, 0.05f * 6 / 18);

    Mesh_Classifier blended;
    build_table(cube, blended, 0.5);
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b <= a; ++b) EXPECT_LT(blended.table.distance(a, b), 12) << a << " " << b;
}

// Every face shares one normal: every interior edge gets angular term 0.05 and a weight
// other than 0 for any delta, so the table holds plain step counts.
TEST(ShortestPathTable, FlatMeshHoldsStepCountsForAnyWeight) {
    std::mt19937 rng(3);
    Mesh m = mesh_from_obj(random_grid_obj(rng, 5, 4, 0, 0));
    Mesh_Classifier steps;
    build_table(m, steps);
    for (double weight : {0.0, 0.3, 1.0}) {
        Mesh_Classifier c;
        build_table(m, c, weight);
        float sum = 0;
        for (const auto& w : c.table.weight_list()) {
            EXPECT_NE(w.w, 0);
            sum += 0.05f;
        }
        EXPECT_EQ(c.average_angular_distance, sum / float(m.nedges));
        for (long long i = 0; i < c.table.entry_count; ++i)
            ASSERT_EQ(c.table.data()[i], steps.table.data()[i]);
    }
    for (int a = 0; a < m.nf; ++a)
        for (int b = 0; b <= a; ++b) {
            float d = steps.table.distance(a, b);
            EXPECT_TRUE(d == std::floor(d) && d < float(m.nf)) << a << " " << b;
        }
}

// Real meshes have cosines just above 1 between flat neighbours; clamped, they give
// angle 0, not NaN.
TEST(ShortestPathTable, CosinesAboveOneGiveFiniteWeights) {
    Mesh cow;
    LOAD_REAL_MESH_OR_SKIP(cow, "cow.obj");
    Mesh_Classifier c;
    {
        ConsoleCapture quiet;
        cow.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        c.attach(cow);
        c.build_centroids();
        c.build_distances();
    }
    int above = 0;
    for (const auto& e : cow.edgefaces)
        if (e[1] != -1) above += cow.faces[e[0]].normal.dot(cow.faces[e[1]].normal) > 1;
    EXPECT_GT(above, 0);
    for (const auto& w : c.table.weight_list()) ASSERT_TRUE(std::isfinite(w.w));
    EXPECT_TRUE(std::isfinite(c.average_angular_distance));
}

std::string file_bytes(const std::string& path) {
    std::string s;
    EXPECT_TRUE(read_file(path, s));
    return s;
}

TEST(SptFile, RoundTripIsBitForBitInBothModes) {
    std::mt19937 rng(2);
    Mesh m = mesh_from_obj(random_grid_obj(rng, 6, 5, 0.1));
    TempDir dir;
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        Mesh_Classifier c;
        c.sp_mode = mode;
        build_table(m, c, 0.5, mode);
        std::string path = dir.file("table.spt");
        ConsoleCapture console;
        ASSERT_TRUE(c.save(path));
        EXPECT_EQ(std::filesystem::file_size(path), size_t(4 * c.table.entry_count));
        std::string bytes = file_bytes(path);
        EXPECT_EQ(std::memcmp(bytes.data(), c.table.data(), bytes.size()), 0);

        Mesh_Classifier loaded;
        loaded.sp_mode = mode;
        loaded.attach(m);
        ASSERT_TRUE(loaded.load(path));
        EXPECT_EQ(loaded.rebuild_flag, 0);
        ASSERT_EQ(loaded.table.entry_count, c.table.entry_count);
        EXPECT_EQ(std::memcmp(loaded.table.data(), c.table.data(), bytes.size()), 0);
        double mb = double(c.table.entry_count) * 4 / 1048576;
        char size_line[64];
        std::snprintf(size_line, sizeof size_line, "Table size: %.2fMB\n", mb);
        EXPECT_EQ(console.text().substr(0, 27 + std::strlen(size_line)),
                  std::string("Saving Shortest Path Table\n") + size_line);
        EXPECT_NE(console.text().find("Loading Shortest Path Table\nMAX mesh triangles: 14021\n"),
                  std::string::npos);
    }
}

TEST(SptFile, WrongSizeOrNoFileChangesNothing) {
    std::mt19937 rng(4);
    Mesh m = mesh_from_obj(random_grid_obj(rng, 3, 3, 0));
    Mesh_Classifier c;
    build_table(m, c);
    c.rebuild_flag = 1;
    std::vector<float> before(c.table.data(), c.table.data() + c.table.entry_count);
    TempDir dir;
    long long expected = 4 * c.table.entry_count;
    for (long long size : {0LL, expected - 4, expected + 1, expected * 2}) {
        std::string path = dir.file("wrong.spt");
        std::ofstream(path, std::ios::binary) << std::string(size_t(size), '\x01');
        ConsoleCapture console;
        IoResult r = c.load(path);
        EXPECT_FALSE(r);
        EXPECT_NE(r.error.find("holds " + std::to_string(size) + " bytes"), std::string::npos)
            << r.error;
        EXPECT_NE(r.error.find("has " + std::to_string(expected) + " bytes"), std::string::npos)
            << r.error;
        EXPECT_EQ(console.text(), "Loading Shortest Path Table\n");
        EXPECT_EQ(c.rebuild_flag, 1);
        EXPECT_EQ(std::vector<float>(c.table.data(), c.table.data() + c.table.entry_count), before);
    }
    for (std::string path : {dir.file("absent.spt"), dir.path.string()}) {
        ConsoleCapture console;
        IoResult r = c.load(path);
        EXPECT_FALSE(r);
        EXPECT_TRUE(r.unopened);
        EXPECT_EQ(console.text(), "Loading Shortest Path Table\n"
                                  "ERROR: could not open file... [Mesh_Classifier::load()]\n");
        EXPECT_EQ(c.rebuild_flag, 1);
        EXPECT_EQ(c.table.n, m.nf);
    }
}

TEST(SptFile, SaveReplacesWholeFilesOnlyAndNeedsTheMeshsTable) {
    std::mt19937 rng(6);
    Mesh m = mesh_from_obj(random_grid_obj(rng, 2, 2, 0));
    TempDir dir;
    std::string path = dir.file("t.spt");
    std::ofstream(path) << "old";

    Mesh_Classifier none, c;
    none.attach(m);
    build_table(m, c);
    ConsoleCapture console;
    IoResult r = none.save(path);
    EXPECT_FALSE(r);
    EXPECT_EQ(file_bytes(path), "old");
    EXPECT_EQ(console.text(), "Saving Shortest Path Table\n"); // no size of nothing written

    r = c.save(dir.file("no/such/folder/t.spt"));
    EXPECT_FALSE(r);
    EXPECT_NE(console.text().find("ERROR: could not open file... [Mesh_Classifier::save()]\n"),
              std::string::npos);
    ASSERT_TRUE(c.save(path));
    EXPECT_EQ(file_bytes(path).size(), size_t(4 * c.table.entry_count));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        EXPECT_EQ(entry.path().filename(), "t.spt"); // no temporary file left

    // A mesh without faces has an empty table and an empty file.
    Mesh points = mesh_from_obj("v 0 0 0\nv 1 0 0\n");
    Mesh_Classifier empty;
    empty.attach(points);
    ASSERT_TRUE(empty.save(path));
    EXPECT_EQ(file_bytes(path), "");
    ASSERT_TRUE(empty.load(path));
    EXPECT_EQ(empty.rebuild_flag, 0);
}

TEST(SptFile, SpareEntriesAreWrittenAsZero) {
    Mesh m = mesh_from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 2 4 3\nf 1 3 4\n");
    Mesh_Classifier c;
    build_table(m, c);
    ASSERT_EQ(c.table.entry_count, 7);
    TempDir dir;
    ConsoleCapture quiet;
    ASSERT_TRUE(c.save(dir.file("t.spt")));
    std::string bytes = file_bytes(dir.file("t.spt"));
    ASSERT_EQ(bytes.size(), 28u);
    float last;
    std::memcpy(&last, bytes.data() + 24, 4);
    EXPECT_EQ(std::bit_cast<uint32_t>(last), 0u);
}

} // namespace
