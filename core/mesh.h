// Mesh: the triangle mesh every tool works on, with flat per-vertex arrays, face
// records reached through a face-pointer table, per-vertex morphogen values and
// derived data rebuilt on demand by build().
//
// Face corners point into `vertices` and `faceptrs` into `faces`; whatever
// reallocates one of those arrays re-points them. The mesh is movable (moving a
// std::vector keeps its storage) but not copyable: clone() copies it whole.
//
// Each derived array records the shape it was built for, so that build() runs only the
// builds whose data is stale and a tool can tell what it may rely on.
#pragma once

#include "core/io_result.h"
#include "core/vector.h"

#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

class Work;

enum BuildFlag {
    MESH_CENTRE = 2,
    MESH_VERTEX_NORMALS = 3,
    MESH_FACE_NORMALS = 4,
    MESH_TEXCOORDS = 5,
    MESH_EDGE_LIST = 6,
    MESH_CENTROIDS = 7,
    MESH_BB = 8,
};

// Printed name of a build flag, or nullptr for a value that is not one.
const char* build_flag_name(int flag);

struct Face {
    Vector* corners[3] = {nullptr, nullptr, nullptr};
    Vector normal{0, 0, 0, 0};
    int vindex[3] = {0, 0, 0};
    Vector colour{0.75f, 0.75f, 1.0f, 1.0f};
    int marked = 0;
    int segment = 0;

    // Whether the segment from a to b crosses the face (a point on an edge counts as
    // inside), by the unit normal of its corners; stores the crossing point in `hit`.
    bool intersect(const Vector& a, const Vector& b, Vector& hit) const;
};

// One end of an edge as seen from a vertex or a face: `edge` indexes `edges` (or
// `edgefaces`) and `end` (0 or 1) names the slot that holds the other vertex (or face).
struct EdgeRef {
    int edge;
    int end;
};

// Lists of edge references, one list per vertex or per face, stored flat.
class NeighbourLists {
  public:
    std::span<const EdgeRef> operator[](int i) const {
        return {refs.data() + offsets[i], refs.data() + offsets[i + 1]};
    }
    int size() const { return offsets.empty() ? 0 : int(offsets.size()) - 1; }
    void clear() {
        offsets.clear();
        refs.clear();
    }

    std::vector<int> offsets; // list i is refs[offsets[i] .. offsets[i + 1])
    std::vector<EdgeRef> refs;
};

class Mesh {
  public:
    Mesh();
    Mesh(Mesh&&) noexcept = default;
    Mesh& operator=(Mesh&&) noexcept = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    int nv = 0;
    int nf = 0;
    int selectedface = -1; // picked face counted from 1; 0 or -1: none
    float extent = 1.0f;   // longest side of the bounding box
    Vector centre{0, 0, 0, 1};

    std::vector<Vector> vertices;
    std::vector<Vector> normals;
    std::vector<Vector> colours;
    std::vector<Vector> texcoords;
    std::vector<Vector> centroids;
    std::vector<Face*> faceptrs;
    std::vector<Face> faces;

    std::vector<std::vector<float>> morphogens;
    std::vector<std::string> morphogen_names;

    int nedges = 0;
    std::vector<std::array<int, 2>> edges;     // vertex pair (a, b), a <= b
    std::vector<std::array<int, 2>> edgefaces; // faces (f1, f2); f2 = -1 on a border
    NeighbourLists vertexneighbours;           // per vertex: neighbour = edges[r.edge][r.end]
    NeighbourLists faceneighbours;             // per face: neighbour = edgefaces[r.edge][r.end]
    // The edge table's per-face lists, in discovery order: walking the faces in order
    // and, within face f, its pairs (0, 1), (0, 2), (1, 2), the first time an edge known
    // with one face g is met again from f, f joins g's list and g joins f's (a third face
    // on an edge is not recorded). Entries read like faceneighbours'. The traversal and
    // the median filter walk these, not faceneighbours, which are in edge order.
    NeighbourLists face_adjacency;

    std::array<Vector, 8> bbox;

    // Renewed whenever the faces are replaced (alloc_faces, clear), to a value no mesh of
    // the program had before; the edge build records the value it built for, so that
    // tools can tell a stale edge table, and the view a stale selection.
    unsigned faces_version = 0;
    unsigned edge_list_faces = ~0u;
    bool edge_list_current() const { return edge_list_faces == faces_version; }

    // Renewed, to a value no mesh had before, whenever positions or faces may have
    // changed: the allocations, clear, a face whose corners orient_faces exchanged, and
    // shape_changed(). Every single build records the value it was built for.
    unsigned shape_version = 0;
    // Whether the data of build flag `flag` was built for the current shape (and, for
    // the normals, not overwritten since). False for a value that is not a flag.
    bool derived_current(int flag) const;
    // For tools that write positions or corners in place.
    void shape_changed();
    // For tools that overwrite face normals (the filters): the next normals build in a
    // build() list runs again.
    void face_normals_changed();

    void alloc_vertices(int n);
    void alloc_faces(int n);
    void clear();
    // A copy of everything the mesh holds: the arrays, morphogens, the derived data (current
    // in the copy where it is in the original), the selection. Only the versions differ:
    // the copy's are its own.
    Mesh clone() const;
    // As clone(), but without the data build() makes again from the positions and faces
    // alone: the centroids and the edge table are empty and stale in the copy, for a
    // copy kept aside that is rebuilt when it is used.
    Mesh clone_without_rebuildable() const;
    // The memory the mesh's arrays hold, in bytes.
    size_t memory_bytes() const;

    // Points every face's corners at its vindex vertices and faceptrs[i] at faces[i].
    void link_faces();

    // Prints "BUILDING: " and the name of every flag of the list, in order, and runs
    // those builds whose data is not current (derived_current); the single builds below
    // always run. With a Work, a stop is taken before each build that runs and within the
    // edge list build: the builds finished stay current, a stopped edge list is left empty
    // and not current, the other builds are as they were.
    void build(std::span<const int> flags, Work* work = nullptr);
    void build(std::initializer_list<int> flags, Work* work = nullptr) {
        build(std::span(flags.begin(), flags.size()), work);
    }

    void build_centre();
    void build_normals();
    void build_texcoords();
    // A stop asked of `work` leaves no edge list: the arrays empty and not current.
    void build_edge_list(Work* work = nullptr);
    void build_centroids();
    void build_bbox();
    void orient_faces();

    // Readers fill a cleared mesh; the result carries the error text on failure. A stop
    // asked of `work` leaves the mesh empty and throws WorkStopped.
    IoResult load_obj(const std::string& path, Work* work = nullptr);
    IoResult load_net(const std::string& path, Work* work = nullptr);
    // The same readers over text in memory; `name` stands for the file in messages.
    IoResult load_obj_text(std::string_view text, const std::string& name, Work* work = nullptr);
    IoResult load_net_text(std::string_view text, const std::string& name, Work* work = nullptr);

    // Writes the mesh as OBJ; with `with_colours` a "vc" line follows every "v" line.
    // Morphogen names and values, where the mesh has them, are written as "mn" and "m"
    // lines. Numbers take six significant digits. A stop asked of `work` throws
    // WorkStopped and leaves the file as it was, with no temporary file beside it.
    IoResult save_obj(const std::string& path, bool with_colours = false,
                      Work* work = nullptr) const;

    // Whether every vertex has the colour of a file without colours (red, green and blue
    // as default_vertex_colour(); alpha aside). True for a mesh without vertices.
    bool has_default_colours() const;

  private:
    // By build flag (both normals flags share one): the shape version the data was built
    // for; 0 for none.
    std::array<unsigned, 9> built_for{};
    void built(int flag) { built_for[size_t(flag)] = shape_version; }
    void fill_edge_list(Work* work);
    Mesh copy(bool rebuildable) const;
    // The edges and their faces, and in `found_at` (3 * nf entries, -1 each) the edge
    // whose second face was found at each face-edge position.
    void find_edges(Work* work, std::vector<int>& found_at);
};

// The colour of every vertex of a mesh file that gives no colours at all.
inline Vector default_vertex_colour() {
    return Vector(0.4f, 0.4f, 0.4f, 1.0f);
}
