// The commands info and convert, and what every command shares: help, usage errors and
// exit statuses.
#include "cli/cli_run.h"
#include "core/vostrel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <vector>

namespace {

// The commands this build has: drawing and heightmaps need the desktop libraries.
std::vector<std::string> commands() {
    std::vector<std::string> names{"info",     "convert",   "morphogen", "classify",
                                   "simplify", "subdivide", "smooth",    "run"};
#ifdef VOSTREL_RENDER
    names.insert(names.end(), {"render", "terrain"});
#endif
    return names;
}

TEST(Cli, HelpListsEveryCommand) {
    CliRun help = run_cli("--help");
    EXPECT_EQ(help.status, 0);
    std::vector<std::string> listed = commands();
    listed.push_back("help");
    for (const std::string& command : listed)
        EXPECT_NE(help.out.find(std::string("  ") + command), std::string::npos) << command;
    EXPECT_EQ(run_cli("help").out, help.out);
}

TEST(Cli, PerCommandHelp) {
    for (const std::string& command : commands()) {
        CliRun flag = run_cli(command + " --help");
        CliRun topic = run_cli("help " + command);
        EXPECT_EQ(flag.status, 0) << command;
        EXPECT_EQ(topic.status, 0) << command;
        EXPECT_EQ(flag.out, topic.out) << command;
        EXPECT_NE(flag.out.find("vostrel-cli " + command), std::string::npos) << flag.out;
        EXPECT_EQ(flag.err, "");
    }
#ifdef VOSTREL_RENDER
    CliRun render = run_cli("help render");
    EXPECT_NE(render.out.find("--mode"), std::string::npos);
    EXPECT_NE(render.out.find("8 faces"), std::string::npos);
#endif
    EXPECT_EQ(run_cli("help frobnicate").status, 2);
}

TEST(Cli, UsageErrorsExitWithTwo) {
    for (const char* args :
         {"", "frobnicate", "info", "info a.obj b.obj", "info a.obj --yaml", "convert a.obj",
          "render m.obj", "render m.obj -o x.png --mode 9", "render m.obj -o x.png --size 0x5",
          "render m.obj -o x.png --background fff", "terrain h.png -o t.obj --resolution 513",
          "terrain h.png -o t.obj --resolution 1"}) {
        CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("vostrel-cli: "), std::string::npos) << args;
        EXPECT_EQ(r.out, "") << args;
    }
}

TEST(Cli, InfoPrintsTheLoadAndTheFigures) {
    TempDir dir;
    std::string path = dir.file("quad.obj");
    std::ofstream(path) << "v 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\nf 1 2 3 4\n";
    CliRun r = run_cli("info " + path);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "Opening: " + path +
            "\nnv: 4, nf: 2\nfaceformat_type: 1\n"
            "BUILDING: MESH_CENTRE MESH_CENTROIDS MESH_EDGE_LIST MESH_VERTEX_NORMALS MESH_BB \n\n"
            "BUILDING: MESH_VERTEX_NORMALS \n\n"
            "file:         " +
            path +
            "\n"
            "vertices:     4\nfaces:        2\nedges:        5\nborder edges: 4\n"
            "bounding box: (0, 0, 0) - (2, 1, 0)\nextent:       2\ncentre:       (1, 0.5, 0)\n");

    CliRun json = run_cli("info --json " + path);
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 1);
    EXPECT_EQ(nlohmann::json::parse(json.out),
              nlohmann::json::parse(R"({"nv": 4, "nf": 2, "nedges": 5, "border_edges": 4,
                  "bbox_min": [0, 0, 0], "bbox_max": [2, 1, 0], "extent": 2,
                  "centre": [1, 0.5, 0], "format": "OBJ"})"));
    EXPECT_NE(json.err.find("BUILDING: "), std::string::npos); // the console moves out of the way
}

TEST(Cli, InfoOnFilesItCannotRead) {
    CliRun missing = run_cli("info /nonexistent/x.obj");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "ERROR: Opening File: /nonexistent/x.obj (No such file or directory)\n");

    TempDir dir;
    std::string bad = dir.file("bad.net"), unknown = dir.file("mesh.ply");
    std::ofstream(bad) << "v 0 0 0\nf 0 0 7\n";
    std::ofstream(unknown) << "ply\n";
    CliRun r = run_cli("info " + bad);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.net:2: vertex number 7"), std::string::npos);
    EXPECT_EQ(run_cli("info " + unknown).status, 1);
}

TEST(Cli, ConvertKeepsGeometryAndOptionallyColours) {
    TempDir dir;
    std::string in = dir.file("in.net"), out = dir.file("out.obj");
    std::ofstream(in) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nc 1 0 0\nc 0 1 0\nc 0 0 1\nf 0 1 2\n";
    CliRun r = run_cli("convert " + in + " " + out + " --colours");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("3, 1\n\tMESH: Saving " + out + "... done...\n"), std::string::npos);

    Mesh m;
    ConsoleCapture quiet;
    ASSERT_TRUE(m.load_obj(out));
    ASSERT_EQ(m.nv, 3);
    EXPECT_EQ(m.colours[1], Vector(0, 1, 0));
    EXPECT_EQ(m.colours[2], Vector(0, 0, 1));

    CliRun failed = run_cli("convert " + in + " " + dir.file("no/such/folder.obj"));
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("no/such/folder.obj"), std::string::npos);
}

} // namespace
