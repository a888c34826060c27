// The .clp reader over any text: it takes six whole planes of finite values or leaves
// the planes as they were, and whatever it takes can be outlined, moved, written and read
// back. The writer writes no value that is not finite: it refuses the planes instead.
#include "clipping/plane_widget_in_cube.h"
#include "fuzz/fuzz_common.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    PlaneWidgetInCube w;
    w.set_cube(256, 256, 256);
    const std::string before = format_clp(w.planes);
    if (!parse_clp(text, "fuzz.clp", w.planes)) {
        if (format_clp(w.planes) != before) std::abort();
        return 0;
    }
    if (w.planes.size() != plane_count) std::abort();
    if (!check_finite_planes(w.planes, "fuzz.clp")) std::abort();
    w.rebuild_outlines();
    for (const auto& outline : w.outlines)
        if (outline.size() > 12) std::abort(); // one point per cube edge at most
    for (int i = 0; i < plane_count; ++i) w.toggle_plane(i);
    for (PlaneButton b : {PlaneButton::Left, PlaneButton::Middle, PlaneButton::Right}) {
        w.press(Vector(400, 400, 0), b);
        w.move(Vector(430, 350, 0));
        w.release();
    }
    // A move keeps a plane finite: one that would not be stays as it was.
    if (!check_finite_planes(w.planes, "fuzz.clp")) std::abort();
    const std::string text_again = format_clp(w.planes);
    if (text_again.find("nan") != std::string::npos || text_again.find("inf") != std::string::npos)
        std::abort();
    std::vector<CutPlane> again = w.planes;
    if (!parse_clp(text_again, "again.clp", again)) std::abort();
    w.reset_all();
    return 0;
}
