// Per-face sums over a whole shortest path table, or over the pairs of a set of its
// faces, each added term by term in the order of the other face, as a plain double loop
// over faces would add them, but reading the packed table in order of memory and on two
// cores.
#pragma once

#include "segmentation/shortest_path_table.h"
#include "segmentation/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <span>
#include <thread>
#include <vector>

// For the faces f(0) < f(1) < ... < f(m - 1) of the table, at every position a:
//   sums[a] = ((0 + term(f(a), f(0), d(f(a), f(0)))) + ...) + term(f(a), f(m-1), ...)
// in float, where the term of position a itself is diagonal(f(a), d(f(a), f(a)))
// instead. term(j, x, d) and diagonal(j, d) take faces, return floats and must not
// depend on the order they are called in.
//
// Row f(a) holds d(f(a), f(b)) for b <= a, the later rows hold the rest in column f(a).
// The row parts (b <= a) are added row by row, eight rows side by side so that eight
// sums grow at once; the column parts walk the rows in order and add each element
// d(f(r), f(c)), c < r, to the sum of c, which thus continues with b = r in increasing
// order once its row part is there. With two threads one adds the row parts and the
// other follows it with the column parts, both reading the same rows.
//
// With a Work: progress (by the share of the pairs read) and a checkpoint every 16 rows
// of the column parts, on the calling thread; the row parts check for a stop every
// group of rows. A stop leaves `sums` half-added.
template <typename Face, typename Term, typename Diagonal>
void ordered_sums_over(const ShortestPathTable& table, int m, const Face& f, const Term& term,
                       const Diagonal& diagonal, float* sums, Work* work) {
    if (m == 0) return;
    constexpr int group = 8;
    std::atomic<int> done{0}; // positions whose row parts are in `sums`

    auto row_parts = [&] {
        std::vector<float> terms(group * static_cast<size_t>(m));
        for (int r = 0; r < m; r += group) {
            stop_if_asked(work);
            const int rows = std::min(group, m - r);
            float* t[group];
            for (int i = 0; i < rows; ++i) {
                t[i] = terms.data() + size_t(i) * size_t(m);
                const int a = r + i, j = f(a);
                const float* d = table.row(j);
                float* out = t[i];
                for (int b = 0; b < a; ++b) {
                    const int x = f(b);
                    out[b] = term(j, x, d[x]);
                }
            }
            float s[group] = {};
            if (rows == group) {
                float s0 = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0, s5 = 0, s6 = 0, s7 = 0;
                for (int b = 0; b < r; ++b) {
                    s0 += t[0][b];
                    s1 += t[1][b];
                    s2 += t[2][b];
                    s3 += t[3][b];
                    s4 += t[4][b];
                    s5 += t[5][b];
                    s6 += t[6][b];
                    s7 += t[7][b];
                }
                s[0] = s0, s[1] = s1, s[2] = s2, s[3] = s3, s[4] = s4, s[5] = s5, s[6] = s6,
                s[7] = s7;
            } else {
                for (int i = 0; i < rows; ++i)
                    for (int b = 0; b < r; ++b) s[i] += t[i][b];
            }
            for (int i = 0; i < rows; ++i) {
                const int a = r + i, j = f(a);
                for (int b = r; b < a; ++b) s[i] += t[i][b];
                s[i] += diagonal(j, table.row(j)[j]);
                sums[a] = s[i];
            }
            done.store(r + rows, std::memory_order_release);
            done.notify_all();
        }
    };

    auto column_parts = [&] {
        for (int r = 1; r < m; ++r) {
            for (int ready; (ready = done.load(std::memory_order_acquire)) < r;)
                done.wait(ready, std::memory_order_acquire);
            if ((r & 15) == 0) advance(work, int64_t(r) * r, int64_t(m) * m);
            const int x = f(r);
            const float* d = table.row(x);
            float* __restrict out = sums;
            for (int c = 0; c < r; ++c) {
                const int j = f(c);
                out[c] += term(j, x, d[j]);
            }
        }
    };

    if (worker_count() < 2 || m < 256) {
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
                done.store(m, std::memory_order_release);
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

// The sums over all faces of the table: sums[j] for face j.
template <typename Term, typename Diagonal>
void ordered_face_sums(const ShortestPathTable& table, const Term& term, const Diagonal& diagonal,
                       float* sums, Work* work = nullptr) {
    ordered_sums_over(
        table, table.n, [](int a) { return a; }, term, diagonal, sums, work);
}

// The sums over the faces `members` (in increasing order): sums[a] for members[a].
template <typename Term, typename Diagonal>
void ordered_member_sums(const ShortestPathTable& table, std::span<const int> members,
                         const Term& term, const Diagonal& diagonal, float* sums,
                         Work* work = nullptr) {
    const int* face = members.data();
    ordered_sums_over(
        table, int(members.size()), [face](int a) { return face[a]; }, term, diagonal, sums, work);
}
