// The light file reader over any text: a refused file leaves the light as it was and
// says why; an accepted one holds colours from 0 to 1 and angles from 0 to 360, and
// writing it reads back the same light.
#include "viewer/light_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool same(const LightFile& a, const LightFile& b) {
    auto same_colour = [](const Vector& u, const Vector& v) {
        return u.x == v.x && u.y == v.y && u.z == v.z && u.w == v.w;
    };
    return same_colour(a.ambient, b.ambient) && same_colour(a.diffuse, b.diffuse) &&
           same_colour(a.specular, b.specular) && a.altitude == b.altitude &&
           a.azimuth == b.azimuth;
}

bool in_range(const LightFile& l) {
    for (const Vector* v : {&l.ambient, &l.diffuse, &l.specular})
        for (float c : {v->x, v->y, v->z})
            if (!(c >= 0 && c <= 1)) return false;
    return l.altitude >= 0 && l.altitude <= 360 && l.azimuth >= 0 && l.azimuth <= 360;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const LightFile before;
    LightFile light;
    IoResult r = parse_light_file(text, "fuzz.light", light);
    if (!r) {
        if (r.error.empty() || !same(light, before)) std::abort();
        return 0;
    }
    if (!in_range(light)) std::abort();
    LightFile again;
    again.altitude = 7;
    if (!parse_light_file(format_light_file(light), "again.light", again) || !same(again, light))
        std::abort();
    return 0;
}
