// The commands simplify (by either method) and subdivide: what they write, what they
// print, and the command lines they refuse.
#include "cli/cli_run.h"
#include "core/vostrel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A flat 4 x 4 grid with a colour per vertex.
std::string write_coloured_grid(const TempDir& dir) {
    std::string path = dir.file("grid.obj");
    std::ofstream out(path);
    for (int z = 0; z < 4; ++z)
        for (int x = 0; x < 4; ++x)
            out << "v " << x << " 0 " << z << "\nvc 0." << x << " 0." << z << " 0.5\n";
    for (int z = 0; z < 3; ++z)
        for (int x = 0; x < 3; ++x) {
            int a = z * 4 + x + 1, b = a + 1, c = a + 4, d = c + 1;
            out << "f " << a << " " << c << " " << b << "\nf " << b << " " << c << " " << d << "\n";
        }
    return path;
}

Mesh load(const std::string& path) {
    Mesh m;
    ConsoleCapture quiet;
    EXPECT_TRUE(m.load_obj(path)) << path;
    return m;
}

TEST(CliMeshTools, SimplifyKeepsTheLevelOfDetailAndTheColours) {
    TempDir dir;
    std::string in = write_coloured_grid(dir), out = dir.file("out.obj");
    CliRun r = run_cli("simplify " + in + " -o " + out + " --lod 75 --colours");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("BUILDING: MESH_VERTEX_NORMALS MESH_EDGE_LIST \n\n12, "),
              std::string::npos)
        << r.out;

    // On the flat grid every cost is 0: vertices 0, 1, 2 and 3 go first, in that order,
    // each onto a later vertex, and every survivor keeps its colour.
    Mesh source = load(in), got = load(out);
    ASSERT_EQ(got.nv, 12);
    for (int v = 0; v < got.nv; ++v) {
        EXPECT_EQ(got.vertices[v], source.vertices[v + 4]);
        EXPECT_EQ(got.colours[v], source.colours[v + 4]);
    }
    for (const Face& f : got.faces)
        for (int c : f.vindex) EXPECT_TRUE(c >= 0 && c < 12);
}

TEST(CliMeshTools, SimplifyToNothingIsRefused) {
    TempDir dir;
    std::string out = dir.file("out.obj");
    CliRun r = run_cli("simplify " + write_coloured_grid(dir) + " -o " + out + " --lod 0");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: a level of detail of 0% leaves no faces; the mesh is left as it "
                     "was\n");
    EXPECT_FALSE(std::filesystem::exists(out));
}

int border_edges_of(const std::string& path) {
    CliRun info = run_cli("info " + path);
    EXPECT_EQ(info.status, 0) << info.err;
    size_t at = info.out.find("border edges: ");
    return at == std::string::npos ? -1 : std::stoi(info.out.substr(at + 14));
}

TEST(CliMeshTools, QuadricSimplifyKeepsTheBordersAndTheColours) {
    TempDir dir;
    std::string in = write_coloured_grid(dir), out = dir.file("out.obj");
    CliRun r = run_cli("simplify " + in + " -o " + out + " --lod 50 --method quadric --colours");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The twelve border vertices are locked, so it stops short of eight.
    EXPECT_NE(r.out.find("\nQuadric simplification: 12 vertices and "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" (aimed at 8 vertices, 9 faces), error 0% of the extent; stopped "
                         "short: the locked borders and the error limit of 0.5% allow no more\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(border_edges_of(out), border_edges_of(in));
    Mesh source = load(in), got = load(out);
    ASSERT_EQ(got.nv, 12);
    for (int v = 0, was = 0; v < got.nv; ++v, ++was) {
        while (was < source.nv && !(source.vertices[was] == got.vertices[v])) ++was;
        ASSERT_LT(was, source.nv) << "vertex " << v << " is not a source vertex in order";
        EXPECT_EQ(got.colours[v], source.colours[was]);
    }
}

TEST(CliMeshTools, QuadricSimplifyKeepsTheTeapotsBorderEdges) {
    const std::string teapot = real_mesh("teapot.obj");
    if (teapot.empty()) GTEST_SKIP() << missing_mesh("teapot.obj");
    TempDir dir;
    for (const char* lod : {"50", "10"}) {
        std::string out = dir.file(std::string("teapot") + lod + ".obj");
        CliRun r =
            run_cli("simplify " + teapot + " -o " + out + " --lod " + lod + " --method quadric");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(border_edges_of(out), 1036) << lod;
    }
}

// A script's line is the same command: the same result, and a line without --method
// is an edge collapse again.
TEST(CliMeshTools, QuadricSimplifyInAScript) {
    TempDir dir;
    std::string in = write_coloured_grid(dir);
    ASSERT_EQ(run_cli("simplify " + in + " -o " + dir.file("q.obj") +
                      " --lod 50 --method quadric --max-error 0.01")
                  .status,
              0);
    ASSERT_EQ(run_cli("simplify " + in + " -o " + dir.file("e.obj") + " --lod 50").status, 0);
    CliRun r = run_script(dir.file("s.txt"),
                          "open " + in + "\nsimplify --lod 50 --method quadric --max-error 0.01\n" +
                              "save " + dir.file("sq.obj") + "\nundo\nsimplify --lod 50\nsave " +
                              dir.file("se.obj") + "\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(file_contents(dir.file("sq.obj")), file_contents(dir.file("q.obj")));
    EXPECT_EQ(file_contents(dir.file("se.obj")), file_contents(dir.file("e.obj")));
}

TEST(CliMeshTools, SubdivideByWeightOrSlider) {
    TempDir dir;
    std::string in = write_coloured_grid(dir);
    std::string slider = dir.file("slider.obj"), weight = dir.file("weight.obj");
    CliRun r = run_cli("subdivide " + in + " -o " + slider + " --levels 2 --weight-slider 50");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("BUILDING: MESH_EDGE_LIST MESH_VERTEX_NORMALS \n\n"), std::string::npos);
    ASSERT_EQ(run_cli("subdivide " + in + " -o " + weight + " --levels 2 --weight 0").status, 0);
    std::string a, b;
    ASSERT_TRUE(read_file(slider, a));
    ASSERT_TRUE(read_file(weight, b));
    EXPECT_EQ(a, b);
    Mesh m = load(slider);
    EXPECT_EQ(m.nf, 18 * 16);
    EXPECT_EQ(m.nv, 13 * 13);

    // New vertices take the mean of their edge's end colours.
    std::string coloured = dir.file("coloured.obj");
    ASSERT_EQ(run_cli("subdivide " + in + " -o " + coloured + " --levels 1 --weight-slider 25 " +
                      "--colours")
                  .status,
              0);
    Mesh c = load(coloured);
    Mesh source = load(in);
    ASSERT_EQ(c.nv, 16 + 33);
    EXPECT_EQ(c.colours[5], source.colours[5]);
    bool some_mean = false;
    for (int v = 16; v < c.nv; ++v) some_mean |= c.colours[v] != Vector(0, 0, 0);
    EXPECT_TRUE(some_mean);
}

TEST(CliMeshTools, SubdivideRefusesWhatWouldNotFit) {
    TempDir dir;
    std::string out = dir.file("out.obj");
    CliRun r =
        run_cli("subdivide " + write_coloured_grid(dir) + " -o " + out + " --levels 20 --weight 0");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR: 20 subdivision levels of 18 faces"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliMeshTools, UsageErrors) {
    TempDir dir;
    std::string in = write_coloured_grid(dir), out = " -o " + dir.file("x.obj");
    for (std::string args :
         {"simplify " + in + out, "simplify " + in + out + " --lod 101",
          "simplify " + in + out + " --lod -1", "simplify " + in + " --lod 50",
          "simplify " + in + out + " --lod nan",
          "simplify " + in + out + " --lod 50 --method bogus",
          "simplify " + in + out + " --lod 50 --max-error 0.01",
          "simplify " + in + out + " --lod 50 --method edge-collapse --max-error 0.01",
          "simplify " + in + out + " --lod 50 --method quadric --max-error -1",
          "simplify " + in + out + " --lod 50 --method quadric --max-error inf",
          "subdivide " + in + out + " --levels 1 --weight nan",
          "subdivide " + in + out + " --weight 0", "subdivide " + in + out + " --levels 1",
          "subdivide " + in + out + " --levels 0 --weight 0",
          "subdivide " + in + out + " --levels 1 --weight 0.2",
          "subdivide " + in + out + " --levels 1 --weight-slider 101",
          "subdivide " + in + out + " --levels 1 --weight 0 --weight-slider 50"}) {
        CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("vostrel-cli: "), std::string::npos) << args;
    }
    CliRun missing = run_cli("simplify /nonexistent/m.obj" + out + " --lod 50");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "ERROR: Opening File: /nonexistent/m.obj (No such file or directory)\n");
}

} // namespace
