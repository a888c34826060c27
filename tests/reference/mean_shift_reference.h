// The normal filters as first written: each pass of the region filters walks the whole
// linked list of remaining faces, the median filter copies its rings as lists. Kept to
// check the fast filters against (tests, fuzzing) and to measure them by (benchmarks).
// Reads the mesh's centroids and edge table as they are.
#pragma once

#include "core/console.h"
#include "core/mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <list>
#include <vector>

// Mended as in the filters: a normal that is no number (a face of zero area) adds
// nothing, and a sum that is zero or no number leaves the old normals.
inline bool reference_usable(const Vector& n) {
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) && std::isfinite(n.w);
}

inline bool reference_result(const Vector& n) {
    return reference_usable(n) && n != Vector(0, 0, 0);
}

class ReferenceMeanShift {
  public:
    explicit ReferenceMeanShift(Mesh& m) : mesh(&m) {}

    float width = 10.0f;
    int ticks = 0, step = 0, threshold = 0;
    int mode = 0;
    Mesh* mesh;
    std::list<int> remaining_faces;
    std::vector<Vector> current_region;
    std::vector<std::vector<Vector>> regions;
    Vector radius{0, 0, 0, 1}, centre{0, 0, 0, 1};
    Vector centroid_sum{0}, normal_sum{0};
    int processed = 0, growing = 0, needs_reset = 1;
    int weight_mode = 0;
    std::vector<Vector> weight_function;
    int function_height = 0;

    // mode 0 mean shift, 1 sphere jump, 2 median filter; kind 1 run, 2 one pass.
    void evaluate(const Vector& r, int kind, int m) {
        if (r == Vector(0, 0, 0)) return;
        mode = m;
        if (m == 0) mean_shift(r, kind);
        if (m == 1) sphere_jump(r, kind);
        if (m == 2) median_filter(r);
    }

    void function_slot(const std::vector<Vector>& func, int sizey) {
        weight_mode = 1;
        function_height = sizey;
        weight_function = func;
    }

    void print_progress(int done, int total) {
        if (total == 0) return;
        if (done == 0) {
            ticks = 0;
            step = int(std::floor(float(total) / width + 0.5f));
            threshold = 0;
        }
        if (done == threshold) {
            ticks++;
            // Mended as in the filters: never more stars than the bar's places (a small
            // total makes more than ten frames).
            std::string bar = "[";
            int stars = std::min(ticks - 1, int(width) - 1);
            for (int i = 0; i < stars; ++i) bar += "*";
            for (int i = 0; i < int(width) - 1 - stars; ++i) bar += " ";
            bar += "]";
            console_printf("\r\rProgress = %s", bar.c_str());
            std::fflush(console_stream());
            threshold += step;
        }
    }

    Vector contribution(int f, const Vector& c) {
        Vector n = mesh->faceptrs[f]->normal;
        if (weight_mode == 0) return n;
        float d = (mesh->centroids[f] - c).length();
        float k = std::floor(d / radius.x * 100 + 0.5f);
        // Only the curve's points are read (geometry that is not finite gives others).
        if (!(k >= 0 && k < float(weight_function.size()))) return 0.0f * n;
        float weight = 1 - weight_function[int(k)].y / float(function_height);
        if (weight < 0) weight = 0;
        return weight * n;
    }

    void start(const char* title, const Vector& r) {
        console_printf("Evaluating %s: \n", title);
        console_printf("WEIGHT_MODE = %d\n", weight_mode);
        radius = r;
        if (needs_reset == 1) {
            regions.clear();
            current_region.clear();
            centroid_sum = Vector(0);
            growing = 0;
            processed = 0;
            remaining_faces.clear();
            for (int i = 0; i < mesh->nf; ++i) remaining_faces.push_back(i);
            needs_reset = 0;
        }
    }

    void end() {
        console_printf("\nData Size:\t\t%d \n", mesh->nf);
        console_printf("Mean Shift Radius:\t%f \n", double(radius.x));
        console_printf("Number of Regions:\t%d \n", int(regions.size()));
    }

    // A new region seeded with the first remaining face.
    int open_region() {
        current_region.clear();
        int seed = remaining_faces.front();
        centre = mesh->centroids[seed];
        Vector c = mesh->centroids[seed];
        c.w = float(seed);
        current_region.push_back(c);
        remaining_faces.pop_front();
        print_progress(processed, mesh->nf);
        processed++;
        normal_sum = mesh->faceptrs[seed]->normal;
        if (!reference_usable(normal_sum)) normal_sum = Vector(0);
        return seed;
    }

    int end_of_pass(int kind) {
        int done = 0;
        if (remaining_faces.empty()) {
            needs_reset = 1;
            processed = 0;
            done = 1;
        }
        if (kind == 2) {
            console_printf("\n");
            done = 1;
        }
        return done;
    }

    void mean_shift(const Vector& r, int kind) {
        start("MEAN_SHIFT", r);
        if (processed == mesh->nf) return;
        float s = radius.x;
        int done = 0;
        while (!done) {
            if (growing == 0) {
                open_region();
                centroid_sum = centre;
            }
            growing = 0;
            for (auto it = remaining_faces.begin(); it != remaining_faces.end();) {
                int f = *it;
                if (mesh->centroids[f].within(centre, s)) {
                    Vector c = mesh->centroids[f];
                    c.w = float(f);
                    current_region.push_back(c);
                    centroid_sum += mesh->centroids[f];
                    if (reference_usable(mesh->faceptrs[f]->normal))
                        normal_sum += contribution(f, centre);
                    it = remaining_faces.erase(it);
                    growing = 1;
                    print_progress(processed, mesh->nf);
                    processed++;
                } else {
                    ++it;
                }
            }
            if (growing == 1 && !remaining_faces.empty()) {
                centre = centroid_sum / float(current_region.size());
            } else {
                regions.push_back(current_region);
                normal_sum /= float(current_region.size());
                normal_sum.normalise();
                if (reference_result(normal_sum))
                    for (const Vector& member : current_region)
                        mesh->faceptrs[int(member.w)]->normal = normal_sum;
            }
            done = end_of_pass(kind);
        }
        end();
    }

    void sphere_jump(const Vector& r, int kind) {
        start("SHPERE_JUMP", r);
        if (processed == mesh->nf) return;
        float s = radius.x;
        int done = 0;
        while (!done) {
            int seed = open_region();
            for (auto it = remaining_faces.begin(); it != remaining_faces.end();) {
                int f = *it;
                if (mesh->centroids[f].within(mesh->centroids[seed], s)) {
                    if (reference_usable(mesh->faceptrs[f]->normal))
                        normal_sum += contribution(f, mesh->centroids[seed]);
                    Vector m = mesh->centroids[f];
                    m.w = float(f);
                    current_region.push_back(m);
                    it = remaining_faces.erase(it);
                    print_progress(processed, mesh->nf);
                    processed++;
                } else {
                    ++it;
                }
            }
            normal_sum.normalise();
            if (reference_result(normal_sum))
                for (const Vector& member : current_region)
                    mesh->faceptrs[int(member.w)]->normal = normal_sum;
            regions.push_back(current_region);
            done = end_of_pass(kind);
        }
        end();
    }

    // The neighbour list of face t: the edge table's list in discovery order.
    std::vector<int> neighbour_list(int t) {
        std::vector<int> list;
        for (const EdgeRef& ref : mesh->face_adjacency[t])
            list.push_back(mesh->edgefaces[ref.edge][ref.end]);
        return list;
    }

    void median_filter(const Vector& r) {
        console_printf("Evaluating MEDIAN_FILTER: \n");
        int depth = int(std::floor(r.w));
        console_printf("depth: %d\n", depth);
        for (int p = 0; p < 50; ++p) {
            print_progress(p, 50);
            for (int i = 0; i < mesh->nf; ++i) {
                std::vector<std::vector<int>> rings{{i}};
                Vector sum(0);
                int m = 0;
                std::vector<int> working;
                int j = 0;
                do {
                    while (!rings[j].empty()) {
                        int t = rings[j].back();
                        rings[j].pop_back();
                        working = neighbour_list(t);
                        for (int g : working) {
                            if (!reference_usable(mesh->faceptrs[g]->normal)) continue;
                            sum += mesh->faceptrs[g]->normal;
                            m++;
                        }
                    }
                    rings.push_back(working);
                    j++;
                } while (j < depth);
                if (m > 0) {
                    sum /= float(m);
                    if (reference_result(sum)) mesh->faceptrs[i]->normal = sum;
                }
            }
        }
        console_printf("\n"); // the progress bar's line ends
    }
};
