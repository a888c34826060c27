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
#include <cmath>
#include <vector>

namespace {

void remove_first(std::vector<int>& list, int x) {
    auto it = std::find(list.begin(), list.end(), x);
    if (it != list.end()) list.erase(it);
}

bool contains(const std::vector<int>& list, int x) {
    return std::find(list.begin(), list.end(), x) != list.end();
}

void add_unique(std::vector<int>& list, int x) {
    if (!contains(list, x)) list.push_back(x);
}

struct WorkVertex {
    Vector position;
    std::vector<int> neighbours; // vertices sharing a live triangle, each once
    std::vector<int> faces;      // live triangles using the vertex, once per corner it holds
    float cost = 0;
    int target = -1; // the neighbour of the cheapest collapse, or -1
    bool live = true;
};

struct WorkTriangle {
    int vertex[3];
    Vector normal;
    bool live = true;

    bool has(int v) const { return vertex[0] == v || vertex[1] == v || vertex[2] == v; }
};

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
    explicit Simplifier(const Mesh& mesh) : vertices(mesh.nv), triangles(mesh.nf) {
        for (int i = 0; i < mesh.nv; ++i) vertices[i].position = mesh.vertices[i];
        for (int i = 0; i < mesh.nf; ++i) {
            WorkTriangle& t = triangles[i];
            for (int k = 0; k < 3; ++k) t.vertex[k] = mesh.faceptrs[i]->vindex[k];
            compute_normal(t);
            // The other corners by position: in a face (a, a, b) a is its own neighbour.
            for (int k = 0; k < 3; ++k) {
                WorkVertex& corner = vertices[t.vertex[k]];
                corner.faces.push_back(i);
                for (int j = 0; j < 3; ++j)
                    if (j != k) add_unique(corner.neighbours, t.vertex[j]);
            }
        }
        for (WorkVertex& v : vertices) compute_cost(v);
        heap.build(vertices);
        live_vertices = mesh.nv;
    }

    void run(int target) {
        while (live_vertices > target) {
            int u = heap.top();
            collapse(u, vertices[u].target);
        }
    }

    // The survivors in index order, numbered by rank.
    void write_back(Mesh& mesh) {
        std::vector<Vector> colours = std::move(mesh.colours);
        std::vector<std::vector<float>> rows = std::move(mesh.morphogens);
        bool keep_rows = int(rows.size()) == mesh.nv;
        std::vector<int> rank(vertices.size(), -1);
        int kept = 0;
        for (size_t v = 0; v < vertices.size(); ++v)
            if (vertices[v].live) rank[v] = kept++;
        int faces = 0;
        for (const WorkTriangle& t : triangles) faces += t.live;

        mesh.clear();
        mesh.alloc_vertices(kept);
        mesh.alloc_faces(faces);
        for (size_t v = 0; v < vertices.size(); ++v) {
            if (rank[v] < 0) continue;
            mesh.vertices[rank[v]] = vertices[v].position;
            mesh.colours[rank[v]] = colours[v];
            if (keep_rows) mesh.morphogens.push_back(std::move(rows[v]));
        }
        int i = 0;
        for (const WorkTriangle& t : triangles) {
            if (!t.live) continue;
            for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = rank[t.vertex[k]];
            ++i;
        }
        mesh.link_faces();
    }

  private:
    std::vector<WorkVertex> vertices;
    std::vector<WorkTriangle> triangles;
    VertexHeap heap;
    int live_vertices = 0;
    std::vector<int> sides, remembered; // scratch lists, kept for their room

    // normalise((P1 - P0) x (P2 - P1)), or the raw cross product when its length is 0.
    void compute_normal(WorkTriangle& t) const {
        Vector a = vertices[t.vertex[1]].position - vertices[t.vertex[0]].position;
        Vector b = vertices[t.vertex[2]].position - vertices[t.vertex[1]].position;
        Vector n;
        n.cross(a, b);
        if (n.length() != 0) {
            n.x /= n.len;
            n.y /= n.len;
            n.z /= n.len;
        }
        t.normal = n;
    }

    // The edge length times the largest, over w's faces, of the smallest curvature
    // term (1 - f.n . s.n) / 2 against the faces s on the edge. Comparisons are written
    // so that a NaN term is passed over.
    float edge_cost(const WorkVertex& w, int n) {
        Vector d = vertices[n].position - w.position;
        float length = d.length();
        sides.clear();
        for (int f : w.faces)
            if (triangles[f].has(n)) sides.push_back(f);
        float curvature = 0;
        for (int f : w.faces) {
            const Vector& normal = triangles[f].normal;
            float m = 1;
            for (int s : sides) {
                float x = (1 - normal.dot(triangles[s].normal)) * 0.5f;
                if (x < m) m = x;
            }
            if (m > curvature) curvature = m;
        }
        return curvature * length;
    }

    // The first cheapest neighbour below 1,000,000; a vertex without neighbours costs
    // -0.01 and goes first. A vertex with neighbours always gets a target, so that no
    // vertex leaves while triangles still use it: when no edge costs less than
    // 1,000,000 (huge or NaN costs), the first cheapest edge that is a number, else the
    // first neighbour.
    void compute_cost(WorkVertex& w) {
        w.target = -1;
        if (w.neighbours.empty()) {
            w.cost = -0.01f;
            return;
        }
        w.cost = 1000000;
        int cheapest = -1;
        float cheapest_cost = 0;
        for (int n : w.neighbours) {
            float c = edge_cost(w, n);
            if (c < w.cost) {
                w.cost = c;
                w.target = n;
            }
            if (!std::isnan(c) && (cheapest < 0 || c < cheapest_cost)) {
                cheapest = n;
                cheapest_cost = c;
            }
        }
        if (w.target < 0) w.target = cheapest >= 0 ? cheapest : w.neighbours[0];
    }

    // Drops b from a's neighbours when no triangle of a uses b.
    void remove_if_non_neighbour(int a, int b) {
        WorkVertex& va = vertices[a];
        if (!contains(va.neighbours, b)) return;
        for (int f : va.faces)
            if (triangles[f].has(b)) return;
        remove_first(va.neighbours, b);
    }

    void delete_triangle(int f) {
        WorkTriangle& t = triangles[f];
        t.live = false;
        for (int k = 0; k < 3; ++k) remove_first(vertices[t.vertex[k]].faces, f);
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
        remove_first(vertices[u].faces, f);
        vertices[v].faces.push_back(f);
        for (int k = 0; k < 3; ++k) {
            remove_if_non_neighbour(u, t.vertex[k]);
            remove_if_non_neighbour(t.vertex[k], u);
        }
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (i != j) add_unique(vertices[t.vertex[i]].neighbours, t.vertex[j]);
        compute_normal(t);
    }

    // Takes x out of its neighbours' lists and out of the live vertices (x is the
    // heap's top whenever this runs).
    void remove_vertex(int x) {
        std::vector<int>& own = vertices[x].neighbours;
        while (!own.empty()) {
            int n = own[0];
            remove_first(vertices[n].neighbours, x);
            remove_first(own, n);
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
        remembered = vertices[u].neighbours;
        // Both walks go from the last face to the first; a deletion may take two
        // entries of a face that holds u twice, so an index past the end is skipped.
        std::vector<int>& faces = vertices[u].faces;
        for (int i = int(faces.size()) - 1; i >= 0; --i)
            if (i < int(faces.size()) && triangles[faces[i]].has(v)) delete_triangle(faces[i]);
        for (int i = int(faces.size()) - 1; i >= 0; --i)
            if (i < int(faces.size())) replace_vertex(faces[i], u, v);
        remove_vertex(u);
        for (int n : remembered) {
            WorkVertex& w = vertices[n];
            if (!w.live) continue; // u itself, when it was its own neighbour
            compute_cost(w);
            heap.update(n, w.cost);
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
