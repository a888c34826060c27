#include "segmentation/shortest_path_table.h"

#include "core/big_arrays.h"
#include "core/console.h"
#include "segmentation/face_graph.h"

#include <atomic>
#include <cmath>
#include <string>
#include <unistd.h>

namespace {

// The report names the largest mesh whose table fits in 98,304,000 entries (1125 MB at
// 12 bytes an entry), whatever the mesh at hand.
int max_report_triangles() {
    int i = 0;
    while (ShortestPathTable::entry_count_for(i) <= 98304000) ++i;
    return i;
}

// Memory the computer has; a table larger than that cannot be held, whatever the
// allocator promises.
double physical_memory_bytes() {
    long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page <= 0) return INFINITY;
    return double(pages) * double(page);
}

} // namespace

void ShortestPathTable::distances_changed() {
    // One counter for every table, so that a table moved or swapped in for another never
    // carries the generation copies of the other were taken at.
    static std::atomic<unsigned> last{0};
    generation_ = ++last;
}

std::int64_t ShortestPathTable::entry_count_for(int faces) {
    return std::int64_t(std::floor(double(faces) * double(faces) * 0.5 + double(faces)));
}

void ShortestPathTable::clear() {
    n = 0;
    entry_count = 0;
    offsets.clear();
    offsets.shrink_to_fit();
    distances.reset();
    weights.clear();
    distances_changed();
}

IoResult ShortestPathTable::allocate(int faces) {
    static const int report_triangles = max_report_triangles();
    std::int64_t count = entry_count_for(faces);
    console_printf("MAX mesh triangles: %d\n", report_triangles);
    console_printf("Allocating: %.2fMB\n", double(count) * 12 / 1048576);
    console_printf("Size: %lld\n", (long long)count);
    if (count > max_entries) {
        console_printf("Reached INT_MAX!!!\n");
        return IoResult::failure("ERROR: the shortest path table of " + std::to_string(faces) +
                                 " faces would have " + std::to_string(count) +
                                 " entries, more than a table can address (" +
                                 std::to_string(max_entries) + ")");
    }

    clear();
    double bytes = double(count) * sizeof(float);
    float* memory = nullptr;
    if (count > 0 && bytes <= physical_memory_bytes())
        memory = static_cast<float*>(std::calloc(size_t(count), sizeof(float)));
    if (count > 0 && !memory) {
        char mb[32];
        std::snprintf(mb, sizeof mb, "%.2f", bytes / 1048576);
        return IoResult::failure("ERROR: could not obtain " + std::string(mb) +
                                 " MB for the shortest path table of " + std::to_string(faces) +
                                 " faces");
    }
    // Huge pages: the table is filled once and then read whole many times over.
    if (memory) advise_huge_pages(memory, size_t(bytes));
    distances.reset(memory);
    n = faces;
    entry_count = count;
    offsets.resize(size_t(faces));
    for (int i = 1; i < faces; ++i) offsets[i] = offsets[i - 1] + i;
    return IoResult::success();
}

void ShortestPathTable::set_weight(int a, int b, float w) {
    if (a > b) std::swap(a, b);
    weights.push_back({a, b, w});
}

float ShortestPathTable::edge_weight(int a, int b) const {
    if (a > b) std::swap(a, b);
    for (auto it = weights.rbegin(); it != weights.rend(); ++it)
        if (it->a == a && it->b == b) return it->w;
    return 0;
}

void ShortestPathTable::compute_all_pairs(SpMode mode, Work* work) {
    checkpoint(work);
    FaceGraph graph = face_graph(n, weights);
    try {
        if (mode == SpMode::Dijkstra)
            fill_weighted_distances(*this, graph, work);
        else
            fill_step_counts(*this, graph, work);
    } catch (...) {
        distances_changed(); // rows taken from the old distances are stale all the same
        throw;
    }
    distances_changed();
}
