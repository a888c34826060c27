// The progress and stop hooks of the shortest path table, the classifier and the normal
// filters: a run with a Work gives exactly the result of a run without, a stop at any
// checkpoint throws WorkStopped and leaves what the run only reads as it was, progress
// ends at 1; and the filters' own normals array.
#include "classifier_meshes.h"
#include "core/work.h"
#include "segmentation/mean_shift.h"
#include "segmentation/mesh_classifier.h"
#include "tests/mesh_words.h"

#include <atomic>
#include <bit>
#include <cstring>
#include <functional>
#include <thread>

namespace {

// A random height grid with a few holes, loaded as a file is, its centroids and edge
// table current.
Mesh hook_test_mesh(unsigned seed, int size) {
    std::mt19937 rng(seed);
    Mesh m = mesh_from_obj(random_grid_obj(rng, size, size, 0.05));
    ConsoleCapture quiet;
    m.build({MESH_CENTROIDS, MESH_EDGE_LIST});
    return m;
}

// Runs `run` to the end with a Work (progress must end at 1), then again stopped at
// checkpoints spread over the ones it passed, from the first to the last: each stopped
// run throws WorkStopped at its checkpoint and leaves `state()` as the full run left it.
// `run` makes its own inputs afresh.
void expect_clean_stops(const std::function<void(Work*)>& run,
                        const std::function<std::vector<uint64_t>()>& state,
                        const std::string& what) {
    Work full;
    run(&full);
    EXPECT_EQ(full.fraction(), 1.0) << what;
    const int64_t passed = full.checkpoints_passed();
    ASSERT_GT(passed, 0) << what;
    const std::vector<uint64_t> before = state();
    double reached = 0;
    for (int64_t i = 0, last = 0; i <= 6; ++i) {
        int64_t at = 1 + (passed - 1) * i / 6;
        if (at == last) continue;
        last = at;
        Work w;
        w.stop_at_checkpoint(at);
        EXPECT_THROW(run(&w), WorkStopped) << what << ": stop at " << at << " of " << passed;
        EXPECT_EQ(w.checkpoints_passed(), at) << what;
        EXPECT_TRUE(state() == before) << what << ": stop at " << at << " of " << passed;
        // A later stop has not come less far.
        EXPECT_GE(w.fraction(), reached) << what << ": stop at " << at;
        EXPECT_LE(w.fraction(), 1.0) << what;
        reached = w.fraction();
    }
}

std::vector<uint64_t> weight_words(const ShortestPathTable& t) {
    std::vector<uint64_t> w;
    for (const auto& s : t.weight_list())
        w.insert(w.end(), {uint64_t(s.a), uint64_t(s.b), std::bit_cast<uint32_t>(s.w)});
    return w;
}

std::vector<uint64_t> table_words(const ShortestPathTable& t) {
    std::vector<uint64_t> w = weight_words(t);
    w.push_back(uint64_t(t.n));
    for (int64_t i = 0; i < t.entry_count; ++i) w.push_back(std::bit_cast<uint32_t>(t.data()[i]));
    return w;
}

// A table sized for the mesh with the classifier's weights, console silenced.
void weighted_table(ShortestPathTable& t, Mesh& m) {
    ConsoleCapture quiet;
    Mesh_Classifier c;
    c.attach(m);
    ASSERT_TRUE(c.table.allocate(m.nf));
    c.build_centroids();
    c.build_distances();
    ASSERT_TRUE(t.allocate(m.nf));
    for (const auto& s : c.table.weight_list()) t.set_weight(s.a, s.b, s.w);
}

TEST(WorkHooksTable, AWorkChangesNothingAndAStopLeavesTheWeights) {
    Mesh m = hook_test_mesh(11, 12);
    for (SpMode mode : {SpMode::Floyd, SpMode::Dijkstra}) {
        std::string what = mode == SpMode::Floyd ? "Floyd" : "Dijkstra";
        ShortestPathTable plain, hooked;
        weighted_table(plain, m);
        weighted_table(hooked, m);
        plain.compute_all_pairs(mode);
        Work w;
        hooked.compute_all_pairs(mode, &w);
        EXPECT_TRUE(table_words(hooked) == table_words(plain)) << what;

        ShortestPathTable stopped;
        weighted_table(stopped, m);
        expect_clean_stops([&](Work* work) { stopped.compute_all_pairs(mode, work); },
                           [&] { return weight_words(stopped); }, what);
        // A stop renews the generation (rows taken before are stale), and the table
        // computes again from its weights.
        unsigned generation = stopped.generation();
        Work w2;
        w2.stop_at_checkpoint(2);
        EXPECT_THROW(stopped.compute_all_pairs(mode, &w2), WorkStopped);
        EXPECT_NE(stopped.generation(), generation) << what;
        stopped.compute_all_pairs(mode);
        EXPECT_TRUE(table_words(stopped) == table_words(plain)) << what;
    }
}

// A stop from another thread ends the worker threads and reaches the caller.
TEST(WorkHooksTable, AStopFromAnotherThreadEndsTheComputation) {
    Mesh m = hook_test_mesh(12, 50);
    ShortestPathTable t;
    weighted_table(t, m);
    Work w;
    std::atomic<bool> stopped{false};
    std::thread computing([&] {
        try {
            t.compute_all_pairs(SpMode::Dijkstra, &w);
        } catch (const WorkStopped&) {
            stopped = true;
        }
    });
    while (w.fraction() == 0) std::this_thread::yield();
    w.stop();
    computing.join();
    EXPECT_TRUE(stopped);
    EXPECT_LT(w.fraction(), 1.0);
}

struct ClassifierResult {
    std::string console;
    std::vector<int> representatives;
    std::vector<std::vector<float>> memberships;
    int patch_count = 0;
    std::vector<uint64_t> mesh;

    bool operator==(const ClassifierResult& o) const {
        auto bits = [](const std::vector<std::vector<float>>& m) {
            std::vector<uint32_t> b;
            for (const auto& row : m)
                for (float f : row) b.push_back(std::bit_cast<uint32_t>(f));
            return b;
        };
        return console == o.console && representatives == o.representatives &&
               bits(memberships) == bits(o.memberships) && patch_count == o.patch_count &&
               mesh == o.mesh;
    }
};

ClassifierResult result_of(const Mesh_Classifier& c, std::string console) {
    return {std::move(console), c.representatives, c.memberships, c.patch_count,
            mesh_words(*c.mesh)};
}

// What `run` prints on the console.
template <typename Run>
std::string console_of(const Run& run) {
    ConsoleCapture console;
    run();
    return console.text();
}

// Runs `run` on a copy of `c` (as the caller of a stoppable run does) that holds c's
// table while it runs, the console silenced; the table goes back also on a stop.
template <typename Run>
void on_copy_with_table(Mesh_Classifier& c, const Run& run) {
    Mesh_Classifier copy = c.copy_without_table();
    copy.table = std::move(c.table);
    try {
        ConsoleCapture quiet;
        run(copy);
    } catch (...) {
        c.table = std::move(copy.table);
        throw;
    }
    c.table = std::move(copy.table);
}

// A classification with patch 0 current, so that the next one lets its marks go.
void classify_with_current_patch(Mesh_Classifier& c, Mesh& m) {
    ConsoleCapture quiet;
    ASSERT_TRUE(classify_mesh(c, m));
    ASSERT_TRUE(c.select_patch(0));
}

TEST(WorkHooksClassifier, ClassifyWithAWorkAndStoppedLeavesTheMeshAndALoadedTable) {
    const Mesh original = hook_test_mesh(13, 13);
    for (bool reuse_table : {false, true}) {
        std::string what = reuse_table ? "loaded table" : "table built";
        Mesh plain_mesh = original.clone(), hooked_mesh = original.clone();
        Mesh_Classifier plain, hooked;
        classify_with_current_patch(plain, plain_mesh);
        classify_with_current_patch(hooked, hooked_mesh);
        plain.rebuild_flag = hooked.rebuild_flag = reuse_table ? 0 : 1;
        Work w;
        std::string plain_console = console_of([&] { ASSERT_TRUE(plain.classify()); });
        std::string hooked_console = console_of([&] { ASSERT_TRUE(hooked.classify(&w)); });
        EXPECT_EQ(w.fraction(), 1.0) << what;
        EXPECT_TRUE(result_of(hooked, hooked_console) == result_of(plain, plain_console)) << what;

        // Stopped runs on copies; with the table of an earlier classification.
        Mesh stopped_mesh = original.clone();
        Mesh_Classifier prior;
        classify_with_current_patch(prior, stopped_mesh);
        const std::vector<uint64_t> table_before = table_words(prior.table);
        expect_clean_stops(
            [&](Work* work) {
                if (reuse_table) {
                    on_copy_with_table(prior, [&](Mesh_Classifier& trial) {
                        trial.rebuild_flag = 0;
                        trial.classify(work);
                    });
                } else {
                    Mesh_Classifier trial = prior.copy_without_table();
                    ConsoleCapture quiet;
                    trial.classify(work);
                }
                // The full run painted the mesh and let the marks go: undone for the
                // stopped runs.
                stopped_mesh = original.clone();
                classify_with_current_patch(prior, stopped_mesh);
            },
            [&] {
                std::vector<uint64_t> s = mesh_words(stopped_mesh);
                if (reuse_table) {
                    std::vector<uint64_t> t = table_words(prior.table);
                    s.insert(s.end(), t.begin(), t.end());
                }
                return s;
            },
            what);
        if (reuse_table) {
            EXPECT_TRUE(table_words(prior.table) == table_before);
        }
    }
}

TEST(WorkHooksClassifier, ReclusterWithAWorkAndStoppedLeavesTheMeshAndTheTable) {
    const Mesh original = hook_test_mesh(14, 13);
    Mesh plain_mesh = original.clone(), hooked_mesh = original.clone();
    Mesh_Classifier plain, hooked;
    classify_with_current_patch(plain, plain_mesh);
    classify_with_current_patch(hooked, hooked_mesh);
    const int k = std::min(5, int(plain.representatives.size()));
    Work w;
    std::string plain_console = console_of([&] { ASSERT_TRUE(plain.recluster(k)); });
    std::string hooked_console = console_of([&] { ASSERT_TRUE(hooked.recluster(k, &w)); });
    EXPECT_EQ(w.fraction(), 1.0);
    EXPECT_TRUE(result_of(hooked, hooked_console) == result_of(plain, plain_console));

    // Each run on a copy of a classification with patch 0 current.
    Mesh stopped_mesh = original.clone();
    Mesh_Classifier prior;
    classify_with_current_patch(prior, stopped_mesh);
    const std::vector<uint64_t> mesh_before = mesh_words(stopped_mesh);
    expect_clean_stops(
        [&](Work* work) {
            bool clustered = false;
            on_copy_with_table(
                prior, [&](Mesh_Classifier& trial) { clustered = trial.recluster(k, work); });
            ASSERT_TRUE(clustered);
            // The full run painted and marked the mesh: as it was for the stopped ones.
            stopped_mesh = original.clone();
            classify_with_current_patch(prior, stopped_mesh);
        },
        [&] {
            std::vector<uint64_t> s = mesh_words(stopped_mesh), t = table_words(prior.table);
            s.insert(s.end(), t.begin(), t.end());
            return s;
        },
        "recluster");
    EXPECT_TRUE(mesh_words(stopped_mesh) == mesh_before);
}

std::vector<Vector> normals_of_faces(const Mesh& m) {
    std::vector<Vector> normals;
    for (const Face& f : m.faces) normals.push_back(f.normal);
    return normals;
}

testing::AssertionResult same_face_normals(const std::vector<Vector>& a,
                                           const std::vector<Vector>& b) {
    if (a.size() != b.size()) return testing::AssertionFailure() << "sizes differ";
    for (size_t i = 0; i < a.size(); ++i) {
        float x[4] = {a[i].x, a[i].y, a[i].z, a[i].w}, y[4] = {b[i].x, b[i].y, b[i].z, b[i].w};
        if (std::memcmp(x, y, sizeof x) != 0)
            return testing::AssertionFailure() << "face " << i << " differs";
    }
    return testing::AssertionSuccess();
}

// What a filter run is given: the kinds of call, a radius and a weight curve.
struct FilterRun {
    FilterMode mode;
    std::vector<CallKind> calls; // the calls of the run, in turn
    bool weighted;
    std::string name() const {
        return std::to_string(int(mode)) + (calls.size() > 1 ? " stepped" : "") +
               (weighted ? " weighted" : "");
    }
};

const FilterRun filter_runs[] = {
    {FilterMode::MeanShift, {CallKind::Run}, false},
    {FilterMode::MeanShift, {CallKind::Run}, true},
    {FilterMode::SphereJump, {CallKind::Run}, false},
    {FilterMode::SphereJump, {CallKind::Run}, true},
    {FilterMode::Median, {CallKind::Run}, false},
    {FilterMode::MeanShift, {CallKind::Step, CallKind::Step, CallKind::Step, CallKind::Run}, true},
    {FilterMode::SphereJump, {CallKind::Step, CallKind::Step, CallKind::Run}, false},
};

// Runs the calls of `run` on a fresh filter over `m`, into `normals` where given;
// returns the console text and every face normal after each call.
std::pair<std::string, std::vector<std::vector<Vector>>>
run_filter(Mesh& m, const FilterRun& run, std::vector<Vector>* normals, Work* work) {
    MeanShift filter(m);
    filter.normals = normals;
    if (run.weighted) {
        std::vector<Vector> curve;
        for (int k = 0; k <= 100; ++k) curve.push_back(Vector(float(k), float(k) / 2));
        ConsoleCapture quiet;
        filter.set_weight_function(curve, 60);
    }
    Vector radius = run.mode == FilterMode::Median ? Vector(1, 1, 1, 3)
                                                   : filter_radius(Vector(15, 0, 0, 1), m.extent);
    ConsoleCapture console;
    std::vector<std::vector<Vector>> after;
    for (CallKind kind : run.calls) {
        if (kind == CallKind::Step) {
            filter.mode = run.mode;
            filter.step(radius, work);
        } else {
            filter.evaluate(radius, kind, run.mode, work);
        }
        after.push_back(normals ? *normals : normals_of_faces(m));
    }
    return {console.text(), after};
}

TEST(WorkHooksFilters, OwnNormalsAreThoseOfAPlainRunAndLeaveTheMesh) {
    const Mesh original = hook_test_mesh(15, 10);
    for (const FilterRun& run : filter_runs) {
        Mesh plain = original.clone(), redirected = original.clone();
        const std::vector<uint64_t> before = mesh_words(redirected);
        std::vector<Vector> normals = normals_of_faces(redirected);
        auto [plain_console, plain_normals] = run_filter(plain, run, nullptr, nullptr);
        auto [own_console, own_normals] = run_filter(redirected, run, &normals, nullptr);
        EXPECT_EQ(own_console, plain_console) << run.name();
        ASSERT_EQ(own_normals.size(), plain_normals.size());
        for (size_t call = 0; call < own_normals.size(); ++call)
            EXPECT_TRUE(same_face_normals(own_normals[call], plain_normals[call]))
                << run.name() << ", call " << call;
        EXPECT_TRUE(mesh_words(redirected) == before) << run.name();
    }
}

// On a mesh of more than 4096 faces too, where the checkpoints within passes come in.
TEST(WorkHooksFilters, AWorkChangesNothingAndAStopLeavesTheMesh) {
    for (int size : {10, 48}) {
        const Mesh original = hook_test_mesh(16, size);
        for (const FilterRun& run : filter_runs) {
            const std::string what = run.name() + ", " + std::to_string(original.nf) + " faces";
            Mesh plain = original.clone(), hooked = original.clone();
            Work w;
            auto plain_run = run_filter(plain, run, nullptr, nullptr);
            auto hooked_run = run_filter(hooked, run, nullptr, &w);
            EXPECT_EQ(hooked_run.first, plain_run.first) << what;
            for (size_t call = 0; call < plain_run.second.size(); ++call)
                EXPECT_TRUE(same_face_normals(hooked_run.second[call], plain_run.second[call]))
                    << what << ", call " << call;

            Mesh stopped = original.clone();
            const std::vector<uint64_t> before = mesh_words(stopped);
            expect_clean_stops(
                [&](Work* work) {
                    std::vector<Vector> normals = normals_of_faces(stopped);
                    run_filter(stopped, run, &normals, work);
                },
                [&] { return mesh_words(stopped); }, what);
            EXPECT_TRUE(mesh_words(stopped) == before) << what;
        }
    }
}

} // namespace
