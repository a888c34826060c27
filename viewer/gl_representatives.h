// The classifier's representative faces drawn over the mesh.
#pragma once

#include "core/mesh.h"

#include <span>

// One batch of yellow triangles: each face's corners in corner order, with the vertex
// normals, in mesh coordinates centred on the mesh's centre as the frame draws it.
void gl_draw_representatives(const Mesh& mesh, std::span<const int> faces);
