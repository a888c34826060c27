// The view's lighting as values: light 0's colours and how the surface takes the light,
// with the presets the Lighting Editor offers and vostrel-cli render draws with. No
// toolkit, no OpenGL (gl_set_lighting sets them).
#pragma once

#include "core/vector.h"

#include <string_view>

enum class LightPreset : int {
    Studio = 0,  // a bright headlight with a highlight, both sides lit: shows the shape
    Classic = 1, // the original dim light: ambient 0.5, diffuse 0.125, no highlight
    Custom = 2,  // the user's own colours over the surface of the preset they came from
};
constexpr int light_preset_count = 3;

struct Lighting {
    Vector ambient{0.5f, 0.5f, 0.5f, 1};
    Vector diffuse{0.125f, 0.125f, 0.125f, 1};
    Vector specular{0, 0, 0, 1};
    // Faces turned away from the viewer (by a file's orientation) lit from their other
    // side instead of left dark.
    bool two_sided = false;
    // The surface's specular reflectance (a grey) and exponent; the colour material sets
    // only its ambient and diffuse colours, so without these there is no highlight.
    float surface_specular = 0;
    float shininess = 0;
};

// The lighting of a preset; Custom gives Studio's, the start of a user's own.
Lighting preset_lighting(LightPreset preset);
// "Studio", "Classic", "Custom".
const char* preset_name(LightPreset preset);
// The preset a name stands for, in any case ("studio", "Classic"); false for others.
bool preset_named(std::string_view name, LightPreset& preset);
// Studio or Classic where `lighting` is exactly that preset, else Custom.
LightPreset preset_of(const Lighting& lighting);
