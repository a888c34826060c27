// The geometry core in one include: the vector type, the mesh with its derived data,
// the tokenizer and the mesh file formats. No toolkit and no OpenGL below this line.
#pragma once

#include "core/camera.h"    // projections, framing and zoom of the view's camera
#include "core/console.h"   // where progress lines go
#include "core/io_result.h" // outcome of file operations
#include "core/mesh.h"      // Mesh, Face, build flags, OBJ and NET readers, OBJ writer
#include "core/mesh_file.h" // reader by extension and the builds of a loaded mesh
#include "core/scan.h"      // scanf-style pattern matching of lines
#include "core/text_file.h" // whole-file reading and line walking
#include "core/tokenizer.h" // Tokenizer
#include "core/vector.h"    // Vector
