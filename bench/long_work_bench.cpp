// The window during long work: the longest wait of its event loop (a 20 ms timer's
// longest gap) while a tool runs, the tool's whole time, and the time from Cancel to an
// idle window. The tools: the classification of fandisk.obj (12,946 faces) and the
// median filter of ogre.obj (124,008 faces, depth 5), from the shared data. The baseline
// is the tool run on the window's thread, as it was before tools ran beside the window:
// then the longest gap is the tool's whole time.
//
//   xvfb-run -a bench/long_work_bench --benchmark_repetitions=3
//       --benchmark_enable_random_interleaving=true
#include "bench/bench_files.h"
#include "viewer/qt_application.h"
#include "viewer/qt_gl_context.h"
#include "viewer/qt_gl_widget.h"
#include "viewer/qt_main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>

namespace {

QtMainWindow& window() {
    static std::unique_ptr<QtMainWindow> w = [] {
        auto made = std::make_unique<QtMainWindow>();
        show_main_window(*made);
        return made;
    }();
    return *w;
}

void open(const char* name) {
    std::string path = bench::find_mesh(name);
    if (path.empty()) throw std::runtime_error(std::string(name) + " is not in the shared data");
    bench::Quiet quiet;
    if (!window().view()->load_file(QString::fromStdString(path), true))
        throw std::runtime_error("cannot open " + path);
}

using Start = void (*)(QtGLWidget*);

void classify(QtGLWidget* v) {
    v->meshclassify_slot();
}
void median(QtGLWidget* v) {
    v->mshift_slot(Vector(5, 0, 0, 1), int(FilterMode::Median));
}

// One run of `start` on the mesh `name`, the event loop turning meanwhile; with
// `cancel_after` (ms) the run is cancelled then. Counters: the longest gap, the time
// from the cancel to an idle window.
void run_tool(benchmark::State& state, const char* name, Start start, bool worker,
              int cancel_after) {
    open(name);
    QtGLWidget* view = window().view();
    TaskRunner::inline_runs = !worker;
    double longest = 0, to_idle = 0;
    for (auto _ : state) {
        bench::Quiet quiet;
        QElapsedTimer clock;
        qint64 last = 0, gap = 0;
        QTimer ticks;
        ticks.setInterval(20);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            gap = std::max(gap, clock.elapsed() - last);
            last = clock.elapsed();
        });
        ticks.start();
        clock.start();
        QTimer::singleShot(0, [&] { start(view); });
        QCoreApplication::processEvents();
        qint64 cancelled = -1;
        // Waiting as the window's own loop waits: the 20 ms timer wakes it.
        do {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (cancel_after > 0 && cancelled < 0 && clock.elapsed() >= cancel_after) {
                view->cancel_task();
                cancelled = clock.elapsed();
            }
        } while (view->busy() || clock.elapsed() < 25);
        state.SetIterationTime(double(clock.elapsed()) / 1000);
        longest = std::max(longest, double(std::max(gap, clock.elapsed() - last)));
        if (cancelled >= 0) to_idle = std::max(to_idle, double(clock.elapsed() - cancelled));
        while (view->document.history.can_undo()) view->undo();
    }
    TaskRunner::inline_runs = false;
    state.counters["longest_gap_ms"] = longest;
    if (cancel_after > 0) state.counters["cancel_to_idle_ms"] = to_idle;
}

} // namespace

BENCHMARK_CAPTURE(run_tool, classify_fandisk_window_thread, "fandisk.obj", classify, false, 0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(run_tool, classify_fandisk_worker, "fandisk.obj", classify, true, 0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(run_tool, classify_fandisk_cancel, "fandisk.obj", classify, true, 500)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(run_tool, median_ogre_window_thread, "ogre.obj", median, false, 0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(run_tool, median_ogre_worker, "ogre.obj", median, true, 0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(run_tool, median_ogre_cancel, "ogre.obj", median, true, 100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

int main(int argc, char** argv) {
    use_compatibility_gl_format();
    QApplication app(argc, argv);
    name_application();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
