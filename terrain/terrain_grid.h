// Terrain from a heightmap: a regular N x N grid of vertices whose heights come from
// the heightmap's grey levels, as a triangle mesh.
#pragma once

#include "core/colour.h"
#include "core/mesh.h"

#include <cstdint>

struct TerrainSettings {
    int grid_resolution = 64; // N, grid points along each side
    int grid_scale = 256;     // side length of the grid in mesh units
    int height_scale = 64;    // height a pixel of full brightness would reach
};

// Grey level of a heightmap pixel: (11 R + 16 G + 5 B) / 32.
inline int grey_level(const uint8_t* rgb) {
    return (11 * rgb[0] + 16 * rgb[1] + 5 * rgb[2]) / 32;
}

// Replaces `mesh` by the terrain of `heightmap` (an empty image counts as black) and
// runs its builds (centroids too); prints the progress lines and the vertex and face
// counts. A stop asked of `work` (a row of the grid at a time) throws WorkStopped and
// leaves `mesh` as it was.
void generate_terrain(Mesh& mesh, const RgbImage& heightmap, const TerrainSettings& settings,
                      Work* work = nullptr);
