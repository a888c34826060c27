// vostrel-cli smooth: the Mean Shift page's filters from the command line.
#include "cli/cli_run.h"
#include "core/vostrel.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::vector<std::string> lines_of(const std::string& path) {
    std::string text;
    read_file(path, text);
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// Three small triangles far apart, facing +z, -z and +x.
const char* three_apart = "v 0 0 0\nv 0.1 0 0\nv 0 0.1 0\n"
                          "v 10 0 0\nv 10 0.1 0\nv 10.1 0 0\n"
                          "v 0 10 0\nv 0 10 0.1\nv 0 10.1 0\n"
                          "f 1 2 3\nf 4 5 6\nf 7 8 9\n";

// Three triangles of a corner, within half the extent of each other.
const char* three_close = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n"
                          "f 1 2 3\nf 1 3 4\nf 1 4 2\n";

struct Smooth {
    TempDir dir;
    std::string mesh = dir.file("m.obj"), normals = dir.file("n.txt");
    explicit Smooth(const char* obj = three_apart) { std::ofstream(mesh) << obj; }
    CliRun run(const std::string& args) {
        return run_cli("smooth " + mesh + " --normals " + normals + " " + args);
    }
};

} // namespace

TEST(CliSmooth, HelpAndUsageErrors) {
    CliRun help = run_cli("--help");
    EXPECT_NE(help.out.find("  smooth"), std::string::npos);
    CliRun topic = run_cli("help smooth");
    EXPECT_EQ(topic.status, 0);
    for (const char* word :
         {"--normals", "--mean-shift", "--sphere-jump", "--median", "--steps", "--curve", "-o"})
        EXPECT_NE(topic.out.find(word), std::string::npos) << word;
    Smooth s;
    for (const char* args : {"", "--mean-shift 5 --median 5", "--mean-shift", "--median x",
                             "--mean-shift 5 --steps 0", "--mean-shift 5 --steps -2"}) {
        CliRun r = s.run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(run_cli("smooth m.obj --mean-shift 5").status, 2); // no --normals
}

// A value outside the slider's range is the command's failure, like a bad curve file.
TEST(CliSmooth, ValueOutsideTheSliderFails) {
    Smooth s;
    for (const char* args : {"--mean-shift 100.5", "--median -1"}) {
        CliRun r = s.run(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("outside 0..100"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::ifstream(s.normals).good());
}

// One line "x y z" per face in face order; the filter's console lines on standard output.
TEST(CliSmooth, NormalsAndConsoleLines) {
    Smooth s;
    CliRun r = s.run("--mean-shift 1");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Evaluating MEAN_SHIFT: \nWEIGHT_MODE = 0\n\r\rProgress = [         ]"
                         "\nData Size:\t\t3 \nMean Shift Radius:\t0.050500 \nNumber of "
                         "Regions:\t3 \n"),
              std::string::npos)
        << r.out;
    // Each face is a region of its own and keeps its normal.
    EXPECT_EQ(lines_of(s.normals), (std::vector<std::string>{"0 -0 1", "0 0 -1", "-1 0 0"}));
}

// A sphere around everything: one region, every face the normalised sum of all three.
TEST(CliSmooth, OneRegionAndTheMeshSaved) {
    Smooth s(three_close);
    CliRun r = s.run("--sphere-jump 100 -o " + s.dir.file("out.obj"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Evaluating SHPERE_JUMP: "), std::string::npos);
    EXPECT_NE(r.out.find("Number of Regions:\t1 \n"), std::string::npos) << r.out;
    std::vector<std::string> one = lines_of(s.normals);
    ASSERT_EQ(one.size(), 3u);
    EXPECT_EQ(one[0], "0.57735 0.57735 0.57735");
    EXPECT_EQ(one[1], one[0]);
    EXPECT_EQ(one[2], one[0]);
    std::string saved;
    read_file(s.dir.file("out.obj"), saved);
    EXPECT_EQ(saved.rfind("v 0", 0), 0u) << saved;
}

// Steps: each prints "Step" and makes one pass; enough of them make a whole run.
TEST(CliSmooth, StepsAndWholeRuns) {
    Smooth s;
    CliRun one = s.run("--mean-shift 1 --steps 1");
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out.find("Step\nEvaluating MEAN_SHIFT: "), one.out.find("Step\n"));
    EXPECT_NE(one.out.find("Number of Regions:\t1 \n"), std::string::npos);
    CliRun three = s.run("--mean-shift 1 --steps 3");
    std::vector<std::string> stepped = lines_of(s.normals);
    size_t steps = 0;
    for (size_t at = three.out.find("Step\n"); at != std::string::npos;
         at = three.out.find("Step\n", at + 1))
        ++steps;
    EXPECT_EQ(steps, 3u);
    EXPECT_NE(three.out.find("Number of Regions:\t3 \n"), std::string::npos);
    s.run("--mean-shift 1");
    EXPECT_EQ(lines_of(s.normals), stepped);

    CliRun median = s.run("--median 1.9 --steps 2");
    EXPECT_EQ(median.status, 0);
    EXPECT_NE(median.out.find("Step\nEvaluating MEDIAN_FILTER: \ndepth: 1\n"), std::string::npos)
        << median.out;
}

TEST(CliSmooth, WeightCurves) {
    Smooth s(three_close);
    CliRun r = s.run("--sphere-jump 100 --curve " + bundled_data("curves/falling.txt"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("WEIGHT_MODE = 1\n"), std::string::npos);
    std::vector<std::string> weighted = lines_of(s.normals);
    s.run("--sphere-jump 100");
    EXPECT_NE(lines_of(s.normals), weighted);

    std::string bad = s.dir.file("bad.txt");
    std::ofstream(bad) << "120\n1 2\n";
    for (const std::string& file : {bad, s.dir.file("missing.txt")}) {
        CliRun failed = s.run("--mean-shift 5 --curve " + file);
        EXPECT_EQ(failed.status, 1);
        EXPECT_NE(failed.err.find("ERROR: "), std::string::npos);
        EXPECT_NE(failed.err.find(file), std::string::npos) << failed.err;
        EXPECT_EQ(failed.out, "");
    }
}

TEST(CliSmooth, MeshThatCannotBeRead) {
    TempDir dir;
    CliRun r = run_cli("smooth " + dir.file("none.obj") + " --normals " + dir.file("n.txt") +
                       " --median 2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("none.obj"), std::string::npos);
}
