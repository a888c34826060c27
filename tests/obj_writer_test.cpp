#include "core/mesh.h"
#include "core/text_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string contents(const std::string& path) {
    std::string text;
    EXPECT_TRUE(read_file(path, text));
    return text;
}

Mesh triangle(float x = 0.5f) {
    Mesh m;
    load_obj_string(m, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    m.vertices[0].x = x;
    m.colours[1] = Vector(1, 0.5f, 0.25f, 1);
    return m;
}

TEST(ObjWriter, WritesVerticesAndFacesInItsNotation) {
    TempDir dir;
    std::string path = dir.file("out.obj");
    Mesh m = triangle();
    ConsoleCapture console;
    ASSERT_TRUE(m.save_obj(path));
    EXPECT_EQ(console.text(), "3, 1\n\tMESH: Saving " + path + "... done...\n");
    EXPECT_EQ(contents(path), "v 0.5 0 0\nv 1 0 0\nv 0 1 0\nf 1/1/ 2/2/ 3/3/\n");
}

TEST(ObjWriter, ColourLinesFollowTheirVertices) {
    TempDir dir;
    std::string path = dir.file("out.obj");
    Mesh m = triangle();
    ConsoleCapture quiet;
    ASSERT_TRUE(m.save_obj(path, true));
    EXPECT_EQ(contents(path), "v 0.5 0 0\nvc 0.4 0.4 0.4\nv 1 0 0\nvc 1 0.5 0.25\nv 0 1 0\n"
                              "vc 0.4 0.4 0.4\nf 1/1/ 2/2/ 3/3/\n");
    Mesh back;
    ASSERT_TRUE(back.load_obj(path));
    EXPECT_EQ(back.colours[1], m.colours[1]);
}

// Six significant digits as a stream writes a float by default, exponent form for very
// small and very large values; the reader takes every form back.
TEST(ObjWriter, NumbersAsAStreamWritesThem) {
    const std::pair<float, const char*> cases[] = {
        {123456.7f, "123457"},    {1234567.0f, "1.23457e+06"},
        {-1.5e20f, "-1.5e+20"},   {0.000123456f, "0.000123456"},
        {1.5e-7f, "1.5e-07"},     {-2.5e-5f, "-2.5e-05"},
        {3.14159265f, "3.14159"}, {-0.0f, "-0"},
        {1e-45f, "1.4013e-45"},
    };
    TempDir dir;
    std::string path = dir.file("out.obj");
    for (const auto& [value, text] : cases) {
        std::ostringstream stream;
        stream << value;
        EXPECT_EQ(stream.str(), text);
        Mesh m = triangle(value);
        ConsoleCapture quiet;
        ASSERT_TRUE(m.save_obj(path));
        EXPECT_EQ(contents(path).substr(0, contents(path).find('\n')),
                  std::string("v ") + text + " 0 0");
        Mesh back;
        ASSERT_TRUE(back.load_obj(path));
        EXPECT_NEAR(back.vertices[0].x, value, std::abs(value) * 5e-6f) << text;
    }
}

TEST(ObjWriter, MorphogenNamesAndRowsFollowTheirVertices) {
    TempDir dir;
    std::string path = dir.file("out.obj");
    Mesh m;
    ASSERT_TRUE(load_obj_string(m, "mn growth decay\nv 0 0 0\nm 1 0.5\nv 1 0 0\nm 2.5e-7 3\n"
                                   "v 0 1 0\nf 1 2 3\n"));
    ConsoleCapture quiet;
    ASSERT_TRUE(m.save_obj(path));
    EXPECT_EQ(contents(path), "mn growth decay\nv 0 0 0\nm 1 0.5\nv 1 0 0\nm 2.5e-07 3\n"
                              "v 0 1 0\nm 0 0\nf 1/1/ 2/2/ 3/3/\n");
    Mesh back;
    ASSERT_TRUE(back.load_obj(path));
    EXPECT_EQ(back.morphogen_names, m.morphogen_names);
    EXPECT_EQ(back.morphogens, m.morphogens);

    // Names without values, and values without names, are written as they are.
    ASSERT_TRUE(load_obj_string(m, "mn a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    ASSERT_TRUE(m.save_obj(path));
    EXPECT_EQ(contents(path), "mn a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1/ 2/2/ 3/3/\n");
    ASSERT_TRUE(load_obj_string(m, "v 0 0 0\nm 7\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    ASSERT_TRUE(m.save_obj(path));
    EXPECT_EQ(contents(path), "v 0 0 0\nm 7\nv 1 0 0\nm 0\nv 0 1 0\nm 0\nf 1/1/ 2/2/ 3/3/\n");
}

TEST(ObjWriter, DefaultColoursAreTheGreyOfAFileWithoutColours) {
    Mesh m = triangle();
    EXPECT_FALSE(m.has_default_colours());
    m.colours[1] = Vector(0.4f, 0.4f, 0.4f, 0.5f); // alpha aside
    EXPECT_TRUE(m.has_default_colours());
    EXPECT_TRUE(Mesh().has_default_colours());
}

TEST(ObjWriter, EmptyMeshWritesNothing) {
    TempDir dir;
    Mesh m;
    ConsoleCapture console;
    EXPECT_FALSE(m.save_obj(dir.file("out.obj")));
    EXPECT_EQ(console.text(), "0, 0\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.obj")));
}

// "nan" or "inf" would read back as something else: such a mesh is not written at all.
TEST(ObjWriter, NumbersThatAreNotFiniteAreNeverWritten) {
    TempDir dir;
    ConsoleCapture console;
    for (int what = 0; what < 3; ++what) {
        Mesh m = triangle();
        m.morphogens.assign(3, {1.0f});
        if (what == 0) m.vertices[1].y = NAN;
        if (what == 1) m.colours[1].z = INFINITY;
        if (what == 2) m.morphogens[1][0] = -INFINITY;
        IoResult r = m.save_obj(dir.file("out.obj"), true);
        EXPECT_EQ(r.error, "ERROR: " + dir.file("out.obj") +
                               ": vertex 2 has a value that is not a finite number; nothing saved");
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.obj")));
    }
    // Colours not written do not matter.
    Mesh m = triangle();
    m.colours[0].x = NAN;
    EXPECT_TRUE(m.save_obj(dir.file("out.obj"), false));
}

TEST(ObjWriter, FailedSaveSaysSoAndKeepsTheOldFile) {
    TempDir dir;
    Mesh m = triangle();
    ConsoleCapture console;
    IoResult r = m.save_obj(dir.file("missing/out.obj"));
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("missing/out.obj"), std::string::npos);
    EXPECT_EQ(console.text().find("done"), std::string::npos);

    // A target that cannot be replaced (a folder) stays as it was, and no temporary is left.
    std::filesystem::create_directory(dir.file("taken.obj"));
    EXPECT_FALSE(m.save_obj(dir.file("taken.obj")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.obj")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);

    std::string path = dir.file("kept.obj");
    std::ofstream(path) << "old";
    ASSERT_TRUE(m.save_obj(path));
    EXPECT_NE(contents(path), "old");
}

} // namespace
