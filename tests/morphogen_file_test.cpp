// .mor files: the lines written, reading with the remembering rule, files that do not
// fit the mesh's morphogens, and saving through a temporary file.
#include "core/text_file.h"
#include "test_util.h"
#include "tools/morphogen_file.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

MorphogenSetting named(std::vector<std::string> names) {
    MorphogenSetting s;
    set_morphogen_names(s, std::move(names));
    return s;
}

IoResult parse(const std::string& text, MorphogenSetting& s) {
    return parse_morphogen_setting(text, "test.mor", s);
}

void expect_same(const MorphogenSetting& a, const MorphogenSetting& b) {
    EXPECT_EQ(a.mixmode, b.mixmode);
    EXPECT_EQ(a.defaultcolour, b.defaultcolour);
    EXPECT_EQ(a.names, b.names);
    EXPECT_EQ(a.colours, b.colours);
    EXPECT_EQ(a.tooglestates, b.tooglestates);
}

} // namespace

TEST(MorphogenFile, SavedLines) {
    MorphogenSetting s = named({"a", "b", "c"});
    s.colours.assign(3, Rgb{0, 0, 0});
    s.defaultcolour = {255, 255, 255};
    EXPECT_EQ(format_morphogen_setting(s),
              "SIZE 3\nBASECOL 255 255 255\nMIXMODE 0\nMORPHO\t0 0 0 0\nMORPHO\t0 0 0 0\n"
              "MORPHO\t0 0 0 0\n");

    s.mixmode = 1;
    s.colours = {{1, 2, 3}, {255, 0, 128}, {9, 9, 9}};
    s.tooglestates = {1, 0, 1};
    MorphogenSetting back = named({"a", "b", "c"});
    ASSERT_TRUE(parse(format_morphogen_setting(s), back));
    expect_same(back, s);

    MorphogenSetting none;
    EXPECT_EQ(format_morphogen_setting(none), "SIZE 0\nBASECOL 0 0 0\nMIXMODE 0\n");
}

// A value that is not a number keeps the one the last number in its place left, across
// BASECOL and MORPHO lines; channels start at 0.
TEST(MorphogenFile, RememberingRule) {
    MorphogenSetting s = named({"a", "b", "c"});
    ASSERT_TRUE(parse("SIZE 3\nBASECOL x 20 30\nMORPHO\t40 y z 1\nMORPHO\t. . . .\n"
                      "MORPHO\t7 8 9 0\nMIXMODE 1.9\n",
                      s));
    EXPECT_EQ(s.defaultcolour, (Rgb{0, 20, 30}));
    EXPECT_EQ(s.colours, (std::vector<Rgb>{{40, 20, 30}, {40, 20, 30}, {7, 8, 9}}));
    EXPECT_EQ(s.tooglestates, (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(s.mixmode, 1);

    // Each keyword takes the tokens that follow it, even across lines: here the second
    // MORPHO is the first one's state, so its numbers are skipped.
    MorphogenSetting t = named({"a", "b"});
    ASSERT_TRUE(parse("SIZE 2\nMORPHO\t1 2 3\nMORPHO\t4 5 6 1\n", t));
    EXPECT_EQ(t.colours, (std::vector<Rgb>{{1, 2, 3}, {0, 0, 0}}));
    EXPECT_EQ(t.tooglestates, (std::vector<int>{0, 0}));
}

// Entries without a MORPHO line are black and off; channels outside 0..255 are clamped,
// fractions truncated; keywords are case-sensitive and other text is skipped.
TEST(MorphogenFile, MissingLinesClampingAndOtherText) {
    MorphogenSetting s = named({"a", "b", "c"});
    s.mixmode = 1;
    ASSERT_TRUE(parse("# comment\nSIZE 3.7\nsize 9\nBASECOL -5 300 12.9\n\"MIXMODE 0\" extra\n"
                      "MORPHO\t999 -1 128.5 1\n",
                      s));
    EXPECT_EQ(s.defaultcolour, (Rgb{0, 255, 12}));
    EXPECT_EQ(s.mixmode, 1);
    EXPECT_EQ(s.colours, (std::vector<Rgb>{{255, 0, 128}, {0, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(s.tooglestates, (std::vector<int>{1, 0, 0}));

    MorphogenSetting huge = named({"a"});
    ASSERT_TRUE(parse("SIZE 1 MORPHO 1 2 3 99999999999999999999", huge));
    EXPECT_EQ(huge.tooglestates[0], INT32_MAX);
}

// SIZE must equal the number of names; a refused file changes nothing, not even what
// came before the SIZE line.
TEST(MorphogenFile, FilesThatDoNotFitChangeNothing) {
    MorphogenSetting s = named({"a", "b", "c"});
    s.tooglestates[1] = 1;
    const MorphogenSetting before = s;

    IoResult r = parse("BASECOL 1 2 3\nMIXMODE 1\nSIZE 2\nMORPHO\t1 1 1 1\nMORPHO\t1 1 1 1\n", s);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, "ERROR: test.mor:3: SIZE 2 does not match the 3 morphogens of the mesh");
    expect_same(s, before);

    r = parse("BASECOL 1 2 3\nMORPHO\t1 1 1 1\nSIZE 3\n", s);
    EXPECT_EQ(r.error, "ERROR: test.mor:2: MORPHO before SIZE");
    expect_same(s, before);

    for (const char* text :
         {"SIZE x 3", "SIZE", "SIZE -3", "SIZE 99999999999999999999999", "SIZE 3\nSIZE 4"}) {
        EXPECT_FALSE(parse(text, s)) << text;
        expect_same(s, before);
    }
}

TEST(MorphogenFile, LinesBeyondSizeAreIgnoredAndSaid) {
    MorphogenSetting s = named({"a"});
    testing::internal::CaptureStderr();
    ASSERT_TRUE(parse("SIZE 1\nMORPHO\t1 2 3 1\nMORPHO\t4 5 6 0\n", s));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.colours, (std::vector<Rgb>{{1, 2, 3}}));
    EXPECT_EQ(s.tooglestates, (std::vector<int>{1}));
    EXPECT_EQ(err, "WARNING: test.mor:3: MORPHO line beyond SIZE 1 ignored\n");

    // No morphogens: only the base colour and the mode.
    MorphogenSetting none;
    ASSERT_TRUE(parse("SIZE 0\nBASECOL 1 2 3\nMIXMODE 1\n", none));
    EXPECT_EQ(none.defaultcolour, (Rgb{1, 2, 3}));
    EXPECT_EQ(none.mixmode, 1);
}

TEST(MorphogenFile, SaveAndLoad) {
    TempDir dir;
    MorphogenSetting s = named({"a", "b"});
    s.colours = {{10, 20, 30}, {40, 50, 60}};
    s.tooglestates = {0, 1};
    s.mixmode = 1;
    std::string path = dir.file("shades.mor");
    std::ofstream(path) << "old content that is longer than the new one, much longer, yes\n";
    ASSERT_TRUE(save_morphogen_setting(path, s));
    std::string text;
    ASSERT_TRUE(read_file(path, text));
    EXPECT_EQ(text, format_morphogen_setting(s));

    MorphogenSetting back = named({"a", "b"});
    ASSERT_TRUE(load_morphogen_setting(path, back));
    expect_same(back, s);

    IoResult failed = save_morphogen_setting(dir.file("missing/x.mor"), s);
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.error.find("missing/x.mor"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);

    ConsoleCapture console;
    IoResult unread = load_morphogen_setting(dir.file("none.mor"), back);
    EXPECT_FALSE(unread);
    EXPECT_TRUE(unread.unopened);
    EXPECT_EQ(console.text(), "ERROR!!!\n");
    expect_same(back, s);

    std::ofstream(dir.file("wide.mor"), std::ios::binary) << std::string("S\0I\0Z\0E\0", 8);
    EXPECT_FALSE(load_morphogen_setting(dir.file("wide.mor"), back));
}

// The bundled settings fit their meshes.
TEST(MorphogenFile, BundledSamples) {
    for (const char* name : {"spot_morphogens", "plane_morphogens"}) {
        Mesh m;
        {
            ConsoleCapture quiet;
            ASSERT_TRUE(m.load_obj(bundled_data(std::string("morphogens/") + name + ".obj")));
        }
        ASSERT_FALSE(m.morphogen_names.empty());
        EXPECT_EQ(m.morphogens[0].size(), m.morphogen_names.size());
        MorphogenSetting s;
        set_morphogen_names(s, m.morphogen_names);
        ASSERT_TRUE(
            load_morphogen_setting(bundled_data(std::string("morphogens/") + name + ".mor"), s))
            << name;
        EXPECT_NE(std::count(s.tooglestates.begin(), s.tooglestates.end(), 1), 0);
    }
}
