// The edge traversal, the marking and the segment export as first written, step by step,
// kept to check the fast versions against (tests) and to measure them by (benchmarks).
#pragma once

#include "core/colour.h"
#include "core/mesh.h"
#include "segmentation/segments.h"

#include <cmath>
#include <queue>
#include <set>
#include <vector>

// The edge table's per-face lists: per vertex a bucket of edge records searched in
// order; the first time a known edge is met again, each face joins the other's list.
inline std::vector<std::vector<int>> reference_face_lists(const Mesh& mesh) {
    struct Edge {
        int key, a, b, f1, f2;
    };
    std::vector<std::vector<Edge>> buckets(mesh.nv);
    std::vector<std::vector<int>> lists(mesh.nf);
    auto insert = [&](int a, int b, int f) {
        if (a == -1 || b == -1) return;
        int lo = std::min(a, b), hi = std::max(a, b);
        for (Edge& e : buckets[lo])
            if (e.key == hi) {
                if (e.f2 == -1) {
                    e.f2 = f;
                    lists[e.f1].push_back(f);
                    lists[f].push_back(e.f1);
                }
                return;
            }
        buckets[lo].push_back({hi, lo, hi, f, -1});
    };
    for (int i = 0; i < mesh.nf; ++i) {
        const int* v = mesh.faces[i].vindex;
        insert(v[0], v[1], i);
        insert(v[0], v[2], i);
        insert(v[1], v[2], i);
    }
    return lists;
}

// traverse(depth, angle) from face `start`, making every one of the `depth` passes.
inline void reference_traverse(Mesh& mesh, const std::vector<std::vector<int>>& lists, int start,
                               int depth, int angle) {
    for (int i = 0; i < mesh.nf; ++i) mesh.faceptrs[i]->marked = 0;
    if (depth == 0) return;
    std::vector<int> ring{start};
    for (int r = 0; r < depth; ++r) {
        std::vector<int> next;
        while (!ring.empty()) {
            int t = ring.back();
            ring.pop_back();
            for (int n : lists[t]) {
                double a =
                    std::acos(double(mesh.faceptrs[n]->normal.dot(mesh.faceptrs[t]->normal)));
                a = a * 180 / 3.141592654;
                if (a < 0) a = 0;
                if (a > 90) a = 180 - a;
                if (-angle < a && a < angle && !mesh.faceptrs[n]->marked) {
                    next.push_back(n);
                    mesh.faceptrs[n]->marked = 1;
                }
            }
        }
        ring = next;
    }
}

inline void reference_mark_current(Mesh& mesh, int& region_counter, int r) {
    ++region_counter;
    float hue = float(r) / 32767.0f * 360.0f;
    Vector colour(0.0f, 0.0f, 0.0f, 1.0f);
    hsv_to_rgb(hue, 1, 1, colour.x, colour.y, colour.z);
    for (int i = 0; i < mesh.nf; ++i)
        if (mesh.faceptrs[i]->marked == 1) {
            mesh.faceptrs[i]->colour = colour;
            mesh.faceptrs[i]->marked = 0;
            mesh.faceptrs[i]->segment = region_counter;
        }
}

// Every pass of the export: all faces scanned per pass, positions welded through an
// ordered set whose entries carry their index in w.
inline std::vector<SegmentMesh> reference_segment_meshes(Mesh& mesh, int region_counter) {
    std::vector<SegmentMesh> files;
    for (int g = 0; g <= region_counter + 1; ++g) {
        bool combined = g == region_counter + 1;
        SegmentMesh s;
        std::set<Vector> seen;
        for (int i = 0; i < mesh.nf; ++i) {
            const Face& f = *mesh.faceptrs[i];
            if (combined ? f.segment <= 0 : f.segment != g) continue;
            for (int k = 0; k < 3; ++k) {
                Vector& p = mesh.vertices[f.vindex[k]];
                auto found = seen.find(p);
                if (found == seen.end()) {
                    int index = int(s.positions.size());
                    s.positions.push_back(p);
                    s.corners.push_back(index);
                    p.w = float(index);
                    seen.insert(p);
                } else {
                    s.corners.push_back(int(found->w));
                }
            }
        }
        files.push_back(std::move(s));
    }
    return files;
}

// Per face, the number of edges between it and `start`, over faces that share two
// corners (-1: not reached): on a flat grid, depth d >= 2 marks the faces within d.
inline std::vector<int> reference_edge_distances(const Mesh& m, int start) {
    std::vector<int> distance(m.nf, -1);
    std::queue<int> open;
    open.push(start);
    distance[start] = 0;
    while (!open.empty()) {
        int f = open.front();
        open.pop();
        for (int g = 0; g < m.nf; ++g) {
            int shared = 0;
            for (int a : m.faces[f].vindex)
                for (int b : m.faces[g].vindex) shared += a == b;
            if (g != f && distance[g] < 0 && shared == 2) {
                distance[g] = distance[f] + 1;
                open.push(g);
            }
        }
    }
    return distance;
}

// The faces whose distance from `start` lies in lo..hi.
inline std::set<int> faces_at_distances(const Mesh& m, int start, int lo, int hi) {
    std::vector<int> distance = reference_edge_distances(m, start);
    std::set<int> faces;
    for (int i = 0; i < m.nf; ++i)
        if (distance[i] >= lo && distance[i] <= hi) faces.insert(i);
    return faces;
}

inline std::set<int> marked_faces(const Mesh& m) {
    std::set<int> marked;
    for (int i = 0; i < m.nf; ++i)
        if (m.faces[i].marked) marked.insert(i);
    return marked;
}
