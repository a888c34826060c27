// The face whose centroid is nearest to each of a set of points, found with centroid
// grids instead of testing every face.
#pragma once

#include "core/vector.h"
#include "core/work.h"

#include <vector>

// For every point, the face f of `centroids` with the least squared distance
// (dx * dx + dy * dy + dz * dz in float) from it, the lower face number on a tie; -1 for
// every point when no centroid is finite. A point that is not finite gets -1 too.
// The search asks a grid for the faces within a radius (a few faces' spacing at first,
// four times wider each time none is found), so that the answer is the same as a test
// of every face: a face outside the radius is further than every face inside it. A stop
// asked of `work` throws WorkStopped.
std::vector<int> nearest_faces(const std::vector<Vector>& points,
                               const std::vector<Vector>& centroids, Work* work = nullptr);
