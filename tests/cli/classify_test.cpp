// vostrel-cli classify: the console lines, the face colours and the mesh it writes, the
// table files, and its failures.
#include "cli/cli_run.h"
#include "core/vostrel.h"
#include "segmentation/mesh_classifier.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

const char* grid_obj = "v 0 0 0\nv 1 0 0\nv 2 0 0\nv 0 1 0\nv 1 1 0.3\nv 2 1 0\n"
                       "v 0 2 0\nv 1 2 0\nv 2 2 0.5\n"
                       "f 1 2 5 4\nf 2 3 6 5\nf 4 5 8 7\nf 5 6 9 8\n";

std::string write_quad_grid(const TempDir& dir) {
    std::string path = dir.file("grid.obj");
    std::ofstream(path) << grid_obj;
    return path;
}

// The same classification without the program.
Mesh classified(const std::string& path, int patches, double weight = 0.5) {
    Mesh m;
    ConsoleCapture quiet;
    EXPECT_TRUE(load_mesh_file(m, path));
    Mesh_Classifier c;
    c.weight = weight;
    EXPECT_TRUE(classify_mesh(c, m));
    EXPECT_TRUE(c.recluster(patches ? patches : c.patch_count));
    return m;
}

std::string face_lines(const Mesh& m) {
    std::string text;
    char line[64];
    for (const Face& f : m.faces) {
        std::snprintf(line, sizeof line, "%g %g %g\n", f.colour.x, f.colour.y, f.colour.z);
        text += line;
    }
    return text;
}

TEST(CliClassify, PrintsTheRunAndWritesColoursAndMesh) {
    TempDir dir;
    std::string mesh = write_quad_grid(dir);
    CliRun r = run_cli("classify " + mesh + " --faces " + dir.file("faces.txt") + " -o " +
                       dir.file("out.obj"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* line :
         {"BUILDING: MESH_VERTEX_NORMALS MESH_EDGE_LIST \n\nUsing Floyd Shortest Path\n",
          "MAX mesh triangles: 14021\nAllocating: 0.00MB\nSize: 40\n",
          "Building Centroids\nBuilding Distances\nBuilding Patches\nOptimal Number of Patches:",
          "Eval FUZZY\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    std::string faces;
    ASSERT_TRUE(read_file(dir.file("faces.txt"), faces));
    EXPECT_EQ(faces, face_lines(classified(mesh, 0)));
    Mesh out;
    ConsoleCapture quiet;
    ASSERT_TRUE(load_mesh_file(out, dir.file("out.obj")));
    EXPECT_EQ(out.nf, 8);
}

TEST(CliClassify, WeightPatchesAndModeAreThePanelsSettings) {
    TempDir dir;
    std::string mesh = write_quad_grid(dir);
    CliRun r =
        run_cli("classify " + mesh + " --weight 0.37 --patches 3 --faces " + dir.file("faces.txt"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string faces;
    read_file(dir.file("faces.txt"), faces);
    EXPECT_EQ(faces, face_lines(classified(mesh, 3, double(0.37f))));

    CliRun weighted = run_cli("classify " + mesh + " --mode Dijkstra");
    ASSERT_EQ(weighted.status, 0) << weighted.err;
    EXPECT_NE(weighted.out.find("Using Dijkstra Shortest Path\n"), std::string::npos);
}

TEST(CliClassify, TablesGoOutAndComeBack) {
    TempDir dir;
    std::string mesh = write_quad_grid(dir);
    CliRun first = run_cli("classify " + mesh + " --save-table " + dir.file("t.spt") + " --faces " +
                           dir.file("a.txt"));
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(std::filesystem::file_size(dir.file("t.spt")), 4u * 40);
    EXPECT_NE(first.out.find("Saving Shortest Path Table\nTable size: 0.00MB\n"),
              std::string::npos);
    CliRun second = run_cli("classify " + mesh + " --load-table " + dir.file("t.spt") +
                            " --faces " + dir.file("b.txt"));
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.out.find("Loading Shortest Path Table\n"), std::string::npos);
    EXPECT_EQ(second.out.find("Using Floyd"), std::string::npos);
    std::string a, b;
    read_file(dir.file("a.txt"), a);
    read_file(dir.file("b.txt"), b);
    EXPECT_EQ(a, b);
}

TEST(CliClassify, FailuresGoToStandardErrorWithStatusOne) {
    TempDir dir;
    std::string mesh = write_quad_grid(dir);
    std::ofstream(dir.file("short.spt")) << "abcd";
    CliRun wrong = run_cli("classify " + mesh + " --load-table " + dir.file("short.spt"));
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("holds 4 bytes"), std::string::npos) << wrong.err;
    EXPECT_NE(wrong.err.find("has 160 bytes"), std::string::npos) << wrong.err;

    CliRun absent = run_cli("classify " + dir.file("none.obj"));
    EXPECT_EQ(absent.status, 1);
    EXPECT_NE(absent.err, "");

    std::ofstream(dir.file("points.obj")) << "v 0 0 0\nv 1 0 0\n";
    CliRun empty = run_cli("classify " + dir.file("points.obj"));
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("no faces"), std::string::npos) << empty.err;

    // 66,248 faces: more table entries than 32-bit indices reach. The refusal names the
    // file and what to do.
    {
        std::ofstream big(dir.file("big.obj"));
        const int side = 183;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) big << "v " << x << " " << y << " 0\n";
        for (int y = 0; y + 1 < side; ++y)
            for (int x = 0; x + 1 < side; ++x) {
                int v = y * side + x + 1;
                big << "f " << v << " " << v + 1 << " " << v + side + 1 << " " << v + side << "\n";
            }
    }
    CliRun large = run_cli("classify " + dir.file("big.obj"));
    EXPECT_EQ(large.status, 1);
    EXPECT_NE(large.err.find("ERROR: big.obj has 66,248 faces: its shortest path table would "
                             "need 8.78 GB, and at most about "),
              std::string::npos)
        << large.err;
    EXPECT_NE(large.err.find("classify a simplified copy with --proxy"), std::string::npos)
        << large.err;
    // The copy is classified instead, and every face of the mesh gets a patch colour.
    CliRun proxied = run_cli("classify " + dir.file("big.obj") + " --proxy 1500 --faces " +
                             dir.file("big.txt") + " -o " + dir.file("big_out.obj"));
    ASSERT_EQ(proxied.status, 0) << proxied.err;
    EXPECT_NE(proxied.out.find("Classifying a simplified copy of "), std::string::npos);
    EXPECT_NE(proxied.out.find(" faces (the mesh has 66248)\n"), std::string::npos);
    std::ifstream colours(dir.file("big.txt"));
    int faces = 0, patch_coloured = 0; // hue at full saturation and value
    for (float r, g, b; colours >> r >> g >> b; ++faces)
        patch_coloured += std::max({r, g, b}) == 1 && std::min({r, g, b}) == 0;
    EXPECT_EQ(faces, 66248);
    EXPECT_EQ(patch_coloured, faces);

    CliRun unwritable = run_cli("classify " + mesh + " --save-table " + dir.file("no/t.spt"));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("no/t.spt"), std::string::npos) << unwritable.err;

    for (const char* args : {"--weight 1.5", "--patches 0", "--patches 52", "--mode bfs"}) {
        CliRun usage = run_cli("classify " + mesh + " " + args);
        EXPECT_EQ(usage.status, 2) << args;
        EXPECT_EQ(usage.out, "") << args;
    }
}

} // namespace
