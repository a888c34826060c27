// What every mesh writer checks before it writes anything.
#pragma once

#include "core/io_result.h"
#include "core/mesh.h"

#include <string>

// Prints the counts line every save starts with, then refuses a mesh without vertices or
// faces, and one with a number among those written (positions; colours and morphogen
// values where `colours` and `morphogens` say they are written) that is not finite and
// so would not read back as itself.
IoResult check_savable(const Mesh& mesh, const std::string& path, bool colours, bool morphogens);
