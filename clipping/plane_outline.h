// The polygon where a plane cuts the clipping cube, for drawing the plane.
#pragma once

#include "core/mesh.h"
#include "core/vector.h"

#include <array>
#include <vector>

// The cube's twelve edges as pairs of corner indices (K0 ... K7), in the order the
// outline collects its points.
extern const std::array<std::array<int, 2>, 12> cube_edges;

// Where the plane through `centre` with normal `normal` meets the edges of the cube with
// corners `cube`, in angular order about the points' mean.
//
// Each edge (P, Q) adds P + (Q - P) t for t = normal.(centre - P) / normal.(Q - P) when
// 0 <= t <= 1: an edge parallel to the plane adds nothing, and a plane through a corner
// adds that corner once per edge reaching it. The first point stays first; the others
// follow by their angle about the mean, measured from the first point counter-clockwise
// about the normal in degrees 0 to 360, equal angles in edge order. A point whose angle is
// undefined (it lies on the mean) comes last, in edge order. No points: empty.
std::vector<Vector> plane_outline(const Vector& normal, const Vector& centre,
                                  const std::array<Vector, 8>& cube);

// The corners of `cube` (about the origin, as the mesh is drawn about its centre) as the
// vertices of a mesh centred on `centre`: what frames the cube as a mesh is framed.
Mesh cube_corner_mesh(const std::array<Vector, 8>& cube, const Vector& centre);
