#include "core/mesh.h"
#include "core/text_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

using Tri = std::array<int, 3>;

std::vector<Tri> triangles(const Mesh& m) {
    std::vector<Tri> out;
    for (int i = 0; i < m.nf; ++i) {
        const Face& f = m.faces[i];
        out.push_back({f.vindex[0], f.vindex[1], f.vindex[2]});
        for (int k = 0; k < 3; ++k) EXPECT_EQ(f.corners[k], &m.vertices[f.vindex[k]]);
        EXPECT_EQ(m.faceptrs[i], &f);
    }
    return out;
}

void expect_xyz(const Vector& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

const std::string four_vertices = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n";

TEST(ObjReader, FiveNotationsTakeTheFirstNumberOfEachCorner) {
    struct Case {
        const char* face;
        int notation;
        Tri expected;
    } cases[] = {
        {"f 1 2 3", 1, {0, 1, 2}},          {"f 1/4/7 2/5/8 3/6/9", 2, {0, 1, 2}},
        {"f 2//1 3//1 4//1", 3, {1, 2, 3}}, {"f 1/4/ 2/5/ 3/6/", 4, {0, 1, 2}},
        {"f 2// 3// 4//", 5, {1, 2, 3}},    {"f 1/1 2/2 3/3", -1, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        Mesh m;
        ConsoleCapture console;
        ASSERT_TRUE(m.load_obj_text(four_vertices + c.face + "\n", "t.obj")) << c.face;
        EXPECT_EQ(triangles(m), std::vector<Tri>{c.expected}) << c.face;
        EXPECT_EQ(console.text(),
                  "nv: 4, nf: 1\nfaceformat_type: " + std::to_string(c.notation) + "\n");
    }
}

TEST(ObjReader, PolygonsBecomeFansAndShortFacesAreSkipped) {
    Mesh m;
    ConsoleCapture console;
    ASSERT_TRUE(
        m.load_obj_text(four_vertices + "v 2 2 0\nf 1 2 3 4 5\nf 1 2\nf 4 3 2 1\n", "t.obj"));
    EXPECT_EQ(triangles(m),
              (std::vector<Tri>{{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {3, 2, 1}, {3, 1, 0}}));
    EXPECT_NE(console.text().find("nv: 5, nf: 5\n"), std::string::npos);
}

TEST(ObjReader, RegistersCarryOverWhereATokenIsNoNumber) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v 7 8 9\nv inf 1 2\nv 0x10 2 3\nv 4 nan 5\nv 4 5\nvn 0 0 1\n"
                                   "vt 0 1\n"));
    ASSERT_EQ(m.nv, 4); // "v 4 5" has no third number and is no vertex
    expect_xyz(m.vertices[0], 7, 8, 9);
    expect_xyz(m.vertices[1], 7, 1, 2);  // the word "inf", 1, 2
    expect_xyz(m.vertices[2], 0, 1, 10); // 0, the word "x", 10
    expect_xyz(m.vertices[3], 4, 1, 5);  // 4, the word "nan", 5
    EXPECT_EQ(m.vertices[3].w, 1);
}

TEST(ObjReader, NumbersWithSignsPointsAndExponents) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v .5 -.25 +1\nv 1.5e-3 2E+06 -4.33681e-19\nv +1e1 -1E-1 2\n"
                                   "vc .5 1e 1\nf +1 2 3e0\n"));
    ASSERT_EQ(m.nv, 3);
    expect_xyz(m.vertices[0], 0.5f, -0.25f, 1);
    expect_xyz(m.vertices[1], 0.0015f, 2e6f, -4.33681e-19f);
    expect_xyz(m.vertices[2], 10, -0.1f, 2);
    // "1e" is the number 1 and the word "e": the three reads take 0.5, 1 and "e".
    expect_xyz(m.colours[0], 0.5f, 1, 2);
    EXPECT_EQ(triangles(m), (std::vector<Tri>{{0, 1, 2}}));
}

// Files that write some coordinates in exponent form load where their text puts them.
TEST(ObjReader, RealFilesWithExponentsLoadUndisplaced) {
    for (const char* name : {"spot_triangulated.obj", "spot_quadrangulated.obj", "fandisk.obj",
                             "nefertiti.obj", "ogre.obj", "rocker_arm.obj"}) {
        std::string path = real_mesh(name), text;
        if (path.empty() || !read_file(path, text)) continue; // in ../shared only
        Mesh m;
        ConsoleCapture quiet;
        ASSERT_TRUE(m.load_obj(path)) << name;
        // Every "v" line's three numbers, as strtod reads them, are the vertex read.
        std::istringstream lines(text);
        std::string line;
        int v = 0, exponents = 0;
        while (std::getline(lines, line)) {
            if (line.rfind("v ", 0) != 0) continue;
            std::istringstream numbers(line.substr(2));
            double x, y, z;
            ASSERT_TRUE(numbers >> x >> y >> z) << line;
            exponents += line.find_first_of("eE") != std::string::npos;
            ASSERT_LT(v, m.nv);
            EXPECT_EQ(m.vertices[v].x, float(x)) << name << ": " << line;
            EXPECT_EQ(m.vertices[v].y, float(y)) << name << ": " << line;
            EXPECT_EQ(m.vertices[v].z, float(z)) << name << ": " << line;
            ++v;
        }
        EXPECT_EQ(v, m.nv) << name;
        EXPECT_GT(exponents, 0) << name;
    }
}

TEST(ObjReader, FilesWithoutColoursAreGrey) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    for (const Vector& c : m.colours) {
        expect_xyz(c, 0.4f, 0.4f, 0.4f);
        EXPECT_EQ(c.w, 1);
    }
    EXPECT_TRUE(m.has_default_colours());
    // Any colour in the file keeps the rule for colours: vertices without one are black.
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nvc 1 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    expect_xyz(m.colours[0], 1, 0, 0);
    expect_xyz(m.colours[1], 0, 0, 0);
    EXPECT_FALSE(m.has_default_colours());
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0 1 1 1\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    expect_xyz(m.colours[0], 1, 1, 1);
    expect_xyz(m.colours[2], 0, 0, 0);
}

TEST(ObjReader, KeywordsCountOnlyAtTheStartOfALine) {
    Mesh m;
    ASSERT_TRUE(
        load_obj_string(m, "mtllib f-16.mtl\ng v\nusemtl f\n  v 1 2 3\n\tv 4 5 6\nv 7 8 9\no f\n"
                           "# v 1 1 1\nf 1 2 3 # f 3 2 1\nV 1 1 1\n"));
    EXPECT_EQ(m.nv, 3);
    expect_xyz(m.vertices[0], 1, 2, 3);
    expect_xyz(m.vertices[2], 7, 8, 9);
    EXPECT_EQ(triangles(m), (std::vector<Tri>{{0, 1, 2}}));
}

TEST(ObjReader, FaceColourLinesAreNoFacesAndRestartTheNotation) {
    Mesh m;
    ConsoleCapture console;
    ASSERT_TRUE(m.load_obj_text(four_vertices + "f 1 2 3\nfc 1 0 0\nf 2//1 3//1 4//1\n", "t.obj"));
    EXPECT_EQ(m.nf, 2);
    EXPECT_EQ(console.text(), "nv: 4, nf: 2\nfaceformat_type: 3\n");
    for (const Face& f : m.faces) expect_xyz(f.colour, 0.75f, 0.75f, 1.0f);
}

TEST(ObjReader, LongLinesAreReadWhole) {
    std::string text;
    const int corners = 936;
    for (int i = 0; i < corners; ++i) text += "v " + std::to_string(i) + " 0 0\n";
    text += "v 1." + std::string(2000, '0') + "5 2 3\nf";
    for (int i = 1; i <= corners; ++i) text.append(" ").append(std::to_string(i));
    text += "\n";
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, text));
    EXPECT_EQ(m.nv, corners + 1);
    expect_xyz(m.vertices[corners], 1, 2, 3);
    EXPECT_EQ(m.nf, corners - 2);
    EXPECT_EQ(m.faces.back().vindex[2], corners - 1);
}

TEST(ObjReader, NegativeNumbersCountBackFromTheLatestVertex) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\nv 5 5 5\nf -1 1 -2\n"));
    EXPECT_EQ(triangles(m), (std::vector<Tri>{{0, 1, 2}, {3, 0, 2}}));
}

TEST(ObjReader, VertexNumbersOutsideTheFileFailNamingTheLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n", "t.obj:4: vertex number 4"},
        {"v 0 0 0\nf 1 1 0\nv 1 0 0\n", "t.obj:2: vertex number 0"},
        {"v 0 0 0\nf -1 -2 -1\n", "t.obj:2: vertex number -2"},
        {"f -4 -3 -2", "t.obj:1: vertex number -4"},
        {"v 0 0 0\nf 1 1 99999999999999\n", "t.obj:2: vertex number 99999999999999"},
        // The first bad line, although the later one is found bad at once.
        {"v 0 0 0\nf 1 1 9\nf -5 1 1\n", "t.obj:2: vertex number 9"},
        {"v 0 0 0\nf -5 1 1\nf 1 1 9\n", "t.obj:2: vertex number -5"},
    };
    for (const auto& [text, message] : cases) {
        Mesh m;
        IoResult r = load_obj_string(m, text);
        EXPECT_FALSE(r) << text;
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    }
}

TEST(ObjReader, ForwardReferencesWithinTheFileAreAccepted) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"));
    EXPECT_EQ(triangles(m), (std::vector<Tri>{{0, 1, 2}}));
}

TEST(ObjReader, RealFileWithInvalidRelativeIndexIsRefused) {
    Mesh m;
    ConsoleCapture quiet;
    IoResult r = m.load_obj(real_mesh("invalid_negative_index.obj"));
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("invalid_negative_index.obj:1:"), std::string::npos);
}

TEST(ObjReader, VertexColoursFromVcLinesOrFromLongVertexLines) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nvc 1 0 0.5\nv 1 0 0\nvc 0 1 0\nv 0 1 0\nf 1 2 3\n"));
    expect_xyz(m.colours[0], 1, 0, 0.5f);
    expect_xyz(m.colours[1], 0, 1, 0);
    EXPECT_EQ(m.colours[0].w, 1);
    expect_xyz(m.colours[2], 0, 0, 0); // no colour line for it

    ASSERT_TRUE(load_obj_string(m, "v 0 0 0 1 0.5 0\nv 1 0 0 0 0 1\nv 1 1 1 1\n"));
    expect_xyz(m.colours[0], 1, 0.5f, 0);
    expect_xyz(m.colours[1], 0, 0, 1);
    expect_xyz(m.colours[2], 0, 0, 0); // "v x y z w" carries no colour

    ASSERT_TRUE(load_obj_string(m, "v 0 0 0 255 51 0\nv 1 0 0 0 0 1\n"));
    EXPECT_FLOAT_EQ(m.colours[0].y, 0.2f);
    EXPECT_FLOAT_EQ(m.colours[1].z, 1.0f / 255);

    // "vc" lines win over colours on "v" lines.
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0 1 1 1\nvc 0.5 0.5 0.5\n"));
    expect_xyz(m.colours[0], 0.5f, 0.5f, 0.5f);
}

TEST(ObjReader, MorphogenNamesAndRows) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(
        m, "mtllib x.mtl\nmn a  b c\r\nv 0 0 0\nm 1 2 3\nv 1 1 1\nm 4 x -6 7\nv 2 2 2\n"));
    EXPECT_EQ(m.morphogen_names, (std::vector<std::string>{"a", "b", "c"}));
    ASSERT_EQ(m.morphogens.size(), 3u);
    EXPECT_EQ(m.morphogens[0], (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(m.morphogens[1], (std::vector<float>{4, 4, -6})); // "x" keeps the register
    EXPECT_EQ(m.morphogens[2], (std::vector<float>{0, 0, 0}));

    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nv 1 1 1\n"));
    EXPECT_TRUE(m.morphogen_names.empty());
    ASSERT_EQ(m.morphogens.size(), 2u);
    EXPECT_TRUE(m.morphogens[0].empty());
}

TEST(ObjReader, SurplusColourAndValueRowsAreDropped) {
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nvc 1 1 1\nvc 0 0 0\nm 1\nm 2\nm 3\n"));
    EXPECT_EQ(m.nv, 1);
    expect_xyz(m.colours[0], 1, 1, 1);
    EXPECT_EQ(m.morphogens, std::vector<std::vector<float>>{{1}});
}

TEST(ObjReader, LineEndsOfEveryKind) {
    for (const char* end : {"\n", "\r\n", "\r"}) {
        std::string text;
        for (const char* line :
             {"mn a", "v 0 0 0", "m 1", "v 1 0 0", "vc 1 0 0", "v 0 1 0", "f 1 2 3"})
            text += std::string(line) + end;
        Mesh m;
        ASSERT_TRUE(load_obj_string(m, text));
        EXPECT_EQ(m.nv, 3);
        EXPECT_EQ(m.nf, 1);
        EXPECT_EQ(m.morphogens[0], std::vector<float>{1});
        // Lines are counted alike.
        IoResult r = load_obj_string(m, text + "f 1 2 7" + end);
        EXPECT_NE(r.error.find("test.obj:8: vertex number 7"), std::string::npos) << r.error;
    }
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3"));
    EXPECT_EQ(m.nf, 1);
}

TEST(ObjReader, NumbersBeyondFloatAreRefusedNamingTheLine) {
    const std::string huge = "1" + std::string(50, '0');
    const std::pair<std::string, std::string> cases[] = {
        {"v 0 0 " + huge + "\n", "test.obj:1: a coordinate is not a finite number"},
        {"v 0 0 0\nv -" + huge + " 0 0 # far\n", "test.obj:2: a coordinate is not a finite"},
        {"v 0 0 0 1 " + huge + " 1\n", "test.obj:1: a colour value is not a finite number"},
        {"v 0 0 0\nvc 1 1 " + huge + "\n", "test.obj:2: a colour value is not a finite"},
        {"v 0 0 0\nm 1 " + huge + "\n", "test.obj:2: a per-vertex value is not a finite"},
    };
    for (const auto& [text, message] : cases) {
        Mesh m;
        IoResult r = load_obj_string(m, text);
        EXPECT_FALSE(r) << text;
        EXPECT_NE(r.error.find(message), std::string::npos) << r.error;
    }
}

// One long "m" line and many short ones: the short rows repeat their last value and
// take no more room than their text; rows beyond the vertices are dropped.
TEST(ObjReader, ShortValueRowsAfterALongOneTakeTheirOwnRoom) {
    std::string text = "v 0 0 0\nv 1 0 0\nm";
    for (int i = 0; i < 100000; ++i) {
        text += ' ';
        text += std::to_string(i % 7);
    }
    text += "\nm 5 6\n";
    for (int i = 0; i < 2000; ++i) text += "m 1\n";
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, text));
    ASSERT_EQ(m.morphogens.size(), 2u);
    ASSERT_EQ(m.morphogens[1].size(), 100000u);
    EXPECT_EQ(m.morphogens[0][99999], float(99999 % 7));
    EXPECT_EQ(m.morphogens[1][0], 5);
    EXPECT_EQ(m.morphogens[1][1], 6);
    EXPECT_EQ(m.morphogens[1][99999], 6);
}

TEST(ObjReader, WarningsBeyondTwentyAreCounted) {
    std::string text = four_vertices;
    for (int i = 0; i < 25; ++i) text += "f 1 2\n";
    Mesh m;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(load_obj_string(m, text));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 21);
    EXPECT_NE(err.find("WARNING: test.obj:24: face with fewer than three corners skipped\n"),
              std::string::npos);
    EXPECT_EQ(err.find("test.obj:25:"), std::string::npos);
    EXPECT_NE(err.find("WARNING: test.obj: 5 more warnings not shown\n"), std::string::npos) << err;
}

TEST(ObjReader, TextThatIsNoTextIsRefused) {
    Mesh m;
    std::string utf16("\xFF\xFE"
                      "v\0 \0"
                      "1\0",
                      8);
    IoResult r = load_obj_string(m, utf16);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("UTF-16"), std::string::npos);
    EXPECT_FALSE(load_obj_string(m, std::string("v 1 2 3\n\0\0\0", 11)));
    // Random bytes without zeros are no text either.
    r = load_obj_string(m, "v 1 2 3\n\x93\x05\xfe");
    EXPECT_EQ(r.error, "ERROR: test.obj: not a text file (byte 0x05 at offset 9)");
    ASSERT_TRUE(load_obj_string(m, "\xEF\xBB\xBFv 1 2 3\n"));
    EXPECT_EQ(m.nv, 1);
}

TEST(ObjReader, MissingFileIsReportedNotFatal) {
    Mesh m;
    ConsoleCapture console;
    IoResult r = m.load_obj("/nonexistent/mesh.obj");
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, "ERROR: Opening File: /nonexistent/mesh.obj (No such file or directory)");
    EXPECT_TRUE(r.unopened);
    EXPECT_EQ(console.text(), "");
    EXPECT_FALSE(load_obj_string(m, "f -1 -2 -3\n").unopened); // opened, then refused
}

TEST(ObjReader, PrintsOpeningAndCounts) {
    TempDir dir;
    std::string path = dir.file("tri.obj");
    std::ofstream(path) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1// 2// 3//\n";
    Mesh m;
    ConsoleCapture console;
    ASSERT_TRUE(m.load_obj(path));
    EXPECT_EQ(console.text(), "Opening: " + path + "\nnv: 3, nf: 1\nfaceformat_type: 5\n");
    EXPECT_EQ(m.selectedface, -1);
}

TEST(ObjReader, RealFilesWithPolygonsMixedNotationsAndOddLines) {
    struct Case {
        const char* file;
        int nv, nf;
    } cases[] = {
        {"f16.obj", 2344, 4592},
        {"spot_control_mesh.obj", 188, 372},
        {"mixed_face_notation.obj", 8, 12},
        {"cornell_box.obj", 76, 36},
        {"cruiser.obj", 1364, 2875},
        {"ngon_polygons.obj", 20, 14},
        {"torus_quads_creases.obj", 32, 64},
        {"lines_only.obj", 8, 0},
    };
    for (const Case& c : cases) {
        Mesh m;
        ConsoleCapture quiet;
        std::string path = real_mesh(c.file);
        if (path.empty()) continue; // in ../shared only
        IoResult r = m.load_obj(path);
        ASSERT_TRUE(r) << r.error;
        EXPECT_EQ(m.nv, c.nv) << c.file;
        EXPECT_EQ(m.nf, c.nf) << c.file;
    }
}

} // namespace
