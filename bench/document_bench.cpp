// The history on a mesh of a million faces (the generated torus): Undo and Redo of a
// simplification and of a recolouring, and the memory twenty recolourings keep.
// The baseline is what an undo that keeps whole copies of the mesh would pay: one
// copy of it (Mesh::clone).
//
//   document_bench --benchmark_repetitions=4 --benchmark_enable_random_interleaving=true
//
// Times are per operation (manual timing: the way back is taken outside the clock).
// The memory case reports, as counters, the mesh's bytes, the history's, and the
// ratio of the two together to the mesh alone; heap_ratio is the same ratio measured
// by the allocator (bytes in use before and after the recolourings).
#include "bench/bench_files.h"
#include "document/document.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>

namespace {

// The torus opened once, for every case (a case leaves it as it found it).
Document& opened() {
    static std::unique_ptr<Document> doc = [] {
        bench::Quiet quiet;
        auto d = std::make_unique<Document>();
        if (Outcome r = d->open(bench::torus_obj()); !r) throw std::runtime_error(r.error());
        return d;
    }();
    return *doc;
}

// Map i: black at 0, a colour of its own at 1.
ColourMap map_number(int i) {
    return {{0.0f, 1.0f}, {{0, 0, 0}, {(40 * i) % 256, (90 + 7 * i) % 256, 200}}};
}

double seconds(const std::function<void()>& run) {
    auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times undo or redo and takes the other way outside the clock.
void timed_way(benchmark::State& state, Document& d, bool time_undo) {
    bench::Quiet quiet;
    d.undo();
    state.counters["faces"] = double(d.mesh.nf); // before the step
    d.redo();
    for (auto _ : state) {
        double t = 0;
        if (time_undo) {
            t = seconds([&] { d.undo(); });
            d.redo();
        } else {
            d.undo();
            t = seconds([&] { d.redo(); });
        }
        state.SetIterationTime(t);
    }
}

// After `step` on the torus; `step` undone when the case ends.
void with_step(benchmark::State& state, const std::function<Outcome(Document&)>& step,
               bool time_undo) {
    Document& d = opened();
    {
        bench::Quiet quiet;
        if (Outcome r = step(d); !r) throw std::runtime_error(r.error());
    }
    timed_way(state, d, time_undo);
    d.undo();
}

void BM_UndoSimplify(benchmark::State& state) {
    with_step(
        state, [](Document& d) { return d.simplify(50); }, true);
}
void BM_RedoSimplify(benchmark::State& state) {
    with_step(
        state, [](Document& d) { return d.simplify(50); }, false);
}
// Both ways of a recolouring made again by its recipe: the colours before were made by
// another map.
void BM_UndoRecolouring(benchmark::State& state) {
    with_step(
        state,
        [](Document& d) {
            d.colour_by_height(map_number(1));
            return d.colour_by_height(map_number(2));
        },
        true);
    opened().undo();
}
void BM_RedoRecolouring(benchmark::State& state) {
    with_step(
        state,
        [](Document& d) {
            d.colour_by_height(map_number(1));
            return d.colour_by_height(map_number(2));
        },
        false);
    opened().undo();
}

// What a history of whole copies would pay per step.
void BM_CopyOfTheMesh(benchmark::State& state) {
    const Mesh& mesh = opened().mesh;
    for (auto _ : state) {
        Mesh copy = mesh.clone();
        benchmark::DoNotOptimize(copy.faces.data());
    }
    state.counters["faces"] = double(mesh.nf);
}

size_t heap_in_use() {
#if defined(__GLIBC__)
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#else
    return 0;
#endif
}

// Twenty recolourings, each a step, on the torus as opened.
void BM_TwentyRecolourings(benchmark::State& state) {
    bench::Quiet quiet;
    std::unique_ptr<Document> d;
    size_t mesh_bytes = 0, history_bytes = 0, heap_before = 0, heap_after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        d = std::make_unique<Document>();
        d->open(bench::torus_obj());
        mesh_bytes = d->mesh.memory_bytes();
        heap_before = heap_in_use();
        state.ResumeTiming();
        for (int i = 0; i < 20; ++i) d->colour_by_height(map_number(i));
        state.PauseTiming();
        history_bytes = d->history.bytes();
        heap_after = heap_in_use();
        d.reset();
        state.ResumeTiming();
    }
    state.counters["mesh_MB"] = double(mesh_bytes) / 1e6;
    state.counters["history_MB"] = double(history_bytes) / 1e6;
    state.counters["ratio"] = double(mesh_bytes + history_bytes) / double(mesh_bytes);
    state.counters["heap_ratio"] =
        double(mesh_bytes + (heap_after - heap_before)) / double(mesh_bytes);
}

} // namespace

BENCHMARK(BM_UndoSimplify)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoSimplify)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoRecolouring)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoRecolouring)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyOfTheMesh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwentyRecolourings)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
