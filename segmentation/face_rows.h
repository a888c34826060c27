// FaceRows: whole rows of a shortest path table, d(f, x) for every face x, for the few
// faces read again and again (the patch representatives). In the packed table half of
// such a row is a column that strides through memory; a gathered copy reads at once.
#pragma once

#include "segmentation/shortest_path_table.h"

#include <span>
#include <utility>
#include <vector>

class FaceRows {
  public:
    // d(face, x) for x in [0, table.n); valid until the next keep_only or clear, or until
    // the table's distances change (the next call then gathers anew).
    const float* row(const ShortestPathTable& table, int face);
    // Forgets the rows of faces not in `faces`.
    void keep_only(std::span<const int> faces);
    void clear() { rows.clear(); }

  private:
    const ShortestPathTable* source = nullptr;
    unsigned generation = 0;
    std::vector<std::pair<int, std::vector<float>>> rows;
};
