// vostrel-cli segment: picks, traversals and marks from the command line, the files in
// the folder given, and the failures it reports.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// Faces 1 and 2 share an edge in the plane z = 0; face 3 stands apart.
const char* three_faces = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nv 5 5 5\nv 6 5 5\nv 5 6 5\n"
                          "f 1 2 3\nf 2 4 3\nf 5 6 7\n";

struct Fixture {
    TempDir dir;
    std::string mesh = dir.file("three.obj");
    std::string out = dir.file("out");
    Fixture() { std::ofstream(mesh) << three_faces; }
    CliRun segment(const std::string& args) {
        return run_cli("segment " + mesh + " -C " + out + " " + args);
    }
    std::string saving_lines(const std::string& out_text) {
        return out_text.substr(std::min(out_text.find("Saving: "), out_text.size()));
    }
    std::string file(const std::string& name) {
        std::string text;
        EXPECT_TRUE(bool(read_file(out + "/" + name, text))) << name;
        return text;
    }
};

} // namespace

TEST(CliSegment, EachAtPicksTraversesAndMarksInOrder) {
    Fixture f;
    // Depth 1 reaches face 2 only; depth 2 brings face 1 back; face 3 has no neighbour.
    CliRun r = f.segment("--at 1:1:1 --at 1:2:1 --at 3:5:90");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Opening: " + f.mesh + "\n"), std::string::npos);
    EXPECT_EQ(f.saving_lines(r.out), "Saving: non-segemented.obj v:3 f:3\n"
                                     "Saving: object_1.obj v:0 f:0\n"
                                     "Saving: object_2.obj v:4 f:6\n"
                                     "Saving: object_3.obj v:0 f:0\n"
                                     "Saving: segemented.obj v:4 f:6\n");
    EXPECT_EQ(f.file("object_2.obj"),
              "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 3/3/3 2/2/2 1/1/1\nf 3/3/3 4/4/4 2/2/2\n");
    EXPECT_EQ(f.file("object_1.obj"), "");
    EXPECT_EQ(f.file("non-segemented.obj"), "v 5 5 5\nv 6 5 5\nv 5 6 5\nf 3/3/3 2/2/2 1/1/1\n");
}

TEST(CliSegment, WithoutAtEveryFaceIsUnsegmented) {
    Fixture f;
    f.out = f.dir.file("a/b/c"); // made as needed
    CliRun r = f.segment("");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(f.saving_lines(r.out), "Saving: non-segemented.obj v:7 f:9\n"
                                     "Saving: segemented.obj v:0 f:0\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(f.out + "/segemented.obj"));
}

TEST(CliSegment, BadStartsFailBeforeAnyFile) {
    Fixture f;
    for (const char* at : {"0:1:1", "4:1:1", "-1:1:1", "1:-1:1", "1:1", "1:1:1:1", "a:1:1",
                           "1:1:1x", "1::1", "", "99999999999:1:1"}) {
        CliRun r = f.segment(std::string("--at 1:1:1 --at '") + at + "'");
        EXPECT_EQ(r.status, 1) << at;
        EXPECT_NE(r.err.find(std::string("--at ") + at + ":"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("Saving: "), std::string::npos) << at;
        EXPECT_FALSE(std::filesystem::exists(f.out)) << at;
    }
}

TEST(CliSegment, FoldersAndFilesItCannotWrite) {
    Fixture f;
    // A file where the folder should be.
    std::ofstream(f.out) << "x";
    CliRun blocked = f.segment("--at 1:1:1");
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("could not create the folder " + f.out), std::string::npos);
    EXPECT_EQ(blocked.out.find("Saving: "), std::string::npos);

    // One file that cannot be replaced: reported, the others written.
    f.out = f.dir.file("out2");
    std::filesystem::create_directories(f.out + "/object_1.obj");
    CliRun partly = f.segment("--at 1:1:1");
    EXPECT_EQ(partly.status, 1);
    EXPECT_NE(partly.err.find("ERROR: could not write " + f.out + "/object_1.obj"),
              std::string::npos)
        << partly.err;
    EXPECT_NE(partly.out.find("Saving: segemented.obj v:3 f:3\n"), std::string::npos);
    EXPECT_EQ(f.file("segemented.obj"), "v 1 0 0\nv 1 1 0\nv 0 1 0\nf 3/3/3 2/2/2 1/1/1\n");

    // A mesh that cannot be read.
    CliRun missing = run_cli("segment " + f.dir.file("none.obj") + " --at 1:1:1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.obj"), std::string::npos);
}

TEST(CliSegment, Help) {
    CliRun help = run_cli("segment --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--at"), std::string::npos);
    EXPECT_NE(help.out.find("vostrel-cli segment"), std::string::npos);
    EXPECT_NE(run_cli("--help").out.find("  segment"), std::string::npos);
    EXPECT_EQ(run_cli("segment").status, 2); // no mesh
}
