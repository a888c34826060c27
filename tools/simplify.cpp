// Edge-collapse simplification. The working vertices and triangles keep their
// neighbour and face lists with the exact list semantics every collapse relies on
// (appends, first-occurrence removals, walks from the last entry), because which edge
// collapses next depends on the order of those lists. What is not kept is the cost of
// the plain procedure: instead of scanning all live vertices for the first cheapest
// one, an indexed heap keyed by (cost, index) yields it, since live vertices stay in
// index order; instead of renumbering the vertices after each removal, survivors are
// numbered by rank at the end; the live lists are flags; list updates that cannot
// change any list the procedure reads later are left out; and a neighbour's cheapest
// collapse is carried over, where the collapse left the costs of its other edges as
// they were, instead of weighed anew (see carry_over()).
#include "tools/simplify.h"

#include "core/work.h"
#include "tools/collapse_cost.h"
#include "tools/small_list.h"
#include "tools/vertex_heap.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace {

struct alignas(64) WorkVertex {
    SmallList neighbours; // vertices sharing a live triangle, each once
    SmallList faces;      // live triangles using the vertex, once per corner it holds
};

std::span<const int> span_of(const SmallList& list) {
    return {list.begin(), size_t(list.size())};
}

// Asks for the records the first eight entries of `list` lead to, the last entry again
// past its end: a loop of fixed length, whose end is always foreseen.
template <typename T>
void prefetch_entries(const SmallList& list, const T* records) {
    const int* entry = list.begin();
    int last = list.size() - 1;
    if (last < 0) return;
    for (int i = 0; i < 8; ++i) __builtin_prefetch(records + entry[std::min(i, last)]);
}

// Everything the simplification writes is its own until the result is handed over: a
// stop (WorkStopped, taken on the caller's thread) leaves the mesh it reads as it was.
class Simplifier {
  public:
    Simplifier(const Mesh& mesh, Work* w)
        : work(w), point(size_t(mesh.nv)), vertices(new WorkVertex[size_t(mesh.nv)]),
          cost(size_t(mesh.nv)), target(size_t(mesh.nv), -1), live(size_t(mesh.nv), 1),
          lost(size_t(mesh.nv), -1), curvature_floor(size_t(mesh.nv)), triangles(size_t(mesh.nf)),
          triangle_live(size_t(mesh.nf), 1) {
        for (int v = 0; v < mesh.nv; ++v)
            point[v] = {mesh.vertices[v].x, mesh.vertices[v].y, mesh.vertices[v].z};
        checkpoint(work);
        for (int i = 0; i < mesh.nf; ++i)
            for (int k = 0; k < 3; ++k) triangles[i].vertex[k] = mesh.faceptrs[i]->vindex[k];
        checkpoint(work);
        prepare();
        heap.build(cost);
        live_vertices = mesh.nv;
    }

    void run(int goal) {
        // About a millisecond of collapses between stops.
        const int64_t collapses = live_vertices - goal;
        for (int64_t done = 0; live_vertices > goal; ++done) {
            advance_every(work, done, collapses, 10);
            int u = heap.top();
            collapse(u, target[u]);
        }
    }

    // The survivors in index order, numbered by rank, as a new mesh: `source` is read
    // only, so it stays whole should an allocation fail.
    Mesh result(const Mesh& source) const {
        bool keep_rows = int(source.morphogens.size()) == source.nv;
        std::vector<int> rank(point.size(), -1);
        int kept = 0;
        for (size_t v = 0; v < point.size(); ++v)
            if (live[v]) rank[v] = kept++;
        int faces = 0;
        for (char alive : triangle_live) faces += alive;
        checkpoint(work);

        Mesh mesh;
        mesh.alloc_vertices(kept);
        mesh.alloc_faces(faces);
        if (keep_rows) mesh.morphogens.reserve(size_t(kept));
        for (size_t v = 0; v < point.size(); ++v) {
            if ((v & 16383) == 0) checkpoint(work); // a row is an allocation
            if (rank[v] < 0) continue;
            mesh.vertices[rank[v]] = source.vertices[v];
            mesh.colours[rank[v]] = source.colours[v];
            if (keep_rows) mesh.morphogens.push_back(source.morphogens[v]);
        }
        checkpoint(work);
        int i = 0;
        for (size_t f = 0; f < triangles.size(); ++f) {
            if (!triangle_live[f]) continue;
            for (int k = 0; k < 3; ++k) mesh.faces[i].vindex[k] = rank[triangles[f].vertex[k]];
            ++i;
        }
        mesh.link_faces();
        mesh.morphogen_names = source.morphogen_names;
        return mesh;
    }

  private:
    // What one thread needs for its own: room for cost evaluations, blocks for lists.
    struct ThreadRoom {
        CollapseScratch scratch;
        BlockPool pool;
        std::vector<int> seen;  // per vertex: the last vertex it was found a neighbour of
        std::vector<int> found; // one vertex's corners, the first of each marked to keep
    };

    Work* work;
    std::vector<CollapsePoint> point;
    std::unique_ptr<WorkVertex[]> vertices; // uninitialised until each one's lists are built
    std::vector<float> cost;                // of each vertex's cheapest collapse
    std::vector<int> target;                // the neighbour of that collapse, or -1
    std::vector<char> live;                 // still among the live vertices
    std::vector<int> lost;              // per vertex: the last collapse that deleted a face of it
    std::vector<float> curvature_floor; // per vertex: see carry_over(); NaN until found
    std::vector<CollapseTriangle> triangles;
    std::vector<char> triangle_live;
    VertexHeap heap;
    int live_vertices = 0;
    int collapsing = -1;       // the vertex being collapsed, while it is
    int collapse_number = 0;   // of the collapse under way, from 0
    bool normals_kept = false; // by every face the collapse under way moved
    ThreadRoom room[2];        // the first for everything after the set-up
    std::vector<int> remembered;
    // The target of the collapse under way, and whether its neighbours are marked in
    // `mark` with the number `marking`.
    int target_now = -1;
    bool marked = false;
    std::vector<int> mark;
    int marking = 0;

    // Per corner, bucketed by vertex in face order: the face and its other two corners
    // in position order.
    struct Corner {
        int face, first, second;
    };

    // The triangles' normals and every vertex's lists and cost. A vertex's lists come
    // from the faces holding it, in face order: each face once per corner the vertex
    // holds, and the face's other corners by position, each once (in a face (a, a, b),
    // a is its own neighbour). The corners are bucketed by vertex for that.
    //
    // Two threads may share the work: the normals, then the vertices (a vertex's cost
    // needs only its own lists and the normals).
    void prepare() {
        int nv = int(point.size()), nf = int(triangles.size());
        std::vector<int> start(size_t(nv) + 1, 0);
        for (const CollapseTriangle& t : triangles)
            for (int k = 0; k < 3; ++k) ++start[t.vertex[k] + 1];
        for (int v = 0; v < nv; ++v) start[v + 1] += start[v];
        checkpoint(work);
        std::vector<Corner> corner(static_cast<size_t>(start[nv]));
        std::vector<int> next(start.begin(), start.end() - 1);
        auto bucket = [&] {
            for (int i = 0; i < nf; ++i) {
                if ((i & 65535) == 0) checkpoint(work);
                const int* t = triangles[i].vertex;
                corner[next[t[0]]++] = {i, t[1], t[2]};
                corner[next[t[1]]++] = {i, t[0], t[2]};
                corner[next[t[2]]++] = {i, t[0], t[1]};
            }
        };

        // Both kinds of work go in chunks from shared counters, so that a thread that
        // starts late, or not at all, leaves its share to the other.
        constexpr int face_chunk = 4096, vertex_chunk = 256;
        std::atomic<int> next_face{0}, faces_done{0}, next_vertex{0};
        // Between chunks, never within one, so that every chunk taken is done: the
        // caller's thread (the Work's checkpoints are its own) takes a stop, the second
        // thread only leaves the chunks not taken yet to it.
        auto going_on = [&](bool caller) {
            if (!caller) return !(work && work->stopped());
            advance(work, std::min(next_vertex.load(std::memory_order_relaxed), nv), nv);
            return true;
        };
        auto normals = [&](bool caller) {
            for (;;) {
                if (!going_on(caller)) return;
                int first = next_face.fetch_add(face_chunk, std::memory_order_relaxed);
                if (first >= nf) return;
                int last = std::min(first + face_chunk, nf);
                set_collapse_normals(triangles.data() + first, triangles.data() + last,
                                     point.data());
                if (faces_done.fetch_add(last - first, std::memory_order_release) + last - first ==
                    nf)
                    faces_done.notify_all();
            }
        };
        auto build = [&](ThreadRoom& mine, bool caller) {
            mine.seen.assign(size_t(nv), -1);
            for (;;) {
                if (!going_on(caller)) return;
                int first = next_vertex.fetch_add(vertex_chunk, std::memory_order_relaxed);
                if (first >= nv) return;
                for (int v = first; v < std::min(first + vertex_chunk, nv); ++v) {
                    SmallList& faces = vertices[v].faces;
                    faces.clear();
                    // Each corner goes into `found`, and the count moves past it when
                    // it is new: no branch on what the mesh holds.
                    size_t needed = std::max(2 * size_t(start[v + 1] - start[v]), size_t(16));
                    if (mine.found.size() < needed) mine.found.resize(2 * needed);
                    int* seen = mine.seen.data();
                    int* found = mine.found.data();
                    int count = 0;
                    for (int c = start[v]; c < start[v + 1]; ++c) {
                        faces.push_back(corner[c].face, mine.pool);
                        for (int n : {corner[c].first, corner[c].second}) {
                            found[count] = n;
                            count += seen[n] != v;
                            seen[n] = v;
                        }
                    }
                    vertices[v].neighbours.assign(found, count, mine.pool);
                    update_cost(v, mine.scratch);
                }
            }
        };
        // On a large mesh a second thread starts on the normals while the first buckets
        // the corners, then takes on what is left of them; without one (a small mesh, or
        // no thread to be had) the first does it all. Only the lists can fail (out of
        // memory): a failure on the second thread is raised on the first, and a failure
        // (or a stop) on either stops both.
        std::atomic<bool> bucketed{false}, abandoned{false};
        std::exception_ptr failure;
        auto normals_done = [&] {
            for (int done; (done = faces_done.load(std::memory_order_acquire)) != nf &&
                           !abandoned.load(std::memory_order_acquire);)
                faces_done.wait(done);
        };
        std::thread other;
        if (nv > 8 * vertex_chunk) {
            try {
                other = std::thread([&] {
                    normals(false);
                    bucketed.wait(false);
                    normals_done();
                    try {
                        build(room[1], false);
                    } catch (...) {
                        failure = std::current_exception();
                        next_vertex.store(nv);
                    }
                });
            } catch (const std::system_error&) {
                // No second thread: this one does it all.
            }
        }
        try {
            bucket();
            bucketed.store(true);
            bucketed.notify_one();
            normals(true);
            normals_done();
            build(room[0], true);
        } catch (...) {
            // Whatever the second thread waits for, or would take next, is there or gone;
            // the faces counted done pass nf, which wakes it.
            abandoned.store(true, std::memory_order_release);
            next_face.store(nf);
            next_vertex.store(nv);
            bucketed.store(true);
            bucketed.notify_one();
            faces_done.fetch_add(nf + 1, std::memory_order_release);
            faces_done.notify_all();
            if (other.joinable()) other.join();
            throw;
        }
        if (other.joinable()) other.join();
        if (failure) std::rethrow_exception(failure);
    }

    void update_cost(int w, CollapseScratch& scratch) {
        Collapse c =
            cheapest_collapse(w, span_of(vertices[w].neighbours), span_of(vertices[w].faces),
                              triangles.data(), point.data(), scratch);
        cost[w] = c.cost;
        target[w] = c.target;
        curvature_floor[w] = NAN; // found when it is needed
    }

    // Drops b from a's neighbours when no triangle of a has b. Lists of and entries for
    // the collapsing vertex are left alone: its own list is read again only to take it
    // out of its neighbours' lists, which drops every entry for it, and the order of
    // the other entries does not depend on when that one goes.
    void remove_if_non_neighbour(int a, int b) {
        if (a == collapsing || b == collapsing) return;
        WorkVertex& va = vertices[a];
        if (!va.neighbours.contains(b)) return;
        // A live triangle is in the lists of all its corners, so b's list tells as well:
        // it is read instead of a long list of a's, if it is shorter.
        const SmallList& fa = va.faces;
        const SmallList* fb = fa.size() > 16 ? &vertices[b].faces : nullptr;
        if (!(fb && fb->size() < fa.size() ? any_face_has(*fb, a) : any_face_has(fa, b)))
            va.neighbours.remove_first(b);
    }

    // Whether a triangle of `faces` has v. The first eight faces are tested in a loop
    // of fixed length (the last face again past the end), whose end is foreseen.
    bool any_face_has(const SmallList& faces, int v) const {
        const int* f = faces.begin();
        int last = faces.size() - 1;
        if (last < 0) return false;
        bool has = false;
        for (int i = 0; i < 8; ++i) has |= triangles[f[std::min(i, last)]].has(v);
        for (int i = 8; i <= last; ++i) has |= triangles[f[i]].has(v);
        return has;
    }

    void delete_triangle(int f) {
        const CollapseTriangle& t = triangles[f];
        triangle_live[f] = 0;
        for (int k = 0; k < 3; ++k) lost[t.vertex[k]] = collapse_number;
        for (int k = 0; k < 3; ++k) vertices[t.vertex[k]].faces.remove_first(f);
        for (int k = 0; k < 3; ++k) {
            int a = t.vertex[k], b = t.vertex[(k + 1) % 3];
            remove_if_non_neighbour(a, b);
            remove_if_non_neighbour(b, a);
        }
    }

    // The first corner holding u now holds v. Of the pairs of corners, only those with
    // the new corner can add a neighbour: the others were corners of this live triangle
    // already. They are linked in the order of all pairs (i, j), i != j. The triangle
    // stays in u's faces, which are read no more but for the new normals (see
    // collapse()).
    void replace_vertex(int f, int u, int v) {
        CollapseTriangle& t = triangles[f];
        int p = t.vertex[0] == u ? 0 : t.vertex[1] == u ? 1 : 2;
        t.vertex[p] = v;
        vertices[v].faces.push_back(f, room[0].pool);
        const int* c = t.vertex;
        // In that order of pairs, v gets the other two corners, the first by position
        // first, and each of them gets v: when neither is v, these are four lists of
        // their own (v's twice), and only the order within each counts.
        const int first = c[p == 0 ? 1 : 0], second = c[p == 2 ? 1 : 2];
        if (first != v && second != v) {
            add_to_target(first);
            add_to_target(second);
            vertices[first].neighbours.add_unique(v, room[0].pool);
            vertices[second].neighbours.add_unique(v, room[0].pool);
            return;
        }
        auto link = [&](int i, int j) {
            if (c[i] == v)
                add_to_target(c[j]);
            else
                vertices[c[i]].neighbours.add_unique(c[j], room[0].pool);
        };
        switch (p) {
        case 0:
            link(0, 1), link(0, 2), link(1, 0), link(2, 0);
            break;
        case 1:
            link(0, 1), link(1, 0), link(1, 2), link(2, 1);
            break;
        default:
            link(0, 2), link(1, 2), link(2, 0), link(2, 1);
            break;
        }
    }

    // add_unique to the target's neighbours, which only grow while u's faces move to
    // it: with many of both, through marks of its entries, made once per collapse.
    void add_to_target(int x) {
        SmallList& list = vertices[target_now].neighbours;
        if (!marked) {
            list.add_unique(x, room[0].pool);
        } else if (mark[x] != marking) {
            mark[x] = marking;
            list.push_back(x, room[0].pool);
        }
    }
    void mark_target(int v, int moving_faces) {
        target_now = v;
        const SmallList& list = vertices[v].neighbours;
        marked = moving_faces > 8;
        if (!marked) return;
        if (mark.empty()) mark.assign(point.size(), 0);
        ++marking;
        for (int n : list) mark[n] = marking;
    }

    // Takes x out of its neighbours' lists and out of the live vertices (x is the
    // heap's top whenever this runs).
    void remove_vertex(int x) {
        SmallList& own = vertices[x].neighbours;
        for (int n : own)
            if (n != x) vertices[n].neighbours.remove_first(x);
        own.release(room[0].pool);
        live[x] = 0;
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
        // What the walks and the new costs read first, asked for at once: both lines of
        // each neighbour's record, their points, u's triangles, then what the
        // neighbours' lists lead to. Not for a vertex with many neighbours (a fan's
        // centre), whose records would not all fit the cache at once: asking for them
        // only crowds out what the walks read.
        if (remembered.size() <= 64) {
            for (int n : remembered) {
                __builtin_prefetch(&vertices[n].neighbours);
                __builtin_prefetch(&vertices[n].faces);
                __builtin_prefetch(&point[n]);
            }
            for (int f : vertices[u].faces) __builtin_prefetch(&triangles[f]);
            for (int n : remembered) {
                prefetch_entries(vertices[n].faces, triangles.data());
                prefetch_entries(vertices[n].neighbours, point.data());
            }
        }
        // The next collapse is most often the vertex next in line now (about four times
        // in five on scanned meshes): its record is asked for while this one runs.
        if (int next = heap.runner_up(); next >= 0) {
            __builtin_prefetch(&vertices[next].neighbours);
            __builtin_prefetch(&vertices[next].faces);
            __builtin_prefetch(&point[next]);
        }
        collapsing = u;
        // Both walks go from the last face to the first; a deletion may take two
        // entries of a face that holds u twice, so an index past the end is skipped.
        const SmallList& faces = vertices[u].faces;
        for (int i = faces.size() - 1; i >= 0; --i)
            if (i < faces.size() && triangles[faces[i]].has(v)) delete_triangle(faces[i]);
        // Walked in the plain way, each move takes the face out of u's list, and a face
        // that holds u twice comes up twice in a row (its first entry goes, which puts
        // its second under the walk again) and no more: the faces go in the order of
        // their last entries, last first, each as many times as it holds u. So the list
        // is walked once, from the last entry, and left alone: of u's lists only its
        // neighbours are read after this, by remove_vertex().
        mark_target(v, faces.size());
        for (int i = faces.size() - 1; i >= 0; --i)
            while (triangles[faces[i]].has(u)) replace_vertex(faces[i], u, v);
        // What is left of u's list are the faces moved, each once per corner it held:
        // their normals are read only once all have moved.
        normals_kept = set_collapse_normals(span_of(faces), triangles.data(), point.data());
        vertices[u].faces.release(room[0].pool);
        remove_vertex(u);
        collapsing = -1;
        for (int n : remembered) {
            if (!live[n]) continue; // u itself, when it was its own neighbour
            const float before = cost[n];
            if (n == v || !normals_kept || !carry_over(n, u, v)) update_cost(n, room[0].scratch);
            if (cost[n] != before) heap.update(n, cost[n]); // the same key needs no move
        }
        ++collapse_number;
    }

    // The cheapest collapse of n, a neighbour of u other than v, after u's collapse
    // onto v, which kept the normal of every face it moved, from the one n had, where
    // that can be had; whether it could. When the collapse deleted no face of n, n's
    // faces and their normals are what they were, and so are its neighbours but u,
    // gone, and v, appended unless it was there: an edge to any other neighbour has
    // the same faces with the same normals and the same length, so the same cost.
    // Then, as long as the cheapest edge was not to u or v (and cheaper than
    // 1,000,000), it stays the first cheapest of the others, and v's edge, if it comes
    // after it in the list, takes its place only if it is cheaper. No cost is below 0,
    // so after an edge of cost 0 it is not weighed at all. (v before it in the list is
    // rare: that is left to the full evaluation.) Out of line, as the collapses of
    // most meshes, which turn the faces they move, never come here.
    [[gnu::noinline]] bool carry_over(int n, int u, int v) {
        const float before = cost[n];
        const int t = target[n];
        if (lost[n] == collapse_number) return false;
        if (t < 0 || t == u || t == v || !(before < collapse_cost_ceiling)) return false;
        const SmallList& list = vertices[n].neighbours;
        const int at_v = list.find(v);
        if (at_v == list.size()) return true;
        if (at_v < list.size() - 1 && at_v < list.find(t)) return false; // last is after t
        if (before == 0) return true;
        // v's edge costs no less than n's curvature floor times its length (rounding
        // keeps the order of products). The floor is found once after each full
        // evaluation of n: n's faces and their normals change only in a collapse that
        // then evaluates n in full, which forgets it.
        float& lowest = curvature_floor[n];
        if (std::isnan(lowest))
            lowest = collapse_curvature_floor(span_of(vertices[n].faces), triangles.data());
        if (!(lowest * collapse_edge_length(point[n], point[v]) < before)) return true;
        float c = collapse_edge_cost(n, v, span_of(vertices[n].faces), triangles.data(),
                                     point.data(), room[0].scratch);
        if (c < before) {
            cost[n] = c;
            target[n] = v;
        }
        return true;
    }
};

} // namespace

int simplification_target(int nv, float fraction) {
    float product = float(nv) * fraction;
    if (!(product < float(nv))) return nv;
    if (!(product > 0)) return 0;
    return int(product);
}

Mesh simplified(const Mesh& mesh, float fraction, Work* work) {
    const int goal = simplification_target(mesh.nv, fraction);
    // Shares of the progress by what each part roughly costs: a collapse about eight
    // times a vertex's set-up.
    const double setup = double(mesh.nv) + 1, collapses = 8.0 * double(mesh.nv - goal);
    const double setup_end = setup / (setup + collapses) * 0.9;
    std::optional<Stage> stage(std::in_place, work, 0, setup_end);
    Simplifier simplifier(mesh, work);
    stage.emplace(work, setup_end, 0.9);
    simplifier.run(goal);
    stage.emplace(work, 0.9, 1);
    return simplifier.result(mesh);
}

void simplify(Mesh& mesh, float fraction, Work* work) {
    mesh = simplified(mesh, fraction, work);
}

Mesh simplified_lod(const Mesh& mesh, float lod, Work* work) {
    Mesh result;
    {
        Stage simplifying(work, 0, 0.8);
        result = simplified(mesh, lod / 100, work);
    }
    Stage building(work, 0.8, 1);
    result.build({MESH_VERTEX_NORMALS, MESH_EDGE_LIST}, work);
    result.build_centroids();
    result.build_bbox();
    return result;
}

void simplify_lod(Mesh& mesh, float lod, Work* work) {
    mesh = simplified_lod(mesh, lod, work);
}
