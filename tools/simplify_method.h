// How the Simplify page simplifies: by edge collapses (simplify.h, the default) or by
// the quadric simplifier of meshoptimizer with the borders locked (quadric_simplify.h),
// and where the quadric method stops for the error.
#pragma once

// The values are the positions of the page's method list.
enum class SimplifyMethod { EdgeCollapse = 0, Quadric = 1 };

// The quadric method's default limit, a share of the mesh's extent. Where the borders
// hold a large part of the vertices (the teapot's patches), a level of detail the
// borders cannot reach would otherwise flatten the rest until no collapse is left; half
// a percent keeps the shape (and its area within 1%) and leaves the detail of meshes
// that can reach their level alone.
constexpr float default_quadric_max_error = 0.005f;

struct SimplifySettings {
    SimplifyMethod method = SimplifyMethod::EdgeCollapse;
    float max_error = default_quadric_max_error; // the quadric method's, 0 or more
};
