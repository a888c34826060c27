// Comparing vectors bit for bit, so that values that are not numbers compare too.
#pragma once

#include "core/vector.h"

#include <cstring>

inline bool same_bits(const Vector& a, const Vector& b) {
    float x[4] = {a.x, a.y, a.z, a.w}, y[4] = {b.x, b.y, b.z, b.w};
    return std::memcmp(x, y, sizeof x) == 0;
}
