// Patch classification, stage by stage, on spot_triangulated (5,856 faces) and fandisk
// (12,946 faces): the table (weights and step counts), the patches (first
// representative and farthest-point samples, patch count), eval_fuzzy (with its
// memberships, neighbours and the painting) and k-medoids (cluster_patches and the
// memberships after it), and the whole classification as vostrel-cli classify runs it,
// also timed step by step within one run (ClassifySteps).
// Baselines in the same run: the literal classifier of tests/reference, stage by stage
// on the same tables, and whole (Floyd-Warshall included) on small meshes.
//
// Times: "Time" is wall-clock time, "CPU" the whole process's processor time (both
// threads); on a shared machine the second is the steadier.
#include "bench/bench_files.h"
#include "core/vostrel.h"
#include "segmentation/mesh_classifier.h"
#include "tests/reference/classifier_reference.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

using bench::Quiet;

std::string mesh_path(const std::string& name) {
    return bench::find_mesh((name + ".obj").c_str());
}

// A mesh with its classifier at each stage's start: the table built, the sampled
// representatives, the refined ones and the patch count.
struct Prepared {
    Mesh mesh;
    Mesh_Classifier c;
    std::vector<int> sampled, refined;
    int k = 0;
};

Prepared& prepared(const std::string& name) {
    static std::map<std::string, std::unique_ptr<Prepared>> cache;
    auto& p = cache[name];
    if (!p) {
        Quiet quiet;
        p = std::make_unique<Prepared>();
        if (!load_mesh_file(p->mesh, mesh_path(name))) throw std::runtime_error("no " + name);
        if (!classify_mesh(p->c, p->mesh)) throw std::runtime_error("cannot classify " + name);
        p->refined = p->c.representatives;
        p->k = p->c.patch_count;
        p->c.build_patches();
        p->sampled = p->c.representatives;
    }
    return *p;
}

void BM_Table(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Quiet quiet;
    for (auto _ : state) {
        p.c.table.allocate(p.mesh.nf);
        p.c.build_centroids();
        p.c.build_distances();
        p.c.table.compute_all_pairs(SpMode::Floyd);
    }
    state.counters["faces"] = p.mesh.nf;
}

void BM_Patches(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Quiet quiet;
    for (auto _ : state) {
        p.c.build_patches();
        p.c.find_patch_count();
    }
    state.counters["k"] = p.c.patch_count;
}

void BM_EvalFuzzy(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Quiet quiet;
    for (auto _ : state) {
        p.c.representatives = p.sampled;
        p.c.compute_memberships(p.k);
        p.c.find_neighbours(p.k);
        p.c.eval_fuzzy(p.k);
        p.c.colour_patches();
    }
    state.counters["k"] = p.k;
}

void BM_KMedoids(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Quiet quiet;
    for (auto _ : state) {
        p.c.representatives = p.refined;
        p.c.recluster(p.k);
    }
    state.counters["k"] = p.k;
}

// vostrel-cli classify without the file reading: builds, table, classification and the
// re-clustering into the patch count found.
void BM_Classify(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Quiet quiet;
    for (auto _ : state) {
        Mesh_Classifier c;
        classify_mesh(c, p.mesh);
        c.recluster(c.patch_count);
    }
}

// A whole classification as vostrel-cli classify runs it, timed step by step: the table
// (sizing, weights, all pairs), the sampling (first representative, farthest points,
// patch count), the memberships (and neighbours), the refinement (eval_fuzzy and the
// painting) and k-medoids (the re-clustering into the patch count found, with its
// memberships). Each step's mean wall-clock time is a counter, in milliseconds.
void BM_ClassifySteps(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Quiet quiet;
    using Clock = std::chrono::steady_clock;
    const char* steps[] = {"table_ms", "sampling_ms", "memberships_ms", "refinement_ms",
                           "kmedoids_ms"};
    double total[5] = {};
    for (auto _ : state) {
        Mesh_Classifier c;
        p.mesh.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        c.attach(p.mesh);
        c.candidate_count = 50;
        int step = 0;
        Clock::time_point start = Clock::now();
        auto lap = [&] {
            Clock::time_point now = Clock::now();
            total[step++] += std::chrono::duration<double, std::milli>(now - start).count();
            start = now;
        };
        c.table.allocate(p.mesh.nf);
        c.build_centroids();
        c.build_distances();
        c.table.compute_all_pairs(SpMode::Floyd);
        lap();
        c.build_patches();
        c.find_patch_count();
        lap();
        c.compute_memberships(c.patch_count);
        c.find_neighbours(c.patch_count);
        lap();
        c.eval_fuzzy(c.patch_count);
        c.colour_patches();
        lap();
        c.recluster(c.patch_count);
        lap();
    }
    for (int i = 0; i < 5; ++i)
        state.counters[steps[i]] = benchmark::Counter(total[i], benchmark::Counter::kAvgIterations);
}

// The literal classifier on the table the fast one built.
struct Literal {
    Mesh copy;
    reference::Classifier r{copy};
    explicit Literal(Prepared& p) : copy(p.mesh.clone()) {
        r.table.allocate(p.mesh.nf);
        std::copy(p.c.table.data(), p.c.table.data() + p.c.table.entry_count,
                  r.table.distances.begin());
    }
};

void BM_PatchesLiteral(benchmark::State& state, std::string name) {
    Literal l(prepared(name));
    for (auto _ : state) {
        l.r.build_patches();
        l.r.find_patch_count();
    }
}

void BM_EvalFuzzyLiteral(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Literal l(p);
    for (auto _ : state) {
        l.r.reps = p.sampled;
        l.r.compute_memberships(p.k);
        l.r.find_neighbours(p.k);
        l.r.eval_fuzzy(p.k);
        l.r.colour_patches();
    }
}

void BM_KMedoidsLiteral(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    Literal l(p);
    for (auto _ : state) {
        l.r.reps = p.refined;
        l.r.cluster_patches(p.k);
        l.r.compute_memberships(p.k);
    }
}

// The whole literal classification, Floyd-Warshall included, and the re-clustering.
void BM_ClassifyLiteral(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    for (auto _ : state) {
        Mesh copy = p.mesh.clone();
        {
            Quiet quiet;
            copy.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
        }
        reference::Classifier r(copy);
        r.classify();
        r.cluster_patches(r.k);
        r.compute_memberships(r.k);
    }
}

void BM_TableFloyd(benchmark::State& state, std::string name) {
    Prepared& p = prepared(name);
    for (auto _ : state) {
        reference::SpTable t;
        t.allocate(p.mesh.nf);
        for (const auto& w : p.c.table.weight_list()) t.set_weight(w.a, w.b, w.w);
        t.floyd();
    }
}

bool registered = [] {
    auto timed = [](benchmark::internal::Benchmark* b, int iterations) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
        if (iterations > 0) b->Iterations(iterations);
    };
    for (std::string name : {"spot_control_mesh", "suzanne"}) {
        if (mesh_path(name).empty()) continue;
        timed(benchmark::RegisterBenchmark(("Classify/" + name).c_str(), BM_Classify, name), 0);
        timed(benchmark::RegisterBenchmark(("ClassifyLiteral/" + name).c_str(), BM_ClassifyLiteral,
                                           name),
              1);
        timed(benchmark::RegisterBenchmark(("Table/" + name).c_str(), BM_Table, name), 0);
        timed(benchmark::RegisterBenchmark(("TableFloyd/" + name).c_str(), BM_TableFloyd, name), 1);
    }
    for (std::string name : {"spot_triangulated", "fandisk"}) {
        if (mesh_path(name).empty()) continue;
        timed(benchmark::RegisterBenchmark(("Table/" + name).c_str(), BM_Table, name), 2);
        timed(benchmark::RegisterBenchmark(("Patches/" + name).c_str(), BM_Patches, name), 2);
        timed(benchmark::RegisterBenchmark(("PatchesLiteral/" + name).c_str(), BM_PatchesLiteral,
                                           name),
              1);
        timed(benchmark::RegisterBenchmark(("EvalFuzzy/" + name).c_str(), BM_EvalFuzzy, name), 2);
        timed(benchmark::RegisterBenchmark(("EvalFuzzyLiteral/" + name).c_str(),
                                           BM_EvalFuzzyLiteral, name),
              1);
        timed(benchmark::RegisterBenchmark(("KMedoids/" + name).c_str(), BM_KMedoids, name), 2);
        timed(benchmark::RegisterBenchmark(("KMedoidsLiteral/" + name).c_str(), BM_KMedoidsLiteral,
                                           name),
              1);
        timed(benchmark::RegisterBenchmark(("Classify/" + name).c_str(), BM_Classify, name), 2);
        timed(
            benchmark::RegisterBenchmark(("ClassifySteps/" + name).c_str(), BM_ClassifySteps, name),
            3);
    }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
