// Matching of text against scanf-style patterns ("v %f %f %f", "f %i/%i/%i ..."),
// as the C library's sscanf would match them but without its locale and without a
// terminating zero. Used to classify lines the way the file formats define them.
#pragma once

#include <string_view>

// Reads a float as scanf's %f would (leading whitespace, sign, decimal or
// hexadecimal digits, exponent, inf, nan) from text[pos...]. On success stores the
// value, advances pos past it and returns true.
bool scan_float(std::string_view text, size_t& pos, float& value);

// Reads an integer as scanf's %d (base 10) or %i (base 0: 0x hex, 0 octal, else
// decimal) would. Values beyond the range of int are clamped to it.
bool scan_int(std::string_view text, size_t& pos, int& value, int base);

// Matches `text` against `format` (literal characters, whitespace, %f, %d and %i)
// and returns the number of values converted before the first mismatch. Up to
// `capacity` values are stored in `values`.
int scan(std::string_view text, std::string_view format, double* values = nullptr,
         int capacity = 0);
