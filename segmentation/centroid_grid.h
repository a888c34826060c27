// CentroidGrid: a uniform grid over face centroids that finds the faces within a radius
// of a point (Vector::within, inclusive) without testing every face.
//
// Cells are at least the radius wide, so a query visits the few cells around its
// point. Cell numbers come from one monotonic function of a coordinate, and a query's
// range is wider than any rounding of the within test can move a point, so no face
// that passes the test is missed. Faces whose centroids are not finite are left out:
// while r * r is finite they never pass.
#pragma once

#include "core/vector.h"
#include "core/work.h"
#include "segmentation/face_list.h"

#include <vector>

class CentroidGrid {
  public:
    // Builds over the faces held by `faces` (centroids[f] for face f) for queries of
    // radius r. False, holding nothing, when r * r is not finite: every face may then
    // pass the test, and the caller has to test them all. With a Work, a checkpoint
    // every 65536 faces of each walk over them; a stop leaves the grid half-built.
    bool build(const std::vector<Vector>& centroids, const FaceList& faces, float r,
               Work* work = nullptr);
    // Appends every face held whose centroid c has c.within(centre, r), in no
    // particular order; r must be the radius the grid was built for.
    void query(const std::vector<Vector>& centroids, const Vector& centre, float r,
               std::vector<int>& hits) const;
    // Removes face f (ignored when not held).
    void remove(int f);
    // The memory its arrays hold, in bytes.
    size_t memory_bytes() const {
        return (start.capacity() + count.capacity() + members.capacity() + cell_of.capacity() +
                slot.capacity()) *
               sizeof(int);
    }

  private:
    double origin[3] = {0, 0, 0};
    double inverse_cell = 1;
    int dims[3] = {0, 0, 0};
    std::vector<int> start, count; // per cell: its faces are members[start, start + count)
    std::vector<int> members;
    std::vector<int> cell_of, slot; // per face: its cell and its place in members, or -1

    int cell_index(double v, int axis) const;
};
