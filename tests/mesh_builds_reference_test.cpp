// The derived-data builds checked against slow, plain reimplementations: the edge
// list with its neighbour lists, the face and vertex normals, the centroids, the
// centre and the bounding box with its extent. Each reference is computed from the
// mesh as it stands before the build under test, then compared with what the build
// left behind, on many random meshes and on every shared test mesh.
#include "random_meshes.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Reference implementations

struct ReferenceEdges {
    std::vector<std::array<int, 2>> edges;
    std::vector<std::array<int, 2>> edgefaces;
    std::vector<std::vector<EdgeRef>> vertexlists;
    std::vector<std::vector<EdgeRef>> facelists;
    std::vector<std::vector<int>> discovered; // the edge table's face lists
    int pairs_with_extra_faces = 0;           // insertions dropped because the edge had two faces
};

// One bucket of edge records per smaller vertex, searched linearly in insertion order.
ReferenceEdges reference_edge_list(const Mesh& m) {
    struct Record {
        int hi, f1, f2;
    };
    std::vector<std::vector<Record>> buckets(m.nv);
    ReferenceEdges r;
    r.discovered.resize(m.nf);
    auto insert = [&](int a, int b, int f) {
        if (a == -1 || b == -1) return;
        int lo = std::min(a, b), hi = std::max(a, b);
        for (Record& rec : buckets[lo]) {
            if (rec.hi != hi) continue;
            if (rec.f2 == -1) {
                rec.f2 = f;
                r.discovered[rec.f1].push_back(f);
                r.discovered[f].push_back(rec.f1);
            } else
                ++r.pairs_with_extra_faces;
            return;
        }
        buckets[lo].push_back({hi, f, -1});
    };
    for (int i = 0; i < m.nf; ++i) {
        const int* v = m.faces[i].vindex;
        insert(v[0], v[1], i);
        insert(v[0], v[2], i);
        insert(v[1], v[2], i);
    }

    r.vertexlists.resize(m.nv);
    r.facelists.resize(m.nf);
    for (int lo = 0; lo < m.nv; ++lo) {
        for (const Record& rec : buckets[lo]) {
            int k = int(r.edges.size());
            r.edges.push_back({lo, rec.hi});
            r.edgefaces.push_back({rec.f1, rec.f2});
            r.vertexlists[lo].push_back({k, 1});
            r.vertexlists[rec.hi].push_back({k, 0});
            if (rec.f2 != -1) {
                r.facelists[rec.f1].push_back({k, 1});
                r.facelists[rec.f2].push_back({k, 0});
            }
        }
    }
    return r;
}

struct ReferenceNormals {
    std::vector<Vector> vertex;
    std::vector<Vector> face;
};

// Face normals start from whatever the faces hold, as the build works in place.
ReferenceNormals reference_normals(const Mesh& m) {
    ReferenceNormals r;
    r.vertex = m.normals;
    for (const Face& f : m.faces) r.face.push_back(f.normal);
    if (m.nf == 0) return r;
    for (Vector& n : r.vertex) n = Vector(0.0f, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < m.nf; ++i) {
        const int* v = m.faces[i].vindex;
        Vector& fn = r.face[i];
        fn.face_normal(m.vertices[v[2]], m.vertices[v[1]], m.vertices[v[0]]);
        for (int k = 0; k < 3; ++k) {
            Vector& n = r.vertex[v[k]];
            n.x += fn.x;
            n.y += fn.y;
            n.z += fn.z;
            n.w += fn.w;
            n.normalise();
        }
    }
    return r;
}

std::vector<Vector> reference_centroids(const Mesh& m) {
    std::vector<Vector> c;
    for (int i = 0; i < m.nf; ++i) {
        const Vector& a = m.vertices[m.faces[i].vindex[0]];
        const Vector& b = m.vertices[m.faces[i].vindex[1]];
        const Vector& d = m.vertices[m.faces[i].vindex[2]];
        Vector s(a.x + b.x + d.x, a.y + b.y + d.y, a.z + b.z + d.z, a.w + b.w + d.w);
        s.x /= 3.0f;
        s.y /= 3.0f;
        s.z /= 3.0f;
        c.push_back(s);
    }
    return c;
}

struct Extremes {
    float lo[3], hi[3];
};

Extremes reference_extremes(const Mesh& m) {
    Extremes e{};
    for (int v = 0; v < m.nv; ++v) {
        const float p[3] = {m.vertices[v].x, m.vertices[v].y, m.vertices[v].z};
        for (int a = 0; a < 3; ++a) {
            if (v == 0 || p[a] < e.lo[a]) e.lo[a] = p[a];
            if (v == 0 || e.hi[a] < p[a]) e.hi[a] = p[a];
        }
    }
    return e;
}

Vector reference_centre(const Mesh& m) {
    Vector c = m.centre;
    if (m.nv == 0) return c;
    Extremes e = reference_extremes(m);
    c.x = (e.lo[0] + e.hi[0]) / 2;
    c.y = (e.lo[1] + e.hi[1]) / 2;
    c.z = (e.lo[2] + e.hi[2]) / 2;
    return c;
}

struct ReferenceBox {
    std::array<Vector, 8> corners;
    float extent;
};

ReferenceBox reference_bbox(const Mesh& m) {
    ReferenceBox b{m.bbox, m.extent};
    if (m.nv == 0) return b;
    Extremes e = reference_extremes(m);
    const float x = e.lo[0], y = e.lo[1], z = e.lo[2];
    const float X = e.hi[0], Y = e.hi[1], Z = e.hi[2];
    const float xyz[8][3] = {{X, y, Z}, {X, Y, Z}, {x, Y, Z}, {x, y, Z},
                             {x, y, z}, {x, Y, z}, {X, Y, z}, {X, y, z}};
    for (int k = 0; k < 8; ++k) {
        b.corners[k].x = xyz[k][0];
        b.corners[k].y = xyz[k][1];
        b.corners[k].z = xyz[k][2];
    }
    Vector s01 = b.corners[0] - b.corners[1];
    Vector s12 = b.corners[1] - b.corners[2];
    Vector s16 = b.corners[1] - b.corners[6];
    b.extent = std::max({s01.length(), s12.length(), s16.length()});
    return b;
}

// ---------------------------------------------------------------------------
// Comparisons, each reporting the first difference it finds

bool same_float(float a, float b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool same_xyz(const Vector& a, const Vector& b) {
    return same_float(a.x, b.x) && same_float(a.y, b.y) && same_float(a.z, b.z);
}
bool same_xyzw(const Vector& a, const Vector& b) {
    return same_xyz(a, b) && same_float(a.w, b.w);
}

std::string show(const Vector& v) {
    std::ostringstream s;
    s.precision(9);
    s << "(" << v.x << ", " << v.y << ", " << v.z << ", " << v.w << ")";
    return s.str();
}

std::string show(EdgeRef r) {
    return "{" + std::to_string(r.edge) + ", " + std::to_string(r.end) + "}";
}

std::string show(const std::array<int, 2>& p) {
    return "(" + std::to_string(p[0]) + ", " + std::to_string(p[1]) + ")";
}

testing::AssertionResult same_lists(const char* what, const NeighbourLists& got,
                                    const std::vector<std::vector<EdgeRef>>& want) {
    if (got.size() != int(want.size()))
        return testing::AssertionFailure()
               << what << ": " << got.size() << " lists, expected " << want.size();
    for (int i = 0; i < got.size(); ++i) {
        auto list = got[i];
        if (list.size() != want[i].size())
            return testing::AssertionFailure() << what << " " << i << ": " << list.size()
                                               << " entries, expected " << want[i].size();
        for (size_t j = 0; j < list.size(); ++j)
            if (list[j].edge != want[i][j].edge || list[j].end != want[i][j].end)
                return testing::AssertionFailure()
                       << what << " " << i << " entry " << j << ": " << show(list[j])
                       << ", expected " << show(want[i][j]);
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult same_edge_list(const Mesh& m, const ReferenceEdges& want) {
    int n = int(want.edges.size());
    if (m.nedges != n)
        return testing::AssertionFailure() << "nedges " << m.nedges << ", expected " << n;
    if (int(m.edges.size()) != n || int(m.edgefaces.size()) != n)
        return testing::AssertionFailure() << "edges has " << m.edges.size() << " and edgefaces "
                                           << m.edgefaces.size() << " entries, expected " << n;
    for (int k = 0; k < n; ++k) {
        if (m.edges[k] != want.edges[k])
            return testing::AssertionFailure() << "edge " << k << " is " << show(m.edges[k])
                                               << ", expected " << show(want.edges[k]);
        if (m.edgefaces[k] != want.edgefaces[k])
            return testing::AssertionFailure()
                   << "faces of edge " << k << " " << show(m.edges[k]) << " are "
                   << show(m.edgefaces[k]) << ", expected " << show(want.edgefaces[k]);
    }
    if (auto r = same_lists("vertex neighbour list", m.vertexneighbours, want.vertexlists); !r)
        return r;
    if (auto r = same_lists("face neighbour list", m.faceneighbours, want.facelists); !r) return r;
    if (!m.edge_list_current()) return testing::AssertionFailure() << "edge list not current";
    if (m.face_adjacency.size() != int(want.discovered.size()))
        return testing::AssertionFailure() << "discovery lists: " << m.face_adjacency.size()
                                           << ", expected " << want.discovered.size();
    for (int f = 0; f < m.nf; ++f) {
        std::vector<int> got;
        for (EdgeRef r : m.face_adjacency[f]) got.push_back(m.edgefaces[r.edge][r.end]);
        if (got != want.discovered[f])
            return testing::AssertionFailure() << "discovery list of face " << f << " differs";
    }
    return testing::AssertionSuccess();
}

testing::AssertionResult same_normals(const Mesh& m, const ReferenceNormals& want) {
    for (int i = 0; i < m.nf; ++i)
        if (!same_xyzw(m.faces[i].normal, want.face[i]))
            return testing::AssertionFailure()
                   << "normal of face " << i << " is " << show(m.faces[i].normal) << ", expected "
                   << show(want.face[i]);
    for (int v = 0; v < m.nv; ++v)
        if (!same_xyzw(m.normals[v], want.vertex[v]))
            return testing::AssertionFailure()
                   << "normal of vertex " << v << " is " << show(m.normals[v]) << ", expected "
                   << show(want.vertex[v]);
    return testing::AssertionSuccess();
}

testing::AssertionResult same_centroids(const Mesh& m, const std::vector<Vector>& want) {
    for (int i = 0; i < m.nf; ++i)
        if (!same_xyzw(m.centroids[i], want[i]))
            return testing::AssertionFailure()
                   << "centroid of face " << i << " is " << show(m.centroids[i]) << ", expected "
                   << show(want[i]);
    return testing::AssertionSuccess();
}

testing::AssertionResult same_centre(const Mesh& m, const Vector& want) {
    if (!same_xyzw(m.centre, want))
        return testing::AssertionFailure()
               << "centre is " << show(m.centre) << ", expected " << show(want);
    return testing::AssertionSuccess();
}

// Corners are compared in x, y and z; their w is checked to be left as it was.
testing::AssertionResult same_bbox(const Mesh& m, const ReferenceBox& want) {
    for (int k = 0; k < 8; ++k)
        if (!same_xyzw(m.bbox[k], want.corners[k]))
            return testing::AssertionFailure() << "box corner " << k << " is " << show(m.bbox[k])
                                               << ", expected " << show(want.corners[k]);
    if (!same_float(m.extent, want.extent))
        return testing::AssertionFailure()
               << "extent is " << m.extent << ", expected " << want.extent;
    return testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------
// Random meshes

constexpr int random_mesh_count = 200;

// ---------------------------------------------------------------------------
// Edge list

// Runs `check` on random_mesh_count random meshes (no missing corners) of one seed,
// stopping at the first fatal failure.
template <typename Check>
void for_each_random_mesh(unsigned seed, Check check) {
    RandomMeshes gen(seed);
    for (int n = 0; n < random_mesh_count && !testing::Test::HasFatalFailure(); ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        Mesh m;
        gen.fill(m, false);
        check(m);
    }
}

TEST(EdgeListReference, RandomMeshes) {
    RandomMeshes gen(1);
    int extra_faces = 0, degenerate_edges = 0;
    for (int n = 0; n < random_mesh_count; ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        Mesh m;
        gen.fill(m, false);
        ReferenceEdges want = reference_edge_list(m);
        m.build_edge_list();
        ASSERT_TRUE(same_edge_list(m, want));
        extra_faces += want.pairs_with_extra_faces;
        for (const auto& e : want.edges) degenerate_edges += e[0] == e[1];
    }
    // The meshes must reach the cases the lists have to get right.
    EXPECT_GT(extra_faces, 0);
    EXPECT_GT(degenerate_edges, 0);
}

TEST(EdgeListReference, FacesWithMissingCorners) {
    RandomMeshes gen(2);
    int missing = 0;
    for (int n = 0; n < random_mesh_count; ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        Mesh m;
        gen.fill(m, true);
        for (const Face& f : m.faces) missing += std::count(f.vindex, f.vindex + 3, -1);
        ReferenceEdges want = reference_edge_list(m);
        m.build_edge_list();
        ASSERT_TRUE(same_edge_list(m, want));
    }
    EXPECT_GT(missing, 0);
}

// One mesh object refilled again and again, as an editor reuses its mesh: nothing
// of an earlier list may leak into the next.
TEST(EdgeListReference, RebuildOnRefilledMesh) {
    RandomMeshes gen(3);
    Mesh m;
    for (int n = 0; n < random_mesh_count; ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        gen.fill(m, n % 2 == 1);
        ReferenceEdges want = reference_edge_list(m);
        m.build_edge_list();
        ASSERT_TRUE(same_edge_list(m, want));
        m.build_edge_list();
        ASSERT_TRUE(same_edge_list(m, want)) << "second build of the same mesh";
    }
}

// A mesh emptied by reallocation has no edges; the list of the mesh it held before
// refers to vertices and faces that are gone.
TEST(EdgeListReference, RebuildAfterEmptying) {
    Mesh m;
    m.alloc_vertices(3);
    m.alloc_faces(1);
    m.faces[0].vindex[0] = 0;
    m.faces[0].vindex[1] = 1;
    m.faces[0].vindex[2] = 2;
    m.link_faces();
    m.build_edge_list();
    ASSERT_EQ(m.nedges, 3);

    m.alloc_vertices(0);
    m.alloc_faces(0);
    ReferenceEdges want = reference_edge_list(m);
    m.build_edge_list();
    EXPECT_TRUE(same_edge_list(m, want));
}

TEST(EdgeListReference, ThirdFaceOnAnEdgeIsNotRecorded) {
    // Three faces fan around the edge (0, 1), given in both directions.
    Mesh m;
    m.alloc_vertices(5);
    m.alloc_faces(3);
    const int corners[3][3] = {{0, 1, 2}, {1, 0, 3}, {4, 1, 0}};
    for (int i = 0; i < 3; ++i) std::copy(corners[i], corners[i] + 3, m.faces[i].vindex);
    m.link_faces();
    m.build_edge_list();
    ASSERT_TRUE(same_edge_list(m, reference_edge_list(m)));
    ASSERT_GE(m.nedges, 1);
    EXPECT_EQ(m.edges[0], (std::array<int, 2>{0, 1}));
    EXPECT_EQ(m.edgefaces[0], (std::array<int, 2>{0, 1}));
    EXPECT_EQ(m.faceneighbours[2].size(), 0u);
}

// ---------------------------------------------------------------------------
// Normals

TEST(NormalsReference, RandomMeshes) {
    for_each_random_mesh(4, [](Mesh& m) {
        ReferenceNormals want = reference_normals(m);
        m.build_normals();
        ASSERT_TRUE(same_normals(m, want));
    });
}

// The face normals are rewritten in place, so a second build starts from the first
// one's results; the vertex normals start again from zero.
TEST(NormalsReference, RepeatedBuilds) {
    for_each_random_mesh(5, [](Mesh& m) {
        m.build_normals();
        ReferenceNormals want = reference_normals(m);
        m.build_normals();
        ASSERT_TRUE(same_normals(m, want));
    });
}

TEST(NormalsReference, NoFacesLeavesNormalsAlone) {
    Mesh m;
    m.alloc_vertices(2);
    m.alloc_faces(0);
    m.normals[0] = Vector(0.25f, 0.5f, 0.75f, 2.0f);
    m.normals[1] = Vector(-1.0f, 0.0f, 3.0f, 0.5f);
    ReferenceNormals want = reference_normals(m);
    m.build_normals();
    EXPECT_TRUE(same_normals(m, want));
}

// ---------------------------------------------------------------------------
// Centroids, centre and bounding box

TEST(CentroidsReference, RandomMeshes) {
    for_each_random_mesh(6, [](Mesh& m) {
        std::vector<Vector> want = reference_centroids(m);
        m.build_centroids();
        ASSERT_TRUE(same_centroids(m, want));
    });
}

// Builds the centre and the box and compares them with the reference versions.
void expect_bounds_as_reference(Mesh& m) {
    Vector centre = reference_centre(m);
    ReferenceBox box = reference_bbox(m);
    m.build_centre();
    m.build_bbox();
    ASSERT_TRUE(same_centre(m, centre));
    ASSERT_TRUE(same_bbox(m, box));
}

TEST(BoundsReference, RandomMeshes) {
    for_each_random_mesh(7, [](Mesh& m) {
        // Markers in the components the builds must not touch.
        m.centre.w = 7.0f;
        for (int k = 0; k < 8; ++k) m.bbox[k].w = float(k) + 0.5f;
        ASSERT_NO_FATAL_FAILURE(expect_bounds_as_reference(m));
    });
}

// A box that shrinks between builds: the extremes and the extent come from the
// current vertices only.
TEST(BoundsReference, RebuildAfterVerticesMove) {
    RandomMeshes gen(8);
    Mesh m;
    for (int n = 0; n < 50; ++n) {
        SCOPED_TRACE("random mesh " + std::to_string(n));
        gen.fill(m, false);
        ASSERT_NO_FATAL_FAILURE(expect_bounds_as_reference(m));
    }
}

// All builds through Mesh::build and its flags, in the order a freshly read mesh gets them.
TEST(BuildFlagsReference, RandomMeshes) {
    for_each_random_mesh(9, [](Mesh& m) {
        Vector centre = reference_centre(m);
        std::vector<Vector> centroids = reference_centroids(m);
        ReferenceEdges edges = reference_edge_list(m);
        ReferenceNormals normals = reference_normals(m);
        ReferenceBox box = reference_bbox(m);
        {
            ConsoleCapture quiet;
            m.build({MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB});
        }
        ASSERT_TRUE(same_centre(m, centre));
        ASSERT_TRUE(same_centroids(m, centroids));
        ASSERT_TRUE(same_edge_list(m, edges));
        ASSERT_TRUE(same_normals(m, normals));
        ASSERT_TRUE(same_bbox(m, box));

        // The face-normal flag runs the same build, now from the normals just made.
        normals = reference_normals(m);
        {
            ConsoleCapture quiet;
            m.build({MESH_FACE_NORMALS});
        }
        ASSERT_TRUE(same_normals(m, normals));
    });
}

// ---------------------------------------------------------------------------
// Shared test meshes

class SharedMeshBuilds : public testing::TestWithParam<std::string> {};

TEST_P(SharedMeshBuilds, MatchReference) {
    std::string path = real_mesh(GetParam());
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is missing";
    Mesh m;
    {
        ConsoleCapture quiet;
        if (IoResult r = m.load_obj(path); !r) GTEST_SKIP() << "does not load: " << r.error;
    }

    Vector centre = reference_centre(m);
    std::vector<Vector> centroids = reference_centroids(m);
    ReferenceEdges edges = reference_edge_list(m);
    ReferenceNormals normals = reference_normals(m);
    ReferenceBox box = reference_bbox(m);
    m.build_centre();
    m.build_centroids();
    m.build_edge_list();
    m.build_normals();
    m.build_bbox();
    EXPECT_TRUE(same_centre(m, centre));
    EXPECT_TRUE(same_centroids(m, centroids));
    EXPECT_TRUE(same_edge_list(m, edges));
    EXPECT_TRUE(same_normals(m, normals));
    EXPECT_TRUE(same_bbox(m, box));

    // As after loading in the viewer: the faces turned, then the normals again.
    m.orient_faces();
    normals = reference_normals(m);
    m.build_normals();
    EXPECT_TRUE(same_normals(m, normals)) << "after orient_faces";
}

INSTANTIATE_TEST_SUITE_P(Meshes, SharedMeshBuilds, testing::ValuesIn(real_mesh_names()),
                         test_name_of);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SharedMeshBuilds);

} // namespace
