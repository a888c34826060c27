// Picking: the face under a window position, found by casting a ray through the pixel
// and testing it against every face.
#pragma once

#include "core/mesh.h"
#include "viewer/view_modes.h"

#include <array>
#include <optional>

// The face number the pick selects: 1 + the index of the face the ray through frame
// position (x, y) (y downwards, in the frame's pixels, view_height high) crosses
// nearest to one unit along the ray, or mesh.selectedface when no face is crossed. The
// matrices and viewport are those of the frame on screen, before the translation by
// minus the mesh centre that the drawing adds.
int pick_face(const Mesh& mesh, const std::array<int, 4>& viewport,
              const std::array<double, 16>& modelview, const std::array<double, 16>& projection,
              Projection projection_mode, double view_height, double x, double y);
// The point (in mesh coordinates) where that ray first crosses a face, seen from the
// eye; none when it crosses none.
std::optional<Vector> pick_point(const Mesh& mesh, const std::array<int, 4>& viewport,
                                 const std::array<double, 16>& modelview,
                                 const std::array<double, 16>& projection,
                                 Projection projection_mode, double view_height, double x,
                                 double y);
