// The normal filters: mean shift, sphere jump and the median filter, their console
// lines and stepped state, the weight curve, and the fast region search against the
// filters as first written.
#include "core/vostrel.h"
#include "segmentation/mean_shift.h"
#include "test_util.h"
#include "tests/reference/mean_shift_reference.h"
#include "tests/same_bits.h"

#include <cstring>
#include <random>

namespace {

// A mesh of separate triangles, each given by its three corners, built as a file is.
Mesh triangles(const std::vector<std::array<Vector, 3>>& corners) {
    std::string obj;
    for (const auto& t : corners)
        for (const Vector& p : t)
            obj += "v " + std::to_string(p.x) + " " + std::to_string(p.y) + " " +
                   std::to_string(p.z) + "\n";
    for (size_t i = 0; i < corners.size(); ++i)
        obj += "f " + std::to_string(3 * i + 1) + " " + std::to_string(3 * i + 2) + " " +
               std::to_string(3 * i + 3) + "\n";
    Mesh m;
    EXPECT_TRUE(bool(load_obj_string(m, obj)));
    ConsoleCapture quiet;
    build_loaded_mesh(m);
    return m;
}

// A small triangle around p, facing +z.
std::array<Vector, 3> small_triangle(const Vector& p) {
    return {Vector(p.x, p.y, p.z), Vector(p.x + 0.1f, p.y, p.z), Vector(p.x, p.y + 0.1f, p.z)};
}

// Three triangles far apart.
Mesh three_apart() {
    return triangles(
        {small_triangle({0, 0, 0}), small_triangle({10, 0, 0}), small_triangle({0, 10, 0})});
}

// A square grid of n x n quads, each split in two, slightly curved so that normals vary.
Mesh grid(int n, float bend = 0.3f) {
    std::string obj;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) {
            float x = float(j) / n, y = float(i) / n;
            obj += "v " + std::to_string(x) + " " + std::to_string(y) + " " +
                   std::to_string(bend * x * x - 0.2f * y * x) + "\n";
        }
    auto v = [n](int i, int j) { return std::to_string(i * (n + 1) + j + 1); };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            obj += "f " + v(i, j) + " " + v(i, j + 1) + " " + v(i + 1, j + 1) + "\nf " + v(i, j) +
                   " " + v(i + 1, j + 1) + " " + v(i + 1, j) + "\n";
    Mesh m;
    EXPECT_TRUE(bool(load_obj_string(m, obj)));
    ConsoleCapture quiet;
    build_loaded_mesh(m);
    return m;
}

std::vector<Vector> face_normals(const Mesh& m) {
    std::vector<Vector> normals;
    for (const Face& f : m.faces) normals.push_back(f.normal);
    return normals;
}

void set_face_normals(Mesh& m, const std::vector<Vector>& normals) {
    for (int i = 0; i < m.nf; ++i) m.faces[i].normal = normals[i];
}

void expect_same_normals(const std::vector<Vector>& a, const std::vector<Vector>& b,
                         const std::string& what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    int differing = 0, first = -1;
    for (size_t i = 0; i < a.size(); ++i)
        if (!same_bits(a[i], b[i])) {
            if (first < 0) first = int(i);
            ++differing;
        }
    EXPECT_EQ(differing, 0) << what << ": first at face " << first;
}

// A weight curve of 101 points falling from full weight at the centre to none at s.
std::vector<Vector> falling_curve(int height) {
    std::vector<Vector> curve;
    for (int k = 0; k <= 100; ++k) curve.push_back(Vector(float(k), float(height) * k / 100));
    return curve;
}

void expect_same_state(const MeanShift& fast, const ReferenceMeanShift& reference,
                       const std::string& what) {
    EXPECT_EQ(fast.regions.size(), reference.regions.size()) << what;
    EXPECT_EQ(fast.processed, reference.processed) << what;
    EXPECT_EQ(fast.needs_reset, reference.needs_reset == 1) << what;
    EXPECT_EQ(fast.growing, reference.growing == 1) << what;
    EXPECT_TRUE(same_bits(fast.centre, reference.centre)) << what;
    if (!fast.needs_reset) {
        std::vector<int> remaining(reference.remaining_faces.begin(),
                                   reference.remaining_faces.end());
        EXPECT_EQ(fast.remaining_faces.faces(), remaining) << what;
    }
    EXPECT_EQ(fast.progress_ticks, reference.ticks) << what;
}

} // namespace

TEST(MeanShiftRadius, PanelValueScalesWithExtent) {
    Vector r = filter_radius(Vector(50, 0, 0, 1), 2.0f);
    EXPECT_EQ(r.x, 0.5f);
    EXPECT_EQ(r.y, 0.5f);
    EXPECT_EQ(r.z, 0.5f);
    EXPECT_EQ(r.w, 50.0f);
    EXPECT_EQ(filter_radius(Vector(100, 7, 9, 1), 3.0f).x, 1.5f); // y and z are not used
    EXPECT_EQ(filter_radius(Vector(0, 1, 1, 1), 3.0f), Vector(0, 0, 0));
}

TEST(MeanShiftFilters, ZeroRadiusDoesNothing) {
    Mesh m = three_apart();
    std::vector<Vector> before = face_normals(m);
    MeanShift filter(m);
    ConsoleCapture console;
    EXPECT_FALSE(filter.evaluate(Vector(0, 0, 0, 7), CallKind::Run, FilterMode::SphereJump));
    EXPECT_FALSE(filter.step(Vector(0, 0, 0, 1)));
    EXPECT_EQ(console.text(), "Step\n");
    EXPECT_EQ(filter.mode, FilterMode::MeanShift); // the mode changes only when a filter runs
    expect_same_normals(face_normals(m), before, "zero radius");
}

TEST(MeanShiftFilters, EmptyMeshPrintsTheHeadersOnly) {
    Mesh m;
    MeanShift filter(m);
    ConsoleCapture console;
    EXPECT_TRUE(filter.evaluate(Vector(1, 1, 1, 50), CallKind::Run, FilterMode::MeanShift));
    EXPECT_TRUE(filter.evaluate(Vector(1, 1, 1, 50), CallKind::Step, FilterMode::SphereJump));
    EXPECT_EQ(console.text(), "Evaluating MEAN_SHIFT: \nWEIGHT_MODE = 0\n"
                              "Evaluating SHPERE_JUMP: \nWEIGHT_MODE = 0\n");
    EXPECT_TRUE(filter.regions.empty());
}

// A sphere larger than the mesh: one region, every face the normalised sum of all.
TEST(MeanShiftFilters, SphereJumpLargerThanTheMesh) {
    Mesh m = grid(4);
    Vector sum = m.faces[0].normal;
    for (int i = 1; i < m.nf; ++i) sum += m.faces[i].normal;
    sum.normalise();
    MeanShift filter(m);
    ConsoleCapture console;
    filter.evaluate(filter_radius(Vector(100, 0, 0, 1), 4 * m.extent), CallKind::Run,
                    FilterMode::SphereJump);
    for (const Face& f : m.faces) EXPECT_TRUE(same_bits(f.normal, sum));
    EXPECT_EQ(filter.regions.size(), 1u);
    std::string text = console.text();
    EXPECT_EQ(text.rfind("Evaluating SHPERE_JUMP: \nWEIGHT_MODE = 0\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nData Size:\t\t32 \nMean Shift Radius:\t"), std::string::npos);
    EXPECT_NE(text.find(" \nNumber of Regions:\t1 \n"), std::string::npos) << text;
    EXPECT_TRUE(filter.needs_reset);
}

// A window that never moves beyond its seed: every face a region that keeps its normal.
TEST(MeanShiftFilters, TinyRadiusMakesOneRegionPerFace) {
    Mesh m = grid(5);
    std::vector<Vector> before = face_normals(m);
    MeanShift filter(m);
    ConsoleCapture console;
    filter.evaluate(Vector(1e-4f, 1e-4f, 1e-4f, 1), CallKind::Run, FilterMode::MeanShift);
    EXPECT_EQ(int(filter.regions.size()), m.nf);
    for (int i = 0; i < m.nf; ++i) {
        Vector n = before[i];
        n.normalise();
        EXPECT_TRUE(same_bits(m.faces[i].normal, n)) << i;
    }
    EXPECT_NE(console.text().find("Number of Regions:\t50 \n"), std::string::npos);
}

// Stepping: one region per pass here, the count line after each step, and the next run
// starting over once the last face has been taken.
TEST(MeanShiftFilters, SteppingThreeFacesFarApart) {
    Mesh m = three_apart();
    MeanShift filter(m);
    Vector r(1, 1, 1, 10);
    for (int step = 1; step <= 3; ++step) {
        ConsoleCapture console;
        EXPECT_TRUE(filter.evaluate(r, CallKind::Step, FilterMode::MeanShift));
        EXPECT_EQ(int(filter.regions.size()), step);
        EXPECT_EQ(filter.remaining_faces.size(), 3 - step);
        EXPECT_EQ(filter.needs_reset, step == 3);
        std::string text = console.text();
        EXPECT_NE(text.find("\nNumber of Regions:\t" + std::to_string(step) + " \n"),
                  std::string::npos)
            << text;
        // Three faces make a progress step of 0: only the first face prints a frame.
        EXPECT_EQ(text.find("\r\rProgress = [         ]") != std::string::npos, step == 1);
    }
    EXPECT_EQ(filter.centre, m.centroids[2]);
    ConsoleCapture console;
    filter.evaluate(r, CallKind::Run, FilterMode::MeanShift);
    EXPECT_EQ(filter.regions.size(), 3u);
}

// A stepped run is continued by a full run, of either region filter.
TEST(MeanShiftFilters, RunContinuesASteppedRun) {
    Mesh m = three_apart();
    MeanShift filter(m);
    ConsoleCapture console;
    filter.step(Vector(1, 1, 1, 10));
    EXPECT_EQ(filter.mode, FilterMode::MeanShift);
    filter.evaluate(Vector(1, 1, 1, 10), CallKind::Run, FilterMode::SphereJump);
    EXPECT_EQ(filter.regions.size(), 3u);
    EXPECT_TRUE(filter.needs_reset);
    EXPECT_EQ(filter.mode, FilterMode::SphereJump);
}

// Depth 0 and 1 give one ring: each face takes the average of its neighbours' normals.
TEST(MeanShiftFilters, MedianDepthZeroAndOneAverageTheNeighbours) {
    for (int depth : {0, 1}) {
        Mesh m = grid(3);
        Mesh expected = grid(3);
        MeanShift filter(m);
        ConsoleCapture console;
        filter.evaluate(Vector(1, 1, 1, float(depth) + 0.75f), CallKind::Run, FilterMode::Median);
        std::string text = console.text();
        EXPECT_EQ(text.rfind("Evaluating MEDIAN_FILTER: \ndepth: " + std::to_string(depth) +
                                 "\n\r\rProgress = [         ]",
                             0),
                  0u)
            << text;
        EXPECT_EQ(text.find("Data Size"), std::string::npos);
        EXPECT_EQ(text.substr(text.size() - 12), "[*********]\n"); // the bar's line ends
        for (int p = 0; p < 50; ++p)
            for (int i = 0; i < expected.nf; ++i) {
                Vector sum(0);
                int n = 0;
                for (const EdgeRef& r : expected.face_adjacency[i]) {
                    sum += expected.faces[expected.edgefaces[r.edge][r.end]].normal;
                    ++n;
                }
                sum /= float(n);
                expected.faces[i].normal = sum;
            }
        expect_same_normals(face_normals(m), face_normals(expected),
                            "depth " + std::to_string(depth));
    }
}

TEST(MeanShiftFilters, MedianKeepsTheNormalOfAFaceWithoutNeighbours) {
    Mesh m = three_apart();
    std::vector<Vector> before = face_normals(m);
    MeanShift filter(m);
    ConsoleCapture quiet;
    filter.evaluate(Vector(1, 1, 1, 3), CallKind::Run, FilterMode::Median);
    expect_same_normals(face_normals(m), before, "lone faces");
}

// A curve at the plot's height everywhere weighs every member but the seed at nothing.
TEST(MeanShiftWeights, CurveAtTheHeightLeavesTheSeedAlone) {
    Mesh m = grid(4);
    Vector seed = m.faces[0].normal;
    seed.normalise();
    MeanShift filter(m);
    ConsoleCapture console;
    EXPECT_TRUE(filter.set_weight_function(std::vector<Vector>(101, Vector(0, 120)), 120));
    filter.evaluate(Vector(10, 10, 10, 100), CallKind::Run, FilterMode::SphereJump);
    for (const Face& f : m.faces) EXPECT_TRUE(same_bits(f.normal, seed));
    EXPECT_NE(console.text().find("WEIGHT_MODE = 1\n"), std::string::npos);
}

// A curve too short to index, or without a height, is not used and changes nothing.
TEST(MeanShiftWeights, UnusableCurvesAreIgnored) {
    Mesh m = grid(2);
    MeanShift filter(m);
    {
        ConsoleCapture console;
        EXPECT_FALSE(filter.set_weight_function(std::vector<Vector>(100, Vector(0, 1)), 120));
        EXPECT_FALSE(filter.set_weight_function(falling_curve(120), 0));
        EXPECT_FALSE(filter.set_weight_function(falling_curve(120), -5));
        EXPECT_EQ(console.text(), "Weight curve ignored: 100 points, 101 needed\n"
                                  "Weight curve ignored: plot height 0\n"
                                  "Weight curve ignored: plot height -5\n");
        EXPECT_EQ(filter.weight_mode, 0);
    }
    ConsoleCapture quiet;
    EXPECT_TRUE(filter.set_weight_function(falling_curve(120), 120));
    EXPECT_FALSE(filter.set_weight_function({}, 120));
    EXPECT_EQ(filter.weight_mode, 1);
    EXPECT_EQ(filter.function_height, 120);
    EXPECT_EQ(filter.weight_function.size(), 101u);
}

// Geometry that is not finite gives distances the curve does not cover: those members
// weigh nothing, and nothing outside the curve is read.
TEST(MeanShiftWeights, DistancesOutsideTheCurveWeighNothing) {
    Mesh m = three_apart();
    m.vertices[3].x = INFINITY;
    m.build_centroids();
    MeanShift filter(m);
    ConsoleCapture quiet;
    filter.set_weight_function(falling_curve(10), 10);
    filter.radius = Vector(INFINITY, INFINITY, INFINITY, 1);
    Vector c = filter.contribution(1, m.centroids[0]);
    EXPECT_EQ(c.x, 0.0f);
    filter.evaluate(Vector(INFINITY, INFINITY, INFINITY, 1), CallKind::Run, FilterMode::SphereJump);
    EXPECT_EQ(filter.regions.size(), 1u);
}

TEST(MeanShiftProgress, TenFramesAndNeverMorePlacesThanTheBar) {
    auto frames_of = [](const std::string& text, int total) {
        size_t frames = 0;
        for (size_t at = text.find("\r\rProgress = ["); at != std::string::npos;
             at = text.find("\r\rProgress = [", at + 1)) {
            ++frames;
            EXPECT_EQ(text.find(']', at) - at - 14, 9u) << total;
        }
        return frames;
    };
    for (int total : {1, 3, 9, 10, 14, 15, 50, 101, 1000}) {
        Mesh m;
        MeanShift filter(m);
        ConsoleCapture console;
        for (int done = 0; done < total; ++done) filter.print_progress(done, total);
        size_t frames = frames_of(console.text(), total);
        if (total % 10 == 0) {
            EXPECT_EQ(frames, 10u) << total;
        }
        // Counting on past the total, as a stepped run continued by another does, keeps
        // the bar's width.
        for (int done = total; done < 3 * total; ++done) filter.print_progress(done, total);
        frames_of(console.text(), total);
    }
    Mesh m;
    MeanShift filter(m);
    ConsoleCapture console;
    for (int done = 0; done < 50; ++done) filter.print_progress(done, 50);
    EXPECT_EQ(console.text(), "\r\rProgress = [         ]\r\rProgress = [*        ]"
                              "\r\rProgress = [**       ]\r\rProgress = [***      ]"
                              "\r\rProgress = [****     ]\r\rProgress = [*****    ]"
                              "\r\rProgress = [******   ]\r\rProgress = [*******  ]"
                              "\r\rProgress = [******** ]\r\rProgress = [*********]");
}

namespace {

// Runs one operation on both filters from the same normals and compares what they print,
// the normals they leave and their state.
struct Twin {
    Mesh& mesh;
    MeanShift fast{mesh};
    ReferenceMeanShift reference{mesh};
    std::vector<Vector> fast_normals, reference_normals;

    explicit Twin(Mesh& m)
        : mesh(m), fast_normals(face_normals(m)), reference_normals(fast_normals) {}

    const bool compared = mesh.nf <= literal_face_limit;

    void weigh(const std::vector<Vector>& curve, int height) {
        ConsoleCapture quiet;
        fast.set_weight_function(curve, height);
        if (compared) reference.function_slot(curve, height);
    }

    void run(const Vector& r, CallKind kind, FilterMode mode, const std::string& what) {
        std::string fast_text, reference_text;
        set_face_normals(mesh, fast_normals);
        {
            ConsoleCapture console;
            fast.evaluate(r, kind, mode);
            fast_text = console.text();
        }
        fast_normals = face_normals(mesh);
        if (!compared) return;
        set_face_normals(mesh, reference_normals);
        {
            ConsoleCapture console;
            reference.evaluate(r, int(kind), int(mode));
            reference_text = console.text();
        }
        reference_normals = face_normals(mesh);
        EXPECT_EQ(fast_text, reference_text) << what;
        expect_same_normals(fast_normals, reference_normals, what);
        expect_same_state(fast, reference, what);
    }
};

} // namespace

class MeanShiftOnRealMeshes : public testing::TestWithParam<std::string> {};

// Whole runs of every filter on real meshes, plain and weighted, against the filters as
// first written: the same console, the same normals to the bit.
TEST_P(MeanShiftOnRealMeshes, SameAsTheLiteralFilters) {
    Mesh m;
    {
        ConsoleCapture quiet;
        if (!load_mesh_file(m, real_mesh(GetParam())) || m.nf == 0) GTEST_SKIP() << "no faces";
    }
    Twin twin(m);
    for (float value : {5.0f, 20.0f}) {
        Vector r = filter_radius(Vector(value, 0, 0, 1), m.extent);
        for (FilterMode mode : {FilterMode::MeanShift, FilterMode::SphereJump})
            twin.run(r, CallKind::Run, mode, GetParam() + " mode " + std::to_string(int(mode)));
    }
    twin.weigh(falling_curve(120), 120);
    Vector r = filter_radius(Vector(10, 0, 0, 1), m.extent);
    twin.run(r, CallKind::Run, FilterMode::MeanShift, GetParam() + " weighted mean shift");
    twin.run(r, CallKind::Run, FilterMode::SphereJump, GetParam() + " weighted sphere jump");
    // The literal median filter is slow: small meshes and shallow rings only.
    if (m.nf <= 13000)
        for (float depth : {1.0f, 3.5f})
            twin.run(Vector(1, 1, 1, depth), CallKind::Run, FilterMode::Median,
                     GetParam() + " median");
}

INSTANTIATE_TEST_SUITE_P(SharedMeshes, MeanShiftOnRealMeshes, testing::ValuesIn(real_mesh_names()),
                         test_name_of);
// Without the shared data folder there are no meshes to run on.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(MeanShiftOnRealMeshes);

// Random meshes with clustered, coincident and degenerate faces, filtered by random
// sequences of steps and runs of both region filters (which continue each other's
// state), median runs and a weight curve arriving midway.
TEST(MeanShiftRandom, SameAsTheLiteralFilters) {
    std::mt19937 random(12);
    for (int trial = 0; trial < 60; ++trial) {
        int nf = 1 + int(random() % 300);
        std::uniform_real_distribution<float> unit(-1, 1);
        float spread = trial % 3 == 0 ? 1e-3f : trial % 3 == 1 ? 1.0f : 1e4f;
        Mesh m;
        m.alloc_vertices(nf + 2);
        for (int v = 0; v < m.nv; ++v)
            m.vertices[v] = trial % 7 == 0 && v % 3 == 0
                                ? Vector(0.5f, 0.5f, 0.5f) // many faces share corners
                                : Vector(spread * unit(random), spread * unit(random),
                                         trial % 5 == 0 ? 0.0f : spread * unit(random));
        m.alloc_faces(nf);
        for (int i = 0; i < nf; ++i)
            for (int k = 0; k < 3; ++k) m.faces[i].vindex[k] = int(random() % m.nv);
        m.link_faces();
        {
            ConsoleCapture quiet;
            build_loaded_mesh(m);
        }
        Twin twin(m);
        for (int op = 0; op < 12; ++op) {
            std::string what = "trial " + std::to_string(trial) + " op " + std::to_string(op);
            int choice = int(random() % 10);
            float value = float(random() % 101);
            if (random() % 4 == 0) value = float(random() % 1000) / 100;
            Vector r = filter_radius(Vector(value, 0, 0, 1), m.extent);
            if (choice == 0) {
                twin.weigh(falling_curve(50), 50);
            } else if (choice == 1) {
                twin.run(Vector(1, 1, 1, float(random() % 4)), CallKind::Run, FilterMode::Median,
                         what + " median");
            } else {
                FilterMode mode = choice % 2 ? FilterMode::MeanShift : FilterMode::SphereJump;
                CallKind kind = choice < 7 ? CallKind::Step : CallKind::Run;
                twin.run(r, kind, mode, what);
            }
            if (HasFailure()) return;
        }
    }
}

// Tools that replace the faces may leave the edge table and the centroids of the old
// faces: the filters rebuild them first.
TEST(MeanShiftStaleData, EdgeTableAndCentroidsOfReplacedFaces) {
    for (FilterMode mode : {FilterMode::Median, FilterMode::MeanShift, FilterMode::SphereJump}) {
        Mesh stale = grid(6), fresh = grid(6);
        // The faces in reverse order, with their normals only (as subdivision leaves them).
        for (Mesh* m : {&stale, &fresh}) {
            std::vector<Face> old = m->faces;
            m->alloc_faces(int(old.size()));
            for (int i = 0; i < m->nf; ++i)
                for (int k = 0; k < 3; ++k)
                    m->faces[i].vindex[k] = old[old.size() - 1 - i].vindex[k];
            m->link_faces();
            m->build_normals();
        }
        fresh.build_edge_list();
        fresh.build_centroids();
        ASSERT_FALSE(stale.edge_list_current());
        MeanShift filter(stale);
        ReferenceMeanShift reference(fresh);
        ConsoleCapture quiet;
        Vector r(0.2f, 0.2f, 0.2f, 2);
        filter.evaluate(r, CallKind::Run, mode);
        reference.evaluate(r, 1, int(mode));
        expect_same_normals(face_normals(stale), face_normals(fresh),
                            "mode " + std::to_string(int(mode)));
        EXPECT_EQ(filter.regions.size(), reference.regions.size());
    }
}

// A stepped run does not continue on other faces: it starts over on the mesh as it is.
TEST(MeanShiftStaleData, SteppedRunOnAReplacedMesh) {
    for (bool same_count : {false, true}) {
        Mesh m = grid(4);
        MeanShift filter(m);
        ConsoleCapture quiet;
        Vector r(0.1f, 0.1f, 0.1f, 20);
        filter.step(r);
        filter.step(r);
        ASSERT_FALSE(filter.needs_reset);
        m = same_count ? grid(4, -0.5f) : three_apart();
        EXPECT_TRUE(filter.step(r));
        EXPECT_EQ(filter.regions.size(), 1u);
        EXPECT_EQ(filter.remaining_faces.size() + int(filter.current_region.size()), m.nf);
        filter.evaluate(r, CallKind::Run, FilterMode::SphereJump);
        EXPECT_TRUE(filter.needs_reset);
    }
}

namespace {

// A mesh of OBJ text, built as a file is.
Mesh obj_mesh(const std::string& obj) {
    Mesh m;
    EXPECT_TRUE(bool(load_obj_string(m, obj)));
    ConsoleCapture quiet;
    build_loaded_mesh(m);
    return m;
}

// A regular tetrahedron: its four unit normals add up to nothing.
const char* tetrahedron = "v 1 1 1\nv 1 -1 -1\nv -1 1 -1\nv -1 -1 1\n"
                          "f 1 2 3\nf 1 4 2\nf 1 3 4\nf 2 4 3\n";
// A flat fan of four faces and a fifth with a repeated corner (zero area, so its built
// normal is no number).
const char* fan_with_a_repeated_corner = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv -1 0 0\n"
                                         "f 1 2 3\nf 1 3 4\nf 1 4 5\nf 1 2 4\nf 2 2 3\n";
// Coordinates near the float limits: cross products overflow, so no built normal is a
// number; one ordinary triangle beside them.
const char* near_the_float_limits = "v 3e38 0 0\nv 0 3e38 0\nv 0 0 3e38\nv -3e38 0 0\n"
                                    "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                    "f 1 2 3\nf 2 3 4\nf 5 6 7\n";

enum class Expect {
    Unchanged, // every sum cancels or is no number: the normals stay as built
    Numbers,   // every face ends with a normal that is a number
    Kept,      // faces that had a number still have one; the others may stay none
};

struct Degenerate {
    const char* name;
    const char* obj;
    FilterMode mode;
    float value; // the slider, or the median's depth
    Expect expect;
};

} // namespace

// Sums that are zero or no number leave the old normals, and normals that are no number
// add nothing; the literal filters, mended alike, give the same bits.
TEST(MeanShiftDegenerate, SumsThatAreNoNumberKeepTheOldNormals) {
    const Degenerate cases[] = {
        {"tetrahedron, sphere jump", tetrahedron, FilterMode::SphereJump, 100, Expect::Unchanged},
        {"tetrahedron, mean shift", tetrahedron, FilterMode::MeanShift, 100, Expect::Unchanged},
        {"repeated corner, mean shift", fan_with_a_repeated_corner, FilterMode::MeanShift, 100,
         Expect::Numbers},
        {"repeated corner, sphere jump", fan_with_a_repeated_corner, FilterMode::SphereJump, 100,
         Expect::Numbers},
        {"repeated corner, median", fan_with_a_repeated_corner, FilterMode::Median, 2,
         Expect::Numbers},
        {"float limits, mean shift", near_the_float_limits, FilterMode::MeanShift, 100,
         Expect::Kept},
        {"float limits, sphere jump", near_the_float_limits, FilterMode::SphereJump, 100,
         Expect::Kept},
        {"float limits, median", near_the_float_limits, FilterMode::Median, 3, Expect::Kept},
    };
    for (const Degenerate& c : cases) {
        Mesh m = obj_mesh(c.obj);
        const std::vector<Vector> built = face_normals(m);
        Vector r = c.mode == FilterMode::Median ? Vector(1, 1, 1, c.value)
                                                : filter_radius(Vector(c.value, 0, 0, 1), m.extent);
        Twin twin(m);
        twin.run(r, CallKind::Run, c.mode, c.name);
        for (int i = 0; i < m.nf; ++i) {
            const Vector& now = twin.fast_normals[size_t(i)];
            const std::string what = std::string(c.name) + ", face " + std::to_string(i);
            bool number_needed = c.expect == Expect::Numbers || usable_normal(built[i]);
            EXPECT_TRUE(c.expect == Expect::Unchanged ? same_bits(now, built[i])
                        : number_needed               ? usable_result(now)
                                                      : true)
                << what;
        }
    }
}
