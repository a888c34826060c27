// The normal filters over any mesh the OBJ reader takes, driven by the input's last
// bytes (steps and runs of both region filters continuing each other's state, median
// runs, weight curves good and bad): no crash, nothing read outside the curve, and the
// same normals and state as the filters as first written, bit for bit, and no normal
// that was a number made into one that is not.
#include "fuzz/fuzz_common.h"
#include "segmentation/mean_shift.h"
#include "tests/reference/mean_shift_reference.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

bool same(const Mesh& a, const Mesh& b) {
    for (int i = 0; i < a.nf; ++i) {
        const Vector &p = a.faces[i].normal, &q = b.faces[i].normal;
        float x[4] = {p.x, p.y, p.z, p.w}, y[4] = {q.x, q.y, q.z, q.w};
        if (std::memcmp(x, y, sizeof x) != 0) return false;
    }
    return true;
}

bool finite(const Vector& n) {
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) && std::isfinite(n.w);
}

// Faces whose normal was finite in `before` and is not in `m`.
bool lost_a_number(const Mesh& m, const std::vector<bool>& before) {
    for (int i = 0; i < m.nf; ++i)
        if (before[size_t(i)] && !finite(m.faces[i].normal)) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Mesh fast, literal;
    if (!fast.load_obj_text(text, "fuzz.obj") || !literal.load_obj_text(text, "fuzz.obj")) return 0;
    // The literal filters are quadratic in the faces.
    if (fast.nf > 400) return 0;
    build_loaded_mesh(fast);
    build_loaded_mesh(literal);
    std::vector<bool> was_finite(size_t(fast.nf));
    for (int i = 0; i < fast.nf; ++i) was_finite[size_t(i)] = finite(fast.faces[i].normal);

    MeanShift filter(fast);
    ReferenceMeanShift reference(literal);
    size_t ops = std::min<size_t>(size / 2, 8);
    for (size_t i = 0; i < ops; ++i) {
        uint8_t op = data[size - 1 - 2 * i], arg = data[size - 2 - 2 * i];
        // Panel values 0 ... 100, and fractions of the smallest ones.
        float value = arg < 202 ? float(arg / 2) : float(arg - 202) / 50;
        Vector r = filter_radius(Vector(value, 0, 0, 1), fast.extent);
        switch (op % 8) {
        case 0:
        case 1:
        case 2:
        case 3: {
            FilterMode mode = op % 2 ? FilterMode::SphereJump : FilterMode::MeanShift;
            CallKind kind = op % 4 < 2 ? CallKind::Step : CallKind::Run;
            filter.evaluate(r, kind, mode);
            reference.evaluate(r, int(kind), int(mode));
            break;
        }
        case 4:
        case 5: {
            Vector median(1, 1, 1, float(arg % 4));
            filter.evaluate(median, CallKind::Run, FilterMode::Median);
            reference.evaluate(median, 1, 2);
            break;
        }
        default: {
            // A curve of arg / 2 + 50 points: usable only from 101 on.
            std::vector<Vector> curve(size_t(arg / 2 + 50));
            for (size_t k = 0; k < curve.size(); ++k)
                curve[k] = Vector(float(k), float((k * op) % 97) - 10);
            int height = op / 8 % 4 == 0 ? 0 : int(op / 8) + 1;
            bool used = filter.set_weight_function(curve, height);
            if (used != (curve.size() >= 101 && height > 0)) std::abort();
            if (used) reference.function_slot(curve, height);
            break;
        }
        }
        if (!same(fast, literal) || filter.regions.size() != reference.regions.size() ||
            filter.processed != reference.processed ||
            filter.needs_reset != (reference.needs_reset == 1) ||
            filter.growing != (reference.growing == 1) || lost_a_number(fast, was_finite))
            std::abort();
    }
    return 0;
}
