// Edge traversal: rings of faces grown across edges whose faces are nearly parallel.
#include "tools/edge_traversal.h"

#include "core/mesh.h"

#include <cmath>
#include <vector>

// The dot product's sums are rounded one by one: no contraction into fused
// multiply-adds (GCC does not contract in ISO C++ mode; clang needs telling).
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

double edge_angle(const Vector& a, const Vector& b) {
    float d = a.x * b.x;
    d += a.y * b.y;
    d += a.z * b.z;
    double degrees = std::acos(double(d)) * 180 / 3.141592654;
    if (degrees < 0) degrees = 0;
    if (degrees > 90) degrees = 180 - degrees;
    return degrees;
}

int traverse(Mesh& mesh, EdgeTraversal& traversal, int depth, int angle) {
    traversal.depth = depth;
    traversal.angle = angle;
    // The faces in index order (faceptrs[i] is always &faces[i]).
    for (Face& f : mesh.faces) f.marked = 0;
    if (depth <= 0 || mesh.selectedface < 1 || mesh.selectedface > mesh.nf) return 0;
    // Neighbour lists of earlier faces would name faces that are gone or different.
    if (!mesh.edge_list_current() || mesh.face_adjacency.size() != mesh.nf) mesh.build_edge_list();
    if (mesh.face_adjacency.size() != mesh.nf) return 0; // no vertices: no edges

    const double limit = angle;
    int marked = 0;
    std::vector<int> ring{mesh.selectedface - 1}, next;
    // Every pass after the rings run empty would find nothing: stop there.
    for (int r = 0; r < depth && !ring.empty(); ++r) {
        next.clear();
        while (!ring.empty()) {
            int t = ring.back();
            ring.pop_back();
            const Face& from = mesh.faces[t];
            for (const EdgeRef& e : mesh.face_adjacency[t]) {
                Face& n = mesh.faces[mesh.edgefaces[e.edge][e.end]];
                // The angle has no side effect, so a marked face skips it.
                if (n.marked) continue;
                double a = edge_angle(n.normal, from.normal);
                if (-limit < a && a < limit) {
                    n.marked = 1;
                    next.push_back(mesh.edgefaces[e.edge][e.end]);
                    ++marked;
                }
            }
        }
        ring.swap(next);
    }
    return marked;
}
