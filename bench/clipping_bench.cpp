// Clipping planes: one mouse move with all six planes selected (each plane's update, then
// the outlines rebuilt), and the outlines alone for tilted planes. Baseline in the same
// run: the reference of tests/reference (the outline's selection by smallest angle, a
// rebuild after each plane).
#include "clipping/plane_widget_in_cube.h"
#include "tests/reference/clipping_reference.h"

#include <benchmark/benchmark.h>

namespace {

namespace ref = reference_clipping;

// Window positions of a circling drag.
Vector drag_position(int i) {
    return Vector(float(400 + (i * 37) % 200 - 100), float(400 + (i * 53) % 240 - 120), 0);
}

PlaneWidgetInCube tilted_planes() {
    PlaneWidgetInCube w;
    w.set_cube(256, 256, 256);
    for (int i = 0; i < plane_count; ++i) w.toggle_plane(i);
    w.press(Vector(400, 400, 0), PlaneButton::Left);
    w.move(Vector(400, 300, 0));
    w.release();
    w.press(Vector(400, 400, 0), PlaneButton::Middle);
    w.move(Vector(470, 400, 0));
    w.release();
    return w;
}

void BM_PlanesMove(benchmark::State& state) {
    PlaneWidgetInCube w = tilted_planes();
    w.press(Vector(400, 400, 0), PlaneButton::Left);
    int i = 0;
    for (auto _ : state) {
        w.move(drag_position(i++));
        benchmark::DoNotOptimize(w.outlines.data());
    }
}

void BM_PlanesMoveReference(benchmark::State& state) {
    ref::Widget r;
    r.set_cube(256, 256, 256);
    for (int k = 0; k < 6; ++k) r.toggle(k);
    r.press(400, 400, 1);
    int i = 0;
    for (auto _ : state) {
        Vector p = drag_position(i++);
        r.move(p.x, p.y);
        benchmark::DoNotOptimize(r.outlines);
    }
}

void BM_Outlines(benchmark::State& state) {
    PlaneWidgetInCube w = tilted_planes();
    for (auto _ : state) {
        w.rebuild_outlines();
        benchmark::DoNotOptimize(w.outlines.data());
    }
}

void BM_OutlinesReference(benchmark::State& state) {
    PlaneWidgetInCube w = tilted_planes();
    ref::Widget r;
    r.set_cube(256, 256, 256);
    for (int k = 0; k < 6; ++k) {
        r.planes[k].normal = {w.planes[k].normal.x, w.planes[k].normal.y, w.planes[k].normal.z};
        r.planes[k].centre = {w.planes[k].centre.x, w.planes[k].centre.y, w.planes[k].centre.z};
    }
    for (auto _ : state) {
        r.rebuild();
        benchmark::DoNotOptimize(r.outlines);
    }
}

} // namespace

BENCHMARK(BM_PlanesMove);
BENCHMARK(BM_PlanesMoveReference);
BENCHMARK(BM_Outlines);
BENCHMARK(BM_OutlinesReference);
BENCHMARK_MAIN();
