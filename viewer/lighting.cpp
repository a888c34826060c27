#include "viewer/lighting.h"

#include <string>
#include <strings.h>

namespace {

// A headlight strong enough that the turn of a surface spans most of the grey range of
// an uncoloured (0.4 grey) mesh, over a low ambient that keeps the parts turned away
// visible, with a soft highlight.
Lighting studio_lighting() {
    Lighting l;
    l.ambient = Vector(0.15f, 0.15f, 0.15f, 1);
    l.diffuse = Vector(0.9f, 0.9f, 0.9f, 1);
    l.specular = Vector(0.25f, 0.25f, 0.25f, 1);
    l.two_sided = true;
    l.surface_specular = 1;
    l.shininess = 32;
    return l;
}

bool same_colour(const Vector& a, const Vector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

bool same_lighting(const Lighting& a, const Lighting& b) {
    return same_colour(a.ambient, b.ambient) && same_colour(a.diffuse, b.diffuse) &&
           same_colour(a.specular, b.specular) && a.two_sided == b.two_sided &&
           a.surface_specular == b.surface_specular && a.shininess == b.shininess;
}

} // namespace

Lighting preset_lighting(LightPreset preset) {
    return preset == LightPreset::Classic ? Lighting() : studio_lighting();
}

const char* preset_name(LightPreset preset) {
    switch (preset) {
    case LightPreset::Studio:
        return "Studio";
    case LightPreset::Classic:
        return "Classic";
    case LightPreset::Custom:
        break;
    }
    return "Custom";
}

bool preset_named(std::string_view name, LightPreset& preset) {
    for (LightPreset p : {LightPreset::Studio, LightPreset::Classic, LightPreset::Custom})
        if (strcasecmp(std::string(name).c_str(), preset_name(p)) == 0) {
            preset = p;
            return true;
        }
    return false;
}

LightPreset preset_of(const Lighting& lighting) {
    for (LightPreset p : {LightPreset::Studio, LightPreset::Classic})
        if (same_lighting(lighting, preset_lighting(p))) return p;
    return LightPreset::Custom;
}
