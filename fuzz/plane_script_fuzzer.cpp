// The plane script reader over any text: a refused script holds no actions and says
// why (naming the line when a line is at fault); an accepted one holds only actions
// within their ranges, and doing them on the planes of a cube, or of a plane file of
// zeros, leaves every plane finite and writable.
#include "clipping/plane_script.h"
#include "clipping/plane_widget_in_cube.h"
#include "fuzz/fuzz_common.h"

#include <cstdint>
#include <string_view>

namespace {

bool in_range(const PlaneAction& a) {
    const int* v = a.value;
    switch (a.kind) {
    case PlaneActionKind::Select:
        return v[0] >= 0 && v[0] < plane_count;
    case PlaneActionKind::Drag:
        for (int k = 1; k <= 4; ++k)
            if (v[k] < -largest_script_position || v[k] > largest_script_position) return false;
        return v[0] >= 1 && v[0] <= 3 && v[5] >= 0 && v[5] <= most_script_moves;
    case PlaneActionKind::ShowAll:
        return v[0] == 0 || v[0] == 1;
    case PlaneActionKind::ResetAll:
    case PlaneActionKind::ResetSelected:
        return true;
    }
    return false;
}

// The actions as vostrel-cli clip-planes does them, a drag in at most 8 steps.
void perform(PlaneWidgetInCube& w, const PlaneAction& a) {
    const int* v = a.value;
    switch (a.kind) {
    case PlaneActionKind::Select:
        w.toggle_plane(v[0]);
        break;
    case PlaneActionKind::Drag: {
        const int n = v[5] % 8;
        w.press(Vector(float(v[1]), float(v[2]), 0), PlaneButton(v[0]));
        for (int i = 1; i <= n; ++i)
            w.move(Vector(float(v[1] + (long long)(v[3] - v[1]) * i / n),
                          float(v[2] + (long long)(v[4] - v[2]) * i / n), 0));
        w.release();
        break;
    }
    case PlaneActionKind::ResetAll:
        w.reset_all();
        break;
    case PlaneActionKind::ResetSelected:
        w.reset_selected();
        break;
    case PlaneActionKind::ShowAll:
        w.show_all = v[0];
        w.rebuild_outlines();
        break;
    }
}

std::string zero_planes() {
    std::string text = "SIZE: 6\n";
    for (int i = 0; i < plane_count; ++i) {
        text += "P:";
        for (int k = 0; k < 69; ++k) text += " 0";
        text += "\n";
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    PlaneScript script;
    IoResult r = parse_plane_script(text, "fuzz.txt", script);
    if (!r) {
        if (!script.actions.empty() || r.error.empty() || script.bad_line < 0) std::abort();
        return 0;
    }
    if (script.bad_line != 0 || script.actions.size() > size) std::abort();
    static const std::string zeros = zero_planes();
    for (bool from_zeros : {false, true}) {
        PlaneWidgetInCube w;
        w.set_cube(256, 256, 256);
        if (from_zeros && !parse_clp(zeros, "zeros.clp", w.planes)) std::abort();
        for (const PlaneAction& a : script.actions) {
            if (!in_range(a)) std::abort();
            perform(w, a);
        }
        if (!check_finite_planes(w.planes, "fuzz.clp")) std::abort();
        const std::string written = format_clp(w.planes);
        if (written.find("nan") != std::string::npos || written.find("inf") != std::string::npos)
            std::abort();
    }
    return 0;
}
