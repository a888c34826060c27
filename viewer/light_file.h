// Light files: what the Lighting Editor's "Open" and "Save" keep, the light's three
// colours and its two angles, one line each:
//
//   ambient 0.5 0.5 0.5
//   diffuse 0.125 0.125 0.125
//   specular 0 0 0
//   altitude 0
//   azimuth 180
//
// Colours are red, green and blue from 0 to 1, angles whole degrees from 0 to 360. Each
// line appears once, in any order; blank lines and lines starting with "#" are skipped.
#pragma once

#include "core/io_result.h"
#include "core/vector.h"

#include <string>
#include <string_view>

struct LightFile {
    Vector ambient{0.5f, 0.5f, 0.5f, 1};
    Vector diffuse{0.125f, 0.125f, 0.125f, 1};
    Vector specular{0, 0, 0, 1};
    int altitude = 0;
    int azimuth = 180;
};

std::string format_light_file(const LightFile& light);
// Reads a light file's text into `light` only when the whole text is right; otherwise
// `light` stays and the error names `name` and the line.
IoResult parse_light_file(std::string_view text, const std::string& name, LightFile& light);
IoResult load_light_file(const std::string& path, LightFile& light);
// Saved whole or not at all.
IoResult save_light_file(const std::string& path, const LightFile& light);
