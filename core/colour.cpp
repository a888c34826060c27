#include "core/colour.h"

#include <cmath>

void hsv_to_rgb(float h, float s, float v, float& r, float& g, float& b) {
    if (s == 0 || h == -1) {
        r = g = b = v;
        return;
    }
    float hh = h / 60;
    float sector = std::floor(hh);
    float f = hh - sector;
    float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    if (sector == 0) {
        r = v, g = t, b = p;
    } else if (sector == 1) {
        r = q, g = v, b = p;
    } else if (sector == 2) {
        r = p, g = v, b = t;
    } else if (sector == 3) {
        r = p, g = q, b = v;
    } else if (sector == 4) {
        r = t, g = p, b = v;
    } else if (sector == 5) {
        r = v, g = p, b = q;
    }
}
