// Colour maps: colours for height fractions (0 the lowest vertex, 1 the highest), their
// ".map" text files, and the colouring of a mesh by height.
#pragma once

#include "core/colour.h"
#include "core/io_result.h"
#include "core/mesh.h"

#include <string>
#include <string_view>
#include <vector>

struct ColourMap {
    std::vector<float> values;
    std::vector<Rgb> colours; // parallel to values

    // The map a new terrain panel starts with: 0 black, 1 white.
    static ColourMap initial() { return {{0.0f, 1.0f}, {{0, 0, 0}, {255, 255, 255}}}; }
};

// One line per entry: the value (six significant digits), red, green and blue,
// separated by tabs.
std::string format_colour_map(const ColourMap& map);
// Refuses, writing nothing, a map with a value that is not a finite number.
IoResult save_colour_map(const std::string& path, const ColourMap& map);

// Reads loosely: numbers in groups of four (value, red, green, blue) with anything else
// between them skipped; a channel that is not a number keeps the previous group's.
// Channels are clamped to 0..255. Prints each entry as it is read. A value beyond
// float's range is refused, naming its line (`name` is the file's).
IoResult parse_colour_map(std::string_view text, const std::string& name, ColourMap& map);
// On failure `map` is left as it was.
IoResult load_colour_map(const std::string& path, ColourMap& map);

// Colours as the mesh keeps them: red, green and blue / 255, alpha 1.
std::vector<Vector> colour_vectors(const std::vector<Rgb>& colours);

// Gives every vertex the colour the map takes at its relative height, interpolated
// between neighbouring entries and extrapolated past the last pair. Colours are
// 0..1 with alpha in w. Prints "terrain vertex colours...".
void colour_by_height(Mesh& mesh, const std::vector<Vector>& colours,
                      const std::vector<float>& values);
// The same without the console line.
void paint_by_height(Mesh& mesh, const std::vector<Vector>& colours,
                     const std::vector<float>& values);
// The colours that would give vertices 0 .. nv - 1, into `out` (nv of them), the mesh
// only read: the bounding box is not built, the y range found the same way. A stop asked
// of `work` throws WorkStopped and leaves `out` as it was.
void paint_by_height(const Mesh& mesh, const std::vector<Vector>& colours,
                     const std::vector<float>& values, std::vector<Vector>& out,
                     Work* work = nullptr);
