// The weight curve reader over any text: a curve it takes has 101 finite points within
// its plot (y from 0 to its positive height), is written as numbers, and the filters
// weigh by it without reading outside it or making a normal NaN.
#include "fuzz/fuzz_common.h"
#include "segmentation/mean_shift.h"
#include "segmentation/weight_curve.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    WeightCurve curve;
    IoResult r = parse_weight_curve(std::string_view(reinterpret_cast<const char*>(data), size),
                                    "fuzz.txt", curve);
    if (!r) {
        if (!curve.points.empty() || curve.height != 0 || r.error.empty()) std::abort();
        return 0;
    }
    if (curve.points.size() != 101 || curve.height <= 0) std::abort();
    for (const Vector& p : curve.points)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.y < 0 || p.y > float(curve.height))
            std::abort();
    const std::string written = format_weight_curve(curve);
    if (written.find("nan") != std::string::npos || written.find("inf") != std::string::npos)
        std::abort();

    Mesh mesh;
    mesh.load_obj_text("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0.5\nv 2 0 0\nf 1 2 3\nf 2 4 3\nf 2 5 4\n",
                       "fan.obj");
    build_loaded_mesh(mesh);
    MeanShift filter(mesh);
    if (!filter.set_weight_function(curve.points, curve.height)) std::abort();
    filter.evaluate(Vector(2, 2, 2, 100), CallKind::Run, FilterMode::SphereJump);
    filter.evaluate(Vector(0.7f, 0.7f, 0.7f, 100), CallKind::Run, FilterMode::MeanShift);
    for (const Face& f : mesh.faces)
        if (!std::isfinite(f.normal.x) || !std::isfinite(f.normal.y) || !std::isfinite(f.normal.z))
            std::abort();
    return 0;
}
