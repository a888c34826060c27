// vostrel-cli as a script runs it: arguments in, standard output, standard error and
// exit status out.
#include "core/vostrel.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun run_cli(const std::string& args) {
    TempDir dir;
    std::string out = dir.file("out"), err = dir.file("err");
    std::string command =
        std::string(VOSTREL_CLI) + " " + args + " >" + out + " 2>" + err + " </dev/null";
    int status = std::system(command.c_str());
    CliRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", ""};
    read_file(out, r.out);
    read_file(err, r.err);
    return r;
}

TEST(Cli, HelpAndUsageErrors) {
    CliRun help = run_cli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("info FILE [--json]"), std::string::npos);
    EXPECT_NE(help.out.find("convert INPUT OUTPUT.obj [--colours]"), std::string::npos);

    for (const char* args :
         {"", "frobnicate", "info", "info a.obj b.obj", "info a.obj --yaml", "convert a.obj"}) {
        CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 1) << args;
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
    EXPECT_EQ(json.out,
              "{\"nv\": 4, \"nf\": 2, \"nedges\": 5, \"border_edges\": 4, \"bbox_min\": [0, 0, 0], "
              "\"bbox_max\": [2, 1, 0], \"extent\": 2, \"centre\": [1, 0.5, 0]}\n");
    EXPECT_NE(json.err.find("BUILDING: "), std::string::npos); // the console moves out of the way
}

TEST(Cli, InfoOnFilesItCannotRead) {
    CliRun missing = run_cli("info /nonexistent/x.obj");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "ERROR: Opening File: /nonexistent/x.obj\n");

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
