#include "segmentation/centroid_grid.h"

#include <algorithm>
#include <cmath>

namespace {

double coordinate(const Vector& c, int axis) {
    return axis == 0 ? c.x : axis == 1 ? c.y : c.z;
}

} // namespace

// floor((v - origin) / cell), clamped to the grid: monotonic in v, so a range of
// coordinates maps onto a range of cells.
int CentroidGrid::cell_index(double v, int axis) const {
    double t = std::floor((v - origin[axis]) * inverse_cell);
    if (!(t >= 0)) return 0;
    if (t >= dims[axis] - 1) return dims[axis] - 1;
    return int(t);
}

bool CentroidGrid::build(const std::vector<Vector>& centroids, const FaceList& faces, float r,
                         Work* work) {
    int walked = 0;
    auto step = [&] {
        if ((++walked & 65535) == 0) checkpoint(work);
    };
    start.clear();
    count.clear();
    members.clear();
    cell_of.assign(centroids.size(), -1);
    slot.assign(centroids.size(), -1);
    dims[0] = dims[1] = dims[2] = 0;
    if (!std::isfinite(r * r)) return false;

    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    int n = 0;
    for (int f = faces.front(); f >= 0; f = faces.next(f)) {
        step();
        if (!centroids[f].is_finite()) continue;
        ++n;
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], coordinate(centroids[f], a));
            hi[a] = std::max(hi[a], coordinate(centroids[f], a));
        }
    }
    if (n == 0) return true;

    // Cells at least r wide, and no more cells than about twice the faces.
    double size[3] = {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
    double largest = std::max({size[0], size[1], size[2]});
    double cap = 2.0 * n + 64;
    double cell = std::max(double(std::fabs(r)), largest / cap);
    if (!(cell > 0)) cell = 1; // every centroid at one point
    auto cells = [&] {
        double product = 1;
        for (double s : size) product *= std::floor(s / cell) + 1;
        return product;
    };
    while (cells() > cap) cell *= 2;
    for (int a = 0; a < 3; ++a) {
        origin[a] = lo[a];
        dims[a] = int(std::floor(size[a] / cell)) + 1;
    }
    inverse_cell = 1 / cell;

    size_t total = size_t(dims[0]) * dims[1] * dims[2];
    start.assign(total + 1, 0);
    count.assign(total, 0);
    for (int f = faces.front(); f >= 0; f = faces.next(f)) {
        step();
        const Vector& c = centroids[f];
        if (!c.is_finite()) continue;
        int cell_number =
            (cell_index(c.z, 2) * dims[1] + cell_index(c.y, 1)) * dims[0] + cell_index(c.x, 0);
        cell_of[f] = cell_number;
        ++count[cell_number];
    }
    for (size_t i = 0; i < total; ++i) start[i + 1] = start[i] + count[i];
    members.resize(start[total]);
    std::vector<int> next(start.begin(), start.end() - 1);
    for (int f = faces.front(); f >= 0; f = faces.next(f)) {
        step();
        if (cell_of[f] >= 0) {
            slot[f] = next[cell_of[f]]++;
            members[slot[f]] = f;
        }
    }
    return true;
}

void CentroidGrid::query(const std::vector<Vector>& centroids, const Vector& centre, float r,
                         std::vector<int>& hits) const {
    // A centre that is not finite is within r of nothing.
    if (dims[0] == 0 || !centre.is_finite()) return;
    // A face passing the test lies within |r| (1 + 2^-22) + 1e-22 of the centre on each
    // axis (the float roundings of the test, underflow included); the last term covers
    // the rounding of the bounds themselves.
    double margin = std::fabs(double(r)) * (1 + 1e-5) + 1e-22;
    int first[3], last[3];
    for (int a = 0; a < 3; ++a) {
        double c = coordinate(centre, a);
        double reach = margin + 1e-9 * std::fabs(c);
        first[a] = cell_index(c - reach, a);
        last[a] = cell_index(c + reach, a);
    }
    for (int z = first[2]; z <= last[2]; ++z)
        for (int y = first[1]; y <= last[1]; ++y) {
            int row = (z * dims[1] + y) * dims[0];
            for (int x = first[0]; x <= last[0]; ++x) {
                int cell = row + x;
                for (int i = start[cell], end = start[cell] + count[cell]; i < end; ++i) {
                    int f = members[i];
                    if (centroids[f].within(centre, r)) hits.push_back(f);
                }
            }
        }
}

void CentroidGrid::remove(int f) {
    if (f < 0 || f >= int(slot.size()) || slot[f] < 0) return;
    int cell = cell_of[f];
    int last = start[cell] + count[cell] - 1;
    int moved = members[last];
    members[slot[f]] = moved;
    slot[moved] = slot[f];
    members[last] = f;
    slot[f] = -1;
    --count[cell];
}
