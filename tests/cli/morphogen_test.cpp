// vostrel-cli morphogen: the names and ranges of a mesh's morphogens, and a mesh coloured
// with a .mor setting as the morphogen page and the view colour it.
#include "cli/cli_run.h"
#include "core/vostrel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// Two vertices with values for "warm" and "cold"; the second row has a third value that
// no name covers.
const char* two_values = "mn warm cold\nv 0 0 0\nv 1 0 0\nv 0 1 0\nm 1 0.5\nm 0 -1 7\n"
                         "f 1 2 3\n";

// A mesh with `two_values`, a setting and the output, in a folder of their own.
struct Files {
    TempDir dir;
    std::string mesh = dir.file("m.obj"), mor = dir.file("s.mor"), out = dir.file("out.obj");
    Files() { std::ofstream(mesh) << two_values; }
    CliRun colour(const std::string& setting) {
        std::ofstream(mor) << setting;
        return run_cli("morphogen " + mesh + " --mor " + mor + " -o " + out);
    }
};

} // namespace

TEST(CliMorphogen, ListsNamesAndRanges) {
    TempDir dir;
    std::string mesh = dir.file("m.obj");
    std::ofstream(mesh) << two_values;
    CliRun r = run_cli("morphogen " + mesh + " --list");
    ASSERT_EQ(r.status, 0) << r.err;
    // The third vertex has no "m" line: its row is zeros.
    EXPECT_NE(r.out.find("\nwarm\t0\t1\ncold\t-1\t0.5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Opening: " + mesh), std::string::npos);

    CliRun spot =
        run_cli("morphogen " + bundled_data("morphogens/spot_morphogens.obj") + " --list");
    ASSERT_EQ(spot.status, 0) << spot.err;
    EXPECT_NE(
        spot.out.find("\nheight\t0\t1\nfront\t0\t1\nconvex\t-0.874928\t1\nconcave\t-1\t0.874928\n"),
        std::string::npos)
        << spot.out;
}

TEST(CliMorphogen, ColoursAndWritesVertexColours) {
    Files f;
    CliRun r = f.colour("SIZE 2\nBASECOL 0 0 0\nMIXMODE 0\nMORPHO\t255 0 0 1\nMORPHO\t0 0 255 1\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\tMESH: Saving " + f.out + "... done...\n"), std::string::npos) << r.out;
    std::string text;
    ASSERT_TRUE(read_file(f.out, text));
    // Vertex 0: red at 1 and blue at 0.5 give thirds; vertex 1: nothing contributes. The
    // morphogens themselves are saved too.
    EXPECT_EQ(text.substr(0, text.find("\nv 0 1 0")),
              "mn warm cold\nv 0 0 0\nvc 0.333333 0 0.166667\nm 1 0.5\nv 1 0 0\nvc 0 0 0\nm 0 -1");
}

TEST(CliMorphogen, SettingsThatDoNotFit) {
    Files f;
    CliRun r = f.colour("SIZE 3\nMORPHO\t255 0 0 1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "ERROR: " + f.mor + ":1: SIZE 3 does not match the 2 morphogens of the mesh\n");
    EXPECT_FALSE(std::filesystem::exists(f.out));

    CliRun missing =
        run_cli("morphogen " + f.mesh + " --mor " + f.dir.file("none.mor") + " -o " + f.out);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("ERROR!!!\n"), std::string::npos);
    EXPECT_EQ(missing.err, "ERROR: could not read the morphogen file " + f.dir.file("none.mor") +
                               " (No such file or directory)\n");

    // A NET mesh announces no names: only a setting of size 0 fits, and it gives the
    // base colour everywhere.
    std::string net = f.dir.file("m.net");
    std::ofstream(net) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n";
    std::ofstream(f.mor) << "SIZE 0\nBASECOL 255 0 255\n";
    ASSERT_EQ(run_cli("morphogen " + net + " --mor " + f.mor + " -o " + f.out).status, 0);
    std::string text;
    ASSERT_TRUE(read_file(f.out, text));
    EXPECT_NE(text.find("v 0 1 0\nvc 1 0 1\n"), std::string::npos) << text;
}

TEST(CliMorphogen, UsageErrors) {
    for (const char* args : {"morphogen", "morphogen m.obj", "morphogen m.obj --mor s.mor",
                             "morphogen m.obj -o out.obj"}) {
        CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("vostrel-cli: morphogen: "), std::string::npos) << r.err;
    }
}
