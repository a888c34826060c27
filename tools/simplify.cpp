// Edge-collapse simplification. The working vertices and triangles keep their
// neighbour and face lists with the exact list semantics every collapse relies on
// (appends, first-occurrence removals, walks from the last entry), because which edge
// collapses next depends on the order of those lists. What is not kept is the cost of
// the plain procedure: instead of scanning all live vertices for the first cheapest
// one, an indexed heap keyed by (cost, index) yields it, since live vertices stay in
// index order; instead of renumbering the vertices after each removal, survivors are
// numbered by rank at the end; the live lists are flags.
#include "tools/simplify.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A list of ints with room for a few in place: most vertices have fewer than nine
// faces and neighbours, so most lists never allocate.
class SmallList {
  public:
    SmallList() = default;
    SmallList(const SmallList&) = delete;
    SmallList& operator=(const SmallList&) = delete;
    ~SmallList() { delete[] spilled; }

    int size() const { return n; }
    bool empty() const { return n == 0; }
    const int* begin() const { return data(); }
    const int* end() const { return data() + n; }
    int operator[](int i) const { return data()[i]; }

    bool contains(int x) const { return std::find(begin(), end(), x) != end(); }

    void push_back(int x) {
        if (n == capacity) grow();
        data()[n++] = x;
    }
    void add_unique(int x) {
        if (!contains(x)) push_back(x);
    }
    // Removes the first occurrence; nothing when absent.
    void remove_first(int x) {
        int* d = data();
        int* at = std::find(d, d + n, x);
        if (at == d + n) return;
        std::copy(at + 1, d + n, at);
        --n;
    }

  private:
    static constexpr int local_capacity = 8;
    int n = 0, capacity = local_capacity;
    int* spilled = nullptr; // the entries once they outgrow `local`
    int local[local_capacity];

    int* data() { return spilled ? spilled : local; }
    const int* data() const { return spilled ? spilled : local; }
    void grow() {
        int* bigger = new int[size_t(capacity) * 2];
        std::copy(data(), data() + n, bigger);
        delete[] spilled;
        spilled = bigger;
        capacity *= 2;
    }
};

struct WorkVertex {
    float cost = 0;       // of the vertex's cheapest collapse
    int target = -1;      // the neighbour of that collapse, or -1
    bool live = true;     // still in the list of live vertices
    SmallList neighbours; // vertices sharing a live triangle, each once
    SmallList faces;      // live triangles using the vertex, once per corner it holds
};

struct Point {
    float x, y, z;
};

struct WorkTriangle {
    int vertex[3];
    float normal[3];

    bool has(int v) const { return vertex[0] == v || vertex[1] == v || vertex[2] == v; }
};

// The curvature term of two faces: (1 - n1 . n2) * 0.5, the dot product summed x, y, z.
float curvature_term(const float* a, const float* b) {
    return (1 - (a[0] * b[0] + a[1] * b[1] + a[2] * b[2])) * 0.5f;
}

// The live vertices ordered by (cost, index): the top is the first cheapest vertex in
// index order, which is what a scan from the start of the live list finds. Costs are
// never NaN (a cost only replaces another when it is smaller), so the order is total.
class VertexHeap {
  public:
    void build(const std::vector<WorkVertex>& vertices) {
        int n = int(vertices.size());
        entries.resize(n);
        slot.resize(n);
        for (int v = 0; v < n; ++v) {
            entries[v] = {vertices[v].cost, v};
            slot[v] = v;
        }
        for (int i = n / 2 - 1; i >= 0; --i) sift_down(i);
    }

    int top() const { return entries[0].vertex; }

    void pop() {
        slot[entries[0].vertex] = -1;
        Entry last = entries.back();
        entries.pop_back();
        if (entries.empty()) return;
        place(0, last);
        sift_down(0);
    }

    // The vertex's cost has changed to `cost`.
    void update(int v, float cost) {
        int i = slot[v];
        float old = entries[i].cost;
        entries[i].cost = cost;
        if (cost < old)
            sift_up(i);
        else if (old < cost)
            sift_down(i);
    }

  private:
    struct Entry {
        float cost;
        int vertex;
    };
    std::vector<Entry> entries;
    std::vector<int> slot; // position of each vertex in `entries`, -1 once popped

    static bool before(const Entry& a, const Entry& b) {
        return a.cost < b.cost || (a.cost == b.cost && a.vertex < b.vertex);
    }
    void place(int i, const Entry& e) {
        entries[i] = e;
        slot[e.vertex] = i;
    }
    void sift_up(int i) {
        Entry e = entries[i];
        while (i > 0) {
            int parent = (i - 1) / 2;
            if (!before(e, entries[parent])) break;
            place(i, entries[parent]);
            i = parent;
        }
        place(i, e);
    }
    void sift_down(int i) {
        Entry e = entries[i];
        int n = int(entries.size());
        for (;;) {
            int child = 2 * i + 1;
            if (child >= n) break;
            if (child + 1 < n && before(entries[child + 1], entries[child])) ++child;
            if (!before(entries[child], e)) break;
            place(i, entries[child]);
            i = child;
        }
        place(i, e);
    }
};

class Simplifier {
  public:
    explicit Simplifier(const Mesh& mesh)
        : point(size_t(mesh.nv)), vertices(size_t(mesh.nv)), triangles(size_t(mesh.nf)),
          triangle_live(size_t(mesh.nf), 1) {
        for (int v = 0; v < mesh.nv; ++v)
            point[v] = {mesh.vertices[v].x, mesh.vertices[v].y, mesh.vertices[v].z};
        for (int i = 0; i < mesh.nf; ++i) {
            WorkTriangle& t = triangles[i];
            for (int k = 0; k < 3; ++k) t.vertex[k] = mesh.faceptrs[i]->vindex[k];
            compute_normal(t);
            // The other corners by position: in a face (a, a, b) a is its own neighbour.
            for (int k = 0; k < 3; ++k) {
                WorkVertex& corner = vertices[t.vertex[k]];
                corner.faces.push_back(i);
                for (int j = 0; j < 3; ++j)
                    if (j != k) corner.neighbours.add_unique(t.vertex[j]);
            }
        }
        for (int v = 0; v < mesh.nv; ++v) compute_cost(v);
        heap.build(vertices);
        live_vertices = mesh.nv;
    }

    void run(int goal) {
        while (live_vertices > goal) {
            int u = heap.top();
            collapse(u, vertices[u].target);
        }
    }

    // The survivors in index order, numbered by rank.
    void write_back(Mesh& mesh) {
        std::vector<Vector> positions = std::move(mesh.vertices);
        std::vector<Vector> colours = std::move(mesh.colours);
        std::vector<std::vector<float>> rows = std::move(mesh.morphogens);
        bool keep_rows = int(rows.size()) == mesh.nv;
        std::vector<int> rank(vertices.size(), -1);
        int kept = 0;
        for (size_t v = 0; v < vertices.size(); ++v)
            if (vertices[v].live) rank[v] = kept++;
        int faces = 0;
        for (char live : triangle_live) faces += live;

        mesh.clear();
        mesh.alloc_vertices(kept);
        mesh.alloc_faces(faces);
        for (size_t v = 0; v < vertices.size(); ++v) {
            if (rank[v] < 0) continue;
            mesh.vertices[rank[v]] = positions[v];
            mesh.colours[rank[v]] = colours[v];
            if (keep_rows) mesh.morphogens.push_back(std::move(rows[v]));
        }
        int i = 0;
        for (size_t f = 0; f < triangles.size(); ++f) {
            if (!triangle_live[f]) continue;
            for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = rank[triangles[f].vertex[k]];
            ++i;
        }
        mesh.link_faces();
    }

  private:
    std::vector<Point> point; // the positions, x, y and z
    std::vector<WorkVertex> vertices;
    std::vector<WorkTriangle> triangles;
    std::vector<char> triangle_live;
    VertexHeap heap;
    int live_vertices = 0;
    int collapsing = -1; // the vertex being collapsed, while it is
    static constexpr int max_table_faces = 64;
    // Scratch, kept for its room: a vertex's faces gathered (corners and normals), the
    // curvature terms of each pair of them, the faces on one edge, a neighbour list.
    std::vector<WorkTriangle> gathered;
    std::vector<float> terms;
    std::vector<int> sides, remembered;

    Vector difference(int a, int b) const {
        return Vector(point[a].x - point[b].x, point[a].y - point[b].y, point[a].z - point[b].z);
    }

    // normalise((P1 - P0) x (P2 - P1)), or the raw cross product when its length is 0.
    void compute_normal(WorkTriangle& t) const {
        Vector a = difference(t.vertex[1], t.vertex[0]);
        Vector b = difference(t.vertex[2], t.vertex[1]);
        Vector n;
        n.cross(a, b);
        if (n.length() != 0) {
            n.x /= n.len;
            n.y /= n.len;
            n.z /= n.len;
        }
        t.normal[0] = n.x;
        t.normal[1] = n.y;
        t.normal[2] = n.z;
    }

    // The cost of w's cheapest collapse and its target: for each neighbour n in list
    // order, the edge length times the largest, over w's faces f, of the smallest
    // curvature term of f against the faces s on the edge (w's faces that have n);
    // the first edge cheaper than 1,000,000 and every other one that is strictly
    // cheaper win. Comparisons are written so that a NaN is passed over. A vertex
    // without neighbours costs -0.01 and goes first.
    //
    // A vertex with neighbours always gets a target, so that no vertex leaves while
    // triangles use it: when no edge costs less than 1,000,000 (huge or NaN costs), the
    // first cheapest edge that is a number, else the first neighbour.
    void compute_cost(int w) {
        WorkVertex& vertex = vertices[w];
        const SmallList& neighbours = vertex.neighbours;
        vertex.target = -1;
        if (neighbours.empty()) {
            vertex.cost = -0.01f;
            return;
        }
        const SmallList& faces = vertex.faces;
        int nf = faces.size();
        gathered.resize(nf);
        for (int i = 0; i < nf; ++i) gathered[i] = triangles[faces[i]];
        // A term does not depend on the order of its two faces (the products commute,
        // the sum runs x, y, z either way), so each pair is computed once; a vertex
        // with very many faces has its terms computed where they are used instead.
        bool table = nf <= max_table_faces;
        if (table) {
            terms.resize(size_t(nf) * nf);
            for (int f = 0; f < nf; ++f)
                for (int s = 0; s <= f; ++s)
                    terms[f * nf + s] = terms[s * nf + f] =
                        curvature_term(gathered[f].normal, gathered[s].normal);
        }

        float best = 1000000;
        int cheapest = -1;
        float cheapest_cost = 0;
        for (int n : neighbours) {
            float length = difference(n, w).length();
            // The smallest term against the faces on the edge and the largest of those
            // minima, neither of which depends on the order the terms come in.
            float curvature = 0;
            if (table) {
                uint64_t on_edge = 0; // bit i: face i has n
                for (int i = 0; i < nf; ++i) on_edge |= uint64_t(gathered[i].has(n)) << i;
                for (int f = 0; f < nf; ++f) {
                    const float* row = &terms[size_t(f) * nf];
                    float m = 1;
                    for (uint64_t b = on_edge; b; b &= b - 1) {
                        float x = row[std::countr_zero(b)];
                        m = x < m ? x : m;
                    }
                    curvature = m > curvature ? m : curvature;
                }
            } else {
                sides.clear();
                for (int i = 0; i < nf; ++i)
                    if (gathered[i].has(n)) sides.push_back(i);
                for (int f = 0; f < nf; ++f) {
                    float m = 1;
                    for (int s : sides) {
                        float x = curvature_term(gathered[f].normal, gathered[s].normal);
                        m = x < m ? x : m;
                    }
                    curvature = m > curvature ? m : curvature;
                }
            }
            float c = curvature * length;
            if (c < best) {
                best = c;
                vertex.target = n;
            }
            if (!std::isnan(c) && (cheapest < 0 || c < cheapest_cost)) {
                cheapest = n;
                cheapest_cost = c;
            }
        }
        vertex.cost = best;
        if (vertex.target < 0) vertex.target = cheapest >= 0 ? cheapest : neighbours[0];
    }

    // Drops b from a's neighbours when no triangle of a uses b. The collapsing
    // vertex's own list is left alone: it is read again only to take the vertex out
    // of its neighbours' lists, and by then no vertex shares a triangle with it, so
    // the entries the walks would have dropped change nothing there.
    void remove_if_non_neighbour(int a, int b) {
        if (a == collapsing) return;
        WorkVertex& va = vertices[a];
        if (!va.neighbours.contains(b)) return;
        for (int f : va.faces)
            if (triangles[f].has(b)) return;
        va.neighbours.remove_first(b);
    }

    void delete_triangle(int f) {
        const WorkTriangle& t = triangles[f];
        triangle_live[f] = 0;
        for (int k = 0; k < 3; ++k) vertices[t.vertex[k]].faces.remove_first(f);
        for (int k = 0; k < 3; ++k) {
            int a = t.vertex[k], b = t.vertex[(k + 1) % 3];
            remove_if_non_neighbour(a, b);
            remove_if_non_neighbour(b, a);
        }
    }

    // The first corner holding u now holds v.
    void replace_vertex(int f, int u, int v) {
        WorkTriangle& t = triangles[f];
        for (int k = 0; k < 3; ++k)
            if (t.vertex[k] == u) {
                t.vertex[k] = v;
                break;
            }
        vertices[u].faces.remove_first(f);
        vertices[v].faces.push_back(f);
        for (int k = 0; k < 3; ++k) {
            remove_if_non_neighbour(u, t.vertex[k]);
            remove_if_non_neighbour(t.vertex[k], u);
        }
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (i != j) vertices[t.vertex[i]].neighbours.add_unique(t.vertex[j]);
        compute_normal(t);
    }

    // Takes x out of its neighbours' lists and out of the live vertices (x is the
    // heap's top whenever this runs).
    void remove_vertex(int x) {
        SmallList& own = vertices[x].neighbours;
        while (!own.empty()) {
            int n = own[0];
            vertices[n].neighbours.remove_first(x);
            own.remove_first(n);
        }
        vertices[x].live = false;
        heap.pop();
        --live_vertices;
    }

    void collapse(int u, int v) {
        if (v < 0) {
            remove_vertex(u);
            return;
        }
        const SmallList& own = vertices[u].neighbours;
        remembered.assign(own.begin(), own.end());
        collapsing = u;
        // Both walks go from the last face to the first; a deletion may take two
        // entries of a face that holds u twice, so an index past the end is skipped.
        const SmallList& faces = vertices[u].faces;
        for (int i = faces.size() - 1; i >= 0; --i)
            if (i < faces.size() && triangles[faces[i]].has(v)) delete_triangle(faces[i]);
        for (int i = faces.size() - 1; i >= 0; --i)
            if (i < faces.size()) replace_vertex(faces[i], u, v);
        remove_vertex(u);
        collapsing = -1;
        for (int n : remembered) {
            if (!vertices[n].live) continue; // u itself, when it was its own neighbour
            compute_cost(n);
            heap.update(n, vertices[n].cost);
        }
    }
};

} // namespace

int simplification_target(int nv, float fraction) {
    float product = float(nv) * fraction;
    if (!(product < float(nv))) return nv;
    if (!(product > 0)) return 0;
    return int(product);
}

void simplify(Mesh& mesh, float fraction) {
    Simplifier simplifier(mesh);
    simplifier.run(simplification_target(mesh.nv, fraction));
    simplifier.write_back(mesh);
}

void simplify_lod(Mesh& mesh, float lod) {
    simplify(mesh, lod / 100);
    mesh.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST});
    mesh.build_centroids();
    mesh.build_bbox();
}
