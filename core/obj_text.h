// Pieces of the OBJ text the system writes.
#pragma once

#include "core/vector.h"

#include <string>

// Appends f with six significant digits as a stream writes it by default (printf's
// "%g"): plain decimals, or exponent form for very small and very large values
// ("1e-07"), which the reader takes back as one number.
void append_obj_number(std::string& out, float f);

// Appends a line of `keyword` (with its trailing blank, e.g. "v ") and x, y and z.
void append_obj_vector_line(std::string& out, const char* keyword, const Vector& v);
