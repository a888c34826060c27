// Butterfly subdivision over flat arrays: the levels work on positions, colours,
// morphogen rows and corner triples, and only the last level's result is written into
// the mesh's records. The edge table is built through a hash map of vertex pairs, so a
// level is linear in its faces, and it keeps for every face the edges of its three
// corner pairs, which is how the stencil finds the wing edges: the edge (A, C) lies in
// face1 (which holds A, B and C at three different corners), (A, D) in face2.
#include "tools/subdivide.h"

#include "core/big_arrays.h"
#include "core/work_blocks.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <unistd.h>

namespace {

// Unordered vertex pairs to edge numbers: open addressing with linear probing, a key
// and its edge side by side. Callers announce the pairs they will ask for a little
// ahead (prefetch), so that the table's cache misses overlap.
class PairIndex {
  public:
    explicit PairIndex(size_t expected) {
        size_t capacity = 16;
        int bits = 4;
        while (capacity < 2 * expected) capacity <<= 1, ++bits;
        assign_big(slots, capacity, Slot{empty, 0});
        mask = capacity - 1;
        shift = 64 - bits;
    }

    void prefetch(int x, int y) const { __builtin_prefetch(&slots[home(key_of(x, y))]); }

    // The edge stored for the pair, or -1 after storing `edge` for it.
    int find_or_insert(int x, int y, int edge) {
        uint64_t key = key_of(x, y);
        for (size_t i = home(key);; i = (i + 1) & mask) {
            if (slots[i].key == key) return slots[i].edge;
            if (slots[i].key == empty) {
                slots[i] = {key, edge};
                return -1;
            }
        }
    }

  private:
    struct Slot {
        uint64_t key;
        int edge;
    };
    static constexpr uint64_t empty = ~uint64_t(0); // no pair of ints in range has it
    std::vector<Slot> slots;
    size_t mask = 0;
    int shift = 0;

    static uint64_t key_of(int x, int y) {
        return x < y ? (uint64_t(uint32_t(x)) << 32) | uint32_t(y)
                     : (uint64_t(uint32_t(y)) << 32) | uint32_t(x);
    }
    size_t home(uint64_t key) const { return (key * 0x9E3779B97F4A7C15ull) >> shift; }
};

constexpr int corner_pairs[3][2] = {{0, 1}, {1, 2}, {2, 0}};

struct Refinement {
    std::vector<Vector> positions, colours;
    std::vector<std::vector<float>> rows; // empty unless the mesh has one per vertex
    std::vector<std::array<int, 3>> faces;
};

// The first corner of `face` that is neither x nor y, or -1.
int other_corner(const std::array<int, 3>& face, int x, int y) {
    for (int c : face)
        if (c != x && c != y) return c;
    return -1;
}

class Level {
  public:
    Level(Refinement& r, double weight, Work* w)
        : refining(r), work(w), table(subdivision_edges(r.faces, w)) {
        c1 = 2 * weight + 0.125;
        c2 = -0.0625 - weight;
    }

    void refine() {
        int nv = int(refining.positions.size());
        int ne = int(table.edges.size());
        resize_big(refining.positions, size_t(nv) + ne);
        resize_big(refining.colours, size_t(nv) + ne);
        bool rows = !refining.rows.empty();
        if (rows) refining.rows.resize(size_t(nv) + ne);
        in_blocks(work, ne, 14, [&](int k) {
            const SubdivisionEdge& e = table.edges[k];
            refining.positions[nv + k] = place(e);
            refining.colours[nv + k] = (refining.colours[e.a] + refining.colours[e.b]) * 0.5f;
            if (rows) refining.rows[nv + k] = mean(refining.rows[e.a], refining.rows[e.b]);
        });

        std::vector<std::array<int, 3>> faces;
        reserve_big(faces, refining.faces.size() * 4);
        in_blocks(work, refining.faces.size(), 16, [&](size_t i) {
            const auto& c = refining.faces[i];
            const int* fe = &table.face_edges[3 * i];
            int m01 = nv + fe[0], m12 = nv + fe[1], m20 = nv + fe[2];
            faces.push_back({c[0], m01, m20});
            faces.push_back({m01, c[1], m12});
            faces.push_back({m20, m12, c[2]});
            faces.push_back({m01, m12, m20});
        });
        refining.faces = std::move(faces);
    }

  private:
    Refinement& refining;
    Work* work;
    SubdivisionEdges table;
    double c1, c2;

    template <typename T>
    static void resize_big(std::vector<T>& v, size_t n) {
        if (n > v.capacity()) {
            std::vector<T> bigger;
            reserve_big(bigger, n);
            bigger.assign(v.begin(), v.end());
            v = std::move(bigger);
        }
        v.resize(n);
    }

    static std::vector<float> mean(const std::vector<float>& a, const std::vector<float>& b) {
        std::vector<float> m(std::min(a.size(), b.size()));
        for (size_t i = 0; i < m.size(); ++i) m[i] = (a[i] + b[i]) * 0.5f;
        return m;
    }

    // The edge of face f whose ends are x and y, in either order. Every pair of
    // different corners of a triangle is one of its three corner pairs.
    int edge_in_face(int f, int x, int y) const {
        for (int p = 0; p < 3; ++p) {
            const SubdivisionEdge& e = table.edges[table.face_edges[3 * f + p]];
            if ((e.a == x && e.b == y) || (e.a == y && e.b == x))
                return table.face_edges[3 * f + p];
        }
        return -1;
    }

    // The wing vertex across the edge `wing` from edge k's faces: the first corner,
    // on neither end of `wing`, of its face that is not one of k's (its face1 unless
    // that is one of them). -1 when `wing` is a border edge or no such corner exists.
    int wing_vertex(const SubdivisionEdge& k, int wing) const {
        if (wing < 0) return -1;
        const SubdivisionEdge& e = table.edges[wing];
        if (e.face2 == -1) return -1;
        int face = e.face1 == k.face1 || e.face1 == k.face2 ? e.face2 : e.face1;
        return other_corner(refining.faces[face], e.a, e.b);
    }

    Vector place(const SubdivisionEdge& k) const {
        const Vector &A = refining.positions[k.a], &B = refining.positions[k.b];
        Vector midpoint((A.x + B.x) * 0.5f, (A.y + B.y) * 0.5f, (A.z + B.z) * 0.5f);
        if (k.face2 == -1) return midpoint;
        int c = other_corner(refining.faces[k.face1], k.a, k.b);
        int d = other_corner(refining.faces[k.face2], k.a, k.b);
        if (c < 0 || d < 0) return midpoint;
        int w[4] = {wing_vertex(k, edge_in_face(k.face1, k.a, c)),
                    wing_vertex(k, edge_in_face(k.face2, k.a, d)),
                    wing_vertex(k, edge_in_face(k.face1, k.b, c)),
                    wing_vertex(k, edge_in_face(k.face2, k.b, d))};
        for (int v : w)
            if (v < 0) return midpoint;
        const Vector &C = refining.positions[c], &D = refining.positions[d];
        const Vector &W1 = refining.positions[w[0]], &W2 = refining.positions[w[1]],
                     &W3 = refining.positions[w[2]], &W4 = refining.positions[w[3]];
        auto stencil = [&](float Vector::*axis) {
            double ab = (double(A.*axis) + double(B.*axis)) / 2;
            double cd = double(C.*axis) + double(D.*axis);
            double wings =
                ((double(W1.*axis) + double(W2.*axis)) + double(W3.*axis)) + double(W4.*axis);
            return float((ab + c1 * cd) + c2 * wings);
        };
        return Vector(stencil(&Vector::x), stencil(&Vector::y), stencil(&Vector::z));
    }
};

// Bytes a result of `faces` faces and at most `vertices` vertices takes at its peak:
// the mesh's face records, pointers and centroids, its four vertex arrays, and the
// edge list and neighbour lists built for it afterwards, with room for the working
// arrays of the last level.
constexpr int64_t bytes_per_face = int64_t(sizeof(Face) + sizeof(Face*) + sizeof(Vector)) + 200;
constexpr int64_t bytes_per_vertex = 4 * int64_t(sizeof(Vector)) + 64;

// The memory a new result can have: what the system reports available (free memory
// and caches it can give back), else the physical memory.
int64_t available_memory() {
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        long long kib = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "MemAvailable: %lld kB", &kib) == 1) break;
        std::fclose(f);
        if (kib > 0) return int64_t(kib) * 1024;
    }
    long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && page > 0 ? int64_t(pages) * page : INT64_MAX;
}

} // namespace

SubdivisionEdges subdivision_edges(const std::vector<std::array<int, 3>>& faces, Work* work) {
    SubdivisionEdges t;
    size_t pairs = faces.size() * 3;
    reserve_big(t.edges, pairs / 2 + 3);
    assign_big(t.face_edges, pairs, 0);
    PairIndex index(pairs / 2 + 3);
    auto ends = [&](size_t j) {
        const auto& face = faces[j / 3];
        return std::pair(face[corner_pairs[j % 3][0]], face[corner_pairs[j % 3][1]]);
    };
    constexpr size_t ahead = 16;
    for (size_t j = 0; j < std::min(ahead, pairs); ++j)
        index.prefetch(ends(j).first, ends(j).second);
    // Stops between blocks of pairs; the progress is the level's.
    for (size_t first = 0; first < pairs; first += 65536) {
        checkpoint(work);
        for (size_t j = first; j < std::min(first + 65536, pairs); ++j) {
            if (j + ahead < pairs) index.prefetch(ends(j + ahead).first, ends(j + ahead).second);
            auto [x, y] = ends(j);
            int next = int(t.edges.size());
            int found = index.find_or_insert(x, y, next);
            if (found < 0) {
                t.edges.push_back({x, y, int(j / 3), -1});
                found = next;
            } else {
                t.edges[found].face2 = int(j / 3);
            }
            t.face_edges[j] = found;
        }
    }
    return t;
}

float subdivision_weight(int slider_value) {
    return float((0.5 - slider_value / 100.0) * -0.25);
}

float butterfly_tension(float weight) {
    return 0.0625f + weight;
}

namespace {

// The face and vertex counts of `levels` levels of `mesh`, or false when they pass the
// int range. Each level multiplies the faces by 4 and adds at most 3 vertices a face.
bool subdivision_counts(const Mesh& mesh, int levels, int64_t& faces, int64_t& vertices) {
    faces = mesh.nf;
    vertices = mesh.nv;
    for (int l = 0; l < levels && faces > 0; ++l) {
        vertices += 3 * faces;
        faces *= 4;
        if (faces > INT_MAX || vertices > INT_MAX) return false;
    }
    return true;
}

// "subdivision to L levels would need N MB": the estimate of the result's peak.
std::string subdivision_need(int levels, int64_t faces, int64_t vertices) {
    int64_t bytes = faces * bytes_per_face + vertices * bytes_per_vertex;
    int64_t mb = (bytes + (1 << 20) - 1) >> 20;
    return "subdivision to " + std::to_string(levels) + (levels == 1 ? " level" : " levels") +
           " would need " + std::to_string(mb) + " MB";
}

} // namespace

std::string subdivision_refusal(const Mesh& mesh, int levels) {
    int64_t faces, vertices;
    if (!subdivision_counts(mesh, levels, faces, vertices))
        return "ERROR: " + std::to_string(levels) + " subdivision levels of " +
               std::to_string(mesh.nf) +
               " faces would give more faces or vertices than a "
               "mesh can hold; the mesh is left as it was";
    int64_t bytes = faces * bytes_per_face + vertices * bytes_per_vertex;
    int64_t available = available_memory();
    if (bytes > available)
        return "ERROR: " + subdivision_need(levels, faces, vertices) + " (" +
               std::to_string(faces) + " faces), more than the " + std::to_string(available >> 20) +
               " MB available; the mesh is left as it was";
    return "";
}

Mesh subdivided(const Mesh& mesh, int levels, float weight, Work* work) {
    // The mesh is only read, so that a failed allocation (or a stop) leaves it as it was.
    Refinement refining;
    refining.positions = mesh.vertices;
    refining.colours = mesh.colours;
    if (int(mesh.morphogens.size()) == mesh.nv) refining.rows = mesh.morphogens;
    refining.faces.resize(mesh.nf);
    for (int i = 0; i < mesh.nf; ++i)
        for (int k = 0; k < 3; ++k) refining.faces[i][k] = mesh.faceptrs[i]->vindex[k];

    // Progress by the faces each level reads, the result's faces for the records: level l
    // reads 4^l times the mesh's faces.
    const double whole = (std::pow(4.0, levels + 1) - 1) / 3;
    double begun = 0;
    for (int l = 0; l < levels; ++l) {
        double share = std::pow(4.0, l);
        Stage level(work, begun / whole, (begun + share) / whole);
        Level(refining, double(weight), work).refine();
        begun += share;
    }
    Stage records(work, begun / whole, 1);

    // The result's arrays, each written once, as a reader fills a mesh; then handed
    // over, which cannot fail.
    int nv = int(refining.positions.size()), nf = int(refining.faces.size());
    std::vector<Vector> normals, texcoords, centroids;
    std::vector<Face> faces;
    std::vector<Face*> faceptrs;
    assign_big(normals, nv, Vector());
    assign_big(texcoords, nv, Vector());
    reserve_big(faces, nf);
    assign_big(faceptrs, nf, (Face*)nullptr);
    assign_big(centroids, nf, Vector());
    in_blocks(work, nf, 16, [&](int i) {
        Face& f = faces.emplace_back();
        for (int k = 0; k < 3; ++k) {
            f.vindex[k] = refining.faces[i][k];
            f.corners[k] = &refining.positions[f.vindex[k]];
        }
        faceptrs[i] = &f;
    });

    Mesh result;
    result.clear(); // new versions: these are new faces
    result.nv = nv;
    result.vertices = std::move(refining.positions); // the corners stay valid: the storage moves
    result.colours = std::move(refining.colours);
    result.normals = std::move(normals);
    result.texcoords = std::move(texcoords);
    result.morphogens = std::move(refining.rows);
    result.morphogen_names = mesh.morphogen_names;
    result.nf = nf;
    result.faces = std::move(faces);
    result.faceptrs = std::move(faceptrs);
    result.centroids = std::move(centroids);
    return result;
}

void subdivide(Mesh& mesh, int levels, float weight, Work* work) {
    mesh = subdivided(mesh, levels, weight, work);
}

SubdivisionResult subdivided_levels(const Mesh& mesh, int subdiv, float weight, Mesh& result,
                                    Work* work) {
    if (subdiv < 1) return {SubdivisionOutcome::Unchanged, ""};
    if (std::string why = subdivision_refusal(mesh, subdiv); !why.empty())
        return {SubdivisionOutcome::Refused, why};
    // Made aside, so that a stop leaves `result` as it was.
    Mesh made;
    try {
        {
            Stage subdividing(work, 0, 0.8);
            made = subdivided(mesh, subdiv, weight, work);
        }
        Stage building(work, 0.8, 1);
        made.build({MESH_EDGE_LIST, MESH_VERTEX_NORMALS}, work);
        made.build_centroids();
        made.build_bbox();
    } catch (const std::bad_alloc&) {
        result = Mesh();
        int64_t faces, vertices;
        subdivision_counts(mesh, subdiv, faces, vertices); // within range: not refused
        return {SubdivisionOutcome::Refused,
                "ERROR: out of memory: " + subdivision_need(subdiv, faces, vertices) + " (" +
                    std::to_string(faces) + " faces); the mesh is left as it was"};
    }
    result = std::move(made);
    return {SubdivisionOutcome::Subdivided, ""};
}

SubdivisionResult subdivide_levels(Mesh& mesh, int subdiv, float weight, Work* work) {
    Mesh result;
    SubdivisionResult r = subdivided_levels(mesh, subdiv, weight, result, work);
    if (r.outcome == SubdivisionOutcome::Subdivided) mesh = std::move(result);
    return r;
}
