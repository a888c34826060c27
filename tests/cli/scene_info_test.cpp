// info on files read through Assimp: the format it was read as, and what the reading
// makes of it.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

namespace {

TEST(CliSceneInfo, NamesTheFormatAndCountsTheWeldedMesh) {
    TempDir dir;
    // A tetrahedron whose faces each repeat their corners, as STL does.
    std::string path = dir.file("tetra.PLY");
    std::ofstream(path) << "ply\nformat ascii 1.0\nelement vertex 12\nproperty float x\n"
                           "property float y\nproperty float z\nproperty uchar red\n"
                           "property uchar green\nproperty uchar blue\nelement face 4\n"
                           "property list uchar int vertex_indices\nend_header\n"
                           "0 0 0 255 0 0\n0 1 0 0 255 0\n1 0 0 0 0 255\n"
                           "0 0 0 255 0 0\n1 0 0 0 0 255\n0 0 1 9 9 9\n"
                           "0 0 0 255 0 0\n0 0 1 9 9 9\n0 1 0 0 255 0\n"
                           "1 0 0 0 0 255\n0 1 0 0 255 0\n0 0 1 9 9 9\n"
                           "3 0 1 2\n3 3 4 5\n3 6 7 8\n3 9 10 11\n";
    CliRun r = run_cli("info --json " + path);
    ASSERT_EQ(r.status, 0) << r.err;
    nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["format"], "PLY");
    EXPECT_EQ(j["nv"], 4);
    EXPECT_EQ(j["nf"], 4);
    EXPECT_EQ(j["nedges"], 6);
    EXPECT_EQ(j["border_edges"], 0);
    EXPECT_EQ(j["bbox_max"], nlohmann::json::parse("[1, 1, 1]"));
}

TEST(CliSceneInfo, ReportsRefusalsAndPointClouds) {
    TempDir dir;
    std::string refused = dir.file("words.stl"), points = dir.file("points.ply");
    std::ofstream(refused) << "these are no facets\n";
    std::ofstream(points) << "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\n"
                             "property float y\nproperty float z\nend_header\n0 0 0\n1 0 0\n";
    CliRun r = run_cli("info " + refused);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("ERROR: " + refused + ": ", 0), 0u) << r.err;
    CliRun p = run_cli("info --json " + points);
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_NE(p.err.find("WARNING: " + points + " holds no faces"), std::string::npos) << p.err;
    EXPECT_EQ(nlohmann::json::parse(p.out)["format"], "PLY");
}

} // namespace
