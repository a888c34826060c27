// Edge-collapse simplification as first written: working vertices and triangles that
// point at each other, a live vertex list scanned from the start for the cheapest
// vertex at every step, ids lowered one by one as vertices leave the list. Quadratic
// in the vertex count; kept to check the fast simplification against (tests) and to
// measure it by (benchmarks).
#pragma once

#include "core/mesh.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace reference {

struct SimplifierTriangle;

struct SimplifierVertex {
    Vector position;
    int id = 0;
    int origin = 0; // the mesh vertex it was made from, for its colour and morphogens
    std::vector<SimplifierVertex*> neighbours;
    std::vector<SimplifierTriangle*> faces;
    float cost = 0;
    SimplifierVertex* collapse_target = nullptr;
};

struct SimplifierTriangle {
    SimplifierVertex* vertex[3];
    Vector normal;

    bool has(const SimplifierVertex* v) const {
        return vertex[0] == v || vertex[1] == v || vertex[2] == v;
    }
};

// Removes the first occurrence; nothing when absent.
template <typename T>
void remove_first(std::vector<T*>& list, const T* x) {
    auto it = std::find(list.begin(), list.end(), x);
    if (it != list.end()) list.erase(it);
}

template <typename T>
void add_unique(std::vector<T*>& list, T* x) {
    if (std::find(list.begin(), list.end(), x) == list.end()) list.push_back(x);
}

class LiteralSimplifier {
  public:
    explicit LiteralSimplifier(const Mesh& mesh) {
        for (int i = 0; i < mesh.nv; ++i) {
            auto v = std::make_unique<SimplifierVertex>();
            v->position = mesh.vertices[i];
            v->id = i;
            v->origin = i;
            vertices.push_back(v.get());
            vertex_store.push_back(std::move(v));
        }
        for (int i = 0; i < mesh.nf; ++i) {
            const Face& f = *mesh.faceptrs[i];
            auto t = std::make_unique<SimplifierTriangle>();
            for (int k = 0; k < 3; ++k) t->vertex[k] = vertices[f.vindex[k]];
            compute_normal(*t);
            triangles.push_back(t.get());
            for (int k = 0; k < 3; ++k) {
                t->vertex[k]->faces.push_back(t.get());
                for (int j = 0; j < 3; ++j)
                    if (j != k) add_unique(t->vertex[k]->neighbours, t->vertex[j]);
            }
            triangle_store.push_back(std::move(t));
        }
        for (SimplifierVertex* v : vertices) compute_cost(*v);
    }

    void run(const Mesh& mesh, float fraction) {
        float product = float(mesh.nv) * fraction;
        size_t target = !(product < float(mesh.nv)) ? size_t(mesh.nv)
                        : !(product > 0)            ? 0
                                                    : size_t(product);
        while (vertices.size() > target) {
            size_t pick = 0;
            for (size_t i = 1; i < vertices.size(); ++i)
                if (vertices[i]->cost < vertices[pick]->cost) pick = i;
            for (size_t i = pick + 1; i < vertices.size(); ++i) --vertices[i]->id;
            SimplifierVertex* u = vertices[pick];
            collapse(u, u->collapse_target);
        }
    }

    void write_back(Mesh& mesh) {
        std::vector<Vector> colours = mesh.colours;
        std::vector<std::vector<float>> rows = std::move(mesh.morphogens);
        bool keep_rows = int(rows.size()) == mesh.nv;
        mesh.clear();
        mesh.alloc_vertices(int(vertices.size()));
        mesh.alloc_faces(int(triangles.size()));
        for (size_t i = 0; i < vertices.size(); ++i) {
            mesh.vertices[i] = vertices[i]->position;
            mesh.colours[i] = colours[vertices[i]->origin];
            if (keep_rows) mesh.morphogens.push_back(rows[vertices[i]->origin]);
        }
        for (size_t i = 0; i < triangles.size(); ++i)
            for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = triangles[i]->vertex[k]->id;
        mesh.link_faces();
    }

    std::vector<SimplifierVertex*> vertices;
    std::vector<SimplifierTriangle*> triangles;

  private:
    std::vector<std::unique_ptr<SimplifierVertex>> vertex_store;
    std::vector<std::unique_ptr<SimplifierTriangle>> triangle_store;

    static void compute_normal(SimplifierTriangle& t) {
        Vector a = t.vertex[1]->position - t.vertex[0]->position;
        Vector b = t.vertex[2]->position - t.vertex[1]->position;
        Vector n;
        n.cross(a, b);
        if (n.length() != 0) {
            n.x /= n.len;
            n.y /= n.len;
            n.z /= n.len;
        }
        t.normal = n;
    }

    static float edge_cost(const SimplifierVertex& w, const SimplifierVertex& n) {
        Vector d = n.position - w.position;
        float length = d.length();
        std::vector<SimplifierTriangle*> sides;
        for (SimplifierTriangle* f : w.faces)
            if (f->has(&n)) sides.push_back(f);
        float curvature = 0;
        for (SimplifierTriangle* f : w.faces) {
            float m = 1;
            for (SimplifierTriangle* s : sides) {
                float x = (1 - f->normal.dot(s->normal)) * 0.5f;
                if (x < m) m = x;
            }
            if (m > curvature) curvature = m;
        }
        return curvature * length;
    }

    static void compute_cost(SimplifierVertex& w) {
        w.collapse_target = nullptr;
        if (w.neighbours.empty()) {
            w.cost = -0.01f;
            return;
        }
        w.cost = 1000000;
        SimplifierVertex* cheapest = nullptr;
        float cheapest_cost = 0;
        for (SimplifierVertex* n : w.neighbours) {
            float c = edge_cost(w, *n);
            if (c < w.cost) {
                w.cost = c;
                w.collapse_target = n;
            }
            if (!std::isnan(c) && (!cheapest || c < cheapest_cost)) {
                cheapest = n;
                cheapest_cost = c;
            }
        }
        if (!w.collapse_target) w.collapse_target = cheapest ? cheapest : w.neighbours[0];
    }

    static void remove_if_non_neighbour(SimplifierVertex& a, SimplifierVertex* b) {
        if (std::find(a.neighbours.begin(), a.neighbours.end(), b) == a.neighbours.end()) return;
        for (SimplifierTriangle* f : a.faces)
            if (f->has(b)) return;
        remove_first(a.neighbours, b);
    }

    void delete_triangle(SimplifierTriangle* t) {
        remove_first(triangles, t);
        for (int k = 0; k < 3; ++k) remove_first(t->vertex[k]->faces, t);
        for (int k = 0; k < 3; ++k) {
            SimplifierVertex *a = t->vertex[k], *b = t->vertex[(k + 1) % 3];
            remove_if_non_neighbour(*a, b);
            remove_if_non_neighbour(*b, a);
        }
    }

    void replace_vertex(SimplifierTriangle* t, SimplifierVertex* u, SimplifierVertex* v) {
        for (int k = 0; k < 3; ++k)
            if (t->vertex[k] == u) {
                t->vertex[k] = v;
                break;
            }
        remove_first(u->faces, t);
        v->faces.push_back(t);
        for (int k = 0; k < 3; ++k) {
            remove_if_non_neighbour(*u, t->vertex[k]);
            remove_if_non_neighbour(*t->vertex[k], u);
        }
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (i != j) add_unique(t->vertex[i]->neighbours, t->vertex[j]);
        compute_normal(*t);
    }

    void remove_vertex(SimplifierVertex* x) {
        while (!x->neighbours.empty()) {
            SimplifierVertex* n = x->neighbours[0];
            remove_first(n->neighbours, x);
            remove_first(x->neighbours, n);
        }
        remove_first(vertices, x);
    }

    void collapse(SimplifierVertex* u, SimplifierVertex* v) {
        if (!v) {
            remove_vertex(u);
            return;
        }
        std::vector<SimplifierVertex*> remembered = u->neighbours;
        for (int i = int(u->faces.size()) - 1; i >= 0; --i) {
            if (i >= int(u->faces.size())) continue;
            if (u->faces[i]->has(v)) delete_triangle(u->faces[i]);
        }
        for (int i = int(u->faces.size()) - 1; i >= 0; --i) {
            if (i >= int(u->faces.size())) continue;
            replace_vertex(u->faces[i], u, v);
        }
        remove_vertex(u);
        for (SimplifierVertex* n : remembered) compute_cost(*n);
    }
};

// The whole simplification on `mesh` in place, with the literal scan.
inline void literal_simplify(Mesh& mesh, float fraction) {
    LiteralSimplifier s(mesh);
    s.run(mesh, fraction);
    s.write_back(mesh);
}

} // namespace reference
