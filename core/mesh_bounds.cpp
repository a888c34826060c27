// Builds that rest on the extremes of the vertex positions: centre, bounding box
// with extent, and the planar texture coordinates.
#include "core/mesh.h"

#include <algorithm>

namespace {

struct Extremes {
    Vector lo, hi;
};

Extremes extremes(const std::vector<Vector>& vertices) {
    Extremes e{vertices[0], vertices[0]};
    for (const Vector& v : vertices) {
        e.lo.x = std::min(e.lo.x, v.x);
        e.lo.y = std::min(e.lo.y, v.y);
        e.lo.z = std::min(e.lo.z, v.z);
        e.hi.x = std::max(e.hi.x, v.x);
        e.hi.y = std::max(e.hi.y, v.y);
        e.hi.z = std::max(e.hi.z, v.z);
    }
    return e;
}

void set_xyz(Vector& v, float x, float y, float z) {
    v.x = x;
    v.y = y;
    v.z = z;
}

} // namespace

void Mesh::build_centre() {
    built(MESH_CENTRE);
    if (nv == 0) return;
    Extremes e = extremes(vertices);
    set_xyz(centre, (e.lo.x + e.hi.x) / 2, (e.lo.y + e.hi.y) / 2, (e.lo.z + e.hi.z) / 2);
}

void Mesh::build_bbox() {
    built(MESH_BB);
    if (nv == 0) return;
    Extremes e = extremes(vertices);
    const Vector &l = e.lo, &h = e.hi;
    // Corners 0-3 are the face at maximum z, 4-7 the face at minimum z.
    set_xyz(bbox[0], h.x, l.y, h.z);
    set_xyz(bbox[1], h.x, h.y, h.z);
    set_xyz(bbox[2], l.x, h.y, h.z);
    set_xyz(bbox[3], l.x, l.y, h.z);
    set_xyz(bbox[4], l.x, l.y, l.z);
    set_xyz(bbox[5], l.x, h.y, l.z);
    set_xyz(bbox[6], h.x, h.y, l.z);
    set_xyz(bbox[7], h.x, l.y, l.z);
    extent = 0;
    for (Vector side : {bbox[0] - bbox[1], bbox[1] - bbox[2], bbox[1] - bbox[6]})
        if (side.length() > extent) extent = side.len;
}

void Mesh::build_texcoords() {
    if (nv == 0) {
        built(MESH_TEXCOORDS);
        return;
    }
    Extremes e = extremes(vertices);
    float dx = e.hi.x - e.lo.x, dy = e.hi.y - e.lo.y;
    // An axis on which every vertex has the same value maps to 0.
    auto scale = [](float d, float range) { return range > 0 ? d / range * 2 : 0.0f; };
    texcoords.assign(nv, Vector());
    for (int v = 0; v < nv; ++v)
        texcoords[v] =
            Vector(scale(vertices[v].x - e.lo.x, dx), scale(vertices[v].y - e.lo.y, dy), 0, 1);
    built(MESH_TEXCOORDS);
}
