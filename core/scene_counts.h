// What a PLY or OFF file declares, checked before Assimp reads it. Assimp allocates by
// the declared counts (every vertex and face of the header, every PLY list at the length
// its count gives) before it finds the data missing, so that a header of a few bytes
// claiming 2^31 vertices would take gigabytes; and it reads past the end of its buffers on
// a malformed PLY header or an OFF face without corners.
#pragma once

#include "core/io_result.h"

#include <string>
#include <string_view>

class Work;

// Refuses `bytes`, the whole file `name`, when the counts it declares need more bytes
// than it holds: "ERROR: NAME: the header declares 2147483648 vertex elements, more than
// the file's 30 bytes of data can hold", "ERROR: NAME: a list of 1073741824 values is
// longer than its line (face 5)", ...; a PLY file whose header is not well formed, and an
// OFF file with a face of no corners, are refused too. `extension` (lower case) names the
// format: "ply" and "off" are checked; every other format passes, and so does an OFF
// header that is not made out (Assimp then judges the file). A stop asked of `work`
// throws WorkStopped.
IoResult check_declared_counts(std::string_view bytes, const std::string& extension,
                               const std::string& name, Work* work = nullptr);
