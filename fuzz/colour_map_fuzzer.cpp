// The colour map reader over any text: entries come in whole groups with channels in
// 0..255 and finite values, and colouring a mesh with what it read gives finite
// colours.
#include "fuzz/fuzz_common.h"
#include "terrain/colour_map.h"

#include <cmath>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    silence_console();
    ColourMap map;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!parse_colour_map(text, "fuzz.map", map) && !map.values.empty()) std::abort();
    if (map.values.size() != map.colours.size()) std::abort();
    for (float v : map.values)
        if (!std::isfinite(v)) std::abort();
    for (const Rgb& c : map.colours)
        if (c.r < 0 || c.r > 255 || c.g < 0 || c.g > 255 || c.b < 0 || c.b > 255) std::abort();
    Mesh m;
    m.alloc_vertices(5);
    for (int v = 0; v < 5; ++v) m.vertices[v].y = float(v);
    colour_by_height(m, colour_vectors(map.colours), map.values);
    for (const Vector& c : m.colours)
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.z) ||
            !std::isfinite(c.w))
            std::abort();
    return 0;
}
