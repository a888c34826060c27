// What the commands do with awkward files: outputs that would replace their input,
// names that do not match what is written, files that cannot be opened or are no text,
// old Mac line ends, floods of warnings, files that need much memory, and large or
// transparent heightmaps.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

namespace fs = std::filesystem;

const std::string cube = std::string(VOSTREL_DATA) + "/cube.obj";

std::string contents(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(FileHandling, OutputOntoTheInputInAnotherFormatIsRefused) {
    TempDir dir;
    std::string mesh = dir.file("m.obj"), net = dir.file("m.net");
    fs::copy_file(cube, mesh);
    write(net, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n");

    fs::create_symlink(net, dir.file("net.obj"));
    CliRun r = run_cli("convert " + net + " " + dir.file("net.obj"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: " + dir.file("net.obj") +
                         " is also the input; writing OBJ text there would "
                         "replace it\n");
    EXPECT_EQ(contents(net), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n");
    // An OBJ file rewritten as OBJ is fine: it is read whole first.
    EXPECT_EQ(run_cli("convert " + mesh + " " + mesh).status, 0);
    const std::string before = contents(mesh);
    EXPECT_EQ(run_cli("morphogen " + mesh + " --mor " + mesh + " -o " + mesh).status, 1);
#ifdef VOSTREL_RENDER
    fs::create_symlink(mesh, dir.file("link.png"));
    for (const std::string& args :
         {"render " + mesh + " -o " + mesh, "render " + mesh + " -o " + dir.file("link.png")}) {
        r = run_cli(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("-o/--output and MESH name the same file"), std::string::npos);
    }
    std::string heightmap = dir.file("h.png");
    fs::copy_file(std::string(VOSTREL_DATA) + "/heightmaps/raylib_heightmap_128_rgb.png",
                  heightmap);
    EXPECT_EQ(run_cli("terrain " + heightmap + " -o " + heightmap).status, 1);
    EXPECT_TRUE(fs::is_symlink(dir.file("link.png")));
#endif
    EXPECT_EQ(contents(mesh), before);
}

TEST(FileHandling, NamesWithoutAnExtensionGiveAWarning) {
    TempDir dir;
    CliRun r = run_cli("convert " + cube + " " + dir.file("out"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "WARNING: " + dir.file("out") +
                         ": written as OBJ text, though the name does not end in .obj\n");
    EXPECT_EQ(run_cli("convert " + cube + " " + dir.file("UP.OBJ")).err, "");
    // Devices have names of their own (a null device made here, as /dev/null).
    if (mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_EQ(run_cli("convert " + cube + " " + dir.file("null")).err, "");
    }
}

TEST(FileHandling, FilesThatCannotBeReadSayWhy) {
    TempDir dir;
    fs::create_directory(dir.file("folder.obj"));
    CliRun r = run_cli("info " + dir.file("folder.obj"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: Opening File: " + dir.file("folder.obj") + " (Is a directory)\n");
    r = run_cli("info " + dir.file("none.net"));
    EXPECT_EQ(r.err,
              "ERROR Opening File: " + dir.file("none.net") + " (No such file or directory)\n");
#ifdef VOSTREL_RENDER
    r = run_cli("terrain " + dir.file("none.png") + " -o " + dir.file("t.obj"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: could not read the heightmap " + dir.file("none.png") +
                         ": No such file or directory\n");
    r = run_cli("terrain " + cube + " -o " + dir.file("t.obj"));
    EXPECT_NE(r.err.find(": not an image it can take ("), std::string::npos) << r.err;
#endif
}

TEST(FileHandling, BinaryAndEmptyInput) {
    TempDir dir;
    write(dir.file("b.obj"), "v 1 2 3\n\x93\x05\xfe\xff");
    CliRun r = run_cli("info " + dir.file("b.obj"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: " + dir.file("b.obj") + ": not a text file (byte 0x05 at offset 9)\n");
    // /dev/zero behind a link: a device, refused as one before anything is read.
    fs::create_symlink("/dev/zero", dir.file("zero.obj"));
    r = run_cli("info " + dir.file("zero.obj"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("(is a character device, not a regular file)"), std::string::npos);

    write(dir.file("empty.obj"), "");
    write(dir.file("points.obj"), "v 0 0 0\nv 1 0 0\n");
    r = run_cli("info " + dir.file("empty.obj"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "WARNING: " + dir.file("empty.obj") + " holds no vertices\n");
    r = run_cli("info " + dir.file("points.obj"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "WARNING: " + dir.file("points.obj") + " holds no faces\n");
#ifdef VOSTREL_RENDER
    r = run_cli("render " + dir.file("points.obj") + " -o " + dir.file("p.png"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("holds no faces"), std::string::npos);
#endif
}

TEST(FileHandling, OldMacLineEnds) {
    TempDir dir;
    write(dir.file("cr.obj"), "v 0 0 0\rv 1 0 0\rv 0 1 0\rf 1 2 3\r");
    CliRun r = run_cli("info " + dir.file("cr.obj"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("vertices:     3\nfaces:        1\n"), std::string::npos) << r.out;
}

TEST(FileHandling, FloodsOfWarningsAreCounted) {
    TempDir dir;
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    for (int i = 0; i < 100000; ++i) text += "f 1 2\n";
    write(dir.file("bad.obj"), text);
    CliRun r = run_cli("info " + dir.file("bad.obj"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 21);
    EXPECT_NE(r.err.find(": 99980 more warnings not shown\n"), std::string::npos) << r.err;
}

TEST(FileHandling, MemoryStaysBoundedAndItsEndIsReported) {
    if (address_sanitised())
        GTEST_SKIP() << "a sanitiser reserves more address space than the limit";
    TempDir dir;
    // A line of a million values, then short lines: each short row takes its own room.
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nmn a\nm";
    for (int i = 0; i < 1000000; ++i) text += " 1";
    text += "\n";
    for (int i = 0; i < 2000; ++i) text += "m 2\n";
    write(dir.file("rows.obj"), text);
    const long limit_kib = 1 << 20; // 1 GiB; the rows as first read took about 80 GB
    CliRun r = run_cli("info " + dir.file("rows.obj"), "", limit_kib);
    EXPECT_EQ(r.status, 0) << r.err;

    // 30,000 vertices of 2,000 values each: 240 MB, beyond what a limit of 256 MiB leaves
    // beside the program and its libraries.
    text = "mn a\nm";
    for (int i = 0; i < 2000; ++i) text += " 0.5";
    text += "\n";
    for (int i = 0; i < 30000; ++i) text += "v 0 0 0\n";
    text += "f 1 2 3\n";
    write(dir.file("big.obj"), text);
    r = run_cli("info " + dir.file("big.obj"), "", 256 * 1024);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: out of memory while reading " + dir.file("big.obj") + "\n");
}

#ifdef VOSTREL_RENDER
// The heights of the terrain's vertices in the OBJ file, as written.
std::set<std::string> heights(const std::string& obj) {
    std::set<std::string> out;
    std::istringstream lines(contents(obj));
    std::string keyword, x, y;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        if (words >> keyword >> x >> y && keyword == "v") out.insert(y);
    }
    return out;
}

TEST(FileHandling, LargeAndTransparentHeightmaps) {
    TempDir dir;
    const std::string images = VOSTREL_TEST_DATA;
    CliRun r = run_cli("terrain " + images + "/grey_6000_rgb.png -o " + dir.file("big.obj"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> big = heights(dir.file("big.obj"));
    r = run_cli("terrain " + images + "/grey_200_half_transparent.png -o " + dir.file("a.obj"));
    ASSERT_EQ(r.status, 0) << r.err;
    // Grey 200 everywhere gives one height, the same whatever the size and the alpha.
    EXPECT_EQ(big.size(), 1u);
    EXPECT_EQ(heights(dir.file("a.obj")), big);
}
#endif

} // namespace
