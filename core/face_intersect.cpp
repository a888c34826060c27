// The face test of picking: where a segment crosses a triangle.
#include "core/mesh.h"

// The normal is the face's own, computed here: a pick must not overwrite the normals a
// filter gave the faces.
bool Face::intersect(const Vector& a, const Vector& b, Vector& hit) const {
    const Vector &p = *corners[0], &q = *corners[1], &r = *corners[2];
    Vector n(0, 0, 0, 0);
    n.face_normal(r, q, p); // normalise((Q - P) x (R - Q))
    float da = (a - p).dot(n);
    float db = (b - p).dot(n);
    if (da * db >= 0) return false; // both ends on one side, or an end on the plane
    float t = -da / (db - da);
    Vector x = a + (b - a) * t;
    const Vector* edge[3][2] = {{&p, &q}, {&q, &r}, {&r, &p}};
    for (const auto& e : edge) {
        Vector side;
        side.cross(n, *e[1] - *e[0]);
        if ((x - *e[0]).dot(side) < 0) return false;
    }
    hit = x;
    return true;
}
