#include "segmentation/shortest_path_table.h"

#include "core/big_arrays.h"
#include "core/console.h"
#include "segmentation/face_graph.h"

#include <atomic>
#include <cmath>
#include <cstdio>
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

// n with thousands separated by commas: 124,008.
std::string with_commas(std::int64_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// Bytes in decimal units, three significant digits: "30.8 GB", "335 MB".
std::string decimal_size(double bytes) {
    const char* unit = bytes >= 1e9 ? "GB" : "MB";
    double value = bytes / (bytes >= 1e9 ? 1e9 : 1e6);
    const int decimals = value >= 100 ? 0 : value >= 10 ? 1 : 2;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
    return text;
}

// n rounded down to three significant digits: 65,535 gives 65,500.
std::int64_t about(std::int64_t n) {
    std::int64_t step = 1;
    while (n / step >= 1000) step *= 10;
    return n / step * step;
}

// Whether a table of `count` entries can be addressed and held here.
bool table_fits(std::int64_t count) {
    return count <= ShortestPathTable::max_entries &&
           double(count) * sizeof(float) <= physical_memory_bytes();
}

} // namespace

int ShortestPathTable::max_faces_here() {
    int lo = 0, hi = 65536; // a table of 65,536 faces is past the 32-bit indices
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        (table_fits(entry_count_for(mid)) ? lo : hi) = mid;
    }
    return lo;
}

std::string ShortestPathTable::size_refusal(int faces, const std::string& mesh) {
    const double bytes = double(entry_count_for(faces)) * sizeof(float);
    return "ERROR: " + (mesh.empty() ? std::string("the mesh") : mesh) + " has " +
           with_commas(faces) + " faces: its shortest path table would need " +
           decimal_size(bytes) + ", and at most about " + with_commas(about(max_faces_here())) +
           " faces fit in a table here; classify a simplified copy with --proxy (the Classify "
           "page's \"Classify a simplified copy\")";
}

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

IoResult ShortestPathTable::allocate(int faces, const std::string& mesh) {
    static const int report_triangles = max_report_triangles();
    std::int64_t count = entry_count_for(faces);
    console_printf("MAX mesh triangles: %d\n", report_triangles);
    console_printf("Allocating: %.2fMB\n", double(count) * 12 / 1048576);
    console_printf("Size: %lld\n", (long long)count);
    if (count > max_entries) console_printf("Reached INT_MAX!!!\n");
    if (!table_fits(count)) return IoResult::failure(size_refusal(faces, mesh));

    clear();
    double bytes = double(count) * sizeof(float);
    float* memory = nullptr;
    if (count > 0) memory = static_cast<float*>(std::calloc(size_t(count), sizeof(float)));
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
