// Builds that rest on the faces' corner positions: centroids, face and vertex
// normals, and the orientation of each face about its normal.
#include "core/mesh.h"

#include "core/big_arrays.h"

#include <cmath>
#include <utility>

void Mesh::build_centroids() {
    built(MESH_CENTROIDS);
    // A copy made without its centroids has no room for them.
    if (centroids.size() != size_t(nf)) assign_big(centroids, nf, Vector());
    for (int i = 0; i < nf; ++i) {
        const int* vi = faces[i].vindex;
        Vector c = vertices[vi[0]] + vertices[vi[1]] + vertices[vi[2]];
        c /= 3;
        centroids[i] = c;
    }
}

// A vertex normal is a running normalised sum, renormalised after every incident
// face in face order, so later faces weigh more than in a plain average.
void Mesh::build_normals() {
    built(MESH_VERTEX_NORMALS);
    if (nf == 0) return;
    for (Vector& n : normals) n = Vector(0);
    for (Face& f : faces) {
        f.normal.face_normal(vertices[f.vindex[2]], vertices[f.vindex[1]], vertices[f.vindex[0]]);
        for (int k = 0; k < 3; ++k) {
            Vector& n = normals[f.vindex[k]];
            n += f.normal;
            n.normalise();
        }
    }
}

// Makes each face's corners run counter-clockwise about its normal. With normals
// built from the same corner order only degenerate faces, whose two angles tie or
// are not numbers, have their corners 1 and 2 exchanged. An exchange makes every
// build stale, the edge list too, though tools may go on walking the edge table built
// before it (edge_list_current()): the edges are the same, only found in another order.
void Mesh::orient_faces() {
    constexpr double degrees = 57.29577950560105;
    bool exchanged = false;
    for (int i = 0; i < nf; ++i) {
        Face& f = faces[i];
        const Vector& c = centroids[i];
        Vector q = vertices[f.vindex[0]] - c;
        q.normalise();
        Vector n = f.normal;
        n.normalise();
        double angle[3] = {0, 0, 0};
        for (int k = 1; k <= 2; ++k) {
            Vector p = vertices[f.vindex[k]] - c;
            p.normalise();
            Vector t;
            t.cross(q, p);
            angle[k] = std::atan2(double(n.dot(t)), double(q.dot(p))) * degrees;
            if (angle[k] < 0) angle[k] += 360;
        }
        if (!(angle[2] > angle[1])) {
            std::swap(f.vindex[1], f.vindex[2]);
            std::swap(f.corners[1], f.corners[2]);
            faceptrs[i] = &f;
            exchanged = true;
        }
    }
    if (exchanged) shape_changed();
}
