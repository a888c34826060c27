#include "core/mesh.h"
#include "core/mesh_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Mesh from_obj(const std::string& text) {
    Mesh m;
    EXPECT_TRUE(load_obj_string(m, text));
    return m;
}

TEST(Mesh, ConstructionAndClear) {
    Mesh m;
    EXPECT_EQ(m.selectedface, -1);
    EXPECT_EQ(m.extent, 1.0f);
    for (const Vector& c : m.bbox) EXPECT_EQ(c.w, 0);
    m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nmn a\nm 1\n");
    m.build({MESH_EDGE_LIST, MESH_BB});
    m.clear();
    EXPECT_EQ(m.nv + m.nf + m.nedges, 0);
    EXPECT_TRUE(m.vertices.empty() && m.faces.empty() && m.edges.empty() && m.morphogens.empty());
    EXPECT_EQ(m.bbox[1], Vector(0, 0, 0));
    EXPECT_EQ(m.morphogen_names, std::vector<std::string>{"a"}); // names stay
    EXPECT_EQ(m.extent, 1.0f);                                   // so does the extent
}

TEST(Mesh, BuildPrintsTheFlagsItRuns) {
    Mesh m = from_obj("v 0 0 0\nv 2 0 0\nv 0 4 0\nf 1 2 3\n");
    ConsoleCapture console;
    m.build({MESH_CENTRE});
    m.build({9, 1, MESH_BB, MESH_FACE_NORMALS});
    EXPECT_EQ(console.text(), "BUILDING: MESH_CENTRE \n\nBUILDING: MESH_BB MESH_FACE_NORMALS \n\n");
    EXPECT_EQ(m.centre, Vector(1, 2, 0));
}

TEST(Mesh, EdgesOfOneAndTwoTriangles) {
    Mesh m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\n");
    m.build_edge_list();
    ASSERT_EQ(m.nedges, 3);
    EXPECT_EQ(m.edges, (std::vector<std::array<int, 2>>{{0, 1}, {0, 2}, {1, 2}}));
    for (const auto& e : m.edgefaces) EXPECT_EQ(e[1], -1);
    for (int v = 0; v < 3; ++v) EXPECT_EQ(m.vertexneighbours[v].size(), 2u);
    EXPECT_TRUE(m.faceneighbours[0].empty());

    m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 3\nf 3 2 4\n");
    m.build_edge_list();
    EXPECT_EQ(m.edges[2], (std::array<int, 2>{1, 2}));
    EXPECT_EQ(m.edgefaces[2], (std::array<int, 2>{0, 1}));
    ASSERT_EQ(m.faceneighbours[0].size(), 1u);
    EdgeRef r = m.faceneighbours[0][0];
    EXPECT_EQ(m.edgefaces[r.edge][r.end], 1);
    r = m.vertexneighbours[3][0];
    EXPECT_EQ(m.edges[r.edge][r.end], 1); // vertex 3's first neighbour
}

TEST(Mesh, NormalsOfUnusedVerticesStayZero) {
    Mesh m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\nf 1 2 3\n");
    m.build_normals();
    EXPECT_EQ(m.normals[0], Vector(0, 0, 1));
    EXPECT_EQ(m.faces[0].normal, Vector(0, 0, 1));
    EXPECT_EQ(m.normals[3].x, 0);
    EXPECT_EQ(m.normals[3].w, 0);
}

TEST(Mesh, ExtentIsTheLongestSide) {
    Mesh m = from_obj("v 1 1 1\nv 1 1 1\n");
    m.build_bbox();
    EXPECT_EQ(m.extent, 0);
    m = from_obj("v 0 0 0\nv 1 1 1\nv 0 1 0\n");
    m.build_bbox();
    EXPECT_EQ(m.extent, 1);
    m = from_obj("v 0 0 0\nv 1 3 2\n");
    m.build_bbox();
    EXPECT_EQ(m.extent, 3);
    EXPECT_EQ(m.bbox[0], Vector(1, 0, 2));
    EXPECT_EQ(m.bbox[6], Vector(1, 3, 0));
}

TEST(Mesh, TextureCoordinatesSpanZeroToTwo) {
    Mesh m = from_obj("v 0 5 0\nv 4 5 0\nv 2 5 1\n");
    m.build_texcoords();
    EXPECT_EQ(m.texcoords[1].x, 2);
    EXPECT_EQ(m.texcoords[2].x, 1);
    EXPECT_EQ(m.texcoords[2].y, 0); // all at one height: no division by zero
}

TEST(Mesh, OrientationExchangesOnlyDegenerateFaces) {
    // A proper triangle keeps its order; one with two coincident corners is exchanged.
    Mesh m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 0 0\nf 1 2 3\nf 1 2 4\n");
    m.build({MESH_CENTROIDS, MESH_VERTEX_NORMALS});
    m.orient_faces();
    EXPECT_EQ(m.faces[0].vindex[1], 1);
    EXPECT_EQ(m.faces[1].vindex[1], 3);
    EXPECT_EQ(m.faces[1].vindex[2], 1);
    EXPECT_EQ(m.faces[1].corners[1], &m.vertices[3]);
    EXPECT_EQ(m.faceptrs[1], &m.faces[1]);
    // Every build is stale after an exchange; tools may still walk the edge table.
    EXPECT_FALSE(m.derived_current(MESH_VERTEX_NORMALS));
}

TEST(Mesh, BuildRunsOnlyTheStaleBuildsButNamesThemAll) {
    Mesh m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    ConsoleCapture console;
    m.build({MESH_BB, MESH_VERTEX_NORMALS});
    EXPECT_TRUE(m.derived_current(MESH_BB) && m.derived_current(MESH_FACE_NORMALS));
    m.bbox[1].x = 99; // what a build run again would put back
    m.faces[0].normal = Vector(0, 0, 0, 0);
    m.build({MESH_BB, MESH_FACE_NORMALS});
    EXPECT_EQ(m.bbox[1].x, 99);
    EXPECT_EQ(console.text(), "BUILDING: MESH_BB MESH_VERTEX_NORMALS \n\n"
                              "BUILDING: MESH_BB MESH_FACE_NORMALS \n\n");
    m.face_normals_changed(); // a filter wrote them: the normals are built again
    m.build({MESH_BB, MESH_VERTEX_NORMALS});
    EXPECT_EQ(m.bbox[1].x, 99);
    EXPECT_EQ(m.faces[0].normal, Vector(0, 0, 1));
    m.shape_changed();
    m.build({MESH_BB});
    EXPECT_EQ(m.bbox[1].x, 1);
    m.build_bbox(); // the single builds always run
    EXPECT_TRUE(m.derived_current(MESH_BB));
}

TEST(Mesh, CopiesRepointIntoTheirOwnArrays) {
    Mesh m = from_obj("v 0 0 0\nvc 1 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    m.faces[0].marked = 1;
    m.faces[0].segment = 7;
    m.morphogens = {{1.0f}, {2.0f}, {3.0f}};
    m.morphogen_names = {"height"};
    build_loaded_mesh(m);
    Mesh twin = m.clone();
    EXPECT_EQ(twin.faces[0].corners[2], &twin.vertices[2]);
    EXPECT_EQ(twin.faceptrs[0], &twin.faces[0]);
    EXPECT_EQ(twin.colours[0], Vector(1, 0, 0));
    EXPECT_EQ(twin.faces[0].segment, 7); // whole face records
    EXPECT_EQ(twin.faces[0].marked, 1);
    EXPECT_EQ(twin.morphogens, m.morphogens);
    EXPECT_EQ(twin.morphogen_names, m.morphogen_names);
    EXPECT_EQ(twin.edges, m.edges);
    EXPECT_EQ(twin.extent, m.extent);
    // What was current stays current; the versions are the copy's own.
    for (int flag : {MESH_CENTRE, MESH_CENTROIDS, MESH_EDGE_LIST, MESH_VERTEX_NORMALS, MESH_BB})
        EXPECT_EQ(twin.derived_current(flag), m.derived_current(flag)) << flag;
    EXPECT_TRUE(twin.edge_list_current());
    EXPECT_NE(twin.faces_version, m.faces_version);
}

TEST(MeshFile, ReaderByTheEndOfTheName) {
    EXPECT_EQ(mesh_format("mesh.OBJ"), MeshFormat::Obj);
    EXPECT_EQ(mesh_format("a.obj"), MeshFormat::Obj);
    EXPECT_EQ(mesh_format("objects.net"), MeshFormat::Net);
    EXPECT_EQ(mesh_format("obj"), MeshFormat::Obj);
    EXPECT_EQ(mesh_format("mesh.obj.bak"), MeshFormat::None);
    EXPECT_EQ(mesh_format("x.gts"), MeshFormat::None);
}

TEST(MeshFile, FailedReadLeavesAnEmptyMesh) {
    Mesh m = from_obj("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_FALSE(read_mesh_file(m, "/nonexistent/mesh.net"));
    EXPECT_EQ(m.nv, 0);
}

} // namespace
