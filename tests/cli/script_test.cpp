// vostrel-cli run: scripts of commands on one document, what their lines write next to
// what the standalone commands write, the history, and the lines that fail or are wrong.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// `text` with every "{NAME}" replaced by its value.
std::string filled(const std::string& text,
                   const std::vector<std::pair<std::string, std::string>>& with) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        auto named = std::find_if(with.begin(), with.end(), [&](const auto& w) {
            return text.compare(at, w.first.size() + 2, "{" + w.first + "}") == 0;
        });
        if (named == with.end()) {
            out += text[at++];
        } else {
            out += named->second;
            at += named->first.size() + 2;
        }
    }
    return out;
}

const std::string cube = bundled_data("cube.obj");

struct Script {
    TempDir dir;
    std::string path = dir.file("script.txt");
    CliRun run(const std::string& text) { return run_script(path, text); }
};

// A script's line and the standalone command (its MESH and OUT filled in) write the same
// file, byte for byte.
TEST(Script, LinesWriteWhatTheStandaloneCommandsWrite) {
    TempDir dir;
    std::ofstream(dir.file("push.txt")) << "select 0\ndrag 3 0 0 0 17 1\n";
    struct Case {
        std::string mesh, lines, command, written; // `written`: the file compared, in {out}
    } cases[] = {
        {cube, "save {out}", "convert {mesh} {out}", ""},
        {cube, "save {out} --colours", "convert {mesh} {out} --colours", ""},
        {cube, "subdivide --levels 1 --weight-slider 30\nsave {out} --colours",
         "subdivide {mesh} -o {out} --levels 1 --weight-slider 30 --colours", ""},
        {cube, "classify --patches 2 --mode dijkstra --faces {out}",
         "classify {mesh} --patches 2 --mode dijkstra --faces {out}", ""},
        {cube, "smooth --sphere-jump 50 --curve {data}/curves/falling.txt --normals {out}",
         "smooth {mesh} --normals {out} --sphere-jump 50 --curve {data}/curves/falling.txt", ""},
        {cube, "segment --at 1:2:30 --at 5:3:90\nsave-segments {out}",
         "segment {mesh} -C {out} --at 1:2:30 --at 5:3:90", "/object_2.obj"},
        {cube, "clip-planes --script {dir}/push.txt --save {out}",
         "clip-planes --cube 6 --script {dir}/push.txt --save {out}", ""},
        {bundled_data("morphogens/spot_morphogens.obj"),
         "morphogen --mor {data}/morphogens/spot_morphogens.mor\nsave {out} --colours",
         "morphogen {mesh} --mor {data}/morphogens/spot_morphogens.mor -o {out}", ""},
#ifdef VOSTREL_RENDER
        {cube, "render -o {out} --size 64x48 --fit --mode 3",
         "render {mesh} -o {out} --size 64x48 --fit --mode 3", ""},
        {cube, "terrain {data}/heightmaps/raylib_heightmap_128_rgb.png --resolution 9\nsave {out}",
         "terrain {data}/heightmaps/raylib_heightmap_128_rgb.png -o {out} --resolution 9", ""},
#endif
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string index = std::to_string(++n);
        const std::string a = dir.file("a" + index), b = dir.file("b" + index);
        auto fill = [&](const std::string& text, const std::string& out) {
            return filled(text, {{"mesh", c.mesh},
                                 {"out", out},
                                 {"data", VOSTREL_DATA},
                                 {"dir", dir.path.string()}});
        };
        CliRun script = run_script(dir.file("script.txt"), fill("open {mesh}\n" + c.lines, a));
        ASSERT_EQ(script.status, 0) << c.lines << "\n" << script.err;
        CliRun alone = run_cli(fill(c.command, b));
        ASSERT_EQ(alone.status, 0) << c.command << "\n" << alone.err;
        EXPECT_EQ(file_contents(a + c.written), file_contents(b + c.written)) << c.lines;
    }
}

TEST(Script, InfoPrintsWhatTheStandaloneCommandPrints) {
    Script s;
    CliRun script = s.run("open " + cube + "\ninfo\n");
    ASSERT_EQ(script.status, 0) << script.err;
    EXPECT_EQ(script.out, run_cli("info " + cube).out);
    CliRun json = s.run("open " + cube + "\ninfo --json\n");
    // After the lines of the open, the object alone.
    EXPECT_EQ(json.out.substr(json.out.rfind("\n{") + 1), run_cli("info --json " + cube).out);
}

// Undo brings back exactly what the step replaced, redo the step's result; reload the
// mesh as opened.
TEST(Script, UndoRedoAndReload) {
    Script s;
    CliRun r = s.run(filled("open {spot}\nsave {d}/opened.obj\nsimplify --lod 40\n"
                            "save {d}/simplified.obj\nundo\nsave {d}/undone.obj\nredo\n"
                            "save {d}/redone.obj\nsubdivide --levels 1 --weight 0\nreload\n"
                            "save {d}/reloaded.obj\n",
                            {{"spot", bundled_data("spot.obj")}, {"d", s.dir.path.string()}}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string opened = file_contents(s.dir.file("opened.obj"));
    EXPECT_NE(file_contents(s.dir.file("simplified.obj")), opened);
    EXPECT_EQ(file_contents(s.dir.file("undone.obj")), opened);
    EXPECT_EQ(file_contents(s.dir.file("redone.obj")), file_contents(s.dir.file("simplified.obj")));
    EXPECT_EQ(file_contents(s.dir.file("reloaded.obj")), opened);
}

// The line's number and message; what the lines before it did stays, the lines after it
// do not run.
TEST(Script, AFailingLineStopsTheScript) {
    Script s;
    const std::string a = s.dir.file("a.obj"), b = s.dir.file("b.obj");
    CliRun r = s.run("open " + cube + "\nsave " + a + "\nsimplify --lod 0\nsave " + b + "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "vostrel-cli: run: " + s.path +
                         ":3: ERROR: a level of detail of 0% leaves no faces; the mesh is left "
                         "as it was\n");
    EXPECT_TRUE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));

    struct Case {
        std::string lines, message;
    } cases[] = {
        {"info", ":1: ERROR: there is no mesh yet: open one (open FILE) or build a terrain "
                 "(terrain HEIGHTMAP) first"},
        {"undo", ":1: Nothing to undo"},
        {"open " + cube + "\nredo", ":2: Nothing to redo"},
        {"reload", ":1: ERROR: there is nothing to reload: no file has been opened"},
        {"open " + cube + "\nsegment --at 13:1:1",
         ":2: ERROR: --at 13:1:1: face 13 is not among the faces 1 to 12 of the mesh"},
        {"open " + s.dir.file("none.obj"),
         ":1: ERROR: Opening File: " + s.dir.file("none.obj") + " (No such file or directory)"},
    };
    for (const Case& c : cases) {
        CliRun failed = s.run(c.lines + "\nsave " + b + "\n");
        EXPECT_EQ(failed.status, 1) << c.lines;
        EXPECT_EQ(failed.err, "vostrel-cli: run: " + s.path + c.message + "\n") << c.lines;
        EXPECT_FALSE(fs::exists(b)) << c.lines;
    }
}

// The whole script is read before any line runs: a wrong line runs none.
TEST(Script, UsageErrorsRunNothing) {
    Script s;
    const std::string a = s.dir.file("a.obj");
    for (const char* line :
         {"frobnicate", "convert a.obj b.obj", "simplify", "simplify --lod 101",
          "simplify x.obj --lod 50", "save", "save a.obj --help", "smooth --mean-shift 150",
          "segment --at 1:x:2", "clip-planes --cube 3", "classify --mode bfs", "open \"a.obj",
          "subdivide --levels 1", "undo now", "simplify --lod 50 --max-error 0.1",
          "simplify --lod 50 --method bogus"}) {
        CliRun r = s.run("open " + cube + "\nsave " + a + "\n" + line + "\n");
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err.rfind("vostrel-cli: run: " + s.path + ":3: ", 0), 0u) << r.err;
        EXPECT_EQ(r.out, "") << line;
        EXPECT_FALSE(fs::exists(a)) << line;
    }
    EXPECT_EQ(s.run("simplify --lod 101").err,
              "vostrel-cli: run: " + s.path + ":1: --lod: takes 0 to 100, not 101\n");
}

TEST(Script, CommentsQuotesAndLineEnds) {
    Script s;
    fs::create_directory(s.dir.file("my meshes"));
    fs::copy_file(cube, s.dir.file("my meshes/a cube.obj"));
    CliRun r = s.run("# the cube, copied\r\n\r\nopen \"" + s.dir.file("my meshes/a cube.obj") +
                     "\"  # a comment\r\n  save '" + s.dir.file("out #1.obj") + "'\rinfo\n");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(run_cli("convert " + cube + " " + s.dir.file("b.obj")).status, 0);
    EXPECT_EQ(file_contents(s.dir.file("out #1.obj")), file_contents(s.dir.file("b.obj")));
    EXPECT_NE(r.out.find("vertices:     8\n"), std::string::npos) << r.out;

    CliRun missing = run_cli("run " + s.dir.file("none.txt"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "ERROR: could not read the script " + s.dir.file("none.txt") +
                               " (No such file or directory)\n");
    CliRun binary = s.run(std::string("open a.obj\n\x01", 12));
    EXPECT_EQ(binary.status, 1);
    EXPECT_NE(binary.err.find("not a text file (byte 0x01 at offset 11)"), std::string::npos);
}

} // namespace
