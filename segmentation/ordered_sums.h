// Per-face sums over a whole shortest path table, each added term by term in the order
// of the other face, as a plain double loop over faces would add them, but reading the
// packed table in order of memory and on every core.
#pragma once

#include "segmentation/shortest_path_table.h"
#include "segmentation/worker_threads.h"

#include <vector>

namespace ordered_sums_detail {

// Cuts [0, n) into at most `parts` runs of about equal total size(i).
template <typename Size>
std::vector<int> equal_runs(int n, int parts, const Size& size) {
    double total = 0;
    for (int i = 0; i < n; ++i) total += size(i);
    std::vector<int> cuts{0};
    double so_far = 0;
    for (int i = 0; i < n; ++i) {
        so_far += size(i);
        if (int(cuts.size()) < parts && so_far >= total * double(cuts.size()) / parts)
            cuts.push_back(i + 1);
    }
    if (cuts.back() != n) cuts.push_back(n);
    return cuts;
}

} // namespace ordered_sums_detail

// For every face j of the table:
//   sums[j] = (((0 + term(j, 0, d(j, 0))) + term(j, 1, d(j, 1))) + ...) + term(j, n-1, ...)
// in float, where the term of x = j is diagonal(j, d(j, j)) instead. term(j, x, d) and
// diagonal(j, d) return floats and must not depend on the order they are called in.
//
// Row j holds d(j, x) for x <= j, the later rows hold the rest in column j. A first
// pass adds every row's own part (x <= j); a second walks the rows in order and adds
// each element d(r, c), c < r, to the sum of c, which is thus continued with x = r in
// increasing order. Rows are taken four at a time in the first pass, so that four sums
// grow side by side; both passes share the rows out among the threads.
template <typename Term, typename Diagonal>
void ordered_face_sums(const ShortestPathTable& table, const Term& term, const Diagonal& diagonal,
                       float* sums) {
    using ordered_sums_detail::equal_runs;
    const int n = table.n;
    if (n == 0) return;
    const int parts = n < 256 ? 1 : 8 * worker_count();

    std::vector<int> rows = equal_runs(n, parts, [](int r) { return double(r + 1); });
    run_tasks(int(rows.size()) - 1, [&](int part) {
        const int r0 = rows[part], r1 = rows[part + 1];
        std::vector<float> terms(4 * size_t(r1));
        for (int r = r0; r < r1;) {
            const int group = std::min(4, r1 - r);
            float* t[4];
            for (int i = 0; i < group; ++i) {
                t[i] = terms.data() + size_t(i) * size_t(r1);
                const int j = r + i;
                const float* d = table.row(j);
                float* out = t[i];
                for (int x = 0; x < j; ++x) out[x] = term(j, x, d[x]);
            }
            float s[4] = {0, 0, 0, 0};
            if (group == 4) {
                float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
                for (int x = 0; x < r; ++x) {
                    s0 += t[0][x];
                    s1 += t[1][x];
                    s2 += t[2][x];
                    s3 += t[3][x];
                }
                s[0] = s0, s[1] = s1, s[2] = s2, s[3] = s3;
            } else {
                for (int i = 0; i < group; ++i)
                    for (int x = 0; x < r; ++x) s[i] += t[i][x];
            }
            for (int i = 0; i < group; ++i) {
                const int j = r + i;
                for (int x = r; x < j; ++x) s[i] += t[i][x];
                s[i] += diagonal(j, table.row(j)[j]);
                sums[j] = s[i];
            }
            r += group;
        }
    });

    std::vector<int> columns = equal_runs(n, parts, [n](int c) { return double(n - 1 - c); });
    run_tasks(int(columns.size()) - 1, [&](int part) {
        const int c0 = columns[part], c1 = columns[part + 1];
        for (int r = c0 + 1; r < n; ++r) {
            const float* d = table.row(r);
            const int end = std::min(r, c1);
            for (int c = c0; c < end; ++c) sums[c] += term(c, r, d[c]);
        }
    });
}
