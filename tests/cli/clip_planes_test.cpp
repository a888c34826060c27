// vostrel-cli clip-planes: the plane set driven by a script, saved as .clp, its outlines
// listed.
#include "cli/cli_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string read_text(const std::string& path) {
    std::string text;
    read_file(path, text);
    return text;
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

// Runs clip-planes on a cube of `cube` with the script `actions`; the saved planes and
// the outlines come back in `clp` and `outlines`.
struct Session {
    CliRun run;
    std::string clp, outlines;
};
Session session(const std::string& actions, const std::string& cube = "256",
                const std::string& more = "") {
    TempDir dir;
    write_text(dir.file("actions"), actions);
    Session s;
    s.run = run_cli("clip-planes --cube " + cube + " --script " + dir.file("actions") + " --save " +
                    dir.file("out.clp") + " --outlines " + dir.file("out.txt") + " " + more);
    s.clp = read_text(dir.file("out.clp"));
    s.outlines = read_text(dir.file("out.txt"));
    return s;
}

const std::string front_face =
    "P: 0 0 128 0 -0 1 -128 128 128 128 128 128 128 -128 128 -128 -128 128 -128 128 128 128 "
    "128 128 128 -128 128 -128 -128 128 0 0 -65536 8.38861e+06 1 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 "
    "1 1 0 0 0 1 0 0 0 1 1 0 0 0 1 0 0 0 1";

TEST(ClipPlanesCommand, DefaultPlanesAndTheirOutlines) {
    Session s = session("");
    ASSERT_EQ(s.run.status, 0) << s.run.err;
    EXPECT_EQ(s.run.out, "");
    std::vector<std::string> clp = lines_of(s.clp);
    ASSERT_EQ(clp.size(), 7u);
    EXPECT_EQ(clp[0], "SIZE: 6");
    EXPECT_EQ(clp[1], front_face);
    // Outlines stay empty until something rebuilds them.
    EXPECT_EQ(s.outlines, "0 0\n1 0\n2 0\n3 0\n4 0\n5 0\n");

    Session shown = session("show-all 1\n");
    std::vector<std::string> outlines = lines_of(shown.outlines);
    ASSERT_EQ(outlines.size(), 6u);
    EXPECT_EQ(outlines[0], "0 4 -128 128 128 -128 -128 128 128 -128 128 128 128 128");
    EXPECT_EQ(outlines[5], "5 4 -128 -128 128 -128 -128 -128 128 -128 -128 128 -128 128");
}

TEST(ClipPlanesCommand, PushSelectAndReset) {
    // Down the window pushes in: 200 pixels in ten steps, 20 units.
    Session pushed = session("select 0\ndrag 3 100 100 100 300 10\n");
    ASSERT_EQ(pushed.run.status, 0) << pushed.run.err;
    EXPECT_EQ(lines_of(pushed.outlines)[0],
              "0 4 -128 128 108 -128 -128 108 128 -128 108 128 128 108");
    EXPECT_EQ(lines_of(pushed.clp)[1].substr(0, 13), "P: 0 0 108 0 ");
    EXPECT_EQ(lines_of(pushed.clp)[2], lines_of(session("").clp)[2]);

    // Unselected planes stay.
    Session twice = session("select 0\nselect 0\ndrag 3 100 100 100 300 10\n");
    EXPECT_EQ(twice.clp, session("").clp);

    // Beyond the cube: no outline.
    Session beyond = session("select 2\ndrag 3 0 0 0 3000 4\n");
    EXPECT_EQ(lines_of(beyond.outlines)[2], "2 0");
    EXPECT_EQ(lines_of(beyond.outlines)[0].substr(0, 4), "0 4 ");

    Session reset = session("select 0\ndrag 3 100 100 100 300 10\nreset-selected\n");
    EXPECT_EQ(lines_of(reset.clp), lines_of(session("").clp));
    EXPECT_EQ(lines_of(reset.outlines)[0],
              "0 4 -128 128 128 -128 -128 128 128 -128 128 128 128 128");
    Session all = session("select 0\nselect 3\ndrag 3 100 100 100 300 10\nreset-all\n");
    EXPECT_EQ(all.clp, session("").clp);
}

// A tilt depends on where the drag ends, not on the steps in between; a horizontal
// drag of the left button tilts nothing.
TEST(ClipPlanesCommand, TiltSteps) {
    Session one = session("select 2\ndrag 1 400 400 400 250 1\n");
    Session seven = session("select 2\ndrag 1 400 400 400 250 7\n");
    ASSERT_EQ(one.run.status, 0) << one.run.err;
    EXPECT_EQ(one.clp, seven.clp);
    EXPECT_NE(one.clp, session("").clp);
    EXPECT_EQ(session("select 2\ndrag 1 100 400 700 400 5\n").clp, session("").clp);
    EXPECT_EQ(session("select 2\ndrag 2 400 100 400 700 5\n").clp, session("").clp);
    EXPECT_NE(session("select 2\ndrag 2 400 100 500 100 5\n").clp, session("").clp);
    // No moves: a press and a release change nothing that is saved.
    EXPECT_EQ(session("select 2\ndrag 1 400 400 400 250 0\n").clp, session("").clp);
}

TEST(ClipPlanesCommand, LoadThenScript) {
    TempDir dir;
    Session pushed = session("select 4\ndrag 3 0 0 0 100 1\n");
    write_text(dir.file("in.clp"), pushed.clp);
    CliRun r = run_cli("clip-planes --cube 10 --load " + dir.file("in.clp") + " --save " +
                       dir.file("out.clp"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_text(dir.file("out.clp")), pushed.clp);

    // The planes from the file, their outlines in the cube of the command line.
    write_text(dir.file("script"), "show-all 1\n");
    r = run_cli("clip-planes --cube 300 --load " + dir.file("in.clp") + " --script " +
                dir.file("script") + " --save " + dir.file("out.clp") + " --outlines " +
                dir.file("o.txt"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines_of(read_text(dir.file("o.txt")))[4].substr(0, 4), "4 4 ");
}

TEST(ClipPlanesCommand, Failures) {
    TempDir dir;
    CliRun missing = run_cli("clip-planes --cube 1 --load " + dir.file("none.clp") + " --save " +
                             dir.file("out.clp"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "ERROR: OPENING FILE .CLP File! PlaneWidgetInCube::load() \n");
    EXPECT_NE(missing.err.find("none.clp"), std::string::npos);

    write_text(dir.file("bad.clp"), "SIZE: 2\n");
    CliRun refused = run_cli("clip-planes --cube 1 --load " + dir.file("bad.clp") + " --save " +
                             dir.file("out.clp"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("bad.clp:1: a plane file holds six planes"), std::string::npos)
        << refused.err;

    CliRun unsaved = run_cli("clip-planes --cube 1 --save " + dir.file("no/folder/out.clp"));
    EXPECT_EQ(unsaved.status, 1);
    EXPECT_NE(unsaved.err.find("could not write"), std::string::npos) << unsaved.err;
    EXPECT_EQ(unsaved.out,
              "ERROR: SAVING FILE .CLP File! PlaneWidgetInCube::save(QString filename)\n");

    CliRun no_script = run_cli("clip-planes --cube 1 --script " + dir.file("none") + " --save " +
                               dir.file("out.clp"));
    EXPECT_EQ(no_script.status, 1);
}

TEST(ClipPlanesCommand, MalformedScriptLinesAreUsageErrors) {
    for (const char* line :
         {"frobnicate", "select", "select x", "select 1 2", "drag 4 0 0 0 0 1", "drag 0 0 0 0 0 1",
          "drag 1 0 0 0 0", "drag 1 0 0 0 0 -1", "drag 1 0 0 0 0 1.5", "drag 1 0 0 2000000 0 1",
          "show-all 2", "show-all", "reset-all now", "select 99999999999", "select 6",
          "select -1"}) {
        Session s = session(std::string("select 0\n") + line + "\n");
        EXPECT_EQ(s.run.status, 2) << line;
        EXPECT_NE(s.run.err.find("actions:2: "), std::string::npos) << line << ": " << s.run.err;
        EXPECT_EQ(s.clp, "") << "nothing is saved";
    }
    // Blank lines and comments are no actions.
    EXPECT_EQ(session("\n# push\n   \nshow-all 0\n").run.status, 0);
}

TEST(ClipPlanesCommand, UsageAndHelp) {
    for (const char* args :
         {"clip-planes", "clip-planes --cube 5", "clip-planes --save x.clp",
          "clip-planes --cube -1 --save x.clp", "clip-planes --cube x --save y"}) {
        CliRun r = run_cli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("vostrel-cli: clip-planes"), std::string::npos) << args << r.err;
    }
    CliRun help = run_cli("help clip-planes");
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"--cube", "--load", "--script", "--save", "--outlines", "select I",
                             "drag B X0 Y0 X1 Y1 N", "reset-all", "reset-selected", "show-all V"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    EXPECT_NE(run_cli("--help").out.find("  clip-planes"), std::string::npos);
#ifdef VOSTREL_RENDER
    EXPECT_NE(run_cli("help render").out.find("--clip"), std::string::npos);
#endif
}

} // namespace
