// The face test of picking: where a segment crosses a triangle.
#include "core/mesh.h"

bool Face::intersect(const Vector& a, const Vector& b, Vector& hit) {
    const Vector &p = *corners[0], &q = *corners[1], &r = *corners[2];
    normal.face_normal(r, q, p); // normalise((Q - P) x (R - Q))
    const Vector& n = normal;
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
