// Quadric simplification: the borders and the area of real meshes, seams, what survives
// of the vertices, the error limit, and a level of detail that keeps every vertex.
#include "classifier_meshes.h"
#include "random_meshes.h"
#include "test_util.h"
#include "tools/quadric_simplify.h"
#include "tools/simplify_method.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <vector>

namespace {

int border_edge_count(Mesh& m) {
    m.build_edge_list();
    int n = 0;
    for (const auto& e : m.edgefaces) n += e[1] == -1;
    return n;
}

double surface_area(const Mesh& m) {
    double area = 0;
    for (const Face& f : m.faces) {
        const Vector &a = m.vertices[f.vindex[0]], &b = m.vertices[f.vindex[1]],
                     &c = m.vertices[f.vindex[2]];
        double u[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, v[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        double x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2],
               z = u[0] * v[1] - u[1] * v[0];
        area += 0.5 * std::sqrt(x * x + y * y + z * z);
    }
    return area;
}

// A w x h grid of points (x + dx, bump(x, z), z), each square split into two triangles;
// with `seam`, a second grid of the same size joins it at x = w - 1 through vertices of
// its own at the same positions, as patches of a modelled surface meet.
Mesh wavy_grid(int w, int h, bool seam = false) {
    std::vector<Vector> positions;
    std::vector<Tri> faces;
    auto bump = [](int x, int z) { return 0.3f * std::sin(0.7f * x) * std::cos(0.5f * z); };
    for (int patch = 0; patch < (seam ? 2 : 1); ++patch) {
        int first = int(positions.size()), dx = patch * (w - 1);
        for (int z = 0; z < h; ++z)
            for (int x = 0; x < w; ++x)
                positions.emplace_back(float(x + dx), bump(x + dx, z), float(z));
        for (int z = 0; z + 1 < h; ++z)
            for (int x = 0; x + 1 < w; ++x) {
                int a = first + z * w + x, b = a + 1, c = a + w, d = c + 1;
                faces.push_back({a, c, b});
                faces.push_back({b, c, d});
            }
    }
    return make_mesh(positions, faces);
}

struct RealCase {
    const char* mesh;
    float lod;
};

void PrintTo(const RealCase& c, std::ostream* os) {
    *os << c.mesh << " at " << c.lod << "%";
}

class QuadricOnRealMeshes : public testing::TestWithParam<RealCase> {};

TEST_P(QuadricOnRealMeshes, KeepsEveryBorderEdgeAndTheArea) {
    const RealCase& c = GetParam();
    Mesh m;
    LOAD_REAL_MESH_OR_SKIP(m, c.mesh);
    const int borders = border_edge_count(m);
    const double area = surface_area(m);
    QuadricSimplification q = quadric_simplified(m, c.lod / 100, default_quadric_max_error);
    ASSERT_TRUE(faces_in_range(q.mesh));
    EXPECT_LE(q.mesh.nf, m.nf / 2); // short of 10% on the teapot, whose borders hold much
    EXPECT_EQ(border_edge_count(q.mesh), borders);
    EXPECT_NEAR(surface_area(q.mesh) / area, 1, 0.01);
    EXPECT_LE(q.error, default_quadric_max_error);
}

INSTANTIATE_TEST_SUITE_P(Meshes, QuadricOnRealMeshes,
                         testing::Values(RealCase{"teapot.obj", 50}, RealCase{"teapot.obj", 10},
                                         RealCase{"stanford_bunny.obj", 50},
                                         RealCase{"stanford_bunny.obj", 10}),
                         [](const testing::TestParamInfo<RealCase>& param) {
                             std::string name = param.param.mesh;
                             name.resize(name.find('.'));
                             return name + "_" + std::to_string(int(param.param.lod));
                         });

TEST(QuadricSimplify, PatchesMeetingAtASeamKeepItsBorderEdges) {
    // The library would take the seam's vertex pairs for one vertex each and collapse
    // along the seam.
    Mesh m = wavy_grid(8, 8, true);
    const int borders = border_edge_count(m);
    QuadricSimplification q = quadric_simplified(m, 0.3f, 1);
    EXPECT_LT(q.mesh.nf, m.nf / 2);
    EXPECT_EQ(border_edge_count(q.mesh), borders);
}

TEST(QuadricSimplify, SurvivorsKeepTheirOrderColoursAndMorphogens) {
    Mesh m = wavy_grid(10, 10);
    std::map<std::array<float, 3>, int> by_position;
    for (int v = 0; v < m.nv; ++v) {
        m.colours[v] = Vector(float(v) / 100, 0.5f, 1 - float(v) / 100, 0.25f);
        m.morphogens.push_back({float(v), -float(v)});
        by_position[{m.vertices[v].x, m.vertices[v].y, m.vertices[v].z}] = v;
    }
    m.morphogen_names = {"a", "b"};
    QuadricSimplification q = quadric_simplified(m, 0.5f, 1);
    const Mesh& r = q.mesh;
    ASSERT_GT(r.nv, 0);
    ASSERT_LT(r.nv, m.nv);
    ASSERT_TRUE(faces_in_range(r));
    ASSERT_EQ(int(r.morphogens.size()), r.nv);
    EXPECT_EQ(r.morphogen_names, m.morphogen_names);
    std::vector<char> used(size_t(r.nv), 0);
    for (const Face& f : r.faces)
        for (int c : f.vindex) used[c] = 1;
    int previous = -1;
    for (int v = 0; v < r.nv; ++v) {
        int was = by_position.at({r.vertices[v].x, r.vertices[v].y, r.vertices[v].z});
        EXPECT_GT(was, previous) << "vertex " << v;
        previous = was;
        EXPECT_EQ(r.colours[v], m.colours[was]);
        EXPECT_EQ(r.colours[v].w, m.colours[was].w);
        EXPECT_EQ(r.morphogens[v], m.morphogens[was]);
        EXPECT_TRUE(used[v]) << "vertex " << v << " is used by no face";
    }
    // Without a row per vertex, no rows.
    m.morphogens.resize(3);
    EXPECT_TRUE(quadric_simplified(m, 0.5f, 1).mesh.morphogens.empty());
}

TEST(QuadricSimplify, StopsAtTheLevelOfDetailOrTheErrorLimitWhicheverComesFirst) {
    const Mesh m = wavy_grid(12, 12);
    struct {
        float max_error;
        bool short_of_target;
    } cases[] = {{0, true}, {0.002f, true}, {1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("limit " + std::to_string(c.max_error));
        QuadricSimplification q = quadric_simplified(m, 0.2f, c.max_error);
        EXPECT_EQ(q.target_vertices, 28);
        EXPECT_EQ(q.target_faces, 242 * 28 / 144);
        EXPECT_EQ(q.short_of_target(), c.short_of_target);
        EXPECT_LE(q.error, c.max_error);
        if (!c.short_of_target) {
            EXPECT_LE(q.mesh.nf, q.target_faces);
        }
    }
    // The limit 0 allows no collapse on a surface curved everywhere.
    EXPECT_EQ(quadric_simplified(m, 0.2f, 0).mesh.nf, m.nf);
}

TEST(QuadricSimplify, ALevelThatKeepsEveryVertexDoesNothing) {
    Mesh m = wavy_grid(4, 4);
    QuadricSimplification q = quadric_simplified(m, 1, default_quadric_max_error);
    EXPECT_TRUE(q.unchanged);
    EXPECT_FALSE(q.short_of_target());
    EXPECT_EQ(q.target_vertices, m.nv);
    EXPECT_EQ(q.mesh.nv, 0);
}

} // namespace
