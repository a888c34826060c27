// Pieces of the OBJ text the system writes.
#pragma once

#include "core/vector.h"

#include <string>

// Appends f with six significant digits, as a stream writes it by default, but never in
// exponent form: the reader takes "1e-07" for the number 1, the word "e" and the
// number -7, so such a file would not read back.
void append_obj_number(std::string& out, float f);

// Appends a line of `keyword` (with its trailing blank, e.g. "v ") and x, y and z.
void append_obj_vector_line(std::string& out, const char* keyword, const Vector& v);
