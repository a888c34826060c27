#include "core/mesh.h"

#include "core/big_arrays.h"
#include "core/console.h"

#include <atomic>

namespace {

// Versions come from one counter for every mesh, so that a mesh moved in from elsewhere
// never carries the version the faces it replaces had.
unsigned next_faces_version() {
    static std::atomic<unsigned> last{0};
    return ++last;
}

} // namespace

const char* build_flag_name(int flag) {
    switch (flag) {
    case MESH_CENTRE:
        return "MESH_CENTRE";
    case MESH_VERTEX_NORMALS:
        return "MESH_VERTEX_NORMALS";
    case MESH_FACE_NORMALS:
        return "MESH_FACE_NORMALS";
    case MESH_TEXCOORDS:
        return "MESH_TEXCOORDS";
    case MESH_EDGE_LIST:
        return "MESH_EDGE_LIST";
    case MESH_CENTROIDS:
        return "MESH_CENTROIDS";
    case MESH_BB:
        return "MESH_BB";
    default:
        return nullptr;
    }
}

Mesh::Mesh() {
    bbox.fill(Vector(0));
}

void Mesh::alloc_vertices(int n) {
    for (auto* array : {&vertices, &normals, &colours, &texcoords}) assign_big(*array, n, Vector());
    nv = n;
}

void Mesh::alloc_faces(int n) {
    assign_big(faces, n, Face());
    assign_big(faceptrs, n, (Face*)nullptr);
    assign_big(centroids, n, Vector());
    nf = n;
    faces_version = next_faces_version();
}

void Mesh::clear() {
    vertices = {};
    normals = {};
    colours = {};
    texcoords = {};
    faces = {};
    faceptrs = {};
    centroids = {};
    edges = {};
    edgefaces = {};
    morphogens = {};
    // The neighbour lists index the edge arrays just freed.
    vertexneighbours.clear();
    faceneighbours.clear();
    face_adjacency.clear();
    nv = nf = nedges = 0;
    faces_version = next_faces_version();
    bbox.fill(Vector(0));
}

void Mesh::link_faces() {
    for (int i = 0; i < nf; ++i) {
        Face& f = faces[i];
        for (int k = 0; k < 3; ++k) f.corners[k] = &vertices[f.vindex[k]];
        faceptrs[i] = &f;
    }
}

void Mesh::copy_from(const Mesh& other) {
    alloc_vertices(other.nv);
    for (int v = 0; v < nv; ++v) {
        vertices[v] = other.vertices[v];
        colours[v] = other.colours[v];
        normals[v] = other.normals[v];
    }
    alloc_faces(other.nf);
    for (int i = 0; i < nf; ++i)
        for (int k = 0; k < 3; ++k) faces[i].vindex[k] = other.faces[i].vindex[k];
    link_faces();
}

Mesh Mesh::clone() const {
    Mesh m;
    m.alloc_vertices(nv);
    for (int v = 0; v < nv; ++v) {
        m.vertices[v] = vertices[v];
        m.normals[v] = normals[v];
        m.colours[v] = colours[v];
    }
    m.alloc_faces(nf);
    for (int i = 0; i < nf; ++i) m.faces[i] = faces[i];
    m.link_faces();
    return m;
}

void Mesh::build(std::span<const int> flags) {
    console_printf("BUILDING: ");
    for (int flag : flags) {
        const char* name = build_flag_name(flag);
        if (!name) continue;
        console_printf("%s ", name);
        switch (flag) {
        case MESH_CENTRE:
            build_centre();
            break;
        case MESH_VERTEX_NORMALS:
        case MESH_FACE_NORMALS:
            build_normals();
            break;
        case MESH_TEXCOORDS:
            build_texcoords();
            break;
        case MESH_EDGE_LIST:
            build_edge_list();
            break;
        case MESH_CENTROIDS:
            build_centroids();
            break;
        case MESH_BB:
            build_bbox();
            break;
        }
    }
    console_printf("\n\n");
}

bool Mesh::has_default_colours() const {
    const Vector grey = default_vertex_colour();
    for (int v = 0; v < nv; ++v)
        if (colours[v] != grey) return false; // compares red, green and blue
    return true;
}
