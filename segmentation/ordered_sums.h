// Per-face sums over a whole shortest path table, each added term by term in the order
// of the other face, as a plain double loop over faces would add them, but reading the
// packed table in order of memory and on two cores.
#pragma once

#include "segmentation/shortest_path_table.h"
#include "segmentation/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// For every face j of the table:
//   sums[j] = (((0 + term(j, 0, d(j, 0))) + term(j, 1, d(j, 1))) + ...) + term(j, n-1, ...)
// in float, where the term of x = j is diagonal(j, d(j, j)) instead. term(j, x, d) and
// diagonal(j, d) return floats and must not depend on the order they are called in.
//
// Row j holds d(j, x) for x <= j, the later rows hold the rest in column j. The row
// parts (x <= j) are added row by row, eight rows side by side so that eight sums grow
// at once; the column parts walk the rows in order and add each element d(r, c), c < r,
// to the sum of c, which thus continues with x = r in increasing order once its row part
// is there. With two threads one adds the row parts and the other follows it with the
// column parts, both reading the same rows.
//
// With a Work: progress (by the share of the table read) and a checkpoint every 16 rows
// of the column parts, on the calling thread; the row parts check for a stop every
// group of rows. A stop leaves `sums` half-added.
template <typename Term, typename Diagonal>
void ordered_face_sums(const ShortestPathTable& table, const Term& term, const Diagonal& diagonal,
                       float* sums, Work* work = nullptr) {
    const int n = table.n;
    if (n == 0) return;
    constexpr int group = 8;
    std::atomic<int> done{0}; // rows whose row parts are in `sums`

    auto row_parts = [&] {
        std::vector<float> terms(group * static_cast<size_t>(n));
        for (int r = 0; r < n; r += group) {
            stop_if_asked(work);
            const int rows = std::min(group, n - r);
            float* t[group];
            for (int i = 0; i < rows; ++i) {
                t[i] = terms.data() + size_t(i) * size_t(n);
                const int j = r + i;
                const float* d = table.row(j);
                float* out = t[i];
                for (int x = 0; x < j; ++x) out[x] = term(j, x, d[x]);
            }
            float s[group] = {};
            if (rows == group) {
                float s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, s5 = 0, s6 = 0, s7 = 0;
                for (int x = 0; x < r; ++x) {
                    s0 += t[0][x];
                    s1 += t[1][x];
                    s2 += t[2][x];
                    s3 += t[3][x];
                    s4 += t[4][x];
                    s5 += t[5][x];
                    s6 += t[6][x];
                    s7 += t[7][x];
                }
                s[0] = s0, s[1] = s1, s[2] = s2, s[3] = s3, s[4] = s4, s[5] = s5, s[6] = s6,
                s[7] = s7;
            } else {
                for (int i = 0; i < rows; ++i)
                    for (int x = 0; x < r; ++x) s[i] += t[i][x];
            }
            for (int i = 0; i < rows; ++i) {
                const int j = r + i;
                for (int x = r; x < j; ++x) s[i] += t[i][x];
                s[i] += diagonal(j, table.row(j)[j]);
                sums[j] = s[i];
            }
            done.store(r + rows, std::memory_order_release);
            done.notify_all();
        }
    };

    auto column_parts = [&] {
        for (int r = 1; r < n; ++r) {
            for (int ready; (ready = done.load(std::memory_order_acquire)) < r;)
                done.wait(ready, std::memory_order_acquire);
            if ((r & 15) == 0) advance(work, int64_t(r) * r, int64_t(n) * n);
            const float* d = table.row(r);
            float* __restrict out = sums;
            for (int c = 0; c < r; ++c) out[c] += term(c, r, d[c]);
        }
    };

    if (worker_count() < 2 || n < 256) {
        row_parts();
        column_parts();
    } else {
        // Row parts that stop release the column parts, which stop at their next
        // checkpoint or, past the last one, once the row parts have ended.
        bool rows_stopped = false;
        std::thread rows([&] {
            try {
                row_parts();
            } catch (const WorkStopped&) {
                rows_stopped = true;
                done.store(n, std::memory_order_release);
                done.notify_all();
            }
        });
        try {
            column_parts();
        } catch (...) {
            rows.join(); // the stop that ends the column parts ends the row parts too
            throw;
        }
        rows.join();
        if (rows_stopped) throw WorkStopped{};
    }
}
