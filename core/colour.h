// Colours outside the mesh: 8-bit channels as panels and files hold them, images of
// them, and the hue-saturation-value conversion of patch and segment colours.
#pragma once

#include "core/vector.h"

#include <cstdint>
#include <vector>

struct Rgb {
    int r = 0, g = 0, b = 0; // 0..255
    bool operator==(const Rgb&) const = default;
};

// As the mesh keeps a colour: red, green and blue / 255 in x, y, z; alpha 1 in w.
inline Vector colour_vector(const Rgb& c) {
    return Vector(float(c.r) / 255, float(c.g) / 255, float(c.b) / 255, 1);
}

// An 8-bit RGB image, rows top to bottom.
struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb; // width * height * 3

    const uint8_t* pixel(int x, int y) const {
        return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
    }
};

// Hue h in degrees, saturation s and value v in 0..1 to red, green and blue in 0..1,
// written to r, g, b. With s = 0 or h = -1 all three are v. Six sectors of 60 degrees
// cover 0 <= h < 360; a hue outside them (360 itself, negative hues) leaves r, g and b
// as they were.
void hsv_to_rgb(float h, float s, float v, float& r, float& g, float& b);
