#include "core/mesh.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

void expect_colour(const Vector& c, float r, float g, float b) {
    EXPECT_EQ(c.x, r);
    EXPECT_EQ(c.y, g);
    EXPECT_EQ(c.z, b);
    EXPECT_EQ(c.w, 1);
}

TEST(NetReader, PolygonsBecomeFansNumberedFromZero) {
    Mesh m;
    ASSERT_TRUE(load_net_string(m, square + "f 0 1 2 3\nf 2 1 0\n"));
    ASSERT_EQ(m.nf, 3);
    const int expected[3][3] = {{0, 1, 2}, {0, 2, 3}, {2, 1, 0}};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(m.faces[i].vindex[k], expected[i][k]);
            EXPECT_EQ(m.faces[i].corners[k], &m.vertices[expected[i][k]]);
        }
}

TEST(NetReader, ColoursAndNormalsInVertexOrder) {
    Mesh m;
    ASSERT_TRUE(load_net_string(m, square + "f 0 1 2\n"));
    for (const Vector& c : m.colours) expect_colour(c, 0.4f, 0.4f, 0.4f);

    ASSERT_TRUE(load_net_string(m, square + "f 0 1 2\nc 1 0 0\nc 0 1 0\n"));
    expect_colour(m.colours[0], 1, 0, 0);
    expect_colour(m.colours[1], 0, 1, 0);
    expect_colour(m.colours[2], 0.4f, 0.4f, 0.4f); // beyond the colour lines
    expect_colour(m.colours[3], 0.4f, 0.4f, 0.4f);

    ASSERT_TRUE(load_net_string(m, square + "n 0 0 1\nn 0 0 1\n"));
    for (const Vector& n : m.normals) EXPECT_EQ(n.z, 0); // not one normal per vertex
    ASSERT_TRUE(load_net_string(m, square + "n 0 0 1\nn 0 0 1\nn 0 0 1\nn 0 0 -1\nt 0 1\n"));
    EXPECT_EQ(m.normals[0].z, 1);
    EXPECT_EQ(m.normals[3].z, -1);
}

TEST(NetReader, MalformedLinesFailAndLeaveTheMeshAlone) {
    const std::pair<std::string, std::string> cases[] = {
        {"vertex 1 2 3\n", "t.net:1:"},
        {"v 1 2\n", "t.net:1:"},
        {"v 1 2 3\nc 1 0\n", "t.net:2:"},
        {"v 1 2 3\nt 1\n", "t.net:2:"},
        {square + "f 0 1\n", "t.net:5:"},
        {square + "f 0 1 4\n", "t.net:5: vertex number 4"},
        {square + "f 0 -1 2\n", "t.net:5: vertex number -1"},
    };
    for (const auto& [text, message] : cases) {
        Mesh m;
        ASSERT_TRUE(load_net_string(m, square + "f 0 1 2\n"));
        IoResult r = load_net_string(m, text);
        EXPECT_FALSE(r) << text;
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
        EXPECT_EQ(m.nv, 4) << text;
        EXPECT_EQ(m.nf, 1) << text;
    }
}

TEST(NetReader, OtherLinesAreIgnoredAndLongLinesReadWhole) {
    Mesh m;
    std::string long_vertex = "v 1." + std::string(200, '0') + "1 2 3\n";
    ASSERT_TRUE(load_net_string(m, "# comment\n 5 6 7\n9 9\n\n" + long_vertex +
                                       "v 0 0 0\nv 0 1 0\r\nf 0 1 2"));
    EXPECT_EQ(m.nv, 3);
    EXPECT_EQ(m.nf, 1);
    EXPECT_FLOAT_EQ(m.vertices[0].x, 1);
}

TEST(NetReader, TenCornersAtMostAndAWordForTheRest) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += "v " + std::to_string(i) + " 0 0\n";
    text += "f 0 1 2 3 4 5 6 7 8 9 10 11\nf 0 1 2 3 4 5 6 7 8 9\n";
    Mesh m;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(load_net_string(m, text));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: test.net:13: a face has more than ten corners; only the first ten are "
              "taken\n");
    EXPECT_EQ(m.nf, 16);
}

TEST(NetReader, ValuesThatAreNotFiniteAreRefused) {
    for (const char* line :
         {"v nan 0 0", "v 0 inf 0", "n 0 0 -infinity", "c 1e39 0 0", "t 0 nan"}) {
        Mesh m;
        IoResult r = load_net_string(m, square + line + "\nf 0 1 2\n");
        EXPECT_FALSE(r) << line;
        EXPECT_EQ(r.error, "ERROR: test.net:5: a value is not a finite number") << line;
    }
}

TEST(NetReader, LoneCarriageReturnsEndLines) {
    Mesh m;
    ASSERT_TRUE(load_net_string(m, "v 0 0 0\rv 1 0 0\rv 0 1 0\rf 0 1 2\r"));
    EXPECT_EQ(m.nv, 3);
    EXPECT_EQ(m.nf, 1);
}

TEST(NetReader, MissingFileIsReportedNotFatal) {
    Mesh m;
    IoResult r = m.load_net("/nonexistent/mesh.net");
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, "ERROR Opening File: /nonexistent/mesh.net (No such file or directory)");
    EXPECT_TRUE(r.unopened);
}

TEST(NetReader, PrintsOpening) {
    TempDir dir;
    std::string path = dir.file("tri.net");
    std::ofstream(path) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n";
    Mesh m;
    ConsoleCapture console;
    ASSERT_TRUE(m.load_net(path));
    EXPECT_EQ(console.text(), "Opening: " + path + "\n");
}

} // namespace
