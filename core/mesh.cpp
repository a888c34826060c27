#include "core/mesh.h"

#include "core/big_arrays.h"
#include "core/console.h"
#include "core/work.h"

#include <atomic>

namespace {

// Versions come from one counter for every mesh, so that a mesh moved in from elsewhere
// never carries the version the faces it replaces had. 0 is never handed out.
unsigned next_version() {
    static std::atomic<unsigned> last{0};
    unsigned v = ++last;
    return v != 0 ? v : ++last;
}

// The slot of a build flag's stamp: both normals flags run the one normals build.
int stamp_slot(int flag) {
    return flag == MESH_FACE_NORMALS ? MESH_VERTEX_NORMALS : flag;
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

Mesh::Mesh() : shape_version(next_version()) {
    bbox.fill(Vector(0));
}

bool Mesh::derived_current(int flag) const {
    if (!build_flag_name(flag)) return false;
    return built_for[size_t(stamp_slot(flag))] == shape_version;
}

void Mesh::shape_changed() {
    shape_version = next_version();
}

void Mesh::face_normals_changed() {
    built_for[MESH_VERTEX_NORMALS] = 0;
}

void Mesh::alloc_vertices(int n) {
    for (auto* array : {&vertices, &normals, &colours, &texcoords}) assign_big(*array, n, Vector());
    nv = n;
    shape_changed();
}

void Mesh::alloc_faces(int n) {
    assign_big(faces, n, Face());
    assign_big(faceptrs, n, (Face*)nullptr);
    assign_big(centroids, n, Vector());
    nf = n;
    faces_version = next_version();
    shape_changed();
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
    faces_version = next_version();
    shape_changed();
    bbox.fill(Vector(0));
}

void Mesh::link_faces() {
    for (int i = 0; i < nf; ++i) {
        Face& f = faces[i];
        for (int k = 0; k < 3; ++k) f.corners[k] = &vertices[f.vindex[k]];
        faceptrs[i] = &f;
    }
}

Mesh Mesh::clone() const {
    return copy(true);
}

Mesh Mesh::clone_without_rebuildable() const {
    return copy(false);
}

Mesh Mesh::copy(bool rebuildable) const {
    Mesh m;
    m.faces_version = next_version();
    m.nv = nv;
    m.nf = nf;
    m.selectedface = selectedface;
    m.extent = extent;
    m.centre = centre;
    m.vertices = vertices;
    m.normals = normals;
    m.colours = colours;
    m.texcoords = texcoords;
    m.faces = faces;
    m.faceptrs.assign(faceptrs.size(), nullptr);
    m.morphogens = morphogens;
    m.morphogen_names = morphogen_names;
    m.bbox = bbox;
    if (rebuildable) {
        m.centroids = centroids;
        m.nedges = nedges;
        m.edges = edges;
        m.edgefaces = edgefaces;
        m.vertexneighbours = vertexneighbours;
        m.faceneighbours = faceneighbours;
        m.face_adjacency = face_adjacency;
    }
    // Face records point into the copy's own arrays; a corner outside the vertices (a
    // mesh being filled) keeps no pointer.
    for (int i = 0; i < nf; ++i) {
        Face& f = m.faces[i];
        for (int k = 0; k < 3; ++k)
            f.corners[k] =
                f.vindex[k] >= 0 && f.vindex[k] < nv ? &m.vertices[f.vindex[k]] : nullptr;
        m.faceptrs[i] = &f;
    }
    // What is current here is current there, but for what was left out.
    for (size_t flag = 0; flag < built_for.size(); ++flag)
        if (built_for[flag] == shape_version) m.built_for[flag] = m.shape_version;
    if (edge_list_current()) m.edge_list_faces = m.faces_version;
    if (!rebuildable) {
        m.built_for[MESH_CENTROIDS] = m.built_for[MESH_EDGE_LIST] = 0;
        m.edge_list_faces = ~0u;
    }
    return m;
}

namespace {

template <typename T>
size_t bytes_of(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

} // namespace

size_t Mesh::memory_bytes() const {
    size_t n = sizeof(Mesh) + bytes_of(vertices) + bytes_of(normals) + bytes_of(colours) +
               bytes_of(texcoords) + bytes_of(centroids) + bytes_of(faceptrs) + bytes_of(faces) +
               bytes_of(morphogens) + bytes_of(morphogen_names) + bytes_of(edges) +
               bytes_of(edgefaces);
    for (const std::vector<float>& row : morphogens) n += bytes_of(row);
    for (const std::string& name : morphogen_names) n += name.capacity();
    for (const NeighbourLists* lists : {&vertexneighbours, &faceneighbours, &face_adjacency})
        n += bytes_of(lists->offsets) + bytes_of(lists->refs);
    return n;
}

void Mesh::build(std::span<const int> flags, Work* work) {
    console_printf("BUILDING: ");
    try {
        for (size_t k = 0; k < flags.size(); ++k) {
            const int flag = flags[k];
            const char* name = build_flag_name(flag);
            if (!name) continue;
            console_printf("%s ", name);
            if (derived_current(flag)) continue;
            const double n = double(flags.size());
            Stage one(work, double(k) / n, double(k + 1) / n);
            checkpoint(work);
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
                build_edge_list(work);
                break;
            case MESH_CENTROIDS:
                build_centroids();
                break;
            case MESH_BB:
                build_bbox();
                break;
            }
        }
    } catch (const WorkStopped&) {
        console_printf("\n\n"); // the progress line ends as a finished list's does
        throw;
    }
    console_printf("\n\n");
}

bool Mesh::has_default_colours() const {
    const Vector grey = default_vertex_colour();
    for (int v = 0; v < nv; ++v)
        if (colours[v] != grey) return false; // compares red, green and blue
    return true;
}
