// Patch classification as first written: the packed table with both float arrays,
// Floyd-Warshall over it, a plain Dijkstra, and every classification step as literal
// loops over distance lookups. Slow (cubic table, O(k n^2) lookups with a division
// each); kept to check the fast classifier against (tests) and to measure it by
// (benchmarks).
//
// With the rules for meshes in pieces and faces of zero area (the default): a NaN
// cosine counts as 1; the three least-sum choices (first representative, refinement,
// medoid) start at +infinity, leave "no path" (1e9) out of their sums and take no
// candidate at 1e9 from the representative it would replace. `as_first_written` turns
// them off, to pin the results the classifier has always given on sound meshes.
#pragma once

#include "core/colour.h"
#include "core/mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace reference {

struct SpTable {
    int n = 0;
    long long entries = 0;
    std::vector<long long> offset;
    std::vector<float> weights, distances;

    void allocate(int faces) {
        n = faces;
        entries = (long long)std::floor(double(faces) * double(faces) * 0.5 + double(faces));
        offset.assign(size_t(faces), 0);
        for (int i = 1; i < faces; ++i) offset[i] = offset[i - 1] + i;
        weights.assign(size_t(entries), 0.0f);
        distances.assign(size_t(entries), 0.0f);
    }
    long long index(int a, int b) const { return a > b ? offset[a] + b : offset[b] + a; }
    void set_weight(int a, int b, float w) { weights[size_t(index(a, b))] = w; }
    float& d(int a, int b) { return distances[size_t(index(a, b))]; }

    void floyd() {
        for (int i = 0; i < n; ++i)
            for (int j = i; j < n; ++j) d(i, j) = weights[size_t(index(i, j))] != 0 ? 1.0f : 1e9f;
        for (int i = 0; i < n; ++i) d(i, i) = 0;
        for (int k = 0; k < n; ++k)
            for (int i = 0; i < n; ++i)
                for (int j = i; j < n; ++j) {
                    float s = d(i, k) + d(k, j);
                    if (d(i, j) > s) d(i, j) = s;
                }
    }

    // From every face a: settle the unsettled face of least finite distance (ties to
    // the smaller face), relax its neighbours (pairs with a weight other than 0) in
    // float; pair (a, b), b >= a, gets the distance of b, 1e9 if none.
    void dijkstra() {
        for (int a = 0; a < n; ++a) {
            std::vector<float> dist(size_t(n), INFINITY);
            std::vector<char> done(size_t(n), 0);
            dist[a] = 0;
            for (;;) {
                int v = -1;
                for (int f = 0; f < n; ++f)
                    if (!done[f] && std::isfinite(dist[f]) && (v < 0 || dist[f] < dist[v])) v = f;
                if (v < 0) break;
                done[v] = 1;
                for (int u = 0; u < n; ++u) {
                    float w = weights[size_t(index(v, u))];
                    if (u == v || w == 0) continue;
                    float through = dist[v] + w;
                    if (through < dist[u]) dist[u] = through;
                }
            }
            for (int b = a; b < n; ++b) d(a, b) = std::isfinite(dist[b]) ? dist[b] : 1e9f;
        }
    }
};

// The classifier over its own table; console lines collected in `out`.
struct Classifier {
    Mesh& mesh;
    SpTable table;
    double weight = 0.5;
    int sp_mode = 0;
    std::vector<int> reps;
    int k = 0;
    std::vector<std::vector<float>> mem;
    std::vector<Vector> colours;
    std::vector<std::array<int, 2>> nb;
    std::string out;
    // Distances to take instead of running the all-pairs step (for meshes too large for
    // Floyd-Warshall in a test), or nullptr.
    const float* given_distances = nullptr;
    bool as_first_written = false;

    explicit Classifier(Mesh& m) : mesh(m) {}

    void print(const char* format, ...) {
        char buf[256];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buf, sizeof buf, format, args);
        va_end(args);
        out += buf;
    }
    float dist(int a, int b) { return table.d(a, b); }
    Face& face(int f) { return *mesh.faceptrs[f]; }

    void allocate() {
        int n = mesh.nf;
        int i = 0;
        while ((long long)std::floor(double(i) * i * 0.5 + i) <= 98304000) ++i;
        print("MAX mesh triangles: %d\n", i);
        long long entries = (long long)std::floor(double(n) * n * 0.5 + n);
        print("Allocating: %.2fMB\n", double(entries) * 12 / 1048576);
        print("Size: %lld\n", entries);
        table.allocate(n);
    }

    void build_table() {
        print(sp_mode == 0 ? "Using Floyd Shortest Path\n" : "Using Dijkstra Shortest Path\n");
        allocate();
        print("Building Centroids\n");
        std::vector<Vector> centroid;
        for (int f = 0; f < mesh.nf; ++f) {
            Vector p0 = *face(f).corners[0], p1 = *face(f).corners[1], p2 = *face(f).corners[2];
            centroid.push_back(Vector((p0.x + p1.x + p2.x) / 3.0f, (p0.y + p1.y + p2.y) / 3.0f,
                                      (p0.z + p1.z + p2.z) / 3.0f));
        }
        print("Building Distances\n");
        std::vector<float> gs(size_t(mesh.nedges)), ts(size_t(mesh.nedges));
        float gsum = 0, tsum = 0;
        for (int e = 0; e < mesh.nedges; ++e) {
            int a = mesh.edgefaces[e][0], b = mesh.edgefaces[e][1];
            if (b == -1) continue;
            float dx = centroid[a].x - centroid[b].x, dy = centroid[a].y - centroid[b].y,
                  dz = centroid[a].z - centroid[b].z;
            float g = std::sqrt(dx * dx + dy * dy + dz * dz);
            const Vector &na = face(a).normal, &nbv = face(b).normal;
            float c = na.x * nbv.x + na.y * nbv.y + na.z * nbv.z;
            if (!as_first_written && std::isnan(c)) c = 1;
            c = c > 1 ? 1 : c < -1 ? -1 : c;
            float theta = (float)std::acos((double)c);
            double t = 0.05 * (double)(float)(1.0f - theta);
            if (t < 0) t = 0;
            gs[e] = g;
            ts[e] = (float)t;
            gsum += gs[e];
            tsum += ts[e];
        }
        float gavg = gsum / (float)mesh.nedges, tavg = tsum / (float)mesh.nedges;
        if (gavg <= 0) gavg = 1;
        if (tavg <= 0) tavg = 1;
        for (int e = 0; e < mesh.nedges; ++e) {
            int a = mesh.edgefaces[e][0], b = mesh.edgefaces[e][1];
            if (b == -1) continue;
            float tq = ts[e] / tavg, gq = gs[e] / gavg;
            table.set_weight(a, b, (float)((double)tq * (1.0 - weight) + (double)gq * weight));
        }
        if (given_distances)
            std::copy(given_distances, given_distances + table.entries, table.distances.begin());
        else if (sp_mode == 0)
            table.floyd();
        else
            table.dijkstra();
    }

    void classify() {
        build_table();
        build_patches();
        find_patch_count();
        compute_memberships(k);
        find_neighbours(k);
        eval_fuzzy(k);
        colour_patches();
    }

    // The start value of a least-sum choice.
    float least_sum_start() const { return as_first_written ? 1000000.0f : INFINITY; }
    // Whether a distance is left out of a least-sum choice's sum.
    bool left_out(float d) const { return !as_first_written && d == 1e9f; }

    void build_patches() {
        print("Building Patches\n");
        int n = mesh.nf;
        reps.clear();
        float best = least_sum_start();
        int first = 0;
        for (int i = 0; i < n; ++i) {
            float sum = 0;
            for (int j = 0; j < n; ++j)
                if (dist(i, j) != 1e8f && !left_out(dist(i, j))) sum += dist(i, j);
            if (sum <= best) {
                best = sum;
                first = i;
            }
        }
        reps.push_back(first);
        for (int c = 0; c < 50; ++c) {
            float far = 0;
            int choice = 0;
            for (int f = 0; f < n; ++f) {
                float m = 1e9f;
                for (int r : reps)
                    if (dist(r, f) < m) m = dist(r, f);
                if (m >= far) {
                    far = m;
                    choice = f;
                }
            }
            reps.push_back(choice);
        }
    }

    void find_patch_count() {
        int count = int(reps.size());
        std::vector<float> sep(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            sep[i] = 1e9f;
            for (int j = 0; j < i; ++j)
                if (dist(reps[i], reps[j]) < sep[i]) sep[i] = dist(reps[i], reps[j]);
        }
        float best = 0;
        k = 0;
        for (int j = 2; j <= count - 1; ++j)
            if (sep[j - 1] - sep[j] >= best) {
                best = sep[j - 1] - sep[j];
                k = j;
            }
        print("Optimal Number of Patches:%d\n", k);
    }

    static Vector colour_of(int i, int count) {
        float hue = (float)((double)((float)i / (float)count) * 359.0);
        float r = 0, g = 0, b = 0;
        hsv_to_rgb(hue, 1, 1, r, g, b);
        return Vector(r, g, b, 1);
    }

    void compute_memberships(int count) {
        int n = mesh.nf;
        k = count;
        mem.assign(size_t(count), std::vector<float>(size_t(n)));
        colours.clear();
        for (int i = 0; i < count; ++i) {
            for (int f = 0; f < n; ++f) {
                if (f == reps[i]) {
                    mem[i][f] = 1.0f;
                    continue;
                }
                float s = 0;
                for (int l = 0; l < count; ++l) {
                    float dl = dist(reps[l], f);
                    if (dl == 1e7f) dl = 0;
                    s += 1.0f / dl;
                }
                mem[i][f] = (1.0f / dist(reps[i], f)) / s;
            }
            colours.push_back(colour_of(i, count));
        }
    }

    void find_neighbours(int count) {
        nb.clear();
        for (int p = 0; p < count; ++p) {
            float best = 1000000;
            int first = 0;
            for (int i = 0; i < count; ++i)
                if (i != p && dist(reps[p], reps[i]) <= best) {
                    best = dist(reps[p], reps[i]);
                    first = i;
                }
            best = 1000000;
            int second = 0;
            for (int i = 0; i < count; ++i)
                if (i != p && i != first && dist(reps[p], reps[i]) <= best) {
                    best = dist(reps[p], reps[i]);
                    second = i;
                }
            nb.push_back({first, second});
        }
        for (int p = 0; p < count; ++p) print("neigbour: %d\n", nb[p][1]);
    }

    void eval_fuzzy(int count) {
        int n = mesh.nf;
        print("Eval FUZZY\n");
        for (int i = 0; i < count; ++i) print("%d\n", reps[i]);
        int choice = 0;
        for (int p = 0; p < count; ++p) {
            int b = nb[p][0];
            compute_memberships(count);
            float best = least_sum_start();
            for (int j = 0; j < n; ++j) {
                bool taken = false;
                for (int q = 0; q < p; ++q) taken = taken || reps[q] == j;
                if (taken || left_out(dist(reps[p], j))) continue;
                float cost = 0;
                for (int x = 0; x < n; ++x) {
                    if (x == j || left_out(dist(j, x))) continue;
                    float pj = mem[p][j], qx = mem[b][x];
                    cost += dist(j, x) * pj / (pj + qx);
                }
                if (cost <= best) {
                    best = cost;
                    choice = j;
                }
            }
            reps[p] = choice;
        }
        for (int i = 0; i < count; ++i) print("%d\n", reps[i]);
        compute_memberships(count);
    }

    void colour_patches() {
        int n = mesh.nf;
        for (int f = 0; f < n; ++f) face(f).colour = Vector(0, 0, 0, 0);
        std::vector<std::vector<int>> decide(size_t(n), std::vector<int>(size_t(k), 0));
        for (int p = 0; p < k; ++p) {
            int b = nb[p][0];
            for (int f = 0; f < n; ++f) {
                float q = mem[b][f];
                if ((double)q < (double)0.1f)
                    decide[f][b] = p;
                else if ((double)q > (double)0.9f)
                    decide[f][b] = b;
                else
                    decide[f][b] = 0;
            }
        }
        for (int f = 0; f < n; ++f) {
            Vector c(0.5f, 0.5f, 0.5f, 1);
            for (int i = 0; i < k; ++i)
                if (decide[f][i] != 0) {
                    c = colours[decide[f][i]];
                    break;
                }
            face(f).colour = c;
        }
        for (int i = 0; i < k; ++i) face(reps[i]).colour = Vector(1, 1, 0, 1);
    }

    void cluster_patches(int count) {
        int n = mesh.nf;
        colours.clear();
        for (int i = 0; i < count; ++i) colours.push_back(colour_of(i, count));
        std::vector<int> fresh(reps.begin(), reps.begin() + count);
        std::vector<std::vector<int>> clusters;
        int choice = 0;
        for (int pass = 1;; ++pass) {
            clusters.assign(size_t(count), {});
            for (int f = 0; f < n; ++f) {
                float best = 1000000;
                for (int i = 0; i < count; ++i) {
                    float d = f == reps[i] ? 0.0f : dist(reps[i], f);
                    if (d <= best) {
                        best = d;
                        choice = i;
                    }
                }
                clusters[choice].push_back(f);
            }
            for (int c = 0; c < count; ++c) {
                float best = least_sum_start();
                for (int v : clusters[c]) {
                    if (left_out(dist(reps[c], v))) continue;
                    float cost = 0;
                    for (int x : clusters[c]) // x = v adds 0
                        if (x != v && !left_out(dist(v, x))) cost += dist(v, x);
                    if (cost <= best) {
                        best = cost;
                        fresh[c] = v;
                    }
                }
            }
            bool same = true;
            for (int i = 0; i < count; ++i) same = same && fresh[i] == reps[i];
            if (!same)
                for (int i = 0; i < count; ++i) reps[i] = fresh[i];
            if (pass == 500) {
                print("WARNING: MAX ITERATIONS REACHED!!!\n");
                break;
            }
            if (same) break;
        }
        for (int c = 0; c < count; ++c)
            for (int f : clusters[c]) face(f).colour = colours[c];
    }
};

} // namespace reference
