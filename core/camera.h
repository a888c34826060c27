// The view's camera as numbers: its projections, the framing of a mesh, and the two
// zoom controls. No OpenGL here; the drawing code sets up the same projections.
//
// Orthographic: one mesh unit is -camera_distance pixels, and the visible depth runs
// from -orthographic_depth to +orthographic_depth pixels. Perspective: the eye sits at
// (0, 0, -camera_distance) looking at the origin, with a vertical field of view of
// perspective_fov_y degrees between the near and far planes.
#pragma once

#include "core/arcball.h"
#include "core/mesh.h"

enum class Projection : int { Perspective = 0, Orthographic = 1 };

constexpr float start_camera_distance = -200;
constexpr double orthographic_depth = 512;
constexpr double perspective_fov_y = 45, perspective_near = 0.1, perspective_far = 10000;

// Share of the window a fitted mesh may fill along its tighter axis, leaving a margin.
constexpr double fit_fill = 0.9;

// The camera distance at which every vertex of `mesh`, drawn centred on the mesh's
// centre and turned by `transform` (the arcball's), lies within fit_fill of a view of
// w x h pixels, as close to that as the view allows: along the tighter window axis it
// touches the margin. Orthographic views also keep the depth within range.
// start_camera_distance for a mesh without vertices or whose vertices all sit on its
// centre; w and h below 1 count as 1.
float fit_camera_distance(const Mesh& mesh, const Matrix4& transform, Projection projection, int w,
                          int h);

// Closest the zoom controls bring the camera distance to zero, and farthest they take it.
constexpr float nearest_camera_distance = 1e-3f;
constexpr float farthest_camera_distance = 1e12f;

// The right-button zoom: the distance grows by a tenth of the pixels the mouse moved
// up (`step`), but never reaches or crosses zero: it stops at nearest_camera_distance
// from it, or where it stands when it is already nearer.
float zoom_by_drag(float distance, float step);

// Factor by which one notch brings the distance nearer zero; a notch the other way
// divides by it. Stays within nearest and farthest_camera_distance of zero.
constexpr double wheel_zoom_factor = 0.8;
// `notches` may be fractional (fine-grained wheels): 120 units of Qt's angle delta each.
float zoom_by_wheel(float distance, double notches);
// The wheel turned away from the user (`notches` > 0) zooms in, as in other viewers:
// orthographic, the scale grows; perspective, the eye comes nearer.
float zoom_in_by_wheel(float distance, double notches, Projection projection);

// The pan: the mesh moved in the view plane, after its rotation. A mesh point p is seen
// at pan + transform (p - centre), then through the camera: orthographic, -distance
// pixels a unit; perspective, from an eye at (0, 0, -distance).
Vector panned_point(const Mesh& mesh, const Matrix4& transform, const Vector& pan, const Vector& p);
// The pan after the mouse moved (dx, dy) pixels (y up) with a point at view depth z
// (panned_point's z) held under it, in a view `h` pixels high.
Vector pan_by_drag(const Vector& pan, float dx, float dy, float distance, Projection projection,
                   int h, float z);
// The pan that keeps the point seen at `point` (panned_point) where it is on screen
// while the camera distance goes from `before` to `after`; the pan as it is when the
// point lies behind the eye.
Vector pan_keeping_point(const Vector& pan, const Vector& point, float before, float after,
                         Projection projection);
