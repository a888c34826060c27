// The rendered frame read back from the current OpenGL context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The colour buffer's w x h pixels from (0, 0) as red, green, blue, alpha bytes, in
// OpenGL's row order (bottom row first), rows packed without padding.
std::vector<uint8_t> gl_read_frame(int w, int h);
