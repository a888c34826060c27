// The .mor reader over any text, against lists of 0 to 7 names: a refused file leaves
// the setting as it was, an accepted one has a SIZE, holds one colour and state per name
// with channels in 0..255 and a mixing mode of 0 or 1, and reads back the same from its
// own lines, and recolouring with it stays within the mesh's rows and gives finite
// colours.
#include "fuzz/fuzz_common.h"
#include "tools/morphogen_colours.h"
#include "tools/morphogen_file.h"

#include <cstdint>
#include <string_view>

namespace {

bool same(const MorphogenSetting& a, const MorphogenSetting& b) {
    return a.mixmode == b.mixmode && a.defaultcolour == b.defaultcolour && a.names == b.names &&
           a.colours == b.colours && a.tooglestates == b.tooglestates;
}

bool in_range(const Rgb& c) {
    return c.r >= 0 && c.r <= 255 && c.g >= 0 && c.g <= 255 && c.b >= 0 && c.b <= 255;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Mesh m;
    m.alloc_vertices(5);
    m.morphogens = {{}, {1}, {0.5f, -1, 2, 3}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}};
    for (size_t n = 0; n < 8; ++n) {
        MorphogenSetting s;
        set_morphogen_names(s, std::vector<std::string>(n, "m"));
        s.tooglestates.assign(n, 1);
        const MorphogenSetting before = s;
        if (!parse_morphogen_setting(text, "fuzz.mor", s)) {
            if (!same(s, before)) std::abort();
            continue;
        }
        if (s.colours.size() != n || s.tooglestates.size() != n || !in_range(s.defaultcolour) ||
            (s.mixmode != 0 && s.mixmode != 1) || text.find("SIZE") == std::string_view::npos)
            std::abort();
        for (const Rgb& c : s.colours)
            if (!in_range(c)) std::abort();
        MorphogenSetting back;
        set_morphogen_names(back, s.names);
        if (!parse_morphogen_setting(format_morphogen_setting(s), "back.mor", back) ||
            !same(back, s))
            std::abort();
        colour_by_morphogens(m, s);
        for (const Vector& c : m.colours)
            if (!finite_vector(c)) std::abort();
    }
    return 0;
}
