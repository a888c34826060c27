#include "segmentation/step_table.h"

#include "segmentation/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <new>

namespace {

// Rows [begin(t), begin(t + 1)) of task t of `tasks` hold about equal shares of the
// packed triangle of n rows.
int first_row_of_task(int t, int tasks, int n) {
    return int(std::lround(double(n) * std::sqrt(double(t) / tasks)));
}

int step_tasks(int n) {
    return n < 256 ? 1 : 32;
}

// Copies entries [begin, end) as bytes; false when one is neither a step count of at
// most 254 nor 1e9. On the float bits, without branches, so that it runs on vectors:
// the floats from +0 to 254 are those whose bits are at most 254's.
bool copy_steps(const float* __restrict from, std::uint8_t* __restrict to, std::int64_t begin,
                std::int64_t end) {
    constexpr std::uint32_t most = std::bit_cast<std::uint32_t>(254.0f);
    constexpr std::uint32_t none = std::bit_cast<std::uint32_t>(no_path);
    std::uint32_t bad = 0;
    for (std::int64_t i = begin; i < end; ++i) {
        const std::uint32_t u = std::bit_cast<std::uint32_t>(from[i]);
        const std::uint32_t in_range = -std::uint32_t(u <= most);
        const std::int32_t step = std::int32_t(std::bit_cast<float>(u & in_range));
        const std::uint32_t whole =
            in_range & -std::uint32_t(std::bit_cast<std::uint32_t>(float(step)) == u);
        const std::uint32_t path = -std::uint32_t(u != none);
        bad |= path & ~whole;
        to[i] = std::uint8_t(std::uint32_t(step) | ~path); // 255 for no path
    }
    return bad == 0;
}

// The sum of row r's distances to the earlier faces of its patch, each also added to
// that face's column sum in `into`. Bytes masked rather than branched on, so that it
// runs on vectors.
std::int32_t add_row_steps(const std::uint8_t* __restrict d, const std::uint8_t* __restrict of,
                           std::uint8_t patch, std::int32_t* __restrict into, int r) {
    std::int32_t sum = 0;
    for (int c = 0; c < r; ++c) {
        const std::uint8_t keep =
            std::uint8_t(-std::uint8_t((of[c] == patch) & (d[c] != StepTable::none)));
        const std::uint8_t v = d[c] & keep;
        sum += v;
        into[c] += v;
    }
    return sum;
}

} // namespace

void StepTable::clear() {
    source = nullptr;
    usable = false;
    n = 0;
    offsets.clear();
    steps.reset();
}

const StepTable* StepTable::of(const ShortestPathTable& table, Work* work) {
    if (source != &table || generation != table.generation()) {
        clear();
        usable = copy(table, work);
        source = &table;
        generation = table.generation();
    }
    return usable ? this : nullptr;
}

bool StepTable::copy(const ShortestPathTable& table, Work* work) {
    // Past 65,535 faces the sums could pass 2^24; a table never holds that many.
    if (table.n == 0 || table.n > 65535 || !table.data()) return false;
    const std::int64_t addressed = std::int64_t(table.n) * (table.n + 1) / 2;
    // The last row first, into a row of its own: a table of weight sums fails there
    // without the memory for the whole.
    std::vector<std::uint8_t> last(static_cast<size_t>(table.n));
    if (!copy_steps(table.row(table.n - 1), last.data(), 0, table.n)) return false;
    steps.reset(new (std::nothrow) std::uint8_t[size_t(addressed)]);
    if (!steps) return false;
    std::atomic<bool> whole{true};
    const int tasks = step_tasks(table.n);
    try {
        run_tasks(tasks, work, [&](int t) {
            stop_if_asked(work);
            if (!whole) return;
            const std::int64_t begin = table.offsets[first_row_of_task(t, tasks, table.n)];
            const int end_row = first_row_of_task(t + 1, tasks, table.n);
            const std::int64_t end = end_row == table.n ? addressed : table.offsets[end_row];
            if (!copy_steps(table.data(), steps.get(), begin, end)) whole = false;
        });
    } catch (...) {
        steps.reset();
        throw;
    }
    if (!whole) {
        steps.reset();
        return false;
    }
    n = table.n;
    offsets = table.offsets;
    return true;
}

void same_patch_step_sums(const StepTable& steps, std::span<const std::uint8_t> patch_of,
                          float* sums, Work* work) {
    const int n = steps.faces(), tasks = step_tasks(n);
    // Each task adds its rows' own parts to their faces, and the parts of the earlier
    // faces in its rows to a column array of its own; whole numbers, so any order will do.
    std::vector<std::int32_t> own(static_cast<size_t>(n), 0);
    std::vector<std::vector<std::int32_t>> columns(static_cast<size_t>(tasks));
    const std::uint8_t* of = patch_of.data();
    run_tasks(tasks, work, [&](int t) {
        stop_if_asked(work);
        const int begin = first_row_of_task(t, tasks, n), end = first_row_of_task(t + 1, tasks, n);
        std::vector<std::int32_t>& column = columns[size_t(t)];
        column.assign(size_t(end), 0);
        std::int32_t* __restrict into = column.data();
        for (int r = begin; r < end; ++r)
            own[size_t(r)] = add_row_steps(steps.row(r), of, of[r], into, r);
    });
    for (const std::vector<std::int32_t>& column : columns)
        for (size_t f = 0; f < column.size(); ++f) own[f] += column[f];
    for (int f = 0; f < n; ++f) sums[f] = float(own[size_t(f)]);
}
