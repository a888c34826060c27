// The median filter: fifty passes, each replacing every face normal (in face order, in
// place) by the average of the normals around it in rings.
//
// Ring 0 of face i is {i}; ring j + 1 is the neighbour list of the first face of ring
// j; every face of a ring, taken from the ring's end, adds the normals of all its
// neighbours. So the normals ring j adds are a fixed list per face q = the first face
// of ring j - 1, made once per run, and the rings of face i follow the first neighbours
// from i. The sums add the same normals in the same order as the rings themselves.
#include "core/console.h"
#include "segmentation/mean_shift.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>
#include <vector>

namespace {

// Flat lists of face indices: list i is items[start[i], start[i + 1]).
struct FaceLists {
    std::vector<int> start{0}, items;
    int size(int i) const { return start[i + 1] - start[i]; }
    const int* begin(int i) const { return items.data() + start[i]; }
    const int* end(int i) const { return items.data() + start[i + 1]; }
    void close_list() { start.push_back(int(items.size())); }
};

struct alignas(16) Normal {
    float x, y, z, w;
};

bool usable(const Normal& n) {
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) && std::isfinite(n.w);
}

int depth_of(float value) {
    float w = std::floor(value);
    if (w >= float(INT_MAX)) return INT_MAX;
    if (w <= float(INT_MIN)) return INT_MIN;
    return w == w ? int(w) : 0;
}

} // namespace

// Checkpoints every 4096 faces of the lists' making and of every pass.
void MeanShift::median_filter(const Vector& r, Work* work) {
    console_printf("Evaluating MEDIAN_FILTER: \n");
    int depth = depth_of(r.w);
    console_printf("depth: %d\n", depth);

    // Neighbours of each face (the edge table's lists, in discovery order, of the
    // current faces), and what a ring made of them adds: the neighbours of each, the
    // ring taken from its end.
    if (!mesh->edge_list_current()) mesh->build_edge_list();
    int nf = mesh->nf;
    const NeighbourLists& lists = mesh->face_adjacency;
    FaceLists neighbours, ring_sums;
    for (int i = 0; i < nf; ++i) {
        if ((i & 4095) == 0) checkpoint(work);
        if (i < lists.size())
            for (const EdgeRef& ref : lists[i])
                neighbours.items.push_back(mesh->edgefaces[ref.edge][ref.end]);
        neighbours.close_list();
    }
    for (int q = 0; q < nf; ++q) {
        if ((q & 4095) == 0) checkpoint(work);
        for (const int* t = neighbours.end(q); t != neighbours.begin(q);) {
            --t;
            ring_sums.items.insert(ring_sums.items.end(), neighbours.begin(*t), neighbours.end(*t));
        }
        ring_sums.close_list();
    }

    // The normals in a compact array while the passes run; a face's normal is its four
    // components (the cached length is not part of it).
    std::vector<Normal> compact(nf);
    bool all_usable = true;
    for (int i = 0; i < nf; ++i) {
        const Vector& n = normal_of(i);
        compact[i] = {n.x, n.y, n.z, n.w};
        all_usable = all_usable && usable(compact[i]);
    }
    // Adds the normals of the faces [from, to) to `sum`; returns how many it added.
    // `careful` leaves out normals that are no number (faces of zero area): only a mesh
    // that has such normals pays for the test, and the average is over the others.
    auto add = [&](Normal& sum, const int* from, const int* to, auto careful) {
        int added = int(to - from);
        for (; from != to; ++from) {
            const Normal& n = compact[*from];
            if constexpr (decltype(careful)::value) {
                if (!usable(n)) {
                    --added;
                    continue;
                }
            }
            sum.x += n.x;
            sum.y += n.y;
            sum.z += n.z;
            sum.w += n.w;
        }
        return added;
    };

    // Face i's average over its rings; an average that is zero or no number leaves the
    // normal as it was.
    auto average = [&](int i, auto careful) {
        Normal sum{0, 0, 0, 0};
        int m = add(sum, neighbours.begin(i), neighbours.end(i), careful); // ring 0 = {i}
        for (int j = 1, q = i; j < depth && neighbours.size(q) > 0; ++j) {
            m += add(sum, ring_sums.begin(q), ring_sums.end(q), careful);
            q = *neighbours.begin(q);
        }
        if (m > 0) {
            float count = float(m); // x, y and z are averaged; w stays the sum
            sum.x /= count;
            sum.y /= count;
            sum.z /= count;
            if ((sum.x != 0 || sum.y != 0 || sum.z != 0) && usable(sum)) compact[i] = sum;
        }
    };
    // Averages only ever store usable normals: a mesh whose normals all are stays so.
    auto passes = [&](auto careful) {
        for (int p = 0; p < 50; ++p) {
            print_progress(p, 50, work);
            // Runs of 4096 faces between checkpoints: the loop over the faces holds the
            // sums alone.
            for (int from = 0; from < nf; from += 4096) {
                checkpoint(work);
                for (int i = from, to = std::min(nf, from + 4096); i < to; ++i) average(i, careful);
            }
        }
    };
    if (all_usable)
        passes(std::false_type{});
    else
        passes(std::true_type{});
    console_printf("\n"); // the progress bar's line ends, as the other filters' do
    for (int i = 0; i < nf; ++i) {
        Vector& n = normal_of(i);
        n.x = compact[i].x;
        n.y = compact[i].y;
        n.z = compact[i].z;
        n.w = compact[i].w;
    }
}
